// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/CycleNetwork.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

/// The congruence test of benchmarks between a cycle and the first cycle.
struct CongruenceTest {
    double statistic = 0;  ///< Ω / σ², χ²-distributed with `degreesOfFreedom`
    long degreesOfFreedom = 0;  ///< benchmarks tested − 1
    double critical = 0;   ///< the χ² quantile at 1 − α
    bool passed = false;   ///< statistic ≤ critical
    /// d = H(cycle) − H(first cycle) of the second benchmark when the first is held (metres);
    /// what two benchmarks disagree by.
    double difference = 0;
};

/// A benchmark of one cycle and of the first: its point in each cycle's equations and its base
/// height (metres).
struct SharedBenchmark {
    std::string point;
    std::size_t inCycle = 0;  ///< index into the cycle's CycleNetwork::points
    std::size_t inFirst = 0;  ///< index into the first cycle's CycleNetwork::points
    double base = 0;
};

/// Tests `benchmarks` (at least two): the cycle and the first cycle are each adjusted with only
/// the first benchmark held at its base height; for the others d = H_k − H_1 and
/// Q_dd = Q_k + Q_1 (km), Ω = dᵀ Q_dd⁻¹ d, and Ω / σ² is compared with the χ² quantile of
/// p − 1 degrees of freedom at 1 − α. Which benchmark is held does not change the statistic.
/// `sigma`: σ of 1 km, metres. False with `error` when a cycle cannot be adjusted.
bool TestCongruence(const CycleNetwork& cycle, const CycleNetwork& first,
                    const std::vector<SharedBenchmark>& benchmarks, double sigma, double alpha,
                    CongruenceTest& test, std::string& error);

/// Which benchmarks of a cycle stay its datum.
struct BenchmarkStability {
    CongruenceTest test;  ///< of all the benchmarks given
    std::vector<std::size_t> stable;  ///< indices into the benchmarks given, in their order
    std::vector<std::size_t> moved;   ///< in the order found
    /// True when two benchmarks were left that disagree: `stable` is then the first of them
    /// alone and `remaining` names both; `disagreement` is their test.
    bool undecided = false;
    std::vector<std::size_t> remaining;
    CongruenceTest disagreement;
};

/// Tests all the benchmarks; while the test fails and at least three remain, the one whose
/// removal leaves the smallest statistic (ties: the first) is moved and the rest is tested
/// again. Two that still disagree leave the cycle to the first of them alone.
bool FindStableBenchmarks(const CycleNetwork& cycle, const CycleNetwork& first,
                          const std::vector<SharedBenchmark>& benchmarks, double sigma,
                          double alpha, BenchmarkStability& stability, std::string& error);

}  // namespace velmora
