// SPDX-License-Identifier: MIT
#include "network/NetworkWorkbookLayout.h"

#include "FieldBookLines.h"
#include "../workbook/RecordingWorkbook.h"
#include "workbook/WorkbookFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <memory>

namespace velmora {
namespace {

// The loop A→B→C→A with A fixed at 10 m, and a spur C→S that the network does not check.
// C is a node (run 8 starts there), so run 7 is two sections, A→C over B and C→A.
struct WorkedLoop {
    LevellingNetwork network;
    NetworkAdjustment result;

    explicit WorkedLoop(double sigma = 0.0025)
    {
        const auto station = [](const char* run, const char* from, const char* to, double dh,
                                double length) {
            LevellingObservation observation;
            observation.run = run;
            observation.from = from;
            observation.to = to;
            observation.heightDifference = dh;
            observation.length = length;
            return observation;
        };
        network.observations = {station("7", "A", "B", 1.000, 500),
                                station("7", "B", "C", 2.000, 500),
                                station("7", "C", "A", -2.994, 1000),
                                station("8", "C", "S", 0.12345678, 123.456789)};
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

TEST(NetworkWorkbookLayout, FiguresAndCatalogueThenSectionsStationsAndPoints)
{
    const WorkedLoop loop;
    testing::RecordingWorkbook workbook;
    WriteNetworkWorkbook(workbook, loop.network, loop.result, "II");
    const std::vector<std::string> expected = {
        "sheet \xCA\xE0\xF2\xE0\xEB\xEE\xE3",  // Каталог: the figures, then the nodes
        "text 1 1 \xCA\xEB\xE0\xF1\xF1", "text 1 2 II",  // Класс
        "text 2 1 \xD1\xCA\xCE \xED\xE0 1 \xEA\xEC \xE0\xEF\xF0\xE8\xEE\xF0\xE8, \xEC\xEC",
        "number 2 2 2.5",  // СКО на 1 км априори, мм
        "text 3 1 \xD1\xCA\xCE \xED\xE0 1 \xEA\xEC \xEF\xEE \xF3\xF0\xE0\xE2\xED\xE8\xE2\xE0\xED\xE8\xFE, \xEC\xEC",
        "number 3 2 4.24",  // по уравниванию: the 6 mm misclosure over 2 km, √18, as the texts give it
        "text 4 1 \xD7\xE8\xF1\xEB\xEE \xF1\xF2\xE5\xEF\xE5\xED\xE5\xE9 \xF1\xE2\xEE\xE1\xEE\xE4\xFB",
        "number 4 2 1",  // Число степеней свободы
        "text 5 1 \xC3\xEB\xEE\xE1\xE0\xEB\xFC\xED\xFB\xE9 \xF2\xE5\xF1\xF2 (\xF5\xE8-\xEA\xE2\xE0\xE4\xF0\xE0\xF2)",
        "number 5 2 2.88", "number 5 3 0.001", "number 5 4 5.024",
        "text 5 5 \xE2\xFB\xEF\xEE\xEB\xED\xE5\xED",  // выполнен
        "text 6 1 \xD2\xE2\xB8\xF0\xE4\xFB\xE9 \xEF\xF3\xED\xEA\xF2", "text 6 2 A", "number 6 3 10",
        "text 8 1 \xCF\xF3\xED\xEA\xF2", "text 8 2 H, \xEC", "text 8 3 \xD1\xCA\xCE, \xEC",
        "text 8 4 \xD2\xE2\xB8\xF0\xE4\xFB\xE9", "text 8 5 \xD1\xE5\xEA\xF6\xE8\xE9",
        "text 9 1 A", "number 9 2 10", "number 9 3 0", "text 9 4 \xF2\xE2\xB8\xF0\xE4\xFB\xE9",
        "number 9 5 2",
        "text 10 1 C", "number 10 2 12.997", "number 10 3 0.003", "number 10 5 3",
        "text 11 1 S", "number 11 2 13.1204568", "number 11 3 0.00335", "number 11 5 1",
        "format 5",
        "add sheet \xD1\xE5\xEA\xF6\xE8\xE8",  // Секции
        "text 1 1 \xCA\xED\xE8\xE3\xE0", "text 1 2 \xD5\xEE\xE4", "text 1 3 \xCE\xF2",
        "text 1 4 \xC4\xEE", "text 1 5 \xD1\xF2\xE0\xED\xF6\xE8\xE9", "text 1 6 h, \xEC",
        "text 1 7 L, \xEC", "text 1 8 v, \xEC", "text 1 9 w",
        "text 2 2 7", "text 2 3 A", "text 2 4 C", "number 2 5 2", "number 2 6 3",
        "number 2 7 1000", "number 2 8 -0.003", "number 2 9 -1.7",
        "text 3 2 7", "text 3 3 C", "text 3 4 A", "number 3 5 1", "number 3 6 -2.994",
        "number 3 7 1000", "number 3 8 -0.003", "number 3 9 -1.7",
        "text 4 2 8", "text 4 3 C", "text 4 4 S", "number 4 5 1", "number 4 6 0.1234568",
        "number 4 7 123.45679", "number 4 8 0",
        "format 9",
        "add sheet \xCD\xE0\xE1\xEB\xFE\xE4\xE5\xED\xE8\xFF",  // Наблюдения
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
        "format 7",
        "add sheet \xCF\xF3\xED\xEA\xF2\xFB",  // Пункты, last: the turning point B last, with its run
        "text 1 1 \xCF\xF3\xED\xEA\xF2", "text 1 2 H, \xEC", "text 1 3 \xD1\xCA\xCE, \xEC",
        "text 1 4 \xD5\xEE\xE4",
        "text 2 1 A", "number 2 2 10", "number 2 3 0",
        "text 3 1 C", "number 3 2 12.997", "number 3 3 0.003",
        "text 4 1 S", "number 4 2 13.1204568", "number 4 3 0.00335",
        "text 5 1 B", "number 5 2 10.9985", "number 5 3 0.0025981", "text 5 4 7",  // √(18e-6 × 3/8)
        "format 4"};
    EXPECT_EQ(Shown(workbook.calls), expected);
}

TEST(NetworkWorkbookLayout, FlaggedWIsRed)
{
    const WorkedLoop loop(0.001);  // the 6 mm misclosure is now 4.2 σ √(2 km)
    testing::RecordingWorkbook workbook;
    WriteNetworkWorkbook(workbook, loop.network, loop.result, "II");
    // The failed global test above the catalogue, the two sections of the loop on the sheet of
    // sections, its three stations on the sheet of stations.
    std::vector<std::string> red;
    for (const std::string& call : workbook.calls) {
        if (call.rfind("red", 0) == 0)
            red.push_back(call);
    }
    EXPECT_EQ(red, (std::vector<std::string>{"red 5 5", "red 2 9", "red 3 9", "red 2 7", "red 3 7", "red 4 7"}));
}

std::vector<std::string> ReadSheets(const std::string& path)
{
    return velmora::testing::CommandOutputLines(
        "/usr/bin/python3 " VELMORA_TEST_DATA_DIR "/workbook/read_sheets.py '" + path + "' 2>&1");
}

// Both file formats hold all four sheets, read back by independent readers: names, cells, the
// 12-point font of the formatted columns and the red w.
TEST(NetworkWorkbookLayout, BothFormatsReadBackWithTheFiguresAndFourSheets)
{
    if (std::system("/usr/bin/python3 -c 'import xlrd, openpyxl' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-xlrd or python3-openpyxl is not installed";
    const WorkedLoop loop(0.001);
    for (const char* name : {"network.xls", "network.xlsx"}) {
        SCOPED_TRACE(name);
        const std::string path = testing::WriteTemporaryFile(name, "");
        const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(ChooseOutput(path, OutputKind::Workbook, {}).format);
        WriteNetworkWorkbook(*workbook, loop.network, loop.result, "II");
        std::string error;
        ASSERT_TRUE(workbook->Save(path, error)) << error;
        const std::vector<std::string> lines = ReadSheets(path);
        // Каталог 1 + 16 figures + 5 + 5 + 4 + 4, Секции 1 + 9 + 8 + 8 + 7 (the spur has no
        // w), Наблюдения 1 + 7 + 3 · 7 + 6, Пункты 1 + 4 + 3 · 3 + 4.
        ASSERT_EQ(lines.size(), 35u + 33 + 35 + 18) << ::testing::PrintToString(lines);
        EXPECT_EQ(lines[0], "sheet Каталог");
        EXPECT_EQ(lines[1], "1 1 Класс size=12");
        EXPECT_EQ(lines[2], "1 2 II size=12");
        EXPECT_EQ(lines[4], "2 2 1.0 size=12");  // σ a priori 1 mm
        EXPECT_EQ(lines[6], "3 2 4.24 size=12");  // to the σ₀ of the texts
        EXPECT_EQ(lines[8], "4 2 1.0 size=12");
        EXPECT_EQ(lines[9], "5 1 Глобальный тест (хи-квадрат) size=12");
        EXPECT_EQ(lines[13], "5 5 не выполнен size=12 red");
        EXPECT_EQ(lines[15], "6 2 A size=12");
        EXPECT_EQ(lines[16], "6 3 10.0 size=12");
        EXPECT_EQ(lines[17], "8 1 Пункт size=12");
        EXPECT_EQ(lines[25], "9 4 твёрдый size=12");
        EXPECT_EQ(lines[35], "sheet Секции");
        EXPECT_EQ(lines[52], "2 9 -4.24 size=12 red");
        EXPECT_EQ(lines[68], "sheet Наблюдения");
        EXPECT_EQ(lines[82], "2 7 -4.24 size=12 red");
        EXPECT_EQ(lines[103], "sheet Пункты");
        EXPECT_EQ(lines[119], "5 3 0.0025981 size=12");
        EXPECT_EQ(lines.back(), "5 4 7 size=12");
    }
}

}  // namespace
}  // namespace velmora
