// SPDX-License-Identifier: MIT
#include "network/NetworkAdjustment.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "network/NetworkSections.h"
#include "network/NetworkWarnings.h"
#include "network/SectionPairs.h"
#include "network/SelectedInverse.h"
#include "runs/LevellingRun.h"

#include <boost/math/distributions/chi_squared.hpp>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace velmora {

namespace {

// Below this redundancy number the network does not check an observation (a spur to a point
// that only it reaches): its residual is zero up to rounding and w is not defined.
constexpr double kMinRedundancy = 1e-6;

constexpr int kNotUnknown = -1;
constexpr std::size_t kNotTaking = std::numeric_limits<std::size_t>::max();

// The messages below are for people, in their language; the field book's names in them are
// converted from Windows-1251 to UTF-8 as they meet the translated words.

std::string RunName(const LevellingNetwork& network, std::size_t book, const std::string& run)
{
    if (network.books.size() > 1 && book < network.books.size())
        return Fill(Tr("run {1} of {2}"), {Cp1251ToUtf8(run), Cp1251ToUtf8(network.books[book])});
    return Fill(Tr("run {1}"), {Cp1251ToUtf8(run)});
}

// `pattern` names the station by {1} and {2}, its points, and {3}, its run.
std::string Describe(const LevellingNetwork& network, const LevellingObservation& observation,
                     const char* pattern)
{
    return Fill(pattern, {Cp1251ToUtf8(observation.from), Cp1251ToUtf8(observation.to),
                          RunName(network, observation.book, observation.run)});
}

// Every number the adjustment uses is a number, and every station has a length: a weight of
// 1/L without one would hold its points together with infinite weight.
bool CheckValues(const LevellingNetwork& network, double sigma, std::string& error)
{
    if (!(sigma > 0) || !std::isfinite(sigma)) {
        error = Tr("the a-priori standard deviation must be a positive number");
        return false;
    }
    for (const IntermediateSight& sight : network.intermediates) {
        if (!std::isfinite(sight.heightDifference) || !std::isfinite(sight.length)) {
            error = Fill(Tr("the intermediate sight from {1} to {2} in {3} is no number"),
                         {Cp1251ToUtf8(sight.from), Cp1251ToUtf8(sight.point),
                          RunName(network, sight.book, sight.run)});
            return false;
        }
    }
    for (const LevellingObservation& observation : network.observations) {
        if (!std::isfinite(observation.heightDifference)) {
            error = Describe(network, observation, Tr("the station from {1} to {2} in {3} has no height difference"));
            return false;
        }
        if (!(observation.length > 0) || !std::isfinite(observation.length)) {
            error = Describe(network, observation, Tr("the station from {1} to {2} in {3} has no sight length"));
            return false;
        }
    }
    return true;
}

// The working state of one adjustment, place by place and section by section.
struct Solution {
    Solution(const LevellingNetwork& n, const NetworkSections& t) : network(n), topology(t) {}

    const LevellingNetwork& network;
    const NetworkSections& topology;
    std::vector<double> height;  // approximate, then adjusted, metres
    std::vector<double> heightSigma;
    std::vector<char> fixed;
    std::vector<char> reached;
    std::vector<int> unknown;
    int unknownCount = 0;
    std::vector<std::size_t> taking;      // sections that take part, in order
    std::vector<std::size_t> resultIndex; // section → its index among `taking`, or kNotTaking
    std::vector<double> weight;           // per section, 1/km
    std::vector<double> reduced;          // per section: Σdh − (H0(to) − H0(from)), metres
    std::vector<double> residual;         // per section, metres
    Eigen::VectorXd correction;
    std::optional<SelectedInverse::Factor> factor;  // kept for `inverse`, which reads its L
    std::optional<SelectedInverse> inverse;

