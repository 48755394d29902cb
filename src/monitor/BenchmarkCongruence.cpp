// SPDX-License-Identifier: MIT
#include "monitor/BenchmarkCongruence.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "monitor/CycleAdjustment.h"

#include <boost/math/distributions/chi_squared.hpp>

namespace velmora {

namespace {

// The heights and cofactors of benchmarks 1 … p−1 with benchmark 0 held at its base height.
bool HeldAtFirst(const CycleNetwork& network, const std::vector<SharedBenchmark>& benchmarks,
                 bool first, CycleSolution& solution, std::string& error)
{
    auto pointOf = [first](const SharedBenchmark& b) { return first ? b.inFirst : b.inCycle; };
    std::vector<std::size_t> joint;
    for (std::size_t i = 1; i < benchmarks.size(); ++i)
        joint.push_back(pointOf(benchmarks[i]));
    return SolveCycle(network, {{pointOf(benchmarks.front()), benchmarks.front().base}}, joint,
                      solution, error);
}

std::vector<SharedBenchmark> Without(const std::vector<SharedBenchmark>& benchmarks, std::size_t i)
{
    std::vector<SharedBenchmark> rest = benchmarks;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
    return rest;
}

}  // namespace

bool TestCongruence(const CycleNetwork& cycle, const CycleNetwork& first,
                    const std::vector<SharedBenchmark>& benchmarks, double sigma, double alpha,
                    CongruenceTest& test, std::string& error)
{
    CycleSolution k;
    CycleSolution one;
    if (!HeldAtFirst(cycle, benchmarks, false, k, error) ||
        !HeldAtFirst(first, benchmarks, true, one, error))
        return false;
    for (const SharedBenchmark& b : benchmarks) {
        // A benchmark the held one does not reach has nothing to compare.
        if (!k.reached[b.inCycle] || !one.reached[b.inFirst]) {
            error = Fill(Tr("benchmark {1} is not connected to benchmark {2}"),
                         {Cp1251ToUtf8(b.point), Cp1251ToUtf8(benchmarks.front().point)});
            return false;
        }
    }
    const auto n = static_cast<Eigen::Index>(benchmarks.size() - 1);
    Eigen::VectorXd d(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const SharedBenchmark& b = benchmarks[static_cast<std::size_t>(i) + 1];
        d[i] = k.height[b.inCycle] - one.height[b.inFirst];
    }
    const Eigen::MatrixXd q = k.jointCofactor + one.jointCofactor;
    const double omega = d.dot(q.ldlt().solve(d));
    test.degreesOfFreedom = n;
    test.statistic = omega / (sigma * sigma);
    test.critical = boost::math::quantile(boost::math::chi_squared(static_cast<double>(n)), 1 - alpha);
    test.passed = test.statistic <= test.critical;
    test.difference = d[0];
    return true;
}

bool FindStableBenchmarks(const CycleNetwork& cycle, const CycleNetwork& first,
                          const std::vector<SharedBenchmark>& benchmarks, double sigma,
                          double alpha, BenchmarkStability& stability, std::string& error)
{
    stability = {};
    std::vector<std::size_t> left(benchmarks.size());
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = i;
    std::vector<SharedBenchmark> rest = benchmarks;
    if (!TestCongruence(cycle, first, rest, sigma, alpha, stability.test, error))
        return false;
    CongruenceTest test = stability.test;
    while (!test.passed && rest.size() >= 3) {
        std::size_t best = 0;
        CongruenceTest bestTest;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            CongruenceTest without;
            if (!TestCongruence(cycle, first, Without(rest, i), sigma, alpha, without, error))
                return false;
            if (i == 0 || without.statistic < bestTest.statistic) {
                best = i;
                bestTest = without;
            }
        }
        stability.moved.push_back(left[best]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
        rest = Without(rest, best);
        test = bestTest;
    }
    stability.stable = left;
    if (!test.passed) {
        stability.undecided = true;
        stability.remaining = left;
        stability.disagreement = test;
        stability.stable = {left.front()};
    }
    return true;
}

}  // namespace velmora
