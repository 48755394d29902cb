// SPDX-License-Identifier: MIT
// Every check at its limit (passes) and just above it (a finding), with the figures a run
// reports.

#include "QualityTestSupport.h"
#include "quality/LevellingLimits.h"
#include "quality/StationChecks.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using velmora::testing::RunOf;
using velmora::testing::StationOf;

namespace {

const LevellingLimits kClassII = LimitsOf(ToleranceClass::II);

std::vector<Finding> FindingsOf(const RunSights& run, const LevellingLimits& limits = kClassII)
{
    return CheckRun(run, limits).findings;
}

// Double readings, so that the class II method finding stays out of the way.
RunSights DoubleRun(std::vector<StationSights> stations)
{
    return RunOf(std::move(stations), "BFFB");
}

}  // namespace

TEST(LevellingLimitsTest, EachClassAllowsMoreThanTheOneAbove)
{
    const LevellingLimits i = LimitsOf(ToleranceClass::I);
    const LevellingLimits iv = LimitsOf(ToleranceClass::IV);
    EXPECT_EQ(i.maxSight, 50.0);
    EXPECT_EQ(kClassII.maxSight, 75.0);
    EXPECT_EQ(kClassII.maxStationImbalance, 1.0);
    EXPECT_EQ(kClassII.maxCumulativeImbalance, 2.0);
    EXPECT_EQ(kClassII.maxDoubleReadingDifference, 0.0007);
    EXPECT_TRUE(kClassII.doubleReadingsRequired);
    EXPECT_EQ(iv.maxSight, 150.0);
    EXPECT_EQ(iv.maxCumulativeImbalance, 10.0);
    EXPECT_FALSE(iv.doubleReadingsRequired);
    for (const ToleranceClass c : {ToleranceClass::I, ToleranceClass::II, ToleranceClass::III}) {
        const LevellingLimits tight = LimitsOf(c);
        const LevellingLimits loose = LimitsOf(static_cast<ToleranceClass>(static_cast<int>(c) + 1));
        EXPECT_LT(tight.maxSight, loose.maxSight);
        EXPECT_LT(tight.maxStationImbalance, loose.maxStationImbalance);
        EXPECT_LT(tight.maxCumulativeImbalance, loose.maxCumulativeImbalance);
        EXPECT_LT(tight.maxDoubleReadingDifference, loose.maxDoubleReadingDifference);
    }
}

TEST(LevellingLimitsTest, AValueEqualToTheLimitInTheBooksDecimalsPasses)
{
    EXPECT_GT(2.47 - 1.47, 1.0);  // the doubles say more than the book does
    EXPECT_FALSE(ExceedsLimit(2.47 - 1.47, 1.0));
    EXPECT_TRUE(ExceedsLimit(2.48 - 1.47, 1.0));
    EXPECT_TRUE(ExceedsLimit(0.00016, 0.00015));
    EXPECT_FALSE(ExceedsLimit(std::nan(""), 1.0));
}

TEST(StationChecksTest, SightAtTheLimitPassesAndJustAboveIsFound)
{
    EXPECT_TRUE(FindingsOf(DoubleRun({StationOf(75.0, 75.0)})).empty());
    const auto findings = FindingsOf(DoubleRun({StationOf(40.0, 40.0), StationOf(75.0, 75.001)}));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0], (Finding{QualityCheck::Sight, 2, 75.001, 75.0}));
    // The override of the class's limit is what counts.
    LevellingLimits shorter = kClassII;
    shorter.maxSight = 60;
    EXPECT_EQ(FindingsOf(DoubleRun({StationOf(60.5, 60.5)}), shorter).size(), 1u);
}

TEST(StationChecksTest, StationImbalanceEitherWayAtTheLimitPassesAndJustAboveIsFound)
{
    EXPECT_TRUE(FindingsOf(DoubleRun({StationOf(2.47, 1.47), StationOf(1.47, 2.47)})).empty());
    const auto findings = FindingsOf(DoubleRun({StationOf(2.47, 1.47), StationOf(1.47, 2.48)}));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].check, QualityCheck::StationImbalance);
    EXPECT_EQ(findings[0].station, 2);
    EXPECT_NEAR(findings[0].value, 1.01, 1e-12);  // a magnitude: the fore sight was longer
    EXPECT_EQ(findings[0].limit, 1.0);
}

TEST(StationChecksTest, CumulativeImbalanceIsTheRunningSumAndItsLargestMagnitude)
{
    // Imbalances −0.75, −0.75, +1.0, +1.0: the sum reaches −1.5, ends at +0.5.
    const RunSights run = DoubleRun({StationOf(10, 10.75), StationOf(10, 10.75), StationOf(11, 10),
                                     StationOf(11, 10)});
    const RunQuality quality = CheckRun(run, kClassII);
    EXPECT_DOUBLE_EQ(quality.cumulativeImbalance, 0.5);
    EXPECT_DOUBLE_EQ(quality.maxCumulativeImbalance, 1.5);
    EXPECT_DOUBLE_EQ(quality.maxStationImbalance, 1.0);
    EXPECT_TRUE(quality.findings.empty());

    // 0.75 + 0.75 + 0.5 reaches the limit of 2 m exactly; 0.01 m more is found, once, at the
    // station where the sum is farthest out.
    EXPECT_TRUE(
        FindingsOf(DoubleRun({StationOf(10.75, 10), StationOf(10.75, 10), StationOf(10.5, 10)}))
            .empty());
    const auto findings = FindingsOf(DoubleRun({StationOf(10.75, 10), StationOf(10.75, 10),
                                                StationOf(10.51, 10), StationOf(10, 10.3)}));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].check, QualityCheck::CumulativeImbalance);
    EXPECT_EQ(findings[0].station, 3);
    EXPECT_NEAR(findings[0].value, 2.01, 1e-12);
    EXPECT_EQ(findings[0].limit, 2.0);
}

