// SPDX-License-Identifier: MIT
#include "runs/RunCatalog.h"

#include "fieldbook/TextConversions.h"

#include <utility>

namespace velmora {

namespace {

// The sums of one run whose records stand in these ranges [first, end) of record indices.
LevellingRun SumRun(const RecordList& records, const std::vector<RunStretches::RecordRange>& ranges)
{
    std::vector<std::size_t> runRecords;
    for (const auto& [first, end] : ranges) {
        for (std::size_t i = first; i < end; ++i)
            runRecords.push_back(i);
    }
    // Only the sums are kept: the stations are added as they are read.
    LevellingRun run;
    const RunStations header = WalkRun(records, runRecords, [&run](const Station& station, bool opening) {
        run.AddStation(station, opening);
    });
    run.TakeHeader(header);
    return run;
}

// A run number of up to seven bytes packed into one integer, its bytes and its length, so that
// equal numbers and only they give equal keys; nothing for a longer one.
std::optional<std::uint64_t> ShortRunKey(std::string_view runNumber)
{
    constexpr std::size_t kMaxBytes = 7;
    if (runNumber.size() > kMaxBytes)
        return std::nullopt;
    std::uint64_t key = runNumber.size();
    for (const char c : runNumber)
        key = (key << 8) | static_cast<unsigned char>(c);
    return key;
}

}  // namespace

RunCatalog::RunCatalog(const RecordList& records) : RunCatalog(records, RunStretches(records))
{
}

RunCatalog::RunCatalog(const RecordList& records, const RunStretches& stretches)
{
    // Only a run with a kept record has a list entry, so only such runs are read into
    // stations.
    shortRuns_.reserve(stretches.runs().size());
    const std::vector<RunStretches::Run>& runs = stretches.runs();
    for (std::uint32_t i = 0; i < runs.size(); ++i) {
        if (runs[i].kept == 0)
            continue;
        const std::optional<std::uint64_t> key = ShortRunKey(runs[i].number);
        Entry& entry = key ? shortRuns_[*key] : longRuns_[runs[i].number];
        entry.stretchesRun = i;
        entry.run = SumRun(records, runs[i].records);
    }
}

RunCatalog::Entry* RunCatalog::EntryOf(std::string_view runNumber)
{
    return const_cast<Entry*>(std::as_const(*this).EntryOf(runNumber));
}

const RunCatalog::Entry* RunCatalog::EntryOf(std::string_view runNumber) const
{
    if (const std::optional<std::uint64_t> key = ShortRunKey(runNumber)) {
        const auto found = shortRuns_.find(*key);
        return found == shortRuns_.end() ? nullptr : &found->second;
    }
    const auto found = longRuns_.find(runNumber);
    return found == longRuns_.end() ? nullptr : &found->second;
}

void RunCatalog::Refresh(const RecordList& records, const RunStretches& stretches,
                         const RunNumberSet& runNumbers)
{
    for (const std::string& number : runNumbers) {
        if (Entry* entry = EntryOf(number))
            entry->run = SumRun(records, stretches.runs()[entry->stretchesRun].records);
    }
}

const LevellingRun& RunCatalog::Find(std::string_view runNumber) const
{
    static const LevellingRun kNoRun;
    const Entry* entry = EntryOf(TrimText(runNumber));
    return entry ? entry->run : kNoRun;
}

}  // namespace velmora
