// SPDX-License-Identifier: MIT
#include "runs/Station.h"

#include "fieldbook/RunStretches.h"
#include "fieldbook/TextConversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace velmora {

namespace {

constexpr LevellingMethod kMethods[] = {
    LevellingMethod::BF,  LevellingMethod::BFFB,  LevellingMethod::BFBF,
    LevellingMethod::aBF, LevellingMethod::aBFFB, LevellingMethod::aBFBF,
};

// The letters for backsight and foresight in the method words of each firmware language.
constexpr std::array<std::pair<char, char>, 3> kMethodLetters = {{
    {'B', 'F'},  // English: back, fore
    {'Z', 'V'},  // Czech: zpět, vpřed
    {'R', 'V'},  // German: Rückblick, Vorblick
}};

enum class SightKind { Back, Fore, Intermediate };

struct Observation {
    SightKind kind;
    Sight sight;
};

// What the records of one run give before they are grouped into stations.
struct RunReadings {
    std::vector<Observation> observations;  // backsights, foresights, intermediate sights
    std::optional<LevellingMethod> namedMethod;
    InstrumentFigures instrument;
    bool hasInstrument = false;
    std::optional<double> firstHeight;  // the instrument's height where the run began
    UnreadableCause cause;
    std::optional<std::size_t> reasonRecord;
};

// A value in metres: the number of the field (MeasurementRecord::number) times the metres per
// unit of its unit field; an empty field reads as the empty text does.
double InMetres(std::optional<double> number, double metresPerUnit)
{
    const double value = number ? *number : TextToNumber({});
    // A book in metres keeps its numbers untouched, to the last bit.
    return metresPerUnit == 1.0 ? value : value * metresPerUnit;
}

// The instrument's running height and length where a line holds them (a word-based book
// writes them at every station): its height sum is the last height less the first.
void ReadRunningFigures(const LineValues& values, RunReadings& run)
{
    const LineValues::Value& height = values.instrumentHeight;
    if (height.number && height.metresPerUnit) {
        const double metres = InMetres(height.number, *height.metresPerUnit);
        if (!run.firstHeight) {
            run.firstHeight = metres;
        } else {
            run.instrument.heightSum = metres - *run.firstHeight;
            run.hasInstrument = true;
        }
    }
    const LineValues::Value& length = values.instrumentLength;
    if (length.number && length.metresPerUnit) {
        run.instrument.length = InMetres(length.number, *length.metresPerUnit);
        run.hasInstrument = true;
    }
}

// What the layout found wrong with the line of record `index`, as the run's cause.
void TakeLineFault(LineFault fault, std::size_t index, RunReadings& run)
{
    if (fault.empty())
        return;
    run.cause.kind = UnreadableCause::Kind::LineFault;
    run.cause.lineFault = fault.words;
    run.cause.word = std::move(fault.word);
    run.cause.line = index + 1;
    run.reasonRecord = index;
}

// What a line that takes part gives the run: a sight, or the instrument's own sums.
void ReadObservation(const MeasurementRecord& record, std::size_t index, const LineValues& values,
                     RunReadings& run)
{
    const std::string_view code = ObservationCode(values.valueType);
    const std::optional<double> readingUnit = values.reading.metresPerUnit;
    const std::optional<double> distanceUnit = values.distance.metresPerUnit;
    const bool observation = code == "Rb" || code == "Rf" || code == "Rz";
    if (!readingUnit || !distanceUnit) {
        // An unknown unit on an instrument summary only loses the check; on a reading it
        // would put a number of unknown size into the sums.
        if (observation && run.cause.empty()) {
            run.cause.kind = UnreadableCause::Kind::UnknownUnit;
            run.cause.unit = record.layout().UnitOf(record.lineText(), readingUnit ? Field::distance : Field::reading);
            run.cause.point = values.pointNumber;
            run.reasonRecord = index;
        }
        return;
    }
    const double reading = InMetres(values.reading.number, *readingUnit);
    if (code == "Sh") {
        run.instrument.heightSum = reading;
        run.hasInstrument = true;
        return;
    }
    const double distance = InMetres(values.distance.number, *distanceUnit);
    if (code == "Db") {
        // The "Db" line holds the summed back distances as its reading and the summed
        // fore distances ("Df") as its distance.
        run.instrument.length = reading + distance;
        run.hasInstrument = true;
        return;
    }
    if (!observation)
        return;
    const SightKind kind = code == "Rb"   ? SightKind::Back
                           : code == "Rf" ? SightKind::Fore
                                          : SightKind::Intermediate;
    run.observations.push_back({kind, Sight{std::string(values.pointNumber), reading, distance, index}});
}

RunReadings ReadRun(const RecordList& records, const std::vector<std::size_t>& runRecords)
{
    RunReadings run;
    run.observations.reserve(runRecords.size());
    LineValues values;
    LineFault fault;
    for (const std::size_t index : runRecords) {
        const MeasurementRecord& record = records[index];
        // The line's fault is looked for in the same search as its values, until the first.
        const bool faultWanted = run.cause.empty();
        record.ReadValues(values, !record.skipped(), faultWanted ? &fault : nullptr);
        if (faultWanted)
            TakeLineFault(std::move(fault), index, run);
        ReadRunningFigures(values, run);
        if (record.skipped()) {
            // A start-of-line record is skipped like every event line, but it names the method.
            if (!run.namedMethod && values.valueType.empty())
                run.namedMethod = MethodOfWord(record.layout().MethodWord(record.lineText()));
            continue;
        }
        ReadObservation(record, index, values, run);
    }
    return run;
}

double Mean(const std::vector<Sight>& sights, double Sight::*value)
{
    if (sights.empty())
        return 0;
    // One reading is its own mean, bit for bit; two equal readings give that reading again.
    double sum = 0;
    for (const Sight& sight : sights)
        sum += sight.*value;
    return sights.size() == 1 ? sum : sum / static_cast<double>(sights.size());
}

void Finish(Station& station)
{
    station.back = Mean(station.backsights, &Sight::reading);
    station.backDistance = Mean(station.backsights, &Sight::distance);
    station.fore = Mean(station.foresights, &Sight::reading);
    station.foreDistance = Mean(station.foresights, &Sight::distance);
    station.backPoint = station.backsights.empty() ? std::string()
                                                   : std::string(TrimText(station.backsights.front().point));
    station.forePoint = station.foresights.empty() ? std::string()
                                                   : std::string(TrimText(station.foresights.front().point));
}

void AddSight(Station& station, const Observation& observation)
{
    switch (observation.kind) {
    case SightKind::Back: station.backsights.push_back(observation.sight); break;
    case SightKind::Fore: station.foresights.push_back(observation.sight); break;
    case SightKind::Intermediate: station.intermediates.push_back(observation.sight); break;
    }
    station.records.push_back(observation.sight.record);
}

// Empties a station for the next one, keeping the room of its lists.
void Reset(Station& station)
{
    station.backsights.clear();
    station.foresights.clear();
    station.intermediates.clear();
    station.records.clear();
    station.backPoint.clear();
    station.forePoint.clear();
    station.back = station.fore = station.backDistance = station.foreDistance = 0;
}

// The BF rules of the book, to the letter: a backsight begins a station (the first one opens
// the run), a foresight completes the latest backsight's station or, when that already has its
// foresight, makes another station from the same backsight; a foresight before any backsight is
// a station of its own without backsight. Each station is handed over once the next begins.
void WalkBackFore(const std::vector<Observation>& observations, const StationSink& onStation)
{
    Station current;  // reused, so that a long run costs no allocation per station
    bool hasCurrent = false;
    bool currentOpens = false;
    bool opened = false;
    auto begin = [&] {
        if (hasCurrent) {
            Finish(current);
            onStation(current, currentOpens);
        }
        Reset(current);
        hasCurrent = true;
        currentOpens = false;
    };
    for (const Observation& observation : observations) {
        switch (observation.kind) {
        case SightKind::Back:
            begin();
            currentOpens = !opened;
            opened = true;
            break;
        case SightKind::Fore:
            if (hasCurrent && current.HasBacksight() && current.HasForesight()) {
                const Sight back = current.backsights.front();
                begin();
                current.backsights.push_back(back);
                current.records.push_back(back.record);
            } else if (!hasCurrent || current.HasForesight()) {
                begin();
            }
            break;
        case SightKind::Intermediate:
            if (!hasCurrent)
                begin();
            break;
        }
        AddSight(current, observation);
    }
    if (hasCurrent) {
        Finish(current);
        onStation(current, currentOpens);
    }
}

bool SamePoints(const std::vector<Sight>& sights)
{
    for (const Sight& sight : sights) {
        if (TrimText(sight.point) != TrimText(sights.front().point))
            return false;
    }
    return true;
}

// The readings [first, end) of a run that make one station, intermediate sights included.
struct ReadingRange {
    std::size_t first = 0;
    std::size_t end = 0;
};

// A station is kept as the readings it is made of, and made again from them when it is handed
// over: a long run then costs no station of its own per set-up while it is grouped.
struct StrictResult {
    std::vector<ReadingRange> stations;
    std::vector<std::string> patterns;  // of the complete stations
    UnreadableCause failure;            // empty when every station fits
    std::optional<std::size_t> failureRecord;
};

// Takes the station being grouped, readings [first, end), into the result and begins the
// next one at `end`.
void KeepStation(Station& current, std::string& pattern, std::size_t& first, std::size_t end,
                 StrictResult& result)
{
    result.stations.push_back({first, end});
    first = end;
    Reset(current);
    pattern.clear();
}

// The station made of `range`'s readings, into `station`, as the walk grouped it.
void MakeStation(const std::vector<Observation>& observations, ReadingRange range, Station& station)
{
    Reset(station);
    for (std::size_t i = range.first; i < range.end; ++i)
        AddSight(station, observations[i]);
    Finish(station);
}

// Ends a walk by WalkStrict at the station being grouped, whose first sight is `first`.
void Fail(StrictResult& result, UnreadableCause::Kind kind, const std::string& pattern,
          const Sight& first, std::string expectedPoint)
{
    result.failure.kind = kind;
    result.failure.station = result.stations.size() + 1;
    result.failure.pattern = pattern;
    result.failure.point = TrimText(first.point);
    result.failure.expectedPoint = std::move(expectedPoint);
    result.failureRecord = first.record;
}

// An intermediate sight, reading `index`, belongs to the set-up it was taken from: the station
// being measured (`current`), or the one just completed when the next has not begun (`between`
// stations), whose readings it then ends; the next station begins after it.
void AddIntermediate(const Observation& observation, std::size_t index, bool between,
                     StrictResult& result, Station& current, std::size_t& first)
{
    if (between && !result.stations.empty()) {
        result.stations.back().end = index + 1;
        first = index + 1;
    } else {
        AddSight(current, observation);
    }
}

// Whether `prefix` and then `letter` begin one of the orders that methods of `perStation`
// readings use; asked for every reading, so the two are not joined into a text first.
bool BeginsAnOrder(std::string_view prefix, char letter, std::size_t perStation)
{
    static constexpr std::string_view kTwo[] = {"BF", "FB"};
    static constexpr std::string_view kFour[] = {"BFFB", "FBBF", "BFBF", "FBFB"};
    const auto orders = perStation == 2 ? std::span<const std::string_view>(kTwo)
                                        : std::span<const std::string_view>(kFour);
    for (const std::string_view order : orders) {
        if (order.size() > prefix.size() && order.starts_with(prefix) && order[prefix.size()] == letter)
            return true;
    }
    return false;
}

// Groups the readings into stations of `perStation` backsights and foresights (2 or 4), each
// with as many backsights as foresights, all backsights on one point and all foresights on
// one, in one of the orders that the methods of that size use. With `chained`, each station
// must also begin on the point where the previous one ended.
//
// As in BF books, backsights that the next backsight replaces before any foresight (a station
// given up and measured again), and backsights at the run's end, make a station without
// foresight, which adds nothing.
StrictResult WalkStrict(const std::vector<Observation>& observations, std::size_t perStation,
                        bool chained)
{
    StrictResult result;
    Station current;  // reused: only its readings are kept
    std::string pattern;
    std::size_t firstOfCurrent = 0;
    std::size_t firstReading = 0;  // of the station being grouped, intermediate sights included
    std::optional<std::string> lastForePoint;  // of the last complete station
    auto fail = [&](UnreadableCause::Kind kind, std::string expectedPoint = {}) {
        Fail(result, kind, pattern, observations[firstOfCurrent].sight, std::move(expectedPoint));
    };
    auto keep = [&](std::size_t end) { KeepStation(current, pattern, firstReading, end, result); };
    for (std::size_t i = 0; i < observations.size(); ++i) {
        const Observation& observation = observations[i];
        if (observation.kind == SightKind::Intermediate) {
            AddIntermediate(observation, i, pattern.empty(), result, current, firstReading);
            continue;
        }
        const char letter = observation.kind == SightKind::Back ? 'B' : 'F';
        if (!BeginsAnOrder(pattern, letter, perStation)) {
            if (letter == 'B' && !pattern.empty() && pattern.find('F') == std::string::npos) {
                keep(i);  // given up: the new backsight begins the station again
            } else {
                pattern += letter;
                fail(UnreadableCause::Kind::FitsNoMethod);
                return result;
            }
        }
        if (pattern.empty())
            firstOfCurrent = i;
        AddSight(current, observation);
        pattern += letter;
        if (pattern.size() < perStation)
            continue;

        if (!SamePoints(current.backsights) || !SamePoints(current.foresights)) {
            fail(UnreadableCause::Kind::DifferentPoints);
            return result;
        }
        Finish(current);
        if (chained && lastForePoint && current.backPoint != *lastForePoint) {
            fail(UnreadableCause::Kind::NotChained, *lastForePoint);
            return result;
        }
        result.patterns.push_back(pattern);
        lastForePoint = current.forePoint;
        keep(i + 1);
    }
    if (pattern.find('F') != std::string::npos) {
        fail(UnreadableCause::Kind::Incomplete);
        return result;
    }
    if (!pattern.empty() || !current.intermediates.empty())
        keep(observations.size());
    return result;
}

// The method of the stations found by WalkStrict: the order of the first station names it,
// a station in the reversed order makes it an alternating one.
LevellingMethod MethodOfPatterns(const std::vector<std::string>& patterns)
{
    bool reversed = false;
    for (const std::string& pattern : patterns)
        reversed = reversed || pattern.front() == 'F';
    const std::string& first = patterns.front();
    if (first.size() == 2)
        return reversed ? LevellingMethod::aBF : LevellingMethod::BF;
    const bool mirrored = first == "BFFB" || first == "FBBF";
    if (mirrored)
        return reversed ? LevellingMethod::aBFFB : LevellingMethod::BFFB;
    return reversed ? LevellingMethod::aBFBF : LevellingMethod::BFBF;
}

// A backsight and a foresight, each as often as the method reads a sight.
std::size_t SightsPerStation(LevellingMethod method)
{
    return 2 * static_cast<std::size_t>(ReadingsPerSight(method));
}

// Where a book without a named method shows readings taken twice: two foresights to the same
// point in a row (the middle of BFFB), or a point read again after a reading of the other kind
// to another point (BFBF's "B F B", FBFB's "F B F"). BF books do neither; a run that does but
// fits no method cannot be read as BF. (Two backsights in a row to one point are a backsight
// measured again, which the BF rules take as a replacement.)
std::optional<std::size_t> DoubleReading(const std::vector<Observation>& observations)
{
    std::vector<const Observation*> sights;
    for (const Observation& observation : observations) {
        if (observation.kind != SightKind::Intermediate)
            sights.push_back(&observation);
    }
    auto samePoint = [](const Observation* a, const Observation* b) {
        return TrimText(a->sight.point) == TrimText(b->sight.point);
    };
    for (std::size_t i = 1; i < sights.size(); ++i) {
        const Observation* now = sights[i];
        const Observation* before = sights[i - 1];
        if (now->kind == SightKind::Fore && before->kind == SightKind::Fore && samePoint(now, before))
            return now->sight.record;
        if (i >= 2 && sights[i - 2]->kind == now->kind && samePoint(sights[i - 2], now) &&
            before->kind != now->kind && !samePoint(before, now))
            return now->sight.record;
    }
    return std::nullopt;
}

struct ReadingSigns {
    bool backsightRepeated = false;  // two backsights in a row on one point (FBBF's middle)
    bool foresightFirst = false;     // a foresight followed by a backsight on another point (FB)
};

// What a run without a named method shows of the methods other than BF. A BF book can show
// either sign too (a backsight measured again; a foresight before the run's first backsight),
// so they only say which groupings are worth trying.
ReadingSigns SignsOf(const std::vector<Observation>& observations)
{
    ReadingSigns signs;
    const Observation* before = nullptr;
    for (const Observation& observation : observations) {
        if (observation.kind == SightKind::Intermediate)
            continue;
        if (before && observation.kind == SightKind::Back) {
            const bool samePoint = TrimText(before->sight.point) == TrimText(observation.sight.point);
            if (before->kind == SightKind::Back && samePoint)
                signs.backsightRepeated = true;
            if (before->kind == SightKind::Fore && !samePoint)
                signs.foresightFirst = true;
        }
        before = &observation;
    }
    return signs;
}

}  // namespace

