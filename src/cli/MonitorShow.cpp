// SPDX-License-Identifier: MIT
#include "cli/MonitorShow.h"

#include "cli/Command.h"
#include "cli/Json.h"
#include "fieldbook/Translation.h"
#include "monitor/MonitorOutput.h"
#include "monitor/MonitorText.h"
#include "runs/Rounding.h"

#include <ostream>

namespace velmora::cli {

namespace {

void WriteBenchmarkLines(const CycleResult& cycle, std::ostream& out)
{
    for (const std::string& line :
         BenchmarkTestLines(cycle, [](const std::string& point) { return TerminalText(point); }))
        out << "  " << line << "\n";
}

void WriteCycle(const CycleResult& cycle, std::ostream& out)
{
    std::string books;
    for (const std::string& book : cycle.books)
        books += (books.empty() ? "" : ", ") + TerminalText(book);
    out << CycleText(cycle.number, cycle.date) << ": " << books << "\n";
    out << "  " << CycleSigmaText(cycle) << "\n";
    if (cycle.rodScale.Corrects())
        out << "  " << RodScaleText(cycle.rodScale) << "\n";
    WriteBenchmarkLines(cycle, out);
    if (cycle.meanSettlement && cycle.number > 1)
        out << "  "
            << Fill(Tr("marks since cycle 1: mean {1} mm, largest {2} mm"),
                    {MonitorMillimetresText(*cycle.meanSettlement), MonitorMillimetresText(*cycle.largestSettlement)})
            << "\n";
}

std::string Optional(const std::optional<double>& value, double scale, int decimals)
{
    return value ? FixedText(*value * scale, decimals) : "-";
}

void WritePointTable(const MonitoringResult& result, std::optional<int> only, std::ostream& out)
{
    out << "\npoint\trole\tcycle\tdate\theight\tsettlement\tsinceFirst\trate\tsignificant\n";
    for (const MonitoredPoint& point : result.points) {
        for (const PointInCycle& at : point.cycles) {
            if (only && at.cycle != *only)
                continue;
            out << point.point << '\t' << (point.benchmark ? "benchmark" : "mark") << '\t' << at.cycle
                << '\t' << result.cycles[static_cast<std::size_t>(at.cycle) - 1].date << '\t'
                << FixedText(at.height, kMonitorHeightDecimals) << '\t'
                << Optional(at.settlement, kMillimetresPerMetre, kMonitorMillimetreDecimals) << '\t'
                << FixedText(at.sinceFirst * kMillimetresPerMetre, kMonitorMillimetreDecimals) << '\t'
                << Optional(at.rate, kMillimetresPerMetre, kMonitorRateDecimals) << '\t'
                << (at.significant ? "*" : "") << '\n';
        }
    }
}

std::string JsonList(const std::vector<std::string>& texts)
{
    std::string list = "[";
    for (const std::string& text : texts)
        list += (list.size() > 1 ? ", " : "") + JsonString(text);
    return list + "]";
}

std::string JsonOptional(const std::optional<double>& value)
{
    return JsonNumber(value.value_or(0), value.has_value());
}

void WriteCycleJson(const CycleResult& cycle, std::ostream& out)
{
    out << "  {\"cycle\": " << cycle.number << ", \"date\": " << JsonString(cycle.date)
        << ", \"books\": " << JsonList(cycle.books);
    if (cycle.rodScale.Corrects())
        out << ", \"rodScalePpm\": " << JsonNumber(cycle.rodScale.ppm);
    out << ", \"sigma0\": " << JsonNumber(cycle.sigma0)
        << ", \"dof\": " << cycle.degreesOfFreedom
        << ", \"stableBenchmarks\": " << JsonList(cycle.stableBenchmarks)
        << ", \"movedBenchmarks\": " << JsonList(cycle.movedBenchmarks) << ", \"congruence\": ";
    if (cycle.congruence)
        out << "{\"statistic\": " << JsonNumber(cycle.congruence->statistic)
            << ", \"dof\": " << cycle.congruence->degreesOfFreedom
            << ", \"critical\": " << JsonNumber(cycle.congruence->critical)
            << ", \"passed\": " << (cycle.congruence->passed ? "true" : "false") << "}";
    else
        out << "null";
    out << ", \"warnings\": [";
    const char* separator = "";
    for (const BenchmarkDisagreement& disagreement : cycle.disagreements) {
        out << separator << "{\"kind\": \"benchmarksDisagree\", \"first\": " << JsonString(disagreement.first)
            << ", \"second\": " << JsonString(disagreement.second)
            << ", \"difference\": " << JsonNumber(disagreement.difference) << "}";
        separator = ", ";
    }
    out << "], \"meanSettlement\": " << JsonOptional(cycle.meanSettlement)
        << ", \"largestSettlement\": " << JsonOptional(cycle.largestSettlement) << "}";
}

void WritePointJson(const MonitoredPoint& point, std::ostream& out)
{
    out << "  {\"point\": " << JsonString(point.point) << ", \"role\": \""
        << (point.benchmark ? "benchmark" : "mark") << "\", \"cycles\": [";
    const char* separator = "";
    for (const PointInCycle& at : point.cycles) {
        const bool later = at.settlement.has_value();
        out << separator << "{\"cycle\": " << at.cycle << ", \"height\": " << JsonNumber(at.height)
            << ", \"sigma\": " << JsonNumber(at.sigma) << ", \"settlement\": " << JsonOptional(at.settlement)
            << ", \"sigmaSettlement\": " << JsonOptional(at.sigmaSettlement)
            << ", \"rate\": " << JsonOptional(at.rate)
            << ", \"sinceFirst\": " << JsonNumber(at.sinceFirst, later)
            << ", \"sigmaSinceFirst\": " << JsonNumber(at.sigmaSinceFirst, later)
            << ", \"significant\": " << (at.significant ? "true" : "false") << "}";
        separator = ", ";
    }
    out << "]}";
}

}  // namespace

void WriteMonitorJson(const ProjectSettings& settings, const MonitoringResult& result, std::ostream& out)
{
    const MonitorSettings& monitor = settings.monitor;
    out << "{\"sigma\": " << JsonNumber(monitor.sigma) << ", \"alpha\": " << JsonNumber(monitor.alpha)
        << ", \"benchmarks\": [";
    for (std::size_t i = 0; i < monitor.benchmarks.size(); ++i)
        out << (i ? ", " : "") << "{\"point\": " << JsonString(monitor.benchmarks[i].point)
            << ", \"height\": " << JsonOptional(monitor.benchmarks[i].height) << "}";
    out << "],\n \"cycles\": [";
    for (std::size_t i = 0; i < result.cycles.size(); ++i) {
        out << (i ? ",\n" : "\n");
        WriteCycleJson(result.cycles[i], out);
    }
    out << "],\n \"points\": [";
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        out << (i ? ",\n" : "\n");
        WritePointJson(result.points[i], out);
    }
    out << "]}\n";
}

void WriteMonitorText(const ProjectSettings&, const MonitoringResult& result, std::optional<int> cycle,
                      std::ostream& out)
{
    if (result.cycles.empty()) {
        // Said rather than left blank: an empty answer looks like a failure that said nothing.
        out << Tr("the project has no cycle yet; add one with monitor add") << "\n";
        return;
    }
    for (const CycleResult& line : result.cycles) {
        if (!cycle || line.number == *cycle)
            WriteCycle(line, out);
    }
    if (!result.points.empty())
        WritePointTable(result, cycle, out);
}

}  // namespace velmora::cli
