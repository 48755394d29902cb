// SPDX-License-Identifier: MIT
#include "runs/RunList.h"

#include "RunsTestSupport.h"
#include "fieldbook/RunNumberMap.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::Observation;
using velmora::testing::RecordsOf;

namespace {

constexpr double kClassI = 0.002;
constexpr double kClassII = 0.005;
constexpr double kClassIII = 0.01;

std::string EntryOf(const std::vector<Observation>& observations, std::string_view run,
                    double coefficient = kClassII)
{
    return RunEntryText(RunCatalog(RecordsOf(observations)), run, coefficient);
}

// One station from A back to A: backsight 1.5000, foresight 1.4980, 50 m each.
const std::vector<Observation> kOneStationLoop = {
    {"A", "12", "Rb", "1.5000", "50"},
    {"A", "12", "Rf", "1.4980", "50"},
};

}  // namespace

TEST(RunEntryTextTest, ClosedRunAboveToleranceAtClassIIWithinAtClassIII)
{
    const RunCatalog runs(RecordsOf(kOneStationLoop));
    const LevellingRun& run = runs.Find("12");
    EXPECT_NEAR(run.heightSum, 0.002, 1e-15);
    EXPECT_EQ(run.distanceSum, 100.0);
    EXPECT_NEAR(run.AllowedMisclosure(kClassII), 0.00158114, 1e-8);
    EXPECT_EQ(RunEntryText(runs, "12", kClassII), "12 // 0.002 ");
    EXPECT_EQ(RunEntryText(runs, "12", kClassIII), "12 // 0.002");
}

TEST(RunEntryTextTest, FewerThanTwoPointsIsEmpty)
{
    EXPECT_EQ(EntryOf({{"A", "3", "Rb", "1.5", "50"}}, "3"), "3 // ****");
    EXPECT_EQ(EntryOf({{"A", "3", "Sh", "1.5", "50"}, {"B", "3", "Rz", "1.2", "10"}}, "3"),
              "3 // ****");
    // A run number without records (a stored list replayed against a changed file).
    EXPECT_EQ(EntryOf(kOneStationLoop, "99"), "99 // ****");
}

TEST(RunEntryTextTest, RunEndingOnAnotherPointIsOpen)
{
    EXPECT_EQ(EntryOf({{"A", "4", "Rb", "1.5", "50"}, {"B", "4", "Rf", "1.5", "50"}}, "4"),
              "4 // ----");
}

TEST(RunEntryTextTest, PointNumbersAreComparedTrimmed)
{
    auto records = RecordsOf(kOneStationLoop);
    records[1].SetGridFields("  A ", "Rf", "1.4980", "50");  // as if typed with blanks
    EXPECT_EQ(RunEntryText(RunCatalog(records), "12", kClassIII), "12 // 0.002");
}

TEST(RunEntryTextTest, RoundingOfTheWrittenMisclosure)
{
    auto loop = [](const char* back, const char* fore) {
        return EntryOf({{"A", "1", "Rb", back, "50"}, {"A", "1", "Rf", fore, "50"}}, "1",
                       0.02);
    };
    EXPECT_EQ(loop("1.00000", "1.00003"), "1 // -0");
    EXPECT_EQ(loop("1.00005", "1.00000"), "1 // 0.0001");
    EXPECT_EQ(loop("1.00000", "1.00016"), "1 // -0.0002");
    EXPECT_EQ(loop("1.43215", "1.43215"), "1 // 0");
}

TEST(RunEntryTextTest, MisclosureExactlyAtToleranceIsWithin)
{
    // 500 m + 500 m = 1 km, so T = coefficient exactly, and 0.005 − 0 = 0.005 exactly.
    const std::vector<Observation> loop = {{"A", "1", "Rb", "0.005", "500"},
                                           {"A", "1", "Rf", "0", "500"}};
    EXPECT_EQ(EntryOf(loop, "1", kClassII), "1 // 0.005");
    EXPECT_EQ(EntryOf(loop, "1", kClassI), "1 // 0.005 ");
}

