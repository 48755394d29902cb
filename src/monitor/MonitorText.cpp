// SPDX-License-Identifier: MIT
#include "monitor/MonitorText.h"

#include "fieldbook/Translation.h"
#include "monitor/MonitorOutput.h"
#include "runs/Rounding.h"

#include <algorithm>

namespace velmora {

namespace {

std::string PointList(const std::vector<std::string>& points,
                      const std::function<std::string(const std::string&)>& pointText)
{
    std::string list;
    for (const std::string& point : points)
        list += (list.empty() ? "" : ", ") + pointText(point);
    return list.empty() ? "-" : list;
}

}  // namespace

std::string MonitorMillimetresText(double metres)
{
    return ForPeople(FixedText(metres * kMillimetresPerMetre, kMonitorMillimetreDecimals));
}

std::string CycleSigmaText(const CycleResult& cycle)
{
    const auto freedom = static_cast<unsigned long>(std::max(0L, cycle.degreesOfFreedom));
    // TRANSLATORS: sigma0 of one cycle; {2} is the number of degrees of freedom.
    return Fill(TrPlural("sigma0 = {1} mm for 1 km of levelling; {2} degree of freedom",
                         "sigma0 = {1} mm for 1 km of levelling; {2} degrees of freedom", freedom),
                {MonitorMillimetresText(cycle.sigma0), std::to_string(cycle.degreesOfFreedom)});
}

std::vector<std::string> BenchmarkTestLines(const CycleResult& cycle,
                                            const std::function<std::string(const std::string&)>& pointText)
{
    std::vector<std::string> lines;
    if (cycle.congruence) {
        const CongruenceTest& test = *cycle.congruence;
        const auto freedom = static_cast<unsigned long>(test.degreesOfFreedom);
        const std::string statistic = ForPeople(FixedText(test.statistic, kMonitorStatisticDecimals));
        const std::string critical = ForPeople(FixedText(test.critical, kMonitorStatisticDecimals));
        // TRANSLATORS: the congruence test of the benchmarks against cycle 1; {3} is a count.
        lines.push_back(
            Fill(test.passed ? TrPlural("benchmarks agree with cycle 1: chi-square {1} up to {2} ({3} degree of freedom)",
                                        "benchmarks agree with cycle 1: chi-square {1} up to {2} ({3} degrees of freedom)",
                                        freedom)
                             : TrPlural("benchmarks disagree with cycle 1: chi-square {1} above {2} ({3} degree of freedom)",
                                        "benchmarks disagree with cycle 1: chi-square {1} above {2} ({3} degrees of freedom)",
                                        freedom),
                 {statistic, critical, std::to_string(test.degreesOfFreedom)}));
    }
    lines.push_back(Fill(Tr("held: {1}; moved: {2}"),
                         {PointList(cycle.stableBenchmarks, pointText), PointList(cycle.movedBenchmarks, pointText)}));
    for (const BenchmarkDisagreement& disagreement : cycle.disagreements)
        lines.push_back(Fill(Tr("warning: benchmarks {1} and {2} disagree by {3} mm; the cycle is referred to {1} "
                                "alone, which of them moved cannot be told"),
                             {pointText(disagreement.first), pointText(disagreement.second),
                              MonitorMillimetresText(disagreement.difference)}));
    return lines;
}

}  // namespace velmora
