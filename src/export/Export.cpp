// SPDX-License-Identifier: MIT
#include "export/Export.h"

#include "export/Adjustment.h"
#include "export/WorkbookLayout.h"
#include "fieldbook/FilePath.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "workbook/WorkbookFormats.h"

#include <algorithm>
#include <new>

namespace velmora {

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

namespace {

ExportResult WriteWorkbook(const RecordList& records, std::vector<std::string> pendingRuns,
                           std::string_view startPoint, double startHeight,
                           double toleranceCoefficient, std::string_view sheetName,
                           const std::string& path,
                           const std::function<void(const std::vector<std::string>&)>& onUnlinked)
{
    ExportResult result;
    const OutputChoice output = ChooseOutput(path, OutputKind::Workbook, {});
    if (!output.allowed()) {
        result.error = OutputRefusalText(output.refusal, ControlCharactersShown(path));
        result.failure.kind = ExportFailure::Kind::Refused;
        result.failure.refusal = output.refusal;
        return result;
    }
    std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(output.format);
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
            result.error = Fill(Tr("the runs reach row {1}, below the last row of the sheet ({2})"),
                                {std::to_string(lowest), std::to_string(workbook->MaxRows())});
            result.failure.kind = ExportFailure::Kind::BeyondSheet;
            result.failure.row = lowest;
            result.failure.lastRow = workbook->MaxRows();
            return result;
        }
        ExportRuns(records, pendingRuns, startPoint, startHeight, toleranceCoefficient,
                   [&](const AdjustedRun& run) { layout.WriteRun(run); });
    } catch (const ExportError& error) {
        result.error = error.what();
        result.failure.kind = ExportFailure::Kind::UnreadableRun;
        result.failure.run = error.run;
        result.failure.cause = error.cause;
        return result;
    }
    result.unlinkedRuns = pendingRuns;
    if (!pendingRuns.empty() && onUnlinked)
        onUnlinked(pendingRuns);
    layout.Finish();
    result.saved = workbook->Save(path, result.error);
    if (!result.saved) {
        result.failure.kind = ExportFailure::Kind::NotSaved;
        result.failure.file = workbook->saveFailure();
    }
    return result;
}

}  // namespace

ExportResult ExportToWorkbook(const RecordList& records, std::vector<std::string> pendingRuns,
                              std::string_view startPoint, double startHeight,
                              double toleranceCoefficient, std::string_view sheetName,
                              const std::string& path,
                              const std::function<void(const std::vector<std::string>&)>& onUnlinked)
{
    try {
        return WriteWorkbook(records, std::move(pendingRuns), startPoint, startHeight,
                             toleranceCoefficient, sheetName, path, onUnlinked);
    } catch (const std::bad_alloc&) {
        // The cells built so far are freed by now, and the temporary file is gone: nothing of
        // the workbook remains, and the target is as it was.
        ExportResult result;
        result.failure.kind = ExportFailure::Kind::NotSaved;
        result.failure.file = {kOutOfMemory, path, {}};
        result.error = result.failure.file.Text();
        return result;
    }
}

}  // namespace velmora
