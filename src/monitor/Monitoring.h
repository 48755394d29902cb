// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/BenchmarkCongruence.h"
#include "runs/RodScale.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

/// A benchmark of a monitoring project: a point whose stability is tested, its height given
/// or taken from the first cycle that has it.
struct Benchmark {
    std::string point;              ///< as the field books write it (Windows-1251), trimmed
    std::optional<double> height;   ///< metres, when given
};

/// What a monitoring project holds besides its cycles.
struct MonitorSettings {
    std::vector<Benchmark> benchmarks;  ///< in the project's order
    /// The marks by name; nothing: every point of the books sighted as an intermediate sight or
    /// beginning or ending a run that is no benchmark.
    std::optional<std::vector<std::string>> marks;
    double sigma = 0;     ///< a-priori standard deviation of 1 km of levelling, metres
    double alpha = 0.05;  ///< significance level of the tests
};

/// One field book of a cycle, as the project keeps it.
struct CycleBook {
    /// Its file name without folders, in the field books' encoding (Windows-1251) as the
    /// network adjustment names books.
    std::string name;
    std::string bytes;  ///< the whole book
};

/// One cycle as added: a day and its books, optionally some of their runs.
struct CycleInput {
    std::string date;  ///< "YYYY-MM-DD"
    std::vector<CycleBook> books;
    std::optional<std::vector<std::string>> runs;  ///< run numbers (Windows-1251); nothing: all
    RodScale rodScale;  ///< of the rods the cycle was levelled with; its readings are corrected
};

/// Two benchmarks left that disagree: the cycle is referred to `first` alone.
struct BenchmarkDisagreement {
    std::string first;
    std::string second;
    double difference = 0;  ///< H(second) − H(first) now minus the same in cycle 1, metres
    CongruenceTest test;
};

/// A cycle's adjustment with its datum.
struct CycleResult {
    int number = 0;  ///< 1, 2, … in date order
    std::size_t input = 0;  ///< its place in the cycles given to EvaluateMonitoring
    std::string date;
    std::vector<std::string> books;
    RodScale rodScale;  ///< as the cycle was added
    double sigma0 = 0;  ///< a-posteriori σ of 1 km, metres; NaN without degrees of freedom
    long degreesOfFreedom = 0;
    std::vector<std::string> stableBenchmarks;  ///< held at their base heights
    std::vector<std::string> movedBenchmarks;
    std::optional<CongruenceTest> congruence;  ///< of the benchmarks shared with cycle 1
    std::vector<BenchmarkDisagreement> disagreements;
    /// Of the marks this cycle shares with cycle 1: the mean settlement since cycle 1 and the
    /// largest in size (with its sign), metres.
    std::optional<double> meanSettlement;
    std::optional<double> largestSettlement;
};

/// A point in one cycle.
struct PointInCycle {
    int cycle = 0;
    double height = 0;  ///< metres
    double sigma = 0;   ///< σ·√q, metres (0 for a held benchmark)
    /// Since the previous cycle that measured the point, metres; nothing in its first cycle.
    std::optional<double> settlement;
    std::optional<double> sigmaSettlement;
    std::optional<double> rate;  ///< settlement per day, metres; nothing when no day passed
    double sinceFirst = 0;       ///< H − H(first cycle of the point), metres
    double sigmaSinceFirst = 0;
    bool significant = false;    ///< |sinceFirst| > z · σ, z the normal quantile at 1 − α/2
};

struct MonitoredPoint {
    std::string point;
    bool benchmark = false;
    std::vector<PointInCycle> cycles;  ///< the cycles that measured it, in order
};

struct MonitoringResult {
    std::vector<CycleResult> cycles;   ///< in date order
    /// Benchmarks in the project's order, then marks in order of first appearance.
    std::vector<MonitoredPoint> points;
};

/// The places of `cycles` in the order of their numbers: by day, equal days in the order given
/// (a date that is no date counts as the earliest; EvaluateMonitoring refuses it).
std::vector<std::size_t> CycleOrder(const std::vector<CycleInput>& cycles);

/// "cycle N (DATE)" in the user's language, as every message names a cycle.
std::string CycleText(int number, const std::string& date);

/// Computes every cycle of a project from its books: cycles numbered by date (equal dates in
/// the order given), cycle 1 holding the benchmarks with given heights, each later cycle its
/// stable benchmarks at their base heights, and the settlements of every point.
///
/// False with `error` (UTF-8, naming the cycle) when a book's run cannot be read, a named run
/// is in no book of the cycle, a reading has no distance, or a cycle reaches no benchmark with
/// a height.
bool EvaluateMonitoring(const MonitorSettings& settings, const std::vector<CycleInput>& cycles,
                        MonitoringResult& result, std::string& error);

}  // namespace velmora
