// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"

#include <cstddef>
#include <string_view>

namespace velmora {

/// Walks the records that take part in the analysis (`skipped` clear) in file order, calling
/// visit(runNumber, recordIndex, startsStretch) for each. `startsStretch` is true for the first
/// record of every stretch of consecutive such records with one run number (compared as
/// texts): the run list has one entry per stretch, and the grid shows a selected run stretch
/// by stretch.
template <typename Visit>
void ForEachRunStretchRecord(const RecordList& records, Visit&& visit)
{
    std::string_view lastRun;
    bool first = true;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].skipped)
            continue;
        const std::string_view run = records[i].runNumber();
        const bool startsStretch = first || run != lastRun;
        lastRun = run;
        first = false;
        visit(run, i, startsStretch);
    }
}

}  // namespace velmora
