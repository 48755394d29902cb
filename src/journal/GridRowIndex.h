// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "fieldbook/RunStretches.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace velmora {

/// Finds the record that a grid row showed for a given selection of runs, without walking the
/// records: the grid shows the records that take part and belong to a selected run, in file
/// order, so row r is the r-th such record.
///
/// A selection is a set of run ids of the book's stretches, and row r is found by walking the
/// stretches. Replaying a long journal asks this for every cell edit, under a different
/// selection after almost every click. The index refers to the records and their stretches,
/// which must outlive it.
class GridRowIndex {
public:
    GridRowIndex(const RecordList& records, const RunStretches& stretches);

    /// Selects the runs of these numbers (others unknown to the records are ignored).
    void ClearSelection();
    void SelectRun(std::string_view runNumber);

    /// The index in the record list of the record in grid row `row` (1-based), if any.
    std::optional<std::size_t> RecordOfRow(int row) const;

private:
    const RecordList& records_;
    const RunStretches& stretches_;
    std::vector<bool> selected_;  // by run id
};

}  // namespace velmora
