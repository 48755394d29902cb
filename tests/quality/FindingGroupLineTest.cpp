// SPDX-License-Identifier: MIT
// A group of findings as one line: the check, the stations as ranges, the largest value.

#include "quality/FindingGroupLine.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

TEST(FindingGroupLine, StationsAsRangesWithTheLargestValueAndItsStation)
{
    const std::vector<FindingGroup> groups = GroupFindings({
        {QualityCheck::Sight, 1, 51, 50},
        {QualityCheck::Sight, 7, 52, 50},
        {QualityCheck::Sight, 8, 60.25, 50},
        {QualityCheck::Sight, 9, 55, 50},
        {QualityCheck::Sight, 12, 51, 50},
        {QualityCheck::StationImbalance, 3, 2.5, 2},
        {QualityCheck::DoubleReading, 4, 0.00061, 0.0005},
    });
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(FindingGroupLine(groups[0]),
              "sight length: stations 1, 7\u20139, 12; largest 60.250 m at station 8, limit 50.000 m");
    // One station: its value, no "largest".
    EXPECT_EQ(FindingGroupLine(groups[1]), "station imbalance: station 3; 2.500 m, limit 2.000 m");
    // Readings to 0.01 mm.
    EXPECT_EQ(FindingGroupLine(groups[2]),
              "two readings of one sight: station 4; 0.00061 m, limit 0.00050 m");
}

TEST(FindingGroupLine, RunWideFindingsNameNoStation)
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    const std::vector<FindingGroup> groups = GroupFindings({
        {QualityCheck::InstrumentHeight, 0, 0.0003, 0.00015},
        {QualityCheck::InstrumentLength, 0, 0.02, 0.015},
    });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(FindingGroupLine(groups[0]),
              "height sum against the instrument's Sh: 0.00030 m, limit 0.00015 m");
    EXPECT_EQ(FindingGroupLine(groups[1]),
              "length against the instrument's Db+Df: 0.020 m, limit 0.015 m");

    EXPECT_EQ(FindingGroupLine(GroupFindings({{QualityCheck::Method, 0, none, none}})[0]),
              "method: the stations cannot be read");
    EXPECT_EQ(FindingGroupLine(GroupFindings({{QualityCheck::Method, 0, 1, 2}})[0]),
              "method: every sight is read once, the class asks for two readings");
}

}  // namespace
}  // namespace velmora
