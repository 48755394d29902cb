// SPDX-License-Identifier: MIT
#include "monitor/MonitorReport.h"

#include "fieldbook/Translation.h"
#include "monitor/MonitorOutput.h"
#include "monitor/SettlementChart.h"
#include "report/ReportHtml.h"
#include "runs/Rounding.h"

namespace velmora {

namespace {

using report::BookText;
using report::Cell;
using report::Escaped;
using report::HeaderCell;
using report::Millimetres;
using report::Number;

// The rules of this page after the ones every page shares (report::kPageStyle).
constexpr const char* kStyle = R"(table { font-size: 7.5pt; }
tr { break-inside: avoid; }
td.n { text-align: right; white-space: nowrap; }
.bad { color: #c00000; }
figure { margin: 0 0 4mm; break-inside: avoid; }
figcaption { font-size: 8pt; font-weight: bold; }
svg { width: 100%; height: auto; display: block; }
)";

std::string Header(const char* const* texts, std::size_t count)
{
    std::string row = "<tr>";
    for (std::size_t i = 0; i < count; ++i)
        row += HeaderCell(Escaped(Tr(texts[i])));
    return row + "</tr>\n";
}

std::string Points(const std::vector<std::string>& points)
{
    std::string list;
    for (const std::string& point : points)
        list += (list.empty() ? "" : ", ") + BookText(point);
    return list.empty() ? "\u2014" : list;
}

std::string TestCell(const CycleResult& cycle)
{
    if (!cycle.congruence)
        return Cell("\u2014");
    const CongruenceTest& test = *cycle.congruence;
    const std::string figures = Number(test.statistic, kMonitorStatisticDecimals) +
                                (test.passed ? " \u2264 " : " > ") + Number(test.critical, kMonitorStatisticDecimals);
    const std::string text = Fill(test.passed ? Tr("passed: {1}") : Tr("failed: {1}"), {figures});
    return test.passed ? Cell(Escaped(text)) : "<td class=\"bad\">" + Escaped(text) + "</td>";
}

constexpr const char* kCycleHeadings[] = {N_("Cycle"), N_("Date"), N_("Field books"), N_("sigma0 per km"),
                                          N_("Degrees of freedom"), N_("Benchmark test"), N_("Held benchmarks"), N_("Moved benchmarks")};

std::string CyclesTable(const MonitoringResult& result)
{
    std::string html = "<h2>" + Escaped(Tr("Cycles")) + "</h2>\n<table>\n" +
                       Header(kCycleHeadings, std::size(kCycleHeadings));
    for (const CycleResult& cycle : result.cycles) {
        html += "<tr>" + Cell(std::to_string(cycle.number), true) + Cell(cycle.date) + Cell(Points(cycle.books)) +
                Cell(Millimetres(cycle.sigma0, kMonitorMillimetreDecimals), true) +
                Cell(std::to_string(cycle.degreesOfFreedom), true) + TestCell(cycle) +
                Cell(Points(cycle.stableBenchmarks)) + Cell(Points(cycle.movedBenchmarks)) + "</tr>\n";
        if (cycle.rodScale.Corrects())
            html += "<tr><td colspan=\"8\">" + Escaped(RodScaleText(cycle.rodScale)) + "</td></tr>\n";
        for (const BenchmarkDisagreement& disagreement : cycle.disagreements)
            html += "<tr><td colspan=\"8\" class=\"bad\">" +
                    Fill(Tr("{1} and {2} disagree by {3}; the cycle is referred to {1} alone"),
                         {BookText(disagreement.first), BookText(disagreement.second),
                          Millimetres(disagreement.difference, kMonitorMillimetreDecimals)}) +
                    "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string OptionalMillimetres(const std::optional<double>& metres)
{
    return metres ? Millimetres(*metres, kMonitorMillimetreDecimals) : "\u2014";
}

constexpr const char* kSettlementHeadings[] = {N_("Mark"), N_("Cycle"), N_("Date"), N_("H, m"),
                                               N_("Settlement of the cycle"), N_("Since cycle 1"),
                                               N_("Rate, mm a day")};

std::string SettlementsTable(const MonitoringResult& result)
{
    std::string html = "<h2>" + Escaped(Tr("Settlements")) + "</h2>\n<table>\n" +
                       Header(kSettlementHeadings, std::size(kSettlementHeadings));
    for (const MonitoredPoint& point : result.points) {
        if (point.benchmark)
            continue;
        for (const PointInCycle& at : point.cycles) {
            const std::size_t index = static_cast<std::size_t>(at.cycle) - 1;
            html += std::string(at.significant ? "<tr class=\"bad\">" : "<tr>") + Cell(BookText(point.point)) +
                    Cell(std::to_string(at.cycle), true) + Cell(result.cycles[index].date) +
                    Cell(Number(at.height, kMonitorHeightDecimals), true) +
                    Cell(OptionalMillimetres(at.settlement), true) +
                    Cell(Millimetres(at.sinceFirst, kMonitorMillimetreDecimals), true) +
                    Cell(at.rate ? Number(*at.rate * kMillimetresPerMetre, kMonitorRateDecimals) : "\u2014", true) +
                    "</tr>\n";
        }
    }
    html += "</table>\n<table>\n<tr>" + HeaderCell(Escaped(Tr("Cycle"))) +
            HeaderCell(Escaped(Tr("Mean settlement since cycle 1"))) + HeaderCell(Escaped(Tr("Largest settlement"))) + "</tr>\n";
    for (const CycleResult& cycle : result.cycles)
        html += "<tr>" + Cell(std::to_string(cycle.number), true) + Cell(OptionalMillimetres(cycle.meanSettlement), true) +
                Cell(OptionalMillimetres(cycle.largestSettlement), true) + "</tr>\n";
    return html + "</table>\n";
}

std::string Charts(const MonitoringResult& result)
{
    std::string html = "<h2>" + Escaped(Tr("Settlement against time")) + "</h2>\n";
    for (const MonitoredPoint& point : result.points) {
        if (!point.benchmark)
            html += "<figure><figcaption>" +
                    Fill(Tr("{1}: settlement since its first cycle, mm"), {BookText(point.point)}) +
                    "</figcaption>\n" + SettlementChartSvg(result, point) + "</figure>\n";
    }
    return html;
}

}  // namespace

std::string MonitorReportPage(const ProjectSettings& settings, const MonitoringResult& result)
{
    const std::string title = Tr("Settlement monitoring");
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + std::string(TextLanguage()) +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escaped(title) + "</title>\n<style>\n" +
                       report::kPageStyle + kStyle + kSettlementChartStyle + "</style>\n</head>\n<body>\n<h1>" + Escaped(title) + "</h1>\n";
    std::vector<std::string> benchmarks;
    for (const Benchmark& benchmark : settings.monitor.benchmarks)
        benchmarks.push_back(benchmark.height ? benchmark.point + " = " + ShortestText(*benchmark.height) : benchmark.point);
    html += "<p>" +
            Fill(Tr("Benchmarks: {1}. Standard deviation of 1 km a priori: {2}; significance level {3}."),
                 {Points(benchmarks), Millimetres(settings.monitor.sigma, kMonitorMillimetreDecimals),
                  Number(settings.monitor.alpha, 3)}) +
            "</p>\n";
    if (result.cycles.empty())
        return html + "<p>" + Escaped(Tr("The project holds no cycles.")) + "</p>\n</body>\n</html>\n";
    html += CyclesTable(result) + SettlementsTable(result) + Charts(result);
    return html + "</body>\n</html>\n";
}

}  // namespace velmora
