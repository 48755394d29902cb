// SPDX-License-Identifier: MIT
#include "journal/ActionJournal.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

RunList ListOf(std::vector<RunListEntry> entries)
{
    RunList list;
    list.Assign(std::move(entries));
    return list;
}

}  // namespace

TEST(ActionJournalTest, RecordingAfterStepsBackDiscardsTheUndoneEntries)
{
    ActionJournal journal;
    journal.RecordOpen("book.DAT", ToleranceClass::II);
    journal.RecordClassChange(ToleranceClass::I);
    journal.RecordClassChange(ToleranceClass::III);
    journal.RecordClassChange(ToleranceClass::IV);
    EXPECT_EQ(journal.position(), 3u);
    EXPECT_TRUE(journal.StepBack());
    EXPECT_TRUE(journal.StepBack());
    journal.RecordCellEdit(4, {"A", "Rb", "1.5", "20"});
    ASSERT_EQ(journal.entries().size(), 2u);
    EXPECT_EQ(journal.position(), 2u);
    EXPECT_EQ(journal.entries()[0].toleranceClass, ToleranceClass::I);
    EXPECT_EQ(journal.entries()[1].kind, 4);
    EXPECT_FALSE(journal.StepForward());

    // At position 0 a new entry replaces all of them.
    EXPECT_TRUE(journal.StepBack());
    EXPECT_TRUE(journal.StepBack());
    EXPECT_FALSE(journal.StepBack());
    journal.RecordClassChange(ToleranceClass::II);
    EXPECT_EQ(journal.entries().size(), 1u);
    EXPECT_EQ(journal.position(), 1u);
}

// A cancelled cell edit leaves the journal as it found it: its entries dropped, and the undone
// entries its first keystroke discarded back, so that Forward still reaches them.
TEST(ActionJournalTest, RewindToAMarkUndoesAppendsAndGivesBackTheUndoneEntries)
{
    ActionJournal journal;
    journal.RecordOpen("book.DAT", ToleranceClass::II);
    journal.RecordClassChange(ToleranceClass::I);
    journal.RecordClassChange(ToleranceClass::III);
    journal.RecordClassChange(ToleranceClass::IV);
    ASSERT_TRUE(journal.StepBack());
    ASSERT_TRUE(journal.StepBack());
    const ActionJournal::Mark mark = journal.MarkNow();
    journal.RecordCellEdit(3, {"A", "Rb", "1", "20"});
    journal.RecordCellEdit(3, {"A", "Rb", "1.", "20"});
    ASSERT_EQ(journal.entries().size(), 3u);

    journal.Rewind(mark);
    ASSERT_EQ(journal.entries().size(), 3u);
    EXPECT_EQ(journal.position(), 1u);
    EXPECT_EQ(journal.entries()[1].toleranceClass, ToleranceClass::III);
    EXPECT_EQ(journal.entries()[2].toleranceClass, ToleranceClass::IV);
    EXPECT_TRUE(journal.StepForward());
    EXPECT_TRUE(journal.StepForward());
    EXPECT_FALSE(journal.StepForward());

    // At the end, with nothing undone: only the appended entries go.
    const ActionJournal::Mark atEnd = journal.MarkNow();
    journal.RecordCellEdit(2, {"B", "Rf", "1", "20"});
    journal.Rewind(atEnd);
    EXPECT_EQ(journal.entries().size(), 3u);
    EXPECT_EQ(journal.position(), 3u);
}

TEST(ActionJournalTest, OpeningStartsAfreshWithTheCoefficientInForce)
{
    ActionJournal journal;
    EXPECT_FALSE(journal.StepBack());
    EXPECT_FALSE(journal.StepForward());
    journal.RecordOpen("a.DAT", ToleranceClass::II);
    journal.RecordClassChange(ToleranceClass::I);
    journal.RecordOpen("b.DAT", ToleranceClass::I);
    EXPECT_TRUE(journal.entries().empty());
    EXPECT_EQ(journal.position(), 0u);
    EXPECT_EQ(journal.filePath(), "b.DAT");
    EXPECT_EQ(journal.openClass(), ToleranceClass::I);
}

TEST(ActionJournalTest, ListStatesKeepTextsAsShownAndShareEqualTexts)
{
    ActionJournal journal;
    journal.RecordOpen("book.DAT", ToleranceClass::II);
    RunList list = ListOf({{"1 // 0.002 ", false}, {"2 // ----", false}});
    journal.RecordListState(list);
    list.SetSelected(1, true);
    journal.RecordListState(list);
    list.Assign({{"1 // 0.002", true}, {"2 // ----", false}});
    journal.RecordListState(list);
    list.Assign({{"1 // 0.002 ", false}, {"2 // ----", true}});
    journal.RecordListState(list);

    const auto& entries = journal.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(*entries[0].itemTexts, (std::vector<std::string>{"1 // 0.002 ", "2 // ----"}));
    EXPECT_EQ(entries[1].itemSelected, (std::vector<bool>{false, true}));
    EXPECT_EQ(entries[0].itemTexts, entries[1].itemTexts);  // one shared copy
    EXPECT_NE(entries[1].itemTexts, entries[2].itemTexts);
    EXPECT_EQ(entries[0].itemTexts, entries[3].itemTexts);  // equal texts found again
    EXPECT_EQ((*entries[2].itemTexts)[0], "1 // 0.002");
}
