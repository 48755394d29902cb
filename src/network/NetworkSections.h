// SPDX-License-Identifier: MIT
#pragma once

#include "network/NetworkAdjustment.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

/// One place of a levelling network: a node, met by its name wherever it appears, or a turning
/// point, which is its place in its run only.
struct NetworkPlace {
    const std::string* name = nullptr;  ///< points into the network's observations or nodes
    /// Turning points: where the place was first met, as an observation index (the station
    /// that sights it, or a station whose back point starts a broken chain).
    std::size_t observation = 0;
    bool node = false;
    bool metAsBackPoint = false;  ///< turning points: first met as a back point
};

/// A section before adjustment: the stations of a run between two consecutive places that are
/// not inner turning points.
struct NetworkSection {
    int from = 0;  ///< place index
    int to = 0;    ///< place index
    std::vector<std::size_t> observations;  ///< in run order
    double heightDifference = 0;  ///< Σ dh, metres
    double length = 0;            ///< Σ L, metres
};

/// The network's places and sections, read off its runs.
///
/// A node is a run's first or last point, a fixed point or a point the network names as a node.
/// Every other back or fore point is a turning point: the fore point of a station is a new place
/// unless it is a node or carries the station's own back point's name (a station that checks a
/// point against itself); the back point of a station is the place of the station before it that
/// carries its name (its fore point, or its back point when both stations share one backsight),
/// or else a new place. So a number met again further on in a run is a second place, and a
/// number used in two runs is two places.
///
/// A turning point with one station into it and the next station of its run out of it lies
/// inside a section; every other place ends sections. A station from a place to itself is a
/// section of its own.
struct NetworkSections {
    std::vector<NetworkPlace> places;      ///< nodes and turning points, in order of first meeting
    std::vector<int> from;                 ///< place of each observation's back point
    std::vector<int> to;                   ///< place of each observation's fore point
    std::vector<NetworkSection> sections;  ///< in order of their first station
    std::vector<std::size_t> sectionOf;    ///< section of each observation
    /// Each observation's station number within its run, from 1.
    std::vector<std::size_t> stationInRun;
    std::vector<NetworkWarning> warnings;
};

/// Reads the places and sections of `network`; `fixedHeights` name nodes. Observations of one
/// run stand together: a run ends where the book or the run number changes.
NetworkSections FindSections(const LevellingNetwork& network,
                             const std::vector<FixedHeight>& fixedHeights);

}  // namespace velmora
