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

/// The adjustment of a levelling network in a workbook of four sheets, in the export's style
/// (columns in 12-point font, 12 characters wide, red for a flagged value):
///
///     "Каталог"      Пункт | H, м | СКО, м | Твёрдый | Секций          one row per node
///     "Секции"       Книга | Ход | От | До | Станций | h, м | L, м | v, м | w
///     "Пункты"       Пункт | H, м | СКО, м | Ход      every point; Ход for turning and
///                                                     intermediate points
///     "Наблюдения"   Ход | От | До | h, м | L, м | v, м | w        one row per station
///
/// A run is named BOOK:RUN where another book has a run of that number too. Numbers are rounded
/// to the decimals above. A w beyond Baarda's critical value is red; an observation or section
/// that the network does not check has no w.
void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result);

}  // namespace velmora
