// SPDX-License-Identifier: MIT
// Findings told once per check and run: stations as ranges, the largest value kept.

#include "quality/FindingGroups.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

Finding At(QualityCheck check, int station, double value)
{
    return {check, station, value, 0.5};
}

TEST(FindingGroups, StationsFormRangesAndTheLargestValueIsKept)
{
    const std::vector<Finding> findings = {
        At(QualityCheck::Sight, 1, 51), At(QualityCheck::StationImbalance, 2, 1.5),
        At(QualityCheck::Sight, 7, 52), At(QualityCheck::Sight, 8, 60),
        At(QualityCheck::Sight, 9, 55), At(QualityCheck::Sight, 10, 60),
        At(QualityCheck::Sight, 12, 51), At(QualityCheck::CumulativeImbalance, 0, -3.5),
        At(QualityCheck::StationImbalance, 3, -2.5),
    };
    const std::vector<FindingGroup> groups = GroupFindings(findings);
    ASSERT_EQ(groups.size(), 3u);

    EXPECT_EQ(groups[0].check, QualityCheck::Sight);
    EXPECT_EQ(groups[0].count, 6u);
    EXPECT_EQ(StationRangesText(groups[0].stations), "1, 7\u201310, 12");
    // Of two equal values the first station is named.
    EXPECT_EQ(groups[0].largest.station, 8);

    // Size, not sign, ranks: −2.5 is larger than 1.5; adjacent stations make one range.
    EXPECT_EQ(groups[1].check, QualityCheck::StationImbalance);
    EXPECT_EQ(groups[1].largest.value, -2.5);
    EXPECT_EQ(StationRangesText(groups[1].stations), "2\u20133");

    // A run-wide finding names no station.
    EXPECT_EQ(groups[2].check, QualityCheck::CumulativeImbalance);
    EXPECT_TRUE(groups[2].stations.empty());
    EXPECT_EQ(groups[2].count, 1u);
}

TEST(FindingGroups, UnreadableValuesRankLowestAndNothingGivesNoGroup)
{
    EXPECT_TRUE(GroupFindings({}).empty());
    const double nan = std::nan("");
    const auto groups = GroupFindings({At(QualityCheck::Method, 0, nan),
                                       At(QualityCheck::DoubleReading, 4, nan),
                                       At(QualityCheck::DoubleReading, 5, 0.0007)});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].check, QualityCheck::DoubleReading);
    EXPECT_EQ(groups[0].largest.station, 5);
    EXPECT_EQ(groups[1].check, QualityCheck::Method);
    EXPECT_TRUE(std::isnan(groups[1].largest.value));
}

}  // namespace
}  // namespace velmora
