// SPDX-License-Identifier: MIT
// The station check and the network adjustment of the window's Tools menu, without a window:
// the runs they work on, what they show, what they save, and that they leave the book alone.

#include "state/MainWindowState.h"
#include "state/NetworkTool.h"
#include "state/StationCheck.h"
#include "state/ToolRuns.h"

#include "FieldBookLines.h"
#include "network/NetworkOfBooks.h"
#include "network/NetworkOutput.h"
#include "quality/QualityText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

using testing::JoinLines;
using testing::M5Lines;
using testing::ReadWholeFile;
using testing::WriteTemporaryFile;

// Runs 1, 2, 3, 4, 5, 12, 13 and 12 again (eight entries): 2 and 12 above tolerance at class
// II, 3 open, 4 without stations.
const std::string kSample = VELMORA_SAMPLES_DIR "/levelling_m5.DAT";

std::string Copy(const std::string& name)
{
    return WriteTemporaryFile(name, ReadWholeFile(kSample));
}

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST(ToolRuns, TheSelectedRunsOrEveryRunWhenNoneIsSelectedEachOnce)
{
    RunList list;
    list.Assign({{"7 // 0.1", false}, {"3 // ----", false}, {"7 // 0.1", false}, {"9 // ****", false}});
    EXPECT_EQ(ToolRunNumbers(list), (std::vector<std::string>{"7", "3", "9"}));
    list.SetSelected(3, true);
    list.SetSelected(2, true);
    list.SetSelected(0, true);
    EXPECT_EQ(ToolRunNumbers(list), (std::vector<std::string>{"7", "9"}));
    EXPECT_TRUE(ToolRunNumbers(RunList{}).empty());
}

TEST(StationCheck, EachRunShowsItsFiguresMisclosureAgainstTheAllowedOneAndGroupedFindings)
{
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(kSample));
    const StationCheck check(state, ToolRunNumbers(state.runList()));
    EXPECT_EQ(check.className(), "II");
    const std::vector<StationCheck::Row> rows = check.Rows();
    ASSERT_EQ(rows.size(), 7u);

    const StationCheck::Row& one = rows[0];
    EXPECT_EQ(one.run, "1");
    EXPECT_EQ(one.method, "BF");
    EXPECT_EQ(one.stations, "5");
    EXPECT_EQ(one.length, "249.594");
    EXPECT_EQ(one.misclosure, "-1.5");  // millimetres
    EXPECT_EQ(one.allowed, "2.5");      // 5 mm × √0.249594
    EXPECT_FALSE(one.beyondTolerance);
    EXPECT_EQ(one.instrument, "Sh -0.00145 m, Db+Df 249.590 m: ours agree");
    EXPECT_EQ(one.findings,
              std::vector<std::string>{"levelling method: the run as a whole; every sight is read once, the class asks for two readings"});

    EXPECT_EQ(rows[1].misclosure, "3.0");
    EXPECT_TRUE(rows[1].beyondTolerance);
    EXPECT_EQ(rows[2].misclosure, "open run");
    EXPECT_EQ(rows[2].allowed, "\u2014");
    EXPECT_FALSE(rows[2].beyondTolerance);
    EXPECT_EQ(rows[3].stations, "0");
    EXPECT_EQ(rows[3].misclosure, "\u2014");
}

// Σh 0.04135 m lies just below the tie in doubles: the run list rounds it to 0.0414, and every
// figure in millimetres must say 41.4 with it, not 41.3 of the unrounded sum.
TEST(StationCheck, MisclosuresInMillimetresSayWhatTheRunListSays)
{
    const std::string book = WriteTemporaryFile(
        "fh_tie.DAT", JoinLines(M5Lines({{"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.0", "10"},
                                         {"B", "1", "Rb", "1.2", "10"}, {"A", "1", "Rf", "1.65865", "10"}})));
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(book));
    ASSERT_EQ(state.runList().size(), 1u);
    EXPECT_NE(state.runList().entries()[0].text.find("0.0414"), std::string::npos);
    const LevellingRun& run = state.Catalog().Find("1");
    EXPECT_EQ(MisclosureText(run, state.toleranceCoefficient()), "fh 41.4 mm, above the allowed fh 1.0 mm");
    const StationCheck check(state, {"1"});
    EXPECT_EQ(check.Rows().at(0).misclosure, "41.4");
    EXPECT_NE(check.ReportPage("fh_tie.DAT").find("<span class=\"bad\">41.4</span>"), std::string::npos);
}

TEST(StationCheck, TheClassInForceSetsTheLimitsAndOnlyTheRunsAskedForAreChecked)
{
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(kSample));
    state.ChooseClass(ToleranceClass::I);
    const StationCheck check(state, {"12", "1"});
    EXPECT_EQ(check.className(), "I");
    const std::vector<StationCheck::Row> rows = check.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].run, "12");
    EXPECT_EQ(rows[1].run, "1");
    // Class I allows 0.5 m of station imbalance and 1 m accumulated: run 1 has 0.566 and 1.305.
    EXPECT_TRUE(HasLineStartingWith(rows[1].findings, "station imbalance: station"));
    EXPECT_TRUE(HasLineStartingWith(rows[1].findings, "cumulative imbalance: station"));
    EXPECT_TRUE(check.HasFindings());
}

