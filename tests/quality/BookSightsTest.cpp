// SPDX-License-Identifier: MIT
// Runs of a field book as the checks read them, taken from the station model.

#include "FieldBookLines.h"
#include "RunsByNumber.h"
#include "MethodRewriter.h"
#include "fieldbook/MeasurementFile.h"
#include "quality/BookCheck.h"
#include "quality/BookSights.h"
#include "runs/RunCatalog.h"
#include "runs/ToleranceClass.h"
#include "runs/Station.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::WalkRunByNumber;
using velmora::testing::Observation;
using velmora::testing::RecordsOf;

TEST(BookSightsTest, DoubleReadingsGiveMeanLengthsTheLongestSightAndTheLargestSpread)
{
    // BFFB: Rb Rf Rf Rb at each station; the two readings of each sight differ a little.
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.50000", "30.00"},
        {"B", "1", "Rf", "1.20000", "29.00"},
        {"B", "1", "Rf", "1.20040", "29.20"},
        {"A", "1", "Rb", "1.50020", "30.40"},
        {"B", "1", "Rb", "1.30000", "20.00"},
        {"A", "1", "Rf", "1.60000", "21.00"},
        {"A", "1", "Rf", "1.60000", "21.00"},
        {"B", "1", "Rb", "1.30000", "20.00"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 1u);
    const RunSights& run = runs[0];
    EXPECT_EQ(run.method, "BFFB");
    EXPECT_TRUE(run.doubleReadings);
    EXPECT_EQ(run.firstPoint, "A");
    ASSERT_EQ(run.stations.size(), 2u);
    const StationSights& first = run.stations[0];
    EXPECT_EQ(first.forePoint, "B");
    EXPECT_DOUBLE_EQ(first.backDistance, 30.2);
    EXPECT_DOUBLE_EQ(first.foreDistance, 29.1);
    EXPECT_DOUBLE_EQ(first.longestSight, 30.4);
    EXPECT_NEAR(*first.readingDifference, 0.0004, 1e-12);  // the fore sight's, not the back's
    EXPECT_NEAR(first.heightDifference, 1.5001 - 1.2002, 1e-12);
    // The mean readings and the point the station starts from, for the report's station table.
    EXPECT_EQ(first.backPoint, "A");
    EXPECT_NEAR(first.back, 1.5001, 1e-12);
    EXPECT_NEAR(first.fore, 1.2002, 1e-12);
    // A → B → A closes: its height sum is its misclosure.
    EXPECT_TRUE(run.closed);
    EXPECT_NEAR(*run.stations[1].readingDifference, 0.0, 1e-12);
    // The run list's sums, the stations' means added up.
    EXPECT_NEAR(run.distanceSum, 100.3, 1e-9);
    EXPECT_NEAR(run.heightSum, 1.5001 - 1.2002 + 1.3 - 1.6, 1e-12);
}

