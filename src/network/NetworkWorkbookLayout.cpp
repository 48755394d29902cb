// SPDX-License-Identifier: MIT
#include "network/NetworkWorkbookLayout.h"

#include <cmath>

namespace velmora {

namespace {

// Windows-1251 texts of the two sheets.
const std::string_view kPointsSheet = "\xCF\xF3\xED\xEA\xF2\xFB";                  // Пункты
const std::string_view kObservationsSheet = "\xCD\xE0\xE1\xEB\xFE\xE4\xE5\xED\xE8\xFF";  // Наблюдения
const std::string_view kPointHeadings[] = {
    "\xCF\xF3\xED\xEA\xF2",  // Пункт
    "H, \xEC",               // H, м
    "\xD1\xCA\xCE, \xEC",    // СКО, м
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

void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result)
{
    writer.SetSheetName(kPointsSheet);
    WriteHeadings(writer, kPointHeadings);
    int row = 2;
    for (const AdjustedPoint& point : result.points) {
        writer.WriteText(row, 1, point.point);
        writer.WriteNumber(row, 2, RoundToDecimals(point.height, kNetworkMetreDecimals));
        writer.WriteNumber(row, 3, RoundToDecimals(point.sigma, kNetworkMetreDecimals));
        ++row;
    }
    writer.FormatColumns(std::size(kPointHeadings));

    writer.AddSheet(kObservationsSheet);
    WriteHeadings(writer, kObservationHeadings);
    row = 2;
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        writer.WriteText(row, 1, observation.run);
        writer.WriteText(row, 2, observation.from);
        writer.WriteText(row, 3, observation.to);
        writer.WriteNumber(row, 4, RoundToDecimals(observation.heightDifference, kNetworkMetreDecimals));
        writer.WriteNumber(row, 5, RoundToDecimals(observation.length, kNetworkLengthDecimals));
        writer.WriteNumber(row, 6, RoundToDecimals(adjusted.residual, kNetworkMetreDecimals));
        if (adjusted.controlled) {
            writer.WriteNumber(row, 7, RoundToDecimals(adjusted.w, kNetworkWDecimals));
            if (adjusted.outlier)
                writer.SetFontRed(row, 7);
        }
        ++row;
    }
    writer.FormatColumns(std::size(kObservationHeadings));
}

}  // namespace velmora
