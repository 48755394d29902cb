// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace velmora {

/// Why a run cannot be read, kept as a cause with its evidence, so that each reader of it
/// (the command-line tool in English, the window in Russian) words it in its own language.
/// Texts are bytes as in the book.
struct UnreadableCause {
    enum class Kind {
        None,
        UnknownUnit,          ///< a reading in `unit` at `point`, of a size nobody knows
        FitsNoMethod,         ///< station `station` (`pattern` from `point`) fits no method
        DifferentPoints,      ///< ... has readings on different points
        NotChained,           ///< ... does not begin on `expectedPoint`
        Incomplete,           ///< ... is incomplete (the run ends within it)
        ReadingsTakenTwice,   ///< readings taken twice, in no order a method uses
        NotANumber,           ///< a reading or distance is not a number
        LineProblem,          ///< line `line` is not what its layout expects: `problem`
    };

    Kind kind = Kind::None;
    std::size_t station = 0;    ///< 1-based, for the station kinds
    std::string pattern;        ///< the station's sights so far: "BFB"
    std::string point;          ///< the station's first point, or the point of the unknown unit
    std::string unit;           ///< UnknownUnit: the unit field as written
    std::string expectedPoint;  ///< NotChained: where the previous station ended
    std::string problem;        ///< LineProblem: the layout's words for it ("bad word ...")
    std::size_t line = 0;       ///< LineProblem: 1-based line of the book

    bool empty() const { return kind == Kind::None; }

    /// The cause in English, as the command-line tool and the run's `reason` show it:
    /// "station 2 (BFB from point 12) fits no levelling method".
    std::string Text() const;

    bool operator==(const UnreadableCause&) const = default;
};

}  // namespace velmora
