// SPDX-License-Identifier: MIT
// Nodes, turning points and sections: a number reused for turning points never joins two
// places, a node in the middle of a run splits it, and adjusting the sections gives what an
// independent least-squares solution gives.

#include "network/NetworkAdjustment.h"
#include "network/NetworkObservations.h"

#include "FieldBookLines.h"
#include "NetworkGenerator.h"
#include "fieldbook/MeasurementFile.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace velmora {
namespace {

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

LevellingNetwork Network(std::vector<LevellingObservation> observations)
{
    LevellingNetwork network;
    network.observations = std::move(observations);
    return network;
}

const AdjustedPoint& Node(const NetworkAdjustment& result, const std::string& name)
{
    const auto it = std::find_if(result.points.begin(), result.points.end(), [&](const auto& p) {
        return p.kind == PointKind::node && p.point == name;
    });
    if (it == result.points.end())
        throw std::runtime_error("no node " + name);
    return *it;
}

// Renaming the turning points of the generated network to numbers that every run uses again,
// twice within each run, changes no number of the adjustment: the places stay apart.
TEST(NetworkSections, ReusedTurningNumbersJoinNoPlaces)
{
    testing::NetworkShape shape;
    shape.stationsPerRun = 6;
    const testing::GeneratedNetwork generated = testing::GenerateNetwork(shape);
    LevellingNetwork renamed = Network(generated.observations);
    const auto turningName = [](const std::string& name) {
        const auto dash = name.find('-');
        // 1, 2, 3, 1, 2: the fourth turning point of a run carries the first one's number.
        return dash == std::string::npos
                   ? name
                   : "TP" + std::to_string((std::stoi(name.substr(dash + 1)) - 1) % 3 + 1);
    };
    for (LevellingObservation& observation : renamed.observations) {
        observation.from = turningName(observation.from);
        observation.to = turningName(observation.to);
    }
    NetworkAdjustment original, reused;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(Network(generated.observations), generated.fixedHeights, shape.sigma,
                              original, error))
        << error;
    ASSERT_TRUE(AdjustNetwork(renamed, generated.fixedHeights, shape.sigma, reused, error))
        << error;
    EXPECT_EQ(reused.degreesOfFreedom, original.degreesOfFreedom);
    EXPECT_NEAR(reused.sigma0, original.sigma0, 1e-15);
    ASSERT_EQ(reused.points.size(), original.points.size());
    for (std::size_t k = 0; k < reused.points.size(); ++k) {
        SCOPED_TRACE(original.points[k].point);
        EXPECT_EQ(reused.points[k].point, turningName(original.points[k].point));
        EXPECT_EQ(reused.points[k].height, original.points[k].height);
        EXPECT_EQ(reused.points[k].sigma, original.points[k].sigma);
    }
    ASSERT_EQ(reused.observations.size(), original.observations.size());
    for (std::size_t i = 0; i < reused.observations.size(); ++i)
        EXPECT_EQ(reused.observations[i].residual, original.observations[i].residual);
    // Each run reuses TP1 and TP2 once: two warnings per run, none in the original.
    EXPECT_TRUE(original.warnings.empty());
    ASSERT_EQ(reused.warnings.size(), 2 * generated.runs.size());
    EXPECT_EQ(reused.warnings[0].kind, NetworkWarning::Kind::reusedNumber);
    EXPECT_EQ(reused.warnings[0].point, "TP1");
    EXPECT_EQ(reused.warnings[0].stations, (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(reused.warnings[1].point, "TP2");
    EXPECT_FALSE(reused.warnings[1].instrumentHeightDifference);
}

// A (fixed) to B over turning point 7, B back to A over turning point 7 of another place; run 2
// from C to B. B is a node (run 2 ends there), so run 1 is split at B; C is reached only by
// run 2 (a spur). The turning points 7 are two places: the first at 10.5, the other at 10.7.
TEST(NetworkSections, NodeInTheMiddleOfARunSplitsIt)
{
    NetworkAdjustment result;
    std::string error;
    LevellingNetwork network = Network({Station("1", "A", "7", 0.5, 100),
                                        Station("1", "7", "B", 0.5, 100),
                                        Station("1", "B", "7", -0.3, 100),
                                        Station("1", "7", "A", -0.7, 100),
                                        Station("2", "C", "B", 0.2, 100)});
    network.observations[0].toInstrumentHeight = 100.5;
    network.observations[2].toInstrumentHeight = 100.7;
    ASSERT_TRUE(AdjustNetwork(network, {{"A", 10}}, 0.001, result, error)) << error;
    ASSERT_EQ(result.sections.size(), 3u);
    EXPECT_EQ(result.sections[0].to, "B");
    EXPECT_EQ(result.sections[1].from, "B");
    EXPECT_EQ(result.sections[1].observations, (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(result.degreesOfFreedom, 1);
    EXPECT_NEAR(Node(result, "B").height, 11, 1e-12);
    EXPECT_NEAR(Node(result, "C").height, 10.8, 1e-12);
    EXPECT_EQ(Node(result, "B").sections, 3);
    std::vector<double> turning;
    for (const AdjustedPoint& point : result.points) {
        if (point.kind == PointKind::turning)
            turning.push_back(point.height);
    }
    ASSERT_EQ(turning.size(), 2u);
    EXPECT_NEAR(turning[0], 10.5, 1e-12);
    EXPECT_NEAR(turning[1], 10.7, 1e-12);
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_EQ(result.warnings[0].kind, NetworkWarning::Kind::junction);
    EXPECT_EQ(result.warnings[0].stations, (std::vector<std::size_t>{2}));
    EXPECT_EQ(result.warnings[1].kind, NetworkWarning::Kind::reusedNumber);
    EXPECT_EQ(result.warnings[1].stations, (std::vector<std::size_t>{1, 3}));
    ASSERT_TRUE(result.warnings[1].instrumentHeightDifference);
    EXPECT_NEAR(*result.warnings[1].instrumentHeightDifference, 0.2, 1e-9);

    // Named as a node, B is split without a warning; named as nodes, the two 7s are one place.
    network.nodes = {"B", "7"};
    ASSERT_TRUE(AdjustNetwork(network, {{"A", 10}}, 0.001, result, error)) << error;
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.sections.size(), 5u);
    EXPECT_EQ(result.degreesOfFreedom, 5 - 3);
}

// The sections adjusted again with dense normal equations, straight from the textbook: every
// section from a node to another is a row of A, a loop is a zero row.
struct DenseSections {
    std::map<std::string, double> height;
    double sigma0 = 0;
    long dof = 0;
};

DenseSections SolveSectionsDense(const NetworkAdjustment& result,
                                 const std::vector<FixedHeight>& fixedHeights)
{
    std::map<std::string, double> fixed;
    for (const FixedHeight& known : fixedHeights)
        fixed[known.point] = known.height;
    std::map<std::string, int> unknown;
    for (const AdjustedSection& section : result.sections) {
        for (const std::string& point : {section.from, section.to}) {
            if (!fixed.count(point))
                unknown.emplace(point, static_cast<int>(unknown.size()));
        }
    }
    const auto m = static_cast<Eigen::Index>(result.sections.size());
    const auto u = static_cast<Eigen::Index>(unknown.size());
    Eigen::MatrixXd a = Eigen::MatrixXd::Zero(m, u);
    Eigen::VectorXd l(m), p(m);
    for (Eigen::Index i = 0; i < m; ++i) {
        const AdjustedSection& section = result.sections[i];
        l[i] = section.heightDifference;
        p[i] = 1000 / section.length;
        if (fixed.count(section.to))
            l[i] -= fixed[section.to];
        else
            a(i, unknown[section.to]) += 1;
        if (fixed.count(section.from))
            l[i] += fixed[section.from];
        else
            a(i, unknown[section.from]) -= 1;
    }
    const Eigen::MatrixXd n = a.transpose() * p.asDiagonal() * a;
    const Eigen::VectorXd x = n.ldlt().solve(a.transpose() * p.asDiagonal() * l);
    const Eigen::VectorXd v = a * x - l;
    DenseSections dense;
    dense.dof = static_cast<long>(m - u);
    dense.sigma0 = std::sqrt(v.dot(p.asDiagonal() * v) / static_cast<double>(dense.dof));
    for (const auto& [point, j] : unknown)
        dense.height[point] = x[j];
    for (const auto& [point, height] : fixed)
        dense.height[point] = height;
    return dense;
}

void ExpectDenseAgreement(const NetworkAdjustment& result,
                          const std::vector<FixedHeight>& fixedHeights)
{
    const DenseSections dense = SolveSectionsDense(result, fixedHeights);
    EXPECT_EQ(result.degreesOfFreedom, dense.dof);
    EXPECT_NEAR(result.sigma0, dense.sigma0, 1e-9);
    for (const AdjustedPoint& point : result.points) {
        if (point.kind == PointKind::node) {
            EXPECT_NEAR(point.height, dense.height.at(point.point), 1e-6) << point.point;
        }
    }
    // Each section's stations carry its whole correction, in proportion to length.
    for (const AdjustedSection& section : result.sections) {
        double sum = 0;
        for (const AdjustedObservation& station : result.observations) {
            if (&result.sections[station.section] == &section)
                sum += station.residual;
        }
        EXPECT_NEAR(sum, section.residual, 1e-12);
    }
}

// The books read as the command-line tool reads them, each book's runs in order.
LevellingNetwork NetworkOfBooks(const std::vector<std::string>& paths)
{
    LevellingNetwork network;
    network.books.clear();
    for (const std::string& path : paths) {
        RecordList records;
        std::string error;
        EXPECT_TRUE(ReadMeasurementFile(path, records, error)) << error;
        const std::vector<RunStations> runs = WalkAllRuns(records);
        std::vector<const RunStations*> all;
        for (const RunStations& run : runs)
            all.push_back(&run);
        network.books.push_back(path.substr(path.find_last_of('/') + 1));
        EXPECT_TRUE(NetworkOfRuns(records, all, network.books.size() - 1, network, error))
            << error;
    }
    return network;
}

std::vector<std::string> BooksNamed(const std::string& part)
{
    std::vector<std::string> named;
    for (const std::string& book : testing::RealFieldBooks()) {
        if (book.find(part) != std::string::npos)
            named.push_back(book);
    }
    return named;
}

// One book of two runs: 0210 from 46 through 21 back to 46, 0212 a loop from 21 that closes
// by −38.5 mm. Run 0210 uses 1016 and 1020 for two places each.
TEST(NetworkSections, RealBookWithReusedTurningNumbers)
{
    const std::vector<std::string> books = BooksNamed("PUSH0809");
    if (books.empty())
        GTEST_SKIP() << "no real field books in ../shared/samples/public or VELMORA_FIELD_BOOKS";
    const LevellingNetwork network = NetworkOfBooks(books);
    const std::vector<FixedHeight> fixed = {{"46", 100}};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(network, fixed, 0.0025, result, error)) << error;
    ASSERT_EQ(result.sections.size(), 3u);
    EXPECT_EQ(result.sections[0].from + ">" + result.sections[0].to, "46>21");
    EXPECT_EQ(result.sections[1].from + ">" + result.sections[1].to, "21>46");
    EXPECT_EQ(result.sections[2].from + ">" + result.sections[2].to, "21>21");
    EXPECT_EQ(result.degreesOfFreedom, 2);
    EXPECT_NEAR(result.sigma0, 0.024, 0.001);
    EXPECT_NEAR(result.sections[2].heightDifference, -0.0385, 1e-9);
    EXPECT_FALSE(result.sections[0].outlier);
    EXPECT_FALSE(result.sections[1].outlier);
    EXPECT_TRUE(result.sections[2].outlier);
    std::vector<std::string> reused;
    for (const NetworkWarning& warning : result.warnings) {
        if (warning.kind == NetworkWarning::Kind::reusedNumber)
            reused.push_back(warning.run + ":" + warning.point);
    }
    EXPECT_EQ(reused, (std::vector<std::string>{"0210:1016", "0210:1020"}));
    // The instrument's own heights show that 1016 stands for two places and 1020 for one.
    EXPECT_NEAR(*result.warnings[1].instrumentHeightDifference, 0.1672, 1e-9);
    EXPECT_NEAR(*result.warnings[2].instrumentHeightDifference, 0.0001, 1e-9);
    ExpectDenseAgreement(result, fixed);
}

// Five books of one loop measured on different days, every one with run KO1 from benchmark F2;
// one is an open line to F5. One degree of freedom per closed loop.
TEST(NetworkSections, BooksOfSeveralDaysAdjustTogether)
{
    const std::vector<std::string> books = BooksNamed("ctu-yobp");
    if (books.size() < 2)
        GTEST_SKIP() << "no real field books in ../shared/samples/public or VELMORA_FIELD_BOOKS";
    const LevellingNetwork network = NetworkOfBooks(books);
    const std::vector<FixedHeight> fixed = {{"F2", 100}};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(network, fixed, 0.0025, result, error)) << error;
    long loops = 0;
    for (const AdjustedSection& section : result.sections)
        loops += section.from == section.to;
    EXPECT_GE(loops, 4);
    EXPECT_EQ(result.degreesOfFreedom, loops);
    EXPECT_EQ(result.sections.size(), books.size());
    ExpectDenseAgreement(result, fixed);
}

TEST(NetworkSections, EveryRealBookAgreesWithDenseSections)
{
    const std::vector<std::string> books = testing::RealFieldBooks();
    if (books.empty())
        GTEST_SKIP() << "no real field books in ../shared/samples/public or VELMORA_FIELD_BOOKS";
    int compared = 0;
    for (const std::string& book : books) {
        SCOPED_TRACE(book);
        const LevellingNetwork network = NetworkOfBooks({book});
        if (network.observations.empty())
            continue;
        const std::vector<FixedHeight> fixed = {{network.observations.front().from, 100}};
        NetworkAdjustment result;
        std::string error;
        if (!AdjustNetwork(network, fixed, 0.0025, result, error))
            continue;  // a single open line has no redundancy
        // Sections ending at a turning point (a broken run) are keyed by more than their name.
        const bool nodesOnly = std::all_of(
            result.sections.begin(), result.sections.end(), [&](const AdjustedSection& s) {
                return std::any_of(result.points.begin(), result.points.end(), [&](const auto& p) {
                           return p.kind == PointKind::node && p.point == s.from;
                       }) &&
                       std::any_of(result.points.begin(), result.points.end(), [&](const auto& p) {
                           return p.kind == PointKind::node && p.point == s.to;
                       });
            });
        if (!nodesOnly)
            continue;
        ExpectDenseAgreement(result, fixed);
        ++compared;
    }
    EXPECT_GE(compared, 6);
}

}  // namespace
}  // namespace velmora
