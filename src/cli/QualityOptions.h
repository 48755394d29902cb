// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Command.h"
#include "quality/BookCheck.h"
#include "quality/StationChecks.h"
#include "runs/LevellingRun.h"
#include "runs/RodScale.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

/// The options that `check` and `report` share: the class and the limits it can override.
inline const std::vector<std::string> kQualityOptions = {
    "--class", "--max-sight", "--max-station-imbalance", "--max-cumulative-imbalance",
    "--max-double-reading", "--max-section-difference", "--rod-scale"};
inline const std::string kSingleReadingsFlag = "--allow-single-readings";

/// The class named by --class (II when not given) and its limits, with every limit given on
/// the command line put in place of the class's own.
struct QualityOptions {
    std::string className;  ///< "I" … "IV"
    double toleranceCoefficient = 0;  ///< of the class, metres per √km
    LevellingLimits limits;
    bool limitsOfClass = true;  ///< no limit was set on the command line
    RodScale rodScale;          ///< --rod-scale
};

/// --rod-scale PPM when given (none: no correction); a value that is no number, or beyond
/// kMaxRodScalePpm either way, is a usage error.
RodScale RodScaleOption(const Arguments& arguments);

/// Reads the shared options; a limit that is not a number of metres, or is negative, is a
/// usage error.
QualityOptions QualityOptionsOf(const Arguments& arguments);

/// Reads the field book as the window opens it (`-`: standard input) and checks it
/// (CheckBookRuns, its readings corrected for `rodScale`); false (with a message on `err`)
/// when it cannot be read.
bool CheckBook(const std::string& path, const LevellingLimits& limits, RodScale rodScale, BookCheck& book,
               std::ostream& err);

}  // namespace velmora::cli
