// SPDX-License-Identifier: MIT
#include "workbook/XlsWorkbook.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

// Workbooks are written and read back with xlrd (tests/workbook/read_xls.py, which prints JSON),
// a reader independent of the writer, and with LibreOffice where it is installed.

namespace {

using velmora::XlsWorkbook;
namespace fs = std::filesystem;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kReader = VELMORA_TEST_DATA_DIR "/workbook/read_xls.py";
constexpr int kRed = 10;            // the palette entry of red, RGB(255, 0, 0)
constexpr int kAutomatic = 0x7FFF;  // the window text colour

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

// What a command printed; `status` gets its exit status.
std::string RunCommand(const std::string& command, int& status)
{
    return velmora::testing::CommandOutput(command, &status);
}

bool XlrdAvailable()
{
    static const bool available =
        std::system((std::string(kPython) + " -c 'import xlrd' 2>/dev/null").c_str()) == 0;
    return available;
}

std::string Repeated(std::string_view piece, std::size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out.append(piece);
    return out;
}

// A cell as read_xls.py prints it; `value` is JSON (a quoted text, or a number as Python
// prints a float, which reads back to the same double).
std::string Cell(int row, int column, const std::string& type, const std::string& value,
                 int colour = kAutomatic, int height = 200)
{
    return "{\"row\": " + std::to_string(row) + ", \"column\": " + std::to_string(column) +
           ", \"type\": \"" + type + "\", \"value\": " + value +
           ", \"font_colour\": " + std::to_string(colour) +
           ", \"font_height\": " + std::to_string(height) + "}";
}

std::string Text(const std::string& utf8)
{
    return "\"" + utf8 + "\"";
}

std::size_t CellCount(const std::string& json)
{
    std::size_t count = 0;
    for (auto at = json.find("{\"row\": "); at != std::string::npos; at = json.find("{\"row\": ", at + 1))
        ++count;
    return count;
}

long NumberAfter(const std::string& json, const std::string& key)
{
    const auto at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? -1 : std::strtol(json.c_str() + at + key.size() + 4, nullptr, 10);
}

// Each expected cell, in row order, as the reader lists them.
void ExpectCellsInOrder(const std::string& json, const std::vector<std::string>& cells)
{
    std::size_t from = 0;
    for (const std::string& cell : cells) {
        const auto at = json.find(cell, from);
        if (at == std::string::npos) {
            ADD_FAILURE() << "missing, or out of order: " << cell.substr(0, 200);
            return;
        }
        from = at + cell.size();
    }
}

class XlsWorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::path(::testing::TempDir()) /
                  ("xls-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    // Saves the workbook and returns what xlrd reads in it.
    std::string SaveAndRead(XlsWorkbook& workbook)
    {
        const std::string path = PathOf("book.xls");
        std::string error;
        EXPECT_TRUE(workbook.Save(path, error)) << error;
        int status = 0;
        const std::string json = RunCommand(
            std::string(kPython) + " " + Quoted(kReader) + " " + Quoted(path) + " 2>&1", status);
        EXPECT_EQ(status, 0) << json.substr(0, 2000);
        EXPECT_LE(NumberAfter(json, "longest_record"), 8224) << "Excel refuses longer records";
        return json;
    }

    fs::path folder_;
};

#define SKIP_WITHOUT_XLRD()                                                                  \
    if (!XlrdAvailable())                                                                    \
    GTEST_SKIP() << kPython << " cannot import xlrd"

TEST_F(XlsWorkbookTest, TextsAndNumbersReadBackAsWritten)
{
    SKIP_WITHOUT_XLRD();
    XlsWorkbook workbook;
    workbook.SetSheetName("\xD5\xEE\xE4 1:2/3");  // "Ход 1:2/3" in Windows-1251
    // Out of order, as the layout may write them.
    workbook.WriteNumber(3, 2, 0.0013);
    workbook.WriteText(1, 1, "dZ\xE4\xEE\xEF");  // "dZдоп"
    workbook.WriteNumber(1, 2, 1000.2994);
    workbook.WriteNumber(2, 2, -0.0);
    workbook.WriteText(3, 1, "dZ\xE4\xEE\xEF");  // the same text again: one shared string
    workbook.WriteText(2, 1, "7");
    workbook.WriteNumber(2, 1, 12.5);  // replaces the text
    workbook.WriteText(5, 7, "\x98");  // the one byte Windows-1251 leaves undefined
    workbook.WriteNumber(4, 3, std::numeric_limits<double>::infinity());

    const std::string json = SaveAndRead(workbook);
    EXPECT_NE(json.find("\"sheets\": [\"Ход 1_2_3\"]"), std::string::npos) << json;
    EXPECT_EQ(CellCount(json), 8u);
    ExpectCellsInOrder(json, {
        Cell(1, 1, "text", Text("dZдоп")),
        Cell(1, 2, "number", "1000.2994"),
        Cell(2, 1, "number", "12.5"),
        Cell(2, 2, "number", "-0.0"),
        Cell(3, 1, "text", Text("dZдоп")),
        Cell(3, 2, "number", "0.0013"),
        Cell(4, 3, "error", "36"),  // #NUM!: a sheet has no infinity
        Cell(5, 7, "text", Text("\uFFFD")),
    });
}

TEST_F(XlsWorkbookTest, SheetNamesAreMadeAcceptable)
{
    SKIP_WITHOUT_XLRD();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Sheet1"},
        {"a:b\\c/d?e*f[g]h", "a_b_c_d_e_f_g_h"},
        {"'quoted'", "_quoted_"},
        {std::string(40, 'x'), std::string(31, 'x')},
        {Repeated("\xE4", 35), Repeated("д", 31)},
    };
    for (const auto& [given, expected] : cases) {
        SCOPED_TRACE(given);
        XlsWorkbook workbook;
        workbook.SetSheetName(given);
        workbook.WriteNumber(1, 1, 1);
        const std::string json = SaveAndRead(workbook);
        EXPECT_NE(json.find("\"sheets\": [\"" + expected + "\"]"), std::string::npos) << json;
    }
}

