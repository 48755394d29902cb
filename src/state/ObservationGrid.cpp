// SPDX-License-Identifier: MIT
#include "state/ObservationGrid.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

namespace velmora {

namespace {

// The headers, the catalogue's English. Its Russian "Отcчёт" has a Latin c as its third letter.
const char* const kHeaders[ObservationGrid::kColumnCount] = {
    N_("Point number"),
    "Back Forward",  // the instrument's words, the same in every language
    N_("Reading"),
    N_("Distance"),
};

}  // namespace

std::string ObservationGrid::Header(int column)
{
    return (column >= 0 && column < kColumnCount) ? Utf8ToCp1251(Tr(kHeaders[column])) : std::string();
}

int ObservationGrid::dataRowCount() const
{
    return rowRecords_.empty() ? 1 : static_cast<int>(rowRecords_.size());
}

const std::size_t* ObservationGrid::RecordOfRow(int row) const
{
    if (row < 1 || static_cast<std::size_t>(row) > rowRecords_.size())
        return nullptr;
    return &rowRecords_[static_cast<std::size_t>(row) - 1];
}

std::string_view ObservationGrid::FieldOfColumn(const MeasurementRecord& record, int column)
{
    switch (column) {
    case 0: return record.pointNumber();
    case 1: return record.valueType();
    case 2: return record.reading();
    case 3: return record.distance();
    default: return {};
    }
}

std::string_view ObservationGrid::Cell(const RecordList& records, int row, int column) const
{
    if (column < 0 || column >= kColumnCount)
        return {};
    if (const auto typed = typedRows_.find(row); typed != typedRows_.end())
        return typed->second[static_cast<std::size_t>(column)];
    if (const std::size_t* record = RecordOfRow(row); record && *record < records.size())
        return FieldOfColumn(records[*record], column);
    return {};
}

std::array<std::string, ObservationGrid::kColumnCount>
ObservationGrid::RowCells(const RecordList& records, int row) const
{
    std::array<std::string, kColumnCount> cells;
    for (int column = 0; column < kColumnCount; ++column)
        cells[static_cast<std::size_t>(column)] = std::string(Cell(records, row, column));
    return cells;
}

void ObservationGrid::SetCell(const RecordList& records, int row, int column, std::string text)
{
    if (row < 1 || row > dataRowCount() || column < 0 || column >= kColumnCount)
        return;
    auto typed = typedRows_.find(row);
    if (typed == typedRows_.end())
        typed = typedRows_.emplace(row, RowCells(records, row)).first;
    typed->second[static_cast<std::size_t>(column)] = std::move(text);
}

std::optional<std::array<std::string, ObservationGrid::kColumnCount>>
ObservationGrid::TypedRow(int row) const
{
    if (const auto typed = typedRows_.find(row); typed != typedRows_.end())
        return typed->second;
    return std::nullopt;
}

void ObservationGrid::RestoreTypedRow(int row, std::optional<std::array<std::string, kColumnCount>> cells)
{
    if (cells)
        typedRows_[row] = std::move(*cells);
    else
        typedRows_.erase(row);
}

void ObservationGrid::Reset()
{
    rowRecords_.clear();
    typedRows_.clear();
}

void ObservationGrid::Fill(const RecordList& records, const RunStretches& stretches,
                           const RunNumberSet& runNumbers)
{
    Reset();
    RebuildRowRecords(records, stretches, runNumbers);
}

void ObservationGrid::RebuildRowRecords(const RecordList& records, const RunStretches& stretches,
                                        const RunNumberSet& runNumbers)
{
    rowRecords_.clear();
    if (!runNumbers.empty())
        stretches.AppendRecordsOfRuns(records, stretches.RunsIn(runNumbers), rowRecords_);
}

}  // namespace velmora
