// SPDX-License-Identifier: MIT
#include "network/NetworkAdjustment.h"

#include "NetworkGenerator.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace velmora {
namespace {

constexpr double kClassTwoSigma = 0.0025;  // m per √km: half of class II's 0.005

LevellingObservation Station(std::string run, std::string from, std::string to, double dh,
                             double length)
{
    LevellingObservation observation;
    observation.run = std::move(run);
    observation.from = std::move(from);
    observation.to = std::move(to);
    observation.heightDifference = dh;
    observation.length = length;
    return observation;
}

IntermediateSight Sight(std::string run, std::string from, std::string point, double dh,
                        double length, std::size_t observationsBefore)
{
    IntermediateSight sight;
    sight.run = std::move(run);
    sight.from = std::move(from);
    sight.point = std::move(point);
    sight.heightDifference = dh;
    sight.length = length;
    sight.observationsBefore = observationsBefore;
    return sight;
}

LevellingNetwork Network(std::vector<LevellingObservation> observations,
                         std::vector<IntermediateSight> intermediates = {})
{
    LevellingNetwork network;
    network.observations = std::move(observations);
    network.intermediates = std::move(intermediates);
    return network;
}

const AdjustedPoint& PointNamed(const NetworkAdjustment& result, const std::string& name)
{
    const auto it = std::find_if(result.points.begin(), result.points.end(),
                                 [&](const AdjustedPoint& p) { return p.point == name; });
    if (it == result.points.end())
        throw std::runtime_error("no point " + name);
    return *it;
}

// A (100) and B (101) fixed, run 1 from A over the turning point C to B, run 2 from A to B.
// Worked by hand: C = 100.495, v = −5, −5, +5 mm, vᵀPv = 62.5 mm², f = 2, σ₀ = √31.25 mm,
// C's cofactor is that of a point 1 km along a 2 km line between fixed ends, 1 × 1 / 2 = 0.5 km;
// q_vv = 0.5, 0.5, 2 km.
TEST(NetworkAdjustment, TriangleWithTwoFixedPointsWorkedByHand)
{
    const std::vector<LevellingObservation> observations = {
        Station("1", "A", "C", 0.500, 1000), Station("1", "C", "B", 0.510, 1000), Station("2", "A", "B", 0.995, 2000)};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(Network(observations), {{"A", 100}, {"B", 101}}, kClassTwoSigma, result, error))
        << error;

    ASSERT_EQ(result.points.size(), 3u);
    EXPECT_EQ(result.points[0].point, "A");  // nodes first, then turning points
    EXPECT_EQ(result.points[1].point, "B");
    EXPECT_EQ(result.points[2].point, "C");
    EXPECT_TRUE(result.points[0].fixed);
    EXPECT_EQ(result.points[2].kind, PointKind::turning);
    EXPECT_EQ(result.points[2].run, "1");
    EXPECT_EQ(result.points[2].station, 1u);
    EXPECT_FALSE(result.points[2].fixed);
    EXPECT_EQ(result.points[0].sections, 2);
    ASSERT_EQ(result.sections.size(), 2u);
    EXPECT_EQ(result.sections[0].observations, (std::vector<std::size_t>{0, 1}));
    EXPECT_NEAR(result.sections[0].heightDifference, 1.010, 1e-12);
    EXPECT_NEAR(result.sections[0].residual, -0.010, 1e-12);
    EXPECT_DOUBLE_EQ(result.points[0].height, 100);
    EXPECT_EQ(result.points[0].sigma, 0);
    EXPECT_NEAR(result.points[2].height, 100.495, 1e-12);
    EXPECT_NEAR(result.points[2].sigma, std::sqrt(31.25e-6 * 0.5), 1e-12);

