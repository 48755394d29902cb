// SPDX-License-Identifier: MIT
#pragma once

// The figures surveyors read off a run and an adjustment, worded once for every output that
// shows them to people: the tool's texts, the report page, the window and the workbooks.
//
// Each figure's decimals are stated here. A text is the number alone, rounded by
// runs/Rounding.h and written with the decimal separator of the user's language (ForPeople:
// "41,4" in Russian, "41.4" in English; the window speaks Russian, so it gets the comma); its
// unit and its sentence belong to the output. Workbooks write numbers, rounded to the same
// decimals. Texts for programs (JSON, tab-separated tables, CSV) do not come from here.

#include <string>

namespace velmora {

/// Millimetres in a metre: misclosures and standard deviations are read in millimetres.
inline constexpr double kMillimetresPerMetre = 1000;

/// fh and the allowed fh, millimetres: 0.1 mm, the run list's 0.0001 m.
inline constexpr int kMisclosureMillimetreDecimals = 1;
/// σ₀ after the adjustment and the σ assumed before it, millimetres for 1 km of levelling.
inline constexpr int kSigmaMillimetreDecimals = 2;
/// The global test's χ² and the two ends of the interval it is accepted in.
inline constexpr int kChiSquareDecimals = 3;
/// The instrument's Sh and how far our sum of height differences lies from it, metres: the
/// instrument writes five decimals.
inline constexpr int kInstrumentHeightDecimals = 5;
/// The instrument's Db + Df and how far our run length lies from it, metres: to the millimetre.
inline constexpr int kInstrumentLengthDecimals = 3;

/// A misclosure fh or an allowed one (metres) in millimetres, rounded first to 0.0001 m as the
/// run list rounds it (RoundTo4), so that every millimetre figure says what the list says:
/// 0.04135 m is 0.0414 in the list and 41.4 mm here, never 41.3.
double MisclosureMillimetres(double metres);

/// MisclosureMillimetres to kMisclosureMillimetreDecimals: "41.4", "-1.5".
std::string MisclosureMillimetresText(double metres);

/// A standard deviation of 1 km of levelling (metres) in millimetres to
/// kSigmaMillimetreDecimals: 0.0239249 → "23.92".
std::string SigmaMillimetresText(double metres);

/// A χ² figure (no unit) to kChiSquareDecimals: "0.014".
std::string ChiSquareText(double value);

/// The instrument's Sh, or a difference from it (metres), to kInstrumentHeightDecimals.
std::string InstrumentHeightText(double metres);

/// The instrument's Db + Df, or a difference from it (metres), to kInstrumentLengthDecimals.
std::string InstrumentLengthText(double metres);

}  // namespace velmora
