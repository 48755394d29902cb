// SPDX-License-Identifier: MIT
#include "export/Adjustment.h"
#include "export/Export.h"
#include "export/WorkbookLayout.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "runs/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using velmora::testing::M5Line;
using velmora::testing::Observation;
using velmora::testing::RecordsOf;

namespace {

// A workbook already there (its first bytes are a workbook's): the export may replace it.
const std::string kOldWorkbook = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + " the old workbook";

// The loop A → B → A: back 1.5000 on A and fore 1.2000 on B at 20 m; back 1.1000 on B and fore
// 1.3990 on A at 15 m.
const std::vector<Observation> kLoop = {
    {"A", "1", "Rb", "1.5000", "20"},
    {"B", "1", "Rf", "1.2000", "20"},
    {"B", "1", "Rb", "1.1000", "15"},
    {"A", "1", "Rf", "1.3990", "15"},
};

std::vector<AdjustedRun> Export(const RecordList& records, std::vector<std::string>& pending,
                                std::string_view start, double height, double coefficient)
{
    std::vector<AdjustedRun> written;
    ExportRuns(records, pending, start, height, coefficient,
               [&](const AdjustedRun& run) { written.push_back(run); });
    return written;
}

std::vector<std::string> Points(const AdjustedRun& run)
{
    std::vector<std::string> points;
    for (const auto& entry : run.points)
        points.push_back(entry.point);
    return points;
}

}  // namespace

TEST(CollectRunPointsTest, PointListOfTheWorkedLoop)
{
    const RecordList records = RecordsOf(kLoop);
    const RunPoints run = CollectRunPoints(records, {0, 1, 2, 3}, {{"A", 1000.0}});
    ASSERT_EQ(run.points.size(), 3u);
    EXPECT_EQ(run.points[0].height, 0.0);
    EXPECT_EQ(run.points[1].height, (0.0 + 1.5) - 1.2);
    EXPECT_EQ(run.points[1].stationDistance, 40.0);
    EXPECT_EQ(run.points[2].height, ((0.0 + 1.5) - 1.2 + 1.1) - 1.399);
    EXPECT_EQ(run.points[2].stationDistance, 30.0);
    EXPECT_EQ(run.length, 70.0);
    EXPECT_TRUE(run.link.found);
    EXPECT_EQ(run.link.point, "A");
    EXPECT_EQ(run.link.offset, 1000.0);
}

TEST(ExportRunsTest, WorkedClosedRunAtClassII)
{
    const RecordList records = RecordsOf(kLoop);
    std::vector<std::string> pending = {"1"};
    const auto written = Export(records, pending, "A", 1000, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(pending.empty());
    const AdjustedRun& run = written[0];
    EXPECT_EQ(Points(run), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(RoundTo4(run.points[0].height), RoundTo4(1000.0));
    EXPECT_EQ(NumberText(RoundTo4(run.points[0].height)), "1000");
    EXPECT_EQ(NumberText(RoundTo4(run.points[1].height)), "1000.2994");
    EXPECT_EQ(NumberText(RoundTo4(run.misclosure)), "0.001");
    EXPECT_NEAR(run.allowedMisclosure, 0.0013229, 1e-7);
    EXPECT_EQ(NumberText(RoundTo4(run.allowedMisclosure)), "0.0013");
    EXPECT_FALSE(run.beyondTolerance);
}

TEST(ExportRunsTest, WorkedClosedRunAtClassIIsBeyondTolerance)
{
    const RecordList records = RecordsOf(kLoop);
    std::vector<std::string> pending = {"1"};
    const auto written = Export(records, pending, "A", 1000, 0.002);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(NumberText(RoundTo4(written[0].allowedMisclosure)), "0.0005");
    EXPECT_TRUE(written[0].beyondTolerance);
    EXPECT_EQ(NumberText(RoundTo4(written[0].largestCorrection)), "0.0006");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "1000.2994");
}

TEST(ExportRunsTest, OpenRunKeepsAllPointsUnadjusted)
{
    const RecordList records = RecordsOf({{"A", "2", "Rb", "1.5", "20"}, {"B", "2", "Rf", "1.2", "20"},
                                          {"B", "2", "Rb", "1.1", "15"}, {"C", "2", "Rf", "1.4", "15"}});
    std::vector<std::string> pending = {"2"};
    const auto written = Export(records, pending, "B", 50, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(written[0].misclosure, 0.0);
    // Linked through B at 50: A = 50 − 0.3, C = 50 − 0.3.
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[0].height)), "49.7");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "50");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[2].height)), "49.7");
}