    EXPECT_EQ(result.degreesOfFreedom, 2);
    EXPECT_NEAR(result.sigma0, std::sqrt(31.25e-6), 1e-12);
    ASSERT_EQ(result.observations.size(), 3u);
    const double expectedV[] = {-0.005, -0.005, 0.005};
    const double expectedQvv[] = {0.5, 0.5, 2};
    const double expectedL[] = {1, 1, 2};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(result.observations[i].index, static_cast<std::size_t>(i));
        EXPECT_NEAR(result.observations[i].residual, expectedV[i], 1e-12);
        EXPECT_NEAR(result.observations[i].redundancy, expectedQvv[i] / expectedL[i], 1e-12);
        EXPECT_NEAR(result.observations[i].w,
                    expectedV[i] / (kClassTwoSigma * std::sqrt(expectedQvv[i])), 1e-9);
        EXPECT_FALSE(result.observations[i].outlier);
    }
    // vᵀPv / σ² = 10 lies above the χ²(2) quantile at 0.975, 7.3778 (tables).
    EXPECT_NEAR(result.globalTest.statistic, 10, 1e-9);
    EXPECT_NEAR(result.globalTest.lower, 0.050636, 1e-6);
    EXPECT_NEAR(result.globalTest.upper, 7.377759, 1e-6);
    EXPECT_FALSE(result.globalTest.passed);
    EXPECT_TRUE(result.unreached.empty());
}

// A loop A→B→C→A of 0.5 + 0.5 + 1 km with A fixed and a misclosure of +6 mm: the residuals
// take it back in proportion to length, every station of the loop has the same w, and the
// redundancy numbers are the shares of the loop's length. B and C are turning points of the
// loop, a section from A to itself. The station B→C also sights Z, and the station C→A sights
// B once more: that sight is a point of its own, not the turning point B.
TEST(NetworkAdjustment, LoopWithOneFixedPointWorkedByHand)
{
    const std::vector<LevellingObservation> observations = {
        Station("7", "A", "B", 1.000, 500), Station("7", "B", "C", 2.000, 500), Station("7", "C", "A", -2.994, 1000)};
    const std::vector<IntermediateSight> intermediates = {Sight("7", "B", "Z", 0.200, 100, 1),
                                                          Sight("7", "C", "B", -1.9, 100, 2)};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(Network(observations, intermediates), {{"A", 10}}, kClassTwoSigma, result,
                              error))
        << error;
    ASSERT_EQ(result.points.size(), 5u);
    EXPECT_EQ(result.points[2].point, "Z");  // after its station's back point, before the fore
    EXPECT_EQ(result.points[2].kind, PointKind::intermediate);
    EXPECT_EQ(result.points[3].point, "C");
    EXPECT_EQ(result.points[4].point, "B");
    EXPECT_EQ(result.points[4].kind, PointKind::intermediate);
    EXPECT_NEAR(result.points[4].height, 12.997 - 1.9, 1e-12);
    ASSERT_EQ(result.sections.size(), 1u);
    EXPECT_EQ(result.sections[0].from, "A");
    EXPECT_EQ(result.sections[0].to, "A");
    EXPECT_NEAR(result.sections[0].residual, -0.006, 1e-12);
    EXPECT_EQ(result.points[0].sections, 2);  // a loop begins and ends there
    EXPECT_NEAR(PointNamed(result, "Z").height, 10.9985 + 0.2, 1e-12);
    EXPECT_NEAR(PointNamed(result, "Z").sigma, std::sqrt(18e-6 * (3.0 / 8 + 0.1)), 1e-12);
    EXPECT_FALSE(PointNamed(result, "Z").fixed);

    EXPECT_NEAR(PointNamed(result, "B").height, 10.9985, 1e-12);
    EXPECT_NEAR(PointNamed(result, "C").height, 12.997, 1e-12);
    // N = [[4, −2], [−2, 3]] per km, N⁻¹ = [[3/8, 1/4], [1/4, 1/2]].
    EXPECT_EQ(result.degreesOfFreedom, 1);
    EXPECT_NEAR(result.sigma0, std::sqrt(18e-6), 1e-12);
    EXPECT_NEAR(PointNamed(result, "B").sigma, std::sqrt(18e-6 * 3 / 8), 1e-12);
    EXPECT_NEAR(PointNamed(result, "C").sigma, std::sqrt(18e-6 / 2), 1e-12);
    const double expectedV[] = {-0.0015, -0.0015, -0.003};
    const double expectedR[] = {0.25, 0.25, 0.5};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(result.observations[i].residual, expectedV[i], 1e-12);
        EXPECT_NEAR(result.observations[i].redundancy, expectedR[i], 1e-12);
        // The loop's misclosure over σ √(loop length): 6 mm / (2.5 mm × √2).
        EXPECT_NEAR(result.observations[i].w, -0.006 / (kClassTwoSigma * std::sqrt(2.0)), 1e-9);
    }
    // χ²(1) at 0.025 and 0.975 (tables): 0.000982, 5.023886; 18 / 6.25 = 2.88 lies between.
    EXPECT_NEAR(result.globalTest.lower, 0.000982069, 1e-8);
    EXPECT_NEAR(result.globalTest.upper, 5.023886, 1e-6);
    EXPECT_TRUE(result.globalTest.passed);
}

