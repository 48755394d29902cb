// SPDX-License-Identifier: MIT
// velmora-bench-runlist: how long opening, re-classing and saving a large field book takes, and
// how much memory it needs.
//
//     velmora-bench-runlist [--sizes 10000,100000,1000000] [--repeat 5] [--dir FOLDER]
//                           [--seed S] [--verbose]
//
// For every size (lines; one run per 100 lines) a synthetic field book is generated once into
// FOLDER and reused later. Each size is then measured in a child process of its own, so that its
// peak memory is not mixed up with that of another size. Every step is repeated and the median
// is shown. What each step computes is checked against what the generator wrote; a wrong result
// makes the program exit with status 1. See README.md for the columns.

#include "FieldBookGenerator.h"

#include "fieldbook/MeasurementFile.h"
#include "runs/LevellingRun.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using velmora::bench::FieldBookShape;
using velmora::bench::FieldBookSummary;

constexpr const char* kUsage =
    "usage: velmora-bench-runlist [--sizes N,N,...] [--repeat K] [--dir FOLDER] [--seed S] [--verbose]\n"
    "  --sizes   field-book sizes in lines, one run per 100 lines (default 10000,100000,1000000)\n"
    "  --repeat  repetitions of every step; the median is shown (default 5)\n"
    "  --dir     where the generated field books are kept (default $TMPDIR/velmora-bench)\n"
    "  --seed    seed of the generated field books (default 1)\n"
    "  --verbose every repetition's times on standard error\n";

constexpr double kBytesPerMB = 1e6;

struct Options {
    std::vector<long> sizes = {10'000, 100'000, 1'000'000};
    int repeat = 5;
    std::string folder;
    std::uint64_t seed = 1;
    bool verbose = false;
};

// What a child reports to the parent through a pipe (same program, so raw bytes do).
struct Measurement {
    long entries = 0;
    double loadSeconds = 0;
    double firstLoadSeconds = 0;  // the first load in a fresh process: its heap is still empty
    double switchSeconds = 0;
    double editSwitchSeconds = 0;
    double saveSeconds = 0;
    double peakMB = 0;
    double startMB = 0;  // peak memory of the child before it loaded anything
};

struct Book {
    FieldBookShape shape;
    FieldBookSummary summary;
    std::string path;
};

template <typename Number>
bool ParseNumber(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

[[noreturn]] void UsageError(const std::string& message)
{
    std::fprintf(stderr, "velmora-bench-runlist: %s\n%s", message.c_str(), kUsage);
    std::exit(2);
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc)
                UsageError(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "--sizes") {
            options.sizes.clear();
            std::string_view list = value();
            while (!list.empty()) {
                const auto comma = list.find(',');
                long size = 0;
                if (!ParseNumber(list.substr(0, comma), size) || size < 100)
                    UsageError("sizes are whole numbers of lines, at least 100");
                options.sizes.push_back(size);
                list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            }
            if (options.sizes.empty())
                UsageError("--sizes needs at least one size");
        } else if (arg == "--repeat") {
            if (!ParseNumber(value(), options.repeat) || options.repeat < 1)
                UsageError("--repeat needs a whole number of at least 1");
        } else if (arg == "--dir") {
            options.folder = value();
        } else if (arg == "--seed") {
            if (!ParseNumber(value(), options.seed))
                UsageError("--seed needs a whole number");
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            UsageError("unknown argument " + std::string(arg));
        }
    }
    if (options.folder.empty()) {
        const char* base = std::getenv("TMPDIR");
        options.folder = std::string(base && *base ? base : "/tmp") + "/velmora-bench";
    }
    return options;
}

