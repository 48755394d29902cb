// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"
#include "runs/InstrumentFigures.h"
#include "runs/UnreadableCause.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

class RunStretches;

/// How the instrument measured the stations of a run: the order of the backsight (B) and
/// foresight (F) readings at each set-up. BF takes one reading of each; the others take two
/// of each. The "a" methods alternate: every second station reverses the order (BF, then FB;
/// BFFB, then FBBF; BFBF, then FBFB).
enum class LevellingMethod { BF, BFFB, BFBF, aBF, aBFFB, aBFBF };

/// The method's name as the English firmware writes it: "BF", "BFFB", "BFBF", "aBF", "aBFFB",
/// "aBFBF".
std::string_view MethodName(LevellingMethod method);

/// How many times the method reads each sight: 1 for BF and aBF, 2 for the others.
int ReadingsPerSight(LevellingMethod method);

/// The method that a start-of-line record names with this word, in any of the instrument's
/// languages: B/F in English ("aBFFB"), Z/V in Czech ("aZVVZ"), R/V in German ("RVVR").
/// Nothing for a word that names no method.
std::optional<LevellingMethod> MethodOfWord(std::string_view word);

/// One staff reading of a station, in metres whatever unit the book used.
struct Sight {
    std::string point;       ///< the record's point number (trimmed, as the record holds it)
    double reading = 0;      ///< staff reading, metres
    double distance = 0;     ///< sight distance, metres
    std::size_t record = 0;  ///< index of its record in the record list
};

/// One set-up of the instrument: the readings to the back point, to the fore point, and the
/// intermediate sights taken from it.
///
/// A complete station has one or two backsights and as many foresights. Two odd forms come
/// only from BF books, whose rules keep them: a station without backsight (a foresight met
/// before the run's first backsight: back and backDistance are 0) and one without foresight
/// (a backsight that the next backsight replaced, or the last one of the run).
struct Station {
    std::string backPoint;             ///< trimmed; empty without backsight
    std::string forePoint;             ///< trimmed; empty without foresight
    std::vector<Sight> backsights;     ///< in record order
    std::vector<Sight> foresights;     ///< in record order
    std::vector<Sight> intermediates;  ///< "Rz" sights taken from this set-up, in record order
    double back = 0;                   ///< mean backsight reading, metres
    double fore = 0;                   ///< mean foresight reading, metres
    double backDistance = 0;           ///< mean backsight distance, metres
    double foreDistance = 0;           ///< mean foresight distance, metres
    std::vector<std::size_t> records;  ///< every record the station came from, in record order

    bool HasBacksight() const { return !backsights.empty(); }
    bool HasForesight() const { return !foresights.empty(); }

    /// back − fore, metres.
    double HeightDifference() const { return back - fore; }
    /// backDistance + foreDistance, metres.
    double Length() const { return backDistance + foreDistance; }
};

/// The stations of one run, in record order, and how they were read.
struct RunStations {
    std::string runNumber;                         ///< trimmed
    LevellingMethod method = LevellingMethod::BF;  ///< as named or as found
    bool methodFromBook = false;                   ///< named by a start-of-line record
    std::vector<Station> stations;
    /// Index in `stations` of the station of the run's first backsight, where heights start
    /// from 0; stations.size() when the run has no backsight.
    std::size_t openingStation = 0;
    /// Why the run cannot be read (a station that fits no method, an unknown unit); empty
    /// when it can. No number of an unreadable run may be shown.
    std::string reason;
    /// The same as a cause with its evidence, for words in other languages.
    UnreadableCause cause;
    /// Index of the record the reason points at, when there is one.
    std::optional<std::size_t> reasonRecord;
    /// The instrument's own figures, when the book has them for this run.
    std::optional<InstrumentFigures> instrument;

    bool Readable() const { return reason.empty(); }
    /// Makes the run unreadable for `why`, with its words in `reason`.
    void SetCause(UnreadableCause why)
    {
        reason = why.Text();
        cause = std::move(why);
    }
};

/// Reads one run into stations. `runRecords` are the indices of the run's records in file
/// order (skipped ones may be among them: they take no part, but a start-of-line record among
/// them may name the method).
///
/// The method comes from the start-of-line record when it names one; otherwise from the order
/// of the readings and their point numbers. A run read as BF follows the book's BF rules to
/// the letter: each foresight pairs with the latest backsight before it, the first backsight
/// only opens the run, a foresight before it still counts. "Lr", "Lv", "Lz" count as "Rb",
/// "Rf", "Rz"; values in feet are turned into metres before anything is summed.
RunStations WalkRun(const RecordList& records, const std::vector<std::size_t>& runRecords);

/// Receives the stations of a run one by one, in order: `opening` is true for the station of
/// the run's first backsight. The station is valid only during the call.
using StationSink = std::function<void(const Station& station, bool opening)>;

/// Reads one run as WalkRun does, but hands each station to `onStation` as soon as it is
/// complete instead of keeping it: the result has everything but `stations` (which stays empty;
/// openingStation is 0). Nothing is handed over for a run that cannot be read, except the
/// stations before one whose sight distance (a station with a foresight or intermediate
/// sights) is below zero or no number, which makes the run unreadable; the result says so.
/// For long runs whose stations are only summed, as the run list does.
RunStations WalkRun(const RecordList& records, const std::vector<std::size_t>& runRecords,
                    const StationSink& onStation);

/// Reads every run (RunStretches::runs) into stations, in the order of their first records.
std::vector<RunStations> WalkAllRuns(const RecordList& records);

/// Reads the run `run` (an index into `stretches.runs()`, the stretches of `records`) into
/// stations, as WalkAllRuns reads each: a job that wants a few runs, or one run at a time,
/// reads them so.
RunStations WalkRunOf(const RecordList& records, const RunStretches& stretches, std::uint32_t run);

/// The same, and every station that WalkRun hands over for the run is handed to `onStation` as
/// well, as it is read: a job that wants the run's stations and what the run list sums of them
/// (RunCatalog) reads the run once.
RunStations WalkRunOf(const RecordList& records, const RunStretches& stretches, std::uint32_t run,
                      const StationSink& onStation);

/// Where the chain of a run's stations breaks: each station after the run's opening whose back
/// point is not the fore point of the last station completed before it (a run number taken up
/// again at another point, a station left out, a point renamed on one side only), in station
/// order. Each is a NotChained cause naming that station (1-based among the run's stations), its
/// sights in record order ("BF"), its back point and where the chain had reached. A station
/// without foresight (given up, its backsight replaced by the next station's) completes nothing:
/// the chain goes on from the station before it. Points are compared as trimmed texts, byte by
/// byte.
std::vector<UnreadableCause> ChainBreaksOf(const RunStations& run);

/// The height difference, in metres, from the back point of `station` to the point of one of
/// its intermediate sights: back − reading, whenever the sight was recorded. The instrument
/// stood at one horizon for all the sights of a set-up, and that horizon is the back point's
/// height plus the back reading; every output refers an intermediate sight to it this way.
inline double IntermediateHeightDifference(const Station& station, const Sight& sight)
{
    return station.back - sight.reading;
}

}  // namespace velmora
