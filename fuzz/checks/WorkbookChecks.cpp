// SPDX-License-Identifier: MIT
#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include "workbook/WorkbookWriter.h"
#include "workbook/XlsWorkbook.h"
#include "workbook/XlsxWorkbook.h"

#include <expat.h>
#include <zlib.h>

#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace velmora::fuzz {

namespace {

// Windows-1251 bytes 0x80 to 0xBF as Unicode; 0x98 has no character and becomes U+FFFD. From
// 0xC0 on the letters А to я follow in order.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

std::u16string Cp1251ToUnits(std::string_view bytes)
{
    std::u16string units;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        units.push_back(b < 0x80 ? char16_t(b) : b < 0xC0 ? kCp1251High[b - 0x80] : char16_t(0x0410 + b - 0xC0));
    }
    return units;
}

// What a cell should hold after all writes to it.
struct ExpectedCell {
    enum Kind { Blank, Text, Number } kind = Blank;
    std::u16string text;
    double number = 0;
    bool red = false;
};

// Rows and columns at the edges of both sheet sizes and of the types that hold them.
constexpr int kRowChoices[16] = {0,       -1,      INT_MIN, INT_MAX, 65536,     65537,
                                 1048576, 1048577, 2,       255,     65535,     4294967,
                                 -65535,  1 << 16, 1 << 20, (1 << 30) + 1};
constexpr int kColumnChoices[16] = {0,     -1,    INT_MIN, INT_MAX, 256,     257,
                                    16384, 16385, 65535,   65536,   65537,   65538,
                                    -65535, 2,    255,     (1 << 16) + 3};

int Place(ByteReader& in, const int* edges)
{
    const std::uint8_t b = in.Byte();
    return b < 0xF0 ? 1 + b % 40 : edges[b & 15];
}

double NumberFrom(ByteReader& in)
{
    const std::uint8_t kind = in.Byte();
    switch (kind % 8) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return std::numeric_limits<double>::infinity();
    case 2: return -std::numeric_limits<double>::infinity();
    case 3: return -0.0;
    case 4: return std::numeric_limits<double>::denorm_min();
    default: {
        const std::string_view raw = in.Take(8);
        std::uint64_t bits = 0;
        std::memcpy(&bits, raw.data(), raw.size());
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    }
}

// A text of up to 40000 bytes: short ones straight from the input, long ones its bytes repeated.
std::string TextFrom(ByteReader& in)
{
    const std::uint8_t kind = in.Byte();
    if (kind < 0xE0)
        return std::string(in.Text(kind % 48));
    const std::size_t length = in.Word() % 40001;
    const std::string_view pattern = in.Text(16);
    std::string text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(pattern.empty() ? char('a' + i % 26) : pattern[i % pattern.size()]);
    return text;
}

// ---- A small reader of the .xls files this program writes: the compound file, the workbook
// stream, its shared strings and the cells of its one sheet.

std::uint16_t Get16(std::string_view data, std::size_t at)
{
    FUZZ_REQUIRE(at + 2 <= data.size(), "xls: read past the end at " + std::to_string(at));
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      static_cast<unsigned char>(data[at + 1]) << 8);
}

std::uint32_t Get32(std::string_view data, std::size_t at)
{
    return Get16(data, at) | static_cast<std::uint32_t>(Get16(data, at + 2)) << 16;
}

std::string WorkbookStream(std::string_view file)
{
    constexpr std::size_t kSector = 512;
    FUZZ_REQUIRE(Get16(file, 0x1E) == 9, "xls: sector size is not 512");
    const std::size_t sectors = file.size() / kSector - 1;
    auto sector = [&](std::uint32_t n) {
        FUZZ_REQUIRE(n < sectors, "xls: sector " + std::to_string(n) + " past the end");
        return file.substr((n + 1) * kSector, kSector);
    };
    // The allocation table, from the header's list and the chain of further list sectors.
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = Get32(file, 0x2C);
    for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(Get32(file, 0x4C + 4 * i));
    std::uint32_t difat = Get32(file, 0x44);
    for (std::size_t guard = 0; fatSectors.size() < fatCount && guard <= sectors; ++guard) {
        const std::string_view list = sector(difat);
        for (std::size_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(Get32(list, 4 * i));
        difat = Get32(list, 508);
    }
    FUZZ_REQUIRE(fatSectors.size() == fatCount, "xls: allocation table list incomplete");
    std::vector<std::uint32_t> fat;
    for (const std::uint32_t n : fatSectors) {
        const std::string_view table = sector(n);
        for (std::size_t i = 0; i < 128; ++i)
            fat.push_back(Get32(table, 4 * i));
    }
    auto chain = [&](std::uint32_t first) {
        std::string bytes;
        for (std::uint32_t n = first; n != 0xFFFFFFFE;) {
            FUZZ_REQUIRE(n < fat.size() && bytes.size() <= file.size(), "xls: broken sector chain");
            bytes.append(sector(n));
            n = fat[n];
        }
        return bytes;
    };
    const std::string directory = chain(Get32(file, 0x30));
    for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
        const std::size_t nameBytes = Get16(directory, at + 64);
        if (directory[at + 66] != 2 || nameBytes != 18)
            continue;
        std::u16string name;
        for (std::size_t i = 0; i < 8; ++i)
            name.push_back(Get16(directory, at + 2 * i));
        if (name != u"Workbook")
            continue;
        const std::uint32_t size = Get32(directory, at + 120);
        FUZZ_REQUIRE(size >= 4096, "xls: the workbook stream belongs in a mini stream");
        std::string stream = chain(Get32(directory, at + 116));
        FUZZ_REQUIRE(stream.size() >= size, "xls: the workbook stream is shorter than its size");
        stream.resize(size);
        return stream;
    }
    Fail("xls: no workbook stream");
}

