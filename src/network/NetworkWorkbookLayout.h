// SPDX-License-Identifier: MIT
#pragma once

#include "export/WorkbookWriter.h"
#include "network/NetworkAdjustment.h"

namespace velmora {

/// Decimals of the adjustment's results: heights, standard deviations, height differences and
/// residuals in metres, two more than the field book's readings (1e-5 m); lengths in metres,
/// two more than its distances (1e-3 m); standardized residuals.
inline constexpr int kNetworkMetreDecimals = 7;
inline constexpr int kNetworkLengthDecimals = 5;
inline constexpr int kNetworkWDecimals = 2;

/// The adjustment of a levelling network in a workbook of two sheets, in the export's style
/// (columns in 12-point font, 12 characters wide, red for a flagged value):
///
///     "Пункты"       Пункт | H, м | СКО, м                        one row per adjusted point
///     "Наблюдения"   Ход | От | До | h, м | L, м | v, м | w        one row per observation
///
/// Numbers are rounded to the decimals above. A w beyond Baarda's critical value is red; an
/// observation that the network does not check has no w.
void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result);

/// Rounds to `decimals` decimals, halves away from zero; never gives −0.
double RoundToDecimals(double x, int decimals);

}  // namespace velmora
