// SPDX-License-Identifier: MIT
// The run list of a large Leica GSI book: a sample book written out K times one after the
// other (its runs then numbered on through the copies), read and listed as `runs` does it, in a
// child process per repetition, so that each repetition's CPU time and peak memory are its own.
//
//     velmora-bench-gsi [--copies 200,2000] [--repeat 5] [--dir FOLDER] [BOOK.gsi]
#include "BenchSupport.h"

#include "fieldbook/MeasurementFile.h"
#include "runs/RunCatalog.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace velmora;
using namespace velmora::bench;

constexpr double kBytesPerMB = 1e6;

struct Options {
    std::vector<int> copies{200, 2000};
    int repeat = 5;
    std::string folder = DefaultBenchFolder();
    std::string book = VELMORA_SAMPLE_GSI;
};

// What one child measured: wall and CPU seconds of read and list, peak memory, entries.
struct Repetition {
    double wall = 0;
    double cpu = 0;
    double peakMB = 0;
    std::size_t entries = 0;
    bool good = false;
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// The child's work: the book read, every run analysed and the list filled at class II, as
// `runs` does before it prints. Its entry count goes back through the pipe.
[[noreturn]] void ListInChild(const std::string& path, int out)
{
    const Clock::time_point start = Clock::now();
    RecordList records;
    RunStretches stretches;
    std::string error;
    const bool read = ReadMeasurementFile(path, records, error, &stretches);
    const RunCatalog catalog(records, stretches);
    RunList list;
    list.Fill(stretches, catalog, CoefficientOf(kStartClass));
    const double wall = SecondsSince(start);
    const std::size_t entries = read ? list.entries().size() : 0;
    const ssize_t written = write(out, &entries, sizeof entries) + write(out, &wall, sizeof wall);
    _exit(read && written == sizeof entries + sizeof wall ? 0 : 1);
}

Repetition Measure(const std::string& path)
{
    Repetition result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        ListInChild(path, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    int status = 0;
    rusage usage{};
    const bool got = child > 0 && read(pipeEnds[0], &result.entries, sizeof result.entries) == sizeof result.entries &&
                     read(pipeEnds[0], &result.wall, sizeof result.wall) == sizeof result.wall;
    close(pipeEnds[0]);
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        result.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
        result.peakMB = static_cast<double>(usage.ru_maxrss) * 1024.0 / kBytesPerMB;
        result.good = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return result;
}

// The sample written `copies` times into the folder, once; its path, empty when it fails.
std::string ConcatenatedBook(const Options& options, int copies)
{
    std::ifstream in(options.book, std::ios::binary);
    const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return {};
    std::filesystem::create_directories(options.folder);
    const std::string path = options.folder + "/gsi-x" + std::to_string(copies) + ".gsi";
    std::error_code error;
    if (std::filesystem::file_size(path, error) == sample.size() * static_cast<std::size_t>(copies))
        return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < copies; ++i)
        out.write(sample.data(), static_cast<std::streamsize>(sample.size()));
    return out.good() ? path : std::string();
}

std::vector<int> ParseCopies(const char* text)
{
    std::vector<int> copies;
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');)
        copies.push_back(std::atoi(item.c_str()));
    return copies;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--copies" && i + 1 < argc)
            options.copies = ParseCopies(argv[++i]);
        else if (arg == "--repeat" && i + 1 < argc)
            options.repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--dir" && i + 1 < argc)
            options.folder = argv[++i];
        else
            options.book = arg;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    std::printf("%8s %10s %9s %10s %10s %9s %10s\n", "copies", "file MB", "entries", "list s",
                "cpu s", "peak MB", "peak/file");
    int status = 0;
    for (const int copies : options.copies) {
        const std::string path = ConcatenatedBook(options, copies);
        if (path.empty() || copies <= 0) {
            std::fprintf(stderr, "velmora-bench-gsi: cannot write %d copies of %s\n", copies, options.book.c_str());
            return 1;
        }
        const double fileMB = static_cast<double>(std::filesystem::file_size(path)) / kBytesPerMB;
        std::vector<double> wall, cpu, peak;
        std::size_t entries = 0;
        bool good = true;
        for (int i = 0; i < options.repeat; ++i) {
            const Repetition repetition = Measure(path);
            good = good && repetition.good && (i == 0 || repetition.entries == entries);
            entries = repetition.entries;
            wall.push_back(repetition.wall);
            cpu.push_back(repetition.cpu);
            peak.push_back(repetition.peakMB);
        }
        std::printf("%8d %10.1f %9zu %10.3f %10.3f %9.1f %10.2f%s\n", copies, fileMB, entries,
                    Median(wall), Median(cpu), Median(peak), Median(peak) / fileMB, good ? "" : "  FAILED");
        status = good ? status : 1;
    }
    return status;
}
