// SPDX-License-Identifier: MIT
#include "quality/StationChecks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

const char* CheckName(QualityCheck check)
{
    switch (check) {
    case QualityCheck::ChainBreak: return "chainBreak";
    case QualityCheck::Sight: return "sight";
    case QualityCheck::StationImbalance: return "stationImbalance";
    case QualityCheck::CumulativeImbalance: return "cumulativeImbalance";
    case QualityCheck::DoubleReading: return "doubleReading";
    case QualityCheck::InstrumentHeight:
    case QualityCheck::InstrumentLength: return "instrument";
    case QualityCheck::Method: return "method";
    }
    return "method";
}

namespace {

// Our sums against the instrument's own, where the book has them.
void CheckInstrumentFigures(const RunSights& run, RunQuality& quality)
{
    if (run.instrument && run.instrument->heightSum) {
        quality.instrumentHeightDifference = run.heightSum - *run.instrument->heightSum;
        if (!run.instrument->HeightAgrees(run.heightSum))
            quality.findings.push_back({QualityCheck::InstrumentHeight, 0,
                                        std::fabs(*quality.instrumentHeightDifference),
                                        kInstrumentHeightAgreement});
    }
    if (run.instrument && run.instrument->length) {
        quality.instrumentLengthDifference = run.distanceSum - *run.instrument->length;
        if (!run.instrument->LengthAgrees(run.distanceSum))
            quality.findings.push_back({QualityCheck::InstrumentLength, 0,
                                        std::fabs(*quality.instrumentLengthDifference),
                                        kInstrumentLengthAgreement});
    }
}

// A figure that could not be computed: the stations of a misread run, a chain break.
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Checks one station (`number`, 1-based) against the limits and keeps its largest figures in
// `quality`; gives back its imbalance of back and fore lengths for the run's running sum.
double CheckStation(const StationSights& station, int number, const ChainBreak* broken,
                    const LevellingLimits& limits, RunQuality& quality)
{
    if (broken)
        quality.findings.push_back(
            {QualityCheck::ChainBreak, number, kNone, kNone, station.backPoint, broken->reached});

    quality.maxSight = std::max(quality.maxSight, station.longestSight);
    if (ExceedsLimit(station.longestSight, limits.maxSight))
        quality.findings.push_back({QualityCheck::Sight, number, station.longestSight, limits.maxSight});

    const double imbalance = station.backDistance - station.foreDistance;
    quality.maxStationImbalance = std::max(quality.maxStationImbalance, std::fabs(imbalance));
    if (ExceedsLimit(std::fabs(imbalance), limits.maxStationImbalance))
        quality.findings.push_back(
            {QualityCheck::StationImbalance, number, std::fabs(imbalance), limits.maxStationImbalance});

    if (station.readingDifference) {
        const double difference = std::fabs(*station.readingDifference);
        quality.maxDoubleReadingDifference = std::max(quality.maxDoubleReadingDifference.value_or(0.0), difference);
        if (ExceedsLimit(difference, limits.maxDoubleReadingDifference))
            quality.findings.push_back(
                {QualityCheck::DoubleReading, number, difference, limits.maxDoubleReadingDifference});
    }
    return imbalance;
}

}  // namespace

RunQuality CheckRun(const RunSights& run, const LevellingLimits& limits)
{
    RunQuality quality;
    quality.run = &run;
    if (!run.unreadable.empty()) {
        // Nothing computed from a misread station may show: only the finding.
        quality.findings.push_back({QualityCheck::Method, 0, kNone, kNone});
        return quality;
    }

    if (run.doubleReadings)
        quality.maxDoubleReadingDifference = 0.0;
    double runningImbalance = 0;
    int worstCumulativeStation = 0;
    auto nextBreak = run.chainBreaks.begin();
    for (std::size_t i = 0; i < run.stations.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const bool broken = nextBreak != run.chainBreaks.end() && nextBreak->station == i;
        const double imbalance =
            CheckStation(run.stations[i], number, broken ? &*nextBreak : nullptr, limits, quality);
        if (broken)
            ++nextBreak;
        runningImbalance += imbalance;
        if (std::fabs(runningImbalance) > quality.maxCumulativeImbalance) {
            quality.maxCumulativeImbalance = std::fabs(runningImbalance);
            worstCumulativeStation = number;
        }
    }
    quality.cumulativeImbalance = runningImbalance;
    // One finding per run, at the station where the running sum is farthest from zero.
    if (ExceedsLimit(quality.maxCumulativeImbalance, limits.maxCumulativeImbalance))
        quality.findings.push_back({QualityCheck::CumulativeImbalance, worstCumulativeStation,
                                    quality.maxCumulativeImbalance,
                                    limits.maxCumulativeImbalance});

    CheckInstrumentFigures(run, quality);

    if (limits.doubleReadingsRequired && !run.doubleReadings && !run.stations.empty())
        quality.findings.push_back({QualityCheck::Method, 0, 1.0, 2.0});
    return quality;
}

}  // namespace velmora
