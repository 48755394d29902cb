// SPDX-License-Identifier: MIT
#include "journal/ActionJournal.h"

#include <functional>

namespace velmora {

namespace {

std::size_t HashOf(const std::vector<std::string>& texts)
{
    std::size_t hash = texts.size();
    for (const std::string& text : texts)
        hash = hash * 1000003u ^ std::hash<std::string>{}(text);
    return hash;
}

}  // namespace

void ActionJournal::RecordOpen(const std::string& path, ToleranceClass toleranceClass)
{
    filePath_ = path;
    openClass_ = toleranceClass;
    entries_.clear();
    position_ = 0;
    texts_.clear();
}

void ActionJournal::Append(JournalEntry entry)
{
    entries_.resize(position_);
    entries_.push_back(std::move(entry));
    position_ = entries_.size();
}

std::shared_ptr<const std::vector<std::string>>
ActionJournal::SharedTexts(std::vector<std::string> texts)
{
    const std::size_t hash = HashOf(texts);
    const auto [first, last] = texts_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        if (*it->second == texts)
            return it->second;
    }
    auto shared = std::make_shared<const std::vector<std::string>>(std::move(texts));
    texts_.emplace(hash, shared);
    return shared;
}

void ActionJournal::RecordListState(const RunList& list)
{
    JournalEntry entry;
    entry.kind = JournalEntry::kListState;
    std::vector<std::string> texts;
    texts.reserve(list.size());
    entry.itemSelected.reserve(list.size());
    for (const RunListEntry& item : list.entries()) {
        texts.push_back(item.text);
        entry.itemSelected.push_back(item.selected);
    }
    entry.itemTexts = SharedTexts(std::move(texts));
    Append(std::move(entry));
}

void ActionJournal::RecordClassChange(ToleranceClass toleranceClass)
{
    JournalEntry entry;
    entry.kind = JournalEntry::kClassChange;
    entry.toleranceClass = toleranceClass;
    Append(std::move(entry));
}

void ActionJournal::RecordCellEdit(int row, const std::array<std::string, 4>& cells)
{
    JournalEntry entry;
    entry.kind = row;
    entry.cells = cells;
    Append(std::move(entry));
}

ActionJournal::Mark ActionJournal::MarkNow() const
{
    return {position_, {entries_.begin() + static_cast<std::ptrdiff_t>(position_), entries_.end()}};
}

void ActionJournal::Rewind(const Mark& mark)
{
    if (mark.position > entries_.size())
        return;
    entries_.resize(mark.position);
    entries_.insert(entries_.end(), mark.undone.begin(), mark.undone.end());
    position_ = mark.position;
}

bool ActionJournal::StepBack()
{
    if (position_ == 0)
        return false;
    --position_;
    return true;
}

bool ActionJournal::StepForward()
{
    if (position_ >= entries_.size())
        return false;
    ++position_;
    return true;
}

}  // namespace velmora
