// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

/// Reads the field books and adjusts them as a network exactly as `adjust` does with the same
/// arguments (the books, --fixed, --fixed-file, --class, …), for another command that shows the
/// adjustment. A wrong argument throws a UsageError; false (after the message on `err`) when a
/// book cannot be read or the network cannot be adjusted.
bool AdjustBooksAsNetwork(const std::vector<std::string>& adjustArguments,
                          LevellingNetwork& network, NetworkAdjustment& result, std::ostream& err);

}  // namespace velmora::cli
