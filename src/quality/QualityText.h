// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Translation.h"
#include "network/SectionPairs.h"
#include "quality/StationChecks.h"
#include "runs/LevellingRun.h"
#include "runs/Rounding.h"

#include <string>
#include <string_view>

namespace velmora {

/// Decimals in the texts of the checks: lengths to the millimetre, heights to 0.01 mm.
inline constexpr int kLengthDecimals = 3;
inline constexpr int kHeightDecimals = 5;

// The texts below are in the user's language (fieldbook/Translation.h), numbers with its
// decimal separator, the field book's names converted to UTF-8.

/// One line of the figures of a run (no line end), starting with its run number and method:
/// "12 BF: 4 stations, length 166.000 m, longest sight 45.000 m, …". `misclosure`
/// (MisclosureText), when not empty, stands after the length.
std::string RunFiguresText(const RunQuality& quality, std::string_view misclosure = {});

/// The run's misclosure fh and the allowed one as the run list computes them, in millimetres:
/// "fh -1.5 mm, allowed fh 2.4 mm", "fh -38.5 mm, above the allowed fh 12.3 mm", or that an
/// open run has none; empty for a run without points or one that cannot be read.
std::string MisclosureText(const LevellingRun& run, double toleranceCoefficient);

/// The instrument's own sums and how far ours lie from them: "Sh 0.00027 m (ours differ by
/// 0.00000 m), Db+Df 147.790 m (ours differ by 0.000 m)", or a note that the book has none.
std::string InstrumentText(const RunQuality& quality);

/// One finding in words, e.g. "station 3: sight 80.000 m, limit 75.000 m".
std::string FindingText(const Finding& finding);

/// A ChainBreak finding in words: "station 3 begins on 3 where the station before ended on 2".
std::string ChainBreakText(const Finding& finding);

/// One pair of levellings of a section in words, each run named by `runName` (UTF-8): "section
/// I-N, runs 17 and 18 there and back: 0.12345 m and -0.05000 m, d 73.4 mm, limit 2.6 mm: above
/// the limit".
std::string SectionPairText(const SectionCheck& check, std::size_t pair,
                            std::string (*runName)(const SectionLevelling&));

/// The headings of a table of the pairs of levellings of sections, untranslated (Tr gives
/// them in the user's language): section, runs, both height differences, directions, d, limit,
/// verdict.
inline constexpr const char* kSectionPairHeadings[] = {N_("Section"), N_("Runs"),       N_("h\u2081, m"),
                                                       N_("h\u2082, m"), N_("Directions"), N_("d, mm"),
                                                       N_("Limit, mm"),   N_("Verdict")};

/// A pair's directions in the table's words: "there and back" or "one direction".
std::string SectionPairDirections(const SectionCheck& check, std::size_t pair);
/// A pair's verdict in the table's words: "above the limit" or "within the limit".
std::string SectionPairVerdictText(const SectionCheck& check, std::size_t pair);

}  // namespace velmora
