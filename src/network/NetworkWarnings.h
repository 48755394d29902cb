// SPDX-License-Identifier: MIT
#pragma once

// The adjustment's warnings in words, for every place that shows them: the command line, the
// report page.

#include "network/NetworkAdjustment.h"

#include <string>
#include <string_view>

namespace velmora {

/// Stations for people: "3", "3 and 7", "3, 5 and 7".
std::string StationListText(const std::vector<std::size_t>& stations);

/// One warning of the adjustment in the current language, with the names of the books (run,
/// point, the book when there are several) passed through `name`: Cp1251ToUtf8 for a text for
/// people, or the bytes as they stand for what converts them later (JSON).
/// "run 12 passes node RP105 at station 2 and is split there as a junction";
/// "in run 3, 17 stands for 2 places (stations 4 and 9), kept apart as turning points; the
/// instrument's own heights there are 0.0031 m apart".
std::string NetworkWarningText(const LevellingNetwork& network, const NetworkWarning& warning,
                               std::string (*name)(std::string_view));

/// The nodes that no fixed point reaches (NetworkAdjustment::unreached) in the current
/// language, their names passed through `name` and joined by `separator`: "no fixed point
/// reaches RP101, RP102; their heights are not computed". Empty when every node is reached.
std::string UnreachedNodesText(const NetworkAdjustment& result, std::string (*name)(std::string_view),
                               std::string_view separator);

}  // namespace velmora