TEST(BookSightsTest, EachRunOnceInTheOrderOfItsFirstEntryWithTheInstrumentsSums)
{
    const RecordList records = RecordsOf({
        {"A", "9", "Rb", "1.0000", "10.00"},
        {"B", "9", "Rf", "0.9000", "11.00"},
        {"A", "3", "Rb", "1.0000", "10.00"},
        {"B", "9", "Rb", "1.1000", "12.00"},
        {"A", "9", "Rf", "1.2000", "12.50"},
        {"A", "9", "Sh", "0.0000", ""},
        {"A", "9", "Db", "22.00", "23.50"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].runNumber, "9");
    EXPECT_EQ(runs[1].runNumber, "3");
    EXPECT_EQ(runs[0].method, "BF");
    EXPECT_FALSE(runs[0].doubleReadings);
    ASSERT_EQ(runs[0].stations.size(), 2u);
    EXPECT_FALSE(runs[0].stations[0].readingDifference);
    ASSERT_TRUE(runs[0].instrument);
    EXPECT_EQ(runs[0].instrument->heightSum, 0.0);
    EXPECT_EQ(runs[0].instrument->length, 45.5);
    EXPECT_FALSE(runs[1].instrument);
    // Run 3 is a lone backsight, no station: nothing tells how it was measured.
    EXPECT_TRUE(runs[1].stations.empty());
    EXPECT_EQ(runs[1].method, "");
    // Run 9 closes on A; run 3 has one point and does not.
    EXPECT_TRUE(runs[0].closed);
    EXPECT_FALSE(runs[1].closed);
}

// The check reads the run list's sums in its own walk of each run: they are the catalogue's,
// the height sum corrected for the rods' scale, also for a run picked by number.
TEST(BookSightsTest, TheChecksListRunsAreTheCataloguesCorrectedForTheRods)
{
    const RecordList records = RecordsOf({
        {"A", "9", "Rb", "1.0000", "10.00"},
        {"B", "9", "Rf", "0.9000", "11.00"},
        {"A", "3", "Rb", "1.0000", "10.00"},
        {"B", "9", "Rb", "1.1000", "12.00"},
        {"A", "9", "Rf", "1.2000", "12.50"},
        {"C", "3", "Rf", "0.7000", "-5.00"},
    });
    const RunCatalog catalog(records);
    const LevellingLimits limits = LimitsOf(ToleranceClass::II);
    for (const double ppm : {0.0, 120.0}) {
        const RodScale scale{ppm};
        for (const auto& numbers : {std::optional<std::vector<std::string>>(),
                                    std::optional<std::vector<std::string>>({"3", "9"})}) {
            const BookCheck check = CheckBookRuns(records, limits, numbers, scale);
            ASSERT_EQ(check.listRuns.size(), 2u);
            for (std::size_t i = 0; i < check.runs.size(); ++i) {
                const LevellingRun& expected = catalog.Find(check.runs[i].runNumber);
                const LevellingRun& listed = check.listRuns[i];
                EXPECT_EQ(listed.heightSum, scale.Corrected(expected.heightSum)) << ppm << " " << i;
                EXPECT_EQ(listed.distanceSum, expected.distanceSum);
                EXPECT_EQ(listed.Status(1.0), expected.Status(1.0));
                EXPECT_EQ(listed.reason(), expected.reason());
            }
        }
    }
}

TEST(BookSightsTest, ARunClosesWhateverItsMisclosureAndAnOpenOneDoesNot)
{
    // A → B → A missing by half a metre over 40 m still closes (its misclosure is what the
    // report must show); A → B → C does not.
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.5000", "10.00"}, {"B", "1", "Rf", "1.0000", "10.00"},
        {"B", "1", "Rb", "1.5000", "10.00"}, {"A", "1", "Rf", "1.5000", "10.00"},
        {"A", "2", "Rb", "1.5000", "10.00"}, {"B", "2", "Rf", "1.0000", "10.00"},
        {"B", "2", "Rb", "1.5000", "10.00"}, {"C", "2", "Rf", "1.5000", "10.00"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].closed);
    EXPECT_NEAR(runs[0].heightSum, 0.5, 1e-12);
    EXPECT_FALSE(runs[1].closed);
}

TEST(BookSightsTest, BfOddFormsAreNoStationsOfTheirOwn)
{
    // A foresight before the first backsight, and a backsight that the next one replaces:
    // the run list keeps their distances, the checks see two set-ups from A.
    const RecordList records = RecordsOf({
        {"X", "4", "Rf", "1.0000", "5.00"},
        {"A", "4", "Rb", "1.5000", "20.00"},
        {"A", "4", "Rb", "1.5000", "20.00"},
        {"B", "4", "Rf", "1.4000", "21.00"},
        {"B", "4", "Rb", "1.3000", "22.00"},
        {"A", "4", "Rf", "1.4000", "23.00"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].firstPoint, "A");
    ASSERT_EQ(runs[0].stations.size(), 2u);
    EXPECT_EQ(runs[0].stations[0].forePoint, "B");
    EXPECT_EQ(runs[0].stations[1].forePoint, "A");
}

TEST(BookSightsTest, AReadingThatIsNoNumberMakesTheRunUnreadableWithoutFigures)
{
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.5000", "20.00"},
        {"B", "1", "Rf", "1.4x00", "21.00"},
        {"B", "1", "Rb", "1.3000", "22.00"},
        {"A", "1", "Rf", "1.4000", "23.00"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].unreadable.Text(), "station 1 has a reading or distance that is not a number");
    EXPECT_TRUE(runs[0].stations.empty());
}

