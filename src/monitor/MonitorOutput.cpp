// SPDX-License-Identifier: MIT
#include "monitor/MonitorOutput.h"

#include "workbook/CsvField.h"
#include "workbook/WorkbookFormats.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "runs/RodScale.h"
#include "runs/Rounding.h"

#include <cmath>
#include <memory>

namespace velmora {

namespace {

constexpr std::string_view kSettlementSheet = "Ведомость осадок"_cp1251;
constexpr std::string_view kBenchmarkSheet = "Реперы"_cp1251;
constexpr std::string_view kCycleSheet = "Циклы"_cp1251;
constexpr std::string_view kClassLabel = "Класс"_cp1251;
constexpr std::string_view kSigmaLabel = "СКО на 1 км априори, мм"_cp1251;
constexpr std::string_view kAlphaLabel = "Уровень значимости"_cp1251;
constexpr std::string_view kMarkHeadings[] = {
    "Марка"_cp1251, "Цикл"_cp1251, "Дата"_cp1251, "H, м"_cp1251, "Осадка за цикл, мм"_cp1251,
    "Суммарная осадка, мм"_cp1251, "Скорость, мм/сут"_cp1251,
};
constexpr std::string_view kSummaryHeadings[] = {
    "Цикл"_cp1251, "Дата"_cp1251, "Средняя осадка, мм"_cp1251, "Наибольшая осадка, мм"_cp1251,
};
constexpr std::string_view kBenchmarkHeadings[] = {
    "Репер"_cp1251, "Цикл"_cp1251, "Дата"_cp1251, "H, м"_cp1251, "СКО, мм"_cp1251,
    "Суммарная осадка, мм"_cp1251,
};
constexpr std::string_view kTestHeadings[] = {
    "Цикл"_cp1251, "Дата"_cp1251, "Хи-квадрат"_cp1251, "Критическое значение"_cp1251,
    "Степеней свободы"_cp1251, "Тест"_cp1251, "Закреплены"_cp1251, "Сместились"_cp1251,
    "Расходятся, мм"_cp1251,
};
constexpr std::string_view kCycleHeadings[] = {
    "Цикл"_cp1251, "Дата"_cp1251, "Журналы"_cp1251, "СКО на 1 км, мм"_cp1251,
    "Степеней свободы"_cp1251,
};
constexpr std::string_view kPassed = "выполнен"_cp1251;
constexpr std::string_view kFailed = "не выполнен"_cp1251;

void WriteMillimetres(WorkbookWriter& writer, int row, int column, std::optional<double> metres)
{
    if (metres && std::isfinite(*metres))
        writer.WriteNumber(row, column, RoundToDecimals(*metres * kMillimetresPerMetre, kMonitorMillimetreDecimals));
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : ", ") + text;
    return joined;
}

const std::string& DateOf(const MonitoringResult& result, int cycle)
{
    return result.cycles[static_cast<std::size_t>(cycle) - 1].date;
}

void WriteSettlementSheet(WorkbookWriter& writer, const ProjectSettings& settings, const MonitoringResult& result)
{
    writer.SetSheetName(kSettlementSheet);
    writer.WriteText(1, 1, kSettlementSheet);
    writer.WriteText(2, 1, kClassLabel);
    writer.WriteText(2, 2, settings.className);
    writer.WriteText(3, 1, kSigmaLabel);
    WriteMillimetres(writer, 3, 2, settings.monitor.sigma);
    WriteHeadings(writer, kMarkHeadings, 5);
    int row = 6;
    for (const MonitoredPoint& point : result.points) {
        if (point.benchmark)
            continue;
        for (const PointInCycle& at : point.cycles) {
            writer.WriteText(row, 1, point.point);
            writer.WriteNumber(row, 2, at.cycle);
            writer.WriteText(row, 3, DateOf(result, at.cycle));
            writer.WriteNumber(row, 4, RoundToDecimals(at.height, kMonitorHeightDecimals));
            WriteMillimetres(writer, row, 5, at.settlement);
            WriteMillimetres(writer, row, 6, at.sinceFirst);
            if (at.rate)
                writer.WriteNumber(row, 7, RoundToDecimals(*at.rate * kMillimetresPerMetre, kMonitorRateDecimals));
            if (at.significant) {
                writer.SetFontRed(row, 5);
                writer.SetFontRed(row, 6);
            }
            ++row;
        }
    }
    WriteHeadings(writer, kSummaryHeadings, ++row);
    for (const CycleResult& cycle : result.cycles) {
        writer.WriteNumber(++row, 1, cycle.number);
        writer.WriteText(row, 2, cycle.date);
        WriteMillimetres(writer, row, 3, cycle.meanSettlement);
        WriteMillimetres(writer, row, 4, cycle.largestSettlement);
    }
    writer.FormatColumns(7);
}

void WriteBenchmarkSheet(WorkbookWriter& writer, const MonitoringResult& result)
{
    writer.AddSheet(kBenchmarkSheet);
    WriteHeadings(writer, kBenchmarkHeadings, 1);
    int row = 1;
    for (const MonitoredPoint& point : result.points) {
        for (const PointInCycle& at : point.cycles) {
            if (!point.benchmark)
                continue;
            writer.WriteText(++row, 1, point.point);
            writer.WriteNumber(row, 2, at.cycle);
            writer.WriteText(row, 3, DateOf(result, at.cycle));
            writer.WriteNumber(row, 4, RoundToDecimals(at.height, kMonitorHeightDecimals));
            WriteMillimetres(writer, row, 5, at.sigma);
            WriteMillimetres(writer, row, 6, at.sinceFirst);
        }
    }
    WriteHeadings(writer, kTestHeadings, row += 2);
    for (const CycleResult& cycle : result.cycles) {
        writer.WriteNumber(++row, 1, cycle.number);
        writer.WriteText(row, 2, cycle.date);
        if (cycle.congruence) {
            writer.WriteNumber(row, 3, RoundToDecimals(cycle.congruence->statistic, kMonitorStatisticDecimals));
            writer.WriteNumber(row, 4, RoundToDecimals(cycle.congruence->critical, kMonitorStatisticDecimals));
            writer.WriteNumber(row, 5, static_cast<double>(cycle.congruence->degreesOfFreedom));
            writer.WriteText(row, 6, cycle.congruence->passed ? kPassed : kFailed);
        }
        writer.WriteText(row, 7, Joined(cycle.stableBenchmarks));
        writer.WriteText(row, 8, Joined(cycle.movedBenchmarks));
        if (!cycle.disagreements.empty())
            WriteMillimetres(writer, row, 9, cycle.disagreements.front().difference);
    }
    writer.FormatColumns(9);
}

void WriteCycleSheet(WorkbookWriter& writer, const ProjectSettings& settings, const MonitoringResult& result)
{
    writer.AddSheet(kCycleSheet);
    WriteHeadings(writer, kCycleHeadings, 1);
    int row = 1;
    bool anyRodScale = false;
    for (const CycleResult& cycle : result.cycles) {
        writer.WriteNumber(++row, 1, cycle.number);
        writer.WriteText(row, 2, cycle.date);
        writer.WriteText(row, 3, Joined(cycle.books));
        WriteMillimetres(writer, row, 4, cycle.sigma0);
        writer.WriteNumber(row, 5, static_cast<double>(cycle.degreesOfFreedom));
        if (cycle.rodScale.Corrects()) {
            writer.WriteNumber(row, 6, cycle.rodScale.ppm);
            anyRodScale = true;
        }
    }
    if (anyRodScale)
        writer.WriteText(1, 6, kRodScaleWorkbookLabel);
    writer.WriteText(row + 2, 1, kAlphaLabel);
    writer.WriteNumber(row + 2, 2, settings.monitor.alpha);
    writer.FormatColumns(5);
}

std::string CsvNumber(const std::optional<double>& value)
{
    return value && std::isfinite(*value) ? ShortestText(*value) : "";
}

}  // namespace

