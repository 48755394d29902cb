// SPDX-License-Identifier: MIT
#pragma once

#include "workbook/WorkbookWriter.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora {

/// An Excel 97-2003 workbook (.xls): BIFF8 records in the "Workbook" stream of a compound file,
/// written by this program itself when saved. Texts of every worksheet go through the one shared
/// string table, numbers are stored as exact doubles.
///
/// An .xls sheet has 65536 rows and 256 columns; Save refuses cells outside them.
class XlsWorkbook final : public WorkbookWriter {
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
    enum class CellKind { kBlank, kText, kNumber };
    struct Cell {
        CellKind kind = CellKind::kBlank;  // blank: only the red font was set
        std::u16string text;
        double number = 0;
        bool red = false;
    };

    struct Sheet {
        std::u16string name = u"Sheet1";
        std::map<std::pair<int, int>, Cell> cells;  // by row, then column: the order of the file
        int formattedColumns = 0;  // columns A to this one have the result format
    };

    using StringIndex = std::unordered_map<std::u16string_view, std::uint32_t>;

    /// The cells of one row: its first and last column, and whether one has the result font.
    struct RowSpan {
        int row = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        bool resultFont = false;
    };

    /// False (the save failed with kCellOutsideXlsSheet) when a cell lies outside an .xls sheet.
    bool CellsFitTheSheet(std::string& error);
    bool BuildStream(std::string& stream, std::string& error);
    // The records of one worksheet's substream, in the order a reader expects them.
    static void AddSheetStream(std::string& stream, const Sheet& sheet, bool active,
                               const StringIndex& stringIndex);
    static void AddColumnWidths(std::string& stream, const Sheet& sheet);
    static std::vector<RowSpan> RowSpans(const Sheet& sheet);
    static void AddDimensions(std::string& stream, const std::vector<RowSpan>& rows);
    static void AddRow(std::string& stream, const RowSpan& span);
    static void AddCell(std::string& stream, const Sheet& sheet, std::pair<int, int> place,
                        const Cell& content, const StringIndex& stringIndex);
    static void AddWindow2(std::string& stream, bool active);
    static int FormatOf(const Sheet& sheet, int column, const Cell& cell);

    std::vector<Sheet> sheets_ = std::vector<Sheet>(1);
};

}  // namespace velmora
