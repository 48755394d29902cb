// SPDX-License-Identifier: MIT
#include "monitor/Monitoring.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "monitor/CycleAdjustment.h"
#include "monitor/CycleDate.h"
#include "network/NetworkOfBooks.h"

#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

namespace {

// A cycle read from its books, with its equations and its adjustment.
struct ReadCycle {
    const CycleInput* input = nullptr;
    std::size_t inputIndex = 0;
    long day = 0;
    std::vector<std::vector<RunStations>> bookRuns;  // per book, every run
    std::vector<CycleBookRuns> books;                // the selected runs
    CycleNetwork network;
    std::unordered_map<std::string, std::size_t> named;  // benchmark or mark → its point
    CycleSolution solution;
};

// Reads the cycle's books and selects its runs as the network adjustment does.
bool ReadCycleBooks(const CycleInput& input, int number, ReadCycle& cycle, std::string& error)
{
    cycle.input = &input;
    cycle.bookRuns.reserve(input.books.size());
    RunSelection selection(input.runs);
    NetworkRefusal refusal;
    for (const CycleBook& book : input.books) {
        RecordList records;
        ParseMeasurementText(book.bytes, records);
        cycle.bookRuns.push_back(WalkAllRuns(records));
        CorrectReadings(cycle.bookRuns.back(), input.rodScale);
        CycleBookRuns selected{book.name, {}};
        if (!selection.Select(cycle.bookRuns.back(), cycle.books.size(), book.name, selected.runs, refusal)) {
            error = CycleText(number, input.date) + ": " + Cp1251ToUtf8(book.name) + ", " + refusal.reason;
            return false;
        }
        cycle.books.push_back(std::move(selected));
    }
    if (!selection.Complete(refusal)) {
        error = Fill(Tr("{1}: run {2} is in none of its field books"),
                     {CycleText(number, input.date), Cp1251ToUtf8(refusal.subject)});
        return false;
    }
    return true;
}

std::vector<std::string> MarksOf(const MonitorSettings& settings,
                                 const std::vector<std::unique_ptr<ReadCycle>>& cycles)
{
    std::vector<std::string> marks;
    if (settings.marks) {
        marks = *settings.marks;
    } else {
        for (const auto& cycle : cycles) {
            for (const CycleBookRuns& book : cycle->books)
                CollectDefaultMarks(book.runs, marks);
        }
    }
    std::erase_if(marks, [&settings](const std::string& mark) {
        return std::any_of(settings.benchmarks.begin(), settings.benchmarks.end(),
                           [&mark](const Benchmark& b) { return b.point == mark; });
    });
    return marks;
}

class Evaluation {
public:
    Evaluation(const MonitorSettings& settings, MonitoringResult& result)
        : settings_(settings), result_(result)
    {
    }

    bool Run(const std::vector<CycleInput>& inputs, std::string& error);

private:
    bool Read(const std::vector<CycleInput>& inputs, std::string& error);
    bool AdjustFirst(std::string& error);
    bool AdjustLater(std::size_t k, std::string& error);
    bool Solve(std::size_t k, const std::vector<std::string>& held, std::string& error);
    std::optional<std::size_t> PointIn(std::size_t k, const std::string& name) const;
    void Settlements();
    void SettlementsOf(const std::string& point, bool benchmark);
    void CycleSummaries();

