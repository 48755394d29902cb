// SPDX-License-Identifier: MIT
#include "state/OpenBook.h"

#include "export/Export.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/TextConversions.h"

#include <cmath>

namespace velmora {

OpenBook::OpenBook()
{
    ResetGrid();
}

const RunCatalog& OpenBook::Catalog()
{
    if (!catalog_)
        catalog_ = std::make_unique<RunCatalog>(records_, stretches_);
    else
        catalog_->Refresh(records_, stretches_, staleRuns_);
    staleRuns_.clear();
    return *catalog_;
}

bool OpenBook::LoadMeasurementFile(const std::string& path)
{
    return Load(path, false);
}

bool OpenBook::LoadRecords(const std::string& path)
{
    return Load(path, false, /*fillList=*/false);
}

bool OpenBook::Load(const std::string& path, bool knownUnchanged, bool fillList)
{
    openedBookLoaded_ = false;
    runList_.Clear();
    ResetGrid();
    LoadStarted(path);

    bool unchanged = knownUnchanged;
    bool read = true;
    if (knownUnchanged) {
        records_.DiscardEdits();  // as RereadMeasurementFile does for the same bytes
        lastLoadFailure_ = Failure{};
    } else {
        read = RereadMeasurementFile(path, records_, lastLoadFailure_, unchanged, stretches_);
    }
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
    lastLoadFailure_ = Failure{};
    if (fillList)
        runList_.Fill(stretches_, Catalog(), toleranceCoefficient());
    return true;
}

void OpenBook::Close()
{
    openedBookLoaded_ = false;
    runList_.Clear();
    ResetGrid();
    records_ = RecordList{};
    stretches_ = RunStretches{};
    catalog_.reset();
    staleRuns_.clear();
    editedRuns_.clear();
}

bool OpenBook::Open(const std::string& path)
{
    if (!LoadMeasurementFile(path))
        return false;  // the journal stays with the file opened before
    journal_.RecordOpen(path, toleranceClass_);
    openedSize_ = records_.text().size();
    openedDigest_ = std::hash<std::string_view>{}(records_.text());
    openedBookLoaded_ = records_.recordsAreTextLines();
    return true;
}

bool OpenBook::SaveMeasurementFile(const std::string& path, Failure& failure)
{
    return WriteMeasurementFile(path, records_, runList_.DeletedRunNumbers(stretches_), failure);
}

bool OpenBook::SaveMeasurementFile(const std::string& path, std::string& error)
{
    Failure failure;
    const bool saved = SaveMeasurementFile(path, failure);
    error = failure.Text();
    return saved;
}

std::vector<std::string> OpenBook::ExportStartPoints() const
{
    return ProposedStartPoints(GridPointColumn());
}

ExportPreparation OpenBook::PrepareExport(std::string startPoint, std::string_view heightText) const
{
    ExportPreparation preparation;
    preparation.request.startHeight = TextToNumber(heightText);
    if (!std::isfinite(preparation.request.startHeight)) {
        // Reported before the save dialog: there is nothing to compute with.
        preparation.failure.kind = ExportFailure::Kind::HeightNotANumber;
        return preparation;
    }
    ExportRequest& request = preparation.request;
    request.startPoint = std::move(startPoint);
    request.pendingRuns = runList_.SelectedRunNumbersInOrder();
    request.sheetName = SheetNameOf(request.pendingRuns);
    request.toleranceCoefficient = toleranceCoefficient();
    preparation.ready = true;
    return preparation;
}

OutputChoice OpenBook::ExportOutput(const std::string& path) const
{
    return ChooseOutput(path, OutputKind::Workbook, {journal_.filePath()});
}

ExportOutcome OpenBook::RunExport(const ExportRequest& request, const std::string& chosenPath)
{
    ExportOutcome outcome;
    if (chosenPath.empty())
        return outcome;
    const OutputChoice output = ExportOutput(chosenPath);
    if (!output.allowed()) {
        outcome.error = OutputRefusalText(output.refusal, ControlCharactersShown(chosenPath));
        outcome.failure.kind = ExportFailure::Kind::Refused;
        outcome.failure.refusal = output.refusal;
        outcome.notices.push_back(ExportNotice::WorkbookProblem);
        return outcome;
    }
    const ExportResult result = ExportToWorkbook(
        records_, request.pendingRuns, request.startPoint, request.startHeight,
        request.toleranceCoefficient, request.sheetName, chosenPath,
        [&](const std::vector<std::string>&) { outcome.notices.push_back(ExportNotice::NotAllRunsLinked); });
    outcome.saved = result.saved;
    outcome.error = result.error;
    outcome.unlinkedRuns = result.unlinkedRuns;
    outcome.failure = result.failure;
    if (!result.saved)
        outcome.notices.push_back(ExportNotice::WorkbookProblem);
    return outcome;
}

void OpenBook::SetSelection(const std::vector<bool>& selected)
{
    for (std::size_t i = 0; i < runList_.size() && i < selected.size(); ++i)
        runList_.SetSelected(i, selected[i]);
}

void OpenBook::ClickCheck()
{
    FillGridFromSelection();
    journal_.RecordListState(runList_);
}

void OpenBook::SelectAllRuns(bool selected)
{
    runList_.SelectAll(selected);
    ClickCheck();
}

void OpenBook::DeleteSelectedRuns()
{
    runList_.RemoveSelected();
    ClickCheck();
    // The delete command records the list once more itself: undoing a deletion takes two steps.
    journal_.RecordListState(runList_);
}

void OpenBook::ChooseClass(ToleranceClass toleranceClass)
{
    toleranceClass_ = toleranceClass;
    RefreshRunList();
    journal_.RecordClassChange(toleranceClass);
}

void OpenBook::RefreshRunList()
{
    runList_.Refresh(Catalog(), toleranceCoefficient());
    ClassSettled();
}

std::vector<std::string_view> OpenBook::GridPointColumn() const
{
    std::vector<std::string_view> points;
    points.reserve(static_cast<std::size_t>(grid_.dataRowCount()));
    for (int row = 1; row <= grid_.dataRowCount(); ++row)
        points.push_back(GridCell(row, 0));
    return points;
}

void OpenBook::ResetGrid()
{
    pendingEdit_.reset();  // its row is gone
    grid_.Reset();
}

void OpenBook::FillGrid(const RunNumberSet& runNumbers)
{
    pendingEdit_.reset();
    grid_.Fill(records_, stretches_, runNumbers);
}

void OpenBook::FillGridFromSelection()
{
    FillGrid(runList_.SelectedRunNumbers());
}

void OpenBook::OnSetEditText(int row, int column, std::string text)
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

void OpenBook::BeginCellEdit(int row)
{
    PendingEdit edit;
    edit.row = row;
    edit.typedCells = grid_.TypedRow(row);
    if (const std::size_t* record = grid_.RecordOfRow(row)) {
        edit.record = *record;
        const MeasurementRecord& shown = records_[*record];
        edit.fields = {std::string(shown.pointNumber()), std::string(shown.valueType()),
                       std::string(shown.reading()), std::string(shown.distance())};
    }
    edit.journal = journal_.MarkNow();
    pendingEdit_ = std::move(edit);
}

void OpenBook::CancelCellEdit()
{
    if (!pendingEdit_)
        return;
    PendingEdit edit = std::move(*pendingEdit_);
    pendingEdit_.reset();
    grid_.RestoreTypedRow(edit.row, std::move(edit.typedCells));
    if (edit.record && *edit.record < records_.size())
        StoreRow(*edit.record, edit.fields);
    journal_.Rewind(edit.journal);
}

void OpenBook::StoreRow(std::size_t record, const std::array<std::string, 4>& cells)
{
    records_[record].SetGridFields(cells[0], cells[1], cells[2], cells[3]);
    // The run's text catches up at the next recomputation.
    const std::string run(records_[record].runNumber());
    staleRuns_.insert(run);
    editedRuns_.insert(run);
}

void OpenBook::Back()
{
    if (journal_.StepBack() && !Restore())
        journal_.StepForward();  // nothing changed: the journal stays with the state shown
}

void OpenBook::Forward()
{
    if (journal_.StepForward() && !Restore())
        journal_.StepBack();
}

OpenBook::BookOnDisk OpenBook::OpenedBookOnDisk(Failure& failure) const
{
    const std::string& path = journal_.filePath();
    if (openedBookLoaded_) {
        switch (CompareFileWithText(path, records_.text(), failure)) {
        case FileComparison::Same: return BookOnDisk::Same;
        case FileComparison::Differs: return BookOnDisk::Changed;
        case FileComparison::Unreadable: return BookOnDisk::Unreadable;
        }
    }
    // An open of another file failed since, and took the records: the file is read to be
    // compared with the opened book's digest.
    RecordList read;
    if (!ReadMeasurementFile(path, read, failure))
        return BookOnDisk::Unreadable;
    const bool same = read.text().size() == openedSize_ &&
                      std::hash<std::string_view>{}(read.text()) == openedDigest_;
    return same ? BookOnDisk::Same : BookOnDisk::Changed;
}

bool OpenBook::Restore()
{
    // Only the opened book can take the journal's entries: a list state names its runs, a cell
    // edit its row, and another book's lines would not be theirs.
    Failure failure;
    const BookOnDisk found = OpenedBookOnDisk(failure);
    if (found != BookOnDisk::Same) {
        StepRefused(found, failure);
        return false;
    }

    toleranceClass_ = journal_.openClass();
    const JournalEntry* lastListState = nullptr;
    bool classChanged = false;

    // The file was just compared with the records (when they are the opened book's): it is
    // not read a second time.
    Load(journal_.filePath(), openedBookLoaded_);
    openedBookLoaded_ = records_.recordsAreTextLines();

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
            toleranceClass_ = entry.toleranceClass;
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
    ClassSettled();
    return true;
}

bool OpenBook::SaveLeavesOutEdits() const
{
    return EditsLeftOutOnSave(records_, runList_.DeletedRunNumbers(stretches_));
}

void OpenBook::ReplayListState(const JournalEntry& entry, ReplayMode mode)
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
        // The journal keeps list states as the texts shown; the run is read back out of them
        // here, where they come back, and from then on the entry carries it.
        std::string number(RunNumberOfEntry((*entry.itemTexts)[i]));
        std::string text = RunEntryText(runs, number, toleranceCoefficient());
        list.push_back({std::move(text), entry.itemSelected[i], std::move(number)});
    }
    runList_.Assign(std::move(list));
}

void OpenBook::ApplyCellEdit(const JournalEntry& entry, GridRowIndex& rows)
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