struct Record {
    std::uint16_t type;
    std::string_view data;
};

std::vector<Record> Records(std::string_view stream, std::size_t from)
{
    std::vector<Record> records;
    for (std::size_t at = from; at + 4 <= stream.size();) {
        const std::uint16_t type = Get16(stream, at);
        const std::uint16_t length = Get16(stream, at + 2);
        FUZZ_REQUIRE(length <= 8224, "xls: record longer than 8224 bytes");
        FUZZ_REQUIRE(at + 4 + length <= stream.size(), "xls: record past the stream's end");
        records.push_back({type, stream.substr(at + 4, length)});
        at += 4 + length;
        if (type == 0x000A)
            break;
    }
    return records;
}

// The shared strings from an SST record and the CONTINUE records after it.
std::vector<std::u16string> SharedStrings(const std::vector<Record>& globals, std::uint32_t& references)
{
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < globals.size(); ++i) {
        if (globals[i].type != 0x00FC)
            continue;
        pieces.push_back(globals[i].data);
        for (std::size_t k = i + 1; k < globals.size() && globals[k].type == 0x003C; ++k)
            pieces.push_back(globals[k].data);
        break;
    }
    FUZZ_REQUIRE(!pieces.empty(), "xls: no shared string table");
    references = Get32(pieces[0], 0);
    const std::uint32_t count = Get32(pieces[0], 4);
    std::size_t piece = 0;
    std::size_t at = 8;
    auto nextPiece = [&] {
        ++piece;
        at = 0;
        FUZZ_REQUIRE(piece < pieces.size(), "xls: shared strings run past their records");
    };
    std::vector<std::u16string> strings;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at == pieces[piece].size())
            nextPiece();
        const std::uint16_t length = Get16(pieces[piece], at);
        FUZZ_REQUIRE(at + 3 <= pieces[piece].size(), "xls: a string's header is split");
        std::uint8_t flags = static_cast<std::uint8_t>(pieces[piece][at + 2]);
        at += 3;
        FUZZ_REQUIRE((flags & 0x0C) == 0, "xls: unexpected rich or extended string");
        std::u16string text;
        while (text.size() < length) {
            if (at == pieces[piece].size()) {
                nextPiece();
                flags = static_cast<std::uint8_t>(pieces[piece][at]);
                ++at;
            }
            if (flags & 1) {
                text.push_back(Get16(pieces[piece], at));
                at += 2;
            } else {
                text.push_back(static_cast<unsigned char>(pieces[piece][at]));
                ++at;
            }
        }
        strings.push_back(std::move(text));
    }
    FUZZ_REQUIRE(at == pieces[piece].size() && piece + 1 == pieces.size(),
                 "xls: bytes left after the shared strings");
    return strings;
}

