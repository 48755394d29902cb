// SPDX-License-Identifier: MIT
#include "workbook/XlsWorkbook.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "workbook/CompoundFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace velmora {

namespace {

// Record types of the BIFF8 records this writer uses.
enum : std::uint16_t {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodepage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kRow = 0x0208,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kBlank = 0x0201,
    kBoolErr = 0x0205,
    kWindow2 = 0x023E,
};

constexpr std::size_t kMaxRecordData = 8224;  // longer data goes on in CONTINUE records
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr std::uint32_t kMaxStreamBytes = 0x7FFFFFFF;

constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint16_t kUtf16Codepage = 1200;

// Fonts. Index 4 is never written: BIFF readers skip it when numbering FONT records, so the
// fifth record is font 5.
constexpr std::uint16_t kAutomaticColour = 0x7FFF;
constexpr std::uint16_t kRedColour = 0x0A;  // the standard palette's third colour, RGB(255, 0, 0)
constexpr std::uint16_t kNormalHeight = 200;  // twips: 10 points
constexpr std::uint16_t kResultHeight = 240;  // 12 points
constexpr std::uint8_t kRussianCharset = 204;

// XF indices: 0-14 the style XFs Excel requires, then the cell formats.
constexpr int kStyleXfCount = 15;
constexpr int kPlainXf = 15;  // the default cell format, font 0
constexpr int kRedXfStep = 1;     // kPlainXf + 1: red font
constexpr int kResultXfStep = 2;  // kPlainXf + 2: 12-point font, + 3: 12-point red font

constexpr std::uint16_t kResultColumnWidth = 12 * 256;  // 1/256 of a character
constexpr std::uint16_t kNormalRowHeight = 255;  // twips, what Arial 10 needs
constexpr std::uint16_t kResultRowHeight = 315;  // what Arial 12 needs
constexpr std::size_t kRowsPerBlock = 32;

constexpr std::uint8_t kUncompressed = 0x01;  // string option flags: UTF-16LE characters
constexpr std::uint8_t kNumError = 0x24;     // #NUM!

void Add8(std::string& out, std::uint8_t value)
{
    out.push_back(static_cast<char>(value));
}

void Add16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void Add32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void AddDouble(std::string& out, double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Add32(out, static_cast<std::uint32_t>(bits));
    Add32(out, static_cast<std::uint32_t>(bits >> 32));
}

void AddUnits(std::string& out, std::u16string_view units)
{
    for (const char16_t unit : units)
        Add16(out, unit);
}

void AddRecord(std::string& stream, std::uint16_t type, std::string_view data)
{
    Add16(stream, type);
    Add16(stream, static_cast<std::uint16_t>(data.size()));
    stream.append(data);
}

void AddBof(std::string& stream, std::uint16_t substream)
{
    std::string data;
    Add16(data, 0x0600);  // BIFF8
    Add16(data, substream);
    Add16(data, 0x0DBB);  // build
    Add16(data, 0x07CC);  // year
    Add32(data, 0);       // file history
    Add32(data, 0x0006);  // lowest BIFF version that can read all records
    AddRecord(stream, kBof, data);
}

void AddWindow1(std::string& stream)
{
    std::string data;
    Add16(data, 360);    // window left, twips
    Add16(data, 270);    // top
    Add16(data, 14940);  // width
    Add16(data, 9150);   // height
    Add16(data, 0x0038);  // horizontal and vertical scroll bars, sheet tabs shown
    Add16(data, 0);       // the active sheet
    Add16(data, 0);       // the first tab shown
    Add16(data, 1);       // sheets selected
    Add16(data, 600);     // tab bar width, per mille
    AddRecord(stream, kWindow1, data);
}

void AddFont(std::string& stream, std::uint16_t height, std::uint16_t colour)
{
    std::string data;
    Add16(data, height);
    Add16(data, 0);  // not italic, not struck out
    Add16(data, colour);
    Add16(data, 400);  // normal weight
    Add16(data, 0);    // neither superscript nor subscript
    Add8(data, 0);     // not underlined
    Add8(data, 0);     // font family unknown
    Add8(data, kRussianCharset);
    Add8(data, 0);
    Add8(data, 5);  // "Arial", one byte a character
    Add8(data, 0);
    data.append("Arial");
    AddRecord(stream, kFont, data);
}

void AddXf(std::string& stream, std::uint16_t font, bool style, std::uint8_t usedAttributes)
{
    std::string data;
    Add16(data, font);
    Add16(data, 0);  // number format "General"
    // Locked; a style XF has no parent (0xFFF), a cell XF has the Normal style, XF 0.
    Add16(data, style ? 0xFFF5 : 0x0001);
    Add8(data, 0x20);  // aligned to the bottom
    Add8(data, 0);     // not rotated
    Add8(data, 0);     // no indent
    Add8(data, usedAttributes);
    Add32(data, 0);       // no borders
    Add32(data, 0);       // no fill
    Add16(data, 0x20C0);  // pattern colours: system foreground and background
    AddRecord(stream, kXf, data);
}

void AddGlobalsHeaderAndFormats(std::string& globals)
{
    AddBof(globals, kGlobalsSubstream);
    {
        std::string data;
        Add16(data, kUtf16Codepage);
        AddRecord(globals, kCodepage, data);
    }
    AddWindow1(globals);

    for (int i = 0; i < 4; ++i)
        AddFont(globals, kNormalHeight, kAutomaticColour);  // fonts 0-3
    AddFont(globals, kNormalHeight, kRedColour);            // font 5
    AddFont(globals, kResultHeight, kAutomaticColour);      // font 6
    AddFont(globals, kResultHeight, kRedColour);            // font 7

    AddXf(globals, 0, true, 0x00);  // Normal
    for (int i = 1; i < kStyleXfCount; ++i)
        AddXf(globals, i <= 2 ? 1 : i <= 4 ? 2 : 0, true, 0xF4);
    AddXf(globals, 0, false, 0x00);  // kPlainXf
    AddXf(globals, 5, false, 0x08);  // red: the font differs from the style's
    AddXf(globals, 6, false, 0x08);  // 12 points
    AddXf(globals, 7, false, 0x08);  // 12 points, red

    std::string normal;
    Add16(normal, 0x8000);  // built-in style on XF 0
    Add8(normal, 0);        // Normal
    Add8(normal, 0xFF);
    AddRecord(globals, kStyle, normal);
}

// The shared string table: SST, as many CONTINUE records as its strings need, and EXTSST, the
// index Excel keeps of where every few strings begin. A string's length and option flags stay
// together in one record; a string's characters may run on into the next record, which then
// begins with the option flags again. (Texts come from Windows-1251, one unit a character:
// there is no surrogate pair to part.)
void AddSharedStrings(std::string& globals, const std::vector<std::u16string_view>& strings,
                      std::uint32_t references)
{
    const std::size_t perBucket = std::max<std::size_t>(8, (strings.size() + 127) / 128);
    std::string index;
    Add16(index, static_cast<std::uint16_t>(perBucket));

    std::string record;
    Add32(record, references);
    Add32(record, static_cast<std::uint32_t>(strings.size()));
    std::uint16_t type = kSst;
    const auto finishRecord = [&] {
        AddRecord(globals, type, record);
        record.clear();
        type = kContinue;
    };

    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::u16string_view text = strings[i];
        // Room for the length, the flags and the first character at least.
        const std::size_t needed = 3 + std::min<std::size_t>(2 * text.size(), 2);
        if (record.size() + needed > kMaxRecordData)
            finishRecord();
        if (i % perBucket == 0) {
            const std::size_t inRecord = 4 + record.size();  // from the record's header
            Add32(index, static_cast<std::uint32_t>(globals.size() + inRecord));
            Add16(index, static_cast<std::uint16_t>(inRecord));
            Add16(index, 0);
        }
        Add16(record, static_cast<std::uint16_t>(text.size()));
        Add8(record, kUncompressed);
        std::size_t done = 0;
        for (;;) {
            const std::size_t take = std::min(text.size() - done, (kMaxRecordData - record.size()) / 2);
            AddUnits(record, text.substr(done, take));
            done += take;
            if (done == text.size())
                break;
            finishRecord();
            Add8(record, kUncompressed);
        }
    }
    finishRecord();
    AddRecord(globals, kExtSst, index);
}

}  // namespace

