// SPDX-License-Identifier: MIT
#include "export/NetworkWorkbookLayout.h"

#include <cmath>
#include <set>
#include <string_view>

namespace velmora {

namespace {

// Windows-1251 texts of the sheets.
const std::string_view kCatalogueSheet = "\xCA\xE0\xF2\xE0\xEB\xEE\xE3";              // Каталог
const std::string_view kSectionsSheet = "\xD1\xE5\xEA\xF6\xE8\xE8";                  // Секции
const std::string_view kPointsSheet = "\xCF\xF3\xED\xEA\xF2\xFB";                  // Пункты
const std::string_view kObservationsSheet = "\xCD\xE0\xE1\xEB\xFE\xE4\xE5\xED\xE8\xFF";  // Наблюдения
const std::string_view kFixedMark = "\xF2\xE2\xB8\xF0\xE4\xFB\xE9";                // твёрдый
const std::string_view kCatalogueHeadings[] = {
    "\xCF\xF3\xED\xEA\xF2",            // Пункт
    "H, \xEC",                         // H, м
    "\xD1\xCA\xCE, \xEC",              // СКО, м
    "\xD2\xE2\xB8\xF0\xE4\xFB\xE9",    // Твёрдый
    "\xD1\xE5\xEA\xF6\xE8\xE9",        // Секций
};
const std::string_view kSectionHeadings[] = {
    "\xCA\xED\xE8\xE3\xE0",            // Книга
    "\xD5\xEE\xE4",                    // Ход
    "\xCE\xF2",                        // От
    "\xC4\xEE",                        // До
    "\xD1\xF2\xE0\xED\xF6\xE8\xE9",    // Станций
    "h, \xEC",                         // h, м
    "L, \xEC",                         // L, м
    "v, \xEC",                         // v, м
    "w",
};
const std::string_view kPointHeadings[] = {
    "\xCF\xF3\xED\xEA\xF2",  // Пункт
    "H, \xEC",               // H, м
    "\xD1\xCA\xCE, \xEC",    // СКО, м
    "\xD5\xEE\xE4",          // Ход
};
const std::string_view kObservationHeadings[] = {
    "\xD5\xEE\xE4",  // Ход
    "\xCE\xF2",      // От
    "\xC4\xEE",      // До
    "h, \xEC",       // h, м
    "L, \xEC",       // L, м
    "v, \xEC",       // v, м
    "w",
};

template <std::size_t N>
void WriteHeadings(WorkbookWriter& writer, const std::string_view (&headings)[N])
{
    for (std::size_t column = 0; column < N; ++column)
        writer.WriteText(1, static_cast<int>(column) + 1, headings[column]);
}

}  // namespace

double RoundToDecimals(double x, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // + 0.0 turns a negative value that rounds to zero into 0, not −0.
    return std::round(x * scale) / scale + 0.0;
}

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

void WriteCatalogueSheet(WorkbookWriter& writer, const NetworkAdjustment& result)
{
    writer.SetSheetName(kCatalogueSheet);
    WriteHeadings(writer, kCatalogueHeadings);
    int row = 2;
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
    WriteHeadings(writer, kSectionHeadings);
    int row = 2;
    for (const AdjustedSection& section : result.sections) {
        if (const std::string book = BookName(network, section.book); !book.empty())
            writer.WriteText(row, 1, book);
        writer.WriteText(row, 2, section.run);
        writer.WriteText(row, 3, section.from);
        writer.WriteText(row, 4, section.to);
        writer.WriteNumber(row, 5, static_cast<double>(section.observations.size()));
        writer.WriteNumber(row, 6, RoundToDecimals(section.heightDifference, kNetworkMetreDecimals));
        writer.WriteNumber(row, 7, RoundToDecimals(section.length, kNetworkLengthDecimals));
        writer.WriteNumber(row, 8, RoundToDecimals(section.residual, kNetworkMetreDecimals));
        WriteW(writer, row, 9, section.controlled, section.w, section.outlier);
        ++row;
    }
    writer.FormatColumns(std::size(kSectionHeadings));
}

}  // namespace

void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result)
{
    const std::set<std::string_view> ambiguous = AmbiguousRuns(network);
    WriteCatalogueSheet(writer, result);
    WriteSectionsSheet(writer, network, result);

    writer.AddSheet(kPointsSheet);
    WriteHeadings(writer, kPointHeadings);
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

    writer.AddSheet(kObservationsSheet);
    WriteHeadings(writer, kObservationHeadings);
    row = 2;
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        writer.WriteText(row, 1, RunLabel(network, observation.book, observation.run, ambiguous));
        writer.WriteText(row, 2, observation.from);
        writer.WriteText(row, 3, observation.to);
        writer.WriteNumber(row, 4, RoundToDecimals(observation.heightDifference, kNetworkMetreDecimals));
        writer.WriteNumber(row, 5, RoundToDecimals(observation.length, kNetworkLengthDecimals));
        writer.WriteNumber(row, 6, RoundToDecimals(adjusted.residual, kNetworkMetreDecimals));
        WriteW(writer, row, 7, adjusted.controlled, adjusted.w, adjusted.outlier);
        ++row;
    }
    writer.FormatColumns(std::size(kObservationHeadings));
}

}  // namespace velmora
