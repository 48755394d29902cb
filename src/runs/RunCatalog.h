// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberMap.h"
#include "fieldbook/RunNumberSet.h"
#include "fieldbook/RunStretches.h"
#include "runs/LevellingRun.h"

#include <cstdint>
#include <string_view>
#include <optional>
#include <string>
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

    /// Reads the runs of these numbers again from `records`, after their fields were edited;
    /// the other runs stay as they are. The records must be those the catalog was made from,
    /// with the same run numbers and skip flags, and `stretches` theirs: the catalog keeps
    /// which of their runs each entry is, not where its records stand.
    void Refresh(const RecordList& records, const RunStretches& stretches,
                 const RunNumberSet& runNumbers);

private:
    struct Entry {
        LevellingRun run;
        std::uint32_t stretchesRun = 0;  // its index in RunStretches::runs()
    };
    // Looked up every time an entry's text is made.
    RunNumberMap<Entry> runs_;
};

}  // namespace velmora