// A station whose back and fore points carry one name checks that they are one point: its
// design row is zero, so it moves no height and adds its own misclosure to vᵀPv with one
// degree of freedom. The loop A→B→C→A of 0.4 + 0.6 + 1 km closes by +4 mm; the check on B
// reads +2 mm over 0.2 km.
TEST(NetworkAdjustment, SelfCheckStationIsAZeroRow)
{
    const std::vector<LevellingObservation> observations = {Station("1", "A", "B", 0.3000, 400),
                                                            Station("1", "B", "B", 0.0020, 200),
                                                            Station("1", "B", "C", 0.1000, 600),
                                                            Station("1", "C", "A", -0.3960, 1000)};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(Network(observations), {{"A", 10}}, kClassTwoSigma, result, error))
        << error;
    // The loop alone: −4 mm back in proportion to length, 0.4 / 2 and 1 / 2 of it.
    EXPECT_NEAR(PointNamed(result, "B").height, 10.3 - 0.0008, 1e-12);
    EXPECT_NEAR(PointNamed(result, "C").height, 10.4 - 0.002, 1e-12);
    EXPECT_EQ(result.degreesOfFreedom, 2);
    // vᵀPv = 16 / 2 + 4 / 0.2 = 28 mm².
    EXPECT_NEAR(result.sigma0, std::sqrt(28e-6 / 2), 1e-12);
    ASSERT_EQ(result.observations.size(), 4u);
    const AdjustedObservation& check = result.observations[1];
    EXPECT_NEAR(check.residual, -0.002, 1e-12);
    EXPECT_NEAR(check.redundancy, 1, 1e-12);
    EXPECT_NEAR(check.w, -0.002 / (kClassTwoSigma * std::sqrt(0.2)), 1e-9);

    // The same check as a run of its own at a node whose height is unknown.
    ASSERT_TRUE(AdjustNetwork(Network({Station("1", "A", "B", 1.000, 1000),
                                       Station("2", "B", "B", 0.002, 200),
                                       Station("3", "B", "A", -0.998, 1000)}),
                              {{"A", 10}}, kClassTwoSigma, result, error))
        << error;
    EXPECT_NEAR(PointNamed(result, "B").height, 10.999, 1e-12);
    EXPECT_EQ(result.degreesOfFreedom, 2);
    ASSERT_EQ(result.sections.size(), 3u);
    EXPECT_EQ(result.sections[1].from, "B");
    EXPECT_EQ(result.sections[1].to, "B");
}

