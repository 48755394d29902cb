// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "network/NetworkAdjustment.h"
#include "runs/Station.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

/// Why a run read into stations cannot be read, in the user's language (UTF-8): "run 3 cannot
/// be read: …". Empty for a readable run.
std::string UnreadableRunText(const RunStations& run);

/// Adds the levelling network of runs read into stations to `network`, as field book `book`
/// (an index into network.books): every station with a backsight and a foresight is one
/// observation from its back point to its fore point, with the height difference mean back −
/// mean fore and the length mean back + mean fore distance; every intermediate sight of a
/// station with a backsight gives its point a height from the back point (back − its reading,
/// over back + its distance). Runs and stations keep their order. Where the book records the
/// instrument's own height of a point ("Z" on the line after the reading, M5 layout), the
/// observation carries it. Where the chain of a run's stations breaks (ChainBreaksOf), a
/// chainBreak warning goes into `network.readWarnings`.
///
/// False with `error` naming the run and the reason when one of the runs cannot be read: no
/// number of a misread station may reach the results.
///
/// `reading` sectionsOnly leaves out the instrument's heights and the intermediate sights: the
/// sections between nodes (FindSections) are the same without them, and only the adjustment's
/// results and warnings read them.
enum class NetworkReading { everything, sectionsOnly };
bool NetworkOfRuns(const RecordList& records, const std::vector<const RunStations*>& runs,
                   std::size_t book, LevellingNetwork& network, std::string& error,
                   NetworkReading reading = NetworkReading::everything);

}  // namespace velmora
