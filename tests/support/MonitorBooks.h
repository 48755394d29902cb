// SPDX-License-Identifier: MIT
#pragma once

// Synthetic field books of monitoring cycles, for the tests and the benchmark.

#include <map>
#include <string>
#include <vector>

namespace velmora::testing {

/// One set-up of a synthetic book: back point, intermediate points, fore point.
struct SetUp {
    std::string back;
    std::vector<std::string> intermediates;
    std::string fore;
};

/// An M5 book of run 1 over the set-ups, every sight 20 m, the readings from the true heights
/// (metres) with a small deterministic error (±0.1 mm) so that the tests have something to test.
std::string SyntheticBook(const std::vector<SetUp>& setUps, const std::map<std::string, double>& heights);

}  // namespace velmora::testing
