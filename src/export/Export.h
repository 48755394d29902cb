// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Failure.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/RecordList.h"
#include "runs/UnreadableCause.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// What an export tells the user, in order, as kinds; the window words them.
enum class ExportNotice {
    NotAllRunsLinked,  ///< some selected runs have no point of known height
    WorkbookProblem,   ///< no workbook was written; its `ExportFailure` says why
};

/// The start points the new-height dialog offers: the given point numbers trimmed, without
/// repeats, in byte order (so "10" comes before "9"). The first is proposed.
std::vector<std::string> ProposedStartPoints(const std::vector<std::string_view>& pointNumbers);

/// The sheet name of an export: "no" for no run, the run number for one, "first-last" for
/// more (first and last in list order).
std::string SheetNameOf(const std::vector<std::string>& pendingRuns);

/// The proposed workbook name: the folder of the file last chosen in the open dialog (up to
/// its last "/"; none when no file was chosen there), the sheet name, ".xls".
std::string BuildExportFileName(const std::vector<std::string>& pendingRuns,
                                std::string_view lastOpenedFile);

/// Why an export wrote no workbook, as a cause with its evidence; the window words it.
struct ExportFailure {
    enum class Kind {
        None,
        HeightNotANumber,  ///< the start height typed is no number
        UnreadableRun,     ///< `run` cannot be read: `cause` (NotANumber: a result is no number)
        BeyondSheet,       ///< the results reach `row`, below the sheet's last row `lastRow`
        Refused,           ///< the name may not take a workbook: `refusal`
        NotSaved,          ///< the file could not be written: `file` (code 0: no known cause)
    };

    Kind kind = Kind::None;
    std::string run;  ///< trimmed run number, Windows-1251
    UnreadableCause cause;
    long row = 0;
    long lastRow = 0;
    OutputRefusal refusal = OutputRefusal::None;
    Failure file;
};

struct ExportResult {
    bool saved = false;
    std::vector<std::string> unlinkedRuns;  ///< selected runs that no known point reached
    std::string error;                      ///< why the workbook was not saved
    ExportFailure failure;                  ///< the same as a cause
};

/// The export after the dialogs: a workbook with the sheet `sheetName`, the selected runs
/// linked from the start point and written run by run, then (after `onUnlinked` was told of
/// runs left pending, if any) columns A and B formatted and the workbook saved as `path`.
/// A failure leaves no file: neither a new one nor a changed old one. A name that is no
/// workbook's (see `ChooseOutput`) is refused before anything is computed.
/// Running out of memory is such a failure (`kOutOfMemory`).
ExportResult ExportToWorkbook(const RecordList& records, std::vector<std::string> pendingRuns,
                              std::string_view startPoint, double startHeight,
                              double toleranceCoefficient, std::string_view sheetName,
                              const std::string& path,
                              const std::function<void(const std::vector<std::string>&)>& onUnlinked);

}  // namespace velmora
