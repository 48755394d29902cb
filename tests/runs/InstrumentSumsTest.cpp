// SPDX-License-Identifier: MIT
// The instrument writes its own sum of height differences on the "Sh" line that closes a run.
// Our misclosure must agree with it within the instrument check's 0.00015 m, for our samples and
// for any real field books found in the folder named by VELMORA_FIELD_BOOKS (or the project's
// neighbouring shared/samples/public folder). The instrument sums its own unrounded readings, so
// a book written to four decimals may differ from our sum of the written readings by 0.0001 m.
// The sum is read from the Sh line here, apart from the code that reads it for the run list.

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "runs/RunCatalog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FieldBooks()
{
    std::vector<std::string> books;
    std::vector<fs::path> folders = {VELMORA_SAMPLES_DIR,
                                     fs::path(VELMORA_SAMPLES_DIR) / "../../shared/samples/public"};
    if (const char* extra = std::getenv("VELMORA_FIELD_BOOKS"))
        folders.emplace_back(extra);
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const auto extension = entry.path().extension().string();
            if (extension == ".DAT" || extension == ".dat")
                books.push_back(entry.path().string());
        }
    }
    return books;
}

}  // namespace

TEST(InstrumentSumsTest, HeightSumAgreesWithTheInstrumentsShLine)
{
    int compared = 0;
    for (const std::string& book : FieldBooks()) {
        SCOPED_TRACE(book);
        RecordList records;
        std::string error;
        ASSERT_TRUE(ReadMeasurementFile(book, records, error)) << error;
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
    EXPECT_GT(compared, 0);
}
