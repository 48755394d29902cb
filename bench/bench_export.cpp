// SPDX-License-Identifier: MIT
// The export of many linked runs from a large field book: the linking and adjustment alone,
// and the whole export into a workbook file of each format.
//
//   velmora-bench-export [--lines N] [--runs R] [--export K] [--repeat K] [--dir FOLDER]
//
// Defaults: the 1,000,000-line field book with 10,000 runs, and 1,000 of its runs selected.
// The generated runs number their turning points 1, 2, 3, … afresh, so the runs meet each other
// there: starting from point "1" links every selected run that has a station.

#include "BenchSupport.h"
#include "export/Adjustment.h"
#include "export/Export.h"
#include "fieldbook/MeasurementFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using velmora::bench::Clock;
using velmora::bench::Median;
using velmora::bench::SecondsSince;

}  // namespace

int main(int argc, char** argv)
{
    velmora::bench::BenchOptions defaults;
    defaults.shape = {1'000'000, 10'000, 1};
    defaults.repeat = 3;
    defaults.count = 1'000;
    const auto [shape, repeat, exportCount, folder] =
        velmora::bench::ParseBenchOptions(argc, argv, defaults, "--export");
    const std::string path = velmora::bench::GeneratedFieldBook(shape, folder, "export");
    if (path.empty())
        return 1;
    velmora::RecordList records;
    std::string error;
    if (!velmora::ReadMeasurementFile(path, records, error)) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }

    // Runs 2 … K+1: run number 1 comes back at the end of a 10,000-run book.
    std::vector<std::string> selected;
    for (long number = 2; number < exportCount + 2; ++number)
        selected.push_back(std::to_string(number));

    std::vector<double> linking, xlsx, xls;
    long written = 0;
    long rows = 0;
    for (int i = 0; i < repeat; ++i) {
        std::vector<std::string> pending = selected;
        written = 0;
        rows = 0;
        const auto start = Clock::now();
        velmora::ExportRuns(records, pending, "1", 100.0, 0.005, [&](const velmora::AdjustedRun& run) {
            ++written;
            rows += static_cast<long>(run.points.size()) + (run.misclosure != 0 ? 4 : 2);
        });
        linking.push_back(SecondsSince(start));

        for (const char* suffix : {".xlsx", ".xls"}) {
            const std::string out = folder + "/export-bench" + suffix;
            const auto begin = Clock::now();
            const velmora::ExportResult result = velmora::ExportToWorkbook(
                records, selected, "1", 100.0, 0.005, velmora::SheetNameOf(selected), out, {});
            const double seconds = SecondsSince(begin);
            if (!result.saved) {
                // An .xls sheet ends at row 65536; a larger export only fits an .xlsx.
                if (std::strcmp(suffix, ".xls") == 0 && rows > 65536) {
                    xls.push_back(-1);
                    continue;
                }
                std::fprintf(stderr, "FAILED: %s: %s\n", out.c_str(), result.error.c_str());
                return 1;
            }
            (std::strcmp(suffix, ".xlsx") == 0 ? xlsx : xls).push_back(seconds);
        }
    }

    std::printf("%9s %7s %9s %8s %9s %10s %10s %10s\n", "lines", "runs", "selected", "linked",
                "rows", "linking s", "xlsx s", "xls s");
    const double xlsSeconds = Median(xls);
    char xlsText[32];
    if (xlsSeconds < 0)
        std::snprintf(xlsText, sizeof xlsText, "%s", "too many rows");
    else
        std::snprintf(xlsText, sizeof xlsText, "%.3f", xlsSeconds);
    std::printf("%9ld %7ld %9zu %8ld %9ld %10.3f %10.3f %10s\n", shape.lines, shape.runs,
                selected.size(), written, rows, Median(linking), Median(xlsx), xlsText);
    return written > 0 ? 0 : 1;
}
