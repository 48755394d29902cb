// SPDX-License-Identifier: MIT
#pragma once

#include "export/Adjustment.h"
#include "workbook/WorkbookWriter.h"

#include <string_view>

namespace velmora {

/// The results in the worksheet, run by run. Each run's block starts at the row counter:
///
///     row r … r+n−1   point              height
///     r+n             "dZ"               dZ                (red in both cells when beyond tolerance)
///     r+n+1           "dZдоп"            allowed misclosure
///     r+n+2           largest correction (beyond tolerance only)
///
/// The two dZ rows come only when dZ ≠ 0. Two rows always follow a block, so the next one
/// starts at r+n+4 after a misclosure and at r+n+2 without one. Every number is RoundTo4'd.
class WorkbookLayout {
public:
    /// Names the sheet; the row counter starts at 1.
    WorkbookLayout(WorkbookWriter& writer, std::string_view sheetName);

    void WriteRun(const AdjustedRun& run);

    /// Formats columns A and B, after the last run.
    void Finish();

    int row() const { return row_; }

    /// The rows of a run's block that starts at `row`: the lowest it writes (`row` − 1 when
    /// it writes none) and the first row of the next block.
    struct BlockRows {
        long lowest;
        long next;
    };
    static BlockRows RowsOf(const AdjustedRun& run, long row);

private:
    void Text(int row, int column, std::string_view text);
    void Number(int row, int column, double value);

    WorkbookWriter& writer_;
    int row_ = 1;
};

}  // namespace velmora
