// SPDX-License-Identifier: MIT
#pragma once

#include "network/FixedHeights.h"
#include "network/NetworkAdjustment.h"

#include <string>
#include <vector>

namespace velmora {

class OpenBook;

/// One node as the adjustment window lists it: whether the user holds it fixed, and the height
/// typed for it (metres, a decimal point or comma).
struct NodeChoice {
    std::string point;  ///< field-book bytes (Windows-1251)
    bool fixed = false;
    std::string heightText;  ///< UTF-8 as typed
};

/// The network adjustment of some runs of the open book, as the window "Уравнивание сети"
/// works it: the network read from the runs, its nodes to choose fixed points among, the
/// adjustment as `adjust` computes it, and its results saved. It only reads the book. Messages
/// are in the user's language (UTF-8).
class NetworkTool {
public:
    /// Reads the network of the runs `runNumbers` (trimmed), in the book's order, as the book
    /// named `bookFileName` (UTF-8, for the workbook). False with `error` when one of them cannot
    /// be read.
    bool Read(const OpenBook& book, const std::vector<std::string>& runNumbers,
              const std::string& bookFileName, std::string& error);

    const LevellingNetwork& network() const { return network_; }
    /// The network's nodes (the runs' first and last points), each unfixed with no height, in
    /// order of first meeting.
    const std::vector<NodeChoice>& nodes() const { return nodes_; }

    /// The fixed heights of the rows that are fixed, each height read with a point or comma.
    /// False with `error` naming the point when a height is no number or a point is fixed twice
    /// at two heights.
    static bool TypedFixedHeights(const std::vector<NodeChoice>& rows, std::vector<FixedHeight>& fixed,
                                  std::string& error);

    /// Heights read from a file (ReadFixedHeightsFile) put into the rows: each such point is
    /// fixed at its height; a point of the network that is no row yet is added as one. False with
    /// `error` when the file cannot be read or names a point the runs do not have; the rows are
    /// then left as they were.
    bool ApplyFixedHeightsFile(const std::string& path, std::vector<NodeChoice>& rows,
                               std::string& error) const;

    /// Adjusts the network holding `fixed`, with σ of 1 km from the class of
    /// `toleranceCoefficient` (SigmaOfClass), as `adjust` does. False with `error`.
    bool Adjust(const std::vector<FixedHeight>& fixed, double toleranceCoefficient,
                NetworkAdjustment& result, std::string& error) const;

    /// The workbook (.xls, .xlsx; naming the levelling class `className`) or the catalogue
    /// (.csv) of `result` at `output`, as `adjust --output` writes them. Refused where
    /// ChooseOutput refuses it, with the reason as `adjust --output` gives it (the field book
    /// `bookPath` itself: that the results are not written over it).
    bool Save(const NetworkAdjustment& result, const std::string& output, const std::string& bookPath,
              const std::string& className, std::string& error) const;

    /// The adjustment's warnings in words, one line each: the names that may stand for two
    /// places, and the nodes no fixed point reaches.
    std::vector<std::string> Warnings(const NetworkAdjustment& result) const;

private:
    bool HasPoint(const std::string& point) const;

    LevellingNetwork network_;
    std::vector<NodeChoice> nodes_;
};

}  // namespace velmora
