// SPDX-License-Identifier: MIT
#include "monitor/MonitorOutput.h"

#include "../workbook/RecordingWorkbook.h"
#include "SyntheticCycles.h"
#include "workbook/CsvField.h"
#include "fieldbook/Cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace velmora {
namespace {

using namespace testing;

// Two cycles, mark M1 down by 3 mm in the second: significant; M2 unchanged.
MonitoringResult TwoCycles()
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}, {"R3", {}}}, std::nullopt, kSigma, 0.05};
    return Evaluated(settings, {SyntheticCycle("2024-05-01", kHeights),
                                SyntheticCycle("2024-05-03", kHeights, {{"M1", -0.003}})});
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// One row per point and cycle; nothing in the settlement fields of a point's first cycle;
// "true" where the settlement is significant; names that need it in quotes.
TEST(MonitorOutput, CsvHasOneRowPerPointAndCycle)
{
    const MonitoringResult result = TwoCycles();
    const std::vector<std::string> lines = Lines(MonitorCsv(result));
    std::size_t rows = 0;
    for (const MonitoredPoint& point : result.points)
        rows += point.cycles.size();
    ASSERT_EQ(lines.size(), rows + 1);
    EXPECT_EQ(lines[0], "point,cycle,date,height,sigma,settlement,sinceFirst,significant\r");
    const auto row = [&lines](const std::string& start) {
        const auto found = std::find_if(lines.begin(), lines.end(),
                                        [&start](const std::string& line) { return line.rfind(start, 0) == 0; });
        return found == lines.end() ? std::string() : *found;
    };
    EXPECT_EQ(row("R1,1,2024-05-01,"), "R1,1,2024-05-01,100,0,,,false\r");
    EXPECT_NE(row("M1,2,2024-05-03,").find(",true\r"), std::string::npos) << row("M1,2,");
    EXPECT_NE(row("M2,2,2024-05-03,").find(",false\r"), std::string::npos) << row("M2,2,");
    EXPECT_EQ(CsvField("A,\"1\""), "\"A,\"\"1\"\"\"");
    EXPECT_EQ(CsvField("B04"), "B04");
}

// The settlement sheet comes first; the significant settlement of M1 is red, M2's are not;
// then the sheets of the benchmarks and the cycles.
TEST(MonitorOutput, WorkbookShowsSignificantSettlementsInRed)
{
    testing::RecordingWorkbook workbook;
    WriteMonitorWorkbook(workbook, {{}, "II"}, TwoCycles());
    const std::vector<std::string>& calls = workbook.calls;
    EXPECT_EQ(calls.front(), "sheet " + std::string("Ведомость осадок"_cp1251));
    std::vector<std::string> sheets;
    std::vector<std::string> redRows;
    std::map<std::string, std::string> markOfRow;
    for (const std::string& call : calls) {
        std::istringstream words(call);
        std::string what, row, column, value;
        words >> what >> row >> column >> value;
        if (what == "add")
            sheets.push_back(call);
        if (sheets.empty() && what == "text" && column == "1")
            markOfRow[row] = value;
        if (sheets.empty() && what == "red")
            redRows.push_back(markOfRow[row] + " " + column);
    }
    EXPECT_EQ(redRows, (std::vector<std::string>{"M1 5", "M1 6"}));
    EXPECT_EQ(sheets, (std::vector<std::string>{"add sheet " + std::string("Реперы"_cp1251),
                                                "add sheet " + std::string("Циклы"_cp1251)}));
}

}  // namespace
}  // namespace velmora
