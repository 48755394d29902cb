// SPDX-License-Identifier: MIT
#include "monitor/CycleNetwork.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkObservations.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace velmora {

namespace {

struct Reading {
    std::string point;
    double reading = 0;
    double distance = 0;
};

// The readings of a station: back, fore, then each intermediate point once, with the mean of
// its sights.
std::vector<Reading> ReadingsOf(const Station& station)
{
    std::vector<Reading> readings;
    if (station.HasBacksight())
        readings.push_back({station.backPoint, station.back, station.backDistance});
    if (station.HasForesight())
        readings.push_back({station.forePoint, station.fore, station.foreDistance});
    std::vector<int> counts;
    const std::size_t firstIntermediate = readings.size();
    for (const Sight& sight : station.intermediates) {
        const std::string point(TrimText(sight.point));
        std::size_t at = firstIntermediate;
        while (at < readings.size() && readings[at].point != point)
            ++at;
        if (at == readings.size()) {
            readings.push_back({point, 0, 0});
            counts.push_back(0);
        }
        Reading& reading = readings[at];
        int& count = counts[at - firstIntermediate];
        reading.reading = (reading.reading * count + sight.reading) / (count + 1);
        reading.distance = (reading.distance * count + sight.distance) / (count + 1);
        ++count;
    }
    return readings;
}

class NetworkBuilder {
public:
    NetworkBuilder(const std::function<bool(const std::string&)>& isNamed, CycleNetwork& network)
        : isNamed_(isNamed), network_(network)
    {
    }

    // Adds a run's stations; false with `error` when a reading has no distance.
    bool AddRun(const std::string& book, const RunStations& run, std::string& error)
    {
        std::size_t previousPoint = 0;
        std::string previousName;
        for (std::size_t s = 0; s < run.stations.size(); ++s) {
            const std::vector<Reading> readings = ReadingsOf(run.stations[s]);
            if (readings.size() < 2)
                continue;
            for (const Reading& reading : readings) {
                if (!(reading.distance > 0) || !std::isfinite(reading.reading)) {
                    error = Fill(Tr("{1}, run {2}, station {3}: a reading has no distance"),
                                 {Cp1251ToUtf8(book), Cp1251ToUtf8(run.runNumber), std::to_string(s + 1)});
                    return false;
                }
            }
            const Station& set = run.stations[s];
            const std::size_t station = network_.stations++;
            // The station leaves its fore point (without one, its back point) to the next.
            const std::size_t leaves = set.HasBacksight() && set.HasForesight() ? 1 : 0;
            std::size_t leftPoint = 0;
            for (std::size_t r = 0; r < readings.size(); ++r) {
                const Reading& reading = readings[r];
                // The backsight meets the turning point that the station before left.
                const bool continues = r == 0 && set.HasBacksight() && !previousName.empty() &&
                                       reading.point == previousName;
                const std::size_t point = continues ? previousPoint : PointOf(reading.point);
                network_.sights.push_back({station, point, reading.reading, reading.distance});
                if (r == leaves)
                    leftPoint = point;
            }
            previousPoint = leftPoint;
            previousName = network_.points[leftPoint];
        }
        return true;
    }

private:
    // A named point by its name; any other number a new place.
    std::size_t PointOf(const std::string& name)
    {
        const bool named = isNamed_(name);
        if (named) {
            const auto found = namedPoints_.find(name);
            if (found != namedPoints_.end())
                return found->second;
        }
        network_.points.push_back(name);
        network_.named.push_back(named);
        if (named)
            namedPoints_.emplace(name, network_.points.size() - 1);
        return network_.points.size() - 1;
    }

    const std::function<bool(const std::string&)>& isNamed_;
    CycleNetwork& network_;
    std::unordered_map<std::string, std::size_t> namedPoints_;
};

}  // namespace

bool BuildCycleNetwork(const std::vector<CycleBookRuns>& books,
                       const std::function<bool(const std::string&)>& isNamed,
                       CycleNetwork& network, std::string& error)
{
    network = {};
    NetworkBuilder builder(isNamed, network);
    for (const CycleBookRuns& book : books) {
        for (const RunStations* run : book.runs) {
            if (!run->Readable()) {
                error = Cp1251ToUtf8(book.name) + ", " + UnreadableRunText(*run);
                return false;
            }
            if (!builder.AddRun(book.name, *run, error))
                return false;
        }
    }
    return true;
}

void CollectDefaultMarks(const std::vector<const RunStations*>& runs, std::vector<std::string>& marks)
{
    auto add = [&marks](std::string_view name) {
        const std::string point(TrimText(name));
        if (!point.empty() && std::find(marks.begin(), marks.end(), point) == marks.end())
            marks.push_back(point);
    };
    for (const RunStations* run : runs) {
        const Station* last = nullptr;
        bool opened = false;
        for (const Station& station : run->stations) {
            if (!opened && station.HasBacksight())
                add(station.backPoint);
            opened = opened || station.HasBacksight();
            for (const Sight& sight : station.intermediates)
                add(sight.point);
            if (station.HasForesight())
                last = &station;
        }
        if (last)
            add(last->forePoint);
    }
}

}  // namespace velmora