TEST(StationCheck, TheReportIsSavedBesideTheBookButNeverOverIt)
{
    const std::string book = Copy("report_book.DAT");
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(book));
    const StationCheck check(state, ToolRunNumbers(state.runList()));
    const std::string page = check.ReportPage("report_book.DAT");
    EXPECT_NE(page.find("<title>Levelling report: report_book.DAT</title>"), std::string::npos);

    EXPECT_EQ(ProposedReportName("/data/PUSH0809.DAT"), "/data/PUSH0809.html");
    EXPECT_EQ(ProposedReportName("/data/book"), "/data/book.html");

    std::string error;
    EXPECT_FALSE(SaveReportPage(page, book, book, error));
    EXPECT_EQ(error, book + " is the field book itself; the report is not written over it");
    EXPECT_EQ(ReadWholeFile(book), ReadWholeFile(kSample));

    const std::string output = ProposedReportName(book);
    ASSERT_TRUE(SaveReportPage(page, output, book, error)) << error;
    EXPECT_EQ(ReadWholeFile(output), page);
    EXPECT_FALSE(SaveReportPage(page, "/no/such/folder/r.html", book, error));
    EXPECT_EQ(error.rfind("cannot write /no/such/folder/r.html: ", 0), 0u) << error;
}

TEST(NetworkTool, TypedHeightsTakeAPointOrACommaAndNameThePointWhoseHeightIsNoNumber)
{
    std::vector<FixedHeight> fixed;
    std::string error;
    ASSERT_TRUE(NetworkTool::TypedFixedHeights(
        {{"RP101", true, " 312,4687 "}, {"TP9", false, "not read"}, {"RP102", true, "300.5"}}, fixed,
        error));
    ASSERT_EQ(fixed.size(), 2u);
    EXPECT_EQ(fixed[0].height, 312.4687);
    EXPECT_EQ(fixed[1].height, 300.5);

    fixed.clear();
    EXPECT_FALSE(NetworkTool::TypedFixedHeights({{"RP101", true, ""}}, fixed, error));
    EXPECT_EQ(error, "the height of fixed point RP101 is no number");
}

TEST(NetworkTool, NodesHeightsFromAFileAndAnAdjustmentThatSaysWhyItCannotBeMade)
{
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(kSample));
    NetworkTool tool;
    std::string error;
    ASSERT_TRUE(tool.Read(state, {"1", "2"}, "levelling_m5.DAT", error)) << error;
    std::vector<NodeChoice> rows = tool.nodes();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].point, "RP101");
    EXPECT_FALSE(rows[0].fixed);

    // A turning point named in the file becomes a row of its own.
    const std::string heights = WriteTemporaryFile("heights.txt", "TP2 313,8\nRP101 312.4687\n");
    ASSERT_TRUE(tool.ApplyFixedHeightsFile(heights, rows, error)) << error;
    EXPECT_TRUE(rows[0].fixed);
    EXPECT_EQ(rows[0].heightText, "312.4687");
    EXPECT_EQ(rows.back().point, "TP2");
    EXPECT_TRUE(rows.back().fixed);
    EXPECT_EQ(rows.back().heightText, "313.8");

    const std::vector<NodeChoice> before = rows;
    const std::string unknown = WriteTemporaryFile("unknown.txt", "RP101 1\nNOPE 2\n");
    EXPECT_FALSE(tool.ApplyFixedHeightsFile(unknown, rows, error));
    EXPECT_EQ(error, unknown + ": fixed point NOPE is not in the selected runs");
    EXPECT_EQ(rows.size(), before.size());
    EXPECT_EQ(rows[0].heightText, "312.4687");

    NetworkAdjustment result;
    EXPECT_FALSE(tool.Adjust({}, state.toleranceClass(), result, error));
    EXPECT_EQ(error, "no point is fixed: a network is adjusted on at least one point of known height");
    ASSERT_TRUE(tool.Adjust({{"RP101", 312.4687}}, state.toleranceClass(), result, error)) << error;
    EXPECT_EQ(result.sigma, 0.0025);  // half of class II's 5 mm per √km
    EXPECT_EQ(result.points.front().point, "RP101");
    EXPECT_TRUE(result.points.front().fixed);
}

