#include "export/XlsxWorkbook.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"

#include <xlsxwriter.h>

#include <cmath>

namespace velmora {

namespace {

constexpr double kResultFontSize = 12;     // points
constexpr double kResultColumnWidth = 12;  // characters

}  // namespace

int XlsxWorkbook::MaxRows() const
{
    return static_cast<int>(LXW_ROW_MAX);
}

void XlsxWorkbook::SetSheetName(std::string_view name)
{
    sheetName_ = Cp1251ToUtf8(SafeSheetName(name));
}

void XlsxWorkbook::WriteText(int row, int column, std::string_view text)
{
    // A workbook's XML cannot hold NUL; it shows as the replacement character instead of
    // cutting the text there.
    std::string utf8 = Cp1251ToUtf8(CellText(text));
    for (std::size_t at = utf8.find('\0'); at != std::string::npos; at = utf8.find('\0', at))
        utf8.replace(at, 1, "\xEF\xBF\xBD");
    cells_[{row, column}].value = std::move(utf8);
}

void XlsxWorkbook::WriteNumber(int row, int column, double value)
{
    cells_[{row, column}].value = value;
}

void XlsxWorkbook::SetFontRed(int row, int column)
{
    cells_[{row, column}].red = true;
}

void XlsxWorkbook::FormatResultColumns()
{
    columnsFormatted_ = true;
}

bool XlsxWorkbook::Save(const std::string& path, std::string& error)
{
    AtomicFile file(path);
    if (!file.Open(error))
        return false;

    lxw_workbook* workbook = workbook_new(file.temporaryPath().c_str());
    if (!workbook) {
        error = "cannot create the workbook";
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName_.c_str());
    if (!sheet) {
        workbook_close(workbook);
        error = "the sheet name is not accepted";
        return false;
    }
    lxw_format* result = workbook_add_format(workbook);
    format_set_font_size(result, kResultFontSize);
    lxw_format* red = workbook_add_format(workbook);
    format_set_font_color(red, LXW_COLOR_RED);
    lxw_format* redResult = workbook_add_format(workbook);
    format_set_font_color(redResult, LXW_COLOR_RED);
    format_set_font_size(redResult, kResultFontSize);

    lxw_error status = LXW_NO_ERROR;
    if (columnsFormatted_)
        status = worksheet_set_column(sheet, 0, 1, kResultColumnWidth, result);
    for (const auto& [place, cell] : cells_) {
        if (status != LXW_NO_ERROR)
            break;
        // The sheet's bounds: a cell outside them is refused, never wrapped onto another.
        if (place.first < 1 || place.first > static_cast<long>(LXW_ROW_MAX) || place.second < 1 ||
            place.second > static_cast<long>(LXW_COL_MAX)) {
            status = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            break;
        }
        const auto row = static_cast<lxw_row_t>(place.first - 1);
        const auto column = static_cast<lxw_col_t>(place.second - 1);
        const bool inResultColumns = columnsFormatted_ && place.second <= 2;
        lxw_format* format = cell.red ? (inResultColumns ? redResult : red)
                                      : (inResultColumns ? result : nullptr);
        if (const auto* text = std::get_if<std::string>(&cell.value)) {
            status = worksheet_write_string(sheet, row, column, text->c_str(), format);
        } else if (const double number = std::get<double>(cell.value); std::isfinite(number)) {
            status = worksheet_write_number(sheet, row, column, number, format);
        } else {
            // A value that is no number shows as the spreadsheet's own #NUM! error.
            status = worksheet_write_formula(sheet, row, column, "=SQRT(-1)", format);
        }
    }
    const lxw_error closed = workbook_close(workbook);
    if (status == LXW_NO_ERROR)
        status = closed;
    if (status != LXW_NO_ERROR) {
        error = lxw_strerror(status);
        return false;
    }
    return file.Commit(error);
}

}  // namespace velmora
