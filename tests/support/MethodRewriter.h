// SPDX-License-Identifier: MIT
#pragma once

// Rewrites a field book measured with the BF method as if the same readings had been taken
// with another method, in another firmware language or unit, or with failed measurements in
// between. Every variant must give the original's run list and exported heights.

#include <string>
#include <string_view>
#include <vector>

namespace velmora::testing {

struct RewriteOptions {
    /// "BF", "BFFB", "BFBF", "aBF", "aBFFB" or "aBFBF": each BF station's backsight and
    /// foresight lines are repeated and ordered as the method reads them.
    std::string method = "BF";
    /// False: the start-of-line records ("Start-Line BF", "Pocatek poradu ZV") are left out;
    /// true: their method word names the new method in the record's own language.
    bool keepStartRecord = true;
    /// "Lr", "Lv", "Lz" for "Rb", "Rf", "Rz", as the German firmware writes them.
    bool germanCodes = false;
    /// M5 readings and distances of the stations written in feet ("ft" in the unit field).
    bool feet = false;
    /// After each foresight an M5 line with a wrong reading, flagged "e" as failed.
    bool errorLines = false;
};

/// The non-empty lines of a field book's text, without their line ends.
std::vector<std::string> SplitBookLines(std::string_view text);

/// The lines of a BF book rewritten as the options say. Lines that are no station reading
/// stay as they are.
std::vector<std::string> RewriteBook(const std::vector<std::string>& lines,
                                     const RewriteOptions& options);

}  // namespace velmora::testing
