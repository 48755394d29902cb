// SPDX-License-Identifier: MIT
#pragma once

// Shortcuts the tests take to a run or a number, each through the program's own public path.

#include "fieldbook/RecordList.h"
#include "fieldbook/RunStretches.h"
#include "fieldbook/TextConversions.h"
#include "runs/Station.h"

#include <string>
#include <string_view>

namespace velmora::testing {

/// The stations of the run of that number (trimmed), as every reader of runs finds its records.
inline RunStations WalkRunByNumber(const RecordList& records, std::string_view runNumber)
{
    RunStations run = WalkRun(records, RunStretches(records).RecordsOf(runNumber));
    run.runNumber = std::string(TrimText(runNumber));
    return run;
}

}  // namespace velmora::testing
