// SPDX-License-Identifier: MIT
#include "state/MainWindowState.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;
using velmora::testing::WriteTemporaryFile;

namespace {

// What the window handed to the journal, by kind.
struct Recorded {
    std::vector<std::vector<RunListEntry>> listStates;
    std::vector<ToleranceClass> classChanges;
    std::vector<std::pair<int, std::array<std::string, 4>>> cellEdits;

    explicit Recorded(const ActionJournal& journal)
    {
        for (const JournalEntry& entry : journal.entries()) {
            if (entry.isListState()) {
                std::vector<RunListEntry> list;
                for (std::size_t i = 0; i < entry.itemCount(); ++i)
                    list.push_back({(*entry.itemTexts)[i], entry.itemSelected[i]});
                listStates.push_back(list);
            } else if (entry.isClassChange()) {
                classChanges.push_back(entry.toleranceClass);
            } else {
                cellEdits.emplace_back(entry.kind, entry.cells);
            }
        }
    }
};

// Runs: 1 (loop, 0.002 over 100 m: red at II), 2 (open), 3 (loop within), 4 (Sh and Rz only).
std::string BookText()
{
    return JoinLines({
        M5TextLine("state.DAT", ""),
        M5Line({"A", "1", "Rb", "1.5000", "50"}),
        M5Line({"A", "1", "Rf", "1.4980", "50"}),
        M5Line({"B", "2", "Rb", "1.0", "10"}),
        M5Line({"C", "2", "Rf", "1.0", "10"}),
        M5TextLine("End-Line", "2"),
        M5Line({"D", "3", "Rb", "1.2", "20"}),
        M5Line({"D", "3", "Rf", "1.2001", "20"}),
        M5Line({"E", "4", "Sh", "0.1", "0"}),
        M5Line({"F", "4", "Rz", "1.1", "5"}),
    });
}

std::vector<std::string> Texts(const MainWindowState& state)
{
    std::vector<std::string> texts;
    for (const auto& entry : state.runList().entries())
        texts.push_back(entry.text);
    return texts;
}

std::vector<std::string> PointColumn(const MainWindowState& state)
{
    std::vector<std::string> points;
    for (int row = 1; row <= state.grid().dataRowCount(); ++row)
        points.emplace_back(state.GridCell(row, 0));
    return points;
}

class MainWindowStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = WriteTemporaryFile("state.DAT", BookText());
        ASSERT_TRUE(state.OpenAtStart(path));
    }
    Recorded recorded() const { return Recorded(state.journal()); }
    std::string path;
    MainWindowState state;
};

}  // namespace

TEST(MainWindowStateStartTest, StartWithoutAFileShowsTheFailedOpen)
{
    MainWindowState state;
    EXPECT_FALSE(state.OpenAtStart(""));
    EXPECT_TRUE(state.runList().empty());
    EXPECT_EQ(state.grid().dataRowCount(), 1);
    EXPECT_EQ(state.GridCell(1, 0), "");
    EXPECT_EQ(state.label2(), "II cl.");
    EXPECT_EQ(state.label1(), "ERROR");
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Message, std::string(messages::kStartOpenFailed)}));
    EXPECT_EQ(state.journal().filePath(), "");
    EXPECT_FALSE(state.OpenAtStart("/no/such/file.DAT"));
    EXPECT_EQ(state.label1(), "ERROR");
}

TEST_F(MainWindowStateTest, SuccessfulOpenFillsTheListAndShowsThePath)
{
    EXPECT_EQ(Texts(state), (std::vector<std::string>{"1 // 0.002 ", "2 // ----", "3 // -0.0001",
                                                      "4 // ****"}));
    EXPECT_EQ(state.label1(), "");
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Path, path}));
    EXPECT_EQ(state.journal().filePath(), path);
    EXPECT_TRUE(state.journal().entries().empty());
    EXPECT_EQ(state.grid().dataRowCount(), 1);
    EXPECT_TRUE(state.grid().rowRecords().empty());
}

