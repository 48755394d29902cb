// SPDX-License-Identifier: MIT
#pragma once

#include "export/Adjustment.h"
#include "export/WorkbookWriter.h"

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

    /// True once a cell was written below the sheet's last row: Save will refuse the
    /// workbook, so no further run needs to be computed.
    bool BeyondSheet() const { return lowestRow_ > writer_.MaxRows(); }

private:
    void Text(int row, int column, std::string_view text);
    void Number(int row, int column, double value);

    WorkbookWriter& writer_;
    int row_ = 1;
    int lowestRow_ = 0;  // the lowest row written so far
};

}  // namespace velmora
