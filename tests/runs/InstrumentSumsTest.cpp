// SPDX-License-Identifier: MIT
// The instrument writes its own sum of height differences on the "Sh" line that closes a run.
// Our misclosure must agree with it within the instrument check's 0.00015 m, for our samples and
// for the real field books (RealFieldBooks says where they are looked for). The instrument sums
// its own unrounded readings, so a book written to four decimals may differ from our sum of the
// written readings by 0.0001 m.
// The sum is read from the Sh line here, apart from the code that reads it for the run list.

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "runs/RunCatalog.h"

#include <gtest/gtest.h>

#include <map>

using namespace velmora;

namespace {

// The runs of the books whose last Sh line was compared with our sum.
int CompareWithTheShLines(const std::vector<std::string>& books)
{
    int compared = 0;
    for (const std::string& book : books) {
        SCOPED_TRACE(book);
        RecordList records;
        std::string error;
        EXPECT_TRUE(ReadMeasurementFile(book, records, error)) << error;
        const RunCatalog runs(records);
        // The last Sh line of each run carries the instrument's sum for the whole run.
        std::map<std::string, double> instrumentSums;
        for (const auto& record : records) {
            if (!record.skipped() && record.valueType() == "Sh")
                instrumentSums[std::string(record.runNumber())] = TextToNumber(record.reading());
        }
        for (const auto& [run, sum] : instrumentSums) {
            SCOPED_TRACE(run);
            EXPECT_NEAR(runs.Find(run).heightSum, sum, kInstrumentHeightAgreement);
            ++compared;
        }
    }
    return compared;
}

}  // namespace

TEST(InstrumentSumsTest, HeightSumAgreesWithTheInstrumentsShLine)
{
    EXPECT_GT(CompareWithTheShLines(velmora::testing::FieldBooksIn(VELMORA_SAMPLES_DIR)), 0);
}

TEST(InstrumentSumsTest, HeightSumOfTheRealBooksAgreesWithTheInstrumentsShLine)
{
    const std::vector<std::string> books = velmora::testing::RealFieldBooks();
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    EXPECT_GT(CompareWithTheShLines(books), 0);
}
