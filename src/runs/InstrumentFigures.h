// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

namespace velmora {

/// How far our sum of height differences may lie from the instrument's "Sh", metres: the
/// instrument writes five decimals.
inline constexpr double kInstrumentHeightAgreement = 0.00015;
/// How far our run length may lie from the instrument's Db + Df, metres.
inline constexpr double kInstrumentLengthAgreement = 0.015;

/// The figures that the instrument itself recorded for a run: its sum of height differences
/// on the last "Sh" line and its summed back and fore distances on the last "Db" line, each
/// when the book has it.
///
/// Ours agree with a figure when they lie within its agreement above, the edge included, as
/// ExceedsLimit compares: Rb 2.47, Rf 1.47 against Sh 0.99985 agree although the difference
/// of the doubles is a little above 0.00015. A sum that is no number agrees with nothing.
struct InstrumentFigures {
    std::optional<double> heightSum;  ///< metres
    std::optional<double> length;     ///< Db + Df, metres

    /// Whether our sum of height differences (metres) agrees with Sh; true without Sh.
    bool HeightAgrees(double ourHeightSum) const;
    /// Whether our run length (metres) agrees with Db + Df; true without them.
    bool LengthAgrees(double ourLength) const;
    /// Both of the above.
    bool Agrees(double ourHeightSum, double ourLength) const
    {
        return HeightAgrees(ourHeightSum) && LengthAgrees(ourLength);
    }
};

}  // namespace velmora
