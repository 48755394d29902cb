#include "export/XlsxWorkbook.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"

#include <xlsxwriter.h>

namespace velmora {

namespace {

constexpr double kResultFontSize = 12;     // points
constexpr double kResultColumnWidth = 12;  // characters

}  // namespace

void XlsxWorkbook::SetSheetName(std::string_view name)
{
    sheetName_ = Cp1251ToUtf8(SafeSheetName(name));
}

void XlsxWorkbook::WriteText(int row, int column, std::string_view text)
{
    cells_[{row, column}].value = Cp1251ToUtf8(CellText(text));
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
        const auto row = static_cast<lxw_row_t>(place.first - 1);
        const auto column = static_cast<lxw_col_t>(place.second - 1);
        const bool inResultColumns = columnsFormatted_ && place.second <= 2;
        lxw_format* format = cell.red ? (inResultColumns ? redResult : red)
                                      : (inResultColumns ? result : nullptr);
        if (const auto* text = std::get_if<std::string>(&cell.value))
            status = worksheet_write_string(sheet, row, column, text->c_str(), format);
        else
            status = worksheet_write_number(sheet, row, column, std::get<double>(cell.value), format);
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
