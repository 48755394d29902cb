// SPDX-License-Identifier: MIT
#include "quality/FindingGroups.h"

#include "fieldbook/Translation.h"
#include "quality/QualityText.h"
#include "runs/Rounding.h"

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

// Lengths to the centimetre as the book writes its distances, millimetres to 0.01 mm.
constexpr int kMetreDecimals = 2;
constexpr int kMillimetreDecimals = 2;

bool InMillimetres(QualityCheck check)
{
    return check == QualityCheck::DoubleReading || check == QualityCheck::InstrumentHeight;
}

// A value of the check with its unit, for people.
std::string ValueText(QualityCheck check, double metres)
{
    if (InMillimetres(check))
        return Fill(Tr("{1} mm"), {ForPeople(FixedText(metres * 1000, kMillimetreDecimals))});
    return Fill(Tr("{1} m"), {ForPeople(FixedText(metres, kMetreDecimals))});
}

// Where the group's findings stand: its stations, or the run as a whole.
std::string WhereText(const FindingGroup& group)
{
    if (group.stations.empty())
        return Tr("the run as a whole");
    const std::string ranges = StationRangesText(group.stations);
    const bool one = group.stations.size() == 1 && group.stations.front().first ==
                                                       group.stations.front().last;
    if (one)
        return Fill(Tr("station {1}"), {ranges});
    return Fill(TrPlural("stations {1} ({2} station)", "stations {1} ({2} stations)", group.count),
                {ranges, std::to_string(group.count)});
}

}  // namespace

std::string CheckTitle(QualityCheck check)
{
    switch (check) {
    case QualityCheck::ChainBreak: return Tr("chain of stations");
    case QualityCheck::Sight: return Tr("sight length");
    case QualityCheck::StationImbalance: return Tr("station imbalance");
    case QualityCheck::CumulativeImbalance: return Tr("cumulative imbalance");
    case QualityCheck::DoubleReading: return Tr("difference of two readings of one sight");
    case QualityCheck::InstrumentHeight: return Tr("height sum against the instrument's");
    case QualityCheck::InstrumentLength: return Tr("run length against the instrument's");
    case QualityCheck::Method: return Tr("levelling method");
    }
    return {};
}

std::string FindingGroupText(const FindingGroup& group)
{
    const Finding& largest = group.largest;
    const std::string head = CheckTitle(group.check) + ": " + WhereText(group);
    if (group.check == QualityCheck::ChainBreak) {
        // The first break in words; the others are the group's stations.
        return head + "; " + ChainBreakText(largest);
    }
    if (group.check == QualityCheck::Method) {
        if (std::isnan(largest.value))
            return head + "; " + Tr("the stations cannot be read");
        return head + "; " + Tr("every sight is read once, the class asks for two readings");
    }
    const std::string value = ValueText(group.check, largest.value);
    const std::string limit = ValueText(group.check, largest.limit);
    if (group.count > 1 && largest.station > 0)
        return head + "; " +
               Fill(Tr("largest {1} at station {2}, limit {3}"),
                    {value, std::to_string(largest.station), limit});
    return head + "; " + Fill(Tr("{1}, limit {2}"), {value, limit});
}

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
