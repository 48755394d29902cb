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

}  // namespace

RunCatalog::RunCatalog(const RecordList& records) : RunCatalog(records, RunStretches(records))
{
}

RunCatalog::RunCatalog(const RecordList& records, const RunStretches& stretches)
{
    // Only a run with a kept record has a list entry, so only such runs are read into
    // stations.
    runs_.reserve(stretches.runs().size());
    const std::vector<RunStretches::Run>& runs = stretches.runs();
    for (std::uint32_t i = 0; i < runs.size(); ++i) {
        if (runs[i].kept == 0)
            continue;
        Entry& entry = runs_[runs[i].number];
        entry.stretchesRun = i;
        entry.run = SumRun(records, runs[i].records);
    }
}

void RunCatalog::Refresh(const RecordList& records, const RunStretches& stretches,
                         const RunNumberSet& runNumbers)
{
    for (const std::string& number : runNumbers) {
        if (Entry* entry = runs_.Find(number))
            entry->run = SumRun(records, stretches.runs()[entry->stretchesRun].records);
    }
}

const LevellingRun& RunCatalog::Find(std::string_view runNumber) const
{
    static const LevellingRun kNoRun;
    const Entry* entry = runs_.Find(TrimText(runNumber));
    return entry ? entry->run : kNoRun;
}

}  // namespace velmora
