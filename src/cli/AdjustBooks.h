// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora {
class OpenBook;
}

namespace velmora::cli {

/// Adjusts the field books `books`, read already (OpenFieldBooks) from the paths that
/// `adjustArguments` name, as a network exactly as `adjust` does with the same arguments (the
/// books, --fixed, --fixed-file, --class, …), for another command that shows the adjustment. A
/// wrong argument throws a UsageError; false (after the message on `err`) when the network
/// cannot be adjusted.
bool AdjustBooksAsNetwork(const std::vector<std::string>& adjustArguments,
                          const std::vector<OpenBook*>& books, LevellingNetwork& network,
                          NetworkAdjustment& result, std::ostream& err);

}  // namespace velmora::cli
