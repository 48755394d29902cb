// SPDX-License-Identifier: MIT
#include "NetworkGenerator.h"

#include <cmath>
#include <random>
#include <unordered_map>

namespace velmora::testing {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Normal deviates by Box–Muller from the raw engine, since std::normal_distribution may give
// other numbers with another standard library.
class Normal {
public:
    explicit Normal(std::uint32_t seed) : engine_(seed) {}
    double Next()
    {
        const double u1 = (static_cast<double>(engine_()) + 1.0) / 4294967297.0;
        const double u2 = static_cast<double>(engine_()) / 4294967296.0;
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * kPi * u2);
    }
    double Uniform() { return static_cast<double>(engine_()) / 4294967296.0; }

private:
    std::mt19937 engine_;
};

}  // namespace

long StationCount(const NetworkShape& shape)
{
    const long side = shape.junctionsPerSide;
    return 2 * side * (side - 1) * static_cast<long>(shape.stationsPerRun);
}

GeneratedNetwork GenerateNetwork(const NetworkShape& shape)
{
    GeneratedNetwork network;
    Normal random(shape.seed);
    std::unordered_map<std::string, double> truth;
    const auto add = [&](const std::string& point, double height) {
        if (truth.emplace(point, height).second) {
            network.points.push_back(point);
            network.trueHeights.push_back(height);
        }
    };
    const int side = shape.junctionsPerSide;
    const auto junction = [](int row, int column) {
        return "J" + std::to_string(row) + "." + std::to_string(column);
    };
    std::vector<double> junctionHeight(static_cast<std::size_t>(side) * side);
    for (double& height : junctionHeight)
        height = 100 + 50 * random.Uniform();

    const double stationKm = shape.stationLength / 1000;
    int runNumber = 0;
    const auto addRun = [&](int r0, int c0, int r1, int c1) {
        const std::string run = std::to_string(++runNumber);
        network.runs.push_back(run);
        std::string back = junction(r0, c0);
        add(back, junctionHeight[r0 * side + c0]);
        const double end = junctionHeight[r1 * side + c1];
        for (int s = 1; s <= shape.stationsPerRun; ++s) {
            const bool last = s == shape.stationsPerRun;
            const std::string fore = last ? junction(r1, c1) : run + "-" + std::to_string(s);
            add(fore, last ? end : truth[back] + 2 * (random.Uniform() - 0.5));
            const double dh = truth[fore] - truth[back] +
                              shape.sigma * std::sqrt(stationKm) * random.Next();
            network.observations.push_back({run, back, fore, dh, shape.stationLength});
            back = fore;
        }
    };
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            if (c + 1 < side)
                addRun(r, c, r, c + 1);
            if (r + 1 < side)
                addRun(r, c, r + 1, c);
        }
    }
    const int corners[4][2] = {{0, 0}, {side - 1, side - 1}, {0, side - 1}, {side - 1, 0}};
    for (int k = 0; k < shape.fixedCorners && k < 4; ++k) {
        const std::string point = junction(corners[k][0], corners[k][1]);
        network.fixedHeights.push_back({point, truth[point]});
    }
    return network;
}

}  // namespace velmora::testing
