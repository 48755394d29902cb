// SPDX-License-Identifier: MIT
#pragma once

#include "runs/RodScale.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

/// One observed height difference of a levelling network: an instrument station from its back
/// point to its fore point. The stations of one run stand together, in the order measured.
struct LevellingObservation {
    std::string run;         ///< run number, trimmed, as in the field book
    std::string from;        ///< trimmed point number of the back point
    std::string to;          ///< trimmed point number of the fore point
    double heightDifference = 0;  ///< H(to) − H(from) as observed, metres
    double length = 0;            ///< sight length of the station, metres
    std::size_t book = 0;         ///< index of its field book in LevellingNetwork::books
    /// The heights that the instrument itself recorded for the back and fore points (its "Z"
    /// lines), metres, where the book has them; they only serve to tell whether two places that
    /// carry one number differ.
    std::optional<double> fromInstrumentHeight;
    std::optional<double> toInstrumentHeight;
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
    std::size_t book = 0;  ///< index of its field book in LevellingNetwork::books
};

/// What the adjustment saw in the books and did about it. A number that may stand for two
/// places: the adjustment does not guess, it keeps the places apart (or joins them at a node, as
/// the rule says) and says so; a run broken in two or given twice is taken as it stands and said.
struct NetworkWarning {
    enum class Kind {
        /// One number for turning points at places of one run that are not next to each other.
        reusedNumber,
        /// A run passes through a node's number in its middle and is split there, although the
        /// user neither fixed that point nor named it as a node.
        junction,
        /// A station of a run does not begin where the station before it ended (`point` its
        /// back point, `previousPoint` that station's fore point): the run is taken as two
        /// pieces that meet nowhere there.
        chainBreak,
        /// A run repeats, station for station, run `otherRun` of the earlier book `otherBook`:
        /// one levelling given twice (two copies of one day's book).
        repeatedRun,
        /// The section from `point` to `toPoint`, levelled by `run` and then by `otherRun` (of
        /// `otherBook`), differs by `difference` where the class allows `limit`.
        sectionDifference,
    };
    Kind kind = Kind::reusedNumber;
    std::size_t book = 0;
    std::string run;
    std::string point;
    std::vector<std::size_t> stations;  ///< 1-based within the run, where the number is met
    /// reusedNumber: the largest difference of the instrument's own heights at those places,
    /// metres, when the book recorded them.
    std::optional<double> instrumentHeightDifference;
    std::string previousPoint;   ///< chainBreak: where the chain had reached
    std::size_t otherBook = 0;   ///< repeatedRun: the book of the run repeated
    std::string otherRun;        ///< repeatedRun: the run repeated
    std::string toPoint;         ///< sectionDifference: the section's other end
    double difference = 0;       ///< sectionDifference: d, metres
    double limit = 0;            ///< sectionDifference: k·√L, metres
};

/// The observations of a levelling network as the field books give them.
struct LevellingNetwork {
    std::vector<LevellingObservation> observations;  ///< run by run, in field-book order
    std::vector<IntermediateSight> intermediates;    ///< in field-book order
    std::vector<std::string> books = {""};           ///< names of the field books
    /// Points the user declares nodes besides the runs' first and last points and the fixed
    /// points.
    std::vector<std::string> nodes;
    /// What reading the books found that the adjustment must say (chainBreak, repeatedRun), in
    /// the order found; the adjustment's warnings begin with them.
    std::vector<NetworkWarning> readWarnings;
    /// The scale of the rods the books' readings were corrected for (ReadNetworkOfBooks).
    RodScale rodScale;
};

/// A point whose height is known and held.
struct FixedHeight {
    std::string point;  ///< trimmed point number
    double height = 0;  ///< metres
};

/// What a point of the adjusted network is.
///  - node: a run's first or last point, a fixed point or one named as a node; its name means
///    one place in every run and every book;
///  - turning: a point inside a run between two nodes; it is its place in its run only, whatever
///    number it carries;
///  - intermediate: a point sighted from a station without a station of its own.
enum class PointKind { node, turning, intermediate };

/// A point of the adjusted network.
struct AdjustedPoint {
    std::string point;
    double height = 0;  ///< metres
    double sigma = 0;   ///< standard deviation of the height, metres (0 for a fixed point)
    bool fixed = false;
    PointKind kind = PointKind::node;
    std::size_t book = 0;  ///< turning and intermediate points: the book of their run
    std::string run;       ///< turning and intermediate points: their run
    int sections = 0;      ///< nodes: the sections that begin or end here (a loop counts twice)
    /// Turning and intermediate points: the station (1-based within the run) where the point is
    /// met, the fore sight for a turning point and the sighting station for an intermediate one.
    std::size_t station = 0;
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
    std::size_t section = 0;  ///< index of its section in NetworkAdjustment::sections
};

