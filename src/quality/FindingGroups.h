// SPDX-License-Identifier: MIT
#pragma once

#include "quality/StationChecks.h"

#include <string>
#include <vector>

namespace velmora {

/// Stations first..last, both included (1-based).
struct StationRange {
    int first = 0;
    int last = 0;
    bool operator==(const StationRange&) const = default;
};

/// The findings of one check in one run, told once: the stations that break the limit, as
/// ranges, and the finding with the largest value (first of equals), where the reader looks
/// first.
struct FindingGroup {
    QualityCheck check = QualityCheck::Sight;
    std::vector<StationRange> stations;  ///< ascending; empty for a run-wide finding
    std::size_t count = 0;               ///< findings in the group
    Finding largest;
};

/// The findings of a run grouped by check, in the order of `QualityCheck`. Stations that
/// follow each other form one range; a run-wide finding (station 0) forms its own group.
std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings);

/// Ranges as people write them: "1, 7–10, 12" (an en dash in UTF-8 between the ends).
std::string StationRangesText(const std::vector<StationRange>& ranges);

}  // namespace velmora
