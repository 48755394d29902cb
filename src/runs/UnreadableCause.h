// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

/// Why a run cannot be read, kept as a cause with its evidence, worded only when it is shown:
/// in English for what programs read (the run's `reason`, --json), through the catalogue for
/// people. Texts are bytes as in the book.
struct UnreadableCause {
    enum class Kind {
        None,
        UnknownUnit,          ///< a reading in `unit` at `point`, of a size nobody knows
        NegativeDistance,     ///< the sight distance `word` at `point` is below zero
        DistanceNotANumber,   ///< the sight distance `word` at `point` is no finite number
        FitsNoMethod,         ///< station `station` (`pattern` from `point`) fits no method
        DifferentPoints,      ///< ... has readings on different points
        NotChained,           ///< ... does not begin on `expectedPoint`
        Incomplete,           ///< ... is incomplete (the run ends within it)
        ReadingsTakenTwice,   ///< readings taken twice, in no order a method uses
        NotANumber,           ///< a reading or distance is not a number
        StationNotANumber,    ///< station `station` has a reading or distance that is no number
        LineFault,            ///< line `line` cannot be read by its layout, as `lineFault` words it
    };

    Kind kind = Kind::None;
    std::size_t station = 0;     ///< 1-based, for the station kinds
    std::string pattern{};       ///< the station's sights so far: "BFB"
    std::string point{};         ///< the station's first point, or the point of the unknown unit
    std::string unit{};          ///< UnknownUnit: the unit field as written
    std::string expectedPoint{}; ///< NotChained: where the previous station ended
    std::string word{};          ///< LineFault, the distance kinds: the offending text as written
    std::size_t line = 0;        ///< LineFault: 1-based line of the book
    /// LineFault: the layout's words for it (FieldBookLayout's LineFault::words, the English
    /// text of the catalogue with {1} for `line` and {2} for `word`).
    const char* lineFault = nullptr;

    bool empty() const { return kind == Kind::None; }

    /// The cause in English with the book's texts as bytes, as the run's `reason` and --json
    /// give it: "station 2 (BFB from point 12) fits no levelling method".
    std::string Text() const;

    /// The cause for people, in the user's language (UTF-8, the book's texts converted):
    /// "станция 2 (BFB от точки 12) не подходит ни к одному способу нивелирования". The same
    /// words as Text() where the language is English.
    std::string TextForPeople() const;

    bool operator==(const UnreadableCause&) const = default;
};

}  // namespace velmora
