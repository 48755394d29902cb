// SPDX-License-Identifier: MIT
// Back and Forward with a long journal: every step reads the field book again and replays all
// entries before the new position. Also the memory the journal holds.
//
//   velmora-bench-journal [--lines N] [--runs R] [--entries E] [--repeat K] [--dir FOLDER]
//
// Defaults: a 100,000-line field book with 1,000 runs and 10,000 journal entries, mixed as a
// surveyor makes them: selection clicks, class changes and cell edits typed into the grid.

#include "BenchSupport.h"
#include "state/MainWindowState.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using velmora::bench::Clock;
using velmora::bench::Median;
using velmora::bench::SecondsSince;

// Resident memory of this process now, in bytes.
long long ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// A small deterministic generator, so every run records the same journal.
struct Random {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint64_t Next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
};

}  // namespace

int main(int argc, char** argv)
{
    velmora::bench::BenchOptions defaults;
    defaults.shape = {100'000, 1'000, 1};
    defaults.count = 10'000;
    const auto [shape, repeat, entryCount, folder] =
        velmora::bench::ParseBenchOptions(argc, argv, defaults, "--entries");
    const std::string path = velmora::bench::GeneratedFieldBook(shape, folder, "journal");
    if (path.empty())
        return 1;

    // 1. A mixed journal: mostly clicks, some class changes, keystrokes in the grid.
    velmora::MainWindowState state;
    if (!state.OpenAtStart(path)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    Random random;
    const velmora::ToleranceClass classes[] = {velmora::ToleranceClass::I, velmora::ToleranceClass::II,
                                               velmora::ToleranceClass::III, velmora::ToleranceClass::IV};
    while (static_cast<long>(state.journal().entries().size()) < entryCount) {
        const std::size_t roll = random.Below(100);
        if (roll < 70 || state.grid().rowRecords().empty()) {
            state.SetSelected(random.Below(state.runList().size()), random.Below(2) == 0);
            state.ClickCheck();
        } else if (roll < 80) {
            state.ChooseClass(classes[random.Below(4)]);
        } else {
            const int row = 1 + static_cast<int>(random.Below(state.grid().rowRecords().size()));
            std::string reading(state.GridCell(row, 2));
            reading.back() = static_cast<char>('0' + random.Below(10));
            state.OnSetEditText(row, 2, reading);
        }
    }

    std::vector<double> back, forward;
    for (int i = 0; i < repeat; ++i) {
        auto start = Clock::now();
        state.Back();
        back.push_back(SecondsSince(start));
        start = Clock::now();
        state.Forward();
        forward.push_back(SecondsSince(start));
    }
    if (state.journal().position() != state.journal().entries().size() || state.runList().empty()) {
        std::fprintf(stderr, "FAILED: the journal did not come back to its end\n");
        return 1;
    }

    // 2. Memory of 10,000 list states over the whole list, as the journal holds them.
    const long long before = ResidentBytes();
    velmora::MainWindowState clicks;
    clicks.OpenAtStart(path);
    const long long loaded = ResidentBytes();
    for (long i = 0; i < entryCount; ++i) {
        clicks.SetSelected(random.Below(clicks.runList().size()), random.Below(2) == 0);
        clicks.ClickCheck();
    }
    const long long recorded = ResidentBytes();

    std::printf("%8s %6s %8s %10s %10s %14s %16s\n", "lines", "runs", "entries", "back s",
                "forward s", "list entries", "list states MB");
    std::printf("%8ld %6ld %8zu %10.3f %10.3f %14zu %16.1f\n", shape.lines, shape.runs,
                state.journal().entries().size(), Median(back), Median(forward),
                clicks.runList().size(), (recorded - loaded) / 1e6);
    (void)before;
    return 0;
}
