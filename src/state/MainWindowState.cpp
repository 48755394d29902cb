// SPDX-License-Identifier: MIT
#include "state/MainWindowState.h"

#include "export/Export.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"

#include <cmath>

namespace velmora {

namespace messages {
const std::string kStartOpenFailed("Файл не открыт или не открылся."_cp1251);
const std::string kOpenFailed("Ошибка при открытии файла"_cp1251);
const std::string kErrorWord = "ERROR";
}  // namespace messages

MainWindowState::MainWindowState() : label2_(ClassLabelText(kStartClass))
{
    ResetGrid();
}

const RunCatalog& MainWindowState::Catalog()
{
    if (!catalog_)
        catalog_ = std::make_unique<RunCatalog>(records_, stretches_);
    else
        catalog_->Refresh(records_, staleRuns_);
    staleRuns_.clear();
    return *catalog_;
}

bool MainWindowState::LoadMeasurementFile(const std::string& path)
{
    runList_.Clear();
    ResetGrid();
    label1_.clear();
    status_ = {StatusText::Kind::Path, path};

    bool unchanged = false;
    const bool read = RereadMeasurementFile(path, records_, lastLoadError_, unchanged, stretches_);
    if (unchanged) {
        // The records lost their edits: their runs read the loaded values again.
        staleRuns_.merge(editedRuns_);
    } else {
        catalog_.reset();
        staleRuns_.clear();
    }
    editedRuns_.clear();
    if (!read)
        return false;
    lastLoadError_.clear();
    runList_.Fill(stretches_.CollapsedRunNumbers(), Catalog(), toleranceCoefficient_);
    return true;
}

bool MainWindowState::OpenAtStart(const std::string& path)
{
    return Open(path, messages::kStartOpenFailed);
}

bool MainWindowState::OpenChosenFile(const std::string& path)
{
    lastChosenFile_ = path;
    return Open(path, messages::kOpenFailed);
}

bool MainWindowState::Open(const std::string& path, const std::string& failureMessage)
{
    if (!LoadMeasurementFile(path)) {
        status_ = {StatusText::Kind::Message, failureMessage};
        label1_ = messages::kErrorWord;
        return false;  // the journal stays with the file opened before
    }
    journal_.RecordOpen(path, toleranceCoefficient_);
    return true;
}

bool MainWindowState::SaveMeasurementFile(const std::string& path, std::string& error)
{
    saveDialogFileName_ = path;
    return WriteMeasurementFile(path, records_, runList_.ListedRunNumbers(), error);
}

std::vector<std::string> MainWindowState::ExportStartPoints() const
{
    return ProposedStartPoints(GridPointColumn());
}

ExportPreparation MainWindowState::PrepareExport(std::string startPoint, std::string_view heightText) const
{
    ExportPreparation preparation;
    preparation.request.startHeight = TextToNumber(heightText);
    if (!std::isfinite(preparation.request.startHeight)) {
        // Reported before the save dialog: there is nothing to compute with.
        preparation.message = messages::kWorkbookProblem;
        return preparation;
    }
    ExportRequest& request = preparation.request;
    request.startPoint = std::move(startPoint);
    request.pendingRuns = runList_.SelectedRunNumbersInOrder();
    request.sheetName = SheetNameOf(request.pendingRuns);
    // Run numbers are Windows-1251 bytes; the proposed name is a file name of this system.
    std::vector<std::string> runsInFileNames;
    for (const std::string& run : request.pendingRuns)
        runsInFileNames.push_back(Cp1251ToUtf8(run));
    request.proposedFileName = BuildExportFileName(runsInFileNames, lastChosenFile_);
    request.toleranceCoefficient = toleranceCoefficient_;
    preparation.ready = true;
    return preparation;
}

ExportOutcome MainWindowState::RunExport(const ExportRequest& request, const std::string& chosenPath)
{
    saveDialogFileName_.clear();
    ExportOutcome outcome;
    if (chosenPath.empty())
        return outcome;
    // A workbook saved over the open field book would destroy the measurements it came from.
    if (!journal_.filePath().empty() && IsSameFile(chosenPath, journal_.filePath())) {
        outcome.error = "the workbook would replace the field book";
        outcome.messages.push_back(messages::kWorkbookProblem);
        return outcome;
    }
    const ExportResult result = ExportToWorkbook(
        records_, request.pendingRuns, request.startPoint, request.startHeight,
        request.toleranceCoefficient, request.sheetName, chosenPath,
        [&](const std::vector<std::string>&) { outcome.messages.push_back(messages::kNotAllRunsLinked); });
    outcome.saved = result.saved;
    outcome.error = result.error;
    if (!result.saved)
        outcome.messages.push_back(messages::kWorkbookProblem);
    return outcome;
}

void MainWindowState::SetSelection(const std::vector<bool>& selected)
{
    for (std::size_t i = 0; i < runList_.size() && i < selected.size(); ++i)
        runList_.SetSelected(i, selected[i]);
}

void MainWindowState::ClickCheck()
{
    FillGridFromSelection();
    journal_.RecordListState(runList_);
}

void MainWindowState::SelectAllRuns(bool selected)
{
    runList_.SelectAll(selected);
    ClickCheck();
}

void MainWindowState::DeleteSelectedRuns()
{
    runList_.RemoveSelected();
    ClickCheck();
    // The delete command records the list once more itself: undoing a deletion takes two steps.
    journal_.RecordListState(runList_);
}

void MainWindowState::ChooseClass(ToleranceClass toleranceClass)
{
    toleranceCoefficient_ = CoefficientOf(toleranceClass);
    RefreshRunList();
    journal_.RecordClassChange(toleranceCoefficient_);
}

void MainWindowState::RefreshRunList()
{
    runList_.Refresh(Catalog(), toleranceCoefficient_);
    ShowClassLabel();
}

void MainWindowState::ShowClassLabel()
{
    // A coefficient that is none of the four leaves the caption as it was.
    if (const auto toleranceClass = ClassOfCoefficient(toleranceCoefficient_))
        label2_ = ClassLabelText(*toleranceClass);
}

std::vector<std::string_view> MainWindowState::GridPointColumn() const
{
    std::vector<std::string_view> points;
    points.reserve(static_cast<std::size_t>(grid_.dataRowCount()));
    for (int row = 1; row <= grid_.dataRowCount(); ++row)
        points.push_back(GridCell(row, 0));
    return points;
}

void MainWindowState::ResetGrid()
{
    grid_.Reset();
}

void MainWindowState::FillGrid(const RunNumberSet& runNumbers)
{
    grid_.Fill(records_, stretches_, runNumbers);
}

void MainWindowState::FillGridFromSelection()
{
    FillGrid(runList_.SelectedRunNumbers());
}

void MainWindowState::OnSetEditText(int row, int column, std::string text)
{
    grid_.SetCell(records_, row, column, std::move(text));
    const std::size_t* record = grid_.RecordOfRow(row);
    if (!record)
        return;
    std::array<std::string, 4> cells = grid_.RowCells(records_, row);
    for (std::string& cell : cells)
        cell = std::string(TrimText(cell));
    StoreRow(*record, cells);
    journal_.RecordCellEdit(row, cells);
}

void MainWindowState::StoreRow(std::size_t record, const std::array<std::string, 4>& cells)
{
    records_[record].SetGridFields(cells[0], cells[1], cells[2], cells[3]);
    // The run's text catches up at the next recomputation.
    const std::string run(records_[record].runNumber());
    staleRuns_.insert(run);
    editedRuns_.insert(run);
}

void MainWindowState::Back()
{
    if (journal_.StepBack())
        Restore();
}

void MainWindowState::Forward()
{
    if (journal_.StepForward())
        Restore();
}

void MainWindowState::Restore()
{
    toleranceCoefficient_ = journal_.openCoefficient();
    const JournalEntry* lastListState = nullptr;
    bool classChanged = false;

    // A file that can no longer be read leaves no records: stored runs come back empty and
    // cell edits find no rows. No message, as for every other step.
    LoadMeasurementFile(journal_.filePath());

    replaySelection_ = nullptr;
    rowsStale_ = false;
    GridRowIndex rows(records_, stretches_);
    const auto& entries = journal_.entries();
    for (std::size_t i = 0; i < journal_.position(); ++i) {
        const JournalEntry& entry = entries[i];
        if (entry.isListState()) {
            lastListState = &entry;
            ReplayListState(entry, ReplayMode::SelectionOnly);
        } else if (entry.isClassChange()) {
            toleranceCoefficient_ = entry.coefficient;
            classChanged = true;
        } else if (entry.isCellEdit()) {
            ApplyCellEdit(entry, rows);
        }
    }
    replaySelection_ = nullptr;

    if (lastListState)
        ReplayListState(*lastListState, ReplayMode::WholeList);
    else if (classChanged)
        RefreshRunList();
    FillGridFromSelection();
    ShowClassLabel();
}

void MainWindowState::ReplayListState(const JournalEntry& entry, ReplayMode mode)
{
    if (mode == ReplayMode::SelectionOnly) {
        // The grid rows follow this selection from here on; they are worked out when a cell
        // edit asks for them.
        replaySelection_ = &entry;
        rowsStale_ = true;
        return;
    }
    std::vector<RunListEntry> list;
    list.reserve(entry.itemCount());
    const RunCatalog& runs = Catalog();
    for (std::size_t i = 0; i < entry.itemCount(); ++i) {
        const std::string_view number = RunNumberOfEntry((*entry.itemTexts)[i]);
        list.push_back({RunEntryText(runs, number, toleranceCoefficient_), entry.itemSelected[i]});
    }
    runList_.Assign(std::move(list));
}

void MainWindowState::ApplyCellEdit(const JournalEntry& entry, GridRowIndex& rows)
{
    if (rowsStale_) {
        rows.ClearSelection();
        if (replaySelection_) {
            for (std::size_t i = 0; i < replaySelection_->itemCount(); ++i) {
                if (replaySelection_->itemSelected[i])
                    rows.SelectRun(RunNumberOfEntry((*replaySelection_->itemTexts)[i]));
            }
        }
        rowsStale_ = false;
    }
    // Before any list state the grid had no rows: edits then found no record.
    if (!replaySelection_)
        return;
    if (const std::optional<std::size_t> record = rows.RecordOfRow(entry.kind))
        StoreRow(*record, entry.cells);
}

}  // namespace velmora
