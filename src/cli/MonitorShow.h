// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/MonitorProject.h"

#include <iosfwd>
#include <optional>

namespace velmora::cli {

/// `monitor show` for people: each cycle (only `cycle` when given) with its books, σ₀, the test
/// of its benchmarks and its warnings in the user's language, then the table of the points
/// (tab-separated, the same in every language): height per cycle, the settlement since the
/// previous and since the first cycle in millimetres, the rate in millimetres a day, "*" where
/// the settlement is significant.
void WriteMonitorText(const ProjectSettings& settings, const MonitoringResult& result,
                      std::optional<int> cycle, std::ostream& out);

/// `monitor show --json`: every number unrounded, in metres (rates in metres a day), null where
/// a value does not apply.
void WriteMonitorJson(const ProjectSettings& settings, const MonitoringResult& result, std::ostream& out);

}  // namespace velmora::cli