long long FileSize(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// The field book of that shape, generated unless a complete one is already in the folder.
bool PrepareBook(const Options& options, long lines, Book& book)
{
    book.shape.lines = lines;
    book.shape.runs = std::max(1L, lines / 100);
    book.shape.seed = options.seed;
    // The "g1" names the generator's output format: change it when the generator changes.
    const std::string stem = options.folder + "/fieldbook-g1-" + std::to_string(lines) + "-" +
                             std::to_string(book.shape.runs) + "-" + std::to_string(options.seed);
    book.path = stem + ".DAT";
    const std::string summaryPath = stem + ".summary";

    FieldBookShape stored;
    if (velmora::bench::ReadSummary(summaryPath, stored, book.summary) &&
        stored.lines == book.shape.lines && stored.runs == book.shape.runs &&
        stored.seed == book.shape.seed && FileSize(book.path) == book.summary.bytes)
        return true;

    std::error_code ignored;
    std::filesystem::create_directories(options.folder, ignored);
    std::fprintf(stderr, "generating %s ...\n", book.path.c_str());
    std::string error;
    if (!velmora::bench::WriteFieldBook(book.shape, book.path, book.summary, error)) {
        std::fprintf(stderr, "velmora-bench-runlist: %s\n", error.c_str());
        return false;
    }
    std::ofstream summaryFile(summaryPath, std::ios::trunc);
    summaryFile << velmora::bench::SummaryText(book.shape, book.summary);
    return static_cast<bool>(summaryFile);
}

double PeakMB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / kBytesPerMB;  // ru_maxrss is in KiB
}

long MinorFaults()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

class Stopwatch {
public:
    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Collects what went wrong in a child; any failure makes its exit status 1.
class Checks {
public:
    explicit Checks(long lines) : lines_(lines) {}

    void Expect(bool condition, const char* what, long long got, long long expected)
    {
        if (condition)
            return;
        ++failures_;
        std::fprintf(stderr, "velmora-bench-runlist: %ld lines: %s: got %lld, expected %lld\n",
                     lines_, what, got, expected);
    }

    void ExpectEqual(const char* what, long long got, long long expected)
    {
        Expect(got == expected, what, got, expected);
    }