// B is a node because run 2 starts there, so run 1 is split at B into two sections.
TEST(NetworkAdjustment, SpurIsNotCheckedAndPartsWithoutFixedPointAreReported)
{
    const std::vector<LevellingObservation> observations = {
        Station("1", "A", "B", 1.000, 500), Station("1", "B", "A", -1.002, 500),  // a checked double run
        Station("2", "B", "S", 0.300, 200),                                  // a spur: only it reaches S
        Station("3", "X", "Y", 0.100, 100), Station("3", "Y", "X", -0.101, 100)};   // no fixed point
    NetworkAdjustment result;
    std::string error;
    const std::vector<IntermediateSight> fromUnreached = {Sight("3", "X", "W", 0.5, 40, 3)};
    ASSERT_TRUE(AdjustNetwork(Network(observations, fromUnreached), {{"A", 5}, {"Q", 9}}, kClassTwoSigma,
                              result, error))
        << error;
    EXPECT_EQ(result.unreached, (std::vector<std::string>{"X"}));
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].kind, NetworkWarning::Kind::junction);
    EXPECT_EQ(result.warnings[0].point, "B");
    EXPECT_EQ(result.warnings[0].stations, (std::vector<std::size_t>{1}));
    ASSERT_EQ(result.points.size(), 3u);
    EXPECT_NEAR(PointNamed(result, "S").height, 5 + 1.001 + 0.3, 1e-12);
    ASSERT_EQ(result.observations.size(), 3u);  // the part without a fixed point takes no part
    EXPECT_EQ(result.degreesOfFreedom, 1);
    EXPECT_EQ(result.observations[2].index, 2u);
    EXPECT_FALSE(result.observations[2].controlled);
    EXPECT_FALSE(result.observations[2].outlier);
    EXPECT_NEAR(result.observations[2].residual, 0, 1e-12);
    EXPECT_TRUE(result.observations[0].controlled);
}

TEST(NetworkAdjustment, RefusesNetworksItCannotAdjust)
{
    NetworkAdjustment result;
    std::string error;
    const std::vector<LevellingObservation> loop = {Station("1", "A", "B", 1, 500),
                                                    Station("1", "B", "A", -1, 500)};
    EXPECT_FALSE(AdjustNetwork(Network(loop), {{"Z", 1}}, kClassTwoSigma, result, error));
    EXPECT_EQ(error, "no fixed point lies in the network");

    EXPECT_FALSE(AdjustNetwork(Network({Station("1", "A", "B", 1, 500), Station("1", "B", "C", 1, 500)}), {{"A", 1}},
                               kClassTwoSigma, result, error));
    EXPECT_EQ(error, "the network has no redundancy: 2 observed height differences for 2 unknown heights");

    EXPECT_FALSE(AdjustNetwork(Network({Station("4", "A", "B", 1, 0), Station("4", "B", "A", -1, 10)}), {{"A", 1}},
                               kClassTwoSigma, result, error));
    EXPECT_EQ(error, "the station from A to B in run 4 has no sight length");

    EXPECT_FALSE(AdjustNetwork(Network(loop), {{"A", 1}, {"A", 2}}, kClassTwoSigma, result, error));
    EXPECT_EQ(error, "point A is fixed twice");
}

// The generated network solved again with dense matrices, straight from the textbook
// formulas: N = AᵀPA, x = N⁻¹AᵀPl, Q_vv = P⁻¹ − A N⁻¹ Aᵀ.
struct DenseSolution {
    std::map<std::string, double> height;
    std::map<std::string, double> sigma;
    std::vector<double> residual;
    std::vector<double> qvv;
    double sigma0 = 0;
};

