// SPDX-License-Identifier: MIT
// Our sums against the instrument's own: one rule, with its edges, for the run list's JSON and
// for the checks alike.

#include "runs/InstrumentFigures.h"

#include "FieldBookLines.h"
#include "quality/BookSights.h"
#include "quality/StationChecks.h"
#include "runs/RunCatalog.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using velmora::testing::RecordsOf;

TEST(InstrumentFiguresTest, HeightSumAgreesUpToAndIncluding0_00015)
{
    const InstrumentFigures sh{0.5, std::nullopt};
    EXPECT_TRUE(sh.HeightAgrees(0.5));
    EXPECT_TRUE(sh.HeightAgrees(0.50015));
    EXPECT_TRUE(sh.HeightAgrees(0.49985));
    EXPECT_TRUE(sh.HeightAgrees(0.5001499));
    EXPECT_FALSE(sh.HeightAgrees(0.50016));
    EXPECT_FALSE(sh.HeightAgrees(0.49984));
    EXPECT_FALSE(sh.HeightAgrees(0.5001501));
    EXPECT_TRUE(sh.LengthAgrees(1e9));  // no Db line: nothing to disagree with
}

TEST(InstrumentFiguresTest, LengthAgreesUpToAndIncluding0_015)
{
    const InstrumentFigures db{std::nullopt, 100.0};
    EXPECT_TRUE(db.LengthAgrees(100.015));
    EXPECT_TRUE(db.LengthAgrees(99.985));
    EXPECT_TRUE(db.LengthAgrees(100.0149));
    EXPECT_FALSE(db.LengthAgrees(100.016));
    EXPECT_FALSE(db.LengthAgrees(99.984));
    EXPECT_FALSE(db.LengthAgrees(100.01501));
    EXPECT_TRUE(db.HeightAgrees(1e9));
}

TEST(InstrumentFiguresTest, DecimalInputsAtTheEdgeAgreeWhateverTheirBinaryForm)
{
    // 2.47 − 1.47 is 1.0000000000000002 in doubles, 0.99985 a little below itself: the doubles
    // lie more than 0.00015 apart, the decimals exactly 0.00015.
    ASSERT_GT(std::fabs((2.47 - 1.47) - 0.99985), 0.00015);
    EXPECT_TRUE((InstrumentFigures{0.99985, std::nullopt}.HeightAgrees(2.47 - 1.47)));
    EXPECT_TRUE((InstrumentFigures{std::nullopt, 20.015}.LengthAgrees(10.01 + 9.99)));
}

TEST(InstrumentFiguresTest, ASumThatIsNoNumberAgreesWithNothing)
{
    const InstrumentFigures both{0.5, 100.0};
    EXPECT_FALSE(both.HeightAgrees(std::nan("")));
    EXPECT_FALSE(both.LengthAgrees(std::nan("")));
    EXPECT_FALSE(both.Agrees(0.5, HUGE_VAL));
    EXPECT_TRUE(both.Agrees(0.5, 100.0));
}

TEST(InstrumentFiguresTest, TheRunListAndTheChecksGiveTheSameAnswerAtTheEdges)
{
    struct Case {
        const char* sh;
        const char* db;
        bool agrees;
    };
    // Rb 2.47 at 10 m, Rf 1.47 at 10 m: our sum 1, our length 20.
    const Case cases[] = {
        {"0.99985", "10.000", true},  {"1.00015", "10.000", true},  {"0.99984", "10.000", false},
        {"1.00016", "10.000", false}, {"1.00000", "10.015", true},  {"1.00000", "9.985", true},
        {"1.00000", "10.016", false}, {"1.00000", "9.984", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("Sh ") + c.sh + ", Db " + c.db);
        const RecordList records = RecordsOf({{"A", "7", "Rb", "2.47", "10"},
                                              {"A", "7", "Rf", "1.47", "10"},
                                              {"A", "7", "Sh", c.sh, ""},
                                              {"A", "7", "Db", c.db, "10"}});
        EXPECT_EQ(RunCatalog(records).Find("7").AgreesWithInstrument(), c.agrees);

        const std::vector<RunSights> runs = SightsOfRuns(records);
        ASSERT_EQ(runs.size(), 1u);
        bool found = false;
        for (const Finding& finding : CheckRun(runs[0], LimitsOf(ToleranceClass::IV)).findings)
            found = found || finding.check == QualityCheck::InstrumentHeight ||
                    finding.check == QualityCheck::InstrumentLength;
        EXPECT_EQ(found, !c.agrees);
    }
}
