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
    journal.RecordOpen("book.DAT", 0.005);
    journal.RecordClassChange(0.002);
    journal.RecordClassChange(0.01);
    journal.RecordClassChange(0.02);
    EXPECT_EQ(journal.position(), 3u);
    EXPECT_TRUE(journal.StepBack());
    EXPECT_TRUE(journal.StepBack());
    journal.RecordCellEdit(4, {"A", "Rb", "1.5", "20"});
    ASSERT_EQ(journal.entries().size(), 2u);
    EXPECT_EQ(journal.position(), 2u);
    EXPECT_EQ(journal.entries()[0].coefficient, 0.002);
    EXPECT_EQ(journal.entries()[1].kind, 4);
    EXPECT_FALSE(journal.StepForward());

    // At position 0 a new entry replaces all of them.
    EXPECT_TRUE(journal.StepBack());
    EXPECT_TRUE(journal.StepBack());
    EXPECT_FALSE(journal.StepBack());
    journal.RecordClassChange(0.005);
    EXPECT_EQ(journal.entries().size(), 1u);
    EXPECT_EQ(journal.position(), 1u);
}

TEST(ActionJournalTest, OpeningStartsAfreshWithTheCoefficientInForce)
{
    ActionJournal journal;
    EXPECT_FALSE(journal.StepBack());
    EXPECT_FALSE(journal.StepForward());
    journal.RecordOpen("a.DAT", 0.005);
    journal.RecordClassChange(0.002);
    journal.RecordOpen("b.DAT", 0.002);
    EXPECT_TRUE(journal.entries().empty());
    EXPECT_EQ(journal.position(), 0u);
    EXPECT_EQ(journal.filePath(), "b.DAT");
    EXPECT_EQ(journal.openCoefficient(), 0.002);
}

TEST(ActionJournalTest, ListStatesKeepTextsAsShownAndShareEqualTexts)
{
    ActionJournal journal;
    journal.RecordOpen("book.DAT", 0.005);
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
