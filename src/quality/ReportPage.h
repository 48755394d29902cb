// SPDX-License-Identifier: MIT
#pragma once

#include "quality/StationChecks.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// The self-contained HTML page of a checked field book: the limits in force, then per run
/// its figures and findings as a table (findings in red) and an inline SVG profile (heights
/// along the distance from the run's first point at 0, the sight lengths as bars beneath).
/// It loads nothing from elsewhere and is laid out for A4. `title` is shown as it is given
/// (UTF-8); run and point numbers are field-book bytes (Windows-1251) and converted here.
std::string ReportPage(std::string_view title, std::string_view className,
                       const LevellingLimits& limits, const std::vector<RunQuality>& runs);

/// The SVG picture of one run alone (part of the page; kept separate for its tests).
std::string ProfileSvg(const RunQuality& quality, const LevellingLimits& limits);

}  // namespace velmora
