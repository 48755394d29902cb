// SPDX-License-Identifier: MIT
// The same readings recorded with every measuring method, in German, in feet and with failed
// measurements in between must give the run list and the exported heights of the BF book they
// came from. The books: our samples, and the real field books of the shared folder when it is
// there (VELMORA_FIELD_BOOKS names another folder).

#include "FieldBookLines.h"
#include "RunsByNumber.h"
#include "MethodRewriter.h"
#include "export/Adjustment.h"
#include "export/Export.h"
#include "fieldbook/MeasurementFile.h"
#include "runs/LevellingRun.h"
#include "runs/Rounding.h"
#include "runs/RunList.h"

#include <gtest/gtest.h>


using namespace velmora;
using velmora::testing::RewriteBook;
using velmora::testing::WalkRunByNumber;
using velmora::testing::RewriteOptions;

namespace {

constexpr double kCoefficients[] = {0.002, 0.005, 0.01, 0.02};

RecordList Load(const std::vector<std::string>& lines)
{
    RecordList records;
    for (const std::string& line : lines) {
        std::string text = line;
        text += "\r\n";
        ParseMeasurementText(text, records);
    }
    return records;
}

// Everything a user sees of a book: the list in the four classes, then the export of all runs
// from the proposed start point, number by number as the workbook shows them.
std::vector<std::string> Results(const RecordList& records)
{
    std::vector<std::string> results;
    const RunCatalog runs(records);
    for (const double coefficient : kCoefficients) {
        RunList list;
        list.Fill(CollapsedRunNumbers(records), runs, coefficient);
        for (const RunListEntry& entry : list.entries())
            results.push_back(entry.text);
    }
    std::vector<std::string> pending = CollapsedRunNumbers(records);
    std::vector<std::string_view> points;
    for (const MeasurementRecord& record : records) {
        if (!record.skipped())
            points.push_back(record.pointNumber());
    }
    const std::string start = points.empty() ? std::string() : ProposedStartPoints(points).front();
    try {
        ExportRuns(records, pending, start, 100, 0.005, [&](const AdjustedRun& run) {
            results.push_back("run " + run.runNumber);
            for (const PointEntry& entry : run.points)
                results.push_back(entry.point + " " + NumberText(RoundTo4(entry.height)));
            results.push_back("dZ " + NumberText(RoundTo4(run.misclosure)) + " " +
                              NumberText(RoundTo4(run.allowedMisclosure)) + " " +
                              NumberText(RoundTo4(run.largestCorrection)));
        });
    } catch (const ExportError& error) {
        results.push_back(std::string("error ") + error.what());
    }
    for (const std::string& number : pending)
        results.push_back("pending " + number);
    return results;
}

void ExpectInvariant(const std::string& book)
{
    SCOPED_TRACE(book);
    const std::vector<std::string> lines = velmora::testing::SplitBookLines(
        velmora::testing::ReadWholeFile(book));
    ASSERT_FALSE(lines.empty());
    const std::vector<std::string> original = Results(Load(lines));
    for (const char* method : {"BF", "BFFB", "BFBF", "aBF", "aBFFB", "aBFBF"}) {
        for (const bool keepStartRecord : {true, false}) {
            RewriteOptions options;
            options.method = method;
            options.keepStartRecord = keepStartRecord;
            SCOPED_TRACE(std::string(method) + (keepStartRecord ? " with" : " without") +
                         " the start-of-line record");
            EXPECT_EQ(Results(Load(RewriteBook(lines, options))), original);

            options.germanCodes = true;
            options.feet = true;
            options.errorLines = true;
            SCOPED_TRACE("Lr/Lv/Lz, feet, failed readings");
            EXPECT_EQ(Results(Load(RewriteBook(lines, options))), original);
        }
    }
}

}  // namespace

TEST(MethodInvarianceTest, OurSamplesReadAlikeInEveryMethodCodeAndUnit)
{
    const std::vector<std::string> books = velmora::testing::FieldBooksIn(VELMORA_SAMPLES_DIR);
    ASSERT_FALSE(books.empty());
    for (const std::string& book : books)
        ExpectInvariant(book);
}

TEST(MethodInvarianceTest, RealBooksReadAlikeInEveryMethodCodeAndUnit)
{
    const std::vector<std::string> books = velmora::testing::RealFieldBooks();
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    for (const std::string& book : books)
        ExpectInvariant(book);
}

TEST(MethodInvarianceTest, TheRewrittenBooksAreReallyRewritten)
{
    // A guard for the test above: the variants differ from the original in the ways they say.
    const std::vector<std::string> lines = velmora::testing::SplitBookLines(
        velmora::testing::ReadWholeFile(std::string(VELMORA_SAMPLES_DIR) + "/levelling_m5.DAT"));
    RewriteOptions options;
    options.method = "aBFFB";
    options.germanCodes = true;
    options.feet = true;
    options.errorLines = true;
    const RecordList records = Load(RewriteBook(lines, options));
    int failed = 0;
    int german = 0;
    int feet = 0;
    for (const MeasurementRecord& record : records) {
        failed += record.skipped() && record.layout().HasErrorFlag(record.lineText());
        german += record.valueType() == "Lr";
        feet += record.field(Field::readingUnit) == "ft";
    }
    EXPECT_GT(failed, 0);
    EXPECT_GT(german, 0);
    EXPECT_GT(feet, 0);
    EXPECT_GT(records.size(), Load(lines).size() * 3 / 2);
    const RunStations first = WalkRunByNumber(records, CollapsedRunNumbers(records).front());
    EXPECT_EQ(first.method, LevellingMethod::aBFFB);
    EXPECT_TRUE(first.methodFromBook);
    ASSERT_GE(first.stations.size(), 2u);
    EXPECT_EQ(first.stations[0].backsights.size(), 2u);
    EXPECT_EQ(first.stations[1].foresights.size(), 2u);
}
