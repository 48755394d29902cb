// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "quality/StationChecks.h"

#include <string>
#include "runs/RodScale.h"
#include "runs/Station.h"

#include <vector>

namespace velmora {

/// Every distinct run of the record list as the checks read it, in the order of its first
/// record, taken from the station model and the run list's sums. The runs read into stations
/// go to `walked` when it is given (WalkAllRuns), for a caller that needs them as well. Their
/// readings are corrected for the rods' `scale` (CorrectReadings) before anything is summed.
std::vector<RunSights> SightsOfRuns(const RecordList& records, std::vector<RunStations>* walked = nullptr,
                                    RodScale scale = {});

/// The first and the last time of day that the book's lines record ("07:41:02", the first
/// hh:mm:ss in a line, as written); both empty when no line holds one.
struct RecordedTimes {
    std::string first;
    std::string last;
};
RecordedTimes TimesOf(const RecordList& records);

}  // namespace velmora
