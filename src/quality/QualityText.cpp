// SPDX-License-Identifier: MIT
#include "quality/QualityText.h"

#include <cmath>

namespace velmora {

namespace {

std::string Metres(double value, int decimals)
{
    return FixedText(value, decimals) + " m";
}

}  // namespace

std::string InstrumentText(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    std::string text;
    if (quality.instrumentHeightDifference)
        text += "Sh " + Metres(*run.instrument->heightSum, kHeightDecimals) + " (ours differ by " +
                Metres(*quality.instrumentHeightDifference, kHeightDecimals) + ")";
    if (quality.instrumentLengthDifference) {
        if (!text.empty())
            text += ", ";
        text += "Db+Df " + Metres(*run.instrument->length, kLengthDecimals) +
                " (ours differ by " + Metres(*quality.instrumentLengthDifference, kLengthDecimals) +
                ")";
    }
    return text.empty() ? "sums: none in the field book" : text;
}

std::string RunFiguresText(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    std::string text = run.runNumber;
    if (!run.method.empty())
        text += " " + run.method;
    if (!run.unreadableReason.empty())
        return text + ": unreadable, " + run.unreadableReason;

    if (run.stations.empty())
        return text + ": no stations";
    text += ": " + std::to_string(run.stations.size()) +
            (run.stations.size() == 1 ? " station" : " stations");
    text += ", length " + Metres(run.distanceSum, kLengthDecimals);
    text += ", longest sight " + Metres(quality.maxSight, kLengthDecimals);
    text += ", largest station imbalance " + Metres(quality.maxStationImbalance, kLengthDecimals);
    text += ", cumulative imbalance " + Metres(quality.cumulativeImbalance, kLengthDecimals) +
            " (largest " + Metres(quality.maxCumulativeImbalance, kLengthDecimals) + ")";
    text += ", two readings differ by ";
    text += quality.maxDoubleReadingDifference
                ? "up to " + Metres(*quality.maxDoubleReadingDifference, kHeightDecimals)
                : std::string("- (one reading per sight)");
    text += ", instrument " + InstrumentText(quality);
    return text;
}

std::string FindingText(const Finding& finding)
{
    const std::string station = "station " + std::to_string(finding.station) + ": ";
    switch (finding.check) {
    case QualityCheck::Sight:
        return station + "sight " + Metres(finding.value, kLengthDecimals) + ", limit " +
               Metres(finding.limit, kLengthDecimals);
    case QualityCheck::StationImbalance:
        return station + "station imbalance " + Metres(finding.value, kLengthDecimals) +
               ", limit " + Metres(finding.limit, kLengthDecimals);
    case QualityCheck::DoubleReading:
        return station + "two readings of one sight differ by " +
               Metres(finding.value, kHeightDecimals) + ", limit " +
               Metres(finding.limit, kHeightDecimals);
    case QualityCheck::CumulativeImbalance:
        return station + "cumulative imbalance " + Metres(finding.value, kLengthDecimals) +
               ", limit " + Metres(finding.limit, kLengthDecimals);
    case QualityCheck::InstrumentHeight:
        return "instrument: our height sum differs from Sh by " +
               Metres(finding.value, kHeightDecimals) + ", limit " +
               Metres(finding.limit, kHeightDecimals);
    case QualityCheck::InstrumentLength:
        return "instrument: our length differs from Db+Df by " +
               Metres(finding.value, kLengthDecimals) + ", limit " +
               Metres(finding.limit, kLengthDecimals);
    case QualityCheck::Method:
        if (std::isnan(finding.value))
            return "method: the stations cannot be read";
        return "method: every sight is read once, the class asks for two readings";
    }
    return {};
}

}  // namespace velmora
