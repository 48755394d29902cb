// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunStretch.h"
#include "runs/LevellingRun.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velmora {

/// Every run of a record list that has a kept record (the runs the list can show), read into
/// stations, so that the texts of all list entries cost time linear in the file. A run number
/// that no kept record carries is an empty run.
class RunCatalog {
public:
    RunCatalog() = default;
    explicit RunCatalog(const RecordList& records);
    /// The same, for records whose stretches are known already.
    RunCatalog(const RecordList& records, const RunStretches& stretches);

    /// The run with that (trimmed) number, or an empty run when there is none.
    const LevellingRun& Find(std::string_view runNumber) const;

    /// Reads the runs of these numbers (PackedRunNumber keys) again from `records`, after
    /// their fields were edited; the other runs stay as they are. The records must be those
    /// the catalog was made from, with the same run numbers and skip flags: the catalog keeps
    /// where each run's records stand.
    void Refresh(const RecordList& records, const std::unordered_set<std::uint64_t>& runNumbers);

private:
    struct Entry {
        LevellingRun run;
        std::vector<std::pair<std::size_t, std::size_t>> ranges;  // [first, end) of its records
    };
    std::unordered_map<std::uint64_t, Entry> runs_;  // by PackedRunNumber
};

}  // namespace velmora
