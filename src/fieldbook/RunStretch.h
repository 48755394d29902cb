// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

/// The records that take part in the analysis (`skipped` clear), split into stretches: runs of
/// consecutive such records with one run number (compared as texts; skipped records between
/// them are passed over). The run list has one entry per stretch, and the grid shows a
/// selected run stretch by stretch.
///
/// Made in one walk over the records; it depends only on their run numbers and skip flags,
/// which edits never change, so it stays valid for as long as the records are those loaded.
class RunStretches {
public:
    struct Stretch {
        std::uint32_t run = 0;   ///< index of its run number in runNumbers()
        std::size_t first = 0;   ///< index of its first record
        std::size_t end = 0;     ///< one past the index of its last record
        std::size_t kept = 0;    ///< how many of the records in [first, end) take part
    };

    RunStretches() = default;
    explicit RunStretches(const RecordList& records);

    /// Takes the next record of a list, at `index`, as a reader appends it (skipped ones
    /// too: they are passed over).
    void Add(const MeasurementRecord& record, std::size_t index);

    const std::vector<Stretch>& stretches() const { return stretches_; }

    /// Every run number that takes part, once, in the order of its first stretch.
    const std::vector<std::string>& runNumbers() const { return runNumbers_; }

    /// The run number of each stretch, in file order: 5, 5, 7, 7, 5 gives 5, 7, 5.
    std::vector<std::string> CollapsedRunNumbers() const;

    /// One flag per entry of runNumbers(): whether `chosen` holds that number.
    std::vector<bool> RunsIn(const RunNumberSet& chosen) const;

    /// The index of that run number in runNumbers(), or -1 when no record that takes part has it.
    std::int64_t IndexOfRun(std::string_view runNumber) const;

    /// Appends the records that take part and belong to the runs flagged in `runs` (as RunsIn
    /// gives them), in file order.
    void AppendRecordsOfRuns(const RecordList& records, const std::vector<bool>& runs,
                             std::vector<std::size_t>& out) const;

private:
    std::vector<Stretch> stretches_;
    std::vector<std::string> runNumbers_;
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> indexOfRun_;
};

/// True when two run numbers are the same text. Run numbers are at most four bytes, so this
/// compares them in place; it runs once for every record of every walk over a book.
inline bool SameRunNumber(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

}  // namespace velmora
