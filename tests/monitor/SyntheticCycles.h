// SPDX-License-Identifier: MIT
#pragma once

// Synthetic monitoring cycles for the tests: one loop over three benchmarks and two marks,
// levelled from true heights that a test may change.

#include "monitor/Monitoring.h"

#include "MonitorBooks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <stdexcept>

namespace velmora::testing {

inline constexpr double kSigma = 0.001;  // 1 mm of 1 km

// A loop from R1 over R2 and R3 with marks M1 and M2 sighted between; T1 … T3 turn.
inline const std::vector<SetUp> kLoop = {{"R1", {"M1"}, "T1"}, {"T1", {}, "R2"}, {"R2", {}, "T2"},
                                  {"T2", {"M2"}, "R3"}, {"R3", {}, "T3"}, {"T3", {}, "R1"}};
inline const std::map<std::string, double> kHeights = {{"R1", 100.0}, {"R2", 100.8}, {"R3", 99.7},
                                                {"M1", 100.3}, {"M2", 100.1}, {"T1", 100.5},
                                                {"T2", 100.2}, {"T3", 99.9}};

inline CycleInput SyntheticCycle(const std::string& date, std::map<std::string, double> heights,
                          const std::map<std::string, double>& changes = {})
{
    for (const auto& [point, change] : changes)
        heights[point] += change;
    return {date, {{date + ".DAT", SyntheticBook(kLoop, heights)}}, std::nullopt};
}

inline const MonitoredPoint& PointNamed(const MonitoringResult& result, const std::string& name)
{
    for (const MonitoredPoint& point : result.points) {
        if (point.point == name)
            return point;
    }
    throw std::runtime_error("no point " + name);
}

inline MonitoringResult Evaluated(const MonitorSettings& settings, const std::vector<CycleInput>& cycles)
{
    MonitoringResult result;
    std::string error;
    EXPECT_TRUE(EvaluateMonitoring(settings, cycles, result, error)) << error;
    return result;
}

}  // namespace velmora::testing
