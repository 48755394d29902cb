#pragma once

#include "export/WorkbookWriter.h"

#include <map>
#include <string>
#include <utility>
#include <variant>

namespace velmora {

/// An Office Open XML workbook (.xlsx), written with libxlsxwriter when saved.
class XlsxWorkbook final : public WorkbookWriter {
public:
    void SetSheetName(std::string_view name) override;
    void WriteText(int row, int column, std::string_view text) override;
    void WriteNumber(int row, int column, double value) override;
    void SetFontRed(int row, int column) override;
    void FormatResultColumns() override;
    bool Save(const std::string& path, std::string& error) override;
    int MaxRows() const override;

private:
    struct Cell {
        std::variant<std::string, double> value;  // text in UTF-8, or a number
        bool red = false;
    };
    std::string sheetName_ = "Sheet1";  // UTF-8
    std::map<std::pair<int, int>, Cell> cells_;
    bool columnsFormatted_ = false;
};

/// Whether `bytes` hold a whole .xlsx file: a zip whose central directory is where its end
/// record says, lists at least one part, and every part has content. False with `error` saying
/// so otherwise.
bool IsCompleteXlsxFile(std::string_view bytes, std::string& error);

}  // namespace velmora
