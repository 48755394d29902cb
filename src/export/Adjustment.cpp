// SPDX-License-Identifier: MIT
#include "export/Adjustment.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/RunStretches.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "runs/LevellingRun.h"
#include "runs/ToleranceClass.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace velmora {

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

RunPoints CollectRunPoints(const RunStations& stations, const KnownHeights& known)
{
    RunPoints run;
    if (!stations.Readable()) {
        run.reason = stations.reason;
        run.cause = stations.cause;
        return run;
    }
    const LevellingRun sums = LevellingRun::Of(stations);
    run.length = sums.distanceSum;
    // The BF rules of the book keep an intermediate sight recorded after its station's
    // foresight in its place after it; double-reading methods put every one before the fore
    // point, where its backsights stand.
    const bool backFore = stations.method == LevellingMethod::BF;
    double running = 0;
    auto addIntermediate = [&](const Station& station, const Sight& sight, double atBack, bool after) {
        PointEntry entry{sight.point, atBack + IntermediateHeightDifference(station, sight), 0, true};
        entry.afterItsForesight = after;
        run.points.push_back(std::move(entry));
    };
    for (std::size_t i = 0; i < stations.stations.size(); ++i) {
        const Station& station = stations.stations[i];
        if (i == stations.openingStation) {
            running = 0;
            run.points.push_back({station.backsights.front().point, running, 0, false});
        }
        const double atBack = running;
        const std::size_t foreRecord =
            station.HasForesight() ? station.foresights.front().record : std::string::npos;
        for (const Sight& sight : station.intermediates) {
            if (!backFore || sight.record < foreRecord)
                addIntermediate(station, sight, atBack, false);
        }
        if (station.HasForesight()) {
            running = running + station.back - station.fore;
            run.points.push_back({station.foresights.front().point, running,
                                  station.foreDistance + station.backDistance, false});
        }
        for (const Sight& sight : station.intermediates) {
            if (backFore && sight.record > foreRecord)
                addIntermediate(station, sight, atBack, true);
        }
    }
    // The run closes where the run list says it does: on its last point counted, the last
    // entry that is no intermediate sight.
    if (sums.endsOnFirstPoint && sums.pointCount >= 2) {
        std::size_t last = run.points.size() - 1;
        while (run.points[last].intermediate)
            --last;
        run.closingEntry = last;
    }
    run.link = FindLink(run.points, known);
    return run;
}

RunPoints CollectRunPoints(const RecordList& records, const std::vector<std::size_t>& runRecords,
                           const KnownHeights& known)
{
    return CollectRunPoints(WalkRun(records, runRecords), known);
}

AdjustedRun AdjustRunPoints(RunPoints run, double toleranceCoefficient)
{
    AdjustedRun result;
    std::vector<PointEntry>& points = run.points;
    double offset = run.link.offset;

    double dZ = 0;
    if (run.closingEntry)
        dZ = points[*run.closingEntry].height;

    if (dZ != 0) {
        double correction = 0;
        double atBack = 0;  // the correction reached at the back point of the station at hand
        double largest = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            PointEntry& entry = points[i];
            if (i > 0) {
                if (entry.intermediate) {
                    entry.height = entry.height + (entry.afterItsForesight ? atBack : correction);
                } else {
                    const double share = entry.stationDistance * (dZ / run.length);
                    atBack = correction;
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
        // The closing point is the first point once more; sights taken after it stay.
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(*run.closingEntry));
        result.largestCorrection = largest;
        result.allowedMisclosure = AllowedMisclosure(toleranceCoefficient, run.length);
        result.beyondTolerance = BeyondTolerance(dZ, result.allowedMisclosure);
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
        throw ExportError(std::string(runNumber), {UnreadableCause::Kind::NotANumber},
                          Fill(Tr("run {1}: a reading or distance is not a number, or the run has no length"),
                               {Cp1251ToUtf8(runNumber)}));
    }
}

}  // namespace

