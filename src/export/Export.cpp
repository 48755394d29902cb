// SPDX-License-Identifier: MIT
#include "export/Export.h"

#include "export/Adjustment.h"
#include "export/WorkbookLayout.h"
#include "export/XlsWorkbook.h"
#include "export/XlsxWorkbook.h"
#include "fieldbook/TextConversions.h"

#include <algorithm>

namespace velmora {

namespace messages {
const std::string kNotAllRunsLinked =
    "\xCE\xF8\xE8\xE1\xEA\xE0. \xCD\xE5 \xE2\xF1\xE5 \xF5\xEE\xE4\xFB \xF1\xE2\xFF\xE7\xE0\xED\xFB.";
const std::string kWorkbookProblem =
    "\xC2\xEE\xE7\xEC\xEE\xE6\xED\xEE, \xE2\xEE\xE7\xED\xE8\xEA\xEB\xE0 \xEF\xF0\xEE\xE1\xEB\xE5\xEC\xE0 "
    "\xF1 Excel.";
}  // namespace messages

std::vector<std::string> ProposedStartPoints(const std::vector<std::string_view>& pointNumbers)
{
    std::vector<std::string_view> trimmed;
    trimmed.reserve(pointNumbers.size());
    for (std::string_view point : pointNumbers)
        trimmed.push_back(TrimText(point));
    std::sort(trimmed.begin(), trimmed.end());  // string_view compares bytes as unsigned chars
    trimmed.erase(std::unique(trimmed.begin(), trimmed.end()), trimmed.end());
    return {trimmed.begin(), trimmed.end()};
}

std::string_view FolderOf(std::string_view path)
{
    const auto separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

std::string SheetNameOf(const std::vector<std::string>& pendingRuns)
{
    if (pendingRuns.empty())
        return "no";
    if (pendingRuns.size() == 1)
        return pendingRuns.front();
    return pendingRuns.front() + "-" + pendingRuns.back();
}

std::string BuildExportFileName(const std::vector<std::string>& pendingRuns,
                                std::string_view lastOpenedFile)
{
    return std::string(FolderOf(lastOpenedFile)) + SheetNameOf(pendingRuns) + ".xls";
}

std::unique_ptr<WorkbookWriter> WorkbookForFile(std::string_view path)
{
    std::string suffix(path.substr(path.size() >= 5 ? path.size() - 5 : 0));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == ".xlsx")
        return std::make_unique<XlsxWorkbook>();
    return std::make_unique<XlsWorkbook>();
}

ExportResult ExportToWorkbook(const RecordList& records, std::vector<std::string> pendingRuns,
                              std::string_view startPoint, double startHeight,
                              double toleranceCoefficient, std::string_view sheetName,
                              const std::string& path,
                              const std::function<void(const std::vector<std::string>&)>& onUnlinked)
{
    ExportResult result;
    std::unique_ptr<WorkbookWriter> workbook = WorkbookForFile(path);
    WorkbookLayout layout(*workbook, sheetName);
    // The rows are counted in a first pass that builds no cell: results that do not fit in the
    // sheet are refused at once, without a sheet of a million rows built to find out. Only the
    // run at hand is held, so the count costs a second adjustment but no memory.
    long row = 1;
    long lowest = 0;
    const auto beyondSheet = [&] { return lowest > workbook->MaxRows(); };
    try {
        std::vector<std::string> counted = pendingRuns;
        ExportRuns(
            records, counted, startPoint, startHeight, toleranceCoefficient,
            [&](const AdjustedRun& run) {
                const WorkbookLayout::BlockRows block = WorkbookLayout::RowsOf(run, row);
                lowest = std::max(lowest, block.lowest);
                row = block.next;
            },
            beyondSheet);
        if (beyondSheet()) {
            result.error = "the runs reach row " + std::to_string(lowest) +
                           ", below the last row of the sheet (" +
                           std::to_string(workbook->MaxRows()) + ")";
            return result;
        }
        ExportRuns(records, pendingRuns, startPoint, startHeight, toleranceCoefficient,
                   [&](const AdjustedRun& run) { layout.WriteRun(run); });
    } catch (const ExportError& error) {
        result.error = error.what();
        return result;
    }
    result.unlinkedRuns = pendingRuns;
    if (!pendingRuns.empty() && onUnlinked)
        onUnlinked(pendingRuns);
    layout.Finish();
    result.saved = workbook->Save(path, result.error);
    return result;
}

}  // namespace velmora