int ReadingsPerSight(LevellingMethod method)
{
    return method == LevellingMethod::BF || method == LevellingMethod::aBF ? 1 : 2;
}

std::string_view MethodName(LevellingMethod method)
{
    switch (method) {
    case LevellingMethod::BF: return "BF";
    case LevellingMethod::BFFB: return "BFFB";
    case LevellingMethod::BFBF: return "BFBF";
    case LevellingMethod::aBF: return "aBF";
    case LevellingMethod::aBFFB: return "aBFFB";
    case LevellingMethod::aBFBF: return "aBFBF";
    }
    return "BF";
}

std::optional<LevellingMethod> MethodOfWord(std::string_view word)
{
    // Asked for every event line of a run until one names the method: compared letter by
    // letter, without making the translated words.
    for (const auto& [back, fore] : kMethodLetters) {
        for (const LevellingMethod method : kMethods) {
            const std::string_view name = MethodName(method);
            if (name.size() != word.size())
                continue;
            bool same = true;
            for (std::size_t i = 0; same && i < name.size(); ++i) {
                const char letter = name[i] == 'B' ? back : name[i] == 'F' ? fore : name[i];
                same = word[i] == letter;
            }
            if (same)
                return method;
        }
    }
    return std::nullopt;
}

namespace {

// Hands the stations of a walk by one of the double-reading methods to `onStation`; the run's
// first backsight opens it.
void TakeStrict(const std::vector<Observation>& observations, const StrictResult& strict,
                LevellingMethod method, RunStations& run, const StationSink& onStation)
{
    run.method = method;
    const auto hasBacksight = [&](const ReadingRange& range) {
        return std::any_of(observations.begin() + static_cast<std::ptrdiff_t>(range.first),
                           observations.begin() + static_cast<std::ptrdiff_t>(range.end),
                           [](const Observation& observation) { return observation.kind == SightKind::Back; });
    };
    const auto opening = std::find_if(strict.stations.begin(), strict.stations.end(), hasBacksight);
    Station station;
    for (auto range = strict.stations.begin(); range != strict.stations.end(); ++range) {
        MakeStation(observations, *range, station);
        onStation(station, range == opening);
    }
}

// A run whose book names no method: the readings tell. A run that fits double readings with
// every station beginning where the last ended is read so; so is one whose stations alternate
// BF and FB. Anything else is read by the BF rules, unless it shows readings taken twice.
// Signs of the other methods are looked for first, so that a plain BF run (the common case,
// and a long one) is grouped only once.
void WalkByTheReadings(const std::vector<Observation>& observations, RunStations& run,
                       const StationSink& onStation)
{
    const std::optional<std::size_t> doubled = DoubleReading(observations);
    const ReadingSigns signs = SignsOf(observations);
    for (const std::size_t perStation : {std::size_t{4}, std::size_t{2}}) {
        const bool worthTrying =
            perStation == 4 ? doubled || signs.backsightRepeated : signs.foresightFirst;
        if (!worthTrying)
            continue;
        StrictResult strict = WalkStrict(observations, perStation, true);
        if (!strict.failure.empty() || strict.patterns.empty())
            continue;
        const LevellingMethod method = MethodOfPatterns(strict.patterns);
        if (method == LevellingMethod::BF)
            break;  // the BF rules give the same stations
        TakeStrict(observations, strict, method, run, onStation);
        return;
    }
    if (doubled) {
        run.SetCause({UnreadableCause::Kind::ReadingsTakenTwice});
        run.reasonRecord = doubled;
        return;
    }
    WalkBackFore(observations, onStation);
}

}  // namespace