// The window takes a fixed point from a file exactly when `adjust` takes it on the command line
// (AdjustBooks), for the same reason: a point of the selected runs, even a turning point or an
// intermediate sight, and no point of a run that is not selected.
TEST(NetworkTool, TakesTheFixedPointsThatAdjustTakesAndRefusesTheOthersWithItsReason)
{
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(kSample));
    const std::vector<std::string> runs{"2", "3"};
    NetworkTool tool;
    std::string error;
    ASSERT_TRUE(tool.Read(state, runs, "levelling_m5.DAT", error)) << error;
    const struct {
        const char* point;
        bool taken;
    } cases[] = {
        {"RP103", true},   // a node
        {"TP5", true},     // a turning point of run 2
        {"MH7", true},     // an intermediate sight of run 2
        {"RP101", false},  // a point of run 1 only
        {"NOPE", false},   // no point of the book
    };
    for (const auto& c : cases) {
        std::vector<NodeChoice> rows = tool.nodes();
        const std::string file = WriteTemporaryFile("fixed.txt", std::string(c.point) + " 100\n");
        error.clear();
        EXPECT_EQ(tool.ApplyFixedHeightsFile(file, rows, error), c.taken) << c.point << ": " << error;
        const NetworkOutcome command =
            AdjustBooks({{{&state.records(), "levelling_m5.DAT"}}, runs, {{c.point, 100}}, {}, 0.0025});
        EXPECT_EQ(command.refusal.kind != NetworkRefusal::Kind::FixedPointNotInRuns, c.taken) << c.point;
        if (!c.taken)
            EXPECT_EQ(error, file + ": " + command.refusal.reason);
    }
}

TEST(NetworkTool, ResultsAreSavedAsWorkbookOrCatalogueButNeverOverTheBook)
{
    // A field book may carry any name, a catalogue's too.
    const std::string book = Copy("network_book.csv");
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(book));
    NetworkTool tool;
    std::string error;
    ASSERT_TRUE(tool.Read(state, ToolRunNumbers(state.runList()), "network_book.csv", error)) << error;
    NetworkAdjustment result;
    ASSERT_TRUE(tool.Adjust({{"RP101", 312.4687}}, state.toleranceClass(), result, error)) << error;

    EXPECT_FALSE(tool.Save(result, book, book, "II", error));
    EXPECT_EQ(error, book + " is the field book itself; the results are not written over it");
    // Every other refusal with its own reason, as `adjust --output` gives it.
    const std::string otherBook = Copy("network_other.xls");
    const std::string notes = WriteTemporaryFile("network_notes.xlsx", "notes\n");
    const std::pair<std::string, std::string> refused[] = {
        {book + ".txt", "the output " + book + ".txt ends in none of .xls, .xlsx and .csv"},
        {otherBook, "the output " + otherBook + " holds a field book"},
        {notes, "the output " + notes + " exists and is not a workbook"},
    };
    for (const auto& [output, reason] : refused) {
        EXPECT_FALSE(tool.Save(result, output, book, "II", error));
        EXPECT_EQ(error, reason);
    }
    EXPECT_EQ(ReadWholeFile(book), ReadWholeFile(kSample));
    EXPECT_EQ(ReadWholeFile(otherBook), ReadWholeFile(kSample));
    EXPECT_EQ(ReadWholeFile(notes), "notes\n");

    ASSERT_TRUE(tool.Save(result, book + ".CSV", book, "II", error)) << error;
    EXPECT_EQ(ReadWholeFile(book + ".CSV"), NetworkCatalogueCsv(result));
    ASSERT_TRUE(tool.Save(result, book + ".xlsx", book, "II", error)) << error;
    EXPECT_EQ(ReadWholeFile(book + ".xlsx").substr(0, 2), "PK");
}

TEST(ToolsLeaveTheBookAlone, NeitherToolChangesTheListTheSelectionOrTheJournal)
{
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(kSample));
    state.SetSelected(1, true);
    state.SetSelected(4, true);
    state.ClickCheck();
    state.DeleteSelectedRuns();
    state.SetSelected(0, true);
    state.ClickCheck();
    state.Back();
    const std::vector<RunListEntry> list = state.runList().entries();
    const std::size_t entries = state.journal().entries().size();
    const std::size_t position = state.journal().position();

    {
        const StationCheck check(state, ToolRunNumbers(state.runList()));
        (void)check.Rows();
        NetworkTool tool;
        std::string error;
        ASSERT_TRUE(tool.Read(state, ToolRunNumbers(state.runList()), "b.DAT", error)) << error;
        NetworkAdjustment result;
        ASSERT_TRUE(tool.Adjust({{"RP101", 312.4687}}, state.toleranceClass(), result, error));
    }
    EXPECT_EQ(state.runList().entries(), list);
    EXPECT_EQ(state.journal().entries().size(), entries);
    EXPECT_EQ(state.journal().position(), position);

    // Forward and Back go on from where they were.
    state.Forward();
    EXPECT_EQ(state.runList().size(), 6u);
    EXPECT_TRUE(state.runList().entries()[0].selected);
    state.Back();
    state.Back();
    EXPECT_EQ(state.runList().size(), 6u);
    state.Back();
    EXPECT_EQ(state.runList().size(), 8u);
}

}  // namespace
}  // namespace velmora
