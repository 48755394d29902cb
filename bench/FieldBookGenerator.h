// SPDX-License-Identifier: MIT
#pragma once

// Synthetic DiNi 12 field books (M5 layout, CR LF) for the benchmarks.
//
// The book begins with a file-name line; each run then has a Start-Line line, the height of its
// starting benchmark, stations of backsight (Rb), occasional intermediate sights (Rz) and
// foresight (Rf) followed by the height (Z) of the new point, and an End-Line line.
//
// Runs come in five kinds, and the summary counts each so that a reader can check what it
// computed from the book:
//   empty     a Start-Line, a single backsight and an End-Line (fewer than two points);
//   open      ends on another benchmark than it began;
//   closed    returns to its starting benchmark with a misclosure chosen well inside or well
//             outside the allowed one (at least 20 % away from it), in three bands:
//             within class I, above class I but within class II, above class II.
//
// Everything is derived from the seed with a private generator (splitmix64), so a seed gives
// the same bytes with every compiler and standard library.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmora::bench {

struct FieldBookShape {
    long lines = 10'000;  ///< wanted number of lines; the book comes out within a few of it
    long runs = 100;      ///< number of runs
    std::uint64_t seed = 1;
};

struct FieldBookSummary {
    long lines = 0;          ///< lines written, each ended by CR LF
    long long bytes = 0;     ///< file size
    long runs = 0;           ///< runs written; consecutive runs never share a number
    long emptyRuns = 0;
    long openRuns = 0;
    long withinClassI = 0;   ///< closed, misclosure within class I (so within every class)
    long withinClassII = 0;  ///< closed, above class I, within class II
    long aboveClassII = 0;   ///< closed, above class II
    /// Sum of the misclosures of the closed runs in units of 0.01 mm (signed).
    long long misclosureSum = 0;

    long closedRuns() const { return withinClassI + withinClassII + aboveClassII; }
};

/// Run numbers have four columns, so they go 1 … 9999 and then start again at 1. A run whose
/// number is shared with another one is always generated open: two stretches under one number
/// are analysed together, and two open stretches stay open.
inline constexpr long kLargestRunNumber = 9999;

/// Produces the book line by line (without line ends) and returns what was produced.
/// `shape.runs` must be at least 1.
FieldBookSummary GenerateFieldBook(const FieldBookShape& shape,
                                   const std::function<void(std::string_view line)>& emitLine);

/// Writes the book to `path` (through a temporary file renamed at the end, so an interrupted
/// run leaves no partial book under that name). Returns false with `error` set on failure.
bool WriteFieldBook(const FieldBookShape& shape, const std::string& path,
                    FieldBookSummary& summary, std::string& error);

/// The summary as "key value" lines, and back. ReadSummary returns false for a file that is
/// missing or incomplete.
std::string SummaryText(const FieldBookShape& shape, const FieldBookSummary& summary);
bool ReadSummary(const std::string& path, FieldBookShape& shape, FieldBookSummary& summary);

}  // namespace velmora::bench
