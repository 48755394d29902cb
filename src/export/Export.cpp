// SPDX-License-Identifier: MIT
#include "export/Export.h"

#include "export/Adjustment.h"
#include "export/WorkbookLayout.h"
#include "export/XlsWorkbook.h"
#include "export/XlsxWorkbook.h"
#include "fieldbook/FilePath.h"
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

std::unique_ptr<WorkbookWriter> MakeWorkbook(OutputFormat format)
{
    if (format == OutputFormat::Xlsx)
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
    const OutputChoice output = ChooseOutput(path, OutputKind::Workbook, {});
    if (!output.allowed()) {
        result.error = "the name " + OutputRefusalText(output.refusal);
        return result;
    }
    std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(output.format);
    WorkbookLayout layout(*workbook, sheetName);
    try {
        ExportRuns(
            records, pendingRuns, startPoint, startHeight, toleranceCoefficient,
            [&](const AdjustedRun& run) { layout.WriteRun(run); },
            [&] { return layout.BeyondSheet(); });
    } catch (const ExportError& error) {
        result.error = error.what();
        return result;
    }
    if (layout.BeyondSheet()) {
        // The runs left do not fit either; the workbook's own check names the first cell
        // outside the sheet and refuses to save.
        result.saved = workbook->Save(path, result.error);
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