void XlsWorkbook::SetSheetName(std::string_view name)
{
    sheets_.back().name = Cp1251ToUtf16(SafeSheetName(name));
}

void XlsWorkbook::AddSheet(std::string_view name)
{
    sheets_.emplace_back();
    SetSheetName(name);
}

void XlsWorkbook::WriteText(int row, int column, std::string_view text)
{
    // Each Windows-1251 byte is one character, so the cut can come before the conversion:
    // a text of a million characters is not converted whole to keep its first 32767.
    std::u16string units = Cp1251ToUtf16(CellText(text));
    Cell& cell = sheets_.back().cells[{row, column}];
    cell.kind = units.empty() ? CellKind::kBlank : CellKind::kText;
    cell.text = std::move(units);
}

void XlsWorkbook::WriteNumber(int row, int column, double value)
{
    Cell& cell = sheets_.back().cells[{row, column}];
    cell.kind = CellKind::kNumber;
    cell.text.clear();
    cell.number = value;
}

void XlsWorkbook::SetFontRed(int row, int column)
{
    sheets_.back().cells[{row, column}].red = true;
}

void XlsWorkbook::FormatColumns(int lastColumn)
{
    sheets_.back().formattedColumns = lastColumn;
}

int XlsWorkbook::MaxRows() const
{
    return kMaxRows;
}

