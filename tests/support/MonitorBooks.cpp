// SPDX-License-Identifier: MIT
#include "MonitorBooks.h"

#include "FieldBookLines.h"

#include <cstdio>

namespace velmora::testing {

namespace {

std::string Number(double value, const char* format)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string SyntheticBook(const std::vector<SetUp>& setUps, const std::map<std::string, double>& heights)
{
    std::vector<Observation> observations;
    int n = 0;
    auto sight = [&](const std::string& point, const char* code, double horizon) {
        const double error = 0.0001 * ((n++ * 7919) % 5 - 2) / 2;
        observations.push_back({point, "1", code, Number(horizon - heights.at(point) + error, "%.5f"),
                                "20.000"});
    };
    for (const SetUp& setUp : setUps) {
        const double horizon = heights.at(setUp.back) + 1.5;
        sight(setUp.back, "Rb", horizon);
        for (const std::string& point : setUp.intermediates)
            sight(point, "Rz", horizon);
        sight(setUp.fore, "Rf", horizon);
    }
    return JoinLines(M5Lines(observations));
}

}  // namespace velmora::testing
