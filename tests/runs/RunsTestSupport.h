#pragma once

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"

#include <vector>

namespace velmora::testing {

/// Records as the loader makes them from M5 lines built from the observations.
inline RecordList RecordsOf(const std::vector<Observation>& observations)
{
    RecordList records;
    for (const Observation& observation : observations) {
        MeasurementRecord record = ParseLine(M5Line(observation));
        record.skipped = IsSkippedLine(record);
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace velmora::testing