int XlsWorkbook::FormatOf(const Sheet& sheet, int column, const Cell& cell)
{
    int xf = kPlainXf;
    if (cell.red)
        xf += kRedXfStep;
    if (column <= sheet.formattedColumns)
        xf += kResultXfStep;
    return xf;
}

bool XlsWorkbook::CellsFitTheSheet(std::string& error)
{
    for (const Sheet& sheet : sheets_) {
        for (const auto& [place, cell] : sheet.cells) {
            const auto [row, column] = place;
            if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
                static_assert(kMaxRows == 65536 && kMaxColumns == 256, "the failure's words name them");
                const std::string cell =
                    Fill(Tr("row {1}, column {2}"), {std::to_string(row), std::to_string(column)});
                return FailSave(kCellOutsideXlsSheet, error, cell);
            }
        }
    }
    return true;
}

bool XlsWorkbook::BuildStream(std::string& stream, std::string& error)
{
    if (!CellsFitTheSheet(error))
        return false;

    // Shared strings in the order the cells come, sheet by sheet, each text once.
    std::vector<std::u16string_view> strings;
    StringIndex stringIndex;
    std::uint32_t references = 0;
    for (const Sheet& sheet : sheets_) {
        for (const auto& [place, cell] : sheet.cells) {
            if (cell.kind != CellKind::kText)
                continue;
            ++references;
            if (stringIndex.emplace(cell.text, static_cast<std::uint32_t>(strings.size())).second)
                strings.push_back(cell.text);
        }
    }

    // Workbook globals; the sheets' stream positions are filled in once known.
    std::string& globals = stream;
    globals.clear();
    AddGlobalsHeaderAndFormats(globals);
    std::vector<std::size_t> sheetPositionAt;
    for (const Sheet& sheet : sheets_) {
        std::string data;
        Add32(data, 0);  // stream position of the sheet's BOF
        Add8(data, 0);   // visible
        Add8(data, 0);   // worksheet
        Add8(data, static_cast<std::uint8_t>(sheet.name.size()));
        Add8(data, kUncompressed);
        AddUnits(data, sheet.name);
        sheetPositionAt.push_back(globals.size() + 4);
        AddRecord(globals, kBoundSheet, data);
    }
    AddSharedStrings(globals, strings, references);
    AddRecord(globals, kEof, {});
    if (globals.size() > kMaxStreamBytes) {
        return FailSave(kXlsTextsTooLong, error);
    }

    for (std::size_t k = 0; k < sheets_.size(); ++k) {
        const auto sheetPosition = static_cast<std::uint32_t>(stream.size());
        for (int i = 0; i < 4; ++i)
            stream[sheetPositionAt[k] + i] = static_cast<char>((sheetPosition >> (8 * i)) & 0xFF);
        AddSheetStream(stream, sheets_[k], k == 0, stringIndex);
        if (stream.size() > kMaxStreamBytes) {
            return FailSave(kXlsTooLarge, error);
        }
    }
    return true;
}

void XlsWorkbook::AddSheetStream(std::string& stream, const Sheet& sheet, bool active,
                                 const StringIndex& stringIndex)
{
    AddBof(stream, kWorksheetSubstream);
    AddColumnWidths(stream, sheet);
    const std::vector<RowSpan> rows = RowSpans(sheet);
    AddDimensions(stream, rows);

    // Rows in blocks of 32, as Excel writes them: the block's ROW records, then its cells.
    auto cell = sheet.cells.begin();
    for (std::size_t first = 0; first < rows.size(); first += kRowsPerBlock) {
        const std::size_t end = std::min(rows.size(), first + kRowsPerBlock);
        for (std::size_t i = first; i < end; ++i)
            AddRow(stream, rows[i]);
        for (; cell != sheet.cells.end() && cell->first.first <= rows[end - 1].row; ++cell)
            AddCell(stream, sheet, cell->first, cell->second, stringIndex);
    }
    AddWindow2(stream, active);
    AddRecord(stream, kEof, {});
}

void XlsWorkbook::AddColumnWidths(std::string& stream, const Sheet& sheet)
{
    {
        std::string data;
        Add16(data, 8);  // default column width, characters
        AddRecord(stream, kDefColWidth, data);
    }
    if (sheet.formattedColumns > 0) {
        std::string data;
        Add16(data, 0);  // from column A
        Add16(data, static_cast<std::uint16_t>(std::min(sheet.formattedColumns, kMaxColumns) - 1));
        Add16(data, kResultColumnWidth);
        Add16(data, static_cast<std::uint16_t>(kPlainXf + kResultXfStep));
        Add16(data, 0x0002);  // the width was set, not fitted
        Add16(data, 0);
        AddRecord(stream, kColInfo, data);
    }
}

