// SPDX-License-Identifier: MIT
// Back and Forward at the level of the window's state: every step reads the file again and
// replays the journal up to the new position.

#include "state/MainWindowState.h"

#include "FieldBookLines.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;

namespace {

// Run 1: loop A→A, 0.002 over 100 m (red at class II). Run 2: open. Run 3: loop within.
std::string BookText()
{
    return JoinLines({
        M5Line({"A", "1", "Rb", "1.5000", "50"}),
        M5Line({"A", "1", "Rf", "1.4980", "50"}),
        M5Line({"B", "2", "Rb", "1.0", "10"}),
        M5Line({"C", "2", "Rf", "1.0", "10"}),
        M5Line({"D", "3", "Rb", "1.2", "20"}),
        M5Line({"D", "3", "Rf", "1.2001", "20"}),
    });
}

const std::vector<std::string> kOpenedTexts = {"1 // 0.002 ", "2 // ----", "3 // -0.0001"};

class BackForwardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = WriteTemporaryFile("journal-" + std::to_string(counter++) + ".DAT", BookText());
        ASSERT_TRUE(state.OpenAtStart(path));
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : state.runList().entries())
            texts.push_back(entry.text);
        return texts;
    }
    std::vector<bool> Selection() const
    {
        std::vector<bool> selected;
        for (const auto& entry : state.runList().entries())
            selected.push_back(entry.selected);
        return selected;
    }
    std::vector<std::string> Column(int column) const
    {
        std::vector<std::string> cells;
        for (int row = 1; row <= state.grid().dataRowCount(); ++row)
            cells.emplace_back(state.GridCell(row, column));
        return cells;
    }
    void Click(std::size_t index, bool selected = true)
    {
        state.SetSelected(index, selected);
        state.ClickCheck();
    }
    void Type(int row, int column, const std::string& text)
    {
        for (std::size_t n = 1; n <= text.size(); ++n)
            state.OnSetEditText(row, column, text.substr(0, n));
        state.OnSetEditText(row, column, text);  // the editor closes
    }

    static inline int counter = 0;
    std::string path;
    MainWindowState state;
};

}  // namespace

TEST_F(BackForwardTest, NothingHappensAtEitherEndAndTheFileIsNotRead)
{
    Click(0);
    std::filesystem::remove(path);  // a read would now empty the list
    state.Forward();
    EXPECT_EQ(Texts(), kOpenedTexts);
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));

    MainWindowState fresh;
    fresh.Back();
    fresh.Forward();
    EXPECT_TRUE(fresh.runList().empty());
}

TEST_F(BackForwardTest, BackToTheOpeningAndForwardToTheSelection)
{
    Click(0);
    state.Back();
    EXPECT_EQ(Texts(), kOpenedTexts);
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Column(0), std::vector<std::string>{""});
    EXPECT_TRUE(state.grid().rowRecords().empty());
    EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Path, path}));

    state.Forward();
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(state.journal().position(), 1u);
}

TEST_F(BackForwardTest, UndoingADeletionTakesTwoSteps)
{
    Click(1);
    state.DeleteSelectedRuns();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0.002 ", "3 // -0.0001"}));
    state.Back();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0.002 ", "3 // -0.0001"}));
    state.Back();
    EXPECT_EQ(Texts(), kOpenedTexts);
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"B", "C"}));
}

TEST_F(BackForwardTest, ClassChangeIsUndoneAndRedone)
{
    state.ChooseClass(ToleranceClass::III);
    EXPECT_EQ(Texts()[0], "1 // 0.002");
    state.Back();
    EXPECT_EQ(state.toleranceCoefficient(), 0.005);
    EXPECT_EQ(state.label2(), "II cl.");
    EXPECT_EQ(Texts(), kOpenedTexts);
    state.Forward();
    EXPECT_EQ(state.toleranceCoefficient(), 0.01);
    EXPECT_EQ(state.label2(), "III cl.");
    EXPECT_EQ(Texts()[0], "1 // 0.002");
    EXPECT_EQ(Column(0), std::vector<std::string>{""});  // no list state: grid empty
}

TEST_F(BackForwardTest, ClassInForceAtOpeningIsTheStartingPoint)
{
    state.ChooseClass(ToleranceClass::I);
    ASSERT_TRUE(state.OpenChosenFile(path));  // opened again while class I is in force
    Click(2);
    state.ChooseClass(ToleranceClass::IV);
    state.Back();
    state.Back();
    EXPECT_EQ(state.toleranceCoefficient(), 0.002);
    EXPECT_EQ(state.label2(), "I cl.");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0.002 ", "2 // ----", "3 // -0.0001"}));
}

TEST_F(BackForwardTest, ListStateReplayRecomputesTextsWithTheFinalClass)
{
    Click(0);
    state.ChooseClass(ToleranceClass::III);
    Click(2);
    state.ChooseClass(ToleranceClass::I);
    state.Back();  // undo class I: the last list state with class III
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0.002", "2 // ----", "3 // -0.0001"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"A", "A", "D", "D"}));
    EXPECT_EQ(state.label2(), "III cl.");
}

