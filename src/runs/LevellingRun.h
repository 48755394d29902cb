#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace velmora {

enum class RunStatus {
    Empty,            ///< fewer than two points: "R // ****"
    Open,             ///< ends on another point than it began: "R // ----"
    WithinTolerance,  ///< "R // M"
    AboveTolerance,   ///< "R // M " (one trailing blank)
    Unreadable,       ///< closed, but a reading or distance it uses is no number: "R // ???? "
};

/// Kilometres per metre: run lengths are summed in metres and turned into kilometres only
/// for the tolerance.
inline constexpr double kKilometresPerMetre = 0.001;

/// The sums of one run, gathered record by record in file order.
///
/// A station's height difference is added as heightSum := (heightSum + back) − fore and its
/// length as distanceSum := (distanceSum + backDistance) + foreDistance, in exactly this order:
/// misclosures that fall on a rounding tie come out differently if the order changes.
struct LevellingRun {
    std::string firstPoint;  ///< trimmed point number of the first point
    std::string lastPoint;   ///< trimmed point number of the last point
    long pointCount = 0;     ///< the first backsight's point plus one per foresight
    double heightSum = 0;    ///< sum of (backsight − foresight) over the stations, metres
    double distanceSum = 0;  ///< sum of back and fore sight distances, metres

    /// Takes in the next record of the run (not skipped, same run number). Only "Rb" and "Rf"
    /// change anything; each foresight pairs with the latest backsight before it.
    void Add(const MeasurementRecord& record);

    /// Allowed misclosure in metres: coefficient × √(distanceSum in km).
    double AllowedMisclosure(double toleranceCoefficient) const;

    RunStatus Status(double toleranceCoefficient) const;

private:
    int state_ = 0;  // 0: no backsight yet; 1: on the first backsight; 2: the run has begun
    double back_ = 0;
    double fore_ = 0;
    double backDistance_ = 0;
};

/// Every run of a record list, analysed in one pass over the records, so that the texts of
/// all list entries cost time linear in the file. A run number that no record carries is an
/// empty run.
class RunCatalog {
public:
    RunCatalog() = default;
    explicit RunCatalog(const RecordList& records);

    /// The run with that (trimmed) number, or an empty run when there is none.
    const LevellingRun& Find(std::string_view runNumber) const;

private:
    std::unordered_map<std::string, LevellingRun, TextHash, std::equal_to<>> runs_;
};

/// The marker of a closed run that uses a reading or distance that is not a number. It ends
/// in a blank, so the list draws it red like a run above tolerance.
inline constexpr std::string_view kUnreadableMark = " // ???? ";

/// The run-list text of a run: R followed by " // ****", " // ----", " // M", " // M " or
/// the unreadable mark, computed with the given coefficient. `runNumber` is trimmed first.
std::string RunEntryText(const RunCatalog& runs, std::string_view runNumber,
                         double toleranceCoefficient);

/// The run number of an entry text: what stands before its separator " //", trimmed (the
/// whole text, trimmed, when there is none).
std::string_view RunNumberOfEntry(std::string_view entry);

}  // namespace velmora
