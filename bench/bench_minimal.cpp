// SPDX-License-Identifier: MIT
// velmora-bench-minimal: the least a program must do to print a field book's run list, as the
// yardstick for `velmora-tesk-cli runs` (see compare_minimal.sh).
//
//     velmora-bench-minimal FILE
//
// Maps the file and makes one pass over it: cuts each line's fields at the fixed columns of its
// layout, skips what the loader skips (a value type that is no observation code, an event
// marker, an M5 line flagged as failed), sums each run with the backsight/foresight rule and
// notes each stretch of consecutive lines of one run. Then it prints one entry per stretch,
// "R // M" as the tool writes it (class II). It checks nothing else and knows no other method
// and no unit but metres; on a BF book in metres its list is byte for byte the tool's.

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

bool IsEvent(std::string_view line)
{
    return memmem(line.data(), line.size(), "Start-Line", 10) || memmem(line.data(), line.size(), "End-Line", 8) ||
           memmem(line.data(), line.size(), "repeated", 8) || memmem(line.data(), line.size(), "#####", 5) ||
           memmem(line.data(), line.size(), ".DAT", 4);
}

struct Run {
    std::string_view first, last;  // point numbers, in the mapped file
    long points = 0;
    double height = 0, length = 0, back = 0, backDistance = 0;
    bool opened = false;
};

// The tool's rounding of a misclosure to 0.1 mm: halves away from zero, computed this way.
double RoundTo4(double x)
{
    const double a = std::fabs(x * 10000);
    const double c = std::ceil(a);
    const double magnitude = (c - a > 0.5 ? c - 1 : c) * 0.0001;
    return std::copysign(magnitude, x);
}

// "0.0034", "-0.0002", "0", "-0": four decimals at most, no trailing zeros.
void AppendNumber(std::string& out, double x)
{
    char text[64];
    int size = std::snprintf(text, sizeof text, "%.4f", x);
    while (size > 0 && text[size - 1] == '0')
        --size;
    if (size > 0 && text[size - 1] == '.')
        --size;
    out.append(text, static_cast<std::size_t>(size));
}

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
    const char* text = static_cast<const char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0));
    if (text == MAP_FAILED)
        return 1;

    std::unordered_map<std::string_view, Run> runs;
    std::vector<std::string_view> stretches;  // the run number of each stretch, in file order
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
        if (code != "Rb" && code != "Rf" && code != "Rz" && code != "Sh" && code != "Db")
            continue;
        if ((m5 && line.size() > 118 && line[118] == 'e') || IsEvent(line))
            continue;
        const std::string_view number = m5 ? Cut(line, 44, 4) : Cut(line, 31, 4);
        if (stretches.empty() || stretches.back() != number)
            stretches.push_back(number);
        Run& run = runs[number];
        const bool back = code == "Rb";
        if (!back && code != "Rf")
            continue;
        const std::string_view point = m5 ? Cut(line, 20, 9) : Cut(line, 7, 9);
        const double reading = Number(m5 ? Cut(line, 51, 15) : Cut(line, 38, 13));
        const double distance = Number(m5 ? Cut(line, 74, 15) : Cut(line, 53, 13));
        if (back) {
            if (!run.opened) {
                // The first backsight opens the run; a foresight before it keeps its point and
                // distance, not its height difference.
                run.opened = true;
                run.height = 0;
                if (run.points++ == 0)
                    run.first = point;
                run.last = point;
            }
            run.back = reading;
            run.backDistance = distance;
        } else {
            run.height = (run.height + run.back) - reading;
            run.length = (run.length + run.backDistance) + distance;
            if (run.points++ == 0)
                run.first = point;
            run.last = point;
        }
    }
    std::string out;
    for (const std::string_view number : stretches) {
        const Run& run = runs[number];
        out += number;
        if (run.points < 2) {
            out += " // ****\n";
        } else if (run.first != run.last) {
            out += " // ----\n";
        } else {
            out += " // ";
            AppendNumber(out, RoundTo4(run.height));
            out += std::fabs(run.height) > 0.005 * std::sqrt(run.length * 0.001) ? " \n" : "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
