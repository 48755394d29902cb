// SPDX-License-Identifier: MIT
#include "monitor/CycleAdjustment.h"

#include "fieldbook/Translation.h"
#include "network/SelectedInverse.h"
#include "runs/ToleranceClass.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace velmora {

namespace {

constexpr int kNotUnknown = -1;
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Union-find over the stations (0 … S−1) and points (S …): which of them the held points reach.
std::vector<char> ReachedPoints(const CycleNetwork& network, const std::vector<HeldPoint>& held,
                                std::vector<char>& reachedStations)
{
    const std::size_t stations = network.stations;
    std::vector<std::size_t> parent(stations + network.points.size());
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    auto root = [&parent](std::size_t n) {
        while (parent[n] != n)
            n = parent[n] = parent[parent[n]];
        return n;
    };
    for (const SightEquation& sight : network.sights)
        parent[root(sight.station)] = root(stations + sight.point);
    std::vector<char> heldRoot(parent.size(), 0);
    for (const HeldPoint& point : held)
        heldRoot[root(stations + point.point)] = 1;
    reachedStations.assign(stations, 0);
    for (std::size_t s = 0; s < stations; ++s)
        reachedStations[s] = heldRoot[root(s)];
    std::vector<char> reached(network.points.size(), 0);
    for (std::size_t p = 0; p < reached.size(); ++p)
        reached[p] = heldRoot[root(stations + p)];
    return reached;
}

struct Equations {
    std::vector<int> stationUnknown;
    std::vector<int> pointUnknown;
    std::vector<double> heldHeight;  // per point, relative to the first held height; NaN if free
    int count = 0;
};

// Numbers the unknowns. Heights are taken relative to the first held point, so that the
// solution works on differences of a few metres whatever the benchmarks' heights are.
Equations NumberUnknowns(const CycleNetwork& network, const std::vector<HeldPoint>& held,
                         const std::vector<char>& reachedStations, const std::vector<char>& reached)
{
    Equations e;
    e.heldHeight.assign(network.points.size(), kNoValue);
    for (const HeldPoint& point : held)
        e.heldHeight[point.point] = point.height - held.front().height;
    e.stationUnknown.assign(network.stations, kNotUnknown);
    for (std::size_t s = 0; s < network.stations; ++s) {
        if (reachedStations[s])
            e.stationUnknown[s] = e.count++;
    }
    e.pointUnknown.assign(network.points.size(), kNotUnknown);
    for (std::size_t p = 0; p < network.points.size(); ++p) {
        if (reached[p] && std::isnan(e.heldHeight[p]))
            e.pointUnknown[p] = e.count++;
    }
    return e;
}

// l = reading (+ the held height of the sighted point): HI − H(point) = l.
double ReducedReading(const Equations& e, const SightEquation& sight)
{
    const double held = e.heldHeight[sight.point];
    return sight.reading + (std::isnan(held) ? 0.0 : held);
}

double WeightOf(const SightEquation& sight)
{
    return 1.0 / (sight.distance * kKilometresPerMetre);
}

void FillSolution(const CycleNetwork& network, const std::vector<HeldPoint>& held,
                  const Equations& e, const Eigen::VectorXd& x, CycleSolution& solution)
{
    const double base = held.front().height;
    solution.height.assign(network.points.size(), kNoValue);
    solution.cofactor.assign(network.points.size(), kNoValue);
    for (std::size_t p = 0; p < network.points.size(); ++p) {
        if (!solution.reached[p])
            continue;
        const int u = e.pointUnknown[p];
        solution.height[p] = base + (u == kNotUnknown ? e.heldHeight[p] : x[u]);
        if (u == kNotUnknown)
            solution.cofactor[p] = 0;
    }
    long observations = 0;
    solution.weightedSquares = 0;
    for (const SightEquation& sight : network.sights) {
        const int s = e.stationUnknown[sight.station];
        if (s == kNotUnknown)
            continue;
        const int p = e.pointUnknown[sight.point];
        const double v = x[s] - (p == kNotUnknown ? 0.0 : x[p]) - ReducedReading(e, sight);
        solution.weightedSquares += WeightOf(sight) * v * v;
        ++observations;
    }
    solution.degreesOfFreedom = observations - e.count;
}

// The cofactors of the heights (the diagonal of N⁻¹) and the joint block asked for.
void FillCofactors(const Equations& e, const SelectedInverse::Factor& factor,
                   const std::vector<std::size_t>& joint, CycleSolution& solution)
{
    const SelectedInverse inverse(factor);
    for (std::size_t p = 0; p < e.pointUnknown.size(); ++p) {
        if (e.pointUnknown[p] != kNotUnknown)
            solution.cofactor[p] = inverse.At(e.pointUnknown[p], e.pointUnknown[p]);
    }
    const auto n = static_cast<Eigen::Index>(joint.size());
    solution.jointCofactor = Eigen::MatrixXd::Zero(n, n);
    for (Eigen::Index j = 0; j < n; ++j) {
        const int column = e.pointUnknown[joint[j]];
        if (column == kNotUnknown)
            continue;
        Eigen::VectorXd unit = Eigen::VectorXd::Zero(e.count);
        unit[column] = 1;
        const Eigen::VectorXd inverseColumn = factor.solve(unit);
        for (Eigen::Index i = 0; i < n; ++i) {
            const int row = e.pointUnknown[joint[i]];
            if (row != kNotUnknown)
                solution.jointCofactor(i, j) = inverseColumn[row];
        }
    }
}

}  // namespace

double CycleSolution::Sigma0() const
{
    if (degreesOfFreedom <= 0)
        return kNoValue;
    return std::sqrt(weightedSquares / static_cast<double>(degreesOfFreedom));
}

bool SolveCycle(const CycleNetwork& network, const std::vector<HeldPoint>& held,
                const std::vector<std::size_t>& joint, CycleSolution& solution, std::string& error)
{
    if (held.empty()) {
        error = Tr("no benchmark of the cycle is held");
        return false;
    }
    std::vector<char> reachedStations;
    solution.reached = ReachedPoints(network, held, reachedStations);
    const Equations e = NumberUnknowns(network, held, reachedStations, solution.reached);
    std::vector<Eigen::Triplet<double>> triplets;
    Eigen::VectorXd rhs = Eigen::VectorXd::Zero(e.count);
    for (const SightEquation& sight : network.sights) {
        const int s = e.stationUnknown[sight.station];
        if (s == kNotUnknown)
            continue;
        const int p = e.pointUnknown[sight.point];
        const double w = WeightOf(sight);
        const double l = ReducedReading(e, sight);
        triplets.emplace_back(s, s, w);
        rhs[s] += w * l;
        if (p == kNotUnknown)
            continue;
        triplets.emplace_back(p, p, w);
        triplets.emplace_back(std::max(s, p), std::min(s, p), -w);
        rhs[p] -= w * l;
    }
    Eigen::SparseMatrix<double> normal(e.count, e.count);
    normal.setFromTriplets(triplets.begin(), triplets.end());
    const SelectedInverse::Factor factor(normal);
    if (e.count > 0 && (factor.info() != Eigen::Success || (factor.vectorD().array() <= 0).any())) {
        error = Tr("the normal equations cannot be solved");
        return false;
    }
    const Eigen::VectorXd x = e.count > 0 ? Eigen::VectorXd(factor.solve(rhs)) : Eigen::VectorXd();
    FillSolution(network, held, e, x, solution);
    if (e.count > 0)
        FillCofactors(e, factor, joint, solution);
    else
        solution.jointCofactor = Eigen::MatrixXd::Zero(joint.size(), joint.size());
    return true;
}

}  // namespace velmora