std::vector<XlsWorkbook::RowSpan> XlsWorkbook::RowSpans(const Sheet& sheet)
{
    std::vector<RowSpan> rows;
    for (const auto& [place, cell] : sheet.cells) {
        const auto [row, column] = place;
        if (rows.empty() || rows.back().row != row)
            rows.push_back({row, column, column, false});
        rows.back().lastColumn = column;
        rows.back().resultFont |= FormatOf(sheet, column, cell) >= kPlainXf + kResultXfStep;
    }
    return rows;
}

void XlsWorkbook::AddDimensions(std::string& stream, const std::vector<RowSpan>& rows)
{
    int firstColumn = kMaxColumns;
    int lastColumn = 0;
    for (const RowSpan& span : rows) {
        firstColumn = std::min(firstColumn, span.firstColumn);
        lastColumn = std::max(lastColumn, span.lastColumn);
    }
    std::string data;  // an empty sheet has all zeros
    Add32(data, rows.empty() ? 0 : static_cast<std::uint32_t>(rows.front().row - 1));
    Add32(data, rows.empty() ? 0 : static_cast<std::uint32_t>(rows.back().row));
    Add16(data, rows.empty() ? 0 : static_cast<std::uint16_t>(firstColumn - 1));
    Add16(data, rows.empty() ? 0 : static_cast<std::uint16_t>(lastColumn));
    Add16(data, 0);
    AddRecord(stream, kDimensions, data);
}

void XlsWorkbook::AddRow(std::string& stream, const RowSpan& span)
{
    std::string data;
    Add16(data, static_cast<std::uint16_t>(span.row - 1));
    Add16(data, static_cast<std::uint16_t>(span.firstColumn - 1));
    Add16(data, static_cast<std::uint16_t>(span.lastColumn));
    Add16(data, span.resultFont ? kResultRowHeight : kNormalRowHeight);
    Add16(data, 0);
    Add16(data, 0);
    Add32(data, 0x000F0100);  // height follows the font; XF 15
    AddRecord(stream, kRow, data);
}

void XlsWorkbook::AddCell(std::string& stream, const Sheet& sheet, std::pair<int, int> place,
                          const Cell& content, const StringIndex& stringIndex)
{
    const auto [row, column] = place;
    std::string data;
    Add16(data, static_cast<std::uint16_t>(row - 1));
    Add16(data, static_cast<std::uint16_t>(column - 1));
    Add16(data, static_cast<std::uint16_t>(FormatOf(sheet, column, content)));
    switch (content.kind) {
    case CellKind::kText:
        Add32(data, stringIndex.at(content.text));
        AddRecord(stream, kLabelSst, data);
        break;
    case CellKind::kNumber:
        if (std::isfinite(content.number)) {
            AddDouble(data, content.number);
            AddRecord(stream, kNumber, data);
        } else {  // a sheet has no infinity or NaN: the cell shows #NUM!
            Add8(data, kNumError);
            Add8(data, 1);  // an error, not a Boolean
            AddRecord(stream, kBoolErr, data);
        }
        break;
    case CellKind::kBlank:
        AddRecord(stream, kBlank, data);
        break;
    }
}

void XlsWorkbook::AddWindow2(std::string& stream, bool active)
{
    std::string data;
    // Gridlines, headings, zeros and outline symbols shown, default gridline colour; the first
    // sheet is also selected and shown.
    constexpr std::uint16_t kSelectedAndShown = 0x0600;
    Add16(data, active ? 0x06B6 : 0x06B6 & ~kSelectedAndShown);
    Add16(data, 0);   // top row shown
    Add16(data, 0);   // left column shown
    Add16(data, 64);  // gridline colour: system foreground
    Add16(data, 0);
    Add16(data, 0);  // page-break preview zoom: default
    Add16(data, 0);  // normal zoom: default
    Add32(data, 0);
    AddRecord(stream, kWindow2, data);
}

bool XlsWorkbook::Save(const std::string& path, std::string& error)
{
    std::string stream;
    if (!BuildStream(stream, error))
        return false;
    const std::string file = CompoundFileWithStream(u"Workbook", stream);
    stream = {};
    AtomicFile out(path);
    if (out.Open(error) && out.Write(file, error) && out.Commit(error))
        return true;
    saveFailure_ = out.failure();
    return false;
}

}  // namespace velmora