TEST_F(BackForwardTest, TypedEditIsUndoneKeystrokeByKeystroke)
{
    Click(0);
    Type(2, 2, "1.23");
    EXPECT_EQ(state.journal().entries().size(), 6u);  // a click, four keystrokes, the close
    EXPECT_EQ(state.records()[1].reading(), "1.23");
    EXPECT_EQ(Texts()[0], "1 // 0.002 ");  // not recomputed by the edit

    const std::vector<std::string> readings = {"1.23", "1.2", "1.", "1", "1.4980"};
    const std::vector<std::string> misclosures = {"1 // 0.27 ", "1 // 0.3 ", "1 // 0.5 ",
                                                  "1 // 0.5 ", "1 // 0.002 "};
    // Back over the close entry shows the same value as before (it stored the same texts).
    for (std::size_t step = 0; step < 5; ++step) {
        state.Back();
        SCOPED_TRACE(step);
        const std::string expected = step == 0 ? "1.23" : readings[step];
        EXPECT_EQ(state.GridCell(2, 2), expected);
        EXPECT_EQ(state.records()[1].reading(), expected);
        EXPECT_EQ(Texts()[0], step == 0 ? misclosures[0] : misclosures[step]);
    }
    EXPECT_EQ(state.journal().position(), 1u);
    for (std::size_t step = 0; step < 5; ++step)
        state.Forward();
    EXPECT_EQ(state.GridCell(2, 2), "1.23");
    EXPECT_EQ(Texts()[0], "1 // 0.27 ");
}

TEST_F(BackForwardTest, EditsReplayIntoTheRowsOfTheSelectionTheyWereMadeIn)
{
    Click(2);          // grid: D, D (records 4 and 5)
    Type(1, 0, "DD");  // the first row of that grid
    Click(0);          // grid: A, A, DD, D
    Type(1, 3, "60");  // the first row is now A
    state.Back();
    state.Forward();
    EXPECT_EQ(state.records()[4].pointNumber(), "DD");
    EXPECT_EQ(state.records()[0].distance(), "60");
    EXPECT_EQ(state.records()[0].pointNumber(), "A");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"A", "A", "DD", "D"}));
}

TEST_F(BackForwardTest, NewActionAfterStepsBackMakesForwardDoNothing)
{
    Click(0);
    Click(1);
    Click(2);
    state.Back();
    state.Back();
    state.Back();
    Click(1, true);
    EXPECT_EQ(state.journal().entries().size(), 1u);
    const auto before = Selection();
    state.Forward();
    EXPECT_EQ(Selection(), before);
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false}));
}

// A step rebuilds only the book that was opened. When the file is gone, or holds other bytes
// (another book, a Leica book of the same name, the book changed in place or saved over), Back
// and Forward change nothing, the journal's position included, and say why; a save then still
// writes the book shown, not what the file now holds.
TEST_F(BackForwardTest, AStepThatFindsAnotherBookOnDiskChangesNothing)
{
    namespace fs = std::filesystem;
    const std::string leica = ReadWholeFile(VELMORA_SAMPLES_DIR "/leica_dna03.gsi");
    std::string inPlace = BookText();
    inPlace.replace(inPlace.find("1.4980"), 6, "1.4990");
    const auto overwrite = [](const std::string& text) {
        return [text](const std::string& at, MainWindowState&) { WriteTemporaryFile(fs::path(at).filename().string(), text); };
    };
    const struct {
        const char* name;
        std::function<void(const std::string&, MainWindowState&)> change;
        const char* message;
    } changes[] = {
        {"deleted", [](const std::string& at, MainWindowState&) { fs::remove(at); }, messages::kStepBookUnreadable},
        {"another DiNi book", overwrite(JoinLines({M5Line({"X", "9", "Rb", "1", "5"}), M5Line({"Y", "9", "Rf", "1", "5"})})),
         messages::kStepBookChanged},
        {"a Leica book of the same name", overwrite(leica), messages::kStepBookChanged},
        {"changed in place to the same length", overwrite(inPlace), messages::kStepBookChanged},
        {"saved over after a deletion",
         [](const std::string& at, MainWindowState& book) {
             book.SetSelection({false, false, true});
             book.DeleteSelectedRuns();
             std::string error;
             ASSERT_TRUE(book.SaveMeasurementFile(at, error)) << error;
         },
         messages::kStepBookChanged},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        path = WriteTemporaryFile("changed-" + std::to_string(counter++) + ".DAT", BookText());
        ASSERT_TRUE(state.OpenAtStart(path));
        Click(0);
        Click(1);
        Type(2, 2, "1.499");
        change.change(path, state);
        const std::vector<std::string> texts = Texts();
        const std::vector<bool> selection = Selection();
        const std::vector<std::string> readings = Column(2);
        const std::size_t position = state.journal().position();
        for (const bool back : {true, false}) {
            back ? state.Back() : state.Forward();
            EXPECT_EQ(Texts(), texts);
            EXPECT_EQ(Selection(), selection);
            EXPECT_EQ(Column(2), readings);
            EXPECT_EQ(state.records()[1].reading(), "1.499");
            EXPECT_EQ(state.journal().position(), position);
            EXPECT_EQ(state.status(), (StatusText{StatusText::Kind::Message, Utf8ToCp1251(Tr(change.message))}));
        }
        const std::string out = WriteTemporaryFile("changed-saved.DAT", "");
        std::string error;
        ASSERT_TRUE(state.SaveMeasurementFile(out, error)) << error;
        EXPECT_EQ(ReadWholeFile(out), std::string(change.name) == std::string("saved over after a deletion")
                                          ? BookText().substr(0, BookText().rfind(M5Line({"D", "3", "Rb", "1.2", "20"})))
                                          : BookText());
    }
}

