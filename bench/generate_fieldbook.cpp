// SPDX-License-Identifier: MIT
// velmora-generate-fieldbook: writes a synthetic DiNi 12 field book for trying the program on
// large files.
//
//     velmora-generate-fieldbook --lines 1000000 --runs 10000 --seed 7 big.DAT
//
// The same options always give the same bytes. A summary of what was written (how many runs of
// each kind) goes to standard output.

#include "FieldBookGenerator.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: velmora-generate-fieldbook [--lines N] [--runs R] [--seed S] OUTPUT\n"
    "  --lines N   about N lines (default 10000)\n"
    "  --runs R    R levelling runs (default 100)\n"
    "  --seed S    seed of the generator (default 1)\n";

template <typename Number>
bool ParseNumber(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv)
{
    velmora::bench::FieldBookShape shape;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view name) -> const char* {
            if (arg != name)
                return nullptr;
            if (i + 1 >= argc) {
                std::cerr << "velmora-generate-fieldbook: " << name << " needs a value\n" << kUsage;
                std::exit(2);
            }
            return argv[++i];
        };
        bool good = true;
        if (const char* v = value("--lines"))
            good = ParseNumber(v, shape.lines) && shape.lines > 0;
        else if (const char* v = value("--runs"))
            good = ParseNumber(v, shape.runs) && shape.runs > 0;
        else if (const char* v = value("--seed"))
            good = ParseNumber(v, shape.seed);
        else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "velmora-generate-fieldbook: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else if (output.empty()) {
            output = arg;
        } else {
            std::cerr << "velmora-generate-fieldbook: more than one output file\n" << kUsage;
            return 2;
        }
        if (!good) {
            std::cerr << "velmora-generate-fieldbook: bad value for " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (output.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    velmora::bench::FieldBookSummary summary;
    std::string error;
    if (!velmora::bench::WriteFieldBook(shape, output, summary, error)) {
        std::cerr << "velmora-generate-fieldbook: " << error << "\n";
        return 1;
    }
    std::cout << velmora::bench::SummaryText(shape, summary);
    return 0;
}