    double InverseAt(int a, int b) const
    {
        return a == kNotUnknown || b == kNotUnknown ? 0.0 : inverse->At(a, b);
    }
    double CorrectionOf(int place) const
    {
        return unknown[place] == kNotUnknown ? 0.0 : correction[unknown[place]];
    }
};

// The places of the fixed points; false when a point is fixed twice or none lies in the network.
bool HoldFixedPoints(const std::vector<FixedHeight>& fixedHeights, Solution& s, std::string& error)
{
    const std::size_t placeCount = s.topology.places.size();
    s.height.assign(placeCount, 0.0);
    s.heightSigma.assign(placeCount, 0.0);
    s.fixed.assign(placeCount, 0);
    s.reached.assign(placeCount, 0);
    std::unordered_map<std::string_view, int> nodes;
    for (std::size_t p = 0; p < placeCount; ++p) {
        if (s.topology.places[p].node)
            nodes.emplace(*s.topology.places[p].name, static_cast<int>(p));
    }
    bool inNetwork = false;
    for (const FixedHeight& known : fixedHeights) {
        if (!std::isfinite(known.height)) {
            error = Fill(Tr("the height of fixed point {1} is no number"), {Cp1251ToUtf8(known.point)});
            return false;
        }
        const auto it = nodes.find(known.point);
        if (it == nodes.end())
            continue;
        if (s.fixed[it->second]) {
            error = Fill(Tr("point {1} is fixed twice"), {Cp1251ToUtf8(known.point)});
            return false;
        }
        s.fixed[it->second] = 1;
        s.reached[it->second] = 1;
        s.height[it->second] = known.height;
        inNetwork = true;
    }
    if (!inNetwork) {
        error = Tr("no fixed point lies in the network");
        return false;
    }
    return true;
}

// Approximate heights along a spanning tree of sections from the fixed points: the adjustment
// then solves for small corrections, which keeps the heights of a few hundred metres out of the
// normal equations. Places no fixed point reaches keep reached = 0.
void Approximate(Solution& s)
{
    const std::vector<NetworkSection>& sections = s.topology.sections;
    const std::size_t placeCount = s.topology.places.size();
    std::vector<int> start(placeCount + 1, 0);
    for (const NetworkSection& section : sections) {
        ++start[section.from + 1];
        ++start[section.to + 1];
    }
    for (std::size_t k = 0; k < placeCount; ++k)
        start[k + 1] += start[k];
    std::vector<int> adjacency(start.back());
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < sections.size(); ++i) {
            adjacency[fill[sections[i].from]++] = static_cast<int>(i);
            adjacency[fill[sections[i].to]++] = static_cast<int>(i);
        }
    }
    std::deque<int> queue;
    for (std::size_t p = 0; p < placeCount; ++p) {
        if (s.fixed[p])
            queue.push_back(static_cast<int>(p));
    }
    while (!queue.empty()) {
        const int place = queue.front();
        queue.pop_front();
        for (int k = start[place]; k < start[place + 1]; ++k) {
            const NetworkSection& section = sections[adjacency[k]];
            const bool forward = section.from == place;
            const int other = forward ? section.to : section.from;
            if (s.reached[other])
                continue;
            const double dh = section.heightDifference;
            s.height[other] = forward ? s.height[place] + dh : s.height[place] - dh;
            s.reached[other] = 1;
            queue.push_back(other);
        }
    }
    // The turning points inside a section are reached with it.
    for (const NetworkSection& section : sections) {
        if (!s.reached[section.from])
            continue;
        for (const std::size_t i : section.observations)
            s.reached[s.topology.to[i]] = 1;
    }
}

// The unknowns are the heights of the places that end sections between two places; the
// turning points inside sections are eliminated, and a loop fixes no height.
void NumberUnknowns(Solution& s)
{
    std::vector<char> endsSection(s.topology.places.size(), 0);
    for (const NetworkSection& section : s.topology.sections) {
        if (section.from != section.to)
            endsSection[section.from] = endsSection[section.to] = 1;
    }
    s.unknown.assign(s.topology.places.size(), kNotUnknown);
    for (std::size_t p = 0; p < s.topology.places.size(); ++p) {
        if (endsSection[p] && s.reached[p] && !s.fixed[p])
            s.unknown[p] = s.unknownCount++;
    }
}

// Normal equations for the corrections x of the approximate heights, as the lower triangle of
// N and the right-hand side; section k reads v = x(to) − x(from) − l with
// l = Σdh − (H0(to) − H0(from)) and weight p = 1 / L[km]. A section from a place to itself (a
// loop, a station that checks a point against itself) observes x − x: its row is zero and adds
// nothing. The sections a fixed point reaches take part (`taking`).
void AssembleNormalEquations(Solution& s, std::vector<Eigen::Triplet<double>>& triplets,
                             Eigen::VectorXd& rhs)
{
    const std::vector<NetworkSection>& sections = s.topology.sections;
    s.weight.assign(sections.size(), 0.0);
    s.reduced.assign(sections.size(), 0.0);
    s.resultIndex.assign(sections.size(), kNotTaking);
    rhs = Eigen::VectorXd::Zero(s.unknownCount);
    for (std::size_t k = 0; k < sections.size(); ++k) {
        const NetworkSection& section = sections[k];
        if (!s.reached[section.from])
            continue;
        s.resultIndex[k] = s.taking.size();
        s.taking.push_back(k);
        const double p = 1.0 / (section.length * kKilometresPerMetre);
        const double l = section.heightDifference - (s.height[section.to] - s.height[section.from]);
        s.weight[k] = p;
        s.reduced[k] = l;
        if (section.from == section.to)
            continue;
        const int a = s.unknown[section.from];
        const int b = s.unknown[section.to];
        if (a != kNotUnknown) {
            triplets.emplace_back(a, a, p);
            rhs[a] -= p * l;
        }
        if (b != kNotUnknown) {
            triplets.emplace_back(b, b, p);
            rhs[b] += p * l;
        }
        if (a != kNotUnknown && b != kNotUnknown)
            triplets.emplace_back(std::max(a, b), std::min(a, b), -p);
    }
}