TEST_F(XlsWorkbookTest, RedCellsAndResultColumns)
{
    SKIP_WITHOUT_XLRD();
    XlsWorkbook workbook;
    workbook.WriteText(1, 1, "f");
    workbook.WriteNumber(1, 2, 0.0123);
    workbook.SetFontRed(1, 1);
    workbook.SetFontRed(1, 2);
    workbook.SetFontRed(2, 3);  // red before the value arrives
    workbook.WriteNumber(2, 3, 5);
    workbook.WriteText(2, 1, "plain");
    workbook.SetFontRed(6, 4);  // red, never written: an empty formatted cell
    workbook.FormatResultColumns();
    workbook.WriteNumber(3, 2, 2.5);  // after the columns were formatted
    workbook.WriteNumber(3, 3, 2.5);

    const std::string json = SaveAndRead(workbook);
    EXPECT_NE(json.find("\"red\": [255, 0, 0]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"widths\": {\"A\": 3072, \"B\": 3072}"), std::string::npos) << json;
    ExpectCellsInOrder(json, {
        Cell(1, 1, "text", Text("f"), kRed, 240),
        Cell(1, 2, "number", "0.0123", kRed, 240),
        Cell(2, 1, "text", Text("plain"), kAutomatic, 240),
        Cell(2, 3, "number", "5.0", kRed, 200),
        Cell(3, 2, "number", "2.5", kAutomatic, 240),
        Cell(3, 3, "number", "2.5", kAutomatic, 200),
        Cell(6, 4, "blank", Text(""), kRed, 200),
    });

    XlsWorkbook unformatted;
    unformatted.WriteText(1, 1, "a");
    const std::string plain = SaveAndRead(unformatted);
    EXPECT_NE(plain.find("\"widths\": {\"A\": null, \"B\": null}"), std::string::npos) << plain;
    ExpectCellsInOrder(plain, {Cell(1, 1, "text", Text("a"))});
}

// Long texts run on from the SST into CONTINUE records; the cuts may fall anywhere in a text or
// between two, and many texts of varied lengths move them about.
TEST_F(XlsWorkbookTest, LongTextsAndManyTextsReadBackWhole)
{
    SKIP_WITHOUT_XLRD();
    XlsWorkbook workbook;
    workbook.WriteText(1, 1, Repeated("\xE4", 40000));    // cut to 32767 characters
    workbook.WriteText(2, 1, Repeated("a\xEE", 4500));    // 9,000 characters
    workbook.WriteText(3, 1, Repeated("\xEF", 1000000));  // a point number typed in the grid
    std::vector<std::string> expected = {Cell(1, 1, "text", Text(Repeated("д", 32767))),
                                         Cell(2, 1, "text", Text(Repeated("aо", 4500))),
                                         Cell(3, 1, "text", Text(Repeated("п", 32767)))};
    for (int i = 0; i < 3000; ++i) {
        workbook.WriteText(10 + i, 2, std::to_string(i) + Repeated("\xF1", i % 37));
        expected.push_back(Cell(10 + i, 2, "text", Text(std::to_string(i) + Repeated("с", i % 37))));
    }
    workbook.WriteText(4000, 3, "x");
    expected.push_back(Cell(4000, 3, "text", Text("x")));

    const std::string json = SaveAndRead(workbook);
    EXPECT_GT(NumberAfter(json, "continue_records"), 0);
    EXPECT_EQ(CellCount(json), expected.size());
    ExpectCellsInOrder(json, expected);
}