TEST(BookSightsTest, TheWalkerAndTheChecksTakeTheReadingsPerSightFromTheSameMethod)
{
    const std::vector<std::string> bf = {
        velmora::testing::M5TextLine("Start-Line         BF", "1"),
        velmora::testing::M5Line({"A", "1", "Rb", "1.50000", "30.00"}),
        velmora::testing::M5Line({"B", "1", "Rf", "1.20000", "29.00"}),
        velmora::testing::M5Line({"B", "1", "Rb", "1.30000", "20.00"}),
        velmora::testing::M5Line({"A", "1", "Rf", "1.60000", "21.00"}),
    };
    for (const char* method : {"BF", "BFFB", "BFBF", "aBF", "aBFFB", "aBFBF"}) {
        SCOPED_TRACE(method);
        velmora::testing::RewriteOptions options;
        options.method = method;
        RecordList records;
        ParseMeasurementText(velmora::testing::JoinLines(velmora::testing::RewriteBook(bf, options)),
                             records);
        const int readings = ReadingsPerSight(MethodOfWord(method).value());
        const RunStations walked = WalkRunByNumber(records, "1");
        ASSERT_EQ(walked.stations.size(), 2u);
        EXPECT_EQ(walked.stations[1].backsights.size(), static_cast<std::size_t>(readings));
        EXPECT_EQ(walked.stations[1].foresights.size(), static_cast<std::size_t>(readings));
        const std::vector<RunSights> runs = SightsOfRuns(records);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].doubleReadings, readings == 2);
    }
    EXPECT_EQ(ReadingsPerSight(LevellingMethod::BF), 1);
    EXPECT_EQ(ReadingsPerSight(LevellingMethod::aBFFB), 2);
}

TEST(BookSightsTest, TheTimesOfABookAreItsFirstAndLastTimeOfDay)
{
    // Times as the plain layout writes them (glued to the run number); a line with none, and
    // shapes that are no time of day (25 o'clock, 61 minutes), are passed over.
    RecordList records;
    ParseMeasurementText("      1 NONAME.DAT\n"
                         "    117      317    1 25:10:0011174 Rb      0.2326 HD        3.686\n"
                         "    118      317    1 07:61:0011174 Rb      0.2326 HD        3.686\n"
                         "    119      317    1 07:41:0211174 Rb      0.2326 HD        3.686\n"
                         "    120      318    1          11174 Rf      0.2326 HD        3.686\n"
                         "    121      318    1 09:05:5911174 Rf      0.2326 HD        3.686\n",
                         records);
    const RecordedTimes times = TimesOf(records);
    EXPECT_EQ(times.first, "07:41:02");
    EXPECT_EQ(times.last, "09:05:59");

    // One time of day among lines without: it is the first and the last.
    RecordList one;
    ParseMeasurementText("    120      318    1          11174 Rf      0.2326 HD        3.686\n"
                         "    121      318    1 09:05:5911174 Rf      0.2326 HD        3.686\n"
                         "    122      318    1          11174 Rf      0.2326 HD        3.686\n",
                         one);
    EXPECT_EQ(TimesOf(one).first, "09:05:59");
    EXPECT_EQ(TimesOf(one).last, "09:05:59");

    RecordList none;
    ParseMeasurementText("      1 NONAME.DAT\n", none);
    EXPECT_TRUE(TimesOf(none).first.empty());
    EXPECT_TRUE(TimesOf(none).last.empty());
}

TEST(BookSightsTest, AStationThatDoesNotBeginWhereTheOneBeforeEndedIsAFindingOfTheCheck)
{
    // A → 1 → 2, then a station from 3 to B; the backsight on 2 given up and replaced does not
    // count, and the station numbers are the check's (the given-up one is none of them).
    const RecordList records = RecordsOf({
        {"A", "1", "Rb", "1.5000", "20.00"},
        {"1", "1", "Rf", "1.2000", "20.00"},
        {"1", "1", "Rb", "1.3000", "20.00"},
        {"2", "1", "Rf", "1.1000", "20.00"},
        {"2", "1", "Rb", "1.2000", "20.00"},
        {"3", "1", "Rb", "1.4000", "20.00"},
        {"B", "1", "Rf", "1.0000", "20.00"},
    });
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].stations.size(), 3u);
    const RunQuality quality = CheckRun(runs[0], LevellingLimits{});
    std::vector<Finding> breaks;
    for (const Finding& finding : quality.findings) {
        if (finding.check == QualityCheck::ChainBreak)
            breaks.push_back(finding);
    }
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(breaks[0].station, 3);
    EXPECT_EQ(breaks[0].point, "3");
    EXPECT_EQ(breaks[0].previousPoint, "2");
}
