// SPDX-License-Identifier: MIT
#pragma once

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
};

/// The defaults of a class, from the national instruction for levelling of classes I–IV (the
/// table and its sources are in LevellingLimits.cpp and in the README).
LevellingLimits LimitsOf(ToleranceClass toleranceClass);

/// True when `value` breaks a limit: it lies above it by more than the last bits of a double.
/// Figures come from decimal texts (2.47 − 1.47 is 1.0000000000000002 in doubles); a value
/// equal to the limit in the field book's decimals passes.
bool ExceedsLimit(double value, double limit);

}  // namespace velmora