TEST(RunEntryTextTest, SeveralStationsAndTheOrderOfTheSums)
{
    // A → B → C → A with an intermediate sight and a Sh summary line that change nothing.
    const std::vector<Observation> loop = {
        {"A", "7", "Rb", "1.52341", "25.10"}, {"X", "7", "Rz", "0.33333", "5.00"},
        {"B", "7", "Rf", "0.98712", "24.80"}, {"B", "7", "Rb", "1.20003", "30.00"},
        {"C", "7", "Rf", "1.75000", "29.50"}, {"C", "7", "Rb", "1.01010", "18.25"},
        {"A", "7", "Rf", "0.99601", "18.75"}, {"A", "7", "Sh", "0.00041", "0"},
    };
    const RunCatalog runs(RecordsOf(loop));
    const LevellingRun& run = runs.Find("7");
    double h = 0;
    h = (h + 1.52341) - 0.98712;
    h = (h + 1.20003) - 1.75000;
    h = (h + 1.01010) - 0.99601;
    double d = 0;
    d = (d + 25.10) + 24.80;
    d = (d + 30.00) + 29.50;
    d = (d + 18.25) + 18.75;
    EXPECT_EQ(run.heightSum, h);
    EXPECT_EQ(run.distanceSum, d);
    EXPECT_EQ(run.pointCount, 4);
    EXPECT_EQ(RunEntryText(runs, "7", kClassII), "7 // 0.0004");
}

TEST(RunEntryTextTest, TwoForesightsInARowUseTheSameBacksight)
{
    const std::vector<Observation> run = {
        {"A", "1", "Rb", "2.0", "10"}, {"B", "1", "Rf", "1.0", "10"},
        {"A", "1", "Rf", "2.0", "10"}};
    // (0 + 2 − 1) + 2 − 2 = 1; distances 10 + 10 + 10 + 10.
    const RunCatalog runs(RecordsOf(run));
    EXPECT_EQ(runs.Find("1").heightSum, 1.0);
    EXPECT_EQ(runs.Find("1").distanceSum, 40.0);
}

TEST(RunEntryTextTest, ForesightBeforeTheFirstBacksightKeepsItsPointAndDistance)
{
    const std::vector<Observation> run = {
        {"A", "1", "Rf", "1.0", "10"}, {"A", "1", "Rb", "1.5", "20"}, {"A", "1", "Rf", "1.4", "20"}};
    const RunCatalog runs(RecordsOf(run));
    EXPECT_NEAR(runs.Find("1").heightSum, 0.1, 1e-15);
    EXPECT_EQ(runs.Find("1").distanceSum, 50.0);
    EXPECT_EQ(runs.Find("1").pointCount, 3);
}

TEST(RunEntryTextTest, RecordsOfARunAreGatheredWhereverTheyStand)
{
    const auto records = RecordsOf({{"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.0", "10"},
                                    {"P", "2", "Rb", "1.0", "10"}, {"Q", "2", "Rf", "1.0", "10"},
                                    {"B", "1", "Rb", "1.0", "10"}, {"A", "1", "Rf", "1.5", "10"}});
    EXPECT_EQ(CollapsedRunNumbers(records), (std::vector<std::string>{"1", "2", "1"}));
    const RunCatalog runs(records);
    EXPECT_EQ(RunEntryText(runs, "1", kClassIII), "1 // 0");
    EXPECT_EQ(RunEntryText(runs, " 1 ", kClassIII), "1 // 0");
    EXPECT_EQ(RunEntryText(runs, "01", kClassIII), "01 // ****");  // no numeric comparison
}