namespace {

// The point lists of the pending runs. A run's points do not depend on what is known, so each
// distinct run's list is built once, however often the run stands in the list; only its link
// is looked for again when it is written.
struct PendingRunPoints {
    std::vector<RunPoints> pointLists;                // one per distinct run
    std::vector<std::vector<std::size_t>> slotsOfRun;  // the list entries of each distinct run
    std::vector<std::size_t> runOfSlot;                // the distinct run of each list entry
};

// The first break in the chain of a run's stations where the run was taken up again after
// another run's records (a stretch of its own in the list); breaks within one stretch are the
// checks' to report.
UnreadableCause GapBetweenStretches(const RunStations& run, const RunStretches& stretches)
{
    const std::vector<RunStretches::Stretch>& all = stretches.stretches();
    const auto stretchOf = [&all](std::size_t record) {
        return std::upper_bound(all.begin(), all.end(), record,
                                [](std::size_t r, const RunStretches::Stretch& s) { return r < s.first; });
    };
    for (UnreadableCause& gap : ChainBreaksOf(run)) {
        const Station& before = run.stations[gap.station - 2];
        const Station& after = run.stations[gap.station - 1];
        if (stretchOf(before.records.back()) != stretchOf(after.records.front()))
            return std::move(gap);
    }
    return {};
}

PendingRunPoints CollectPendingRunPoints(const RecordList& records,
                                         const std::vector<std::string>& pendingRuns)
{
    PendingRunPoints runs;
    const RunStretches runRecords(records);
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> runOfNumber;
    runs.runOfSlot.resize(pendingRuns.size());
    for (std::size_t slot = 0; slot < pendingRuns.size(); ++slot) {
        const std::string& number = pendingRuns[slot];
        const auto [found, added] = runOfNumber.try_emplace(number, runs.pointLists.size());
        if (added) {
            const RunStations stations = WalkRun(records, runRecords.RecordsOf(number));
            RunPoints run = CollectRunPoints(stations, {});
            // A height from a misread station would look as good as any other in the workbook.
            if (run.reason.empty())
                run.cause = GapBetweenStretches(stations, runRecords);
            if (!run.cause.empty())
                throw ExportError(std::string(TrimText(number)), run.cause,
                                  Fill(Tr("run {1}: {2}"),
                                       {Cp1251ToUtf8(TrimText(number)), run.cause.TextForPeople()}));
            runs.pointLists.push_back(std::move(run));
            runs.slotsOfRun.emplace_back();
        }
        runs.runOfSlot[slot] = found->second;
        runs.slotsOfRun[found->second].push_back(slot);
    }
    return runs;
}

// Which list entry goes next: the first pending entry, in list order, whose run has a known
// point and two points or more. A run that once has a known point keeps it (heights are only
// added or overwritten), so the entries able to go are kept in an ordered set, and a point
// that becomes known wakes the runs that contain it, each run once with all its entries.
class LinkingQueue {
public:
    LinkingQueue(const PendingRunPoints& runs, const KnownHeights& known)
        : runs_(runs), pending_(runs.runOfSlot.size(), true), awake_(runs.pointLists.size(), false)
    {
        for (std::size_t run = 0; run < runs.pointLists.size(); ++run) {
            if (runs.pointLists[run].points.size() < 2)
                continue;  // never written, whatever it touches
            for (const PointEntry& entry : runs.pointLists[run].points) {
                const std::string_view point = TrimText(entry.point);
                if (known.count(point)) {
                    Wake(run);
                    break;
                }
                std::vector<std::size_t>& waiting = waiting_[std::string(point)];
                if (waiting.empty() || waiting.back() != run)
                    waiting.push_back(run);
            }
        }
    }

    bool empty() const { return ready_.empty(); }
    bool pending(std::size_t slot) const { return pending_[slot]; }

    /// The next entry to write, taken off the queue and no longer pending.
    std::size_t Take()
    {
        const std::size_t slot = *ready_.begin();
        ready_.erase(ready_.begin());
        pending_[slot] = false;
        return slot;
    }

    /// `point` has a height now: the runs waiting for it can go.
    void PointKnown(const std::string& point)
    {
        if (const auto woken = waiting_.find(point); woken != waiting_.end()) {
            for (const std::size_t run : woken->second)
                Wake(run);
            waiting_.erase(woken);
        }
    }

private:
    void Wake(std::size_t run)
    {
        if (awake_[run])
            return;
        awake_[run] = true;
        for (const std::size_t slot : runs_.slotsOfRun[run]) {
            if (pending_[slot])
                ready_.insert(slot);
        }
    }

    const PendingRunPoints& runs_;
    std::vector<bool> pending_;
    std::vector<bool> awake_;
    std::set<std::size_t> ready_;
    std::unordered_map<std::string, std::vector<std::size_t>, TextHash, std::equal_to<>> waiting_;
};

}  // namespace

void ExportRuns(const RecordList& records, std::vector<std::string>& pendingRuns,
                std::string_view startPoint, double startHeight, double toleranceCoefficient,
                const std::function<void(const AdjustedRun&)>& write,
                const std::function<bool()>& stop)
{
    KnownHeights known;
    known[std::string(TrimText(startPoint))] = startHeight;
    const PendingRunPoints runs = CollectPendingRunPoints(records, pendingRuns);
    LinkingQueue queue(runs, known);
    while (!queue.empty()) {
        const std::size_t slot = queue.Take();
        const std::string& number = pendingRuns[slot];
        RunPoints run = runs.pointLists[runs.runOfSlot[slot]];
        run.link = FindLink(run.points, known);
        AdjustedRun adjusted = AdjustRunPoints(std::move(run), toleranceCoefficient);
        adjusted.runNumber = number;
        CheckFinite(adjusted, number);
        write(adjusted);

        for (const PointEntry& entry : adjusted.points) {
            const std::string point(TrimText(entry.point));
            known[point] = entry.height;
            queue.PointKnown(point);
        }
        if (stop && stop())
            break;
    }

    std::vector<std::string> unwritten;
    for (std::size_t slot = 0; slot < pendingRuns.size(); ++slot) {
        if (queue.pending(slot))
            unwritten.push_back(pendingRuns[slot]);
    }
    pendingRuns = std::move(unwritten);
}

}  // namespace velmora