// False with the counts in words when the sections taking part leave no degree of freedom.
bool HasRedundancy(const Solution& s, std::string& error)
{
    const long dof = static_cast<long>(s.taking.size()) - s.unknownCount;
    if (dof > 0)
        return true;
    long stations = 0;
    for (const std::size_t k : s.taking)
        stations += static_cast<long>(s.topology.sections[k].observations.size());
    // TRANSLATORS: {1} and {2} are counts of height differences and of heights.
    error = Fill(Tr("the network has no redundancy: {1} observed height differences for {2} "
                    "unknown heights"),
                 {std::to_string(stations), std::to_string(stations - dof)});
    // A run broken in two leaves two spurs where one chain was meant: say where.
    for (const NetworkWarning& warning : s.network.readWarnings) {
        if (warning.kind == NetworkWarning::Kind::chainBreak) {
            error += "; " + NetworkWarningText(s.network, warning, Cp1251ToUtf8);
            break;
        }
    }
    return false;
}

// Solves the normal equations for the corrections by a sparse Cholesky factorization, which
// also gives the elements of N⁻¹ that the standard deviations need.
bool SolveNormalEquations(Solution& s, std::string& error)
{
    NumberUnknowns(s);
    std::vector<Eigen::Triplet<double>> triplets;
    Eigen::VectorXd rhs;
    AssembleNormalEquations(s, triplets, rhs);
    if (!HasRedundancy(s, error))
        return false;
    s.correction = Eigen::VectorXd::Zero(s.unknownCount);
    if (s.unknownCount == 0)
        return true;
    Eigen::SparseMatrix<double> normal(s.unknownCount, s.unknownCount);
    normal.setFromTriplets(triplets.begin(), triplets.end());
    triplets = {};
    const SelectedInverse::Factor& factor = s.factor.emplace(normal);
    if (factor.info() != Eigen::Success || (factor.vectorD().array() <= 0).any()) {
        error = Tr("the normal equations cannot be solved");
        return false;
    }
    s.correction = factor.solve(rhs);
    s.inverse.emplace(factor);
    return true;
}

// σ₀ from the sections' residuals (a section's vᵀPv is the sum of its stations'), and the χ²
// test of σ₀ against σ.
void Statistics(Solution& s, NetworkAdjustment& result)
{
    const std::vector<NetworkSection>& sections = s.topology.sections;
    s.residual.assign(sections.size(), 0.0);
    double weightedSquares = 0;
    for (const std::size_t k : s.taking) {
        s.residual[k] = s.CorrectionOf(sections[k].to) - s.CorrectionOf(sections[k].from) -
                        s.reduced[k];
        weightedSquares += s.weight[k] * s.residual[k] * s.residual[k];
    }
    const long dof = static_cast<long>(s.taking.size()) - s.unknownCount;
    result.degreesOfFreedom = dof;
    result.sigma0 = std::sqrt(weightedSquares / static_cast<double>(dof));
    const boost::math::chi_squared distribution(static_cast<double>(dof));
    GlobalTest& test = result.globalTest;
    test.statistic = weightedSquares / (result.sigma * result.sigma);
    test.lower = boost::math::quantile(distribution, kGlobalTestAlpha / 2);
    test.upper = boost::math::quantile(distribution, 1 - kGlobalTestAlpha / 2);
    test.passed = test.statistic >= test.lower && test.statistic <= test.upper;
}