    bool failed() const { return failures_ > 0; }

private:
    long lines_;
    int failures_ = 0;
};

struct EntryCounts {
    long empty = 0;       // " // ****"
    long open = 0;        // " // ----"
    long unreadable = 0;  // " // ???? "
    long red = 0;         // above tolerance (ends in a blank, not unreadable)
    long within = 0;
    double misclosureSum = 0;  // metres, as shown
};

EntryCounts CountEntries(const velmora::RunList& list)
{
    EntryCounts counts;
    for (const velmora::RunListEntry& entry : list.entries()) {
        const std::string_view text = entry.text;
        const auto separator = text.rfind(" // ");
        const std::string_view mark =
            separator == std::string_view::npos ? std::string_view() : text.substr(separator);
        if (mark == " // ****") {
            ++counts.empty;
        } else if (mark == " // ----") {
            ++counts.open;
        } else if (mark == velmora::kUnreadableMark || mark.empty()) {
            ++counts.unreadable;
        } else {
            (velmora::IsMarkedRed(text) ? counts.red : counts.within) += 1;
            counts.misclosureSum += std::strtod(std::string(mark.substr(4)).c_str(), nullptr);
        }
    }
    return counts;
}

// The run list must show the kinds of run the generator wrote. `redRuns` is how many closed
// runs are above the class's tolerance.
void CheckEntries(Checks& checks, const velmora::RunList& list, const FieldBookSummary& summary,
                  long redRuns, const char* classText)
{
    const EntryCounts counts = CountEntries(list);
    const std::string prefix = std::string("class ") + classText + ": ";
    checks.ExpectEqual((prefix + "entries").c_str(), static_cast<long long>(list.size()), summary.runs);
    checks.ExpectEqual((prefix + "empty runs").c_str(), counts.empty, summary.emptyRuns);
    checks.ExpectEqual((prefix + "open runs").c_str(), counts.open, summary.openRuns);
    checks.ExpectEqual((prefix + "unreadable runs").c_str(), counts.unreadable, 0);
    checks.ExpectEqual((prefix + "runs above tolerance").c_str(), counts.red, redRuns);
    checks.ExpectEqual((prefix + "runs within tolerance").c_str(), counts.within,
                       summary.closedRuns() - redRuns);
    // Each shown misclosure is rounded to 0.1 mm, so the sum may be off by 0.05 mm per run.
    const double expected = static_cast<double>(summary.misclosureSum) * 1e-5;
    const double slack = 0.00005 * static_cast<double>(summary.closedRuns()) + 1e-9;
    checks.Expect(std::fabs(counts.misclosureSum - expected) <= slack,
                  (prefix + "sum of shown misclosures (0.01 mm)").c_str(),
                  std::llround(counts.misclosureSum * 1e5), summary.misclosureSum);
}

// Runs in the child: every step `repeat` times, checked each time.
Measurement MeasureBook(const Book& book, const Options& options, Checks& checks)
{
    using namespace velmora;
    const double classI = CoefficientOf(ToleranceClass::I);
    const double classII = CoefficientOf(ToleranceClass::II);
    const FieldBookSummary& summary = book.summary;
    const std::string savePath =
        options.folder + "/save-" + std::to_string(getpid()) + ".DAT";

    Measurement result;
    result.startMB = PeakMB();
    std::vector<double> load, classSwitch, editSwitch, save;
    for (int repetition = 0; repetition < options.repeat; ++repetition) {
        // Opening a file: read it, analyse every run, list the runs at the start class.
        const long faultsBefore = MinorFaults();
        const Stopwatch loadTime;
        RecordList records;
        std::string error;
        const bool read = ReadMeasurementFile(book.path, records, error);
        const double readDone = loadTime.Seconds();
        RunCatalog catalog(records);
        const double catalogDone = loadTime.Seconds();
        const std::vector<std::string> runNumbers = CollapsedRunNumbers(records);
        const double numbersDone = loadTime.Seconds();
        RunList list;
        list.Fill(runNumbers, catalog, classII);
        load.push_back(loadTime.Seconds());
        const long loadFaults = MinorFaults() - faultsBefore;

        if (!read) {
            std::fprintf(stderr, "velmora-bench-runlist: %s: %s\n", book.path.c_str(), error.c_str());
            checks.Expect(false, "file read", 0, 1);
            break;
        }
        checks.ExpectEqual("records", static_cast<long long>(records.size()), summary.lines);
        CheckEntries(checks, list, summary, summary.aboveClassII, "II");
        result.entries = static_cast<long>(list.size());

        // The user has a few runs selected when switching class.
        for (std::size_t i = 0; i < list.size(); i += 7)
            list.SetSelected(i, true);
        const std::size_t selectedBefore = list.SelectedRunNumbersInOrder().size();

        // Class switch: every entry's text again, from the catalog of the loaded records.
        const Stopwatch switchTime;
        list.Refresh(catalog, classI);
        classSwitch.push_back(switchTime.Seconds());

        CheckEntries(checks, list, summary, summary.withinClassII + summary.aboveClassII, "I");
        checks.ExpectEqual("selected entries after the class switch",
                           static_cast<long long>(list.SelectedRunNumbersInOrder().size()),
                           static_cast<long long>(selectedBefore));
        const std::vector<RunListEntry> afterSwitch = list.entries();

        // An edit in the grid (here one that keeps the values), then a class switch: the
        // catalog is built again from the records before the texts are recomputed.
        MeasurementRecord& edited = records[records.size() / 2];
        edited.SetGridFields(std::string(edited.pointNumber()), std::string(edited.valueType()),
                             std::string(edited.reading()), std::string(edited.distance()));
        const Stopwatch editTime;
        catalog = RunCatalog(records);
        list.Refresh(catalog, classI);
        editSwitch.push_back(editTime.Seconds());

        checks.Expect(list.entries() == afterSwitch,
                      "entries after an edit that changed nothing differ from before", 0, 1);

        // Saving with no run deleted from the list.
        const RunNumberSet deleted = list.DeletedRunNumbers(RunStretches(records));
        const Stopwatch saveTime;
        const bool saved = WriteMeasurementFile(savePath, records, deleted, error);
        save.push_back(saveTime.Seconds());

        if (!saved)
            std::fprintf(stderr, "velmora-bench-runlist: %s: %s\n", savePath.c_str(), error.c_str());
        // Nothing was deleted and the book has CR LF line ends and no empty lines, so the saved
        // file is the book again, byte for byte as long.
        checks.ExpectEqual("saved file size", FileSize(savePath), summary.bytes);
        std::remove(savePath.c_str());

        if (options.verbose) {
            std::fprintf(stderr,
                         "  %ld lines, repetition %d: load+list %.4f s, switch %.6f s, "
                         "switch after edit %.6f s, save %.4f s\n"
                         "    load+list = read %.4f + catalog %.4f + run numbers %.4f + fill %.4f s; "
                         "%ld page faults\n",
                         book.shape.lines, repetition + 1, load.back(), classSwitch.back(),
                         editSwitch.back(), save.back(), readDone, catalogDone - readDone,
                         numbersDone - catalogDone, load.back() - numbersDone, loadFaults);
        }
        if (checks.failed())
            break;
    }
    result.loadSeconds = Median(load);
    result.firstLoadSeconds = load.front();
    result.switchSeconds = Median(classSwitch.empty() ? std::vector<double>{0} : classSwitch);
    result.editSwitchSeconds = Median(editSwitch.empty() ? std::vector<double>{0} : editSwitch);
    result.saveSeconds = Median(save.empty() ? std::vector<double>{0} : save);
    result.peakMB = PeakMB();
    return result;
}

// Measures one book in a child process; false when the child failed or a check did.
bool MeasureInChild(const Book& book, const Options& options, Measurement& result)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        std::perror("velmora-bench-runlist: pipe");
        return false;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("velmora-bench-runlist: fork");
        return false;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        Checks checks(book.shape.lines);
        const Measurement measured = MeasureBook(book, options, checks);
        const bool written = write(pipeEnds[1], &measured, sizeof measured) ==
                             static_cast<ssize_t>(sizeof measured);
        std::fflush(nullptr);
        _exit(checks.failed() || !written ? 1 : 0);
    }
    close(pipeEnds[1]);
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&result);
    while (got < sizeof result) {
        const ssize_t n = read(pipeEnds[0], bytes + got, sizeof result - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got == sizeof result && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ProcessorName()
{
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    }
    return "unknown processor";
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);

    std::vector<Book> books(options.sizes.size());
    for (std::size_t i = 0; i < books.size(); ++i) {
        if (!PrepareBook(options, options.sizes[i], books[i]))
            return 1;
    }

    std::printf("%s, %ld processors; median of %d; field books in %s\n\n", ProcessorName().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN), options.repeat, options.folder.c_str());
    std::printf("%9s %6s %8s %8s %12s %10s %10s %10s %8s %8s %9s\n", "lines", "runs",
                "file MB", "entries", "load+list s", "1st load s", "switch s", "edit+sw s",
                "save s", "peak MB", "peak/file");
    std::fflush(stdout);

    bool allGood = true;
    for (const Book& book : books) {
        Measurement m;
        const bool good = MeasureInChild(book, options, m);
        const double fileMB = static_cast<double>(book.summary.bytes) / kBytesPerMB;
        if (!good) {
            allGood = false;
            std::printf("%9ld %6ld %8.1f   FAILED (see the messages above)\n", book.summary.lines,
                        book.summary.runs, fileMB);
        } else {
            std::printf("%9ld %6ld %8.1f %8ld %12.4f %10.4f %10.6f %10.6f %8.4f %8.1f %9.2f\n",
                        book.summary.lines, book.summary.runs, fileMB, m.entries, m.loadSeconds,
                        m.firstLoadSeconds, m.switchSeconds, m.editSwitchSeconds, m.saveSeconds, m.peakMB,
                        m.peakMB / fileMB);
            if (options.verbose)
                std::fprintf(stderr, "  %ld lines: %.1f MB peak before loading\n",
                             book.summary.lines, m.startMB);
        }
        std::fflush(stdout);
    }
    return allGood ? 0 : 1;
}
