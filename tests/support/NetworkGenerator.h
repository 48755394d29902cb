// SPDX-License-Identifier: MIT
#pragma once

// A generated levelling network for tests and the benchmark: junction points on a square grid,
// each pair of neighbouring junctions joined by one run of stations in series, so every run is
// a section whose turning points only its own stations reach.

#include "network/NetworkAdjustment.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

struct NetworkShape {
    int junctionsPerSide = 4;    ///< the grid has junctionsPerSide² junction points
    int stationsPerRun = 5;      ///< stations of each run between two neighbouring junctions
    double stationLength = 60;   ///< sight length of a station, metres
    double sigma = 0.001;        ///< standard deviation of 1 km of levelling, metres
    std::uint32_t seed = 15;
    int fixedCorners = 2;        ///< the first corners (of four) that are fixed
};

struct GeneratedNetwork {
    std::vector<LevellingObservation> observations;  ///< run by run, each from its start junction
    std::vector<FixedHeight> fixedHeights;
    std::vector<std::string> runs;                   ///< run numbers, "1", "2", …
    std::vector<std::string> points;                 ///< every point, first appearance order
    std::vector<double> trueHeights;                 ///< of `points`, metres
};

/// The network with random true heights and observations that carry normal noise of
/// σ √(L in km); the same shape gives the same network on every machine.
GeneratedNetwork GenerateNetwork(const NetworkShape& shape);

/// The number of stations a shape gives.
long StationCount(const NetworkShape& shape);

}  // namespace velmora::testing
