// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace velmora {

/// One observed height difference of a levelling network: an instrument station from its back
/// point to its fore point.
struct LevellingObservation {
    std::string run;         ///< run number, trimmed, as in the field book
    std::string from;        ///< trimmed point number of the back point
    std::string to;          ///< trimmed point number of the fore point
    double heightDifference = 0;  ///< H(to) − H(from) as observed, metres
    double length = 0;            ///< sight length of the station, metres
};

/// An intermediate sight: a point levelled from a station's back point without a station of its
/// own. It takes no part in the adjustment; its height follows from the back point's.
struct IntermediateSight {
    std::string run;
    std::string from;   ///< trimmed point number of the station's back point
    std::string point;  ///< trimmed point number of the sighted point
    double heightDifference = 0;  ///< H(point) − H(from) as observed, metres
    double length = 0;            ///< back sight plus this sight's distance, metres
    /// Where it was taken: the number of observations before it in the field book.
    std::size_t observationsBefore = 0;
};

/// The observations of a levelling network as the field book gives them.
struct LevellingNetwork {
    std::vector<LevellingObservation> observations;  ///< in field-book order
    std::vector<IntermediateSight> intermediates;    ///< in field-book order
};

/// A point whose height is known and held.
struct FixedHeight {
    std::string point;  ///< trimmed point number
    double height = 0;  ///< metres
};

/// A point of the adjusted network.
struct AdjustedPoint {
    std::string point;
    double height = 0;  ///< metres
    double sigma = 0;   ///< standard deviation of the height, metres (0 for a fixed point)
    bool fixed = false;
};

/// The result for one observation that took part.
struct AdjustedObservation {
    std::size_t index = 0;  ///< position in the observation list given to the adjustment
    double residual = 0;    ///< v = adjusted minus observed height difference, metres
    /// Share of the observation's own variance that the network checks (q_vv · p, 0 to 1).
    double redundancy = 0;
    /// Standardized residual v / (σ √q_vv); only when the network checks the observation
    /// (`controlled`), otherwise 0.
    double w = 0;
    bool controlled = false;
    bool outlier = false;  ///< |w| exceeds the critical value of Baarda's test
};

/// χ² test of the a-posteriori against the a-priori standard deviation, two-sided.
struct GlobalTest {
    double statistic = 0;  ///< vᵀPv / σ², χ²-distributed with the degrees of freedom
    double lower = 0;      ///< the χ² quantile at α/2
    double upper = 0;      ///< the χ² quantile at 1 − α/2
    bool passed = false;   ///< lower ≤ statistic ≤ upper
};

/// Critical value of the standardized residual: the two-sided normal quantile at α = 0.001.
inline constexpr double kBaardaCriticalValue = 3.29;
/// Significance level of the global test.
inline constexpr double kGlobalTestAlpha = 0.05;

struct NetworkAdjustment {
    double sigma = 0;   ///< a-priori standard deviation of 1 km of levelling, metres
    double sigma0 = 0;  ///< a-posteriori standard deviation of 1 km, metres
    long degreesOfFreedom = 0;
    GlobalTest globalTest;
    /// Every point that the observations reach from a fixed point, in order of first
    /// appearance in the field book (a station's back point, its intermediate sights, its fore
    /// point), intermediate points included.
    std::vector<AdjustedPoint> points;
    /// The observations that took part, in the order given.
    std::vector<AdjustedObservation> observations;
    /// Points that no fixed point reaches, in order of first appearance; their observations
    /// take no part, and intermediate sights from them give no height.
    std::vector<std::string> unreached;
};

/// Adjusts a levelling network by least squares: the heights of the points that are not fixed
/// are the unknowns, each observation is weighted by 1 / (its length in km), `sigma` is the
/// a-priori standard deviation of 1 km (metres). Standard deviations of the heights use the
/// a-posteriori σ₀; standardized residuals use `sigma`.
///
/// Afterwards each intermediate sight gives its point the height of its back point plus its
/// height difference, with σ² = σ(back point)² + σ₀² × length in km; a point that the
/// network holds, or that an earlier intermediate sight gave a height, keeps it.
///
/// Fixed points that no observation names take no part. False with `error` when no fixed
/// point is in the network, an observation's length is not positive or a value is no number,
/// or the network has no redundancy (no degrees of freedom).
bool AdjustNetwork(const LevellingNetwork& network, const std::vector<FixedHeight>& fixedHeights,
                   double sigma, NetworkAdjustment& result, std::string& error);

}  // namespace velmora
