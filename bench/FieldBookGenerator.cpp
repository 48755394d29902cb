// SPDX-License-Identifier: MIT
#include "FieldBookGenerator.h"

#include "FieldBookLines.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace velmora::bench {

namespace {

// splitmix64: tiny, fast, and the same sequence everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    /// A whole number in [low, high]; the slight bias of the modulo does not matter here.
    long Between(long low, long high)
    {
        if (high <= low)
            return low;
        return low + static_cast<long>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }

    /// True with probability `percent` / 100.
    bool Percent(int percent) { return static_cast<int>(Next() % 100) < percent; }

private:
    std::uint64_t state_;
};

// Readings and heights are kept in whole units of 0.01 mm, distances in whole millimetres, so
// every value written is exact and the misclosure of a closed run is known exactly.
constexpr long kLowestReading = 30'000;   // 0.30000 m
constexpr long kHighestReading = 290'000; // 2.90000 m
constexpr long kShortestSight = 5'000;    // 5.000 m
constexpr long kLongestSight = 40'000;    // 40.000 m
constexpr long kHeightDrift = 150'000;    // the running height difference stays within ±1.5 m

std::string FixedText(long long value, int decimals)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const char* sign = value < 0 ? "-" : "";
    const long long magnitude = value < 0 ? -value : value;
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", sign, magnitude / scale, decimals,
                  magnitude % scale);
    return text;
}

std::string ReadingText(long units) { return FixedText(units, 5); }
std::string DistanceText(long millimetres) { return FixedText(millimetres, 3); }

enum class RunKind { Empty, Open, WithinClassI, WithinClassII, AboveClassII };

struct Station {
    long backDistance = 0;  // mm
    long foreDistance = 0;  // mm
    int intermediates = 0;  // Rz lines between the backsight and the foresight
};

class Writer {
public:
    Writer(const std::function<void(std::string_view)>& emit, FieldBookSummary& summary)
        : emit_(emit), summary_(summary)
    {
    }

    long lines() const { return summary_.lines; }

    void Text(std::string_view text, const std::string& run)
    {
        Put(velmora::testing::M5TextLine(text, run, NextAddress()));
    }

    void Observation(const std::string& point, const std::string& run, const char* code,
                     long reading, long distance)
    {
        Put(velmora::testing::M5Line({point, run, code, ReadingText(reading), DistanceText(distance)},
                                     NextAddress()));
    }

