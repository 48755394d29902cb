// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"
#include "workbook/WorkbookWriter.h"

#include <string_view>

namespace velmora {

/// Decimals of the adjustment's results: heights, standard deviations, height differences and
/// residuals in metres, two more than the field book's readings (1e-5 m); lengths in metres,
/// two more than its distances (1e-3 m); standardized residuals.
inline constexpr int kNetworkMetreDecimals = 7;
inline constexpr int kNetworkLengthDecimals = 5;
inline constexpr int kNetworkWDecimals = 2;

/// The adjustment of a levelling network in a workbook of four sheets, in the export's style
/// (columns in 12-point font, 12 characters wide, red for a flagged value), in Russian:
///
///     "Каталог"      the figures of the adjustment, a row each, name in A and value in B:
///                    Класс | СКО на 1 км априори, мм | СКО на 1 км по уравниванию, мм |
///                    Число степеней свободы | Глобальный тест (хи-квадрат): the statistic, the
///                    accepted interval in C and D, "выполнен"/"не выполнен" in E (red when not)
///                    | Твёрдый пункт: its name, its height in C (a row per fixed point);
///                    an empty row, then the catalogue of the nodes:
///                    Пункт | H, м | СКО, м | Твёрдый | Секций
///     "Секции"       Книга | Ход | От | До | Станций | h, м | L, м | v, м | w
///     "Наблюдения"   Ход | От | До | h, м | L, м | v, м | w        one row per station
///     "Пункты"       Пункт | H, м | СКО, м | Ход      every point; Ход for turning and
///                                                     intermediate points
///
/// `className` is the levelling class ("II") whose tolerance gave the a-priori σ. A run is named
/// BOOK:RUN where another book has a run of that number too. Numbers are rounded to the
/// decimals above, σ and χ² to those the texts give them (runs/FigureWords.h). A w beyond
/// Baarda's critical value is red; an observation or section that the network does not check
/// has no w.
void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result, std::string_view className);

}  // namespace velmora
