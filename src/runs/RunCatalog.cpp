// SPDX-License-Identifier: MIT
#include "runs/RunCatalog.h"

#include "fieldbook/TextConversions.h"

namespace velmora {

namespace {

// The sums of one run whose records stand in these ranges [first, end) of record indices.
LevellingRun SumRun(const RecordList& records, const std::vector<std::pair<std::size_t, std::size_t>>& ranges)
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

}  // namespace

RunCatalog::RunCatalog(const RecordList& records) : RunCatalog(records, RunStretches(records))
{
}

RunCatalog::RunCatalog(const RecordList& records, const RunStretches& stretches)
{
    // Only a run with a kept record has a list entry, so only such runs are read into
    // stations: a book of nothing but skipped lines costs no index at all.
    runs_.reserve(stretches.runNumbers().size());
    for (const std::string& run : stretches.runNumbers())
        runs_.try_emplace(*PackedRunNumber(run));
    // Where the records of each run stand, skipped ones too (a start-of-line record may name
    // the method), as ranges of consecutive records with its number: a run's records mostly
    // stand together, so this holds a few ranges a run rather than an index a record, and a
    // number is packed and looked up only where it changes.
    Entry* current = nullptr;
    std::string_view lastRun;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string_view run = records[i].runNumber();
        if (i == 0 || !SameRunNumber(run, lastRun)) {
            const auto found = runs_.find(*PackedRunNumber(run));
            current = found == runs_.end() ? nullptr : &found->second;
            if (current)
                current->ranges.push_back({i, i});
            lastRun = run;
        }
        if (current)
            current->ranges.back().second = i + 1;
    }
    for (auto& [key, entry] : runs_) {
        entry.ranges.shrink_to_fit();
        entry.run = SumRun(records, entry.ranges);
    }
}

void RunCatalog::Refresh(const RecordList& records, const std::unordered_set<std::uint64_t>& runNumbers)
{
    for (const std::uint64_t key : runNumbers) {
        if (const auto found = runs_.find(key); found != runs_.end())
            found->second.run = SumRun(records, found->second.ranges);
    }
}

const LevellingRun& RunCatalog::Find(std::string_view runNumber) const
{
    static const LevellingRun kNoRun;
    const std::optional<std::uint64_t> key = PackedRunNumber(TrimText(runNumber));
    if (!key)
        return kNoRun;
    const auto found = runs_.find(*key);
    return found == runs_.end() ? kNoRun : found->second.run;
}

}  // namespace velmora
