// SPDX-License-Identifier: MIT
// Findings told once per check and run: stations as ranges, the largest value kept.

#include "fieldbook/Translation.h"
#include "quality/FindingGroups.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

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

TEST(FindingGroups, AGroupIsOneLineWithItsRangesItsLargestValueAndItsLimit)
{
    const Finding sight{QualityCheck::Sight, 8, 80.004, 75};
    FindingGroup group{QualityCheck::Sight, {{1, 1}, {7, 10}, {12, 12}}, 6, sight};
    EXPECT_EQ(FindingGroupText(group), "sight length: stations 1, 7\u201310, 12 (6 stations); "
                                       "largest 80.00 m at station 8, limit 75.00 m");
    // One station: no count, no "largest"; two readings in millimetres.
    group = {QualityCheck::DoubleReading, {{4, 4}}, 1, {QualityCheck::DoubleReading, 4, 0.00081, 0.0007}};
    EXPECT_EQ(FindingGroupText(group),
              "difference of two readings of one sight: station 4; 0.81 mm, limit 0.70 mm");
    group = {QualityCheck::Method, {}, 1, {QualityCheck::Method, 0, 1, 2}};
    EXPECT_EQ(FindingGroupText(group), "levelling method: the run as a whole; every sight is read "
                                       "once, the class asks for two readings");

    // In Russian, with the decimal comma and the plural the count asks for.
    UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    group = {QualityCheck::StationImbalance, {{1, 2}, {5, 5}}, 3,
             {QualityCheck::StationImbalance, 5, 7.22, 1}};
    EXPECT_EQ(FindingGroupText(group), "неравенство плеч на станции: станции 1\u20132, 5 (3 станции); "
                                       "наибольшее 7,22 м на станции 5, допуск 1,00 м");
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
}

}  // namespace
}  // namespace velmora
