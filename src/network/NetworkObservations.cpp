// SPDX-License-Identifier: MIT
#include "network/NetworkObservations.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <cmath>

namespace velmora {

namespace {

// The instrument's height of the point sighted by `record`: the M5 line that follows it (or, for
// the first backsight, precedes it) with the same point number and "Z" in its third value.
std::optional<double> InstrumentHeight(const RecordList& records, std::size_t record, int step)
{
    const MeasurementRecord& sight = records[record];
    const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(record) + step;
    if (at < 0 || static_cast<std::size_t>(at) >= records.size())
        return std::nullopt;
    const MeasurementRecord& line = records[static_cast<std::size_t>(at)];
    // Lines without a reading are marked as taking no part; the Z line is one of them. Only a
    // layout that writes the point's height (the M5 one) gives a "Z" there.
    if (!line.valueType().empty() ||
        line.field(Field::heightType) != "Z" || line.pointNumber() != sight.pointNumber() ||
        line.runNumber() != sight.runNumber())
        return std::nullopt;
    const std::optional<double> unit = line.layout().MetresPerUnit(line.lineText(), Field::height);
    const double value = TextToNumber(line.field(Field::height));
    if (!unit || !std::isfinite(value))
        return std::nullopt;
    return value * *unit;
}

// The intermediate sights of a station with a backsight, each a height from its back point.
void AddIntermediates(const RunStations& run, const Station& station, std::size_t book, LevellingNetwork& network)
{
    for (const Sight& sight : station.intermediates) {
        IntermediateSight intermediate;
        intermediate.run = run.runNumber;
        intermediate.from = station.backPoint;
        intermediate.point = std::string(TrimText(sight.point));
        intermediate.heightDifference = IntermediateHeightDifference(station, sight);
        intermediate.length = station.backDistance + sight.distance;
        intermediate.observationsBefore = network.observations.size();
        intermediate.book = book;
        network.intermediates.push_back(std::move(intermediate));
    }
}

}  // namespace

std::string UnreadableRunText(const RunStations& run)
{
    if (run.Readable())
        return {};
    return Fill(Tr("run {1} cannot be read: {2}"), {Cp1251ToUtf8(run.runNumber), run.cause.TextForPeople()});
}

bool NetworkOfRuns(const RecordList& records, const std::vector<const RunStations*>& runs,
                   std::size_t book, LevellingNetwork& network, std::string& error, NetworkReading reading)
{
    const bool everything = reading == NetworkReading::everything;
    for (const RunStations* run : runs) {
        if (!run->Readable()) {
            error = UnreadableRunText(*run);
            return false;
        }
        // Where the chain breaks, by the place of the station in the run.
        std::vector<UnreadableCause> breaks = ChainBreaksOf(*run);
        auto nextBreak = breaks.begin();
        std::size_t stationsOfRun = 0;
        bool first = true;
        for (std::size_t s = 0; s < run->stations.size(); ++s) {
            const Station& station = run->stations[s];
            // A foresight met before the run's first backsight has no back point to start from.
            if (!station.HasBacksight())
                continue;
            if (everything)
                AddIntermediates(*run, station, book, network);
            if (!station.HasForesight())
                continue;
            LevellingObservation observation;
            observation.run = run->runNumber;
            observation.from = station.backPoint;
            observation.to = station.forePoint;
            observation.heightDifference = station.HeightDifference();
            observation.length = station.Length();
            observation.book = book;
            if (first && everything)
                observation.fromInstrumentHeight =
                    InstrumentHeight(records, station.backsights.front().record, -1);
            if (everything)
                observation.toInstrumentHeight = InstrumentHeight(records, station.foresights.back().record, +1);
            network.observations.push_back(std::move(observation));
            first = false;
            ++stationsOfRun;
            while (nextBreak != breaks.end() && nextBreak->station < s + 1)
                ++nextBreak;
            if (nextBreak != breaks.end() && nextBreak->station == s + 1) {
                NetworkWarning warning{NetworkWarning::Kind::chainBreak, book, run->runNumber,
                                       station.backPoint, {stationsOfRun}, std::nullopt};
                warning.previousPoint = std::move(nextBreak->expectedPoint);
                network.readWarnings.push_back(std::move(warning));
            }
        }
    }
    return true;
}

}  // namespace velmora
