// SPDX-License-Identifier: MIT
#pragma once

#include "quality/LevellingLimits.h"
#include "runs/InstrumentFigures.h"
#include "runs/UnreadableCause.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

/// One station (one set-up of the instrument) as the checks read it. Metres throughout.
struct StationSights {
    std::string backPoint;        ///< trimmed point number the station starts from
    std::string forePoint;        ///< trimmed point number the station ends on
    double back = 0;              ///< mean back reading
    double fore = 0;              ///< mean fore reading
    double heightDifference = 0;  ///< mean back reading − mean fore reading
    double backDistance = 0;      ///< mean of the back sight distances
    double foreDistance = 0;      ///< mean of the fore sight distances
    double longestSight = 0;      ///< longest single back or fore sight distance
    /// Largest |difference| between two readings of one sight; none when every sight was read
    /// once.
    std::optional<double> readingDifference;
};

/// A station that does not begin where the chain of stations had reached (ChainBreaksOf).
struct ChainBreak {
    std::size_t station = 0;  ///< its index in RunSights::stations
    std::string reached;      ///< the fore point of the station before it
};

/// A run as the checks read it: its stations in order and the sums of the run list.
struct RunSights {
    std::string runNumber;         ///< trimmed, field-book bytes
    std::string method;            ///< "BF", "BFFB", …; empty when not known
    bool doubleReadings = false;   ///< the method reads every sight twice
    UnreadableCause unreadable;    ///< why the run cannot be read; empty when it can
    std::string firstPoint;        ///< trimmed point number the run starts on
    std::vector<StationSights> stations;
    /// Where the chain of stations breaks, in station order. Few runs have any: they are kept
    /// here, not in every station of a large book.
    std::vector<ChainBreak> chainBreaks;
    double heightSum = 0;    ///< the run's sum of height differences, as the run list has it
    double distanceSum = 0;  ///< the run's length, as the run list has it
    /// The run ends on the point it began from (as the run list decides it), so `heightSum` is
    /// its misclosure.
    bool closed = false;
    std::optional<InstrumentFigures> instrument;  ///< the book's own sums for the run
};

/// The kinds of finding. Both instrument kinds are reported as "instrument".
enum class QualityCheck {
    ChainBreak,
    Sight,
    StationImbalance,
    CumulativeImbalance,
    DoubleReading,
    InstrumentHeight,
    InstrumentLength,
    Method,
};

/// The name of a check as the command line writes it: "chainBreak", "sight", "stationImbalance",
/// "cumulativeImbalance", "doubleReading", "instrument", "method".
const char* CheckName(QualityCheck check);

/// One limit broken. For Method, `value` is the readings per sight (1) against `limit` 2, or
/// both NaN when the stations cannot be read. For ChainBreak, the station that does not begin
/// where the one before ended; `value` and `limit` are NaN.
struct Finding {
    QualityCheck check = QualityCheck::Sight;
    int station = 0;  ///< 1-based station; 0 for the whole run
    double value = 0;  ///< metres (Method: readings per sight)
    double limit = 0;  ///< metres (Method: readings per sight)
    std::string point;          ///< ChainBreak: the station's back point
    std::string previousPoint;  ///< ChainBreak: the fore point of the station before

    bool operator==(const Finding&) const = default;
};

/// The figures of one run and every limit it breaks. Metres throughout.
struct RunQuality {
    const RunSights* run = nullptr;
    double maxSight = 0;                ///< longest back or fore sight
    double maxStationImbalance = 0;     ///< largest |back − fore| length of a station
    double cumulativeImbalance = 0;     ///< signed running sum of back − fore at the run's end
    double maxCumulativeImbalance = 0;  ///< largest |running sum| reached
    std::optional<double> maxDoubleReadingDifference;  ///< none for single-reading methods
    std::optional<double> instrumentHeightDifference;  ///< ours − the instrument's `Sh`
    std::optional<double> instrumentLengthDifference;  ///< ours − (`Db` + `Df`)
    std::vector<Finding> findings;
};

/// Checks every station of the run against the limits, and the run's sums against the
/// instrument's. A value equal to its limit passes. Findings come in station order, the
/// run-wide ones (cumulative imbalance, instrument, method) after them.
RunQuality CheckRun(const RunSights& run, const LevellingLimits& limits);

}  // namespace velmora
