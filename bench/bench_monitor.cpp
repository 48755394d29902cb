// SPDX-License-Identifier: MIT
// Settlement monitoring of a large project: cycles of one loop of stations from benchmark R1 over
// R2 and R3, with marks sighted as intermediate sights, the marks settling a little each cycle.
// Times opening the project and computing every cycle (what show, report and export do first),
// the CSV and the .xlsx export, and adding one cycle the way `monitor add` does.
//
//   velmora-bench-monitor [--cycles C] [--stations K] [--marks M] [--repeat R]
//
// Defaults: 100 cycles of 1,000 stations over 200 marks.

#include "BenchSupport.h"
#include "MonitorBooks.h"
#include "monitor/MonitorOutput.h"
#include "monitor/MonitorProject.h"
#include "monitor/MonitorReport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

using velmora::testing::SetUp;

struct Shape {
    int cycles = 100;
    int stations = 1000;
    int marks = 200;
};

std::string Name(const char* prefix, int number)
{
    return prefix + std::to_string(number);
}

// The loop of one cycle: turning points T…, R2 and R3 a third and two thirds of the way, the
// marks sighted from every few stations.
velmora::CycleInput Cycle(const Shape& shape, int cycle)
{
    std::vector<SetUp> setUps;
    std::map<std::string, double> heights{{"R1", 100.0}, {"R2", 100.4}, {"R3", 99.8}};
    std::string back = "R1";
    const int every = std::max(1, shape.stations / std::max(1, shape.marks));
    for (int s = 1; s <= shape.stations; ++s) {
        std::string fore = s == shape.stations ? "R1" : s == shape.stations / 3 ? "R2"
                           : s == 2 * shape.stations / 3                         ? "R3"
                                                                                 : Name("T", s);
        heights.emplace(fore, 100 + 0.5 * std::sin(s));
        SetUp setUp{back, {}, fore};
        if (s % every == 0 && s / every <= shape.marks) {
            const int mark = s / every;
            setUp.intermediates.push_back(Name("M", mark));
            heights[Name("M", mark)] = 100 + 0.3 * std::cos(mark) - 0.0001 * cycle * (mark % 7);
        }
        setUps.push_back(setUp);
        back = fore;
    }
    char date[16];
    std::snprintf(date, sizeof date, "2024-%02d-%02d", 1 + cycle / 28 % 12, 1 + cycle % 28);
    return {date, {{Name("cycle", cycle) + ".DAT", velmora::testing::SyntheticBook(setUps, heights)}}, std::nullopt};
}

template <typename Work>
double MedianSeconds(int repeat, Work work)
{
    std::vector<double> seconds;
    for (int i = 0; i < repeat; ++i) {
        const auto start = velmora::bench::Clock::now();
        work();
        seconds.push_back(velmora::bench::SecondsSince(start));
    }
    return velmora::bench::Median(seconds);
}

bool Evaluate(const velmora::MonitorProject& project, const std::vector<velmora::CycleInput>& cycles,
              velmora::MonitoringResult& result)
{
    std::string error;
    if (velmora::EvaluateMonitoring(project.settings().monitor, cycles, result, error))
        return true;
    std::fprintf(stderr, "velmora-bench-monitor: %s\n", error.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    Shape shape;
    int repeat = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--cycles"))
            shape.cycles = value;
        else if (!std::strcmp(argv[i], "--stations"))
            shape.stations = value;
        else if (!std::strcmp(argv[i], "--marks"))
            shape.marks = value;
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = value;
    }
    const std::string folder = velmora::bench::DefaultBenchFolder();
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/monitor.vtm";
    std::filesystem::remove(path);
    velmora::ProjectSettings settings{{{{"R1", 100.0}, {"R2", {}}, {"R3", {}}}, std::nullopt, 0.001, 0.05}, "II"};
    velmora::MonitorProject project;
    velmora::ProjectFailure failure;
    bool made = project.Create(path, settings, failure);
    for (int c = 0; made && c < shape.cycles; ++c)
        made = project.AddCycle(Cycle(shape, c), failure);
    if (!made) {
        std::fprintf(stderr, "velmora-bench-monitor: %s\n", failure.Text().c_str());
        return 1;
    }
    velmora::MonitoringResult result;
    const double show = MedianSeconds(repeat, [&] {
        velmora::MonitorProject opened;
        opened.Open(path, failure);
        Evaluate(opened, opened.cycles(), result);
    });
    const double csv = MedianSeconds(repeat, [&] { volatile auto size = velmora::MonitorCsv(result).size(); (void)size; });
    std::string error;
    const double xlsx = MedianSeconds(repeat, [&] {
        velmora::SaveMonitorResults(folder + "/monitor.xlsx", velmora::OutputFormat::Xlsx, settings, result, error);
    });
    const double page = MedianSeconds(repeat, [&] {
        volatile auto size = velmora::MonitorReportPage(settings, result).size();
        (void)size;
    });
    const velmora::CycleInput extra = Cycle(shape, shape.cycles);
    const double add = MedianSeconds(repeat, [&] {
        velmora::MonitorProject opened;
        opened.Open(path, failure);
        std::vector<velmora::CycleInput> cycles = opened.cycles();
        cycles.push_back(extra);
        Evaluate(opened, cycles, result);
    });
    std::printf("%d cycles of %d stations over %d marks, median of %d:\n", shape.cycles, shape.stations,
                shape.marks, repeat);
    std::printf("  open and compute (show): %.3f s\n  CSV: %.3f s\n  .xlsx: %.3f s\n  report page: %.3f s\n"
                "  add's check: %.3f s\n",
                show, csv, xlsx, page, add);
    std::filesystem::remove(path);
    std::filesystem::remove(folder + "/monitor.xlsx");
    return 0;
}