namespace {

// A sight distance of `station` below zero or no number, as the run's cause, when the station
// takes part: it has a foresight or intermediate sights. A backsight replaced by the next (or
// the last of the run) adds nothing, whatever it holds.
UnreadableCause DistanceFault(const RecordList& records, const Station& station,
                              std::optional<std::size_t>& record)
{
    if (!station.HasForesight() && station.intermediates.empty())
        return {};
    for (const std::vector<Sight>* sights : {&station.backsights, &station.foresights, &station.intermediates}) {
        for (const Sight& sight : *sights) {
            if (sight.distance >= 0 && std::isfinite(sight.distance))
                continue;
            UnreadableCause cause{sight.distance < 0 ? UnreadableCause::Kind::NegativeDistance
                                                     : UnreadableCause::Kind::DistanceNotANumber};
            cause.word = records[sight.record].distance();
            cause.point = TrimText(sight.point);
            record = sight.record;
            return cause;
        }
    }
    return {};
}

// WalkRun without the check of the distances.
RunStations WalkStations(const RecordList& records, const std::vector<std::size_t>& runRecords,
                         const StationSink& onStation)
{
    RunStations run;
    if (!runRecords.empty())
        run.runNumber = std::string(TrimText(records[runRecords.front()].runNumber()));
    RunReadings readings = ReadRun(records, runRecords);
    if (readings.hasInstrument)
        run.instrument = readings.instrument;
    if (!readings.cause.empty()) {
        run.SetCause(std::move(readings.cause));
        run.reasonRecord = readings.reasonRecord;
        run.openingStation = 0;
        return run;
    }

    const std::vector<Observation>& observations = readings.observations;
    if (readings.namedMethod) {
        run.methodFromBook = true;
        if (*readings.namedMethod == LevellingMethod::BF) {
            WalkBackFore(observations, onStation);
            return run;
        }
        StrictResult strict =
            WalkStrict(observations, SightsPerStation(*readings.namedMethod), false);
        if (!strict.failure.empty()) {
            run.method = *readings.namedMethod;
            run.SetCause(std::move(strict.failure));
            run.reasonRecord = strict.failureRecord;
            return run;
        }
        TakeStrict(observations, strict, *readings.namedMethod, run, onStation);
        return run;
    }

    WalkByTheReadings(observations, run, onStation);
    return run;
}

}  // namespace

