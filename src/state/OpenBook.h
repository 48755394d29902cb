// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Failure.h"
#include "fieldbook/RecordList.h"
#include "fieldbook/RunNumberSet.h"
#include "fieldbook/RunStretches.h"
#include "journal/ActionJournal.h"
#include "journal/GridRowIndex.h"
#include "runs/RunCatalog.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"
#include "state/ExportRequest.h"
#include "state/ObservationGrid.h"

#include <memory>
#include <string>

namespace velmora {

/// The field book the user has open, with what the user does to it: its records, the run list
/// with its selection, the observation grid, the tolerance class, and the journal of the
/// user's actions with Back and Forward. The command-line tool drives it directly; the window
/// drives it through `MainWindowState`, which adds the texts only the window shows.
class OpenBook {
public:
    OpenBook();
    virtual ~OpenBook() = default;
    OpenBook(const OpenBook&) = delete;
    OpenBook& operator=(const OpenBook&) = delete;

    // ---- What the window and the commands read.
    const RecordList& records() const { return records_; }
    /// The analysis of every run of the records as they stand now (edited runs are read again).
    const RunCatalog& Catalog();
    const RunList& runList() const { return runList_; }
    const ObservationGrid& grid() const { return grid_; }
    ToleranceClass toleranceClass() const { return toleranceClass_; }
    /// The coefficient of the class in force, metres per √km.
    double toleranceCoefficient() const { return CoefficientOf(toleranceClass_); }
    std::string_view GridCell(int row, int column) const { return grid_.Cell(records_, row, column); }
    /// The point-number cells of every data row of the grid, top to bottom.
    std::vector<std::string_view> GridPointColumn() const;

    const ActionJournal& journal() const { return journal_; }
    /// The runs whose readings differ from the file's because they were edited in the grid
    /// (edits replayed by Back and Forward included).
    const RunNumberSet& editedRuns() const { return editedRuns_; }

    // ---- Opening and saving.

    /// Reads the field book at `path` and starts the journal afresh for it. False when it
    /// cannot be read; the journal then stays with the book opened before.
    bool Open(const std::string& path);
    /// Empties the list, the grid and the records, then reads the file and fills the run list.
    /// False only when the file cannot be read; `lastLoadFailure()` then says why. A file that
    /// still holds the bytes loaded last is read and compared, not parsed again.
    bool LoadMeasurementFile(const std::string& path);
    /// Reads the file as LoadMeasurementFile does but leaves the run list empty: the runs are
    /// analysed only when Catalog() is asked for. For a command that reads the records alone.
    bool LoadRecords(const std::string& path);
    const Failure& lastLoadFailure() const { return lastLoadFailure_; }
    /// Lets go of the records, the run list, the grid and the analysis of the runs, as a
    /// command does that has read what it needs from a large book; the journal stays. Loading
    /// a file afterwards works as before.
    void Close();
    /// The last load's failure in words ("No such file or directory"); empty after a success.
    std::string lastLoadError() const { return lastLoadFailure_.Text(); }

    /// Writes every line of the book to `path` but those of the runs deleted from the list
    /// (WriteMeasurementFile). False with `failure` when the file cannot be written, or when
    /// every run was deleted and nothing would be written; nothing changes.
    virtual bool SaveMeasurementFile(const std::string& path, Failure& failure);
    /// The same, with the failure in words.
    bool SaveMeasurementFile(const std::string& path, std::string& error);

    // ---- The export.

    /// The start points the new-height dialog offers for the grid as it stands.
    std::vector<std::string> ExportStartPoints() const;
    /// After "В Excel" in the new-height dialog with its two texts: the selected runs, the
    /// sheet name, the start height read from `heightText` (no file name is proposed here).
    virtual ExportPreparation PrepareExport(std::string startPoint, std::string_view heightText) const;
    /// Whether `path` may take the export's workbook and in which format (`ChooseOutput`; the
    /// open book is the field book to guard).
    OutputChoice ExportOutput(const std::string& path) const;
    /// After the save dialog (`chosenPath` empty when it was cancelled): links, adjusts and
    /// writes the request's runs into the workbook `chosenPath`, unless `ChooseOutput` refuses
    /// it (the open book itself, or a name of no workbook).
    virtual ExportOutcome RunExport(const ExportRequest& request, const std::string& chosenPath);

    // ---- The run list.

    /// Sets the selection of every entry (the list's own selection after a click or a key)
    /// without further effect; ClickCheck follows.
    void SetSelection(const std::vector<bool>& selected);
    void SetSelected(std::size_t index, bool selected) { runList_.SetSelected(index, selected); }
    /// After a change of the selection by the user: the grid shows the selected runs, and the
    /// list state is recorded.
    void ClickCheck();
    /// "Показать всё" (true) and "Убрать всё" (false).
    void SelectAllRuns(bool selected);
    /// "Удалить" and the Delete key: removes the selected entries.
    void DeleteSelectedRuns();

