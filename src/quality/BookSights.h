// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "quality/StationChecks.h"
#include "runs/LevellingRun.h"
#include "runs/RodScale.h"
#include "runs/Station.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora {

/// Every distinct run of the record list as the checks read it, in the order of its first
/// record, taken from the station model and the run list's sums. Their readings are corrected
/// for the rods' `scale` (CorrectReadings) before anything is summed.
std::vector<RunSights> SightsOfRuns(const RecordList& records, RodScale scale = {});

/// Receives the runs of SightsOfRuns one by one, each with the run read into stations that it
/// was taken from (WalkRunOf, corrected for the scale) and the run as the run list reads it
/// (RunCatalog: not corrected), both valid only during the call.
using RunSightsSink =
    std::function<void(RunSights run, const RunStations& walked, const LevellingRun& listed)>;

/// The runs of SightsOfRuns handed to `onRun` in the same order, each read as it is handed
/// over: a caller that needs the stations as well takes them there, and no more than one run's
/// stations are kept at a time.
void EachRunSights(const RecordList& records, RodScale scale, const RunSightsSink& onRun);

/// The first and the last time of day that the book's lines record ("07:41:02", the first
/// hh:mm:ss in a line, as written); both empty when no line holds one.
struct RecordedTimes {
    std::string first;
    std::string last;
};
RecordedTimes TimesOf(const RecordList& records);

}  // namespace velmora