TEST(ExportRunsTest, RunsAreLinkedInListOrderAsTheirPointsBecomeKnown)
{
    // Run 2 stands first in the list but starts at C, which run 1 (from the start point A)
    // reaches: run 1 is written first, then run 2 with C at run 1's height.
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.0", "10"}, {"C", "1", "Rf", "0.5", "10"},
        {"C", "2", "Rb", "1.0", "10"}, {"D", "2", "Rf", "2.0", "10"},
    });
    std::vector<std::string> pending = {"2", "1"};
    const auto written = Export(records, pending, "A", 100, 0.005);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].runNumber, "1");
    EXPECT_EQ(written[1].runNumber, "2");
    EXPECT_EQ(NumberText(RoundTo4(written[1].points[0].height)), "100.5");
    EXPECT_EQ(NumberText(RoundTo4(written[1].points[1].height)), "99.5");
    EXPECT_TRUE(pending.empty());
}

TEST(ExportRunsTest, IntermediateSightCanCarryTheKnownHeight)
{
    // Only the intermediate sight X is known: the run is placed so that X gets exactly 10.
    const RecordList records = RecordsOf({{"A", "3", "Rb", "1.5", "10"}, {"X", "3", "Rz", "1.0", "5"},
                                          {"B", "3", "Rf", "1.2", "10"}});
    std::vector<std::string> pending = {"3"};
    const auto written = Export(records, pending, "X", 10, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "X", "B"}));
    EXPECT_EQ(written[0].points[1].height, 10.0);
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[0].height)), "9.5");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[2].height)), "9.8");
}

TEST(ExportRunsTest, ClosedLoopWithAnIntermediateSightTakesTheCorrectionReached)
{
    // A → (Rz X) → B → A with dZ = 0.002 over L = 100: B gets −0.001, X the correction so far (0).
    const RecordList records = RecordsOf({
        {"A", "4", "Rb", "1.500", "25"}, {"X", "4", "Rz", "1.000", "3"}, {"B", "4", "Rf", "1.000", "25"},
        {"B", "4", "Rb", "1.000", "25"}, {"A", "4", "Rf", "1.498", "25"}});
    std::vector<std::string> pending = {"4"};
    const auto written = Export(records, pending, "A", 0, 0.02);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "X", "B"}));
    EXPECT_EQ(NumberText(RoundTo4(written[0].misclosure)), "0.002");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "0.5");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[2].height)), "0.499");
}

TEST(ExportRunsTest, RunsThatCannotBeLinkedStayPending)
{
    const RecordList records = RecordsOf({
        {"A", "5", "Rb", "1.0", "10"},                                 // one point only
        {"P", "6", "Rb", "1.0", "10"}, {"Q", "6", "Rf", "1.0", "10"},  // never touches a known point
    });
    std::vector<std::string> pending = {"5", "6"};
    EXPECT_TRUE(Export(records, pending, "A", 1, 0.005).empty());
    EXPECT_EQ(pending, (std::vector<std::string>{"5", "6"}));

    std::vector<std::string> none = {"6"};
    EXPECT_TRUE(Export(records, none, "Z", 1, 0.005).empty());  // start point in no run
    EXPECT_EQ(none.size(), 1u);
}

TEST(ExportRunsTest, StartPointIsTrimmed)
{
    const RecordList records = RecordsOf(kLoop);
    std::vector<std::string> pending = {"1"};
    const auto written = Export(records, pending, "  A ", 1000, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "1000.2994");
}

TEST(ExportRunsTest, ResultsThatAreNoNumbersEndTheExport)
{
    std::vector<std::string> pending = {"1"};
    // A closed run with a misclosure but no distances has no share to distribute.
    const RecordList noLength = RecordsOf({{"A", "1", "Rb", "1.5", "0"}, {"B", "1", "Rf", "1.2", "0"},
                                           {"B", "1", "Rb", "1.1", "0"}, {"A", "1", "Rf", "1.399", "0"}});
    EXPECT_THROW(Export(noLength, pending, "A", 1000, 0.005), ExportError);

    pending = {"1"};
    const RecordList unreadable = RecordsOf({{"A", "1", "Rb", "1,5x", "20"}, {"B", "1", "Rf", "1.2", "20"}});
    EXPECT_THROW(Export(unreadable, pending, "A", 1000, 0.005), ExportError);

    // A closed run whose sum is exactly 0 needs no length.
    pending = {"1"};
    const RecordList exact = RecordsOf({{"A", "1", "Rb", "1.5", "0"}, {"A", "1", "Rf", "1.5", "0"}});
    const auto written = Export(exact, pending, "A", 7, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "A"}));
}

