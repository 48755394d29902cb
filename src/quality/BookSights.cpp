// SPDX-License-Identifier: MIT
#include "quality/BookSights.h"

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/RunStretches.h"
#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "runs/Station.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace velmora {

namespace {

// The largest distance among the sights.
double Longest(const std::vector<Sight>& sights)
{
    double longest = 0;
    for (const Sight& sight : sights)
        longest = std::max(longest, sight.distance);
    return longest;
}

// The spread of the readings of one sight (largest minus smallest); 0 for a single reading.
double Spread(const std::vector<Sight>& sights)
{
    if (sights.empty())
        return 0;
    const auto [low, high] = std::minmax_element(
        sights.begin(), sights.end(),
        [](const Sight& a, const Sight& b) { return a.reading < b.reading; });
    return high->reading - low->reading;
}

bool AllFinite(const StationSights& station)
{
    return std::isfinite(station.heightDifference) && std::isfinite(station.back) &&
           std::isfinite(station.fore) && std::isfinite(station.backDistance) &&
           std::isfinite(station.foreDistance) && std::isfinite(station.longestSight) &&
           std::isfinite(station.readingDifference.value_or(0));
}

RunSights SightsOf(const RunStations& walked, const LevellingRun& sums)
{
    RunSights run;
    run.runNumber = walked.runNumber;
    run.method = std::string(MethodName(walked.method));
    run.doubleReadings = ReadingsPerSight(walked.method) == 2;
    run.unreadable = walked.cause;
    run.heightSum = sums.heightSum;
    run.distanceSum = sums.distanceSum;
    run.instrument = walked.instrument;
    // Whether the run closes does not depend on the class: any coefficient tells it.
    const RunStatus status = sums.Status(1.0);
    run.closed = status == RunStatus::WithinTolerance || status == RunStatus::AboveTolerance;
    if (!walked.Readable())
        return run;

    if (walked.openingStation < walked.stations.size())
        run.firstPoint = walked.stations[walked.openingStation].backPoint;
    run.stations.reserve(walked.stations.size() - walked.openingStation);
    std::vector<UnreadableCause> breaks = ChainBreaksOf(walked);
    auto nextBreak = breaks.begin();
    for (std::size_t i = walked.openingStation; i < walked.stations.size(); ++i) {
        const Station& station = walked.stations[i];
        // A backsight that the next one replaced, or the run's last, is no set-up of its own.
        if (!station.HasBacksight() || !station.HasForesight())
            continue;
        StationSights sights;
        sights.backPoint = station.backPoint;
        sights.forePoint = station.forePoint;
        sights.back = station.back;
        sights.fore = station.fore;
        sights.heightDifference = station.HeightDifference();
        sights.backDistance = station.backDistance;
        sights.foreDistance = station.foreDistance;
        sights.longestSight = std::max(Longest(station.backsights), Longest(station.foresights));
        if (run.doubleReadings)
            sights.readingDifference =
                std::max(Spread(station.backsights), Spread(station.foresights));
        if (!AllFinite(sights)) {
            // A reading or distance that is no number: nothing of this run may be shown.
            run.unreadable = {UnreadableCause::Kind::StationNotANumber, run.stations.size() + 1};
            run.stations.clear();
            run.chainBreaks.clear();
            return run;
        }
        while (nextBreak != breaks.end() && nextBreak->station < i + 1)
            ++nextBreak;
        if (nextBreak != breaks.end() && nextBreak->station == i + 1)
            run.chainBreaks.push_back({run.stations.size(), std::move(nextBreak->expectedPoint)});
        run.stations.push_back(std::move(sights));
    }
    // Without a station nothing was measured: only the book's start record can name a method.
    if (run.stations.empty() && !walked.methodFromBook)
        run.method.clear();
    return run;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The first "hh:mm:ss" in a line (hours below 24, minutes and seconds below 60); empty when none.
std::string_view TimeIn(std::string_view line)
{
    // Every candidate has its first colon two places in: only the colons are looked at.
    for (std::size_t colon = line.find(':', 2); colon != std::string_view::npos && colon + 6 <= line.size();
         colon = line.find(':', colon + 1)) {
        const std::string_view t = line.substr(colon - 2, 8);
        const bool shape = IsDigit(t[0]) && IsDigit(t[1]) && t[2] == ':' && IsDigit(t[3]) &&
                           IsDigit(t[4]) && t[5] == ':' && IsDigit(t[6]) && IsDigit(t[7]);
        if (shape && (t[0] - '0') * 10 + (t[1] - '0') < 24 && t[3] < '6' && t[6] < '6')
            return t;
    }
    return {};
}

}  // namespace

RecordedTimes TimesOf(const RecordList& records)
{
    // The first from the front, the last from the back: a book's lines between them are not read.
    RecordedTimes times;
    std::size_t first = 0;
    for (; first < records.size() && times.first.empty(); ++first)
        times.first = TimeIn(records[first].lineText());
    for (std::size_t i = records.size(); i > first && times.last.empty(); --i)
        times.last = TimeIn(records[i - 1].lineText());
    if (times.last.empty())
        times.last = times.first;
    return times;
}

void EachRunSights(const RecordList& records, RodScale scale, const RunSightsSink& onRun)
{
    const RunStretches stretches(records);
    // The runs of the run list, each once, in the order of its first entry.
    std::unordered_set<std::string_view> seen;
    const std::vector<std::string> listed = stretches.CollapsedRunNumbers();
    for (const std::string& number : listed) {
        const std::string_view trimmed = TrimText(number);
        if (!seen.insert(trimmed).second)
            continue;
        const std::int64_t index = stretches.IndexOfRun(trimmed);
        if (index < 0)
            continue;
        // The run list's sums, read in the same walk.
        LevellingRun listed;
        RunStations walked = WalkRunOf(records, stretches, static_cast<std::uint32_t>(index),
                                       [&](const Station& station, bool opening) { listed.AddStation(station, opening); });
        listed.TakeHeader(walked);
        CorrectReadings(walked, scale);
        onRun(SightsOf(walked, LevellingRun::Of(walked)), walked, listed);
    }
}

std::vector<RunSights> SightsOfRuns(const RecordList& records, RodScale scale)
{
    std::vector<RunSights> runs;
    EachRunSights(records, scale, [&](RunSights run, const RunStations&, const LevellingRun&) { runs.push_back(std::move(run)); });
    return runs;
}

}  // namespace velmora
