// SPDX-License-Identifier: MIT
#include "runs/RodScale.h"

#include "fieldbook/Translation.h"
#include "runs/LevellingRun.h"
#include "runs/Rounding.h"
#include "runs/Station.h"

namespace velmora {

namespace {

void CorrectSights(std::vector<Sight>& sights, RodScale scale)
{
    for (Sight& sight : sights)
        sight.reading = scale.Corrected(sight.reading);
}

}  // namespace

void CorrectReadings(std::vector<RunStations>& runs, RodScale scale)
{
    for (RunStations& run : runs)
        CorrectReadings(run, scale);
}

void CorrectReadings(RunStations& run, RodScale scale)
{
    if (!scale.Corrects())
        return;
    for (Station& station : run.stations) {
        CorrectSights(station.backsights, scale);
        CorrectSights(station.foresights, scale);
        CorrectSights(station.intermediates, scale);
        station.back = scale.Corrected(station.back);
        station.fore = scale.Corrected(station.fore);
    }
    if (run.instrument && run.instrument->heightSum)
        run.instrument->heightSum = scale.Corrected(*run.instrument->heightSum);
}

void CorrectHeightSum(LevellingRun& run, RodScale scale)
{
    if (scale.Corrects())
        run.heightSum = scale.Corrected(run.heightSum);
}

std::string RodScaleText(RodScale scale)
{
    if (!scale.Corrects())
        return {};
    const std::string ppm = ForPeople(NumberText(scale.ppm));
    // TRANSLATORS: {1} is the rod scale in parts per million, with its sign.
    return Fill(Tr("Rod scale {1} ppm: every reading and height difference corrected by {1}\u00b710\u207b\u2076 of itself"),
                {(scale.ppm > 0 ? "+" : "") + ppm});
}

}  // namespace velmora
