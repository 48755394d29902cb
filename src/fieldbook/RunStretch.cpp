// SPDX-License-Identifier: MIT
#include "fieldbook/RunStretch.h"

namespace velmora {

RunStretches::RunStretches(const RecordList& records)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        Add(records[i], i);
}

void RunStretches::Add(const MeasurementRecord& record, std::size_t index)
{
    if (record.skipped())
        return;
    const std::string_view run = record.runNumber();
    if (stretches_.empty() || !SameRunNumber(run, runNumbers_[stretches_.back().run])) {
        auto [found, added] = indexOfRun_.try_emplace(std::string(run), runNumbers_.size());
        if (added)
            runNumbers_.emplace_back(run);
        stretches_.push_back({found->second, index, index, 0});
    }
    Stretch& stretch = stretches_.back();
    stretch.end = index + 1;
    ++stretch.kept;
}

std::vector<std::string> RunStretches::CollapsedRunNumbers() const
{
    std::vector<std::string> numbers;
    numbers.reserve(stretches_.size());
    for (const Stretch& stretch : stretches_)
        numbers.push_back(runNumbers_[stretch.run]);
    return numbers;
}

std::vector<bool> RunStretches::RunsIn(const RunNumberSet& chosen) const
{
    std::vector<bool> runs(runNumbers_.size(), false);
    for (const std::string& number : chosen) {
        if (const auto found = indexOfRun_.find(number); found != indexOfRun_.end())
            runs[found->second] = true;
    }
    return runs;
}

std::int64_t RunStretches::IndexOfRun(std::string_view runNumber) const
{
    const auto found = indexOfRun_.find(runNumber);
    return found == indexOfRun_.end() ? -1 : static_cast<std::int64_t>(found->second);
}

void RunStretches::AppendRecordsOfRuns(const RecordList& records, const std::vector<bool>& runs,
                                       std::vector<std::size_t>& out) const
{
    for (const Stretch& stretch : stretches_) {
        if (stretch.run >= runs.size() || !runs[stretch.run])
            continue;
        for (std::size_t i = stretch.first; i < stretch.end; ++i) {
            if (!records[i].skipped())
                out.push_back(i);
        }
    }
}

}  // namespace velmora
