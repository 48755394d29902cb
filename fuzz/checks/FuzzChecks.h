// SPDX-License-Identifier: MIT
#pragma once

// The invariants each fuzz target checks for one input. They throw CheckFailure when one does
// not hold; the core's own crashes show up as crashes. The same functions run the saved
// findings in tests/fuzz_regressions under the normal build.

#include <string_view>

namespace velmora::fuzz {

/// The input is a field book: loading, the run list at every class, and saving.
void CheckFieldBook(std::string_view input);

/// The input is a small field book and a sequence of user actions: the journal's Back/Forward.
void CheckJournal(std::string_view input);

/// The input describes a network of runs and a start point: the export's linking of runs.
void CheckAdjustment(std::string_view input);

/// The input describes cells of a workbook: both file formats.
void CheckWorkbook(std::string_view input);

}  // namespace velmora::fuzz