// Past 109 FAT sectors (about 7 MB) the compound file lists its FAT sectors in DIFAT sectors.
TEST_F(XlsWorkbookTest, LargeWorkbookReadsBack)
{
    SKIP_WITHOUT_XLRD();
    XlsWorkbook workbook;
    constexpr int kTexts = 250;  // 250 x 64 KiB: about 16 MB, two DIFAT sectors
    std::vector<std::string> expected;
    for (int i = 0; i < kTexts; ++i) {
        const std::string text = std::to_string(i) + std::string(40000, 'z');
        workbook.WriteText(i + 1, 1, text);
        expected.push_back(Cell(i + 1, 1, "text", Text(text.substr(0, 32767))));
    }
    const std::string json = SaveAndRead(workbook);
    // More FAT sectors than the header and one DIFAT sector list, 128 sectors of 512 bytes each.
    EXPECT_GT(fs::file_size(PathOf("book.xls")), (109u + 127) * 128 * 512);
    EXPECT_EQ(CellCount(json), expected.size());
    ExpectCellsInOrder(json, expected);
}

TEST_F(XlsWorkbookTest, EmptyWorkbookOpens)
{
    SKIP_WITHOUT_XLRD();
    XlsWorkbook workbook;
    const std::string json = SaveAndRead(workbook);
    EXPECT_NE(json.find("\"sheets\": [\"Sheet1\"], \"red\": [255, 0, 0], \"cells\": []"),
              std::string::npos)
        << json;
}

TEST_F(XlsWorkbookTest, LastCellOfTheSheetIsAcceptedAndBeyondItSaveFails)
{
    if (XlrdAvailable()) {
        XlsWorkbook workbook;
        workbook.WriteNumber(65536, 256, 1);
        ExpectCellsInOrder(SaveAndRead(workbook), {Cell(65536, 256, "number", "1.0")});
    }
    for (const auto& [row, column] : {std::pair{65537, 1}, std::pair{1, 257}, std::pair{0, 1}}) {
        XlsWorkbook workbook;
        workbook.WriteNumber(1, 1, 1);
        workbook.WriteText(row, column, "x");
        std::string error;
        EXPECT_FALSE(workbook.Save(PathOf("beyond.xls"), error));
        EXPECT_EQ(error, "the cell at row " + std::to_string(row) + ", column " + std::to_string(column) +
                             " lies outside an .xls sheet (65536 rows, 256 columns)");
        EXPECT_EQ(workbook.saveFailure().code, velmora::kCellOutsideXlsSheet);
        EXPECT_EQ(error, workbook.saveFailure().Text());
        EXPECT_FALSE(fs::exists(PathOf("beyond.xls")));
    }
}

TEST_F(XlsWorkbookTest, FailedSaveLeavesNoFileAndSuccessfulSaveReplacesTheOld)
{
    XlsWorkbook workbook;
    workbook.WriteText(1, 1, "a");
    std::string error;
    const std::string missing = PathOf("no-such-folder/book.xls");
    EXPECT_FALSE(workbook.Save(missing, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(fs::path(missing).parent_path()));

    const std::string existing = PathOf("old.xls");
    std::ofstream(existing) << "old contents";
    ASSERT_TRUE(workbook.Save(existing, error)) << error;
    std::ifstream in(existing, std::ios::binary);
    std::string start(8, '\0');
    in.read(start.data(), 8);
    EXPECT_EQ(start, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");  // a compound file
    EXPECT_EQ(fs::file_size(existing) % 512, 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
        << "a temporary file was left";
}

TEST_F(XlsWorkbookTest, LibreOfficeOpensTheWorkbook)
{
    std::string office;
    for (const char* candidate : {"/usr/bin/soffice", "/usr/bin/libreoffice"}) {
        if (access(candidate, X_OK) == 0)
            office = candidate;
    }
    if (office.empty())
        GTEST_SKIP() << "LibreOffice is not installed";
    XlsWorkbook workbook;
    workbook.SetSheetName("\xD5\xEE\xE4");
    workbook.WriteText(1, 1, "dZ\xE4\xEE\xEF");
    workbook.WriteNumber(1, 2, 1000.2994);
    workbook.SetFontRed(1, 2);
    workbook.FormatResultColumns();
    std::string error;
    ASSERT_TRUE(workbook.Save(PathOf("book.xls"), error)) << error;
    int status = 0;
    const std::string output = RunCommand(
        office + " --headless -env:UserInstallation=file://" + folder_.string() +
            "/profile --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " +
            Quoted(folder_.string()) + " " + Quoted(PathOf("book.xls")) + " 2>&1",
        status);
    ASSERT_EQ(status, 0) << output;
    std::ifstream in(PathOf("book.csv"));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "dZдоп,1000.2994") << output;
}

}  // namespace
