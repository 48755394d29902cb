// SPDX-License-Identifier: MIT
#include "monitor/MonitorReport.h"

#include "SyntheticCycles.h"
#include "monitor/SettlementChart.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing;

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(SettlementChart, TickStepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    const struct {
        double span;
        double step;
    } cases[] = {{4, 1}, {3, 1}, {0.7, 0.2}, {1.5, 0.5}, {12, 5}, {30, 10}, {0.04, 0.01}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TickStep(c.span, 4), c.step) << c.span;
}

// M1 sinks 3 mm in the second of three cycles: its chart has a dot per cycle, the two after the
// first red; the page has a chart per mark and the significant rows red.
TEST(MonitorReport, ChartsEveryMarkWithItsSignificantSettlementsRed)
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}, {"R3", {}}}, std::nullopt, kSigma, 0.05};
    const MonitoringResult result = Evaluated(
        settings, {SyntheticCycle("2024-05-01", kHeights), SyntheticCycle("2024-05-03", kHeights, {{"M1", -0.003}}),
                   SyntheticCycle("2024-06-01", kHeights, {{"M1", -0.003}})});
    const std::string chart = SettlementChartSvg(result, PointNamed(result, "M1"));
    EXPECT_EQ(Count(chart, "<circle"), 3u);
    EXPECT_EQ(Count(chart, "class=\"significant\""), 2u);
    EXPECT_NE(chart.find("text-anchor=\"end\">2024-06-01<"), std::string::npos) << chart;
    EXPECT_EQ(Count(SettlementChartSvg(result, PointNamed(result, "M2")), "class=\"significant\""), 0u);

    const std::string page = MonitorReportPage({settings, "II"}, result);
    EXPECT_EQ(Count(page, "<svg"), 2u);  // M1 and M2, no benchmark
    EXPECT_EQ(Count(page, "<tr class=\"bad\"><td>M1</td>"), 2u);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("@page { size: A4"), std::string::npos);
}

}  // namespace
}  // namespace velmora