TEST(ExportRunsTest, LaterRunOverwritesAKnownHeight)
{
    // Run 1 gives B a height; run 2 (linked through B) meets A again and overwrites it; run 3,
    // linked only through A, uses the overwritten value.
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.0", "10"}, {"B", "1", "Rf", "1.0", "10"},
        {"B", "2", "Rb", "1.0", "10"}, {"A", "2", "Rf", "0.9", "10"},
        {"A", "3", "Rb", "1.0", "10"}, {"E", "3", "Rf", "1.0", "10"},
    });
    std::vector<std::string> pending = {"1", "2", "3"};
    const auto written = Export(records, pending, "A", 10, 0.005);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(NumberText(RoundTo4(written[2].points[1].height)), "10.1");
}

TEST(ExportRunsTest, IntermediateSightAfterTheFirstStationTakesTheCorrectionReached)
{
    // A → B → (Rz X) → C → A, dZ = 0.003 over 30 m of 10 m stations: B gets −0.001, X the
    // −0.001 reached at B, C −0.002.
    const RecordList records = RecordsOf({
        {"A", "4", "Rb", "1.500", "5"}, {"B", "4", "Rf", "1.000", "5"},
        {"B", "4", "Rb", "1.200", "5"}, {"X", "4", "Rz", "1.100", "2"}, {"C", "4", "Rf", "1.300", "5"},
        {"C", "4", "Rb", "1.400", "5"}, {"A", "4", "Rf", "1.797", "5"}});
    std::vector<std::string> pending = {"4"};
    const auto written = Export(records, pending, "A", 10, 0.02);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "B", "X", "C"}));
    EXPECT_EQ(NumberText(RoundTo4(written[0].misclosure)), "0.003");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "10.499");  // 10.5 − 0.001
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[2].height)), "10.599");  // 10.6 − 0.001
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[3].height)), "10.398");  // 10.4 − 0.002
}

TEST(ExportRunsTest, TheLastOccurrenceOfTheLinkedPointDecides)
{
    // A → K → B → K → A with K known: K is met twice, with adjusted heights 0.2995 and 0.3985;
    // the second one is placed on K's known height (the first would put it at 50.099).
    const RecordList records = RecordsOf({
        {"A", "5", "Rb", "1.5", "10"}, {"K", "5", "Rf", "1.2", "10"},
        {"K", "5", "Rb", "1.2", "10"}, {"B", "5", "Rf", "1.0", "10"},
        {"B", "5", "Rb", "1.0", "10"}, {"K", "5", "Rf", "1.1", "10"},
        {"K", "5", "Rb", "1.0", "10"}, {"A", "5", "Rf", "1.398", "10"}});
    std::vector<std::string> pending = {"5"};
    const auto written = Export(records, pending, "K", 50, 0.02);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "K", "B", "K"}));
    // dZ = 0.002 over 80 m: shares of 0.0005 per station.
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[3].height)), "50");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "49.901");
    EXPECT_EQ(NumberText(RoundTo4(written[0].points[0].height)), "49.6015");
}

TEST(ExportRunsTest, AMisclosureEqualToTheAllowedOneIsWithinTolerance)
{
    // L = 1000 m, dZ = 0.005 at class II: allowed √1 × 0.005 = 0.005 exactly.
    const auto run = [](const char* fore) {
        std::vector<std::string> pending = {"6"};
        return Export(RecordsOf({{"A", "6", "Rb", "0.005", "500"}, {"A", "6", "Rf", fore, "500"}}),
                      pending, "A", 0, 0.005);
    };
    const auto equal = run("0");
    ASSERT_EQ(equal.size(), 1u);
    EXPECT_EQ(equal[0].misclosure, 0.005);
    EXPECT_EQ(equal[0].allowedMisclosure, 0.005);
    EXPECT_FALSE(equal[0].beyondTolerance);
    const auto beyond = run("-0.0001");
    ASSERT_EQ(beyond.size(), 1u);
    EXPECT_TRUE(beyond[0].beyondTolerance);
}

