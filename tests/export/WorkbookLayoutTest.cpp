// SPDX-License-Identifier: MIT
#include "export/Export.h"
#include "export/WorkbookLayout.h"

#include "../workbook/RecordingWorkbook.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::RecordingWorkbook;

namespace {

AdjustedRun ClosedRun(bool beyond)
{
    AdjustedRun run;
    run.points = {{"A", 1000.0, 0, false}, {"B", 1000.299428571, 40, false}};
    run.misclosure = 0.001;
    run.allowedMisclosure = beyond ? 0.000529 : 0.0013229;
    run.beyondTolerance = beyond;
    run.largestCorrection = 0.000571428;
    return run;
}

}  // namespace

TEST(WorkbookLayoutTest, ClosedRunWithinTolerance)
{
    RecordingWorkbook book;
    WorkbookLayout layout(book, "1");
    layout.WriteRun(ClosedRun(false));
    layout.Finish();
    EXPECT_EQ(book.calls, (std::vector<std::string>{
                              "sheet 1", "text 1 1 A", "number 1 2 1000", "text 2 1 B",
                              "number 2 2 1000.2994", "text 3 1 dZ", "number 3 2 0.001",
                              "text 4 1 dZ\xE4\xEE\xEF", "number 4 2 0.0013000000000000002", "format"}));
    EXPECT_EQ(layout.row(), 7);
}

TEST(WorkbookLayoutTest, BeyondToleranceIsRedAndGivesTheLargestCorrection)
{
    RecordingWorkbook book;
    WorkbookLayout layout(book, "1");
    layout.WriteRun(ClosedRun(true));
    EXPECT_EQ(book.calls, (std::vector<std::string>{
                              "sheet 1", "text 1 1 A", "number 1 2 1000", "text 2 1 B",
                              "number 2 2 1000.2994", "text 3 1 dZ", "number 3 2 0.001",
                              "red 3 1", "red 3 2", "text 4 1 dZ\xE4\xEE\xEF",
                              "number 4 2 0.00050000000000000001", "number 5 1 0.00060000000000000006"}));
    EXPECT_EQ(layout.row(), 7);
}

TEST(WorkbookLayoutTest, BlocksFollowEachOtherWithTwoFreeRows)
{
    RecordingWorkbook book;
    WorkbookLayout layout(book, "3-12");
    AdjustedRun open;
    open.points = {{"P", 1, 0, false}, {"Q", 2, 0, false}, {"R", -0.00004, 0, false}};
    layout.WriteRun(open);
    EXPECT_EQ(layout.row(), 6);  // an open run of three points: the next block at row 6
    EXPECT_EQ(book.calls.back(), "number 3 2 -0");
    layout.WriteRun(ClosedRun(false));
    EXPECT_EQ(layout.row(), 12);
    EXPECT_EQ(book.calls.front(), "sheet 3-12");
}

TEST(ExportFileNameTest, SheetNameAndProposedName)
{
    EXPECT_EQ(BuildExportFileName({"3", "7", "12"}, "/data/levels/book.DAT"), "/data/levels/3-12.xls");
    EXPECT_EQ(BuildExportFileName({"7"}, "/data/book.DAT"), "/data/7.xls");
    EXPECT_EQ(BuildExportFileName({}, "/data/book.DAT"), "/data/no.xls");
    EXPECT_EQ(BuildExportFileName({"7"}, ""), "7.xls");           // opened from the command line
    // A backslash is a character of a name here, not a folder's end: the book lies in the
    // working folder, and so does the proposal.
    EXPECT_EQ(BuildExportFileName({"7"}, "C:\\survey\\b.DAT"), "7.xls");
    EXPECT_EQ(BuildExportFileName({"7"}, "/b.DAT"), "/7.xls");
    EXPECT_EQ(SheetNameOf({"3", "7", "12"}), "3-12");
}

TEST(SafeSheetNameTest, ForbiddenCharactersAndLength)
{
    EXPECT_EQ(SafeSheetName("1/2-3:4"), "1_2-3_4");
    EXPECT_EQ(SafeSheetName("a\\b?c*d[e]f"), "a_b_c_d_e_f");
    EXPECT_EQ(SafeSheetName("'x'"), "_x_");
    EXPECT_EQ(SafeSheetName(std::string(40, 'k')), std::string(31, 'k'));
    EXPECT_EQ(SafeSheetName(""), "Sheet1");
    EXPECT_EQ(SafeSheetName(std::string("\x01" "7\0" "8\x1F\t", 6)), "_7_8__");
}