DenseSolution SolveDense(const testing::GeneratedNetwork& network)
{
    std::map<std::string, double> fixedHeight;
    for (const FixedHeight& fixed : network.fixedHeights)
        fixedHeight[fixed.point] = fixed.height;
    std::map<std::string, int> unknown;
    for (const std::string& point : network.points) {
        if (!fixedHeight.count(point))
            unknown.emplace(point, static_cast<int>(unknown.size()));
    }
    const auto m = static_cast<Eigen::Index>(network.observations.size());
    const auto u = static_cast<Eigen::Index>(unknown.size());
    Eigen::MatrixXd a = Eigen::MatrixXd::Zero(m, u);
    Eigen::VectorXd l(m);
    Eigen::VectorXd p(m);
    for (Eigen::Index i = 0; i < m; ++i) {
        const LevellingObservation& o = network.observations[i];
        l[i] = o.heightDifference;
        p[i] = 1000 / o.length;
        if (fixedHeight.count(o.to))
            l[i] -= fixedHeight[o.to];
        else
            a(i, unknown[o.to]) += 1;
        if (fixedHeight.count(o.from))
            l[i] += fixedHeight[o.from];
        else
            a(i, unknown[o.from]) -= 1;
    }
    const Eigen::MatrixXd n = a.transpose() * p.asDiagonal() * a;
    const Eigen::MatrixXd nInverse = n.inverse();
    const Eigen::VectorXd x = nInverse * a.transpose() * p.asDiagonal() * l;
    const Eigen::VectorXd v = a * x - l;
    const Eigen::MatrixXd qvv =
        Eigen::MatrixXd(p.cwiseInverse().asDiagonal()) - a * nInverse * a.transpose();
    DenseSolution dense;
    dense.sigma0 = std::sqrt(v.dot(p.asDiagonal() * v) / static_cast<double>(m - u));
    for (const auto& [point, j] : unknown) {
        dense.height[point] = x[j];
        dense.sigma[point] = dense.sigma0 * std::sqrt(nInverse(j, j));
    }
    for (Eigen::Index i = 0; i < m; ++i) {
        dense.residual.push_back(v[i]);
        dense.qvv.push_back(qvv(i, i));
    }
    return dense;
}

TEST(NetworkAdjustment, AgreesWithDenseSolutionAndFindsPlantedBlunder)
{
    testing::NetworkShape shape;  // 4 × 4 junctions, 24 runs of 5 stations, class I noise
    testing::GeneratedNetwork network = testing::GenerateNetwork(shape);
    const std::string blunderRun = "9";
    for (LevellingObservation& observation : network.observations) {
        if (observation.run == blunderRun) {
            observation.heightDifference += 0.012;
            break;
        }
    }
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(Network(network.observations), network.fixedHeights, shape.sigma, result, error))
        << error;
    const DenseSolution dense = SolveDense(network);

    EXPECT_NEAR(result.sigma0, dense.sigma0, 1e-12);
    EXPECT_EQ(result.degreesOfFreedom, 24 - 14);
    for (const AdjustedPoint& point : result.points) {
        if (point.fixed)
            continue;
        SCOPED_TRACE(point.point);
        EXPECT_NEAR(point.height, dense.height.at(point.point), 1e-9);
        EXPECT_NEAR(point.sigma, dense.sigma.at(point.point), 1e-12);
    }
    ASSERT_EQ(result.observations.size(), network.observations.size());
    double largestOther = 0;
    std::map<std::string, std::vector<const AdjustedObservation*>> byRun;
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        SCOPED_TRACE(adjusted.index);
        EXPECT_NEAR(adjusted.residual, dense.residual[adjusted.index], 1e-9);
        EXPECT_NEAR(adjusted.w,
                    dense.residual[adjusted.index] / (shape.sigma * std::sqrt(dense.qvv[adjusted.index])),
                    1e-6);
        byRun[observation.run].push_back(&adjusted);
        if (observation.run != blunderRun)
            largestOther = std::max(largestOther, std::abs(adjusted.w));
    }
    // The blunder's run is flagged, station by station, above every other.
    for (const AdjustedObservation* adjusted : byRun[blunderRun]) {
        EXPECT_TRUE(adjusted->outlier);
        EXPECT_GT(std::abs(adjusted->w), largestOther);
    }
    // Stations in series share their run's redundancy in proportion to length and have the
    // run's one w.
    for (const auto& [run, stations] : byRun) {
        SCOPED_TRACE(run);
        for (const AdjustedObservation* adjusted : stations) {
            EXPECT_NEAR(adjusted->w, stations.front()->w, 1e-9);
            EXPECT_NEAR(adjusted->redundancy, stations.front()->redundancy, 1e-9);
        }
    }
}

}  // namespace
}  // namespace velmora
