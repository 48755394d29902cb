// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

/// Finds the record that a grid row showed for a given selection of runs, without walking the
/// records: the grid shows the records that take part and belong to a selected run, in file
/// order, so row r is the r-th such record.
///
/// The records that take part are split into stretches of one run number each; a selection is
/// a set of run ids, and row r is found by walking the stretches. Replaying a long journal asks
/// this for every cell edit, under a different selection after almost every click.
class GridRowIndex {
public:
    explicit GridRowIndex(const RecordList& records);

    /// Selects the runs of these numbers (others unknown to the records are ignored).
    void ClearSelection();
    void SelectRun(std::string_view runNumber);

    /// The index in the record list of the record in grid row `row` (1-based), if any.
    const std::size_t* RecordOfRow(int row) const;

private:
    struct Stretch {
        std::size_t run;    // id of the run number
        std::size_t first;  // into keptRecords_
        std::size_t count;
    };

    std::vector<std::size_t> keptRecords_;  // records that take part, in file order
    std::vector<Stretch> stretches_;
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> runIds_;
    std::vector<bool> selected_;  // by run id
};

}  // namespace velmora
