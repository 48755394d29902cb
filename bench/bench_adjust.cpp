// SPDX-License-Identifier: MIT
// The least-squares adjustment of a large levelling network: junctions on a square grid, every
// two neighbours joined by a run of stations in series, two corners fixed.
//
//   velmora-bench-adjust [--side S] [--stations K] [--repeat R] [--books PREFIX] [--solver]
//
// Defaults: 51 × 51 junctions and runs of 20 stations, 102,000 stations in all. With --books
// the network is written as field books instead, for timing `velmora-tesk-cli adjust` on it;
// with --solver only the solver is timed, on the grid's normal equations as
// bench/adjust_reference.py builds them for scipy.

#include "BenchSupport.h"
#include "FieldBookLines.h"
#include "NetworkGenerator.h"
#include "network/NetworkAdjustment.h"
#include "network/SelectedInverse.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

// CPU time of the process: on a machine that other work shares, wall time says little.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// A reading or a distance with `decimals` decimals, without the locale.
std::string Decimals(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The runs [first, last) of the network as one M5 book: a Start-Line, per station a backsight
// and a foresight (half the sight length each, readings 1.5 m ± dh/2), an End-Line. Run numbers
// have four columns, so each book numbers its runs from 1.
bool WriteBook(const velmora::testing::GeneratedNetwork& network, std::size_t first,
               std::size_t last, std::size_t& station, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    const auto put = [&out](const std::string& line) { out << line << "\r\n"; };
    for (std::size_t r = first; r < last; ++r) {
        const std::string run = std::to_string(r - first + 1);
        put(velmora::testing::M5TextLine("Start-Line      BF", run));
        for (; station < network.observations.size() &&
               network.observations[station].run == network.runs[r];
             ++station) {
            const velmora::LevellingObservation& o = network.observations[station];
            const std::string half = Decimals(o.length / 2, 3);
            // A turning point is named by its place in this book's run.
            const auto name = [&](const std::string& point) {
                return point[0] == 'J' ? point : run + point.substr(point.find('-'));
            };
            put(velmora::testing::M5Line({name(o.from), run, "Rb", Decimals(1.5 + o.heightDifference / 2, 5), half}));
            put(velmora::testing::M5Line({name(o.to), run, "Rf", Decimals(1.5 - o.heightDifference / 2, 5), half}));
        }
        put(velmora::testing::M5TextLine("End-Line", run));
    }
    return static_cast<bool>(out);
}

// The network as books PREFIX-1.DAT, PREFIX-2.DAT, … of at most 9,999 runs and the fixed
// heights as PREFIX.fixed ("POINT HEIGHT" a line).
int WriteBooks(const velmora::testing::GeneratedNetwork& network, const std::string& prefix)
{
    constexpr std::size_t kRunsPerBook = 9999;
    std::size_t station = 0;
    for (std::size_t first = 0, book = 1; first < network.runs.size(); first += kRunsPerBook, ++book) {
        const std::string path = prefix + "-" + std::to_string(book) + ".DAT";
        if (!WriteBook(network, first, std::min(first + kRunsPerBook, network.runs.size()), station, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    std::ofstream fixed(prefix + ".fixed");
    for (const velmora::FixedHeight& known : network.fixedHeights)
        fixed << known.point << ' ' << Decimals(known.height, 5) << '\n';
    std::printf("%s.fixed\n", prefix.c_str());
    return fixed ? 0 : 1;
}

// The normal equations of the grid, lower triangle: junctions row by row with the first and
// the last fixed, every section between neighbours of weight 1 / (K × 0.06 km).
Eigen::SparseMatrix<double> GridNormalEquations(const velmora::testing::NetworkShape& shape)
{
    const int side = shape.junctionsPerSide;
    const int last = side * side - 1;
    const auto unknown = [last](int junction) { return junction == 0 || junction == last ? -1 : junction - 1; };
    const double p = 1.0 / (shape.stationsPerRun * shape.stationLength / 1000);
    std::vector<Eigen::Triplet<double>> triplets;
    const auto add = [&](int from, int to) {
        const int a = unknown(from);
        const int b = unknown(to);
        if (a >= 0)
            triplets.emplace_back(a, a, p);
        if (b >= 0)
            triplets.emplace_back(b, b, p);
        if (a >= 0 && b >= 0)
            triplets.emplace_back(std::max(a, b), std::min(a, b), -p);
    };
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            if (c + 1 < side)
                add(r * side + c, r * side + c + 1);
            if (r + 1 < side)
                add(r * side + c, (r + 1) * side + c);
        }
    }
    Eigen::SparseMatrix<double> normal(last - 1, last - 1);
    normal.setFromTriplets(triplets.begin(), triplets.end());
    return normal;
}

// The solver alone, median CPU times of its steps: assembly, factorization (the AMD ordering
// included), solution, selected inverse.
int TimeSolver(const velmora::testing::NetworkShape& shape, int repeat)
{
    std::vector<double> steps[4];
    long factorEntries = 0;
    for (int i = 0; i < repeat; ++i) {
        double at = CpuSeconds();
        const auto lap = [&at](std::vector<double>& times) {
            const double now = CpuSeconds();
            times.push_back(now - at);
            at = now;
        };
        const Eigen::SparseMatrix<double> normal = GridNormalEquations(shape);
        lap(steps[0]);
        const velmora::SelectedInverse::Factor factor(normal);
        lap(steps[1]);
        const Eigen::VectorXd x = factor.solve(Eigen::VectorXd::Ones(normal.rows()));
        lap(steps[2]);
        const velmora::SelectedInverse inverse(factor);
        lap(steps[3]);
        factorEntries = static_cast<long>(factor.matrixL().nestedExpression().nonZeros()) + normal.rows();
        if (!(x.allFinite() && inverse.At(0, 0) > 0))
            return 1;
    }
    const double total = velmora::bench::Median(steps[0]) + velmora::bench::Median(steps[1]) +
                         velmora::bench::Median(steps[2]);
    std::printf("unknowns %ld, entries of L %ld (diagonal included)\n",
                static_cast<long>(shape.junctionsPerSide) * shape.junctionsPerSide - 2, factorEntries);
    std::printf("solver CPU s (median of %d): assembly %.3f, factor %.3f, solve %.3f, total %.3f; "
                "selected inverse %.3f\n",
                repeat, velmora::bench::Median(steps[0]), velmora::bench::Median(steps[1]),
                velmora::bench::Median(steps[2]), total, velmora::bench::Median(steps[3]));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    velmora::testing::NetworkShape shape;
    shape.junctionsPerSide = 51;
    shape.stationsPerRun = 20;
    int repeat = 5;
    std::string books;
    bool solver = false;
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (!std::strcmp(argv[i], "--solver"))
            solver = true;
        else if (!std::strcmp(argv[i], "--side"))
            shape.junctionsPerSide = std::atoi(value), ++i;
        else if (!std::strcmp(argv[i], "--stations"))
            shape.stationsPerRun = std::atoi(value), ++i;
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(value)), ++i;
        else if (!std::strcmp(argv[i], "--books"))
            books = value, ++i;
    }
    if (solver)
        return TimeSolver(shape, repeat);
    const velmora::testing::GeneratedNetwork generated = velmora::testing::GenerateNetwork(shape);
    if (!books.empty())
        return WriteBooks(generated, books);
    velmora::LevellingNetwork network;
    network.observations = generated.observations;

    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    velmora::NetworkAdjustment result;
    for (int i = 0; i < repeat; ++i) {
        std::string error;
        const auto start = velmora::bench::Clock::now();
        const double cpuStart = CpuSeconds();
        if (!velmora::AdjustNetwork(network, generated.fixedHeights, shape.sigma, result, error)) {
            std::fprintf(stderr, "adjustment failed: %s\n", error.c_str());
            return 1;
        }
        seconds.push_back(velmora::bench::SecondsSince(start));
        cpuSeconds.push_back(CpuSeconds() - cpuStart);
    }
    long nodes = 0;
    for (const velmora::AdjustedPoint& point : result.points)
        nodes += point.kind == velmora::PointKind::node && !point.fixed;
    std::printf("stations %zu, sections %zu, unknown nodes %ld, degrees of freedom %ld, "
                "sigma0 %.3f mm/km^0.5\n",
                network.observations.size(), result.sections.size(), nodes,
                result.degreesOfFreedom, result.sigma0 * 1000);
    std::printf("adjustment: median %.3f s of %d (min %.3f s, max %.3f s)\n",
                velmora::bench::Median(seconds), repeat,
                *std::min_element(seconds.begin(), seconds.end()),
                *std::max_element(seconds.begin(), seconds.end()));
    std::printf("adjustment CPU time: median %.3f s\n", velmora::bench::Median(cpuSeconds));
    return 0;
}
