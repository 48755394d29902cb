// SPDX-License-Identifier: MIT
#include "journal/GridRowIndex.h"

namespace velmora {

GridRowIndex::GridRowIndex(const RecordList& records, const RunStretches& stretches)
    : records_(records), stretches_(stretches), selected_(stretches.runs().size(), false)
{
}

void GridRowIndex::ClearSelection()
{
    selected_.assign(selected_.size(), false);
}

void GridRowIndex::SelectRun(std::string_view runNumber)
{
    if (const std::int64_t run = stretches_.IndexOfRun(runNumber); run >= 0)
        selected_[static_cast<std::size_t>(run)] = true;
}

std::optional<std::size_t> GridRowIndex::RecordOfRow(int row) const
{
    if (row < 1)
        return std::nullopt;
    auto remaining = static_cast<std::size_t>(row);
    for (const RunStretches::Stretch& stretch : stretches_.stretches()) {
        if (!selected_[stretch.run])
            continue;
        if (remaining > stretch.kept) {
            remaining -= stretch.kept;
            continue;
        }
        for (std::size_t i = stretch.first; i < stretch.end; ++i) {
            if (!records_[i].skipped() && --remaining == 0)
                return i;
        }
    }
    return std::nullopt;
}

}  // namespace velmora