    const MonitorSettings& settings_;
    MonitoringResult& result_;
    std::vector<std::unique_ptr<ReadCycle>> cycles_;
    std::vector<std::string> marks_;
    std::map<std::string, double> base_;
};

bool Evaluation::Read(const std::vector<CycleInput>& inputs, std::string& error)
{
    for (const CycleInput& input : inputs) {
        if (!DayOfDate(input.date)) {
            error = NotADateText(input.date);
            return false;
        }
    }
    const std::vector<std::size_t> order = CycleOrder(inputs);
    for (std::size_t i = 0; i < order.size(); ++i) {
        cycles_.push_back(std::make_unique<ReadCycle>());
        cycles_.back()->day = *DayOfDate(inputs[order[i]].date);
        cycles_.back()->inputIndex = order[i];
        if (!ReadCycleBooks(inputs[order[i]], static_cast<int>(i) + 1, *cycles_.back(), error))
            return false;
    }
    marks_ = MarksOf(settings_, cycles_);
    std::unordered_set<std::string> named(marks_.begin(), marks_.end());
    for (const Benchmark& benchmark : settings_.benchmarks)
        named.insert(benchmark.point);
    const auto isNamed = [&named](const std::string& point) { return named.count(point) > 0; };
    for (std::size_t k = 0; k < cycles_.size(); ++k) {
        ReadCycle& cycle = *cycles_[k];
        if (!BuildCycleNetwork(cycle.books, isNamed, cycle.network, error)) {
            error = CycleText(static_cast<int>(k) + 1, cycle.input->date) + ": " + error;
            return false;
        }
        for (std::size_t p = 0; p < cycle.network.points.size(); ++p) {
            if (cycle.network.named[p])
                cycle.named.emplace(cycle.network.points[p], p);
        }
    }
    return true;
}

std::optional<std::size_t> Evaluation::PointIn(std::size_t k, const std::string& name) const
{
    const auto found = cycles_[k]->named.find(name);
    if (found == cycles_[k]->named.end())
        return std::nullopt;
    return found->second;
}

// Adjusts cycle k with `held` at their base heights and fills its line of the result.
bool Evaluation::Solve(std::size_t k, const std::vector<std::string>& held, std::string& error)
{
    ReadCycle& cycle = *cycles_[k];
    CycleResult& line = result_.cycles[k];
    const std::string name = CycleText(line.number, line.date);
    if (held.empty()) {
        error = Fill(Tr("{1} reaches no benchmark with a height"), {name});
        return false;
    }
    std::vector<HeldPoint> points;
    for (const std::string& benchmark : held)
        points.push_back({*PointIn(k, benchmark), base_.at(benchmark)});
    if (!SolveCycle(cycle.network, points, {}, cycle.solution, error)) {
        error = name + ": " + error;
        return false;
    }
    line.stableBenchmarks = held;
    line.sigma0 = cycle.solution.Sigma0();
    line.degreesOfFreedom = cycle.solution.degreesOfFreedom;
    // A benchmark without a base height takes the one this cycle gives it.
    for (const Benchmark& benchmark : settings_.benchmarks) {
        const auto point = PointIn(k, benchmark.point);
        if (point && !base_.count(benchmark.point) && cycle.solution.reached[*point])
            base_[benchmark.point] = cycle.solution.height[*point];
    }
    return true;
}

bool Evaluation::AdjustFirst(std::string& error)
{
    std::vector<std::string> held;
    for (const Benchmark& benchmark : settings_.benchmarks) {
        if (benchmark.height)
            base_[benchmark.point] = *benchmark.height;
        if (benchmark.height && PointIn(0, benchmark.point))
            held.push_back(benchmark.point);
    }
    return Solve(0, held, error);
}

// The congruence test of the benchmarks shared with cycle 1 decides which are held; those
// first met after cycle 1 are held at the base heights they took then.
bool Evaluation::AdjustLater(std::size_t k, std::string& error)
{
    std::vector<SharedBenchmark> shared;
    std::vector<std::string> later;
    for (const Benchmark& benchmark : settings_.benchmarks) {
        const auto inCycle = PointIn(k, benchmark.point);
        const auto inFirst = PointIn(0, benchmark.point);
        if (inCycle && inFirst && base_.count(benchmark.point))
            shared.push_back({benchmark.point, *inCycle, *inFirst, base_.at(benchmark.point)});
        else if (inCycle && base_.count(benchmark.point))
            later.push_back(benchmark.point);
    }
    CycleResult& line = result_.cycles[k];
    std::vector<std::string> held;
    if (shared.size() < 2) {
        for (const SharedBenchmark& benchmark : shared)
            held.push_back(benchmark.point);
    } else {
        BenchmarkStability stability;
        if (!FindStableBenchmarks(cycles_[k]->network, cycles_[0]->network, shared,
                                  settings_.sigma, settings_.alpha, stability, error)) {
            error = CycleText(line.number, line.date) + ": " + error;
            return false;
        }
        line.congruence = stability.test;
        for (const std::size_t i : stability.stable)
            held.push_back(shared[i].point);
        for (const std::size_t i : stability.moved)
            line.movedBenchmarks.push_back(shared[i].point);
        if (stability.undecided)
            line.disagreements.push_back({shared[stability.remaining[0]].point,
                                          shared[stability.remaining[1]].point,
                                          stability.disagreement.difference, stability.disagreement});
    }
    held.insert(held.end(), later.begin(), later.end());
    return Solve(k, held, error);
}

void Evaluation::SettlementsOf(const std::string& point, bool benchmark)
{
    MonitoredPoint series{point, benchmark, {}};
    const double sigma = settings_.sigma;
    const double z = boost::math::quantile(boost::math::normal(), 1 - settings_.alpha / 2);
    const PointInCycle* first = nullptr;
    std::optional<std::size_t> previousCycle;
    for (std::size_t k = 0; k < cycles_.size(); ++k) {
        const auto at = PointIn(k, point);
        const CycleSolution& solution = cycles_[k]->solution;
        if (!at || !solution.reached[*at])
            continue;
        PointInCycle now;
        now.cycle = result_.cycles[k].number;
        now.height = solution.height[*at];
        const double q = solution.cofactor[*at];
        now.sigma = sigma * std::sqrt(q);
        if (first) {
            const PointInCycle& before = series.cycles.back();
            const double qFirst = std::pow(first->sigma / sigma, 2);
            const double qBefore = std::pow(before.sigma / sigma, 2);
            now.settlement = now.height - before.height;
            now.sigmaSettlement = sigma * std::sqrt(q + qBefore);
            const long days = cycles_[k]->day - cycles_[*previousCycle]->day;
            if (days != 0)
                now.rate = *now.settlement / static_cast<double>(days);
            now.sinceFirst = now.height - first->height;
            now.sigmaSinceFirst = sigma * std::sqrt(q + qFirst);
            now.significant = std::abs(now.sinceFirst) > z * now.sigmaSinceFirst;
        }
        series.cycles.push_back(now);
        first = &series.cycles.front();
        previousCycle = k;
    }
    if (!series.cycles.empty())
        result_.points.push_back(std::move(series));
}

void Evaluation::CycleSummaries()
{
    for (CycleResult& line : result_.cycles) {
        double sum = 0;
        int count = 0;
        for (const MonitoredPoint& point : result_.points) {
            if (point.benchmark || point.cycles.front().cycle != 1)
                continue;
            for (const PointInCycle& at : point.cycles) {
                if (at.cycle != line.number)
                    continue;
                sum += at.sinceFirst;
                ++count;
                if (!line.largestSettlement || std::abs(at.sinceFirst) > std::abs(*line.largestSettlement))
                    line.largestSettlement = at.sinceFirst;
            }
        }
        if (count > 0)
            line.meanSettlement = sum / count;
    }
}

void Evaluation::Settlements()
{
    for (const Benchmark& benchmark : settings_.benchmarks)
        SettlementsOf(benchmark.point, true);
    // Marks in order of first appearance: cycle by cycle, as their equations meet them.
    std::unordered_set<std::string> marks(marks_.begin(), marks_.end());
    std::unordered_set<std::string> done;
    for (const auto& cycle : cycles_) {
        for (std::size_t p = 0; p < cycle->network.points.size(); ++p) {
            const std::string& name = cycle->network.points[p];
            if (cycle->network.named[p] && marks.count(name) && done.insert(name).second)
                SettlementsOf(name, false);
        }
    }
    CycleSummaries();
}

bool Evaluation::Run(const std::vector<CycleInput>& inputs, std::string& error)
{
    result_ = {};
    if (inputs.empty())
        return true;
    if (!Read(inputs, error))
        return false;
    for (std::size_t k = 0; k < cycles_.size(); ++k) {
        CycleResult line;
        line.number = static_cast<int>(k) + 1;
        line.date = cycles_[k]->input->date;
        line.input = cycles_[k]->inputIndex;
        line.rodScale = cycles_[k]->input->rodScale;
        for (const CycleBook& book : cycles_[k]->input->books)
            line.books.push_back(book.name);
        result_.cycles.push_back(std::move(line));
        if (!(k == 0 ? AdjustFirst(error) : AdjustLater(k, error)))
            return false;
    }
    Settlements();
    return true;
}

}  // namespace

std::vector<std::size_t> CycleOrder(const std::vector<CycleInput>& cycles)
{
    std::vector<std::size_t> order(cycles.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<long> days;
    for (const CycleInput& cycle : cycles)
        days.push_back(DayOfDate(cycle.date).value_or(std::numeric_limits<long>::min()));
    std::stable_sort(order.begin(), order.end(), [&days](std::size_t a, std::size_t b) { return days[a] < days[b]; });
    return order;
}

std::string CycleText(int number, const std::string& date)
{
    return Fill(Tr("cycle {1} ({2})"), {std::to_string(number), date});
}

bool EvaluateMonitoring(const MonitorSettings& settings, const std::vector<CycleInput>& cycles,
                        MonitoringResult& result, std::string& error)
{
    return Evaluation(settings, result).Run(cycles, error);
}

}  // namespace velmora
