// SPDX-License-Identifier: MIT
#include "export/NetworkWorkbookLayout.h"

#include "fieldbook/Cp1251.h"
#include "runs/Rounding.h"

#include <cmath>

namespace velmora {

namespace {

// The texts of the two sheets.
constexpr std::string_view kPointsSheet = "Пункты"_cp1251;
constexpr std::string_view kObservationsSheet = "Наблюдения"_cp1251;
constexpr std::string_view kPointHeadings[] = {"Пункт"_cp1251, "H, м"_cp1251, "СКО, м"_cp1251};
constexpr std::string_view kObservationHeadings[] = {
    "Ход"_cp1251, "От"_cp1251, "До"_cp1251, "h, м"_cp1251, "L, м"_cp1251, "v, м"_cp1251, "w",
};

template <std::size_t N>
void WriteHeadings(WorkbookWriter& writer, const std::string_view (&headings)[N])
{
    for (std::size_t column = 0; column < N; ++column)
        writer.WriteText(1, static_cast<int>(column) + 1, headings[column]);
}

}  // namespace

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
