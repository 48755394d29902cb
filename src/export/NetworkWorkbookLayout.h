#pragma once

#include "export/WorkbookWriter.h"
#include "network/NetworkAdjustment.h"

namespace velmora {

/// The adjustment of a levelling network in a workbook of two sheets, in the export's style
/// (columns in 12-point font, 12 characters wide, red for a flagged value):
///
///     "Пункты"       Пункт | H, м | СКО, м                        one row per adjusted point
///     "Наблюдения"   Ход | От | До | h, м | L, м | v, м | w        one row per observation
///
/// Heights, standard deviations, height differences and residuals are rounded to 1e-7 m and
/// lengths to 1e-5 m, two decimals more than the readings and distances of the field book;
/// w to two decimals. A w beyond Baarda's critical value is red; an observation that the
/// network does not check has no w.
void WriteNetworkWorkbook(WorkbookWriter& writer, const LevellingNetwork& network,
                          const NetworkAdjustment& result);

/// Rounds to `decimals` decimals, halves away from zero.
double RoundToDecimals(double x, int decimals);

}  // namespace velmora