TEST(StationChecksTest, DoubleReadingsAtTheLimitPassAndJustAboveAreFound)
{
    EXPECT_TRUE(FindingsOf(DoubleRun({StationOf(20, 20, 0, 0.0007), StationOf(20, 20, 0, -0.0007)}))
                    .empty());
    const RunQuality quality =
        CheckRun(DoubleRun({StationOf(20, 20, 0, 0.0002), StationOf(20, 20, 0, -0.0008)}), kClassII);
    EXPECT_DOUBLE_EQ(*quality.maxDoubleReadingDifference, 0.0008);
    ASSERT_EQ(quality.findings.size(), 1u);
    EXPECT_EQ(quality.findings[0], (Finding{QualityCheck::DoubleReading, 2, 0.0008, 0.0007}));

    // One reading per sight: no figure and nothing to compare.
    EXPECT_FALSE(CheckRun(RunOf({StationOf(20, 20)}), kClassII).maxDoubleReadingDifference);
}

TEST(StationChecksTest, InstrumentSumsWithinTheirSlackPassAndBeyondAreFound)
{
    RunSights run = DoubleRun({StationOf(50, 50, 0.01), StationOf(50, 50, -0.0098)});  // 0.0002 m
    run.instrument = InstrumentFigures{0.00005, 200.015};
    RunQuality quality = CheckRun(run, kClassII);
    EXPECT_NEAR(*quality.instrumentHeightDifference, 0.00015, 1e-12);
    EXPECT_NEAR(*quality.instrumentLengthDifference, -0.015, 1e-9);
    EXPECT_TRUE(quality.findings.empty());

    run.instrument = InstrumentFigures{0.00004, 199.984};
    quality = CheckRun(run, kClassII);
    ASSERT_EQ(quality.findings.size(), 2u);
    EXPECT_EQ(quality.findings[0].check, QualityCheck::InstrumentHeight);
    EXPECT_NEAR(quality.findings[0].value, 0.00016, 1e-12);
    EXPECT_EQ(quality.findings[1].check, QualityCheck::InstrumentLength);
    EXPECT_NEAR(quality.findings[1].value, 0.016, 1e-9);

    // Only the figure the book has is compared.
    run.instrument = InstrumentFigures{std::nullopt, 199.984};
    quality = CheckRun(run, kClassII);
    EXPECT_FALSE(quality.instrumentHeightDifference);
    ASSERT_EQ(quality.findings.size(), 1u);
    EXPECT_EQ(quality.findings[0].check, QualityCheck::InstrumentLength);
}

TEST(StationChecksTest, SingleReadingsAreAMethodFindingOnlyWhereTheClassAsksForTwo)
{
    const RunSights bf = RunOf({StationOf(20, 20)});
    EXPECT_EQ(FindingsOf(bf), (std::vector<Finding>{{QualityCheck::Method, 0, 1.0, 2.0}}));
    EXPECT_TRUE(FindingsOf(bf, LimitsOf(ToleranceClass::III)).empty());
    EXPECT_TRUE(FindingsOf(RunOf({StationOf(20, 20)}, "aBFFB")).empty());
    EXPECT_TRUE(FindingsOf(RunOf({}, "BF")).empty());  // no station, nothing read at all
}

TEST(StationChecksTest, AnUnreadableRunShowsOnlyItsMethodFinding)
{
    RunSights run = DoubleRun({StationOf(200, 20)});
    run.unreadable = {UnreadableCause::Kind::FitsNoMethod, 1};
    const RunQuality quality = CheckRun(run, kClassII);
    ASSERT_EQ(quality.findings.size(), 1u);
    EXPECT_EQ(quality.findings[0].check, QualityCheck::Method);
    EXPECT_TRUE(std::isnan(quality.findings[0].value));
    EXPECT_EQ(quality.maxSight, 0.0);
}

TEST(StationChecksTest, FindingsComeInStationOrderWithTheRunWideOnesLast)
{
    const RunSights run = RunOf({StationOf(80, 70), StationOf(20, 21.5), StationOf(30, 30)});
    const auto findings = FindingsOf(run);
    ASSERT_EQ(findings.size(), 5u);
    EXPECT_EQ(findings[0], (Finding{QualityCheck::Sight, 1, 80, 75}));
    EXPECT_EQ(findings[1], (Finding{QualityCheck::StationImbalance, 1, 10, 1}));
    EXPECT_EQ(findings[2], (Finding{QualityCheck::StationImbalance, 2, 1.5, 1}));
    EXPECT_EQ(findings[3], (Finding{QualityCheck::CumulativeImbalance, 1, 10, 2}));
    EXPECT_EQ(findings[4], (Finding{QualityCheck::Method, 0, 1, 2}));
}
