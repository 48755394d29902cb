// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"
#include "runs/Station.h"

#include <string>
#include <vector>

namespace velmora {

/// The levelling network of runs read into stations: every station with a backsight and a
/// foresight is one observation from its back point to its fore point, with the height
/// difference mean back − mean fore and the length mean back + mean fore distance; every
/// intermediate sight of a station with a backsight gives its point a height from the back
/// point (back − its reading, over back + its distance). Runs and stations keep their order.
///
/// False with `error` naming the run and the reason when one of the runs cannot be read: no
/// number of a misread station may reach the results.
bool NetworkOfRuns(const std::vector<const RunStations*>& runs, LevellingNetwork& network,
                   std::string& error);

}  // namespace velmora
