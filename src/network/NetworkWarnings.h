// SPDX-License-Identifier: MIT
#pragma once

// The adjustment's warnings in words, for every place that shows them: the command line, the
// report page.

#include "network/NetworkAdjustment.h"

#include <string>
#include <string_view>

namespace velmora {

/// The kind as the JSON output names it: "reusedNumber", "junction", "chainBreak",
/// "repeatedRun".
const char* NetworkWarningKindName(NetworkWarning::Kind kind);

/// Stations for people: "3", "3 and 7", "3, 5 and 7".
std::string StationListText(const std::vector<std::size_t>& stations);

/// One warning of the adjustment in the current language, with the names of the books (run,
/// point, the book when there are several) passed through `name`: Cp1251ToUtf8 for a text for
/// people, or the bytes as they stand for what converts them later (JSON).
/// "run 12 passes node RP105 at station 2 and is split there as a junction";
/// "in run 1, station 3 begins on 3 where the station before ended on 2: …";
/// "run 1 of b.DAT repeats run 1 of a.DAT station for station: …";
/// "in run 3, 17 stands for 2 places (stations 4 and 9), kept apart as turning points; the
/// instrument's own heights there are 0.0031 m apart".
std::string NetworkWarningText(const LevellingNetwork& network, const NetworkWarning& warning,
                               std::string (*name)(std::string_view));

/// The nodes no fixed point reaches, each through `name` as above, in the adjustment's order:
/// "12, 14".
std::string UnreachedNamesText(const NetworkAdjustment& result, std::string (*name)(std::string_view));

/// The line that says so: "no fixed point reaches 12, 14; their heights are not computed";
/// empty when every node is reached.
std::string UnreachedText(const NetworkAdjustment& result, std::string (*name)(std::string_view));

}  // namespace velmora
