// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"
#include "quality/StationChecks.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// One field book of the report.
struct ReportBook {
    std::string name;  ///< as given (a file name), shown as UTF-8 with odd bytes escaped
    /// The first and last time of day the book records ("07:41:02"), as it writes them; empty
    /// when it records none.
    std::string firstTime;
    std::string lastTime;
    std::vector<RunQuality> runs;  ///< checked runs; each points at a RunSights that outlives this
};

/// What the levelling report shows.
struct ReportContents {
    std::vector<ReportBook> books;
    std::string className;  ///< "I" … "IV"
    double toleranceCoefficient = 0;  ///< of the class: fh allowed = coefficient × √L (km), metres
    LevellingLimits limits;
    bool limitsOfClass = true;  ///< false when a limit was set on the command line
    RodScale rodScale;          ///< the readings of the books were corrected for it
    /// The sections the books' runs level more than once (BookCheck, SectionsOfBooks), each
    /// levelling's `book` an index into `books`.
    std::vector<SectionCheck> sections;
    /// The adjustment of the books as a network, when asked for; both or neither.
    const LevellingNetwork* network = nullptr;
    const NetworkAdjustment* adjustment = nullptr;
};

/// The levelling report as one self-contained HTML page in the user's language, laid out for
/// A4: the books, the class and its limits with their source; a table of runs with their sums,
/// the page check, the misclosure against the allowed one and the instrument's own figures;
/// the findings grouped per run and check; a station table per run (folded on screen, printed
/// whole); a profile per run; and the adjustment of the network when there is one. It loads
/// nothing from elsewhere. Run and point numbers are field-book bytes (Windows-1251), converted
/// here; numbers are written as the language writes them.
std::string ReportPage(const ReportContents& contents);

/// Takes the next piece of a page; false when it cannot (a write that failed).
using PageSink = std::function<bool(std::string_view piece)>;

/// The page of ReportPage handed to `sink` in pieces as it is made, so that the page of a large
/// book is never held whole. False when the sink refused a piece; nothing is handed over after.
bool WriteReportPage(const ReportContents& contents, const PageSink& sink);

/// The SVG picture of one run alone (part of the page; kept separate for its tests): heights
/// along the distance from the run's first point at 0, the sight lengths as bars beneath.
std::string ProfileSvg(const RunQuality& quality, const LevellingLimits& limits);

/// Where labels of `height` units placed at `wanted` (top to bottom, as SVG counts) go so that
/// none overlaps another, each moved as little as it takes, all between `top` and `bottom`
/// when they fit there. Same order as given.
std::vector<double> SpreadLabels(const std::vector<double>& wanted, double height, double top,
                                 double bottom);

}  // namespace velmora
