// SPDX-License-Identifier: MIT
#pragma once

#include "quality/StationChecks.h"
#include "runs/Rounding.h"

#include <string>

namespace velmora {

/// Decimals in the texts of the checks: lengths to the millimetre, heights to 0.01 mm.
inline constexpr int kLengthDecimals = 3;
inline constexpr int kHeightDecimals = 5;

/// One line of the figures of a run (no line end), starting with its run number as written in
/// the field book: "12 BF: 4 stations, length 166.000 m, longest sight 45.000 m, …".
std::string RunFiguresText(const RunQuality& quality);

/// The instrument's own sums and how far ours lie from them: "Sh 0.00027 m (ours differ by
/// 0.00000 m), Db+Df 147.790 m (ours differ by 0.000 m)", or a note that the book has none.
std::string InstrumentText(const RunQuality& quality);

/// One finding in words, e.g. "station 3: sight 80.000 m, limit 75.000 m".
std::string FindingText(const Finding& finding);

}  // namespace velmora
