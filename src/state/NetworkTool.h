// SPDX-License-Identifier: MIT
#pragma once

#include "network/FixedHeights.h"
#include "network/NetworkAdjustment.h"
#include "runs/ToleranceClass.h"

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

/// One node of the catalogue of heights as the window shows it (UTF-8).
struct CatalogueRow {
    std::string point;
    std::string height;  ///< metres, with the decimal comma
    std::string sigma;   ///< metres, with the decimal comma
    std::string fixed;   ///< "да" for a fixed point, empty otherwise
};

/// One section as the window shows it (UTF-8): Ход | От | До | Станций | h, м | L, м | v, м | w.
struct SectionRow {
    std::vector<std::string> cells;  ///< numbers with the decimal comma; w "—" when unchecked
    bool outlier = false;            ///< w beyond Baarda's critical value: the row is red
};

/// The network adjustment of some runs of the open book, as the window "Уравнивание сети"
/// works it: the network read from the runs (ReadNetworkOfBooks, as `adjust` reads books), its
/// nodes to choose fixed points among, the adjustment as `adjust` computes it, the texts the
/// window shows, and its results saved. It only reads the book. Messages are in the user's
/// language (UTF-8).
class NetworkTool {
public:
    /// Reads the network of the runs `runNumbers` (trimmed), in the book's order, as the book
    /// named `bookFileName` (UTF-8, NetworkBookName). False with `error` when one of them cannot
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
    /// `error` when the file cannot be read or names a point that CheckFixedPoints refuses; the
    /// rows are then left as they were.
    bool ApplyFixedHeightsFile(const std::string& path, std::vector<NodeChoice>& rows,
                               std::string& error) const;

    /// Adjusts the network holding `fixed`, with σ of 1 km from the class (SigmaOfClass) and
    /// the class's limit on sections levelled twice, as `adjust` does (AdjustNetworkOfBooks).
    /// False with `error`.
    bool Adjust(const std::vector<FixedHeight>& fixed, ToleranceClass toleranceClass,
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

    /// "σ на 1 км: 2,50 мм (класс II)": the a-priori σ the adjustment takes.
    static std::string SigmaText(ToleranceClass toleranceClass);
    /// The nodes of `result` in its order.
    static std::vector<CatalogueRow> CatalogueRows(const NetworkAdjustment& result);
    /// The sections of `result` in its order.
    static std::vector<SectionRow> SectionRows(const NetworkAdjustment& result);
    /// σ₀, the degrees of freedom and the global test in one sentence.
    static std::string SummaryText(const NetworkAdjustment& result);

private:

    LevellingNetwork network_;
    std::vector<NodeChoice> nodes_;
};

}  // namespace velmora
