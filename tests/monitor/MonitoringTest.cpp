// SPDX-License-Identifier: MIT
#include "monitor/Monitoring.h"

#include "SyntheticCycles.h"
#include "fieldbook/MeasurementFile.h"
#include "monitor/CycleAdjustment.h"
#include "network/NetworkObservations.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace velmora {
namespace {

using namespace testing;


// One benchmark of three rises by 5 mm in cycle 2: it is found moved, the cycle is referred to
// the other two, and its rise shows; a mark that sank 3 mm is significant, one that stayed is
// not. Cycles given out of date order are numbered by date.
TEST(Monitoring, ABenchmarkThatRoseIsFoundMovedAndShowsItsRise)
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}, {"R3", {}}}, std::nullopt, kSigma, 0.05};
    const MonitoringResult result =
        Evaluated(settings, {SyntheticCycle("2024-05-03", kHeights, {{"R3", 0.005}, {"M1", -0.003}}),
                             SyntheticCycle("2024-05-01", kHeights)});
    ASSERT_EQ(result.cycles.size(), 2u);
    const CycleResult& second = result.cycles[1];
    EXPECT_EQ(second.date, "2024-05-03");
    ASSERT_TRUE(second.congruence);
    EXPECT_FALSE(second.congruence->passed);
    EXPECT_EQ(second.movedBenchmarks, std::vector<std::string>{"R3"});
    EXPECT_EQ(second.stableBenchmarks, (std::vector<std::string>{"R1", "R2"}));
    EXPECT_TRUE(second.disagreements.empty());
    const PointInCycle& r3 = PointNamed(result, "R3").cycles.at(1);
    EXPECT_NEAR(r3.sinceFirst, 0.005, 0.0003);
    EXPECT_TRUE(r3.significant);
    ASSERT_TRUE(r3.rate);
    EXPECT_NEAR(*r3.rate, 0.0025, 0.00015);
    EXPECT_NEAR(PointNamed(result, "M1").cycles.at(1).sinceFirst, -0.003, 0.0003);
    EXPECT_TRUE(PointNamed(result, "M1").cycles.at(1).significant);
    EXPECT_FALSE(PointNamed(result, "M2").cycles.at(1).significant);
    EXPECT_EQ(PointNamed(result, "R2").cycles.at(1).sinceFirst, 0);
}

// With only two benchmarks that disagree the tool cannot tell which moved: the cycle is
// referred to the first and a warning says by how much they disagree.
TEST(Monitoring, TwoBenchmarksThatDisagreeLeaveAWarning)
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}}, std::nullopt, kSigma, 0.05};
    const MonitoringResult result = Evaluated(
        settings, {SyntheticCycle("2024-05-01", kHeights), SyntheticCycle("2024-05-03", kHeights, {{"R2", 0.005}})});
    const CycleResult& second = result.cycles.at(1);
    ASSERT_EQ(second.disagreements.size(), 1u);
    EXPECT_EQ(second.disagreements[0].first, "R1");
    EXPECT_EQ(second.disagreements[0].second, "R2");
    EXPECT_NEAR(second.disagreements[0].difference, 0.005, 0.0003);
    EXPECT_EQ(second.stableBenchmarks, std::vector<std::string>{"R1"});
    EXPECT_TRUE(second.movedBenchmarks.empty());
}

// A cycle whose books leave a benchmark apart from the others is refused, naming both.
TEST(Monitoring, ABenchmarkApartFromTheOthersIsRefused)
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}}, std::nullopt, kSigma, 0.05};
    const CycleInput apart{"2024-05-02",
                           {{"a.DAT", SyntheticBook({{"R1", {"M1"}, "T1"}, {"T1", {}, "R1"}}, kHeights)},
                            {"b.DAT", SyntheticBook({{"R2", {}, "T2"}, {"T2", {}, "R2"}}, kHeights)}},
                           std::nullopt};
    MonitoringResult result;
    std::string error;
    EXPECT_FALSE(EvaluateMonitoring(settings, {SyntheticCycle("2024-05-01", kHeights), apart}, result, error));
    EXPECT_EQ(error, "cycle 2 (2024-05-02): benchmark R2 is not connected to benchmark R1");
}

// A cycle's runs are chosen as the network adjustment chooses them: numbers compared trimmed,
// and one that no book of the cycle holds refused, naming the cycle.
TEST(Monitoring, ACyclesRunsAreChosenAsTheAdjustmentChoosesThem)
{
    const MonitorSettings settings{{{"R1", 100.0}, {"R2", {}}}, std::nullopt, kSigma, 0.05};
    const struct {
        std::vector<std::string> runs;
        std::string error;
    } cases[] = {
        {{" 1 "}, ""},
        {{"1", "99"}, "cycle 1 (2024-05-01): run 99 is in none of its field books"},
    };
    for (const auto& c : cases) {
        CycleInput cycle = SyntheticCycle("2024-05-01", kHeights);
        cycle.runs = c.runs;
        MonitoringResult result;
        std::string error;
        EXPECT_EQ(EvaluateMonitoring(settings, {cycle}, result, error), c.error.empty()) << error;
        EXPECT_EQ(error, c.error);
    }
}

// The statistic of the congruence test is the same whichever benchmark is held.
TEST(Monitoring, CongruenceStatisticDoesNotDependOnTheHeldBenchmark)
{
    auto networkOf = [](const CycleInput& input, CycleNetwork& network, std::vector<RunStations>& runs) {
        RecordList records;
        ParseMeasurementText(input.books[0].bytes, records);
        runs = WalkAllRuns(records);
        std::string error;
        ASSERT_TRUE(BuildCycleNetwork({{"book", {&runs[0]}}},
                                      [](const std::string& p) { return p[0] == 'R' || p[0] == 'M'; },
                                      network, error))
            << error;
    };
    CycleNetwork first, cycle;
    std::vector<RunStations> firstRuns, cycleRuns;
    networkOf(SyntheticCycle("2024-05-01", kHeights), first, firstRuns);
    networkOf(SyntheticCycle("2024-05-02", kHeights, {{"R3", 0.002}, {"R2", -0.001}}), cycle, cycleRuns);
    auto shared = [&](const std::string& point, double base) {
        auto at = [&point](const CycleNetwork& n) {
            return static_cast<std::size_t>(std::find(n.points.begin(), n.points.end(), point) - n.points.begin());
        };
        return SharedBenchmark{point, at(cycle), at(first), base};
    };
    std::vector<double> statistics;
    for (const std::vector<SharedBenchmark>& order :
         {std::vector{shared("R1", 100), shared("R2", 100.8), shared("R3", 99.7)},
          std::vector{shared("R3", 0), shared("R1", 100), shared("R2", 100.8)},
          std::vector{shared("R2", 50), shared("R3", 99.7), shared("R1", 100)}}) {
        CongruenceTest test;
        std::string error;
        ASSERT_TRUE(TestCongruence(cycle, first, order, kSigma, 0.05, test, error)) << error;
        EXPECT_EQ(test.degreesOfFreedom, 2);
        statistics.push_back(test.statistic);
    }
    EXPECT_GT(statistics[0], 1.0);
    EXPECT_NEAR(statistics[1], statistics[0], 1e-6 * statistics[0]);
    EXPECT_NEAR(statistics[2], statistics[0], 1e-6 * statistics[0]);
}

}  // namespace
}  // namespace velmora
