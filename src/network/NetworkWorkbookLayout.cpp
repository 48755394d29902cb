// SPDX-License-Identifier: MIT
#include "network/NetworkWorkbookLayout.h"

#include "fieldbook/Cp1251.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"

#include <cmath>
#include <set>
#include <string_view>

namespace velmora {

namespace {

// The texts of the sheets.
constexpr std::string_view kCatalogueSheet = "Каталог"_cp1251;
constexpr std::string_view kSectionsSheet = "Секции"_cp1251;
constexpr std::string_view kPointsSheet = "Пункты"_cp1251;
constexpr std::string_view kObservationsSheet = "Наблюдения"_cp1251;
constexpr std::string_view kFixedMark = "твёрдый"_cp1251;
constexpr std::string_view kClassLabel = "Класс"_cp1251;
constexpr std::string_view kSigmaLabel = "СКО на 1 км априори, мм"_cp1251;
constexpr std::string_view kSigma0Label = "СКО на 1 км по уравниванию, мм"_cp1251;
constexpr std::string_view kFreedomLabel = "Число степеней свободы"_cp1251;
constexpr std::string_view kTestLabel = "Глобальный тест (хи-квадрат)"_cp1251;
constexpr std::string_view kTestPassed = "выполнен"_cp1251;
constexpr std::string_view kTestFailed = "не выполнен"_cp1251;
constexpr std::string_view kFixedLabel = "Твёрдый пункт"_cp1251;
constexpr std::string_view kCatalogueHeadings[] = {
    "Пункт"_cp1251, "H, м"_cp1251, "СКО, м"_cp1251, "Твёрдый"_cp1251, "Секций"_cp1251,
};
constexpr std::string_view kSectionHeadings[] = {
    "Книга"_cp1251, "Ход"_cp1251, "От"_cp1251, "До"_cp1251, "Станций"_cp1251,
    "h, м"_cp1251,  "L, м"_cp1251, "v, м"_cp1251, "w",
};
constexpr std::string_view kPointHeadings[] = {
    "Пункт"_cp1251, "H, м"_cp1251, "СКО, м"_cp1251, "Ход"_cp1251,
};
constexpr std::string_view kObservationHeadings[] = {
    "Ход"_cp1251, "От"_cp1251, "До"_cp1251, "h, м"_cp1251, "L, м"_cp1251, "v, м"_cp1251, "w",
};

}  // namespace

namespace {

std::string BookName(const LevellingNetwork& network, std::size_t book)
{
    return book < network.books.size() ? network.books[book] : "";
}

// A run's number, with its book where another book has a run of that number too.
std::string RunLabel(const LevellingNetwork& network, std::size_t book, const std::string& run,
                     const std::set<std::string_view>& ambiguous)
{
    return ambiguous.count(run) ? BookName(network, book) + ":" + run : run;
}

std::set<std::string_view> AmbiguousRuns(const LevellingNetwork& network)
{
    std::set<std::pair<std::string_view, std::size_t>> runs;
    std::set<std::string_view> seen;
    std::set<std::string_view> ambiguous;
    for (std::size_t i = 0; i < network.observations.size(); ++i) {
        const LevellingObservation& o = network.observations[i];
        if (i > 0 && o.run == network.observations[i - 1].run &&
            o.book == network.observations[i - 1].book)
            continue;
        if (runs.emplace(o.run, o.book).second && !seen.insert(o.run).second)
            ambiguous.insert(o.run);
    }
    return ambiguous;
}

void WriteW(WorkbookWriter& writer, int row, int column, bool controlled, double w, bool outlier)
{
    if (!controlled)
        return;
    writer.WriteNumber(row, column, RoundToDecimals(w, kNetworkWDecimals));
    if (outlier)
        writer.SetFontRed(row, column);
}

// A height difference, its length and its residual in three columns from `column` on: the same
// figures in the section and the station rows.
void WriteDifference(WorkbookWriter& writer, int row, int column, double heightDifference,
                     double length, double residual)
{
    writer.WriteNumber(row, column, RoundToDecimals(heightDifference, kNetworkMetreDecimals));
    writer.WriteNumber(row, column + 1, RoundToDecimals(length, kNetworkLengthDecimals));
    writer.WriteNumber(row, column + 2, RoundToDecimals(residual, kNetworkMetreDecimals));
}

// The figures of the adjustment above the catalogue, a row each, to the decimals the texts give
// them (runs/FigureWords.h), and the rods' scale when the readings were corrected for one; the
// row after the last.
int WriteFigures(WorkbookWriter& writer, const NetworkAdjustment& result, std::string_view className,
                 RodScale rodScale)
{
    writer.WriteText(1, 1, kClassLabel);
    writer.WriteText(1, 2, className);
    writer.WriteText(2, 1, kSigmaLabel);
    writer.WriteNumber(2, 2, RoundToDecimals(result.sigma * kMillimetresPerMetre, kSigmaMillimetreDecimals));
    writer.WriteText(3, 1, kSigma0Label);
    writer.WriteNumber(3, 2, RoundToDecimals(result.sigma0 * kMillimetresPerMetre, kSigmaMillimetreDecimals));
    writer.WriteText(4, 1, kFreedomLabel);
    writer.WriteNumber(4, 2, static_cast<double>(result.degreesOfFreedom));
    const GlobalTest& test = result.globalTest;
    writer.WriteText(5, 1, kTestLabel);
    writer.WriteNumber(5, 2, RoundToDecimals(test.statistic, kChiSquareDecimals));
    writer.WriteNumber(5, 3, RoundToDecimals(test.lower, kChiSquareDecimals));
    writer.WriteNumber(5, 4, RoundToDecimals(test.upper, kChiSquareDecimals));
    writer.WriteText(5, 5, test.passed ? kTestPassed : kTestFailed);
    if (!test.passed)
        writer.SetFontRed(5, 5);
    int row = 6;
    for (const AdjustedPoint& point : result.points) {
        if (!point.fixed)
            continue;
        writer.WriteText(row, 1, kFixedLabel);
        writer.WriteText(row, 2, point.point);
        writer.WriteNumber(row, 3, RoundToDecimals(point.height, kNetworkMetreDecimals));
        ++row;
    }
    if (rodScale.Corrects()) {
        writer.WriteText(row, 1, kRodScaleWorkbookLabel);
        writer.WriteNumber(row, 2, rodScale.ppm);
        ++row;
    }
    return row;
}

void WriteCatalogueSheet(WorkbookWriter& writer, const LevellingNetwork& network, const NetworkAdjustment& result,
                         std::string_view className)
{
    writer.SetSheetName(kCatalogueSheet);
    const int headings = WriteFigures(writer, result, className, network.rodScale) + 1;
    WriteHeadings(writer, kCatalogueHeadings, headings);
    int row = headings + 1;
    for (const AdjustedPoint& point : result.points) {
        if (point.kind != PointKind::node)
            continue;
        writer.WriteText(row, 1, point.point);
        writer.WriteNumber(row, 2, RoundToDecimals(point.height, kNetworkMetreDecimals));
        writer.WriteNumber(row, 3, RoundToDecimals(point.sigma, kNetworkMetreDecimals));
        if (point.fixed)
            writer.WriteText(row, 4, kFixedMark);
        writer.WriteNumber(row, 5, point.sections);
        ++row;
    }
    writer.FormatColumns(std::size(kCatalogueHeadings));
}

void WriteSectionsSheet(WorkbookWriter& writer, const LevellingNetwork& network,
                        const NetworkAdjustment& result)
{
    writer.AddSheet(kSectionsSheet);
    WriteHeadings(writer, kSectionHeadings, 1);
    int row = 2;
    for (const AdjustedSection& section : result.sections) {
        if (const std::string book = BookName(network, section.book); !book.empty())
            writer.WriteText(row, 1, book);
        writer.WriteText(row, 2, section.run);
        writer.WriteText(row, 3, section.from);
        writer.WriteText(row, 4, section.to);
        writer.WriteNumber(row, 5, static_cast<double>(section.observations.size()));
        WriteDifference(writer, row, 6, section.heightDifference, section.length, section.residual);
        WriteW(writer, row, 9, section.controlled, section.w, section.outlier);
        ++row;
    }
    writer.FormatColumns(std::size(kSectionHeadings));
}


void WritePointsSheet(WorkbookWriter& writer, const LevellingNetwork& network,
                      const NetworkAdjustment& result, const std::set<std::string_view>& ambiguous)
{
    writer.AddSheet(kPointsSheet);
    WriteHeadings(writer, kPointHeadings, 1);
    int row = 2;
    for (const AdjustedPoint& point : result.points) {
        writer.WriteText(row, 1, point.point);
        writer.WriteNumber(row, 2, RoundToDecimals(point.height, kNetworkMetreDecimals));
        writer.WriteNumber(row, 3, RoundToDecimals(point.sigma, kNetworkMetreDecimals));
        if (point.kind != PointKind::node)
            writer.WriteText(row, 4, RunLabel(network, point.book, point.run, ambiguous));
        ++row;
    }
    writer.FormatColumns(std::size(kPointHeadings));
}

void WriteObservationsSheet(WorkbookWriter& writer, const LevellingNetwork& network,
                            const NetworkAdjustment& result,
                            const std::set<std::string_view>& ambiguous)
{
    writer.AddSheet(kObservationsSheet);
    WriteHeadings(writer, kObservationHeadings, 1);
    int row = 2;
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        writer.WriteText(row, 1, RunLabel(network, observation.book, observation.run, ambiguous));
        writer.WriteText(row, 2, observation.from);
        writer.WriteText(row, 3, observation.to);
        WriteDifference(writer, row, 4, observation.heightDifference, observation.length,
                        adjusted.residual);
        WriteW(writer, row, 7, adjusted.controlled, adjusted.w, adjusted.outlier);
        ++row;
    }
    writer.FormatColumns(std::size(kObservationHeadings));
}

}  // namespace

void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result, std::string_view className)
{
    const std::set<std::string_view> ambiguous = AmbiguousRuns(network);
    WriteCatalogueSheet(writer, network, result, className);
    WriteSectionsSheet(writer, network, result);
    WriteObservationsSheet(writer, network, result, ambiguous);
    WritePointsSheet(writer, network, result, ambiguous);
}

}  // namespace velmora
