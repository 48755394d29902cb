#include "runs/LevellingRun.h"

#include "fieldbook/TextConversions.h"
#include "runs/Rounding.h"

#include <cmath>

namespace velmora {

void LevellingRun::Add(const MeasurementRecord& record)
{
    const std::string_view code = record.valueType();
    if (code == "Rb") {
        back_ = TextToNumber(record.reading());
        backDistance_ = TextToNumber(record.distance());
        if (state_ == 0)
            state_ = 1;
    }
    if (code != "Rf" && state_ != 1)
        return;

    if (state_ == 1) {
        // The first backsight only opens the run; its reading waits in back_ for the first
        // foresight. A foresight met before it has already added a point and a distance.
        heightSum = 0;
        state_ = 2;
    } else {
        fore_ = TextToNumber(record.reading());
        heightSum = (heightSum + back_) - fore_;
        distanceSum = (distanceSum + backDistance_) + TextToNumber(record.distance());
    }
    const std::string_view point = TrimText(record.pointNumber());
    if (pointCount == 0)
        firstPoint.assign(point);
    lastPoint.assign(point);
    ++pointCount;
}

double LevellingRun::AllowedMisclosure(double toleranceCoefficient) const
{
    return toleranceCoefficient * std::sqrt(distanceSum * kKilometresPerMetre);
}

RunStatus LevellingRun::Status(double toleranceCoefficient) const
{
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

RunCatalog::RunCatalog(const RecordList& records)
{
    // Records of one run mostly stand together, so remember the last run looked up.
    std::string_view lastNumber;
    LevellingRun* last = nullptr;
    for (const MeasurementRecord& record : records) {
        if (record.skipped)
            continue;
        const std::string_view number = TrimText(record.runNumber());
        if (!last || number != lastNumber) {
            auto found = runs_.find(number);
            if (found == runs_.end())
                found = runs_.emplace(std::string(number), LevellingRun{}).first;
            last = &found->second;
            lastNumber = found->first;
        }
        last->Add(record);
    }
}

const LevellingRun& RunCatalog::Find(std::string_view runNumber) const
{
    static const LevellingRun kNoRun;
    const auto found = runs_.find(TrimText(runNumber));
    return found == runs_.end() ? kNoRun : found->second;
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