    // ---- Tolerance classes.

    /// A class command of menu Settings.
    void ChooseClass(ToleranceClass toleranceClass);
    /// Recomputes every entry's text with the current coefficient, keeping the selection.
    void RefreshRunList();

    // ---- The grid.

    void ResetGrid();
    void FillGrid(const RunNumberSet& runNumbers);
    void FillGridFromSelection();
    /// The grid reports a changed cell: the cell holds `text`, and the row's four trimmed cells
    /// go into the row's record. A row without a record changes nothing and records nothing.
    void OnSetEditText(int row, int column, std::string text);
    /// An editor opens on a cell of `row`: the row's cells, its record and the journal as they
    /// stand now are kept for CancelCellEdit.
    void BeginCellEdit(int row);
    /// The editor was cancelled (Escape): the row's cells, its record and the journal go back
    /// to what they were at BeginCellEdit, as if nothing had been typed. Nothing happens
    /// without an edit begun.
    void CancelCellEdit();
    /// The editor closed with its text: the edit stays.
    void EndCellEdit() { pendingEdit_.reset(); }

    // ---- Back and Forward.

    /// One step back or forward in the journal, then the book rebuilt for the new position by
    /// reading the file again and applying the entries before it. At either end nothing
    /// happens, and the file is not read. When the file no longer holds the book that was
    /// opened (gone, unreadable, other bytes), nothing changes, the journal's position
    /// included, and StepRefused says why: a state rebuilt from another book would have its
    /// runs without their lines, and a save would lose them.
    void Back();
    void Forward();

    /// What a step found of the opened book on disk.
    enum class BookOnDisk { Same, Unreadable, Changed };

    /// True when a save would leave out readings edited in the grid: a line to be written has
    /// edits that its layout does not write into lines (a DiNi book's, saved as read).
    bool SaveLeavesOutEdits() const;

protected:
    /// A load of `path` begins (also for Back and Forward); the list and grid are empty.
    virtual void LoadStarted(const std::string& /*path*/) {}
    /// The run texts were recomputed, or a journal step set the coefficient.
    virtual void ClassSettled() {}
    /// Back or Forward changed nothing: the file no longer holds the opened book (`found`;
    /// `failure` says why it cannot be read).
    virtual void StepRefused(BookOnDisk /*found*/, const Failure& /*failure*/) {}

private:
    // LoadMeasurementFile; `knownUnchanged` when the file was just found to hold the records'
    // bytes, so that it is not read again.
    bool Load(const std::string& path, bool knownUnchanged, bool fillList = true);
    bool Restore();
    BookOnDisk OpenedBookOnDisk(Failure& failure) const;
    enum class ReplayMode { SelectionOnly, WholeList };
    void ReplayListState(const JournalEntry& entry, ReplayMode mode);
    void ApplyCellEdit(const JournalEntry& entry, GridRowIndex& rows);
    void StoreRow(std::size_t record, const std::array<std::string, 4>& cells);

    // What a cell edit began from, until its editor closes.
    struct PendingEdit {
        int row = 0;
        std::optional<std::array<std::string, ObservationGrid::kColumnCount>> typedCells;
        std::optional<std::size_t> record;
        std::array<std::string, 4> fields;
        ActionJournal::Mark journal;
    };
    std::optional<PendingEdit> pendingEdit_;

    RecordList records_;
    RunList runList_;
    ObservationGrid grid_;
    ToleranceClass toleranceClass_ = kStartClass;
    Failure lastLoadFailure_;
    ActionJournal journal_;
    // The book the journal belongs to, as opened: its size and a digest of its bytes, and
    // whether the records are still its lines (false once another load emptied them).
    std::size_t openedSize_ = 0;
    std::size_t openedDigest_ = 0;
    bool openedBookLoaded_ = false;

    // While a journal is replayed: the list state whose selection the grid rows follow, and
    // whether the rows still have to be worked out for it (only when a cell edit needs them).
    const JournalEntry* replaySelection_ = nullptr;
    bool rowsStale_ = false;

    // The stretches of the records, made when a file is parsed.
    RunStretches stretches_;
    // The analysis of all runs. Runs whose records were edited are read again when it is next
    // asked for (staleRuns_); editedRuns_ are those edited since the file was parsed, which a
    // reload that finds the file unchanged gives back their loaded readings.
    std::unique_ptr<RunCatalog> catalog_;
    RunNumberSet staleRuns_;
    RunNumberSet editedRuns_;
};

}  // namespace velmora
