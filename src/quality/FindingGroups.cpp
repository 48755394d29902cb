// SPDX-License-Identifier: MIT
#include "quality/FindingGroups.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The value that ranks a finding in its group: its size, whatever its sign (a cumulative
// imbalance of −0.8 m is larger than one of 0.5 m). A NaN (stations that cannot be read)
// ranks lowest.
double Size(const Finding& finding)
{
    return std::isnan(finding.value) ? -1 : std::fabs(finding.value);
}

void AddStation(std::vector<StationRange>& ranges, int station)
{
    if (station <= 0)
        return;
    if (!ranges.empty() && station >= ranges.back().first && station <= ranges.back().last + 1) {
        ranges.back().last = std::max(ranges.back().last, station);
        return;
    }
    ranges.push_back({station, station});
}

}  // namespace

std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings)
{
    std::vector<Finding> ordered = findings;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Finding& a, const Finding& b) {
        if (a.check != b.check)
            return a.check < b.check;
        return a.station < b.station;
    });
    std::vector<FindingGroup> groups;
    for (const Finding& finding : ordered) {
        if (groups.empty() || groups.back().check != finding.check) {
            groups.push_back({finding.check, {}, 0, finding});
        } else if (Size(finding) > Size(groups.back().largest)) {
            groups.back().largest = finding;
        }
        FindingGroup& group = groups.back();
        ++group.count;
        AddStation(group.stations, finding.station);
    }
    return groups;
}

std::string StationRangesText(const std::vector<StationRange>& ranges)
{
    std::string text;
    for (const StationRange& range : ranges) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(range.first);
        if (range.last != range.first)
            text += "\u2013" + std::to_string(range.last);
    }
    return text;
}

}  // namespace velmora
