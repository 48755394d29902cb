// SPDX-License-Identifier: MIT
#pragma once

// Fixed heights as people give them: typed one by one, or a file of "POINT HEIGHT" lines.

#include "network/NetworkAdjustment.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora {

/// Why a fixed height was not taken.
struct FixedHeightsFailure {
    enum class Kind {
        None,
        NoPoint,         ///< a height without a point
        NoNumber,        ///< the height is no number (`text`)
        FixedTwice,      ///< `point` given again at another height
        CannotRead,      ///< the file cannot be read
        NotPointHeight,  ///< a line of the file is not POINT HEIGHT
    };
    Kind kind = Kind::None;
    int line = 0;       ///< the file's line, from 1; 0 when the height was not read from a file
    std::string point;  ///< field-book bytes (Windows-1251)
    std::string text;   ///< the height as written
};

/// Adds a fixed height to `fixed`. A point given twice at one height is taken once; at two
/// heights, or without a point, or with a height that is no number, nothing is added and
/// `failure` says why.
bool AddFixedHeight(FixedHeight known, std::vector<FixedHeight>& fixed, FixedHeightsFailure& failure);

/// Reads fixed heights, one "POINT HEIGHT" a line, separated by blanks, a tab or ";"; "#" starts
/// a comment, an empty line is skipped. Heights in metres with a decimal point or comma. Point
/// names in UTF-8 that Windows-1251 can hold are taken as the field book writes them (Windows-
/// 1251); other bytes as they are. A UTF-8 byte-order mark before the first line is passed
/// over. Stops at the first bad line with `failure`; the heights of the lines before it stay
/// added.
bool ReadFixedHeights(std::istream& lines, std::vector<FixedHeight>& fixed, FixedHeightsFailure& failure);

/// The same from the file at `path`; CannotRead when it cannot be opened or read.
bool ReadFixedHeightsFile(const std::string& path, std::vector<FixedHeight>& fixed,
                          FixedHeightsFailure& failure);

/// The failure in the user's language (UTF-8); `source` names the file it came from.
std::string FixedHeightsFailureText(const FixedHeightsFailure& failure, std::string_view source);

}  // namespace velmora
