// SPDX-License-Identifier: MIT
#pragma once

// Small runs for the checks, built from per-station figures.

#include "quality/StationChecks.h"
#include "runs/Station.h"

#include <optional>
#include <string>

namespace velmora::testing {

/// A station with the given back and fore lengths (each also its longest sight) and height
/// difference, from P to `forePoint`; its mean readings 1.5 + difference back and 1.5 fore.
inline StationSights StationOf(double backDistance, double foreDistance,
                               double heightDifference = 0.0,
                               std::optional<double> readingDifference = std::nullopt,
                               std::string forePoint = "P")
{
    StationSights station;
    station.backPoint = "P";
    station.forePoint = std::move(forePoint);
    station.back = 1.5 + heightDifference;
    station.fore = 1.5;
    station.heightDifference = heightDifference;
    station.backDistance = backDistance;
    station.foreDistance = foreDistance;
    station.longestSight = backDistance > foreDistance ? backDistance : foreDistance;
    station.readingDifference = readingDifference;
    return station;
}

/// A BF run "7" from A over the stations, its sums those of the stations.
inline RunSights RunOf(std::vector<StationSights> stations, std::string method = "BF")
{
    RunSights run;
    run.runNumber = "7";
    run.method = std::move(method);
    run.doubleReadings = ReadingsPerSight(MethodOfWord(run.method).value()) == 2;
    run.firstPoint = "A";
    for (const StationSights& station : stations) {
        run.heightSum += station.heightDifference;
        run.distanceSum += station.backDistance + station.foreDistance;
    }
    run.stations = std::move(stations);
    return run;
}

}  // namespace velmora::testing
