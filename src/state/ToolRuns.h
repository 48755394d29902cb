// SPDX-License-Identifier: MIT
#pragma once

#include "runs/RunList.h"

#include <string>
#include <vector>

namespace velmora {

/// The runs that the station check and the network adjustment work on: the run numbers of the
/// selected entries, or of every entry when none is selected; each number once, in list order.
std::vector<std::string> ToolRunNumbers(const RunList& list);

}  // namespace velmora
