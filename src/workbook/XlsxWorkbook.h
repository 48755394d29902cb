// SPDX-License-Identifier: MIT
#pragma once

#include "workbook/WorkbookWriter.h"

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

namespace velmora {

/// An Office Open XML workbook (.xlsx), written with libxlsxwriter when saved.
class XlsxWorkbook final : public WorkbookWriter {
public:
    void SetSheetName(std::string_view name) override;
    void AddSheet(std::string_view name) override;
    void WriteText(int row, int column, std::string_view text) override;
    void WriteNumber(int row, int column, double value) override;
    void SetFontRed(int row, int column) override;
    void FormatColumns(int lastColumn) override;
    bool Save(const std::string& path, std::string& error) override;
    int MaxRows() const override;

private:
    struct Cell {
        std::variant<std::string, double> value;  // text in UTF-8, or a number
        bool red = false;
    };
    struct Sheet {
        std::string name = "Sheet1";  // UTF-8
        std::map<std::pair<int, int>, Cell> cells;
        int formattedColumns = 0;  // columns A to this one have the result format
    };
    struct Formats;
    // An lxw_error: LXW_NO_ERROR when every cell was written.
    static int WriteSheet(lxw_worksheet* sheet, const Sheet& content, const Formats& formats);
    // Makes the cell formats in `workbook`; false when the library is out of memory.
    static bool AddFormats(lxw_workbook* workbook, Formats& formats);
    // Writes every sheet into `workbook` and closes it, which writes the file; false, with the
    // save's failure recorded, when a sheet or the file cannot be written.
    bool WriteAndClose(lxw_workbook* workbook, std::string& error);

    std::vector<Sheet> sheets_ = std::vector<Sheet>(1);
};

/// Whether `bytes` hold a whole .xlsx file: a zip whose central directory is where its end
/// record says, lists at least one part, and every part has content. False with `error` saying
/// so otherwise. `bytes` may be the file's end alone, from `bytesAt` on, when that holds the
/// directory of the parts.
bool IsCompleteXlsxFile(std::string_view bytes, std::string& error, std::size_t bytesAt = 0);

}  // namespace velmora
