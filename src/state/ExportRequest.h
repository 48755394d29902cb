// SPDX-License-Identifier: MIT
#pragma once

#include "export/Export.h"

#include <string>
#include <vector>

namespace velmora {

/// One export as the user asked for it in the new-height dialog, with what the window proposes
/// in the save dialog. Texts in Windows-1251 except `proposedFileName`.
struct ExportRequest {
    std::string startPoint;                ///< as typed or chosen, untrimmed
    double startHeight = 0;                ///< metres
    std::vector<std::string> pendingRuns;  ///< run numbers of the selected entries, list order
    std::string sheetName;                 ///< "no", "7" or "3-12"
    /// The window's proposal: the folder of the file last chosen in the open dialog (none when
    /// the book came from the command line), the sheet name and ".xls"; bytes as the file
    /// system takes them (UTF-8). Empty when no window asks.
    std::string proposedFileName;
    double toleranceCoefficient = 0;       ///< metres per √km, for the allowed misclosures
};

/// What follows the new-height dialog: either a request ready for the save dialog, or the
/// failure that ends the export before it (a height that is not a number).
struct ExportPreparation {
    bool ready = false;
    ExportFailure failure;  ///< why it is not ready
    ExportRequest request;
};

/// The end of an export after the save dialog.
struct ExportOutcome {
    bool saved = false;                 ///< the workbook was written; the window then shows it
    std::vector<ExportNotice> notices;  ///< message boxes in order, as kinds the window words
    std::vector<std::string> unlinkedRuns;  ///< selected runs that no known point reached
    std::string error;                  ///< why the workbook was not saved (for a log, not shown)
    ExportFailure failure;              ///< the same as a cause, for the window's words
};

}  // namespace velmora