RunStations WalkRun(const RecordList& records, const std::vector<std::size_t>& runRecords,
                    const StationSink& onStation)
{
    // A sight is never shorter than nothing: a distance below zero would shorten the run and
    // with it the allowed misclosure, one that is no number would leave none. The stations
    // after it are not handed over.
    UnreadableCause distanceFault;
    std::optional<std::size_t> faultRecord;
    RunStations run = WalkStations(records, runRecords, [&](const Station& station, bool opening) {
        if (distanceFault.empty())
            distanceFault = DistanceFault(records, station, faultRecord);
        if (distanceFault.empty())
            onStation(station, opening);
    });
    if (run.Readable() && !distanceFault.empty()) {
        run.SetCause(std::move(distanceFault));
        run.reasonRecord = faultRecord;
    }
    return run;
}

namespace {

// WalkRun keeping the stations, each also handed to `alsoTo` when it is given.
RunStations WalkKeeping(const RecordList& records, const std::vector<std::size_t>& runRecords,
                        const StationSink* alsoTo)
{
    std::vector<Station> stations;
    std::size_t opening = std::string::npos;
    RunStations run = WalkRun(records, runRecords, [&](const Station& station, bool isOpening) {
        if (alsoTo)
            (*alsoTo)(station, isOpening);
        if (isOpening)
            opening = stations.size();
        stations.push_back(station);
    });
    if (!run.Readable())
        stations.clear();  // those before a station found unreadable
    run.openingStation = opening == std::string::npos ? stations.size() : opening;
    run.stations = std::move(stations);
    return run;
}

}  // namespace