TEST_F(MainWindowStateTest, SelectionFillsTheGridInFileOrder)
{
    state.SetSelected(2, true);
    state.SetSelected(0, true);
    state.ClickCheck();
    EXPECT_EQ(PointColumn(state), (std::vector<std::string>{"A", "A", "D", "D"}));
    EXPECT_EQ(state.GridCell(2, 1), "Rf");
    EXPECT_EQ(state.GridCell(2, 2), "1.4980");
    EXPECT_EQ(state.GridCell(2, 3), "50");
    ASSERT_EQ(recorded().listStates.size(), 1u);
    EXPECT_TRUE(recorded().listStates[0][0].selected);
    EXPECT_FALSE(recorded().listStates[0][1].selected);

    // An empty run's Sh and Rz records still show.
    state.SetSelection({false, false, false, true});
    state.ClickCheck();
    EXPECT_EQ(PointColumn(state), (std::vector<std::string>{"E", "F"}));
}

TEST_F(MainWindowStateTest, SelectAllAndNone)
{
    state.SelectAllRuns(true);
    EXPECT_EQ(PointColumn(state), (std::vector<std::string>{"A", "A", "B", "C", "D", "D", "E", "F"}));
    state.SelectAllRuns(false);
    EXPECT_EQ(state.grid().dataRowCount(), 1);
    EXPECT_EQ(state.GridCell(1, 0), "");
    EXPECT_EQ(recorded().listStates.size(), 2u);
}

TEST_F(MainWindowStateTest, DeleteRemovesSelectedEntriesAndRecordsTwoEqualStates)
{
    state.SetSelection({true, false, true, true});
    state.ClickCheck();
    state.DeleteSelectedRuns();
    EXPECT_EQ(Texts(state), std::vector<std::string>{"2 // ----"});
    EXPECT_FALSE(state.runList().entries()[0].selected);
    EXPECT_EQ(state.grid().dataRowCount(), 1);
    EXPECT_TRUE(state.grid().rowRecords().empty());
    ASSERT_EQ(recorded().listStates.size(), 3u);
    EXPECT_EQ(recorded().listStates[1], recorded().listStates[2]);

    // Deleting with nothing selected still refills the grid and records twice.
    state.DeleteSelectedRuns();
    EXPECT_EQ(recorded().listStates.size(), 5u);
}

TEST_F(MainWindowStateTest, ClassSwitchKeepsSelectionAndGridAndIsRecordedEveryTime)
{
    state.SetSelection({false, false, true, false});
    state.ClickCheck();
    const auto gridBefore = PointColumn(state);
    state.ChooseClass(ToleranceClass::III);
    EXPECT_EQ(Texts(state), (std::vector<std::string>{"1 // 0.002", "2 // ----", "3 // -0.0001",
                                                      "4 // ****"}));
    EXPECT_TRUE(state.runList().entries()[2].selected);
    EXPECT_EQ(PointColumn(state), gridBefore);
    EXPECT_EQ(state.label2(), "III cl.");
    state.ChooseClass(ToleranceClass::III);
    EXPECT_EQ(recorded().classChanges, (std::vector<ToleranceClass>{ToleranceClass::III, ToleranceClass::III}));
    EXPECT_EQ(recorded().listStates.size(), 1u);  // restoring the selection is no user selection
}

TEST_F(MainWindowStateTest, ClassSwitchOnAnEmptyListOnlyChangesTheLabel)
{
    state.SelectAllRuns(true);
    state.DeleteSelectedRuns();
    state.ChooseClass(ToleranceClass::I);
    EXPECT_TRUE(state.runList().empty());
    EXPECT_EQ(state.label2(), "I cl.");
    EXPECT_EQ(recorded().classChanges.size(), 1u);
}

TEST_F(MainWindowStateTest, CellEditWritesTrimmedRowIntoTheRecordOnly)
{
    state.SetSelection({true, false, false, false});
    state.ClickCheck();
    state.OnSetEditText(2, 2, "  1.4990 ");
    EXPECT_EQ(state.GridCell(2, 2), "  1.4990 ");  // the cell keeps what was typed
    EXPECT_EQ(state.records()[2].reading(), "1.4990");
    ASSERT_EQ(recorded().cellEdits.size(), 1u);
    EXPECT_EQ(recorded().cellEdits[0].first, 2);
    EXPECT_EQ(recorded().cellEdits[0].second, (std::array<std::string, 4>{"A", "Rf", "1.4990", "50"}));
    // The list text catches up only at the next recomputation.
    EXPECT_EQ(state.runList().entries()[0].text, "1 // 0.002 ");
    state.ChooseClass(ToleranceClass::II);
    EXPECT_EQ(state.runList().entries()[0].text, "1 // 0.001");
}

