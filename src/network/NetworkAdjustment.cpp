// SPDX-License-Identifier: MIT
#include "network/NetworkAdjustment.h"

#include "network/SelectedInverse.h"
#include "runs/LevellingRun.h"

#include <boost/math/distributions/chi_squared.hpp>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <unordered_map>

namespace velmora {

namespace {

// Below this redundancy number the network does not check an observation (a spur to a point
// that only it reaches): its residual is zero up to rounding and w is not defined.
constexpr double kMinRedundancy = 1e-6;

constexpr int kNotUnknown = -1;

std::string Describe(const LevellingObservation& observation)
{
    return "the station from " + observation.from + " to " + observation.to + " in run " +
           observation.run;
}

// The network's points, numbered in order of first appearance.
struct PointTable {
    std::unordered_map<std::string, int> index;
    std::vector<const std::string*> names;

    int Add(const std::string& point)
    {
        const auto [it, added] = index.emplace(point, static_cast<int>(names.size()));
        if (added)
            names.push_back(&it->first);
        return it->second;
    }
};

}  // namespace

bool AdjustNetwork(const LevellingNetwork& network, const std::vector<FixedHeight>& fixedHeights,
                   double sigma, NetworkAdjustment& result, std::string& error)
{
    result = NetworkAdjustment{};
    result.sigma = sigma;
    if (!(sigma > 0) || !std::isfinite(sigma)) {
        error = "the a-priori standard deviation must be a positive number";
        return false;
    }
    const std::vector<LevellingObservation>& observations = network.observations;
    const std::vector<IntermediateSight>& intermediates = network.intermediates;
    for (const IntermediateSight& sight : intermediates) {
        if (!std::isfinite(sight.heightDifference) || !std::isfinite(sight.length)) {
            error = "the intermediate sight from " + sight.from + " to " + sight.point +
                    " in run " + sight.run + " is no number";
            return false;
        }
    }

    // Points in order of first appearance: a station's back point, the intermediate sights
    // taken before its foresight, its fore point.
    PointTable table;
    std::vector<int> from(observations.size());
    std::vector<int> to(observations.size());
    std::vector<int> sightFrom(intermediates.size());
    std::vector<int> sightPoint(intermediates.size());
    std::size_t nextSight = 0;
    const auto addSightsBefore = [&](std::size_t i) {
        for (; nextSight < intermediates.size() &&
               intermediates[nextSight].observationsBefore <= i;
             ++nextSight) {
            sightFrom[nextSight] = table.Add(intermediates[nextSight].from);
            sightPoint[nextSight] = table.Add(intermediates[nextSight].point);
        }
    };
    for (std::size_t i = 0; i < observations.size(); ++i) {
        const LevellingObservation& observation = observations[i];
        if (!std::isfinite(observation.heightDifference)) {
            error = Describe(observation) + " has no height difference";
            return false;
        }
        // A weight of 1/L needs a length: a station without one would hold its points together
        // with infinite weight.
        if (!(observation.length > 0) || !std::isfinite(observation.length)) {
            error = Describe(observation) + " has no sight length";
            return false;
        }
        from[i] = table.Add(observation.from);
        addSightsBefore(i);
        to[i] = table.Add(observation.to);
    }
    addSightsBefore(observations.size());
    const int pointCount = static_cast<int>(table.names.size());

    std::vector<double> height(pointCount, 0.0);
    std::vector<char> fixed(pointCount, 0);
    std::vector<char> reached(pointCount, 0);
    std::deque<int> queue;
    for (const FixedHeight& known : fixedHeights) {
        if (!std::isfinite(known.height)) {
            error = "the height of fixed point " + known.point + " is no number";
            return false;
        }
        const auto it = table.index.find(known.point);
        if (it == table.index.end())
            continue;
        if (fixed[it->second]) {
            error = "point " + known.point + " is fixed twice";
            return false;
        }
        fixed[it->second] = 1;
        reached[it->second] = 1;
        height[it->second] = known.height;
        queue.push_back(it->second);
    }
    bool fixedInNetwork = false;
    for (std::size_t i = 0; i < observations.size() && !fixedInNetwork; ++i)
        fixedInNetwork = fixed[from[i]] || fixed[to[i]];
    if (!fixedInNetwork) {
        error = "no fixed point lies in the network";
        return false;
    }

    // Approximate heights along a spanning tree from the fixed points: the adjustment then
    // solves for small corrections, which keeps the heights of a few hundred metres out of
    // the normal equations. Points no fixed point reaches keep reached = 0.
    std::vector<int> adjacencyStart(pointCount + 1, 0);
    for (std::size_t i = 0; i < observations.size(); ++i) {
        ++adjacencyStart[from[i] + 1];
        ++adjacencyStart[to[i] + 1];
    }
    for (int k = 0; k < pointCount; ++k)
        adjacencyStart[k + 1] += adjacencyStart[k];
    std::vector<int> adjacency(adjacencyStart.back());
    {
        std::vector<int> fill(adjacencyStart.begin(), adjacencyStart.end() - 1);
        for (std::size_t i = 0; i < observations.size(); ++i) {
            adjacency[fill[from[i]]++] = static_cast<int>(i);
            adjacency[fill[to[i]]++] = static_cast<int>(i);
        }
    }
    while (!queue.empty()) {
        const int point = queue.front();
        queue.pop_front();
        for (int k = adjacencyStart[point]; k < adjacencyStart[point + 1]; ++k) {
            const int i = adjacency[k];
            const bool forward = from[i] == point;
            const int other = forward ? to[i] : from[i];
            if (reached[other])
                continue;
            const double dh = observations[i].heightDifference;
            height[other] = forward ? height[point] + dh : height[point] - dh;
            reached[other] = 1;
            queue.push_back(other);
        }
    }

    std::vector<int> unknown(pointCount, kNotUnknown);
    int unknownCount = 0;
    for (int k = 0; k < pointCount; ++k) {
        if (reached[k] && !fixed[k])
            unknown[k] = unknownCount++;
    }
    std::vector<std::size_t> taking;
    for (std::size_t i = 0; i < observations.size(); ++i) {
        if (reached[from[i]])
            taking.push_back(i);
    }
    const long dof = static_cast<long>(taking.size()) - unknownCount;
    if (dof <= 0) {
        error = "the network has no redundancy: " + std::to_string(taking.size()) +
                " observed height differences for " + std::to_string(unknownCount) +
                " unknown heights";
        return false;
    }
    result.degreesOfFreedom = dof;

    // Normal equations for the corrections x of the approximate heights; observation i reads
    // v = x(to) − x(from) − l with l = dh − (H0(to) − H0(from)) and weight p = 1 / L[km].
    std::vector<double> weight(observations.size(), 0.0);
    std::vector<double> reduced(observations.size(), 0.0);
    std::vector<Eigen::Triplet<double>> triplets;
    triplets.reserve(3 * taking.size());
    Eigen::VectorXd rhs = Eigen::VectorXd::Zero(unknownCount);
    for (const std::size_t i : taking) {
        const double p = 1.0 / (observations[i].length * kKilometresPerMetre);
        const double l =
            observations[i].heightDifference - (height[to[i]] - height[from[i]]);
        weight[i] = p;
        reduced[i] = l;
        // A station from a point to itself observes x − x: its row is zero and adds nothing.
        if (from[i] == to[i])
            continue;
        const int a = unknown[from[i]];
        const int b = unknown[to[i]];
        if (a != kNotUnknown) {
            triplets.emplace_back(a, a, p);
            rhs[a] -= p * l;
        }
        if (b != kNotUnknown) {
            triplets.emplace_back(b, b, p);
            rhs[b] += p * l;
        }
        if (a != kNotUnknown && b != kNotUnknown && a != b)
            triplets.emplace_back(std::max(a, b), std::min(a, b), -p);
    }

    Eigen::VectorXd correction = Eigen::VectorXd::Zero(unknownCount);
    std::optional<SelectedInverse> inverse;
    if (unknownCount > 0) {
        Eigen::SparseMatrix<double> normal(unknownCount, unknownCount);
        normal.setFromTriplets(triplets.begin(), triplets.end());
        triplets = {};
        SelectedInverse::Factor factor(normal);
        if (factor.info() != Eigen::Success || (factor.vectorD().array() <= 0).any()) {
            error = "the normal equations cannot be solved";
            return false;
        }
        correction = factor.solve(rhs);
        inverse.emplace(factor);
    }
    const auto correctionOf = [&](int point) {
        return unknown[point] == kNotUnknown ? 0.0 : correction[unknown[point]];
    };

    double weightedSquares = 0;
    std::vector<double> residual(observations.size(), 0.0);
    for (const std::size_t i : taking) {
        residual[i] = correctionOf(to[i]) - correctionOf(from[i]) - reduced[i];
        weightedSquares += weight[i] * residual[i] * residual[i];
    }
    result.sigma0 = std::sqrt(weightedSquares / static_cast<double>(dof));

    const boost::math::chi_squared distribution(static_cast<double>(dof));
    result.globalTest.statistic = weightedSquares / (sigma * sigma);
    result.globalTest.lower = boost::math::quantile(distribution, kGlobalTestAlpha / 2);
    result.globalTest.upper = boost::math::quantile(distribution, 1 - kGlobalTestAlpha / 2);
    result.globalTest.passed = result.globalTest.statistic >= result.globalTest.lower &&
                               result.globalTest.statistic <= result.globalTest.upper;

    const auto inverseAt = [&](int a, int b) {
        return a == kNotUnknown || b == kNotUnknown ? 0.0 : inverse->At(a, b);
    };
    std::vector<double> heightSigma(pointCount, 0.0);
    for (int k = 0; k < pointCount; ++k) {
        if (!reached[k])
            continue;
        height[k] += correctionOf(k);
        heightSigma[k] = result.sigma0 * std::sqrt(inverseAt(unknown[k], unknown[k]));
    }
    for (std::size_t s = 0; s < intermediates.size(); ++s) {
        const int back = sightFrom[s];
        const int point = sightPoint[s];
        if (!reached[back] || reached[point])
            continue;
        height[point] = height[back] + intermediates[s].heightDifference;
        heightSigma[point] = std::hypot(
            heightSigma[back],
            result.sigma0 * std::sqrt(intermediates[s].length * kKilometresPerMetre));
        reached[point] = 1;
    }
    for (int k = 0; k < pointCount; ++k) {
        if (!reached[k]) {
            result.unreached.push_back(*table.names[k]);
            continue;
        }
        AdjustedPoint point;
        point.point = *table.names[k];
        point.fixed = fixed[k] != 0;
        point.height = height[k];
        point.sigma = heightSigma[k];
        result.points.push_back(std::move(point));
    }

    result.observations.reserve(taking.size());
    for (const std::size_t i : taking) {
        const int a = unknown[from[i]];
        const int b = unknown[to[i]];
        // q_vv = 1/p − (e_to − e_from)ᵀ N⁻¹ (e_to − e_from), in km.
        const double checked = a == b ? 0.0
                                      : inverseAt(a, a) + inverseAt(b, b) - 2 * inverseAt(a, b);
        const double qvv = 1.0 / weight[i] - checked;
        AdjustedObservation adjusted;
        adjusted.index = i;
        adjusted.residual = residual[i];
        adjusted.redundancy = std::max(0.0, qvv * weight[i]);
        adjusted.controlled = adjusted.redundancy > kMinRedundancy;
        if (adjusted.controlled) {
            adjusted.w = residual[i] / (sigma * std::sqrt(qvv));
            adjusted.outlier = std::abs(adjusted.w) > kBaardaCriticalValue;
        }
        result.observations.push_back(adjusted);
    }
    return true;
}

}  // namespace velmora
