// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/Monitoring.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora {

/// A length in metres as millimetres for people, with kMonitorMillimetreDecimals and the
/// language's decimal separator ("-2,31" in Russian).
std::string MonitorMillimetresText(double metres);

/// σ₀ of a cycle and its degrees of freedom, in the user's language.
std::string CycleSigmaText(const CycleResult& cycle);

/// The test of a cycle's benchmarks in the user's language, one line each: the congruence test
/// against cycle 1 (when the cycle has one), the held and the moved benchmarks, and each pair
/// that disagrees. `pointText` turns a point's field-book bytes into the text shown.
std::vector<std::string> BenchmarkTestLines(const CycleResult& cycle,
                                            const std::function<std::string(const std::string&)>& pointText);

}  // namespace velmora
