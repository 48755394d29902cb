// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RunNumberSet.h"
#include "runs/RunCatalog.h"

#include <string>
#include <vector>

namespace velmora {


/// The run number of an entry text: what stands before its separator " //", trimmed (the
/// whole text, trimmed, when there is none).
std::string_view RunNumberOfEntry(std::string_view entry);

/// One entry of the run list: a run's text, whether the user has it selected, and the run it
/// stands for. The run number is the entry's key: everything that asks which run an entry is
/// reads it here, and the text is made from it.
struct RunListEntry {
    RunListEntry() = default;
    RunListEntry(std::string text, bool selected, std::string runNumber)
        : text(std::move(text)), selected(selected), runNumber(std::move(runNumber))
    {
    }
    /// An entry as the journal keeps list states, by their texts: the run number is read out of
    /// the text once, here.
    RunListEntry(std::string text, bool selected)
        : text(std::move(text)), selected(selected), runNumber(RunNumberOfEntry(this->text))
    {
    }

    std::string text;
    bool selected = false;
    std::string runNumber;  ///< trimmed, bytes as in the book

    bool operator==(const RunListEntry&) const = default;
};

/// True when the entry is drawn red: its text ends in a blank (a run above tolerance, or one
/// whose numbers cannot be read).
bool IsMarkedRed(std::string_view entryText);

/// The run list: the runs of the loaded file as entry texts, in file order, with their
/// selection. The texts are the only form in which runs exist between computations; a run's
/// number is always taken back out of its text.
class RunList {
public:
    const std::vector<RunListEntry>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    void Clear() { entries_.clear(); }

    /// Appends one unselected entry per run number, in order, each with its current text.
    void Fill(const std::vector<std::string>& runNumbers, const RunCatalog& runs,
              double toleranceCoefficient);
    /// The same with one entry per stretch, in file order (RunStretches::CollapsedRunNumbers
    /// without a list of them in between).
    void Fill(const RunStretches& stretches, const RunCatalog& runs, double toleranceCoefficient);

    /// Recomputes every entry's text from its run number with the given coefficient; the
    /// number, order and selection of the entries stay.
    void Refresh(const RunCatalog& runs, double toleranceCoefficient);

    /// Replaces the whole list.
    void Assign(std::vector<RunListEntry> entries) { entries_ = std::move(entries); }

    void SetSelected(std::size_t index, bool selected) { entries_.at(index).selected = selected; }
    void SelectAll(bool selected);

    /// Removes every selected entry; the others keep their order and selection.
    void RemoveSelected();

    /// The run numbers of every entry, selected or not.
    RunNumberSet ListedRunNumbers() const;

    /// The runs of the book (`stretches`, which the list was filled from) that had an entry
    /// and have none now: the runs deleted from the list, whose lines a save leaves out. A run
    /// that never had an entry (its lines all skipped) is not among them.
    RunNumberSet DeletedRunNumbers(const RunStretches& stretches) const;

    /// The run numbers of the selected entries.
    RunNumberSet SelectedRunNumbers() const;

    /// The run numbers of the selected entries, top to bottom, repeats kept.
    std::vector<std::string> SelectedRunNumbersInOrder() const;

private:
    std::vector<RunListEntry> entries_;
};

/// The marker of a closed run that uses a reading or distance that is not a number. It ends
/// in a blank, so the list draws it red like a run above tolerance.
inline constexpr std::string_view kUnreadableMark = " // ???? ";

/// The run-list text of a run: R followed by " // ****", " // ----", " // M", " // M " or
/// the unreadable mark, computed with the given coefficient. `runNumber` is trimmed first.
std::string RunEntryText(const RunCatalog& runs, std::string_view runNumber,
                         double toleranceCoefficient);


}  // namespace velmora
