// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RunNumberSet.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {

/// One recorded action. Every entry has all fields; each kind fills only its own.
struct JournalEntry {
    static constexpr std::int32_t kListState = -1;
    static constexpr std::int32_t kClassChange = -2;

    /// -1: list state; -2: class change; 1 or more: a cell edit of that grid row.
    std::int32_t kind = kListState;
    /// List state: the text of every entry, in list order, as shown. Entries with the same
    /// texts share one list: a long session of selection changes over a large list would
    /// otherwise hold millions of copies of the same texts.
    std::shared_ptr<const std::vector<std::string>> itemTexts;
    /// List state: whether each entry was selected.
    std::vector<bool> itemSelected;
    /// Cell edit: the row's four trimmed cells, in column order.
    std::array<std::string, 4> cells;
    /// Class change: the class chosen.
    ToleranceClass toleranceClass = kStartClass;

    bool isListState() const { return kind == kListState; }
    bool isClassChange() const { return kind == kClassChange; }
    bool isCellEdit() const { return kind >= 1; }
    std::size_t itemCount() const { return itemTexts ? itemTexts->size() : 0; }
};

/// The journal of the user's actions since the file was opened. It keeps no snapshots: a
/// state is rebuilt by reading the file again and applying the entries before `position`.
class ActionJournal {
public:
    // ---- Recording. Each append first discards the undone entries (the redo tail).

    /// A file was opened successfully: the journal belongs to it and starts empty.
    void RecordOpen(const std::string& path, ToleranceClass toleranceClass);
    void RecordListState(const RunList& list);
    void RecordClassChange(ToleranceClass toleranceClass);
    void RecordCellEdit(int row, const std::array<std::string, 4>& cells);

    /// Where the journal stands, with the undone entries an append would discard.
    struct Mark {
        std::size_t position = 0;
        std::vector<JournalEntry> undone;
    };
    /// The journal as it stands now, to come back to with Rewind.
    Mark MarkNow() const;
    /// Back to `mark`, as if the entries appended since had never been: they are dropped and
    /// the undone entries they discarded come back. Only appends may have happened since.
    void Rewind(const Mark& mark);

    // ---- Moving. Both return false, changing nothing, at either end.
    bool StepBack();
    bool StepForward();

    const std::vector<JournalEntry>& entries() const { return entries_; }
    /// How many entries, counted from the oldest, are in effect.
    std::size_t position() const { return position_; }
    const std::string& filePath() const { return filePath_; }
    /// The class in force when the file was opened.
    ToleranceClass openClass() const { return openClass_; }

private:
    void Append(JournalEntry entry);
    std::shared_ptr<const std::vector<std::string>> SharedTexts(std::vector<std::string> texts);

    std::vector<JournalEntry> entries_;
    std::size_t position_ = 0;
    std::string filePath_;
    ToleranceClass openClass_ = kStartClass;
    // Distinct text lists seen since the file was opened, by a hash of their content.
    std::unordered_multimap<std::size_t, std::shared_ptr<const std::vector<std::string>>> texts_;
};

}  // namespace velmora
