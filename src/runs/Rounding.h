// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora {

/// Rounds to 0.0001 with halves away from zero, exactly as every shown or exported number is
/// rounded: a = |x × 10000|, c = ceil(a); the magnitude is (c − 1) × 0.0001 when c − a > 0.5,
/// else c × 0.0001; the sign is that of x. A negative x that rounds to zero gives −0.
///
/// The arithmetic is kept in this form on purpose: values on a tie (0.00005, 0.00015, …) come
/// out as the operation has always given them only when it is computed this way in doubles.
double RoundTo4(double x);

/// The written form of a number: at most 10 significant digits, plain decimal notation with a
/// full stop, no trailing zeros and no trailing point, a leading minus for negative values
/// (−0 is written "-0"). Only magnitudes of 1e10 and more take the exponent form ("1.5E10").
/// Examples: 0.0034, 0.0013, -0.0002, 0, 1.5.
std::string NumberText(double x);

}  // namespace velmora
