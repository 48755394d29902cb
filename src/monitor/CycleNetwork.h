// SPDX-License-Identifier: MIT
#pragma once

#include "runs/Station.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace velmora {

/// The runs of one field book that a cycle takes.
struct CycleBookRuns {
    std::string name;                       ///< the book's name (Windows-1251, as CycleBook)
    std::vector<const RunStations*> runs;  ///< in book order
};

/// One reading of a cycle as an observation equation: HI(station) − H(point) = reading, with
/// the variance σ² · distance / 1000 (σ of 1 km in metres).
struct SightEquation {
    std::size_t station = 0;  ///< index of the station's instrument horizon
    std::size_t point = 0;    ///< index into CycleNetwork::points
    double reading = 0;       ///< staff reading, metres (the mean where the sight was read twice)
    double distance = 0;      ///< sight distance, metres (> 0)
};

/// The observation equations of one cycle: every station with its unknown instrument horizon,
/// every point it sighted.
struct CycleNetwork {
    /// Point numbers (trimmed). A benchmark or mark is one point by name across all the
    /// cycle's runs and books; any other point is its place in its run.
    std::vector<std::string> points;
    std::vector<char> named;  ///< per point: a benchmark or a mark
    std::size_t stations = 0;
    std::vector<SightEquation> sights;  ///< station by station, in book order
};

/// Builds the cycle's equations from its books. `isNamed` says which point numbers are
/// benchmarks or marks. Each station with at least two readings takes part: its back and fore
/// readings as the station model means them, and each intermediate sight (one point sighted
/// twice from a station counts once, with the mean reading and distance). A turning point is
/// shared by a station's foresight and the next station's backsight of that number.
///
/// False with `error` (UTF-8) naming the book and the run when a run cannot be read, and naming
/// book, run and station (1-based) when a reading has no distance.
bool BuildCycleNetwork(const std::vector<CycleBookRuns>& books,
                       const std::function<bool(const std::string&)>& isNamed,
                       CycleNetwork& network, std::string& error);

/// The default marks of books: every point that is sighted as an intermediate sight or begins
/// or ends a run, in order of first appearance (duplicates left out; benchmarks not removed).
void CollectDefaultMarks(const std::vector<const RunStations*>& runs, std::vector<std::string>& marks);

}  // namespace velmora
