// SPDX-License-Identifier: MIT
#include "network/NetworkObservations.h"

#include "fieldbook/TextConversions.h"

namespace velmora {

bool NetworkOfRuns(const std::vector<const RunStations*>& runs, LevellingNetwork& network,
                   std::string& error)
{
    network = LevellingNetwork{};
    for (const RunStations* run : runs) {
        if (!run->Readable()) {
            error = "run " + run->runNumber + " cannot be read: " + run->reason;
            return false;
        }
        for (const Station& station : run->stations) {
            // A foresight met before the run's first backsight has no back point to start from.
            if (!station.HasBacksight())
                continue;
            for (const Sight& sight : station.intermediates) {
                IntermediateSight intermediate;
                intermediate.run = run->runNumber;
                intermediate.from = station.backPoint;
                intermediate.point = std::string(TrimText(sight.point));
                intermediate.heightDifference = station.back - sight.reading;
                intermediate.length = station.backDistance + sight.distance;
                intermediate.observationsBefore = network.observations.size();
                network.intermediates.push_back(std::move(intermediate));
            }
            if (station.HasForesight()) {
                network.observations.push_back({run->runNumber, station.backPoint,
                                                station.forePoint, station.HeightDifference(),
                                                station.Length()});
            }
        }
    }
    return true;
}

}  // namespace velmora
