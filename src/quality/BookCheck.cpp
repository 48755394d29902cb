// SPDX-License-Identifier: MIT
#include "quality/BookCheck.h"

#include <algorithm>

namespace velmora {

bool BookCheck::HasFindings() const
{
    return std::any_of(qualities.begin(), qualities.end(),
                       [](const RunQuality& quality) { return !quality.findings.empty(); });
}

BookCheck CheckBookRuns(const RecordList& records, const RunCatalog& catalog,
                        const LevellingLimits& limits,
                        const std::optional<std::vector<std::string>>& runNumbers)
{
    BookCheck check;
    check.times = TimesOf(records);
    std::vector<RunSights> all = SightsOfRuns(records);
    if (!runNumbers) {
        check.runs = std::move(all);
    } else {
        for (const std::string& number : *runNumbers) {
            const auto found = std::find_if(all.begin(), all.end(),
                                            [&](const RunSights& run) { return run.runNumber == number; });
            if (found != all.end())
                check.runs.push_back(std::move(*found));
        }
    }
    // The qualities point into check.runs, which no longer grows.
    for (const RunSights& run : check.runs) {
        check.qualities.push_back(CheckRun(run, limits));
        check.listRuns.push_back(catalog.Find(run.runNumber));
    }
    return check;
}

}  // namespace velmora
