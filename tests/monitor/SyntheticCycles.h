// SPDX-License-Identifier: MIT
#pragma once

// Synthetic monitoring cycles for the tests: one loop over three benchmarks and two marks,
// levelled from true heights that a test may change.

#include "monitor/Monitoring.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <stdexcept>

namespace velmora::testing {

inline constexpr double kSigma = 0.001;  // 1 mm of 1 km

// One set-up of a synthetic book: back point, intermediate points, fore point.
struct SetUp {
    std::string back;
    std::vector<std::string> intermediates;
    std::string fore;
};

inline std::string Number(double value, const char* format)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// An M5 book of run 1 over the set-ups, every sight 20 m, the readings from the true heights
// with a small deterministic error (±0.1 mm) so that the tests have something to test.
inline std::string SyntheticBook(const std::vector<SetUp>& setUps, const std::map<std::string, double>& heights)
{
    std::vector<Observation> observations;
    int n = 0;
    auto sight = [&](const std::string& point, const char* code, double horizon) {
        const double error = 0.0001 * ((n++ * 7919) % 5 - 2) / 2;
        observations.push_back({point, "1", code, Number(horizon - heights.at(point) + error, "%.5f"),
                                "20.000"});
    };
    for (const SetUp& setUp : setUps) {
        const double horizon = heights.at(setUp.back) + 1.5;
        sight(setUp.back, "Rb", horizon);
        for (const std::string& point : setUp.intermediates)
            sight(point, "Rz", horizon);
        sight(setUp.fore, "Rf", horizon);
    }
    return JoinLines(M5Lines(observations));
}

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
