// SPDX-License-Identifier: MIT
#pragma once

#include "quality/FindingGroups.h"

#include <string>

namespace velmora {

/// One group of findings as one line for people, in the user's language (UTF-8), numbers with
/// its decimal separator: "sight length: stations 1, 7–10, 12; largest 80.000 m at station 7,
/// limit 75.000 m", "station imbalance: station 3; 2.500 m, limit 2.000 m", "height sum
/// against the instrument's Sh: 0.00030 m, limit 0.00015 m".
std::string FindingGroupLine(const FindingGroup& group);

}  // namespace velmora
