// SPDX-License-Identifier: MIT
#include "workbook/XlsxWorkbook.h"

#include "FieldBookLines.h"
#include "export/WorkbookLayout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace velmora;

namespace {

const char* kPython = "/usr/bin/python3";

bool HaveOpenpyxl()
{
    const std::string command = std::string(kPython) + " -c 'import openpyxl' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// What the independent reader finds in the workbook, one line a fact.
std::vector<std::string> ReadBack(const std::string& path)
{
    return velmora::testing::CommandOutputLines(std::string(kPython) + " " VELMORA_TEST_DATA_DIR
                                                "/workbook/read_xlsx.py '" + path + "' 2>&1");
}

class XlsxWorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveOpenpyxl())
            GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    std::string PathOf(const std::string& name)
    {
        return std::filesystem::path(velmora::testing::WriteTemporaryFile(name, "")).string();
    }
};

AdjustedRun ResultRun(std::vector<PointEntry> points, double dZ = 0, double allowed = 0,
                bool beyond = false, double largest = 0)
{
    AdjustedRun run;
    run.points = std::move(points);
    run.misclosure = dZ;
    run.allowedMisclosure = allowed;
    run.beyondTolerance = beyond;
    run.largestCorrection = largest;
    return run;
}

}  // namespace

TEST_F(XlsxWorkbookTest, WorkedRunAtClassIReadsBackCellByCell)
{
    XlsxWorkbook book;
    WorkbookLayout layout(book, "1");
    layout.WriteRun(ResultRun({{"A", 1000.0, 0, false}, {"B", 1000.2994285714, 40, false}}, 0.001,
                        0.000529150262, true, 0.000571428571));
    layout.Finish();
    const std::string path = PathOf("worked.xlsx");
    std::string error;
    ASSERT_TRUE(book.Save(path, error)) << error;
    EXPECT_EQ(ReadBack(path), (std::vector<std::string>{
                                  "sheet 1",
                                  "cell 1 1 text A color=none size=12",
                                  "cell 1 2 number 1000.0 color=none size=12",
                                  "cell 2 1 text B color=none size=12",
                                  "cell 2 2 number 1000.2994 color=none size=12",
                                  "cell 3 1 text dZ color=FFFF0000 size=12",
                                  "cell 3 2 number 0.001 color=FFFF0000 size=12",
                                  "cell 4 1 text dZдоп color=none size=12",
                                  "cell 4 2 number 0.0005 color=none size=12",
                                  "cell 5 1 number 0.0006000000000000001 color=none size=12",  // 6 × 0.0001
                                  "width A 12", "width B 12",
                              }));
}

TEST_F(XlsxWorkbookTest, NetworkOfRunsWithCyrillicPointsAndAForbiddenSheetName)
{
    XlsxWorkbook book;
    WorkbookLayout layout(book, "1/2-7");
    layout.WriteRun(ResultRun({{"\xD0\xCF" "1", 10.0, 0, false}, {"C", 10.5, 0, false}}));  // "РП1"
    layout.WriteRun(ResultRun({{"C", 10.5, 0, false}, {"D", 9.5, 0, false}, {"C", 10.5, 0, false}},
                        0, 0, false, 0));
    layout.Finish();
    const std::string path = PathOf("network.xlsx");
    std::string error;
    ASSERT_TRUE(book.Save(path, error)) << error;
    const auto lines = ReadBack(path);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "sheet 1_2-7");
    EXPECT_EQ(lines[1], "cell 1 1 text РП1 color=none size=12");
    EXPECT_EQ(lines[5], "cell 5 1 text C color=none size=12");  // two rows after the first block
}

TEST_F(XlsxWorkbookTest, EmptyWorkbookLongTextAndFailedSave)
{
    XlsxWorkbook empty;
    WorkbookLayout layout(empty, "no");
    layout.Finish();
    const std::string path = PathOf("empty.xlsx");
    std::string error;
    ASSERT_TRUE(empty.Save(path, error)) << error;
    EXPECT_EQ(ReadBack(path), (std::vector<std::string>{"sheet no", "width A 12", "width B 12"}));

    XlsxWorkbook longText;
    longText.SetSheetName("x");
    longText.WriteText(1, 1, std::string(40000, 'x'));
    const std::string longPath = PathOf("long.xlsx");
    ASSERT_TRUE(longText.Save(longPath, error)) << error;
    const auto lines = ReadBack(longPath);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), std::string("cell 1 1 text ").size() + 32767 + std::string(" color=none size=11").size());

    EXPECT_FALSE(longText.Save("/no/such/folder/book.xlsx", error));
    EXPECT_FALSE(std::filesystem::exists("/no/such/folder/book.xlsx"));
}

TEST_F(XlsxWorkbookTest, ControlCharactersInTheSheetNameGiveAWorkbookThatOpens)
{
    XlsxWorkbook book;
    WorkbookLayout layout(book, std::string("\x01" "7\0" "8", 4));
    layout.WriteRun(ResultRun({{"A", 10.0, 0, false}, {"B", 10.5, 0, false}}));
    layout.Finish();
    const std::string path = PathOf("control.xlsx");
    std::string error;
    ASSERT_TRUE(book.Save(path, error)) << error;
    const auto lines = ReadBack(path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "sheet _7_8");
}

TEST_F(XlsxWorkbookTest, IncompleteZipIsNotTakenForAWorkbook)
{
    XlsxWorkbook book;
    WorkbookLayout layout(book, "1");
    layout.Finish();
    const std::string path = PathOf("whole.xlsx");
    std::string error;
    ASSERT_TRUE(book.Save(path, error)) << error;
    const std::string whole = velmora::testing::ReadWholeFile(path);
    EXPECT_TRUE(IsCompleteXlsxFile(whole, error)) << error;
    EXPECT_FALSE(IsCompleteXlsxFile(whole.substr(0, whole.size() - 1), error));
    EXPECT_EQ(error, "the workbook was written incompletely");
    EXPECT_FALSE(IsCompleteXlsxFile(whole.substr(0, whole.size() / 2), error));
    EXPECT_FALSE(IsCompleteXlsxFile("", error));

    // What the library writes when its work files cannot be: the parts are there, but empty.
    const std::string emptyParts = PathOf("empty-parts.xlsx");
    const std::string command = std::string(kPython) +
                                " -c \"import sys, zipfile\n"
                                "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                "z.writestr('[Content_Types].xml', '<Types/>')\n"
                                "z.writestr('xl/worksheets/sheet1.xml', '')\n"
                                "z.close()\" " + emptyParts;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_FALSE(IsCompleteXlsxFile(velmora::testing::ReadWholeFile(emptyParts), error));
}
