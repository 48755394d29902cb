// SPDX-License-Identifier: MIT
#pragma once

// Timing, medians and the generated field books shared by the benchmark programs.

#include "FieldBookGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// The folder the generated field books are kept in unless one is named.
inline std::string DefaultBenchFolder()
{
    return (std::filesystem::temp_directory_path() / "velmora-bench").string();
}

/// The options every benchmark takes: --lines N --runs R --repeat K --dir FOLDER, and one
/// count of its own (`countOption`, e.g. "--entries"; empty for none).
struct BenchOptions {
    FieldBookShape shape;
    int repeat = 5;
    long count = 0;
    std::string folder = DefaultBenchFolder();
};

/// Reads the options over the given defaults; unknown arguments are passed over.
inline BenchOptions ParseBenchOptions(int argc, char** argv, BenchOptions options,
                                      const char* countOption = "")
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* value = argv[i + 1];
        if (!std::strcmp(argv[i], "--lines"))
            options.shape.lines = std::atol(value);
        else if (!std::strcmp(argv[i], "--runs"))
            options.shape.runs = std::atol(value);
        else if (!std::strcmp(argv[i], "--repeat"))
            options.repeat = std::max(1, std::atoi(value));
        else if (!std::strcmp(argv[i], "--dir"))
            options.folder = value;
        else if (*countOption && !std::strcmp(argv[i], countOption))
            options.count = std::atol(value);
    }
    return options;
}

/// The path of a generated field book of this shape in `folder`, written there the first time.
/// Empty, after a message on stderr, when it cannot be written.
inline std::string GeneratedFieldBook(const FieldBookShape& shape, const std::string& folder,
                                      const std::string& prefix)
{
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + prefix + "-" + std::to_string(shape.lines) + "-" +
                             std::to_string(shape.runs) + ".DAT";
    FieldBookSummary summary;
    std::string error;
    if (!std::filesystem::exists(path) && !WriteFieldBook(shape, path, summary, error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
        return {};
    }
    return path;
}

}  // namespace velmora::bench
