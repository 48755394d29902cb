// SPDX-License-Identifier: MIT
// The least-squares adjustment of a large levelling network: junctions on a square grid, every
// two neighbours joined by a run of stations in series, two corners fixed.
//
//   velmora-bench-adjust [--side S] [--stations K] [--repeat R]
//
// Defaults: 51 × 51 junctions and runs of 20 stations, 102,000 stations in all.

#include "BenchSupport.h"
#include "NetworkGenerator.h"
#include "network/NetworkAdjustment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// CPU time of the process: on a machine that other work shares, wall time says little.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace

int main(int argc, char** argv)
{
    velmora::testing::NetworkShape shape;
    shape.junctionsPerSide = 51;
    shape.stationsPerRun = 20;
    int repeat = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--side"))
            shape.junctionsPerSide = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--stations"))
            shape.stationsPerRun = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    const velmora::testing::GeneratedNetwork generated = velmora::testing::GenerateNetwork(shape);
    velmora::LevellingNetwork network;
    network.observations = generated.observations;

    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    velmora::NetworkAdjustment result;
    for (int i = 0; i < repeat; ++i) {
        std::string error;
        const auto start = velmora::bench::Clock::now();
        const double cpuStart = CpuSeconds();
        if (!velmora::AdjustNetwork(network, generated.fixedHeights, shape.sigma, result, error)) {
            std::fprintf(stderr, "adjustment failed: %s\n", error.c_str());
            return 1;
        }
        seconds.push_back(velmora::bench::SecondsSince(start));
        cpuSeconds.push_back(CpuSeconds() - cpuStart);
    }
    long nodes = 0;
    for (const velmora::AdjustedPoint& point : result.points)
        nodes += point.kind == velmora::PointKind::node && !point.fixed;
    std::printf("stations %zu, sections %zu, unknown nodes %ld, degrees of freedom %ld, "
                "sigma0 %.3f mm/km^0.5\n",
                network.observations.size(), result.sections.size(), nodes,
                result.degreesOfFreedom, result.sigma0 * 1000);
    std::printf("adjustment: median %.3f s of %d (min %.3f s, max %.3f s)\n",
                velmora::bench::Median(seconds), repeat,
                *std::min_element(seconds.begin(), seconds.end()),
                *std::max_element(seconds.begin(), seconds.end()));
    std::printf("adjustment CPU time: median %.3f s\n", velmora::bench::Median(cpuSeconds));
    return 0;
}
