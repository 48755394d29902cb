// SPDX-License-Identifier: MIT
#include "journal/GridRowIndex.h"

#include "fieldbook/RunStretch.h"

namespace velmora {

GridRowIndex::GridRowIndex(const RecordList& records)
{
    ForEachRunStretchRecord(records, [&](std::string_view run, std::size_t index, bool startsStretch) {
        if (startsStretch) {
            auto id = runIds_.find(run);
            if (id == runIds_.end())
                id = runIds_.emplace(std::string(run), runIds_.size()).first;
            stretches_.push_back({id->second, keptRecords_.size(), 0});
        }
        keptRecords_.push_back(index);
        ++stretches_.back().count;
    });
    selected_.assign(runIds_.size(), false);
}

void GridRowIndex::ClearSelection()
{
    selected_.assign(selected_.size(), false);
}

void GridRowIndex::SelectRun(std::string_view runNumber)
{
    if (const auto id = runIds_.find(runNumber); id != runIds_.end())
        selected_[id->second] = true;
}

const std::size_t* GridRowIndex::RecordOfRow(int row) const
{
    if (row < 1)
        return nullptr;
    auto remaining = static_cast<std::size_t>(row);
    for (const Stretch& stretch : stretches_) {
        if (!selected_[stretch.run])
            continue;
        if (remaining <= stretch.count)
            return &keptRecords_[stretch.first + remaining - 1];
        remaining -= stretch.count;
    }
    return nullptr;
}

}  // namespace velmora