void CheckXlsContent(std::string_view file, const std::map<std::pair<int, int>, ExpectedCell>& cells,
                     bool formatted)
{
    const std::string stream = WorkbookStream(file);
    const std::vector<Record> globals = Records(stream, 0);
    FUZZ_REQUIRE(!globals.empty() && globals.front().type == 0x0809, "xls: no BOF first");
    std::uint32_t references = 0;
    const std::vector<std::u16string> strings = SharedStrings(globals, references);
    std::size_t sheetAt = 0;
    for (const Record& record : globals) {
        if (record.type == 0x0085)
            sheetAt = Get32(record.data, 0);
    }
    const std::vector<Record> sheet = Records(stream, sheetAt);
    FUZZ_REQUIRE(!sheet.empty() && sheet.front().type == 0x0809 && Get16(sheet.front().data, 2) == 0x0010,
                 "xls: the sheet position does not lead to the sheet's BOF");
    FUZZ_REQUIRE(sheet.back().type == 0x000A, "xls: the sheet has no EOF");

    std::uint32_t labels = 0;
    std::map<std::pair<int, int>, bool> seen;
    for (const Record& record : sheet) {
        if (record.type != 0x00FD && record.type != 0x0203 && record.type != 0x0205 && record.type != 0x0201)
            continue;
        const int row = Get16(record.data, 0) + 1;
        const int column = Get16(record.data, 2) + 1;
        const std::uint16_t xf = Get16(record.data, 4);
        const std::string where = "xls cell " + std::to_string(row) + "," + std::to_string(column);
        const auto found = cells.find({row, column});
        FUZZ_REQUIRE(found != cells.end(), where + " was never written");
        FUZZ_REQUIRE(!seen.count(std::make_pair(row, column)), where + " written twice");
        seen[{row, column}] = true;
        const ExpectedCell& want = found->second;
        const int wantXf = 15 + (want.red ? 1 : 0) + (formatted && column <= 2 ? 2 : 0);
        FUZZ_REQUIRE(xf == wantXf, where + " has format " + std::to_string(xf));
        switch (record.type) {
        case 0x00FD: {
            ++labels;
            const std::uint32_t index = Get32(record.data, 6);
            FUZZ_REQUIRE(want.kind == ExpectedCell::Text && index < strings.size() &&
                             strings[index] == want.text,
                         where + " holds another text");
            break;
        }
        case 0x0203: {
            std::uint64_t bits = Get32(record.data, 6) | static_cast<std::uint64_t>(Get32(record.data, 10)) << 32;
            double value = 0;
            std::memcpy(&value, &bits, sizeof value);
            FUZZ_REQUIRE(want.kind == ExpectedCell::Number && std::isfinite(want.number) &&
                             std::memcmp(&value, &want.number, sizeof value) == 0,
                         where + " holds another number");
            break;
        }
        case 0x0205:
            FUZZ_REQUIRE(want.kind == ExpectedCell::Number && !std::isfinite(want.number) &&
                             record.data.size() == 8 && record.data[6] == 0x24 && record.data[7] == 1,
                         where + " should not be an error cell");
            break;
        default:
            FUZZ_REQUIRE(want.kind == ExpectedCell::Blank, where + " is blank");
            break;
        }
    }
    FUZZ_REQUIRE(seen.size() == cells.size(), "xls: cells missing from the sheet");
    FUZZ_REQUIRE(references == labels, "xls: the shared string count of references is wrong");
    std::map<std::u16string, int> distinct;
    for (const auto& [place, cell] : cells) {
        if (cell.kind == ExpectedCell::Text)
            distinct[cell.text] = 1;
    }
    FUZZ_REQUIRE(strings.size() == distinct.size(), "xls: shared strings are not the distinct texts");
}

std::uint32_t Little(std::string_view bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// Every part of the .xlsx zip, unpacked, is well-formed XML: a spreadsheet refuses the whole
// workbook for one bad byte in any part (a control character in the sheet name, say).
void CheckXlsxParts(std::string_view file)
{
    constexpr std::size_t kEndRecordBytes = 22;
    FUZZ_REQUIRE(file.size() >= kEndRecordBytes, "xlsx: no zip end record");
    const std::size_t end = file.size() - kEndRecordBytes;
    FUZZ_REQUIRE(Little(file, end, 4) == 0x06054b50, "xlsx: no zip end record");
    const std::uint32_t parts = Little(file, end + 10, 2);
    std::size_t at = Little(file, end + 16, 4);
    for (std::uint32_t part = 0; part < parts; ++part) {
        FUZZ_REQUIRE(at + 46 <= end && Little(file, at, 4) == 0x02014b50, "xlsx: zip directory broken");
        const std::uint32_t method = Little(file, at + 10, 2);
        const std::uint32_t packed = Little(file, at + 20, 4);
        const std::uint32_t unpacked = Little(file, at + 24, 4);
        const std::uint32_t nameBytes = Little(file, at + 28, 2);
        const std::uint32_t localAt = Little(file, at + 42, 4);
        const std::string name(file.substr(at + 46, nameBytes));
        at += 46 + nameBytes + Little(file, at + 30, 2) + Little(file, at + 32, 2);

        FUZZ_REQUIRE(localAt + 30 <= file.size() && Little(file, localAt, 4) == 0x04034b50,
                     "xlsx: " + name + ": no local header");
        const std::size_t dataAt = localAt + 30 + Little(file, localAt + 26, 2) + Little(file, localAt + 28, 2);
        FUZZ_REQUIRE(dataAt + packed <= file.size(), "xlsx: " + name + ": data beyond the file");
        std::string content;
        if (method == 0) {
            content = file.substr(dataAt, packed);
        } else {
            FUZZ_REQUIRE(method == 8, "xlsx: " + name + ": unknown compression");
            content.resize(unpacked);
            z_stream stream{};
            inflateInit2(&stream, -MAX_WBITS);  // the raw deflate data of a zip entry
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + dataAt));
            stream.avail_in = packed;
            stream.next_out = reinterpret_cast<Bytef*>(content.data());
            stream.avail_out = unpacked;
            const int status = inflate(&stream, Z_FINISH);
            inflateEnd(&stream);
            FUZZ_REQUIRE(status == Z_STREAM_END && stream.total_out == unpacked,
                         "xlsx: " + name + ": does not inflate");
        }
        FUZZ_REQUIRE(!content.empty(), "xlsx: " + name + " is empty");
        XML_Parser parser = XML_ParserCreate(nullptr);
        const bool wellFormed =
            XML_Parse(parser, content.data(), static_cast<int>(content.size()), 1) == XML_STATUS_OK;
        const std::string problem = wellFormed ? "" : XML_ErrorString(XML_GetErrorCode(parser));
        XML_ParserFree(parser);
        FUZZ_REQUIRE(wellFormed, "xlsx: " + name + " is not well-formed XML: " + problem);
    }
}

