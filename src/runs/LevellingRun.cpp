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
        endsOnFirstPoint = point == firstPoint;
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
    instrument = stations.instrument;
    unread_.unread.reset();
    if (!stations.reason.empty() || !stations.cause.empty())
        unread_.unread = std::make_unique<const Unread>(Unread{stations.reason, stations.cause});
    if (!stations.reason.empty()) {
        // No number from a misread station.
        LevellingRun unread;
        unread.method = method;
        unread.instrument = std::move(instrument);
        unread.unread_ = std::move(unread_);
        *this = std::move(unread);
    }
}

const std::string& LevellingRun::reason() const
{
    static const std::string kNone;
    return unread_.unread ? unread_.unread->reason : kNone;
}

const UnreadableCause& LevellingRun::cause() const
{
    static const UnreadableCause kNone;
    return unread_.unread ? unread_.unread->cause : kNone;
}

double LevellingRun::AllowedMisclosure(double toleranceCoefficient) const
{
    return velmora::AllowedMisclosure(toleranceCoefficient, distanceSum);
}

RunStatus LevellingRun::Status(double toleranceCoefficient) const
{
    if (!reason().empty())
        return RunStatus::Unreadable;
    if (pointCount < 2)
        return RunStatus::Empty;
    if (!endsOnFirstPoint)
        return RunStatus::Open;
    // A reading or distance that is no number leaves NaN in a sum; an absurd one may overflow.
    // Neither may show as a misclosure, nor may a tolerance that cannot be computed (a negative
    // run length) let the run pass.
    const double allowed = AllowedMisclosure(toleranceCoefficient);
    if (!std::isfinite(heightSum) || !std::isfinite(distanceSum) || !std::isfinite(allowed) ||
        !std::isfinite(RoundTo4(heightSum)))
        return RunStatus::Unreadable;
    return BeyondTolerance(heightSum, allowed) ? RunStatus::AboveTolerance : RunStatus::WithinTolerance;
}

std::string LevellingRun::UnreadableReason(double toleranceCoefficient) const
{
    if (!reason().empty())
        return reason();
    return UnreadableCauseOf(toleranceCoefficient).Text();
}

UnreadableCause LevellingRun::UnreadableCauseOf(double toleranceCoefficient) const
{
    if (!cause().empty())
        return cause();
    if (Status(toleranceCoefficient) == RunStatus::Unreadable)
        return {UnreadableCause::Kind::NotANumber};
    return {};
}

std::optional<bool> LevellingRun::AgreesWithInstrument() const
{
    if (!instrument || !reason().empty())
        return std::nullopt;
    return instrument->Agrees(heightSum, distanceSum);
}

}  // namespace velmora