// Sections with v, q_vv and w; each station takes its section's residual in proportion to its
// length, v_i = v L_i / L, so q_vv,i = q_vv (L_i / L)² and w_i = w.
void SectionAndStationResults(const Solution& s, NetworkAdjustment& result)
{
    const std::vector<NetworkSection>& sections = s.topology.sections;
    const std::vector<LevellingObservation>& observations = s.network.observations;
    for (const std::size_t k : s.taking) {
        const NetworkSection& section = sections[k];
        const int a = s.unknown[section.from];
        const int b = s.unknown[section.to];
        // q_vv = 1/p − (e_to − e_from)ᵀ N⁻¹ (e_to − e_from), in km.
        const double checked =
            section.from == section.to
                ? 0.0
                : s.InverseAt(a, a) + s.InverseAt(b, b) - 2 * s.InverseAt(a, b);
        const double qvv = 1.0 / s.weight[k] - checked;
        const LevellingObservation& first = observations[section.observations.front()];
        AdjustedSection adjusted{first.book, first.run, *s.topology.places[section.from].name,
                                 *s.topology.places[section.to].name, section.observations,
                                 section.heightDifference, section.length, s.residual[k]};
        adjusted.redundancy = std::max(0.0, qvv * s.weight[k]);
        adjusted.controlled = adjusted.redundancy > kMinRedundancy;
        if (adjusted.controlled) {
            adjusted.w = s.residual[k] / (result.sigma * std::sqrt(qvv));
            adjusted.outlier = std::abs(adjusted.w) > kBaardaCriticalValue;
        }
        result.sections.push_back(std::move(adjusted));
    }
    std::vector<AdjustedObservation>& stations = result.observations;
    stations.reserve(s.network.observations.size());
    for (std::size_t i = 0; i < observations.size(); ++i) {
        const std::size_t k = s.topology.sectionOf[i];
        if (s.resultIndex[k] == kNotTaking)
            continue;
        const AdjustedSection& section = result.sections[s.resultIndex[k]];
        const double share = observations[i].length / section.length;
        AdjustedObservation station;
        station.index = i;
        station.section = s.resultIndex[k];
        station.residual = section.residual * share;
        station.redundancy = section.redundancy * share;
        station.controlled = section.controlled;
        station.w = section.w;
        station.outlier = section.outlier;
        stations.push_back(station);
    }
}

// Heights and σ of the places that end sections, then of the turning points inside them: a
// point at λ of a section of length L from A to B is H_A + Σ(dh + v) up to it, with
// Q = (1−f)² Q_AA + f² Q_BB + 2f(1−f) Q_AB + λ(L−λ)/L and f = λ/L (the part of the section
// before it and the part after it, split so that they are uncorrelated with the section's sum).
void PlaceHeights(Solution& s, double sigma0)
{
    const std::vector<NetworkSection>& sections = s.topology.sections;
    const std::vector<LevellingObservation>& observations = s.network.observations;
    for (std::size_t p = 0; p < s.topology.places.size(); ++p) {
        if (!s.reached[p])
            continue;
        s.height[p] += s.CorrectionOf(p);
        s.heightSigma[p] = sigma0 * std::sqrt(s.InverseAt(s.unknown[p], s.unknown[p]));
    }
    for (const std::size_t k : s.taking) {
        const NetworkSection& section = sections[k];
        const int a = s.unknown[section.from];
        const int b = s.unknown[section.to];
        const double total = section.length * kKilometresPerMetre;
        const double qaa = s.InverseAt(a, a);
        const double qbb = s.InverseAt(b, b);
        const double qab = s.InverseAt(a, b);
        double h = s.height[section.from];
        double lambda = 0;
        for (std::size_t j = 0; j + 1 < section.observations.size(); ++j) {
            const std::size_t i = section.observations[j];
            const double share = observations[i].length / section.length;
            h += observations[i].heightDifference + s.residual[k] * share;
            lambda += observations[i].length * kKilometresPerMetre;
            const double f = lambda / total;
            const double q = (1 - f) * (1 - f) * qaa + f * f * qbb + 2 * f * (1 - f) * qab +
                             lambda * (total - lambda) / total;
            const int place = s.topology.to[i];
            s.height[place] = h;
            s.heightSigma[place] = sigma0 * std::sqrt(std::max(0.0, q));
            s.reached[place] = 1;
        }
    }
}

// The place of an intermediate sight's back point: the back point of the station it was taken
// from, or the place its run's station before it left at that number. -1 when there is none.
int SightBackPlace(const Solution& s, const IntermediateSight& sight)
{
    const std::vector<LevellingObservation>& observations = s.network.observations;
    const std::size_t i = sight.observationsBefore;
    const auto sameRun = [&](std::size_t k) {
        return k < observations.size() && observations[k].book == sight.book &&
               observations[k].run == sight.run;
    };
    if (sameRun(i) && observations[i].from == sight.from)
        return s.topology.from[i];
    if (i > 0 && sameRun(i - 1) && observations[i - 1].to == sight.from)
        return s.topology.to[i - 1];
    if (i > 0 && sameRun(i - 1) && observations[i - 1].from == sight.from)
        return s.topology.from[i - 1];
    return -1;
}

