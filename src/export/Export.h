// SPDX-License-Identifier: MIT
#pragma once

#include "export/WorkbookWriter.h"
#include "fieldbook/RecordList.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// Messages of the export, in Windows-1251.
namespace messages {
/// "Ошибка. Не все ходы связаны." — some selected runs have no point of known height.
extern const std::string kNotAllRunsLinked;
/// "Возможно, возникла проблема с Excel." — every failure after the new-height dialog.
extern const std::string kWorkbookProblem;
}  // namespace messages

/// The start points the new-height dialog offers: the given point numbers trimmed, without
/// repeats, in byte order (so "10" comes before "9"). The first is proposed.
std::vector<std::string> ProposedStartPoints(const std::vector<std::string_view>& pointNumbers);

/// The folder part of a path: up to and including its last "/" or "\"; empty when it has none.
std::string_view FolderOf(std::string_view path);

/// The sheet name of an export: "no" for no run, the run number for one, "first-last" for
/// more (first and last in list order).
std::string SheetNameOf(const std::vector<std::string>& pendingRuns);

/// The proposed workbook name: the folder of the file last chosen in the open dialog (up to
/// its last "/" or "\"; none when no file was chosen there), the sheet name, ".xls".
std::string BuildExportFileName(const std::vector<std::string>& pendingRuns,
                                std::string_view lastOpenedFile);

/// A workbook of the format the file name asks for: .xlsx (any case) for an Office Open XML
/// workbook, an Excel 97–2003 workbook otherwise.
std::unique_ptr<WorkbookWriter> WorkbookForFile(std::string_view path);

struct ExportResult {
    bool saved = false;
    std::vector<std::string> unlinkedRuns;  ///< selected runs that no known point reached
    std::string error;                      ///< why the workbook was not saved
};

/// The export after the dialogs: a workbook with the sheet `sheetName`, the selected runs
/// linked from the start point and written run by run, then (after `onUnlinked` was told of
/// runs left pending, if any) columns A and B formatted and the workbook saved as `path`.
/// A failure leaves no file: neither a new one nor a changed old one.
ExportResult ExportToWorkbook(const RecordList& records, std::vector<std::string> pendingRuns,
                              std::string_view startPoint, double startHeight,
                              double toleranceCoefficient, std::string_view sheetName,
                              const std::string& path,
                              const std::function<void(const std::vector<std::string>&)>& onUnlinked);

}  // namespace velmora