TEST(ExportRunsTest, ARunListedManyTimesIsWrittenOncePerEntryUntilToldToStop)
{
    // Run 1 (A → B → A) stands in the list 5 times; each entry is written, each time linked to
    // the heights the entry before gave.
    const RecordList records = RecordsOf(kLoop);
    std::vector<std::string> pending(5, "1");
    EXPECT_EQ(Export(records, pending, "A", 1000, 0.005).size(), 5u);
    EXPECT_TRUE(pending.empty());

    std::vector<std::string> stopped(5, "1");
    int written = 0;
    ExportRuns(records, stopped, "A", 1000, 0.005, [&](const AdjustedRun&) { ++written; },
               [&] { return written == 2; });
    EXPECT_EQ(written, 2);
    EXPECT_EQ(stopped, (std::vector<std::string>(3, "1")));
}

TEST(ExportRunsTest, CountingTheRowsStopsTheLinkingOnceABlockLiesBelowTheSheet)
{
    // A sheet of 10 rows: open blocks of 2 points take rows 1–2, 5–6, 9–10, 13–14: the fourth
    // block is the first below the sheet, and no fifth is computed.
    const RecordList records = RecordsOf({{"A", "2", "Rb", "1.5", "10"}, {"B", "2", "Rf", "1.0", "10"}});
    std::vector<std::string> pending(100, "2");
    long row = 1;
    long lowest = 0;
    std::vector<long> lowestRows;
    ExportRuns(
        records, pending, "A", 0, 0.005,
        [&](const AdjustedRun& run) {
            const WorkbookLayout::BlockRows block = WorkbookLayout::RowsOf(run, row);
            lowest = block.lowest;
            lowestRows.push_back(lowest);
            row = block.next;
        },
        [&] { return lowest > 10; });
    EXPECT_EQ(lowestRows, (std::vector<long>{2, 6, 10, 14}));
    EXPECT_EQ(pending.size(), 96u);
}

TEST(WorkbookLayoutTest, BlockRowsAreTheRowsTheLayoutWrites)
{
    // An open run, a closed one within tolerance and one beyond it: the rows counted are the
    // rows written, and the next block starts where the layout goes on.
    struct LowestRow final : WorkbookWriter {
        int lowest = 0;
        void SetSheetName(std::string_view) override {}
        void AddSheet(std::string_view) override {}
        void WriteText(int row, int, std::string_view) override { lowest = std::max(lowest, row); }
        void WriteNumber(int row, int, double) override { lowest = std::max(lowest, row); }
        void SetFontRed(int, int) override {}
        void FormatColumns(int) override {}
        bool Save(const std::string&, std::string&) override { return false; }
    } sheet;
    WorkbookLayout layout(sheet, "x");
    AdjustedRun open;
    open.points = {{"A", 1}, {"B", 2}, {"C", 3}};
    AdjustedRun within = open;
    within.misclosure = 0.001;
    within.allowedMisclosure = 0.002;
    AdjustedRun beyond = within;
    beyond.beyondTolerance = true;
    for (const AdjustedRun* run : {&open, &within, &beyond, &open}) {
        const long first = layout.row();
        const WorkbookLayout::BlockRows block = WorkbookLayout::RowsOf(*run, first);
        layout.WriteRun(*run);
        EXPECT_EQ(block.lowest, sheet.lowest) << "block from row " << first;
        EXPECT_EQ(block.next, layout.row()) << "block from row " << first;
    }
}

TEST(ExportToWorkbookTest, AnExportLongerThanTheSheetStopsThereAndIsRefused)
{
    // 20 000 entries of an open run take 4 rows each: the .xls sheet's 65 536 rows are full
    // after 16 384 of them, the next one writes rows 65 537–65 538, and the workbook is refused
    // without computing the rest.
    const RecordList records = RecordsOf({{"A", "2", "Rb", "1.5", "10"}, {"B", "2", "Rf", "1.0", "10"}});
    const std::vector<std::string> pending(20000, "2");
    const std::string path = velmora::testing::WriteTemporaryFile("long.xls", kOldWorkbook);
    bool toldUnlinked = false;
    const ExportResult result =
        ExportToWorkbook(records, pending, "A", 0, 0.005, "2", path,
                         [&](const std::vector<std::string>&) { toldUnlinked = true; });
    EXPECT_FALSE(result.saved);
    EXPECT_NE(result.error.find("row 65538,"), std::string::npos) << result.error;
    EXPECT_FALSE(toldUnlinked);
    EXPECT_EQ(velmora::testing::ReadWholeFile(path), kOldWorkbook);
}

