// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Failure.h"

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace velmora {

/// The operations the layouts need from a workbook: worksheets, text and number cells, the
/// red font of a misclosure beyond tolerance, and the format of the result columns. Each
/// layout of results (the run export's, the network's) is written once against this; the file
/// formats implement it.
///
/// A workbook starts with one worksheet; `AddSheet` adds more, and the calls that follow
/// write to the sheet added last.
///
/// Rows and columns count from 1, as in a spreadsheet: column 1 is A, column 2 is B. Texts are
/// Windows-1251 bytes, as the program holds them; each format converts them to Unicode.
class WorkbookWriter {
public:
    /// The columns of the export's results, A and B.
    static constexpr int kResultColumns = 2;

    virtual ~WorkbookWriter() = default;

    /// Names the current worksheet; comes before any of its cells.
    virtual void SetSheetName(std::string_view name) = 0;
    /// Adds a worksheet named `name` after the others; it becomes the current one.
    virtual void AddSheet(std::string_view name) = 0;
    virtual void WriteText(int row, int column, std::string_view text) = 0;
    virtual void WriteNumber(int row, int column, double value) = 0;
    /// The cell's font becomes red (colour index 3 of the standard palette).
    virtual void SetFontRed(int row, int column) = 0;
    /// Columns A and B: font size 12 points, width 12 characters. Comes after the last run.
    virtual void FormatResultColumns() { FormatColumns(kResultColumns); }
    /// Columns A to `lastColumn` of the current sheet: font size 12 points, width 12
    /// characters.
    virtual void FormatColumns(int lastColumn) = 0;
    /// Writes the workbook to `path`: completely, or not at all (no partial file is left).
    /// False with `error` saying why.
    virtual bool Save(const std::string& path, std::string& error) = 0;
    /// The last row a sheet of this format holds; Save fails for a cell below it.
    virtual int MaxRows() const { return std::numeric_limits<int>::max(); }
    /// After a failed Save, why: the file's own failure (no permission, a full disk...) or the
    /// workbook's (a cell outside the sheet, out of memory...). `error` holds its `Text()`.
    const Failure& saveFailure() const { return saveFailure_; }

protected:
    /// Records why Save failed and words it into `error`; returns false.
    bool FailSave(int code, std::string& error, std::string detail = {})
    {
        saveFailure_ = {code, {}, std::move(detail)};
        error = saveFailure_.Text();
        return false;
    }

    Failure saveFailure_;
};

/// Writes a table's headings into `row`, one a column from A on.
template <std::size_t N>
void WriteHeadings(WorkbookWriter& writer, const std::string_view (&headings)[N], int row)
{
    for (std::size_t column = 0; column < N; ++column)
        writer.WriteText(row, static_cast<int>(column) + 1, headings[column]);
}

/// The longest text a spreadsheet cell holds; longer texts are cut to it.
inline constexpr std::size_t kMaxCellTextCharacters = 32767;

}  // namespace velmora

namespace velmora {

/// A sheet name a spreadsheet accepts, from the name the export builds out of run numbers
/// (Windows-1251): each of : \ / ? * [ ] and every control character (below 0x20, NUL
/// included) becomes "_", as does an apostrophe at either end; the
/// name is cut to 31 characters; an empty name becomes "Sheet1".
std::string SafeSheetName(std::string_view name);

/// A cell text cut to the longest a cell holds (Windows-1251: one byte per character).
std::string_view CellText(std::string_view text);

}  // namespace velmora
