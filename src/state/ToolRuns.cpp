// SPDX-License-Identifier: MIT
#include "state/ToolRuns.h"

#include <algorithm>
#include <unordered_set>

namespace velmora {

std::vector<std::string> ToolRunNumbers(const RunList& list)
{
    const auto& entries = list.entries();
    const bool anySelected = std::any_of(entries.begin(), entries.end(),
                                         [](const RunListEntry& entry) { return entry.selected; });
    std::vector<std::string> numbers;
    std::unordered_set<std::string_view> seen;
    for (const RunListEntry& entry : entries) {
        if (anySelected && !entry.selected)
            continue;
        const std::string_view number = entry.runNumber;
        if (seen.insert(number).second)
            numbers.emplace_back(number);
    }
    return numbers;
}

}  // namespace velmora
