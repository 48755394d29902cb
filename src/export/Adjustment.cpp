#include "export/Adjustment.h"

#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"

#include <cmath>
#include <set>

namespace velmora {

RunRecords::RunRecords(const RecordList& records, const std::vector<std::string>& runNumbers)
{
    for (const std::string& number : runNumbers)
        records_.try_emplace(std::string(TrimText(number)));
    std::string_view lastRun;
    std::vector<std::size_t>* last = nullptr;
    bool first = true;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].skipped)
            continue;
        const std::string_view run = TrimText(records[i].runNumber());
        if (first || run != lastRun) {
            const auto found = records_.find(run);
            last = found == records_.end() ? nullptr : &found->second;
            lastRun = run;
            first = false;
        }
        if (last)
            last->push_back(i);
    }
}

const std::vector<std::size_t>& RunRecords::Of(std::string_view runNumber) const
{
    static const std::vector<std::size_t> kNone;
    const auto found = records_.find(TrimText(runNumber));
    return found == records_.end() ? kNone : found->second;
}

RunLink FindLink(const std::vector<PointEntry>& points, const KnownHeights& known)
{
    RunLink link;
    for (const PointEntry& entry : points) {
        const std::string_view point = TrimText(entry.point);
        if (const auto found = known.find(point); found != known.end()) {
            link.found = true;
            link.point = std::string(point);
            link.height = found->second;
            link.offset = link.height - entry.height;
            break;
        }
    }
    return link;
}

RunPoints CollectRunPoints(const RecordList& records, const std::vector<std::size_t>& runRecords,
                           const KnownHeights& known)
{
    RunPoints run;
    int state = 0;  // 0: no backsight yet; 1: on the first backsight; 2: the run has begun
    double running = 0;
    double back = 0;
    double backDistance = 0;
    double fore = 0;
    for (const std::size_t index : runRecords) {
        const MeasurementRecord& record = records[index];
        const std::string_view code = record.valueType();
        if (code == "Rb") {
            back = TextToNumber(record.reading());
            backDistance = TextToNumber(record.distance());
            if (state == 0)
                state = 1;
        }
        if (code == "Rf" || state == 1) {
            double stationDistance = 0;
            if (state == 1) {
                running = 0;
                state = 2;
            } else {
                fore = TextToNumber(record.reading());
                running = running + back - fore;
                stationDistance = TextToNumber(record.distance()) + backDistance;
                run.length = run.length + stationDistance;
            }
            run.points.push_back({std::string(record.pointNumber()), running, stationDistance, false});
        } else if (code == "Rz") {
            // An intermediate sight builds on the backsight of its station and changes nothing.
            run.points.push_back(
                {std::string(record.pointNumber()), running + back - TextToNumber(record.reading()),
                 0, true});
        }
    }
    run.link = FindLink(run.points, known);
    return run;
}

AdjustedRun AdjustRunPoints(RunPoints run, double toleranceCoefficient)
{
    AdjustedRun result;
    std::vector<PointEntry>& points = run.points;
    double offset = run.link.offset;

    double dZ = 0;
    if (points.size() >= 2 && TrimText(points.back().point) == TrimText(points.front().point))
        dZ = points.back().height;

    if (dZ != 0) {
        double correction = 0;
        double largest = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            PointEntry& entry = points[i];
            if (i > 0) {
                if (entry.intermediate) {
                    entry.height = entry.height + correction;
                } else {
                    const double share = entry.stationDistance * (dZ / run.length);
                    correction = correction - share;
                    if (std::fabs(share) > largest)
                        largest = std::fabs(share);
                    entry.height = entry.height + correction;
                }
            }
            // The last occurrence of the linked point decides the offset.
            if (TrimText(entry.point) == run.link.point)
                offset = run.link.height - entry.height;
        }
        points.pop_back();  // the closing point is the first point once more
        result.largestCorrection = largest;
        result.allowedMisclosure =
            std::sqrt(run.length * kKilometresPerMetre) * toleranceCoefficient;
        result.beyondTolerance = std::fabs(dZ) > result.allowedMisclosure;
    }
    for (PointEntry& entry : points)
        entry.height = entry.height + offset;

    result.misclosure = dZ;
    result.points = std::move(points);
    return result;
}

namespace {

void CheckFinite(const AdjustedRun& run, std::string_view runNumber)
{
    bool finite = std::isfinite(run.misclosure) && std::isfinite(run.allowedMisclosure) &&
                  std::isfinite(run.largestCorrection);
    for (const PointEntry& entry : run.points)
        finite = finite && std::isfinite(entry.height);
    if (!finite) {
        throw ExportError("run " + std::string(runNumber) +
                          ": a reading or distance is not a number, or the run has no length");
    }
}

}  // namespace

void ExportRuns(const RecordList& records, std::vector<std::string>& pendingRuns,
                std::string_view startPoint, double startHeight, double toleranceCoefficient,
                const std::function<void(const AdjustedRun&)>& write)
{
    KnownHeights known;
    known[std::string(TrimText(startPoint))] = startHeight;

    // A run's points do not depend on what is known, so each run's list is built once; only
    // its link is looked for again when it is written.
    const RunRecords runRecords(records, pendingRuns);
    std::unordered_map<std::string, RunPoints, TextHash, std::equal_to<>> pointLists;
    for (const std::string& number : pendingRuns) {
        if (!pointLists.count(number))
            pointLists.emplace(number, CollectRunPoints(records, runRecords.Of(number), {}));
    }

    // The loop takes the first pending run, in list order, that has a known point and two
    // points or more. A run that once has a known point keeps it (heights are only added or
    // overwritten), so the runs able to go are kept in an ordered set, and a point that becomes
    // known wakes the pending runs that contain it.
    std::vector<bool> pending(pendingRuns.size(), true);
    std::set<std::size_t> ready;
    std::unordered_map<std::string, std::vector<std::size_t>, TextHash, std::equal_to<>> waiting;
    for (std::size_t slot = 0; slot < pendingRuns.size(); ++slot) {
        const RunPoints& run = pointLists.at(pendingRuns[slot]);
        if (run.points.size() < 2)
            continue;  // never written, whatever it touches
        for (const PointEntry& entry : run.points) {
            const std::string_view point = TrimText(entry.point);
            if (known.count(point))
                ready.insert(slot);
            else
                waiting[std::string(point)].push_back(slot);
        }
    }

    while (!ready.empty()) {
        const std::size_t slot = *ready.begin();
        ready.erase(ready.begin());
        const std::string& number = pendingRuns[slot];
        RunPoints run = pointLists.at(number);
        run.link = FindLink(run.points, known);
        AdjustedRun adjusted = AdjustRunPoints(std::move(run), toleranceCoefficient);
        adjusted.runNumber = number;
        CheckFinite(adjusted, number);
        write(adjusted);
        pending[slot] = false;

        for (const PointEntry& entry : adjusted.points) {
            const std::string point(TrimText(entry.point));
            known[point] = entry.height;
            if (const auto woken = waiting.find(point); woken != waiting.end()) {
                for (const std::size_t other : woken->second) {
                    if (pending[other])
                        ready.insert(other);
                }
                waiting.erase(woken);
            }
        }
    }

    std::vector<std::string> unlinked;
    for (std::size_t slot = 0; slot < pendingRuns.size(); ++slot) {
        if (pending[slot])
            unlinked.push_back(pendingRuns[slot]);
    }
    pendingRuns = std::move(unlinked);
}

}  // namespace velmora
