// SPDX-License-Identifier: MIT
#include "runs/ToleranceClass.h"

#include "FieldBookLines.h"
#include "export/Adjustment.h"
#include "runs/RunList.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using velmora::testing::RecordsOf;

TEST(ToleranceClassTest, CoefficientsLabelsAndMenuCaptions)
{
    EXPECT_EQ(CoefficientOf(ToleranceClass::I), 0.002);
    EXPECT_EQ(CoefficientOf(ToleranceClass::II), 0.005);
    EXPECT_EQ(CoefficientOf(ToleranceClass::III), 0.01);
    EXPECT_EQ(CoefficientOf(ToleranceClass::IV), 0.02);
    EXPECT_EQ(CoefficientOf(kStartClass), 0.005);

    EXPECT_EQ(ClassLabelText(ToleranceClass::I), "I cl.");
    EXPECT_EQ(ClassLabelText(ToleranceClass::IV), "IV cl.");
    EXPECT_EQ(ClassMenuText(ToleranceClass::III), "III class");
}

TEST(ToleranceClassTest, ClassIsKnownByItsExactName)
{
    for (ToleranceClass c : kAllClasses) {
        EXPECT_EQ(ClassFromName(ClassName(c)), c);
    }
    EXPECT_FALSE(ClassFromName("ii"));
    EXPECT_FALSE(ClassFromName("V"));
}

TEST(ToleranceClassTest, AllowedMisclosureIsTheCoefficientTimesTheRootOfTheLengthInKilometres)
{
    EXPECT_EQ(AllowedMisclosure(0.005, 1000.0), 0.005);
    EXPECT_EQ(AllowedMisclosure(0.02, 4000.0), 0.04);
    EXPECT_NEAR(AllowedMisclosure(0.005, 70.0), 0.0013229, 1e-7);  // √0.07 × 0.005
    EXPECT_EQ(AllowedMisclosure(0.002, 0.0), 0.0);
    EXPECT_TRUE(std::isnan(AllowedMisclosure(0.005, -1.0)));
}

TEST(ToleranceClassTest, AMisclosureEqualToTheAllowedOneIsWithinAndTheNextDoubleBeyond)
{
    for (const double allowed : {0.005, 0.0013229, 0.0}) {
        EXPECT_FALSE(BeyondTolerance(allowed, allowed));
        EXPECT_FALSE(BeyondTolerance(-allowed, allowed));
        EXPECT_TRUE(BeyondTolerance(std::nextafter(allowed, 1.0), allowed));
        EXPECT_TRUE(BeyondTolerance(-std::nextafter(allowed, 1.0), allowed));
    }
    EXPECT_FALSE(BeyondTolerance(std::nan(""), 0.005));  // shown as unreadable, not as above
}

TEST(ToleranceClassTest, TheRunListAndTheExportJudgeEveryRunAlike)
{
    // Closed runs A → B → A of 4 km whose misclosures lie around class II's 0.01 m.
    for (const char* back : {"1.0099", "1.0100", "1.0101", "0.9899", "0.9900", "0.9901"}) {
        SCOPED_TRACE(back);
        const RecordList records = RecordsOf({{"A", "1", "Rb", back, "1000"},
                                              {"B", "1", "Rf", "1.0", "1000"},
                                              {"B", "1", "Rb", "1.0", "1000"},
                                              {"A", "1", "Rf", "1.0", "1000"}});
        const bool listed =
            RunEntryText(RunCatalog(records), "1", CoefficientOf(ToleranceClass::II)).back() == ' ';
        std::vector<std::string> pending = {"1"};
        std::vector<AdjustedRun> written;
        ExportRuns(records, pending, "A", 100, CoefficientOf(ToleranceClass::II),
                   [&](const AdjustedRun& run) { written.push_back(run); });
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].beyondTolerance, listed);
        EXPECT_EQ(written[0].allowedMisclosure, RunCatalog(records).Find("1").AllowedMisclosure(0.005));
    }
}
