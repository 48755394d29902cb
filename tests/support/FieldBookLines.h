// SPDX-License-Identifier: MIT
#pragma once

// Builders for field-book lines in the instrument's two layouts, for tests and the benchmark's
// generator. Fields are placed right-aligned in their columns, as the instrument writes them.

#include "fieldbook/RecordList.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::testing {

struct Observation {
    std::string point;
    std::string run;
    std::string code;  // "Rb", "Rf", "Rz", "Sh", "Db" or anything else
    std::string reading;
    std::string distance;
};

/// A 119-character M5 line ("For M5|Adr ...|KD1 ...") carrying the observation.
std::string M5Line(const Observation& observation, int address = 1);

/// A 119-character M5 text line ("For M5|Adr ...|TO  <text>   <run>|...") such as the
/// instrument writes for events like "Start-Line"; it has no value type.
std::string M5TextLine(std::string_view text, std::string_view run, int address = 1);

/// A plain-layout line carrying the observation.
std::string PlainLine(const Observation& observation);

/// A GSI word of `width` data characters (8 for GSI-8, 16 for GSI-16): the index, its
/// information filled with '.' up to the unit digit in position 6, the sign, and the data
/// zero-filled on the left. `number` is the data's digits without a decimal point.
std::string GsiWord(std::string_view index, char unit, long long number, int width);

/// The point word (11) of block `block`: the name zero-filled on the left.
std::string GsiPointWord(int block, std::string_view point, int width);

/// A line of GSI words, each followed by a blank; GSI-16 lines (words of 24 characters) begin
/// with "*".
std::string GsiLine(const std::vector<std::string>& words);

/// Records as the loader makes them from M5 lines built from the observations.
RecordList RecordsOf(const std::vector<Observation>& observations);

/// One M5 line per observation.
std::vector<std::string> M5Lines(const std::vector<Observation>& observations);

/// `lines` after the M5 event line that starts run 7 measured by `method` ("BFFB").
std::vector<std::string> WithStartLine(std::string_view method, std::vector<std::string> lines);

/// The records of a book of these lines, as loading it reads them.
RecordList BookOf(const std::vector<std::string>& lines);
/// The same for a book's whole text, line ends and all.
RecordList BookOfText(std::string_view text);

/// Joins lines, each followed by `lineEnd`.
std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd = "\r\n");

/// Writes `content` to a fresh file in the test program's temporary folder (removed with
/// everything in it when the program ends) and returns its path.
std::string WriteTemporaryFile(std::string_view name, std::string_view content);

/// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

/// Runs a shell command and gives back what it wrote to standard output; `status` (when given)
/// receives the status pclose reports, -1 when the command could not be started.
std::string CommandOutput(const std::string& command, int* status = nullptr);

/// CommandOutput cut into lines, without their line feeds.
std::vector<std::string> CommandOutputLines(const std::string& command);

/// The field books (.DAT, .dat) in a folder, sorted; none when it cannot be read.
std::vector<std::string> FieldBooksIn(const std::string& folder);

/// The folder of the real field books: the one VELMORA_FIELD_BOOKS names, else the shared
/// samples beside the project (../shared/samples/public, where the CI machine keeps them).
std::string RealFieldBooksFolder();

/// The real field books of RealFieldBooksFolder(); none when there is none. They are read
/// where they stand, never copied into the project.
std::vector<std::string> RealFieldBooks();

/// True when the tests run in continuous integration (CI=true): there a test that needs the
/// real field books fails without them instead of skipping.
bool InContinuousIntegration();

}  // namespace velmora::testing

/// Ends the test when `books` is empty: a failure in continuous integration, a skip that says
/// where the books were looked for anywhere else.
#define VELMORA_REQUIRE_REAL_FIELD_BOOKS(books)                                                 \
    do {                                                                                        \
        if ((books).empty()) {                                                                  \
            if (::velmora::testing::InContinuousIntegration())                                  \
                FAIL() << "no real field books in " << ::velmora::testing::RealFieldBooksFolder() \
                       << " (set VELMORA_FIELD_BOOKS)";                                         \
            GTEST_SKIP() << "no real field books in "                                           \
                         << ::velmora::testing::RealFieldBooksFolder()                          \
                         << " (set VELMORA_FIELD_BOOKS)";                                       \
        }                                                                                       \
    } while (false)

namespace velmora::testing {

}  // namespace velmora::testing
