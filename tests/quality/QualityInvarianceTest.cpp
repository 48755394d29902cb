// SPDX-License-Identifier: MIT
// The same readings recorded with every measuring method must show the same stations to the
// checks: the same sights, imbalances and findings as the BF book they came from, their two
// readings equal. The books: our samples, and the real field books beside the project.

#include "FieldBookLines.h"
#include "MethodRewriter.h"
#include "fieldbook/MeasurementFile.h"
#include "quality/BookSights.h"
#include "quality/QualityText.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::RewriteBook;
using velmora::testing::RewriteOptions;

namespace {

RecordList Load(const std::vector<std::string>& lines)
{
    RecordList records;
    for (const std::string& line : lines)
        ParseMeasurementText(line + "\r\n", records);
    return records;
}

// What the checks say of every run at class III (which does not ask for two readings, so the
// method alone changes nothing), apart from the method's name and its readings' spread.
std::vector<std::string> Checked(const RecordList& records, bool doubleReadings)
{
    std::vector<std::string> results;
    const LevellingLimits limits = LimitsOf(ToleranceClass::III);
    for (RunSights& run : SightsOfRuns(records)) {
        if (!run.stations.empty()) {
            EXPECT_EQ(run.doubleReadings, doubleReadings) << run.runNumber;
        }
        run.method.clear();
        for (StationSights& station : run.stations) {
            EXPECT_EQ(station.readingDifference.value_or(0), 0.0) << run.runNumber;
            station.readingDifference.reset();
        }
        run.doubleReadings = false;
        const RunQuality quality = CheckRun(run, limits);
        results.push_back(RunFiguresText(quality));
        for (const Finding& finding : quality.findings)
            results.push_back(FindingText(finding));
    }
    return results;
}

void ExpectInvariant(const std::string& book)
{
    SCOPED_TRACE(book);
    const std::vector<std::string> lines =
        velmora::testing::SplitBookLines(velmora::testing::ReadWholeFile(book));
    const std::vector<std::string> original = Checked(Load(lines), false);
    ASSERT_FALSE(original.empty());
    for (const char* method : {"BFFB", "BFBF", "aBF", "aBFFB", "aBFBF"}) {
        for (const bool keepStartRecord : {true, false}) {
            RewriteOptions options;
            options.method = method;
            options.keepStartRecord = keepStartRecord;
            options.germanCodes = !keepStartRecord;
            options.errorLines = !keepStartRecord;
            SCOPED_TRACE(method);
            const bool twice = std::string(method) != "aBF";
            EXPECT_EQ(Checked(Load(RewriteBook(lines, options)), twice), original);
        }
    }
}

}  // namespace

TEST(QualityInvarianceTest, EveryMethodShowsTheChecksTheSameStations)
{
    const std::vector<std::string> books = velmora::testing::FieldBooksIn(VELMORA_SAMPLES_DIR);
    ASSERT_FALSE(books.empty());
    for (const std::string& book : books)
        ExpectInvariant(book);
}

TEST(QualityInvarianceTest, EveryMethodShowsTheChecksTheSameStationsOfTheRealBooks)
{
    const std::vector<std::string> books = velmora::testing::RealFieldBooks();
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    for (const std::string& book : books)
        ExpectInvariant(book);
}
