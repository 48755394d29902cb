// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/MonitorProject.h"

#include <string>

namespace velmora {

/// The monitoring report as one self-contained HTML page in the user's language, laid out for
/// A4: the benchmarks and settings; a table of the cycles (books, σ₀, the benchmarks' test, held
/// and moved ones, disagreements); the settlements of the marks per cycle (significant ones red)
/// with the mean and the largest per cycle; and a chart of settlement against time for every
/// mark (SettlementChartSvg). Numbers as the language writes them.
std::string MonitorReportPage(const ProjectSettings& settings, const MonitoringResult& result);

}  // namespace velmora
