// SPDX-License-Identifier: MIT
#include "fieldbook/RunStretches.h"

#include "fieldbook/TextConversions.h"

namespace velmora {

RunStretches::RunStretches(const RecordList& records)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        Add(records[i], i);
    ShrinkToFit();
}

void RunStretches::Add(const MeasurementRecord& record, std::size_t index)
{
    const std::string_view number = record.runNumber();
    // A number is looked up only where it changes.
    if (runs_.empty() || !SameRunNumber(number, runs_[current_].number)) {
        if (const std::uint32_t* found = indexOfRun_.Find(number)) {
            current_ = *found;
        } else {
            current_ = static_cast<std::uint32_t>(runs_.size());
            indexOfRun_[number] = current_;
            runs_.push_back({std::string(number), 0, {}});
        }
        runs_[current_].records.push_back({index, index});
    }
    Run& run = runs_[current_];
    run.records.back().end = index + 1;
    if (record.skipped())
        return;
    ++run.kept;
    if (stretches_.empty() || stretches_.back().run != current_)
        stretches_.push_back({current_, index, index, 0});
    Stretch& stretch = stretches_.back();
    stretch.end = index + 1;
    ++stretch.kept;
}

void RunStretches::ShrinkToFit()
{
    stretches_.shrink_to_fit();
    runs_.shrink_to_fit();
}

std::vector<std::string> RunStretches::CollapsedRunNumbers() const
{
    std::vector<std::string> numbers;
    numbers.reserve(stretches_.size());
    for (const Stretch& stretch : stretches_)
        numbers.push_back(runs_[stretch.run].number);
    return numbers;
}

std::vector<bool> RunStretches::RunsIn(const RunNumberSet& chosen) const
{
    std::vector<bool> runs(runs_.size(), false);
    for (const std::string& number : chosen) {
        if (const std::uint32_t* found = indexOfRun_.Find(number))
            runs[*found] = true;
    }
    return runs;
}

std::int64_t RunStretches::IndexOfRun(std::string_view runNumber) const
{
    const std::uint32_t* found = indexOfRun_.Find(runNumber);
    return found ? static_cast<std::int64_t>(*found) : -1;
}

std::vector<std::size_t> RunStretches::RecordsOf(std::uint32_t run) const
{
    std::vector<std::size_t> records;
    for (const RecordRange& range : runs_[run].records) {
        for (std::size_t i = range.first; i < range.end; ++i)
            records.push_back(i);
    }
    return records;
}

std::vector<std::size_t> RunStretches::RecordsOf(std::string_view runNumber) const
{
    const std::int64_t run = IndexOfRun(TrimText(runNumber));
    return run < 0 ? std::vector<std::size_t>() : RecordsOf(static_cast<std::uint32_t>(run));
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