TEST(ExportToWorkbookTest, AnExportLongerThanTheSheetIsRefusedBeforeACellIsMade)
{
    // An open run of 65 points listed 20 000 times, 67 rows a block: block k (from 0) ends at
    // row 67k + 65, so the .xlsx sheet's 1 048 576 rows are left in block 15 650 (row
    // 1 048 615) and the .xls sheet's 65 536 in block 978 (row 65 591). Both are refused
    // with that row before any cell is made, and the old file stays.
    std::vector<Observation> lines;
    for (int station = 0; station < 64; ++station) {
        lines.push_back({"P" + std::to_string(station), "2", "Rb", "1.5", "10"});
        lines.push_back({"P" + std::to_string(station + 1), "2", "Rf", "1.0", "10"});
    }
    const RecordList records = RecordsOf(lines);
    for (const char* name : {"huge.xlsx", "huge.xls"}) {
        SCOPED_TRACE(name);
        const std::string path = velmora::testing::WriteTemporaryFile(name, kOldWorkbook);
        const ExportResult result = ExportToWorkbook(records, std::vector<std::string>(20000, "2"),
                                                     "P0", 0, 0.005, "2", path, nullptr);
        EXPECT_FALSE(result.saved);
        const std::string expected = std::string(name) == "huge.xlsx"
                                         ? "row 1048615, below the last row of the sheet (1048576)"
                                         : "row 65591, below the last row of the sheet (65536)";
        EXPECT_NE(result.error.find(expected), std::string::npos) << result.error;
        EXPECT_EQ(velmora::testing::ReadWholeFile(path), kOldWorkbook);
    }
}

TEST(ExportRunsTest, AnIntermediateSightIsReferredToItsStationsBackPoint)
{
    // Sights after the foresight keep their place; the closing test is the run list's (the
    // last fore point), so a loop ending on an intermediate sight still closes, A is written
    // once and X takes the correction reached at its station's back point B (−0.000571…).
    struct Case {
        const char* what;
        std::vector<Observation> lines;
        std::vector<std::string> points;
        const char* misclosure;
        const char* heightOfX;
    };
    std::vector<Observation> loopThenX = kLoop;
    loopThenX.push_back({"X", "1", "Rz", "1.0000", "5"});
    const Case cases[] = {
        {"loop with a sight after the closing foresight", loopThenX, {"A", "B", "X"}, "0.001", "1000.3994"},
        {"open run with a sight after its foresight",
         {{"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.2", "10"}, {"X", "1", "Rz", "1.0", "3"}},
         {"A", "B", "X"}, "0", "1000.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> pending = {"1"};
        const auto written = Export(RecordsOf(c.lines), pending, "A", 1000, 0.005);
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(Points(written[0]), c.points);
        EXPECT_EQ(NumberText(RoundTo4(written[0].misclosure)), c.misclosure);
        EXPECT_EQ(NumberText(RoundTo4(written[0].points.back().height)), c.heightOfX);
    }
}

TEST(ExportRunsTest, ARunTakenUpAgainElsewhereIsRefusedAndOneResumedWhereItEndedIsChained)
{
    // Run 1 A → B, run 2, then run 1 again: from C (no station measured B → C), or from B.
    const std::vector<Observation> firstPart = {
        {"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.2", "10"},
        {"P", "2", "Rb", "1.0", "10"}, {"Q", "2", "Rf", "1.0", "10"}};
    std::vector<Observation> gap = firstPart;
    gap.insert(gap.end(), {{"C", "1", "Rb", "1.4", "10"}, {"D", "1", "Rf", "1.0", "10"}});
    std::vector<std::string> pending = {"1", "2", "1"};
    try {
        Export(RecordsOf(gap), pending, "A", 1000, 0.005);
        ADD_FAILURE() << "a run chained over a gap was exported";
    } catch (const ExportError& error) {
        EXPECT_EQ(error.run, "1");
        EXPECT_EQ(error.cause.kind, UnreadableCause::Kind::NotChained);
        EXPECT_EQ(error.cause.Text(), "station 2 (BF from point C) does not begin on B");
    }

    std::vector<Observation> resumed = firstPart;
    resumed.insert(resumed.end(), {{"B", "1", "Rb", "1.4", "10"}, {"D", "1", "Rf", "1.0", "10"}});
    pending = {"1"};
    const auto written = Export(RecordsOf(resumed), pending, "A", 1000, 0.005);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Points(written[0]), (std::vector<std::string>{"A", "B", "D"}));
    EXPECT_EQ(NumberText(RoundTo4(written[0].points.back().height)), "1000.7");
}
