// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "fieldbook/RunNumberSet.h"
#include "fieldbook/RunStretches.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

/// The observation grid: one data row per record of the selected runs, in file order, with the
/// record's point number, value type, reading and distance; a single empty row when there is
/// none. Rows are numbered as the user sees them: row 0 is the header, data rows start at 1.
///
/// A cell shows its record's field until the user types into its row; from then on the row's
/// cells hold what was typed (untrimmed), while the record gets the trimmed texts. Keeping only
/// the typed rows lets the grid show a million records without a million copies of them.
class ObservationGrid {
public:
    static constexpr int kColumnCount = 4;

    /// The header of a column in the catalogue's words, in Windows-1251: "Номер точки",
    /// "Back Forward", "Отcчёт" (its third letter a Latin c), "Расстояние" in Russian.
    static std::string Header(int column);

    /// Number of data rows: the records shown, or 1 for the empty row.
    int dataRowCount() const;

    /// GridRowRecords: the index in the record list of the record shown in each data row;
    /// element k belongs to row k + 1.
    const std::vector<std::size_t>& rowRecords() const { return rowRecords_; }

    /// The record shown in data row `row` (1-based), if the row has one.
    const std::size_t* RecordOfRow(int row) const;

    /// The text of a cell of a data row.
    std::string_view Cell(const RecordList& records, int row, int column) const;

    /// The four cells of a data row, in column order.
    std::array<std::string, kColumnCount> RowCells(const RecordList& records, int row) const;

    /// Puts typed text into a cell; the record is not touched here.
    void SetCell(const RecordList& records, int row, int column, std::string text);

    /// The cells typed into a data row, when the user has typed into it.
    std::optional<std::array<std::string, kColumnCount>> TypedRow(int row) const;
    /// Gives a row back the typed cells it had (none: it shows its record again).
    void RestoreTypedRow(int row, std::optional<std::array<std::string, kColumnCount>> cells);

    /// ResetGrid: headers only, and one empty data row.
    void Reset();

    /// FillGrid: the records whose run number is in `runNumbers` and that are not skipped;
    /// `stretches` are those of `records`.
    void Fill(const RecordList& records, const RunStretches& stretches, const RunNumberSet& runNumbers);

    /// RebuildRowRecords: the same choice of records as Fill, without changing the cells.
    void RebuildRowRecords(const RecordList& records, const RunStretches& stretches,
                           const RunNumberSet& runNumbers);

private:
    static std::string_view FieldOfColumn(const MeasurementRecord& record, int column);

    std::vector<std::size_t> rowRecords_;
    std::unordered_map<int, std::array<std::string, kColumnCount>> typedRows_;
};

}  // namespace velmora
