// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora {

// Every number the program shows or writes is rounded and written here, by one policy:
//
// - Rounding is to a number of decimals with halves away from zero, decided on x × 10^d as
//   computed in doubles: 0.125 → 0.13 and −0.125 → −0.13 at two decimals, 0.00005 → 0.0001
//   at four. Most decimal ties land on the tie once scaled (1.0005 × 1000 is 1000.5, so 1.001),
//   some a bit below it (1.005 × 100 is 100.49999999999999, so 1.00): the rounding is of the
//   double the program holds, the same way for the list, the texts and the workbooks.
// - −0 appears in one place only: a run-list misclosure that rounds to zero from below is
//   written "-0", as the run list has always shown it (RoundTo4 keeps the sign). Every other
//   text and every rounded number written to a workbook drops it.
// - Texts for machines (JSON) are the shortest that read back as the same double.
// - A full stop is the decimal separator whatever the process locale; any finite double is
//   written, however large.

/// Rounds to 0.0001 with halves away from zero, exactly as every shown or exported number is
/// rounded: a = |x × 10000|, c = ceil(a); the magnitude is (c − 1) × 0.0001 when c − a > 0.5,
/// else c × 0.0001; the sign is that of x. A negative x that rounds to zero gives −0.
///
/// The arithmetic is kept in this form on purpose: values on a tie (0.00005, 0.00015, …) come
/// out as the operation has always given them only when it is computed this way in doubles.
double RoundTo4(double x);

/// Rounds to `decimals` decimals (0 or more), halves away from zero, as round(x × 10^d) / 10^d;
/// never gives −0. A value too large to have decimals at that scale comes back as it is.
double RoundToDecimals(double x, int decimals);

/// The written form of a run-list misclosure: at most 10 significant digits, plain decimal
/// notation with a full stop, no trailing zeros and no trailing point, a leading minus for
/// negative values (−0 is written "-0"). Only magnitudes of 1e10 and more take the exponent
/// form ("1.5E10"). Examples: 0.0034, 0.0013, -0.0002, 0, 1.5.
std::string NumberText(double x);

/// `x` rounded by RoundToDecimals and written with exactly `decimals` decimals: "0.13" for
/// 0.125 at two, "0.000" for −0.0000001 at three, all 301 digits of 1e300 at none. "-" for NaN
/// or infinity.
std::string FixedText(double x, int decimals);

/// FixedText(x, decimals) appended to `text`, for a writer that writes many numbers.
void AppendFixedText(std::string& text, double x, int decimals);

/// The shortest text that reads back as the same double: "0.1", "-0", "1e+300". "-" for NaN
/// or infinity (JSON writes null instead: see JsonNumber).
std::string ShortestText(double x);

}  // namespace velmora
