// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"
#include "fieldbook/RunStretches.h"
#include "runs/Station.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velmora {

enum class RunStatus {
    Empty,            ///< fewer than two points: "R // ****"
    Open,             ///< ends on another point than it began: "R // ----"
    WithinTolerance,  ///< "R // M"
    AboveTolerance,   ///< "R // M " (one trailing blank)
    Unreadable,       ///< a station that fits no method, an unknown unit, or a closed run with a
                      ///< reading or distance that is no number: "R // ???? "
};

/// Kilometres per metre: run lengths are summed in metres and turned into kilometres only
/// for the tolerance.
inline constexpr double kKilometresPerMetre = 0.001;

/// The sums of one run, station by station in record order.
///
/// A station's height difference is added as heightSum := (heightSum + back) − fore and its
/// length as distanceSum := (distanceSum + backDistance) + foreDistance, in exactly this order,
/// with back, fore and the distances the station's means: misclosures that fall on a rounding
/// tie come out differently if the order changes.
struct LevellingRun {
    std::string firstPoint;  ///< trimmed point number of the first point
    std::string lastPoint;   ///< trimmed point number of the last point
    long pointCount = 0;     ///< the first backsight's point plus one per completed station
    double heightSum = 0;    ///< sum of (backsight − foresight) over the stations, metres
    double distanceSum = 0;  ///< sum of back and fore sight distances, metres
    LevellingMethod method = LevellingMethod::BF;  ///< how the stations were measured
    std::string reason;  ///< why the run cannot be read (its stations); empty when it can
    std::optional<InstrumentFigures> instrument;  ///< the book's own sums for the run

    /// The sums of a run read into stations. The heights start again from 0 at the station
    /// of the run's first backsight; a station without foresight adds nothing.
    static LevellingRun Of(const RunStations& stations);

    /// Adds the next station of the run; `opening` marks the station of its first backsight.
    void AddStation(const Station& station, bool opening);

    /// Takes the method, the reason and the instrument's figures of a run read into stations;
    /// a run that cannot be read keeps no sums.
    void TakeHeader(const RunStations& stations);

    /// Allowed misclosure in metres: coefficient × √(distanceSum in km).
    double AllowedMisclosure(double toleranceCoefficient) const;

    RunStatus Status(double toleranceCoefficient) const;

    /// Why Status gives Unreadable: the stations' reason, or numbers that are not numbers.
    /// Empty for a run of any other status.
    std::string UnreadableReason(double toleranceCoefficient) const;

    /// Whether our sums agree with the instrument's figures (within kInstrumentHeightAgreement
    /// and kInstrumentLengthAgreement); nothing when the book has no figures for the run or
    /// the run cannot be read.
    std::optional<bool> AgreesWithInstrument() const;
};

/// How far our sum of height differences may lie from the instrument's "Sh", metres: the
/// instrument writes five decimals.
inline constexpr double kInstrumentHeightAgreement = 0.00015;
/// How far our run length may lie from the instrument's Db + Df, metres.
inline constexpr double kInstrumentLengthAgreement = 0.015;

/// Every run of a record list that has a kept record (the runs the list can show), read into
/// stations, so that the texts of all list entries cost time linear in the file. A run number
/// that no kept record carries is an empty run.
class RunCatalog {
public:
    RunCatalog() = default;
    explicit RunCatalog(const RecordList& records);
    /// The same, for records whose stretches are known already.
    RunCatalog(const RecordList& records, const RunStretches& stretches);

    /// The run with that (trimmed) number, or an empty run when there is none.
    const LevellingRun& Find(std::string_view runNumber) const;

    /// Reads the runs of these numbers again from `records`, after their fields were edited;
    /// the other runs stay as they are. The records must be those the catalog was made from,
    /// with the same run numbers and skip flags: the catalog keeps where each run's records
    /// stand.
    void Refresh(const RecordList& records, const RunNumberSet& runNumbers);

private:
    struct Entry {
        LevellingRun run;
        std::vector<RunStretches::RecordRange> ranges;  // of its records
    };
    Entry* EntryOf(std::string_view runNumber);
    const Entry* EntryOf(std::string_view runNumber) const;
    // Run numbers of up to seven bytes, the usual ones, by a key packed from their bytes: found
    // without hashing a text, every time an entry's text is made. Longer ones by their text.
    std::unordered_map<std::uint64_t, Entry> shortRuns_;
    std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> longRuns_;
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
