// SPDX-License-Identifier: MIT
#pragma once

namespace velmora {

/// How far a figure may lie above a limit before it breaks it, metres. Figures are decimals of
/// at most five places read into doubles (2.47 − 1.47 is 1.0000000000000002); 1e-9 m is far
/// below the books' last decimal and far above the error of the sums of a run.
inline constexpr double kLimitSlack = 1e-9;

/// True when `value` breaks `limit`: it lies above it by more than kLimitSlack, so a value equal
/// to the limit in the field book's decimals passes. NaN breaks no limit: a figure that could
/// not be computed is reported where it is computed.
inline bool ExceedsLimit(double value, double limit)
{
    return value - limit > kLimitSlack;
}

}  // namespace velmora