// Turning point `p` into `point`, which is made in place: a million turning points are not
// worth a copy each.
void AddTurningPoint(const Solution& s, std::size_t p, AdjustedPoint& point)
{
    const NetworkPlace& place = s.topology.places[p];
    const LevellingObservation& at = s.network.observations[place.observation];
    point.point = *place.name;
    point.height = s.height[p];
    point.sigma = s.heightSigma[p];
    point.kind = PointKind::turning;
    point.book = at.book;
    point.run = at.run;
    point.station = s.topology.stationInRun[place.observation];
}

// The catalogue of points: the nodes in order of first appearance, then the turning points and
// the intermediate sights in field-book order. An intermediate sight gives its point the height
// of its back point plus its height difference, with σ² = σ(back)² + σ₀² L.
void CollectPoints(const Solution& s, NetworkAdjustment& result)
{
    const std::vector<NetworkPlace>& places = s.topology.places;
    result.points.reserve(places.size() + s.network.intermediates.size());
    std::vector<int> sectionsAt(places.size(), 0);
    for (const std::size_t k : s.taking) {
        ++sectionsAt[s.topology.sections[k].from];
        ++sectionsAt[s.topology.sections[k].to];
    }
    for (std::size_t p = 0; p < places.size(); ++p) {
        if (!places[p].node)
            continue;
        if (!s.reached[p]) {
            result.unreached.push_back(*places[p].name);
            continue;
        }
        result.points.push_back({*places[p].name, s.height[p], s.heightSigma[p], s.fixed[p] != 0,
                                 PointKind::node, 0, "", sectionsAt[p], 0});
    }
    const std::vector<LevellingObservation>& observations = s.network.observations;
    const std::vector<IntermediateSight>& sights = s.network.intermediates;
    std::size_t nextSight = 0;
    // The sights taken at the stations before `limit` (an observation index).
    const auto addSightsBefore = [&](std::size_t limit) {
        for (; nextSight < sights.size() && sights[nextSight].observationsBefore < limit;
             ++nextSight) {
            const IntermediateSight& sight = sights[nextSight];
            const int back = SightBackPlace(s, sight);
            if (back < 0 || !s.reached[back])
                continue;
            const std::size_t at = std::min(sight.observationsBefore, observations.size() - 1);
            result.points.push_back(
                {sight.point, s.height[back] + sight.heightDifference,
                 std::hypot(s.heightSigma[back],
                            result.sigma0 * std::sqrt(sight.length * kKilometresPerMetre)),
                 false, PointKind::intermediate, sight.book, sight.run, 0,
                 s.topology.stationInRun[at]});
        }
    };
    for (std::size_t p = 0; p < places.size(); ++p) {
        const NetworkPlace& place = places[p];
        if (place.node)
            continue;
        // A back point comes before the sights of its station, a fore point after them.
        addSightsBefore(place.metAsBackPoint ? place.observation : place.observation + 1);
        if (!s.reached[p])
            continue;
        AddTurningPoint(s, p, result.points.emplace_back());
    }
    addSightsBefore(std::numeric_limits<std::size_t>::max());
}

}  // namespace

bool AdjustNetwork(const LevellingNetwork& network, const std::vector<FixedHeight>& fixedHeights,
                   double sigma, NetworkAdjustment& result, std::string& error)
{
    result = NetworkAdjustment{};
    result.sigma = sigma;
    if (!CheckValues(network, sigma, error))
        return false;
    const NetworkSections topology = FindSections(network, fixedHeights);
    result.warnings = network.readWarnings;
    result.warnings.insert(result.warnings.end(), topology.warnings.begin(), topology.warnings.end());
    result.repeatedSections = UnjudgedSections(FindSectionLevellings(network, topology));
    Solution s(network, topology);
    if (!HoldFixedPoints(fixedHeights, s, error))
        return false;
    Approximate(s);
    if (!SolveNormalEquations(s, error))
        return false;
    Statistics(s, result);
    SectionAndStationResults(s, result);
    PlaceHeights(s, result.sigma0);
    CollectPoints(s, result);
    return true;
}

}  // namespace velmora
