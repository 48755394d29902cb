// SPDX-License-Identifier: MIT
// Settlement monitoring on the real field books, read where they stand.
#include "monitor/Monitoring.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "network/NetworkObservations.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

// The books that exist of these names in the real books' folder.
std::vector<std::string> RealBooks(const std::vector<std::string>& names)
{
    std::vector<std::string> books;
    for (const std::string& name : names) {
        const std::string path = testing::RealFieldBooksFolder() + "/" + name;
        if (std::filesystem::exists(path))
            books.push_back(path);
    }
    return books;
}

CycleBook BookAt(const std::string& path)
{
    return {std::filesystem::path(path).filename().string(), testing::ReadWholeFile(path)};
}

const double kClassTwoSigma = SigmaOfClass(CoefficientOf(ToleranceClass::II));

// A cycle without intermediate sights is `adjust`'s network: every node height and σ₀ agree.
TEST(MonitoringRealBooks, CycleWithoutIntermediateSightsIsTheNetworkAdjustment)
{
    const std::vector<std::string> books = RealBooks({"nivtropy_PUSH0809.DAT"});
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    const CycleBook book = BookAt(books[0]);
    RecordList records;
    ParseMeasurementText(book.bytes, records);
    const std::vector<RunStations> runs = WalkAllRuns(records);
    LevellingNetwork network;
    std::vector<const RunStations*> all;
    for (const RunStations& run : runs)
        all.push_back(&run);
    std::string error;
    ASSERT_TRUE(NetworkOfRuns(records, all, 0, network, error)) << error;
    NetworkAdjustment adjusted;
    ASSERT_TRUE(AdjustNetwork(network, {{"46", 100.0}}, kClassTwoSigma, adjusted, error)) << error;

    MonitoringResult result;
    ASSERT_TRUE(EvaluateMonitoring({{{"46", 100.0}}, std::nullopt, kClassTwoSigma, 0.05},
                                   {{"2020-09-08", {book}, std::nullopt}}, result, error))
        << error;
    EXPECT_EQ(result.cycles.at(0).degreesOfFreedom, adjusted.degreesOfFreedom);
    EXPECT_NEAR(result.cycles.at(0).sigma0, adjusted.sigma0, 1e-9);
    int nodes = 0;
    for (const AdjustedPoint& point : adjusted.points) {
        if (point.kind != PointKind::node || point.fixed)
            continue;
        ++nodes;
        const MonitoredPoint* found = nullptr;
        for (const MonitoredPoint& monitored : result.points)
            found = monitored.point == point.point ? &monitored : found;
        ASSERT_TRUE(found) << point.point;
        EXPECT_NEAR(found->cycles.at(0).height, point.height, 1e-8) << point.point;
    }
    EXPECT_GT(nodes, 0);
}

// The five cycles of the grouting works: B04 and B05 went down in the first two days, more than
// the measuring error; the benchmarks stayed; the open run of December reaches all three.
TEST(MonitoringRealBooks, GroutingCyclesShowTheSettlementOfB04AndB05)
{
    const std::vector<std::string> books =
        RealBooks({"ctu-yobp_2022-b_KO220302_injektaze_orig.DAT", "ctu-yobp_2022-b_KO220304.DAT",
                   "ctu-yobp_2022-b_NI220305.DAT", "ctu-yobp_2022-b_KO220307.DAT",
                   "ctu-yobp_2022-b_NI221202.DAT"});
    if (books.size() < 5)
        VELMORA_REQUIRE_REAL_FIELD_BOOKS(std::vector<std::string>{});
    const std::vector<std::string> dates = {"2022-03-02", "2022-03-04", "2022-03-05", "2022-03-07",
                                            "2022-12-02"};
    std::vector<CycleInput> cycles;
    for (std::size_t i = 0; i < books.size(); ++i)
        cycles.push_back({dates[i], {BookAt(books[i])}, std::nullopt});
    MonitoringResult result;
    std::string error;
    ASSERT_TRUE(EvaluateMonitoring({{{"F2", 10.0}, {"F4", {}}, {"F5", {}}}, std::nullopt,
                                    kClassTwoSigma, 0.05},
                                   cycles, result, error))
        << error;
    ASSERT_EQ(result.cycles.size(), 5u);
    // The book of 4 March does not reach F5.
    const std::vector<std::vector<std::string>> stable = {
        {"F2"}, {"F2", "F4"}, {"F2", "F4", "F5"}, {"F2", "F4", "F5"}, {"F2", "F4", "F5"}};
    for (const CycleResult& cycle : result.cycles) {
        EXPECT_TRUE(cycle.movedBenchmarks.empty()) << cycle.date;
        EXPECT_TRUE(cycle.disagreements.empty()) << cycle.date;
        EXPECT_EQ(cycle.stableBenchmarks, stable[cycle.number - 1]) << cycle.date;
        EXPECT_EQ(cycle.congruence.has_value(), cycle.number > 1) << cycle.date;
    }
    auto sinceFirst = [&result](const std::string& name, int cycle) {
        for (const MonitoredPoint& point : result.points) {
            for (const PointInCycle& at : point.cycles) {
                if (point.point == name && at.cycle == cycle)
                    return at;
            }
        }
        throw std::runtime_error(name + " not in cycle " + std::to_string(cycle));
    };
    EXPECT_NEAR(sinceFirst("B04", 2).sinceFirst, -0.0023, 0.0003);
    EXPECT_NEAR(sinceFirst("B05", 2).sinceFirst, -0.0029, 0.0003);
    EXPECT_TRUE(sinceFirst("B04", 2).significant);
    EXPECT_TRUE(sinceFirst("B05", 2).significant);
}

}  // namespace
}  // namespace velmora