TEST_F(MainWindowStateTest, TypingIntoTheEmptyRowChangesNothing)
{
    state.OnSetEditText(1, 0, "X");
    EXPECT_EQ(state.GridCell(1, 0), "X");
    EXPECT_TRUE(state.journal().entries().empty());
}

TEST_F(MainWindowStateTest, LoadingASecondFileReplacesEverything)
{
    state.SelectAllRuns(true);
    const std::string second = WriteTemporaryFile(
        "second.DAT", JoinLines({M5Line({"Q", "9", "Rb", "1", "1"}), M5Line({"R", "9", "Rf", "1", "1"})}));
    ASSERT_TRUE(state.OpenChosenFile(second));
    EXPECT_EQ(Texts(state), std::vector<std::string>{"9 // ----"});
    EXPECT_EQ(state.records().size(), 2u);
    EXPECT_TRUE(state.grid().rowRecords().empty());
    state.OnSetEditText(1, 0, "Z");  // the empty row after a load has no record
    EXPECT_EQ(state.records()[0].pointNumber(), "Q");
    EXPECT_EQ(state.journal().filePath(), second);
    EXPECT_TRUE(state.journal().entries().empty());
    state.SelectAllRuns(true);

    // A failed open keeps the journal of the file opened before.
    EXPECT_FALSE(state.OpenChosenFile("/no/such.DAT"));
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Message, std::string(messages::kOpenFailed)}));
    EXPECT_EQ(state.label1(), "ERROR");
    EXPECT_TRUE(state.records().empty());
    EXPECT_EQ(state.journal().filePath(), second);
    EXPECT_EQ(state.journal().entries().size(), 1u);
}

TEST_F(MainWindowStateTest, SaveWritesTheRunsStillListed)
{
    state.SetSelection({false, true, false, false});
    state.DeleteSelectedRuns();
    const std::string out = WriteTemporaryFile("state-saved.DAT", "");
    std::string error;
    ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
    const std::string saved = velmora::testing::ReadWholeFile(out);
    EXPECT_EQ(saved.find(M5Line({"B", "2", "Rb", "1.0", "10"})), std::string::npos);
    EXPECT_NE(saved.find(M5TextLine("state.DAT", "")), std::string::npos);
    EXPECT_NE(saved.find(M5Line({"D", "3", "Rb", "1.2", "20"})), std::string::npos);
    EXPECT_FALSE(state.SaveMeasurementFile("/no/such/folder/x.DAT", error));
}

