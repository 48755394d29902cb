// SPDX-License-Identifier: MIT
#pragma once

#include "runs/Limit.h"
#include "runs/ToleranceClass.h"

namespace velmora {

/// What a levelling class allows at each station and along a run. All values in metres.
struct LevellingLimits {
    double maxSight = 0;                    ///< longest back or fore sight
    double maxStationImbalance = 0;         ///< |back length − fore length| at one station
    double maxCumulativeImbalance = 0;      ///< |running sum of station imbalances| along a run
    double maxDoubleReadingDifference = 0;  ///< |difference of two readings of one sight|
    /// True when the class asks for every sight to be read twice (a single-reading method such
    /// as BF then does not satisfy it).
    bool doubleReadingsRequired = false;
    /// k of the limit k·√L on the difference of two levellings of one section (L the mean of
    /// their lengths in km), metres per √km (JudgeSectionPair).
    double maxSectionDifference = 0;
};

/// The document the class defaults come from (UTF-8). No clause of it is traced for any of
/// them yet (LevellingLimits.cpp says why), so a report names the document only.
inline constexpr const char* kLimitsDocument = "ГКИНП (ГНТА)-03-010-03";

/// The defaults of a class, from the national instruction for levelling of classes I–IV (the
/// table and its sources are in LevellingLimits.cpp and in the README).
LevellingLimits LimitsOf(ToleranceClass toleranceClass);

}  // namespace velmora
