// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "quality/StationChecks.h"

#include <vector>

namespace velmora {

/// Every distinct run of the record list as the checks read it, in the order of its first
/// record, taken from the station model and the run list's sums.
std::vector<RunSights> SightsOfRuns(const RecordList& records);

}  // namespace velmora
