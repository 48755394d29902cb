// SPDX-License-Identifier: MIT
#include "quality/BookCheck.h"

#include "network/NetworkObservations.h"
#include "network/NetworkSections.h"
#include "fieldbook/RunStretches.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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
bool AddBookRuns(const RecordList& records, const std::vector<const RunStations*>& readable, std::size_t book,
                 LevellingNetwork& network)
{
    std::string error;
    return readable.empty() || NetworkOfRuns(records, readable, book, network, error, NetworkReading::sectionsOnly);
}

// Whether a run takes part in the network of the sections levelled twice: the check read it,
// and so did the walk it came from.
bool TakesPart(const RunSights& run, const RunStations& walked)
{
    return run.unreadable.empty() && walked.Readable();
}

// The sections that a network's runs level more than once, judged against the class.
std::vector<SectionCheck> JudgedSections(const LevellingNetwork& network, const LevellingLimits& limits)
{
    std::vector<SectionCheck> sections =
        UnjudgedSections(FindSectionLevellings(network, FindSections(network, {})));
    JudgeSections(sections, limits.maxSectionDifference);
    return sections;
}

// The runs of `runNumbers` in that order (a number the book does not hold passed over) into
// `check`, and the network of those the check could read.
bool CheckChosenRuns(const RecordList& records, const std::vector<std::string>& runNumbers, RodScale scale,
                     BookCheck& check, LevellingNetwork& network)
{
    const std::unordered_set<std::string_view> chosen(runNumbers.begin(), runNumbers.end());
    std::vector<RunSights> all;
    std::vector<RunStations> walked;  // only those of the chosen runs
    std::vector<LevellingRun> listed;
    EachRunSights(records, scale, [&](RunSights run, const RunStations& stations, const LevellingRun& sums) {
        if (chosen.count(run.runNumber) != 0)
            walked.push_back(stations);
        all.push_back(std::move(run));
        listed.push_back(sums);
    });
    for (const std::string& number : runNumbers) {
        const auto found =
            std::find_if(all.begin(), all.end(), [&](const RunSights& run) { return run.runNumber == number; });
        if (found != all.end()) {
            check.runs.push_back(std::move(*found));
            check.listRuns.push_back(listed[static_cast<std::size_t>(found - all.begin())]);
        }
    }
    return AddBookRuns(records, ReadableRuns(check.runs, walked), 0, network);
}

// Every run into `check`, each added to the network as soon as it is read, so that only one
// run's stations are held at a time.
bool CheckEveryRun(const RecordList& records, RodScale scale, BookCheck& check, LevellingNetwork& network)
{
    // Room for every station at once (each takes two records at least): the network never
    // moves its stations while it grows, which would hold them twice for a moment.
    network.observations.reserve(records.size() / 2);
    bool read = true;
    EachRunSights(records, scale, [&](RunSights run, const RunStations& walked, const LevellingRun& listed) {
        if (read && TakesPart(run, walked))
            read = AddBookRuns(records, {&walked}, 0, network);
        check.runs.push_back(std::move(run));
        check.listRuns.push_back(listed);
    });
    return read;
}

}  // namespace

BookCheck CheckBookRuns(const RecordList& records, const LevellingLimits& limits,
                        const std::optional<std::vector<std::string>>& runNumbers, RodScale scale,
                        const std::function<void()>& recordsRead)
{
    BookCheck check;
    check.times = TimesOf(records);
    {
        // The network of the sections is let go before the findings are made, so that the two
        // are never held together.
        LevellingNetwork network;
        const bool networkRead = runNumbers ? CheckChosenRuns(records, *runNumbers, scale, check, network)
                                            : CheckEveryRun(records, scale, check, network);
        // Nothing below reads the records: every text kept is a copy.
        if (recordsRead)
            recordsRead();
        if (networkRead)
            check.sections = JudgedSections(network, limits);
    }
    // The qualities point into check.runs, which no longer grows.
    check.qualities.reserve(check.runs.size());
    for (const RunSights& run : check.runs)
        check.qualities.push_back(CheckRun(run, limits));
    for (LevellingRun& listed : check.listRuns)
        CorrectHeightSum(listed, scale);
    return check;
}

std::vector<SectionCheck> SectionsOfBooks(const std::vector<const RecordList*>& records,
                                          const std::vector<BookCheck>& checks, const LevellingLimits& limits,
                                          RodScale scale)
{
    LevellingNetwork network;
    for (std::size_t book = 0; book < records.size(); ++book) {
        // The runs of the book's check, read again one at a time, in the check's order.
        const RunStretches stretches(*records[book]);
        for (const RunSights& run : checks[book].runs) {
            const std::int64_t index = stretches.IndexOfRun(run.runNumber);
            if (!run.unreadable.empty() || index < 0)
                continue;
            RunStations walked = WalkRunOf(*records[book], stretches, static_cast<std::uint32_t>(index));
            CorrectReadings(walked, scale);
            if (walked.Readable() && !AddBookRuns(*records[book], {&walked}, book, network))
                return {};
        }
    }
    return JudgedSections(network, limits);
}

}  // namespace velmora
