// SPDX-License-Identifier: MIT
#include "runs/RunList.h"

#include "RunsTestSupport.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::RecordsOf;

namespace {

std::vector<std::string> Texts(const RunList& list)
{
    std::vector<std::string> texts;
    for (const auto& entry : list.entries())
        texts.push_back(entry.text);
    return texts;
}

std::vector<bool> Selection(const RunList& list)
{
    std::vector<bool> selected;
    for (const auto& entry : list.entries())
        selected.push_back(entry.selected);
    return selected;
}

// Run 1: a loop of 100 m with misclosure 0.002 (red at class II, not at III).
// Run 2: a loop of 1 km with misclosure 0.004 (red at class I only).
// Run 3: open. Run 4: empty. Run 1 comes back after run 4.
RecordList Book()
{
    return RecordsOf({
        {"A", "1", "Rb", "1.5000", "50"}, {"B", "1", "Rf", "1.5000", "50"},
        {"C", "2", "Rb", "1.004", "500"}, {"C", "2", "Rf", "1.000", "500"},
        {"D", "3", "Rb", "1.0", "10"},    {"E", "3", "Rf", "1.0", "10"},
        {"F", "4", "Rb", "1.0", "10"},
        {"B", "1", "Rb", "1.4990", "0"}, {"A", "1", "Rf", "1.4970", "0"},
    });
}

}  // namespace

TEST(RunListTest, FillGivesOneUnselectedEntryPerStretch)
{
    const auto records = Book();
    RunList list;
    list.Fill(CollapsedRunNumbers(records), RunCatalog(records), CoefficientOf(ToleranceClass::II));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"1 // 0.002 ", "2 // 0.004", "3 // ----",
                                                     "4 // ****", "1 // 0.002 "}));
    EXPECT_EQ(Selection(list), (std::vector<bool>{false, false, false, false, false}));
    EXPECT_TRUE(IsMarkedRed(list.entries()[0].text));
    EXPECT_FALSE(IsMarkedRed(list.entries()[1].text));
}

TEST(RunListTest, ClassSwitchRecomputesTextsAndKeepsSelection)
{
    const auto records = Book();
    const RunCatalog runs(records);
    RunList list;
    list.Fill(CollapsedRunNumbers(records), runs, CoefficientOf(ToleranceClass::II));
    list.SetSelected(1, true);
    list.SetSelected(3, true);

    list.Refresh(runs, CoefficientOf(ToleranceClass::I));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"1 // 0.002 ", "2 // 0.004 ", "3 // ----",
                                                     "4 // ****", "1 // 0.002 "}));
    EXPECT_EQ(Selection(list), (std::vector<bool>{false, true, false, true, false}));

    list.Refresh(runs, CoefficientOf(ToleranceClass::III));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"1 // 0.002", "2 // 0.004", "3 // ----",
                                                     "4 // ****", "1 // 0.002"}));
    EXPECT_EQ(Selection(list), (std::vector<bool>{false, true, false, true, false}));
}

TEST(RunListTest, RefreshPicksUpEditedRecords)
{
    auto records = Book();
    RunList list;
    list.Fill(CollapsedRunNumbers(records), RunCatalog(records), 0.005);
    records[3].SetGridFields("C", "Rf", "1.003", "500");
    // The texts stay until they are recomputed from the records.
    EXPECT_EQ(list.entries()[1].text, "2 // 0.004");
    list.Refresh(RunCatalog(records), 0.005);
    EXPECT_EQ(list.entries()[1].text, "2 // 0.001");
}

TEST(RunListTest, RemovingSelectedEntriesAndTheRunsLeftToSave)
{
    const auto records = Book();
    RunList list;
    list.Fill(CollapsedRunNumbers(records), RunCatalog(records), 0.005);
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    list.RemoveSelected();
    EXPECT_EQ(Texts(list),
              (std::vector<std::string>{"2 // 0.004", "4 // ****", "1 // 0.002 "}));
    // Run 1 keeps its second entry, so it is still listed, and not deleted.
    EXPECT_EQ(list.ListedRunNumbers(), (RunNumberSet{"1", "2", "4"}));
    const RunStretches stretches(records);
    EXPECT_EQ(list.DeletedRunNumbers(stretches), (RunNumberSet{"3"}));

    list.SelectAll(true);
    EXPECT_EQ(list.SelectedRunNumbersInOrder(), (std::vector<std::string>{"2", "4", "1"}));
    list.RemoveSelected();
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list.ListedRunNumbers().empty());
    EXPECT_EQ(list.DeletedRunNumbers(stretches), (RunNumberSet{"1", "2", "3", "4"}));
}
