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

// The walked runs of `runs` that the check could read, in the order of `runs`.
std::vector<const RunStations*> ReadableRuns(const std::vector<RunSights>& runs, const std::vector<RunStations>& walked)
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
    return readable;
}

// Adds the runs of book `book` to the network of the sections levelled twice; false when one of
// them cannot be read into it.
bool AddBookRuns(const RecordList& records, const std::vector<RunSights>& runs, const std::vector<RunStations>& walked,
                 std::size_t book, LevellingNetwork& network)
{
    const std::vector<const RunStations*> readable = ReadableRuns(runs, walked);
    std::string error;
    return readable.empty() || NetworkOfRuns(records, readable, book, network, error);
}

// The sections that a network's runs level more than once, judged against the class.
std::vector<SectionCheck> JudgedSections(const LevellingNetwork& network, const LevellingLimits& limits)
{
    std::vector<SectionCheck> sections =
        UnjudgedSections(FindSectionLevellings(network, FindSections(network, {})));
    JudgeSections(sections, limits.maxSectionDifference);
    return sections;
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
    LevellingNetwork network;
    if (AddBookRuns(records, check.runs, walked, 0, network))
        check.sections = JudgedSections(network, limits);
    return check;
}

std::vector<SectionCheck> SectionsOfBooks(const std::vector<const RecordList*>& records,
                                          const std::vector<BookCheck>& checks, const LevellingLimits& limits,
                                          RodScale scale)
{
    LevellingNetwork network;
    for (std::size_t book = 0; book < records.size(); ++book) {
        std::vector<RunStations> walked = WalkAllRuns(*records[book]);
        CorrectReadings(walked, scale);
        if (!AddBookRuns(*records[book], checks[book].runs, walked, book, network))
            return {};
    }
    return JudgedSections(network, limits);
}

}  // namespace velmora