// A save leaves out the lines of the runs deleted from the list and nothing else: runs the
// list never showed (a run cancelled after its start, one whose sights are all flagged, the
// blocks before a Leica book's first line, a Leica line started but not measured) keep theirs.
TEST(MainWindowStateSaveTest, OnlyTheLinesOfDeletedRunsAreLeftOut)
{
    using velmora::testing::GsiLine;
    using velmora::testing::GsiPointWord;
    using velmora::testing::GsiWord;
    auto flagged = [](std::string line) {
        line[118] = 'e';
        return line;
    };
    const std::string lineStart = GsiLine({"410001+?......1"});
    const auto sight = [](int block, const char* point, const char* index) {
        return GsiLine({GsiPointWord(block, point, 8), GsiWord("32", '0', 10000, 8), GsiWord(index, '8', 150000, 8)});
    };
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::string lineEnd;
        std::size_t entries;                 // in the run list
        std::string deleted;                 // the run deleted from the list
        std::vector<std::size_t> deletedLines;  // its lines, which the save leaves out
    } books[] = {
        {"DiNi",
         {M5TextLine("book.DAT", ""), M5Line({"A", "1", "Rb", "1.5", "50"}), M5Line({"A", "1", "Rf", "1.5", "50"}),
          M5TextLine("Start-Line  BF", "5"), M5Line({"B", "5", "", "", ""}), M5TextLine("Measurement repeated", "5"),
          M5TextLine("End-Line", "5"), flagged(M5Line({"C", "6", "Rb", "1.2", "20"})),
          flagged(M5Line({"C", "6", "Rf", "1.2", "20"})), M5Line({"D", "2", "Rb", "1.0", "10"}),
          M5Line({"D", "2", "Rf", "1.0", "10"})},
         "\r\n", 2, "2", {9, 10}},
        {"Leica",
         {GsiLine({"410002+0000000000001400"}), GsiLine({GsiPointWord(1, "H", 8)}), lineStart,
          sight(2, "A", "331"), sight(3, "A", "332"), lineStart, sight(4, "B", "331"), sight(5, "B", "332"),
          lineStart},
         "\n", 2, "2", {2, 3, 4}},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(book.name);
        const std::string text = JoinLines(book.lines, book.lineEnd);
        MainWindowState state;
        ASSERT_TRUE(state.OpenAtStart(WriteTemporaryFile(std::string("entries-") + book.name, text)));
        ASSERT_EQ(state.runList().size(), book.entries);
        const std::string out = WriteTemporaryFile("entries-saved", "");
        std::string error;
        ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
        EXPECT_EQ(velmora::testing::ReadWholeFile(out), text);

        std::vector<bool> selected;
        for (const RunListEntry& entry : state.runList().entries())
            selected.push_back(entry.runNumber == book.deleted);
        state.SetSelection(selected);
        state.DeleteSelectedRuns();
        ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
        std::vector<std::string> kept;
        for (std::size_t i = 0; i < book.lines.size(); ++i) {
            if (std::find(book.deletedLines.begin(), book.deletedLines.end(), i) == book.deletedLines.end())
                kept.push_back(book.lines[i]);
        }
        EXPECT_EQ(velmora::testing::ReadWholeFile(out), JoinLines(kept, book.lineEnd));
    }
}

// Saved with nothing deleted, every bundled sample and every real book gives its bytes back;
// a DiNi book ends its lines with CR LF, as the instrument does, whatever it had.
TEST(MainWindowStateSaveTest, EveryBookSavedUnchangedGivesItsBytesBack)
{
    namespace fs = std::filesystem;
    std::vector<std::string> books = velmora::testing::RealFieldBooks();
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    const fs::path leica = fs::path(velmora::testing::RealFieldBooksFolder()) / "leica";
    for (const fs::directory_entry& entry : fs::directory_iterator(leica)) {
        if (entry.path().extension() == ".gsi")
            books.push_back(entry.path().string());
    }
    for (const char* sample : {"levelling_m5.DAT", "plain_layout.DAT", "leica_dna03.gsi"})
        books.push_back(VELMORA_SAMPLES_DIR "/" + std::string(sample));
    ASSERT_GT(std::count_if(books.begin(), books.end(), [](const std::string& book) { return book.ends_with(".gsi"); }), 1);
    const std::string out = WriteTemporaryFile("unchanged-book", "");
    for (const std::string& book : books) {
        SCOPED_TRACE(book);
        MainWindowState state;
        ASSERT_TRUE(state.OpenAtStart(book));
        std::string error;
        ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
        std::string expected = velmora::testing::ReadWholeFile(book);
        if (!book.ends_with(".gsi") && expected.find("\r\n") == std::string::npos) {
            for (std::size_t at = expected.find('\n'); at != std::string::npos; at = expected.find('\n', at + 2))
                expected.insert(at, 1, '\r');
        }
        const std::string saved = velmora::testing::ReadWholeFile(out);
        ASSERT_EQ(saved.size(), expected.size());
        EXPECT_TRUE(saved == expected);
    }
}

// Saving a DiNi book writes its lines as read: the status bar says that the readings edited in
// the grid are not in the file. Nothing is said when no edit is left out.
TEST_F(MainWindowStateTest, SavingEditedDiniReadingsSaysTheFileLacksThem)
{
    state.SetSelection({true, false, false, false});
    state.ClickCheck();
    const std::string out = WriteTemporaryFile("state-edited.DAT", "");
    std::string error;
    state.OnSetEditText(1, 2, "1.5000");  // typed over with what it held
    ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Path, path}));

    state.OnSetEditText(1, 2, "1.6");
    ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
    EXPECT_EQ(velmora::testing::ReadWholeFile(out), BookText());
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Message, Utf8ToCp1251(Tr(messages::kSavedWithoutEdits))}));
    EXPECT_EQ(state.records()[1].reading(), "1.6");  // the edit stays in the book shown
}