TEST_F(BackForwardTest, AFailedOpenKeepsTheJournalAndBackReadsThePreviousFile)
{
    Click(0);
    Click(1);
    EXPECT_FALSE(state.OpenChosenFile("/no/such.DAT"));
    EXPECT_TRUE(state.runList().empty());
    state.Back();
    EXPECT_EQ(Texts(), kOpenedTexts);
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(state.label1(), "");

    // Failed again, and the file is now another book: it is not taken for the one opened.
    EXPECT_FALSE(state.OpenChosenFile("/no/such.DAT"));
    WriteTemporaryFile(std::filesystem::path(path).filename().string(), JoinLines({M5Line({"X", "9", "Rb", "1", "5"})}));
    state.Back();
    EXPECT_TRUE(state.runList().empty());
    EXPECT_TRUE(state.records().empty());
    EXPECT_EQ(state.journal().position(), 1u);
}

// A step finds the file as it was loaded and keeps its records: everything edited since must
// go back to the file's values, in every run, records and list texts alike.
TEST_F(BackForwardTest, EditsInSeveralRunsAreAllUndoneBackToTheOpening)
{
    Click(0);
    Click(2);           // grid: A, A, D, D
    Type(2, 2, "1.5");  // run 1 closes exactly
    Type(4, 2, "1.3");  // run 3: 1.2 − 1.3
    state.ChooseClass(ToleranceClass::IV);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0", "2 // ----", "3 // -0.1 "}));

    while (state.journal().position() > 0)
        state.Back();
    EXPECT_EQ(Texts(), kOpenedTexts);
    MainWindowState fresh;
    ASSERT_TRUE(fresh.OpenAtStart(path));
    ASSERT_EQ(state.records().size(), fresh.records().size());
    for (std::size_t i = 0; i < fresh.records().size(); ++i) {
        SCOPED_TRACE(i);
        for (const Field field : {Field::pointNumber, Field::valueType, Field::reading, Field::distance})
            EXPECT_EQ(state.records()[i].field(field), fresh.records()[i].field(field));
        EXPECT_FALSE(state.records()[i].HasEdits());
    }

    while (state.journal().position() < state.journal().entries().size())
        state.Forward();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 // 0", "2 // ----", "3 // -0.1 "}));
}

// An edit given up (Escape in the cell) leaves no trace: the cell shows what it held, the
// record its field as before, and the journal its entries, the undone ones included, so Back
// and Forward go where they went before the edit.
TEST_F(BackForwardTest, CancelledCellEditLeavesCellRecordAndJournalAsTheyWere)
{
    state.SetSelection({true, false, false});
    state.ClickCheck();
    state.OnSetEditText(1, 2, "1.6");  // an edit kept: the typed text stays
    state.SetSelection({true, true, false});
    state.ClickCheck();
    state.Back();  // run 2 unselected again; the list state with it is undone
    const std::vector<JournalEntry> entriesBefore = state.journal().entries();
    const std::size_t positionBefore = state.journal().position();
    ASSERT_EQ(Column(2), (std::vector<std::string>{"1.6", "1.4980"}));

    state.BeginCellEdit(2);
    state.OnSetEditText(2, 2, "9");
    state.OnSetEditText(2, 2, "9.5 ");
    ASSERT_EQ(state.records()[1].reading(), "9.5");
    state.CancelCellEdit();

    EXPECT_EQ(Column(2), (std::vector<std::string>{"1.6", "1.4980"}));
    EXPECT_EQ(state.records()[1].reading(), "1.4980");
    EXPECT_EQ(state.journal().position(), positionBefore);
    ASSERT_EQ(state.journal().entries().size(), entriesBefore.size());
    EXPECT_TRUE(state.journal().entries().back().isListState());
    // The row typed into before keeps its typed text through another cancelled edit.
    state.BeginCellEdit(1);
    state.OnSetEditText(1, 2, "2");
    state.CancelCellEdit();
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1.6", "1.4980"}));
    EXPECT_EQ(state.records()[0].reading(), "1.6");
    // Forward still reaches the undone selection of run 2.
    state.Forward();
    EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false}));
    // Cancelling with no edit begun changes nothing.
    const std::size_t entries = state.journal().entries().size();
    state.CancelCellEdit();
    EXPECT_EQ(state.journal().entries().size(), entries);
}