RunStations WalkRun(const RecordList& records, const std::vector<std::size_t>& runRecords)
{
    return WalkKeeping(records, runRecords, nullptr);
}

namespace {

// The station's back and fore sights in record order, as letters: "BF", "BFFB".
std::string SightPattern(const Station& station)
{
    std::vector<std::pair<std::size_t, char>> sights;
    for (const Sight& sight : station.backsights)
        sights.emplace_back(sight.record, 'B');
    for (const Sight& sight : station.foresights)
        sights.emplace_back(sight.record, 'F');
    std::sort(sights.begin(), sights.end());
    std::string pattern;
    for (const auto& [record, letter] : sights)
        pattern += letter;
    return pattern;
}

}  // namespace

std::vector<UnreadableCause> ChainBreaksOf(const RunStations& run)
{
    std::vector<UnreadableCause> breaks;
    const std::vector<Station>& stations = run.stations;
    // A station without foresight was given up (its backsight replaced by the next one) or
    // ends the run: the chain goes on from the last station completed.
    const Station* before = nullptr;
    for (std::size_t i = run.openingStation; i < stations.size(); ++i) {
        const Station& station = stations[i];
        if (before && station.HasBacksight() && station.backPoint != before->forePoint) {
            UnreadableCause cause{UnreadableCause::Kind::NotChained};
            cause.station = i + 1;
            cause.pattern = SightPattern(station);
            cause.point = station.backPoint;
            cause.expectedPoint = before->forePoint;
            breaks.push_back(std::move(cause));
        }
        if (station.HasBacksight() && station.HasForesight())
            before = &station;
    }
    return breaks;
}

std::vector<RunStations> WalkAllRuns(const RecordList& records)
{
    const RunStretches runRecords(records);
    std::vector<RunStations> runs;
    runs.reserve(runRecords.runs().size());
    for (std::uint32_t i = 0; i < runRecords.runs().size(); ++i)
        runs.push_back(WalkRunOf(records, runRecords, i));
    return runs;
}

RunStations WalkRunOf(const RecordList& records, const RunStretches& stretches, std::uint32_t run)
{
    RunStations stations = WalkRun(records, stretches.RecordsOf(run));
    stations.runNumber = stretches.runs()[run].number;
    return stations;
}

RunStations WalkRunOf(const RecordList& records, const RunStretches& stretches, std::uint32_t run,
                      const StationSink& onStation)
{
    RunStations stations = WalkKeeping(records, stretches.RecordsOf(run), &onStation);
    stations.runNumber = stretches.runs()[run].number;
    return stations;
}

}  // namespace velmora