// A failed load keeps its cause as a code and the path, and says it in the words the commands
// show; a load that succeeds leaves no failure behind.
TEST(OpenBookLoadTest, AFailedLoadKeepsItsCodeAndPath)
{
    OpenBook book;
    const std::string book1 = WriteTemporaryFile("load-failure.DAT", JoinLines({M5TextLine("Start-Line     BF", "1")}));
    const std::string folder = book1.substr(0, book1.rfind('/'));
    const std::string missing = folder + "/no-such-book.DAT";
    const struct {
        std::string path;
        int code;
        std::string words;
    } failures[] = {
        {missing, ENOENT, "No such file or directory"},
        {folder, kIsFolder, "it is a folder"},
        {"", kNoFileName, "no file name"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.path);
        EXPECT_FALSE(book.LoadMeasurementFile(failure.path));
        EXPECT_EQ(book.lastLoadFailure().code, failure.code);
        EXPECT_EQ(book.lastLoadFailure().path, failure.path);
        EXPECT_EQ(book.lastLoadError(), failure.words);
    }
    EXPECT_TRUE(book.LoadMeasurementFile(book1));
    EXPECT_EQ(book.lastLoadFailure().code, 0);
    EXPECT_EQ(book.lastLoadError(), "");
}

// Closing lets go of the records and the run list (a command's memory for what comes after
// reading); the same book loads again afterwards as it did before. Loading the records alone
// reads the same records and makes no run list.
TEST(OpenBookLoadTest, ACloseEmptiesTheBookAndALoadAfterItReadsItAgain)
{
    OpenBook book;
    const std::string path = WriteTemporaryFile(
        "closed.DAT", JoinLines({M5Line({"Q", "9", "Rb", "1", "1"}), M5Line({"R", "9", "Rf", "1", "1"})}));
    ASSERT_TRUE(book.LoadMeasurementFile(path));
    const std::size_t records = book.records().size();
    const std::size_t entries = book.runList().size();
    ASSERT_GT(entries, 0u);
    book.Close();
    EXPECT_EQ(book.records().size(), 0u);
    EXPECT_EQ(book.records().text(), "");
    EXPECT_EQ(book.runList().size(), 0u);
    ASSERT_TRUE(book.LoadMeasurementFile(path));
    EXPECT_EQ(book.records().size(), records);
    EXPECT_EQ(book.runList().size(), entries);
    book.Close();
    ASSERT_TRUE(book.LoadRecords(path));
    EXPECT_EQ(book.records().size(), records);
    EXPECT_EQ(book.runList().size(), 0u);
}

// A Leica book in the window's state: the grid shows decimals, an edit survives Back and
// Forward, and saving writes it into its word alone.
TEST(MainWindowStateGsiTest, AnEditedLeicaReadingIsSavedIntoItsWord)
{
    const std::string sample = VELMORA_SAMPLES_DIR "/leica_dna03.gsi";
    const std::string original = velmora::testing::ReadWholeFile(sample);
    const std::string path = WriteTemporaryFile("state.gsi", original);
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(path));
    ASSERT_EQ(state.runList().size(), 32u);
    std::vector<bool> first(32, false);
    first[0] = true;
    state.SetSelection(first);
    state.ClickCheck();
    // Row 1 is the first backsight, on G.
    EXPECT_EQ(state.GridCell(1, 0), "G");
    EXPECT_EQ(state.GridCell(1, 1), "Rb");
    EXPECT_EQ(state.GridCell(1, 2), "1.59977");
    EXPECT_EQ(state.GridCell(1, 3), "18.24936");
    state.OnSetEditText(1, 2, "1.60977");
    state.Back();
    state.Forward();
    EXPECT_EQ(state.records()[2].reading(), "1.60977");

    const std::string out = WriteTemporaryFile("state-saved.gsi", "");
    std::string error;
    ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
    std::string expected = original;
    const std::size_t word = expected.find("331.08+0000000000159977");
    ASSERT_NE(word, std::string::npos);
    expected.replace(word, 23, "331.08+0000000000160977");
    EXPECT_EQ(velmora::testing::ReadWholeFile(out), expected);
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Path, path}));  // the edit is in the file
}