bool Inside(const std::map<std::pair<int, int>, ExpectedCell>& cells, int rows, int columns)
{
    for (const auto& [place, cell] : cells) {
        if (place.first < 1 || place.first > rows || place.second < 1 || place.second > columns)
            return false;
    }
    return true;
}

}  // namespace

void CheckWorkbook(std::string_view input)
{
    ByteReader in(input);
    XlsWorkbook xls;
    XlsxWorkbook xlsx;
    WorkbookWriter* const books[] = {&xls, &xlsx};

    const std::string sheetName(in.Text(40));
    if (in.Flag()) {
        for (WorkbookWriter* book : books)
            book->SetSheetName(sheetName);
    }
    std::map<std::pair<int, int>, ExpectedCell> cells;
    const std::size_t count = in.Pick(24);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t what = in.Byte();
        const int row = Place(in, kRowChoices);
        const int column = Place(in, kColumnChoices);
        ExpectedCell& cell = cells[{row, column}];
        switch (what % 3) {
        case 0: {
            const std::string text = TextFrom(in);
            for (WorkbookWriter* book : books)
                book->WriteText(row, column, text);
            cell.text = Cp1251ToUnits(std::string_view(text).substr(0, kMaxCellTextCharacters));
            cell.kind = cell.text.empty() ? ExpectedCell::Blank : ExpectedCell::Text;
            break;
        }
        case 1: {
            const double value = NumberFrom(in);
            for (WorkbookWriter* book : books)
                book->WriteNumber(row, column, value);
            cell.kind = ExpectedCell::Number;
            cell.text.clear();
            cell.number = value;
            break;
        }
        default:
            for (WorkbookWriter* book : books)
                book->SetFontRed(row, column);
            cell.red = true;
            break;
        }
    }
    const bool formatted = in.Flag();
    if (formatted) {
        for (WorkbookWriter* book : books)
            book->FormatResultColumns();
    }

    // .xls: saved whole, or refused with a reason and no file, when a cell lies outside.
    {
        const std::string path = ScratchPath("book.xls");
        std::filesystem::remove(path);
        std::string error;
        const bool inside = Inside(cells, 65536, 256);
        const bool saved = xls.Save(path, error);
        FUZZ_REQUIRE(saved == inside, "xls: save gave " + std::to_string(saved) + ": " + error);
        if (!saved) {
            FUZZ_REQUIRE(!error.empty(), "xls: refused without a reason");
            FUZZ_REQUIRE(!std::filesystem::exists(path), "xls: a refused save left a file");
        } else {
            std::string file;
            FUZZ_REQUIRE(ReadWholeFile(path, file), "xls: saved file cannot be read");
            FUZZ_REQUIRE(file.size() >= 512 && file.size() % 512 == 0,
                         "xls: size " + std::to_string(file.size()) + " is no multiple of 512");
            FUZZ_REQUIRE(file.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0,
                         "xls: no compound file signature");
            CheckXlsContent(file, cells, formatted);
        }
    }

    // .xlsx: the same, within the larger sheet of that format.
    {
        const std::string path = ScratchPath("book.xlsx");
        std::filesystem::remove(path);
        std::string error;
        const bool inside = Inside(cells, 1048576, 16384);
        const bool saved = xlsx.Save(path, error);
        FUZZ_REQUIRE(saved == inside, "xlsx: save gave " + std::to_string(saved) + ": " + error);
        if (!saved) {
            FUZZ_REQUIRE(!error.empty(), "xlsx: refused without a reason");
            FUZZ_REQUIRE(!std::filesystem::exists(path), "xlsx: a refused save left a file");
        } else {
            std::string file;
            FUZZ_REQUIRE(ReadWholeFile(path, file), "xlsx: saved file cannot be read");
            CheckXlsxParts(file);
        }
    }
}

}  // namespace velmora::fuzz
