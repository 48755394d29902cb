// SPDX-License-Identifier: MIT
#include "quality/BookCheck.h"

#include "network/NetworkObservations.h"
#include "network/NetworkSections.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace velmora {

bool BookCheck::HasFindings() const
{
    return AnySectionAbove(sections) ||
           std::any_of(qualities.begin(), qualities.end(),
                       [](const RunQuality& quality) { return !quality.findings.empty(); });
}

namespace {

// The sections that the checked runs level more than once, read as the adjustment reads them.
std::vector<SectionLevellings> RepeatedSections(const RecordList& records, const std::vector<RunSights>& runs,
                                                const std::vector<RunStations>& walked)
{
    std::unordered_map<std::string_view, const RunStations*> byNumber;
    for (const RunStations& run : walked)
        byNumber.emplace(run.runNumber, &run);
    std::vector<const RunStations*> readable;
    for (const RunSights& run : runs) {
        if (!run.unreadable.empty())
            continue;
        const auto found = byNumber.find(run.runNumber);
        if (found != byNumber.end() && found->second->Readable())
            readable.push_back(found->second);
    }
    LevellingNetwork network;
    std::string error;
    if (readable.empty() || !NetworkOfRuns(records, readable, 0, network, error))
        return {};
    return FindSectionLevellings(network, FindSections(network, {}));
}

}  // namespace

BookCheck CheckBookRuns(const RecordList& records, const RunCatalog& catalog,
                        const LevellingLimits& limits,
                        const std::optional<std::vector<std::string>>& runNumbers, RodScale scale)
{
    BookCheck check;
    check.times = TimesOf(records);
    std::vector<RunStations> walked;
    std::vector<RunSights> all = SightsOfRuns(records, &walked, scale);
    if (!runNumbers) {
        check.runs = std::move(all);
    } else {
        for (const std::string& number : *runNumbers) {
            const auto found = std::find_if(all.begin(), all.end(),
                                            [&](const RunSights& run) { return run.runNumber == number; });
            if (found != all.end())
                check.runs.push_back(std::move(*found));
        }
    }
    // The qualities point into check.runs, which no longer grows.
    for (const RunSights& run : check.runs) {
        check.qualities.push_back(CheckRun(run, limits));
        check.listRuns.push_back(catalog.Find(run.runNumber));
        CorrectHeightSum(check.listRuns.back(), scale);
    }
    check.sections = UnjudgedSections(RepeatedSections(records, check.runs, walked));
    JudgeSections(check.sections, limits.maxSectionDifference);
    return check;
}

}  // namespace velmora
