#pragma once

#include "export/WorkbookWriter.h"

#include <map>
#include <string>
#include <utility>

namespace velmora {

/// An Excel 97-2003 workbook (.xls): BIFF8 records in the "Workbook" stream of a compound file,
/// written by this program itself when saved. One worksheet; texts go through the shared string
/// table, numbers are stored as exact doubles.
///
/// An .xls sheet has 65536 rows and 256 columns; Save refuses cells outside them.
class XlsWorkbook final : public WorkbookWriter {
public:
    void SetSheetName(std::string_view name) override;
    void WriteText(int row, int column, std::string_view text) override;
    void WriteNumber(int row, int column, double value) override;
    void SetFontRed(int row, int column) override;
    void FormatResultColumns() override;
    bool Save(const std::string& path, std::string& error) override;
    int MaxRows() const override;

private:
    enum class CellKind { kBlank, kText, kNumber };
    struct Cell {
        CellKind kind = CellKind::kBlank;  // blank: only the red font was set
        std::u16string text;
        double number = 0;
        bool red = false;
    };

    bool BuildStream(std::string& stream, std::string& error) const;
    int FormatOf(int column, const Cell& cell) const;

    std::u16string sheetName_ = u"Sheet1";
    std::map<std::pair<int, int>, Cell> cells_;  // by row, then column: the order of the file
    bool columnsFormatted_ = false;
};

}  // namespace velmora
