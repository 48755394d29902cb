// SPDX-License-Identifier: MIT
#include "network/NetworkWorkbookLayout.h"

#include "FieldBookLines.h"
#include "../export/RecordingWorkbook.h"
#include "export/Export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <memory>

namespace velmora {
namespace {

// The loop A→B→C→A with A fixed at 10 m, and a spur C→S that the network does not check.
struct WorkedLoop {
    LevellingNetwork network{{{"7", "A", "B", 1.000, 500},
                              {"7", "B", "C", 2.000, 500},
                              {"7", "C", "A", -2.994, 1000},
                              {"8", "C", "S", 0.12345678, 123.456789}},
                             {}};
    NetworkAdjustment result;

    explicit WorkedLoop(double sigma = 0.0025)
    {
        std::string error;
        if (!AdjustNetwork(network, {{"A", 10}}, sigma, result, error))
            throw std::runtime_error(error);
    }
};

// The recorded calls with their numbers written to 10 significant digits.
std::vector<std::string> Shown(std::vector<std::string> calls)
{
    for (std::string& call : calls) {
        if (call.rfind("number ", 0) != 0)
            continue;
        const auto at = call.rfind(' ');
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", std::stod(call.substr(at + 1)));
        call = call.substr(0, at + 1) + text;
    }
    return calls;
}

TEST(NetworkWorkbookLayout, PointsAndObservationsOnTwoSheets)
{
    const WorkedLoop loop;
    testing::RecordingWorkbook workbook;
    WriteNetworkWorkbook(workbook, loop.network, loop.result);
    const std::vector<std::string> expected = {
        "sheet \xCF\xF3\xED\xEA\xF2\xFB",
        "text 1 1 \xCF\xF3\xED\xEA\xF2", "text 1 2 H, \xEC", "text 1 3 \xD1\xCA\xCE, \xEC",
        "text 2 1 A", "number 2 2 10", "number 2 3 0",
        "text 3 1 B", "number 3 2 10.9985", "number 3 3 0.0025981",  // √(18e-6 × 3/8)
        "text 4 1 C", "number 4 2 12.997", "number 4 3 0.003",
        "text 5 1 S", "number 5 2 13.1204568", "number 5 3 0.00335",
        "format 3",
        "add sheet \xCD\xE0\xE1\xEB\xFE\xE4\xE5\xED\xE8\xFF",
        "text 1 1 \xD5\xEE\xE4", "text 1 2 \xCE\xF2", "text 1 3 \xC4\xEE", "text 1 4 h, \xEC",
        "text 1 5 L, \xEC", "text 1 6 v, \xEC", "text 1 7 w",
        "text 2 1 7", "text 2 2 A", "text 2 3 B", "number 2 4 1", "number 2 5 500",
        "number 2 6 -0.0015", "number 2 7 -1.7",
        "text 3 1 7", "text 3 2 B", "text 3 3 C", "number 3 4 2", "number 3 5 500",
        "number 3 6 -0.0015", "number 3 7 -1.7",
        "text 4 1 7", "text 4 2 C", "text 4 3 A", "number 4 4 -2.994", "number 4 5 1000",
        "number 4 6 -0.003", "number 4 7 -1.7",
        // The spur has no w; its values are cut to seven and five decimals.
        "text 5 1 8", "text 5 2 C", "text 5 3 S", "number 5 4 0.1234568", "number 5 5 123.45679",
        "number 5 6 0",
        "format 7"};
    EXPECT_EQ(Shown(workbook.calls), expected);
}

TEST(NetworkWorkbookLayout, FlaggedWIsRed)
{
    const WorkedLoop loop(0.001);  // the 6 mm misclosure is now 4.2 σ √(2 km)
    testing::RecordingWorkbook workbook;
    WriteNetworkWorkbook(workbook, loop.network, loop.result);
    for (int row = 2; row <= 4; ++row) {
        const std::string red = "red " + std::to_string(row) + " 7";
        EXPECT_NE(std::find(workbook.calls.begin(), workbook.calls.end(), red), workbook.calls.end())
            << red;
    }
    EXPECT_EQ(std::count_if(workbook.calls.begin(), workbook.calls.end(),
                            [](const std::string& call) { return call.rfind("red", 0) == 0; }),
              3);
}

std::vector<std::string> ReadSheets(const std::string& path)
{
    return velmora::testing::CommandOutputLines(
        "/usr/bin/python3 " VELMORA_TEST_DATA_DIR "/export/read_sheets.py '" + path + "' 2>&1");
}

// Both file formats hold both sheets, read back by independent readers: names, cells, the
// 12-point font of the formatted columns and the red w.
TEST(NetworkWorkbookLayout, BothFormatsReadBackWithTwoSheets)
{
    if (std::system("/usr/bin/python3 -c 'import xlrd, openpyxl' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-xlrd or python3-openpyxl is not installed";
    const WorkedLoop loop(0.001);
    for (const char* name : {"network.xls", "network.xlsx"}) {
        SCOPED_TRACE(name);
        const std::string path = testing::WriteTemporaryFile(name, "");
        const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(ChooseOutput(path, OutputKind::Workbook, {}).format);
        WriteNetworkWorkbook(*workbook, loop.network, loop.result);
        std::string error;
        ASSERT_TRUE(workbook->Save(path, error)) << error;
        const std::vector<std::string> lines = ReadSheets(path);
        ASSERT_EQ(lines.size(), 1 + 3 + 4 * 3 + 1 + 7 + 4 * 7 - 1) << ::testing::PrintToString(lines);
        EXPECT_EQ(lines[0], "sheet Пункты");
        EXPECT_EQ(lines[1], "1 1 Пункт size=12");
        EXPECT_EQ(lines[9], "3 3 0.0025981 size=12");
        EXPECT_EQ(lines[16], "sheet Наблюдения");
        EXPECT_EQ(lines[23], "1 7 w size=12");
        EXPECT_EQ(lines[30], "2 7 -4.24 size=12 red");
        EXPECT_EQ(lines.back(), "5 6 0.0 size=12");
    }
}

}  // namespace
}  // namespace velmora
