// SPDX-License-Identifier: MIT
// velmora-bench-minimal: the least a program must do to print a field book's run list, as the
// yardstick for `velmora-tesk-cli runs` (see compare_minimal.sh).
//
//     velmora-bench-minimal FILE
//
// Maps the file, cuts each line's five fields by its layout, skips what the loader skips (value
// type no observation code, an event marker), sums each run with the simple backsight/
// foresight rule and prints "R // M" per run in order of first appearance. It checks nothing
// else and knows no other method; its numbers agree with the tool's on a BF book.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

std::string_view Cut(std::string_view line, std::size_t first, std::size_t count)
{
    if (first >= line.size())
        return {};
    std::string_view field = line.substr(first, count);
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ')
        field.remove_suffix(1);
    return field;
}

double Number(std::string_view text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Run {
    std::string first, last;
    long points = 0;
    double height = 0, length = 0, back = 0, backDistance = 0;
    bool opened = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-bench-minimal FILE\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size == 0)
        return 1;
    const auto size = static_cast<std::size_t>(info.st_size);
    const char* text = static_cast<const char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
    if (text == MAP_FAILED)
        return 1;

    std::unordered_map<std::uint32_t, Run> runs;
    std::vector<std::pair<std::uint32_t, std::string>> order;
    const char* at = text;
    const char* const end = text + size;
    while (at < end) {
        const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        std::string_view line(at, static_cast<std::size_t>((newline ? newline : end) - at));
        at = newline ? newline + 1 : end;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const bool m5 = line.substr(0, 3) == "For";
        const std::string_view code = m5 ? Cut(line, 49, 2) : Cut(line, 36, 2);
        if (code != "Rb" && code != "Rf" && code != "Sh" && code != "Db" && code != "Rz")
            continue;
        if (memmem(line.data(), line.size(), "-Line", 5) || memmem(line.data(), line.size(), "repeated", 8) ||
            memmem(line.data(), line.size(), "#####", 5) || memmem(line.data(), line.size(), ".DAT", 4))
            continue;
        const std::string_view number = m5 ? Cut(line, 44, 4) : Cut(line, 31, 4);
        std::uint32_t key = 0;
        std::memcpy(&key, number.data(), number.size());
        auto [found, added] = runs.try_emplace(key);
        if (added)
            order.emplace_back(key, std::string(number));
        Run& run = found->second;
        const std::string_view point = m5 ? Cut(line, 20, 9) : Cut(line, 7, 9);
        const double reading = Number(m5 ? Cut(line, 51, 15) : Cut(line, 38, 13));
        const double distance = Number(m5 ? Cut(line, 74, 15) : Cut(line, 53, 13));
        if (code == "Rb") {
            if (!run.opened) {
                run.opened = true;
                run.height = 0;
                run.first = point;
                run.last = point;
                ++run.points;
            }
            run.back = reading;
            run.backDistance = distance;
        } else if (code == "Rf") {
            run.height = (run.height + run.back) - reading;
            run.length = (run.length + run.backDistance) + distance;
            run.last = point;
            ++run.points;
        }
    }
    std::string out;
    char number[64];
    for (const auto& [key, name] : order) {
        const Run& run = runs[key];
        out += name;
        if (run.points < 2) {
            out += " // ****\n";
        } else if (run.first != run.last) {
            out += " // ----\n";
        } else {
            std::snprintf(number, sizeof number, " // %.4f%s\n", std::round(run.height * 1e4) / 1e4,
                          std::fabs(run.height) > 0.005 * std::sqrt(run.length * 0.001) ? " " : "");
            out += number;
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