/// The stations of a run between two consecutive nodes, taken as one observation. A closed loop
/// is a section from a point to itself; so is a station whose back and fore points carry one
/// name (a check that they are one point).
struct AdjustedSection {
    std::size_t book = 0;
    std::string run;
    std::string from;
    std::string to;
    std::vector<std::size_t> observations;  ///< indices into the observation list, in order
    double heightDifference = 0;  ///< Σ dh of its stations, metres
    double length = 0;            ///< Σ L of its stations, metres
    double residual = 0;          ///< the correction of Σ dh, metres
    double redundancy = 0;
    double w = 0;
    bool controlled = false;
    bool outlier = false;
};

// Sections levelled more than once: classes I and II level every section between two
// benchmarks forward and back, and the two height differences must agree before the section is
// accepted.

/// One levelling of a section: a section of the network, its height difference taken in the
/// direction of the section's first levelling.
struct SectionLevelling {
    std::size_t book = 0;
    std::string run;
    double heightDifference = 0;  ///< as levelled, from its own first to its own last node, metres
    double length = 0;            ///< metres
    bool reversed = false;        ///< levelled from the section's `to` back to its `from`
    /// The height difference in the direction of the section's first levelling, metres.
    double Forward() const { return reversed ? -heightDifference : heightDifference; }
};

/// Two consecutive levellings of one section and how far they disagree.
struct SectionPair {
    std::size_t first = 0;   ///< index into SectionLevellings::levellings
    std::size_t second = 0;  ///< the next levelling of the section
    /// d = h₁ + h₂ when levelled in opposite directions, h₁ − h₂ in the same direction: the
    /// difference of the two in one direction, metres.
    double discrepancy = 0;
    double length = 0;  ///< L, the mean of the two lengths, metres
};

/// A section between two nodes levelled two times or more, in the order of the levellings.
struct SectionLevellings {
    std::string from;  ///< trimmed node names, as the first levelling runs
    std::string to;
    std::vector<SectionLevelling> levellings;
    std::vector<SectionPair> pairs;  ///< each levelling with the next of another run
    /// The mean height difference from `from` to `to`: what a surveyor carries into a
    /// catalogue, metres.
    double mean = 0;
};

/// One pair of levellings of a section against its class's limit.
struct SectionPairVerdict {
    double limit = 0;    ///< k·√L, metres
    bool above = false;  ///< |d| exceeds the limit (a value equal to it passes)
};

/// A section levelled more than once, each consecutive pair of its levellings judged.
struct SectionCheck {
    SectionLevellings section;
    std::vector<SectionPairVerdict> verdicts;  ///< one per section.pairs; none until judged
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
    /// Every point that a fixed point reaches: the nodes in order of first appearance, then the
    /// turning points and intermediate points in field-book order.
    std::vector<AdjustedPoint> points;
    /// The sections whose stations took part, in order of their first station.
    std::vector<AdjustedSection> sections;
    /// The observations that took part, in the order given.
    std::vector<AdjustedObservation> observations;
    /// Nodes that no fixed point reaches, in order of first appearance; their stations take no
    /// part, and intermediate sights from them give no height.
    std::vector<std::string> unreached;
    std::vector<NetworkWarning> warnings;
    /// The sections between two nodes levelled more than once (both levellings stay
    /// observations of the adjustment), in the order of their first levelling; judged against a
    /// class's limit by AdjustNetworkOfBooks.
    std::vector<SectionCheck> repeatedSections;
};

/// The a-priori standard deviation of 1 km of levelling (metres) for a class of
/// `toleranceCoefficient` (metres per √km): the allowed misclosure is taken as twice the
/// standard deviation.
inline constexpr double kAllowedMisclosuresPerSigma = 2;
inline double SigmaOfClass(double toleranceCoefficient)
{
    return toleranceCoefficient / kAllowedMisclosuresPerSigma;
}

/// Adjusts a levelling network by least squares. The nodes (see PointKind) split the runs into
/// sections; the heights of the nodes that are not fixed are the unknowns, each section is
/// weighted by 1 / (its length in km), `sigma` is the a-priori standard deviation of 1 km
/// (metres). This is the adjustment of every station with the turning points as unknowns, solved
/// by eliminating the turning points: the node heights, σ₀ and the degrees of freedom are the
/// same, and the stations get their residuals back (each station its share of the section's in
/// proportion to length, and the section's w). Standard deviations use the a-posteriori σ₀;
/// standardized residuals use `sigma`.
///
/// Afterwards each intermediate sight gives its point the height of its back point plus its
/// height difference, with σ² = σ(back point)² + σ₀² × length in km.
///
/// Fixed points that no observation names take no part. False with `error` when no fixed
/// point is in the network, an observation's length is not positive or a value is no number,
/// or the network has no redundancy (no degrees of freedom).
bool AdjustNetwork(const LevellingNetwork& network, const std::vector<FixedHeight>& fixedHeights,
                   double sigma, NetworkAdjustment& result, std::string& error);

}  // namespace velmora