    // The height of a point: the point block of an observation line, no value type, and the
    // height in the third block ("Z ... m").
    void Height(const std::string& point, const std::string& run, long long height)
    {
        std::string line = velmora::testing::M5Line({point, run, "", "", ""}, NextAddress());
        for (std::size_t column = 49; column < 94; ++column) {
            if (line[column] != '|')
                line[column] = ' ';
        }
        line[95] = 'Z';
        const std::string value = FixedText(height, 5);
        line.replace(112 - value.size(), value.size(), value);
        line.replace(112, 2, " m");
        Put(line);
    }

private:
    int NextAddress() { return static_cast<int>(summary_.lines % 99'999) + 1; }

    void Put(const std::string& line)
    {
        emit_(line);
        ++summary_.lines;
        summary_.bytes += static_cast<long long>(line.size()) + 2;
    }

    const std::function<void(std::string_view)>& emit_;
    FieldBookSummary& summary_;
};

// Splits the lines left for a run's stations (three per station, plus its intermediate sights)
// into stations; at least `minimum` of them.
std::vector<Station> PlanStations(long bodyLines, std::size_t minimum, Random& random)
{
    std::vector<Station> stations;
    long remaining = std::max<long>(bodyLines, static_cast<long>(3 * minimum));
    while (remaining >= 3) {
        Station station;
        station.backDistance = random.Between(kShortestSight, kLongestSight);
        station.foreDistance = std::clamp(station.backDistance + random.Between(-1'500, 1'500),
                                          kShortestSight, kLongestSight);
        long intermediates = random.Percent(12) ? random.Between(1, 2) : 0;
        if (remaining - 3 - intermediates < 3) {
            // Leave room for one more station if there is any, else take up what is left.
            intermediates = (remaining - 3 >= 3) ? 0 : remaining - 3;
        }
        station.intermediates = static_cast<int>(intermediates);
        stations.push_back(station);
        remaining -= 3 + intermediates;
    }
    return stations;
}

// A misclosure (0.01 mm units) for a closed run of that length, at least 20 % inside or outside
// the allowed misclosure of the classes around it.
long ChooseMisclosure(RunKind kind, long lengthMm, Random& random)
{
    const double rootKm = std::sqrt(static_cast<double>(lengthMm) / 1e6);
    const double allowedI = 200.0 * rootKm;   // 0.002 m × √km in 0.01 mm
    const double allowedII = 500.0 * rootKm;  // 0.005 m × √km in 0.01 mm
    double low = 0;
    double high = 0;
    switch (kind) {
    case RunKind::WithinClassI: low = 20; high = 0.8 * allowedI; break;
    case RunKind::WithinClassII: low = 1.25 * allowedI; high = 0.8 * allowedII; break;
    default: low = 1.25 * allowedII; high = 2.0 * allowedII; break;
    }
    const long lowUnits = static_cast<long>(std::ceil(low));
    const long highUnits = std::max(lowUnits, static_cast<long>(std::floor(high)));
    const long magnitude = std::max(1L, random.Between(lowUnits, highUnits));
    return random.Percent(50) ? magnitude : -magnitude;
}

RunKind ChooseKind(long runIndex, bool sharedNumber, Random& random)
{
    if (sharedNumber)
        return RunKind::Open;
    if (runIndex % 30 == 7)
        return RunKind::Empty;
    const int roll = static_cast<int>(random.Next() % 100);
    if (roll < 20)
        return RunKind::Open;
    if (roll < 60)
        return RunKind::WithinClassI;
    if (roll < 88)
        return RunKind::WithinClassII;
    return RunKind::AboveClassII;
}

void GenerateRun(long runIndex, long runCount, long budget, Random& random, Writer& out,
                 FieldBookSummary& summary)
{
    const long number = runIndex % kLargestRunNumber + 1;
    const bool sharedNumber = runCount > kLargestRunNumber &&
                              (runIndex >= kLargestRunNumber || runIndex < runCount - kLargestRunNumber);
    const std::string run = std::to_string(number);
    const std::string start = "RP" + std::to_string(runIndex + 1);
    const RunKind kind = ChooseKind(runIndex, sharedNumber, random);
    ++summary.runs;

    out.Text("Start-Line      BF", run);
    if (kind == RunKind::Empty) {
        // Set up, took one backsight, and gave up.
        out.Observation(start, run, "Rb", random.Between(kLowestReading, kHighestReading),
                        random.Between(kShortestSight, kLongestSight));
        out.Text("End-Line", run);
        ++summary.emptyRuns;
        return;
    }

    const bool closed = kind != RunKind::Open;
    const std::vector<Station> stations = PlanStations(budget - 3, closed ? 2 : 1, random);
    long lengthMm = 0;
    for (const Station& station : stations)
        lengthMm += station.backDistance + station.foreDistance;
    const long misclosure = closed ? ChooseMisclosure(kind, lengthMm, random) : 0;

    const long long startHeight = 10'000'000 + random.Between(0, 30'000'000);  // 100 … 400 m
    out.Height(start, run, startHeight);

    long height = 0;  // running height difference from the start, 0.01 mm
    long detail = 0;
    std::string previous = start;
    for (std::size_t s = 0; s < stations.size(); ++s) {
        const Station& station = stations[s];
        const bool last = s + 1 == stations.size();
        long back = 0;
        long fore = 0;
        if (last && closed) {
            // Come back to the start, off by exactly the chosen misclosure.
            back = random.Between(std::max(kLowestReading, kLowestReading - height + misclosure),
                                  std::min(kHighestReading, kHighestReading - height + misclosure));
            fore = back + height - misclosure;
        } else {
            back = random.Between(kLowestReading, kHighestReading);
            fore = random.Between(std::max(kLowestReading, back + height - kHeightDrift),
                                  std::min(kHighestReading, back + height + kHeightDrift));
        }
        height += back - fore;

        std::string next;
        if (last)
            next = closed ? start : "BM" + std::to_string(runIndex + 1);
        else
            next = std::to_string(s + 1);

        out.Observation(previous, run, "Rb", back, station.backDistance);
        for (int i = 0; i < station.intermediates; ++i) {
            out.Observation("D" + std::to_string(++detail), run, "Rz",
                            random.Between(kLowestReading, kHighestReading),
                            random.Between(kShortestSight, kLongestSight));
        }
        out.Observation(next, run, "Rf", fore, station.foreDistance);
        out.Height(next, run, startHeight + height);
        previous = next;
    }
    out.Text("End-Line", run);

    switch (kind) {
    case RunKind::Open: ++summary.openRuns; break;
    case RunKind::WithinClassI: ++summary.withinClassI; break;
    case RunKind::WithinClassII: ++summary.withinClassII; break;
    case RunKind::AboveClassII: ++summary.aboveClassII; break;
    case RunKind::Empty: break;
    }
    if (closed)
        summary.misclosureSum += misclosure;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

FieldBookSummary GenerateFieldBook(const FieldBookShape& shape,
                                   const std::function<void(std::string_view line)>& emitLine)
{
    FieldBookSummary summary;
    Random random(shape.seed);
    Writer out(emitLine, summary);
    out.Text("BENCH" + std::to_string(shape.seed % 1000) + ".DAT", "");
    const long runCount = std::max(1L, shape.runs);
    for (long i = 0; i < runCount; ++i) {
        const long budget = std::max(0L, shape.lines - out.lines()) / (runCount - i);
        GenerateRun(i, runCount, budget, random, out, summary);
    }
    return summary;
}

bool WriteFieldBook(const FieldBookShape& shape, const std::string& path,
                    FieldBookSummary& summary, std::string& error)
{
    const std::string partial = path + ".part";
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(partial.c_str(), "wb"));
        if (!file) {
            error = partial + ": " + std::strerror(errno);
            return false;
        }
        std::vector<char> buffer(1 << 20);
        std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
        std::FILE* stream = file.get();
        summary = GenerateFieldBook(shape, [stream](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stream);
            std::fwrite("\r\n", 1, 2, stream);
        });
        const bool failed = std::ferror(stream) != 0;
        if (std::fclose(file.release()) != 0 || failed) {
            error = partial + ": " + std::strerror(errno ? errno : EIO);
            std::remove(partial.c_str());
            return false;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

std::string SummaryText(const FieldBookShape& shape, const FieldBookSummary& summary)
{
    std::ostringstream text;
    text << "asked-lines " << shape.lines << "\n"
         << "asked-runs " << shape.runs << "\n"
         << "seed " << shape.seed << "\n"
         << "lines " << summary.lines << "\n"
         << "bytes " << summary.bytes << "\n"
         << "runs " << summary.runs << "\n"
         << "empty-runs " << summary.emptyRuns << "\n"
         << "open-runs " << summary.openRuns << "\n"
         << "within-class-I " << summary.withinClassI << "\n"
         << "within-class-II " << summary.withinClassII << "\n"
         << "above-class-II " << summary.aboveClassII << "\n"
         << "misclosure-sum " << summary.misclosureSum << "\n";
    return text.str();
}

bool ReadSummary(const std::string& path, FieldBookShape& shape, FieldBookSummary& summary)
{
    std::ifstream file(path);
    if (!file)
        return false;
    std::map<std::string, long long> values;
    std::string key;
    std::string value;
    while (file >> key >> value) {
        // The seed may use all 64 bits; it is kept as the same bits in a long long.
        try {
            values[key] = static_cast<long long>(key == "seed" ? std::stoull(value) : std::stoll(value));
        } catch (const std::exception&) {
            return false;
        }
    }
    const char* keys[] = {"asked-lines", "asked-runs", "seed", "lines", "bytes", "runs",
                          "empty-runs", "open-runs", "within-class-I", "within-class-II",
                          "above-class-II", "misclosure-sum"};
    for (const char* k : keys) {
        if (!values.count(k))
            return false;
    }
    shape.lines = static_cast<long>(values["asked-lines"]);
    shape.runs = static_cast<long>(values["asked-runs"]);
    shape.seed = static_cast<std::uint64_t>(values["seed"]);
    summary.lines = static_cast<long>(values["lines"]);
    summary.bytes = values["bytes"];
    summary.runs = static_cast<long>(values["runs"]);
    summary.emptyRuns = static_cast<long>(values["empty-runs"]);
    summary.openRuns = static_cast<long>(values["open-runs"]);
    summary.withinClassI = static_cast<long>(values["within-class-I"]);
    summary.withinClassII = static_cast<long>(values["within-class-II"]);
    summary.aboveClassII = static_cast<long>(values["above-class-II"]);
    summary.misclosureSum = values["misclosure-sum"];
    return true;
}

}  // namespace velmora::bench
