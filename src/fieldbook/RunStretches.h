// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "fieldbook/RunNumberMap.h"
#include "fieldbook/RunNumberSet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// Which records form which run: the one answer for the run list, the grid, the run analysis
/// and the export.
///
/// A run is every record with one run number (compared as texts, byte by byte), skipped
/// records too: a start-of-line record names the run's method. Only records that take part
/// (`skipped` clear) give a run an entry in the run list, one per stretch: a run of consecutive
/// such records with one run number (skipped records between them are passed over). The grid
/// shows a selected run stretch by stretch.
///
/// Made in one walk over the records, which the reader does while it reads; it depends only on
/// their run numbers and skip flags, which edits never change, so it stays valid for as long as
/// the records are those loaded.
class RunStretches {
public:
    struct Stretch {
        std::uint32_t run = 0;   ///< index of its run in runs()
        std::size_t first = 0;   ///< index of its first record
        std::size_t end = 0;     ///< one past the index of its last record
        std::size_t kept = 0;    ///< how many of the records in [first, end) take part
    };

    /// Records [first, end) of the list, one after the other.
    struct RecordRange {
        std::size_t first = 0;
        std::size_t end = 0;
    };

    struct Run {
        std::string number;                ///< the run number, trimmed (empty for records without)
        std::size_t kept = 0;              ///< how many of its records take part
        std::vector<RecordRange> records;  ///< all its records in file order: a run's records
                                           ///< mostly stand together, so a few ranges a run
    };

    RunStretches() = default;
    explicit RunStretches(const RecordList& records);

    /// Takes the next record of a list, at `index`, as a reader appends it; every record is
    /// given, in order.
    void Add(const MeasurementRecord& record, std::size_t index);

    /// The run number of the record added last, as it carries it; empty before the first. Valid
    /// until the next Add.
    std::string_view LastRunNumber() const
    {
        return runs_.empty() ? std::string_view() : std::string_view(runs_[current_].number);
    }

    /// Gives back the room that the lists grew by while records were added (up to half of
    /// it for a book of many runs); the reader calls it after the last record.
    void ShrinkToFit();

    const std::vector<Stretch>& stretches() const { return stretches_; }

    /// Every run number that a record carries, the empty one too, once, in the order of its
    /// first record.
    const std::vector<Run>& runs() const { return runs_; }

    /// The run number of each stretch, in file order: 5, 5, 7, 7, 5 gives 5, 7, 5.
    std::vector<std::string> CollapsedRunNumbers() const;

    /// One flag per entry of runs(): whether `chosen` holds that number.
    std::vector<bool> RunsIn(const RunNumberSet& chosen) const;

    /// The index of that run number in runs(), or -1 when no record has it.
    std::int64_t IndexOfRun(std::string_view runNumber) const;

    /// The indices of every record of a run (skipped ones too), in file order.
    std::vector<std::size_t> RecordsOf(std::uint32_t run) const;
    /// The same for the run of that number (trimmed first); empty when no record has it.
    std::vector<std::size_t> RecordsOf(std::string_view runNumber) const;

    /// Appends the records that take part and belong to the runs flagged in `runs` (as RunsIn
    /// gives them), in file order.
    void AppendRecordsOfRuns(const RecordList& records, const std::vector<bool>& runs,
                             std::vector<std::size_t>& out) const;

private:
    std::vector<Stretch> stretches_;
    std::vector<Run> runs_;
    RunNumberMap<std::uint32_t> indexOfRun_;
    std::uint32_t current_ = 0;  // the run of the record added last
};

/// True when two run numbers are the same text. Run numbers are short, so this compares them
/// in place; it runs once for every record of every walk over a book.
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
