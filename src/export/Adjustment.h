// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RecordList.h"
#include "fieldbook/RunNumberSet.h"
#include "runs/Station.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

/// One point occurrence of a run being computed.
struct PointEntry {
    std::string point;            ///< the record's point number, as the workbook receives it
    double height = 0;            ///< metres: first relative to the run's first point, at the end absolute
    double stationDistance = 0;   ///< metres: back + fore distance of the station ending here; 0 at the start
    bool intermediate = false;    ///< from an "Rz" record
    /// An intermediate sight recorded after its station's foresight: it keeps its place in
    /// the list, but is referred to its station's back point like the others, and so takes the
    /// correction reached there.
    bool afterItsForesight = false;
};

/// Heights known so far, by trimmed point number (metres).
using KnownHeights = std::unordered_map<std::string, double, TextHash, std::equal_to<>>;

/// Where a run meets a point of known height: the first of its entries, in record order,
/// whose point is known.
struct RunLink {
    bool found = false;
    std::string point;    ///< trimmed point number
    double height = 0;    ///< H, its known height (metres)
    double offset = 0;    ///< H − the entry's relative height (metres)
};

/// A run's points with its length and link, before the adjustment.
struct RunPoints {
    std::vector<PointEntry> points;
    double length = 0;  ///< L, the sum of the station distances (metres), as the run list sums it
    /// The entry of the run's last fore point when the run closes on its first point, as the
    /// run list decides it (LevellingRun::endsOnFirstPoint); nothing for an open run. Later
    /// entries can only be intermediate sights of the closing station.
    std::optional<std::size_t> closingEntry;
    RunLink link;
    std::string reason;  ///< why the run cannot be read; empty when it can (then no points)
    UnreadableCause cause;  ///< the same as a cause with its evidence
};

/// What the adjustment gives for one run, as the workbook receives it.
struct AdjustedRun {
    std::string runNumber;
    std::vector<PointEntry> points;  ///< absolute heights; the closing entry of a closed run removed
    double misclosure = 0;           ///< dZ (metres); exactly 0 for an open run
    double allowedMisclosure = 0;    ///< metres, when dZ ≠ 0
    bool beyondTolerance = false;    ///< |dZ| above the allowed misclosure
    double largestCorrection = 0;    ///< metres, the largest share of dZ given to one station
};

/// An error that ends an export: a result that is no finite number (a reading that is not a
/// number, a closed run with a misclosure but no length).
struct ExportError : std::runtime_error {
    using std::runtime_error::runtime_error;
    ExportError(std::string runNumber, UnreadableCause why, const std::string& text)
        : std::runtime_error(text), run(std::move(runNumber)), cause(std::move(why))
    {
    }

    std::string run;        ///< the run concerned, trimmed
    UnreadableCause cause;  ///< NotANumber for a result that is no finite number
};

/// The point list and length of one run read into stations, and its link to the known
/// heights: the point of the run's first backsight at height 0, then for each station its
/// intermediate sights and its fore point in record order, each station's height difference
/// added as running + back − fore. An intermediate sight stands at its back point's height plus
/// back − its reading (IntermediateHeightDifference). L and whether the run closes are the run
/// list's (LevellingRun).
RunPoints CollectRunPoints(const RunStations& stations, const KnownHeights& known);

/// The same for the run whose records (in file order) these are.
RunPoints CollectRunPoints(const RecordList& records, const std::vector<std::size_t>& runRecords,
                           const KnownHeights& known);

/// The link of a point list: its first entry whose trimmed point is known.
RunLink FindLink(const std::vector<PointEntry>& points, const KnownHeights& known);

/// Distributes the misclosure of a closed run over its stations in proportion to their
/// distances, removes the closing entry, and moves the heights onto the known level. For an
/// open run (or a closed one with dZ exactly 0) only the offset is added.
AdjustedRun AdjustRunPoints(RunPoints run, double toleranceCoefficient);

/// Links the pending runs through their common points, starting from the start point at its
/// height: again and again the first pending run, in list order, that has a point of known
/// height and at least two points is adjusted, handed to `write`, and its points become known.
/// A run that stands in the list several times is written once per entry, as one chain of
/// all its stations when each stretch of it begins where the one before ended.
///
/// `stop`, when given, is asked after each written run; when it says yes (the sheet is full)
/// no further run is written. On return `pendingRuns` holds the runs that were not written.
/// Throws ExportError when a selected run cannot be read into stations, when a stretch of one
/// begins elsewhere than where the run's stretch before it ended (a NotChained cause: heights
/// carried over a gap that no station measured would look as good as any other), or when a
/// result is not a finite number.
void ExportRuns(const RecordList& records, std::vector<std::string>& pendingRuns,
                std::string_view startPoint, double startHeight, double toleranceCoefficient,
                const std::function<void(const AdjustedRun&)>& write,
                const std::function<bool()>& stop = nullptr);

}  // namespace velmora