TEST(RunEntryTextTest, UnreadableNumberNeverShowsAMisclosure)
{
    auto loop = [](const char* reading, const char* distance) {
        return EntryOf({{"A", "5", "Rb", "1.5", "50"}, {"B", "5", "Rf", reading, distance},
                        {"B", "5", "Rb", "1.2", "50"}, {"A", "5", "Rf", "1.2", "50"}},
                       "5");
    };
    EXPECT_EQ(loop("1.5", "50"), "5 // 0");
    EXPECT_EQ(loop("1.5x", "50"), "5 // ???? ");
    EXPECT_EQ(loop("", "50"), "5 // ???? ");
    EXPECT_EQ(loop("1.5", "1.2.3"), "5 // ???? ");
    EXPECT_EQ(loop("1.5", "-500"), "5 // ???? ");  // negative length: no tolerance to test
    EXPECT_EQ(loop("1e308", "50"), "5 // ???? ");  // the sum overflows
    EXPECT_TRUE(loop("abc", "50").back() == ' ');

    // An open run shows no misclosure anyway; a bad backsight replaced before use is harmless.
    EXPECT_EQ(EntryOf({{"A", "6", "Rb", "?", "50"}, {"B", "6", "Rf", "1", "50"}}, "6"), "6 // ----");
    EXPECT_EQ(EntryOf({{"A", "8", "Rb", "bad", "bad"}, {"A", "8", "Rb", "1.5", "50"},
                       {"A", "8", "Rf", "1.5", "50"}},
                      "8"),
              "8 // 0");
}

TEST(RunNumberOfEntryTest, TakesTheTrimmedTextBeforeTheSeparator)
{
    EXPECT_EQ(RunNumberOfEntry("12 // 0.0034"), "12");
    EXPECT_EQ(RunNumberOfEntry("12 // 0.0034 "), "12");
    EXPECT_EQ(RunNumberOfEntry("KO1 // ----"), "KO1");
    EXPECT_EQ(RunNumberOfEntry(" // ****"), "");
    EXPECT_EQ(RunNumberOfEntry(" abc "), "abc");
    EXPECT_EQ(RunNumberOfEntry("5 // ???? "), "5");
}

TEST(RunNumberOfEntryTest, GivesBackEveryRunNumberEvenOneHoldingTheSeparator)
{
    // Run numbers are four free columns; "a //" must still come back whole, or a save would
    // drop the run's lines.
    const std::vector<Observation> loop = {{"A", "a //", "Rb", "1.5", "50"},
                                           {"A", "a //", "Rf", "1.5", "50"}};
    const RunCatalog runs(RecordsOf(loop));
    for (const char* number : {"a //", "//", "1", "x y", ""}) {
        for (double coefficient : {kClassI, kClassII}) {
            SCOPED_TRACE(number);
            EXPECT_EQ(RunNumberOfEntry(RunEntryText(runs, number, coefficient)), number);
        }
    }
}

TEST(RunEntryTextTest, DistancesAreAddedBackThenForeStationByStation)
{
    // (((0 + 0.1) + 0.2) + 0.1) + 0.3 is 0.7; pairing the distances first gives 0.7000000000000001.
    const RunCatalog runs(RecordsOf({{"A", "1", "Rb", "1", "0.1"}, {"B", "1", "Rf", "1", "0.2"},
                                     {"B", "1", "Rb", "1", "0.1"}, {"C", "1", "Rf", "1", "0.3"}}));
    EXPECT_EQ(runs.Find("1").distanceSum, 0.7);
}

