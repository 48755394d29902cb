// SPDX-License-Identifier: MIT
#include "runs/LevellingRun.h"

#include "fieldbook/TextConversions.h"
#include "runs/Rounding.h"

#include <cmath>

namespace velmora {

LevellingRun LevellingRun::Of(const RunStations& stations)
{
    LevellingRun run;
    for (std::size_t i = 0; i < stations.stations.size(); ++i)
        run.AddStation(stations.stations[i], i == stations.openingStation);
    run.TakeHeader(stations);
    return run;
}

void LevellingRun::AddStation(const Station& station, bool opening)
{
    auto addPoint = [this](std::string_view point) {
        if (pointCount == 0)
            firstPoint.assign(point);
        lastPoint.assign(point);
        ++pointCount;
    };
    if (opening) {
        // The first backsight only opens the run. A foresight met before it has already
        // added a point and a distance; its height difference is dropped here.
        heightSum = 0;
        addPoint(TrimText(station.backsights.front().point));
    }
    if (!station.HasForesight())
        return;
    heightSum = (heightSum + station.back) - station.fore;
    distanceSum = (distanceSum + station.backDistance) + station.foreDistance;
    addPoint(station.forePoint);
}

void LevellingRun::TakeHeader(const RunStations& stations)
{
    method = stations.method;
    reason = stations.reason;
    instrument = stations.instrument;
    if (!reason.empty()) {
        // No number from a misread station.
        LevellingRun unread;
        unread.method = method;
        unread.reason = std::move(reason);
        unread.instrument = std::move(instrument);
        *this = std::move(unread);
    }
}

double LevellingRun::AllowedMisclosure(double toleranceCoefficient) const
{
    return toleranceCoefficient * std::sqrt(distanceSum * kKilometresPerMetre);
}

RunStatus LevellingRun::Status(double toleranceCoefficient) const
{
    if (!reason.empty())
        return RunStatus::Unreadable;
    if (pointCount < 2)
        return RunStatus::Empty;
    if (lastPoint != firstPoint)
        return RunStatus::Open;
    // A reading or distance that is no number leaves NaN in a sum; an absurd one may overflow.
    // Neither may show as a misclosure, nor may a tolerance that cannot be computed (a negative
    // run length) let the run pass.
    const double allowed = AllowedMisclosure(toleranceCoefficient);
    if (!std::isfinite(heightSum) || !std::isfinite(distanceSum) || !std::isfinite(allowed) ||
        !std::isfinite(RoundTo4(heightSum)))
        return RunStatus::Unreadable;
    return std::fabs(heightSum) > allowed ? RunStatus::AboveTolerance : RunStatus::WithinTolerance;
}

std::string LevellingRun::UnreadableReason(double toleranceCoefficient) const
{
    if (!reason.empty())
        return reason;
    if (Status(toleranceCoefficient) == RunStatus::Unreadable)
        return "a reading or distance is not a number";
    return {};
}

std::optional<bool> LevellingRun::AgreesWithInstrument() const
{
    if (!instrument || !reason.empty())
        return std::nullopt;
    bool agrees = true;
    if (instrument->heightSum)
        agrees = agrees && std::fabs(heightSum - *instrument->heightSum) <= kInstrumentHeightAgreement;
    if (instrument->length)
        agrees = agrees && std::fabs(distanceSum - *instrument->length) <= kInstrumentLengthAgreement;
    return agrees;
}

namespace {

// The sums of one run whose records stand in these ranges [first, end) of record indices.
LevellingRun SumRun(const RecordList& records, const std::vector<RunStretches::RecordRange>& ranges)
{
    std::vector<std::size_t> runRecords;
    for (const auto& [first, end] : ranges) {
        for (std::size_t i = first; i < end; ++i)
            runRecords.push_back(i);
    }
    // Only the sums are kept: the stations are added as they are read.
    LevellingRun run;
    const RunStations header = WalkRun(records, runRecords, [&run](const Station& station, bool opening) {
        run.AddStation(station, opening);
    });
    run.TakeHeader(header);
    return run;
}

// A run number of up to seven bytes packed into one integer, its bytes and its length, so that
// equal numbers and only they give equal keys; nothing for a longer one.
std::optional<std::uint64_t> ShortRunKey(std::string_view runNumber)
{
    constexpr std::size_t kMaxBytes = 7;
    if (runNumber.size() > kMaxBytes)
        return std::nullopt;
    std::uint64_t key = runNumber.size();
    for (const char c : runNumber)
        key = (key << 8) | static_cast<unsigned char>(c);
    return key;
}

}  // namespace

RunCatalog::RunCatalog(const RecordList& records) : RunCatalog(records, RunStretches(records))
{
}

RunCatalog::RunCatalog(const RecordList& records, const RunStretches& stretches)
{
    // Only a run with a kept record has a list entry, so only such runs are read into
    // stations.
    shortRuns_.reserve(stretches.runs().size());
    for (const RunStretches::Run& run : stretches.runs()) {
        if (run.kept == 0)
            continue;
        const std::optional<std::uint64_t> key = ShortRunKey(run.number);
        Entry& entry = key ? shortRuns_[*key] : longRuns_[run.number];
        entry.ranges = run.records;
        entry.run = SumRun(records, entry.ranges);
    }
}

RunCatalog::Entry* RunCatalog::EntryOf(std::string_view runNumber)
{
    return const_cast<Entry*>(std::as_const(*this).EntryOf(runNumber));
}

const RunCatalog::Entry* RunCatalog::EntryOf(std::string_view runNumber) const
{
    if (const std::optional<std::uint64_t> key = ShortRunKey(runNumber)) {
        const auto found = shortRuns_.find(*key);
        return found == shortRuns_.end() ? nullptr : &found->second;
    }
    const auto found = longRuns_.find(runNumber);
    return found == longRuns_.end() ? nullptr : &found->second;
}

void RunCatalog::Refresh(const RecordList& records, const RunNumberSet& runNumbers)
{
    for (const std::string& number : runNumbers) {
        if (Entry* entry = EntryOf(number))
            entry->run = SumRun(records, entry->ranges);
    }
}

const LevellingRun& RunCatalog::Find(std::string_view runNumber) const
{
    static const LevellingRun kNoRun;
    const Entry* entry = EntryOf(TrimText(runNumber));
    return entry ? entry->run : kNoRun;
}

std::string RunEntryText(const RunCatalog& runs, std::string_view runNumber,
                         double toleranceCoefficient)
{
    const std::string_view number = TrimText(runNumber);
    const LevellingRun& run = runs.Find(number);
    std::string text(number);
    switch (run.Status(toleranceCoefficient)) {
    case RunStatus::Empty: return text + " // ****";
    case RunStatus::Open: return text + " // ----";
    case RunStatus::Unreadable: return text.append(kUnreadableMark);
    case RunStatus::WithinTolerance: return text + " // " + NumberText(RoundTo4(run.heightSum));
    case RunStatus::AboveTolerance:
        return text + " // " + NumberText(RoundTo4(run.heightSum)) + " ";
    }
    return text;
}

std::string_view RunNumberOfEntry(std::string_view entry)
{
    // The part after the separator (a mark or a number) never holds " //", so the last one is
    // the separator even for a run number that itself contains " //".
    const auto separator = entry.rfind(" //");
    return TrimText(separator == std::string_view::npos ? entry : entry.substr(0, separator));
}

}  // namespace velmora