std::string MonitorCsv(const MonitoringResult& result)
{
    std::string csv = "point,cycle,date,height,sigma,settlement,sinceFirst,significant\r\n";
    for (const MonitoredPoint& point : result.points) {
        for (const PointInCycle& at : point.cycles) {
            const bool later = at.settlement.has_value();
            csv += CsvField(Cp1251ToUtf8(point.point)) + ',' + std::to_string(at.cycle) + ',' +
                   DateOf(result, at.cycle) + ',' + ShortestText(at.height) + ',' + ShortestText(at.sigma) +
                   ',' + CsvNumber(at.settlement) + ',' + CsvNumber(later ? std::optional(at.sinceFirst) : std::nullopt) +
                   ',' + (at.significant ? "true" : "false") + "\r\n";
        }
    }
    return csv;
}

void WriteMonitorWorkbook(WorkbookWriter& writer, const ProjectSettings& settings, const MonitoringResult& result)
{
    WriteSettlementSheet(writer, settings, result);
    WriteBenchmarkSheet(writer, result);
    WriteCycleSheet(writer, settings, result);
}

bool SaveMonitorResults(const std::string& path, OutputFormat format, const ProjectSettings& settings,
                        const MonitoringResult& result, std::string& error)
{
    if (format == OutputFormat::Csv) {
        AtomicFile file(path);
        return file.Open(error) && file.Write(MonitorCsv(result), error) && file.Commit(error);
    }
    const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(format);
    WriteMonitorWorkbook(*workbook, settings, result);
    return workbook->Save(path, error);
}

}  // namespace velmora