// Reading edited runs again must give what a catalog made afresh from the edited records
// gives, for a run in two stretches too, and leave the other runs as they were.
TEST(RunCatalogTest, RefreshOfEditedRunsEqualsAFreshCatalog)
{
    auto records = RecordsOf({{"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.0", "10"},
                              {"P", "2", "Rb", "1.0", "10"}, {"Q", "2", "Rf", "1.2", "10"},
                              {"B", "1", "Rb", "1.0", "10"}, {"A", "1", "Rf", "1.5", "10"},
                              {"X", "3", "Rb", "1.0", "20"}, {"X", "3", "Rf", "1.0", "20"}});
    RunCatalog runs(records);
    records[5].SetGridFields("A", "Rf", "1.4", "12");   // run 1, in its second stretch
    records[3].SetGridFields("P", "Rf", "1.0", "10");   // run 2 now closes
    records[7].SetGridFields("X", "Rf", "0.9", "20");   // run 3, left stale on purpose
    runs.Refresh(records, velmora::RunStretches(records), {"1", "2", "9", "12345"});

    const RunCatalog fresh(records);
    for (const char* run : {"1", "2"}) {
        SCOPED_TRACE(run);
        EXPECT_EQ(runs.Find(run).heightSum, fresh.Find(run).heightSum);
        EXPECT_EQ(runs.Find(run).distanceSum, fresh.Find(run).distanceSum);
        EXPECT_EQ(RunEntryText(runs, run, kClassIII), RunEntryText(fresh, run, kClassIII));
    }
    EXPECT_EQ(RunEntryText(runs, "1", kClassIII), "1 // 0.1 ");
    EXPECT_EQ(runs.Find("1").distanceSum, 42.0);
    EXPECT_EQ(RunEntryText(runs, "2", kClassIII), "2 // 0");
    EXPECT_EQ(RunEntryText(runs, "3", kClassIII), "3 // 0");  // not asked for: as it was
    EXPECT_EQ(RunEntryText(runs, "9", kClassIII), "9 // ****");
}

// Run numbers are texts of any length: one that begins like another is another run, and
// asking for a number no record carries, however long, gives an empty run.
TEST(RunCatalogTest, RunNumbersLongerThanTheColumnAreOtherRuns)
{
    auto records = RecordsOf({{"A", "1234", "Rb", "1.5", "10"}, {"A", "1234", "Rf", "1.4", "10"}});
    RunCatalog runs(records);
    runs.Refresh(records, velmora::RunStretches(records), {"12345", "123456789", "1234"});
    EXPECT_EQ(RunEntryText(runs, "1234", kClassIII), "1234 // 0.1 ");
    EXPECT_EQ(RunEntryText(runs, "12345", kClassIII), "12345 // ****");
    EXPECT_EQ(RunEntryText(runs, " 123456789 ", kClassIII), "123456789 // ****");
    EXPECT_EQ(velmora::RunStretches(records).IndexOfRun("12345"), -1);
}

// A run closes when its last point is its first: passing through the first point on the way
// does not close it, and leaving it again after a return opens it again.
TEST(RunEntryTextTest, ARunClosesOnlyWhenItsLastPointIsItsFirst)
{
    const std::vector<Observation> through = {
        {"A", "5", "Rb", "1.5", "10"}, {"B", "5", "Rf", "1.0", "10"},
        {"B", "5", "Rb", "1.0", "10"}, {"A", "5", "Rf", "1.5", "10"},
        {"A", "5", "Rb", "1.2", "10"}, {"C", "5", "Rf", "1.1", "10"},
    };
    EXPECT_EQ(EntryOf(through, "5", kClassIII), "5 // ----");
    std::vector<Observation> back = through;
    back.push_back({"C", "5", "Rb", "1.1", "10"});
    back.push_back({"A", "5", "Rf", "1.2", "10"});
    EXPECT_EQ(EntryOf(back, "5", kClassIII), "5 // 0");
}

// Run numbers of every length up to the packed keys' seven bytes and beyond, with NUL and
// bytes above 127, are each their own key: a number never finds another's value.
TEST(RunNumberMapTest, EveryNumberFindsOnlyItsOwnValue)
{
    using namespace std::literals;
    const std::vector<std::string> numbers = {""s, "1"s, "01"s, "\0"s "1"s, "1\0"s, "\xC0\xFF"s,
                                              "1234567"s, "12345678"s, "123456789"s, "1234568"s};
    RunNumberMap<int> map;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        map[numbers[i]] = static_cast<int>(i) + 1;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(map.Find(numbers[i]), nullptr);
        EXPECT_EQ(*map.Find(numbers[i]), static_cast<int>(i) + 1);
    }
    for (const std::string_view missing : {"12"sv, "\0"sv, "123456"sv, "1234567890"sv, "\xC0"sv})
        EXPECT_EQ(map.Find(missing), nullptr) << missing;
}
