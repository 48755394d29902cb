// SPDX-License-Identifier: MIT
#include "runs/RunList.h"

#include <algorithm>

namespace velmora {

bool IsMarkedRed(std::string_view entryText)
{
    return !entryText.empty() && entryText.back() == ' ';
}

void RunList::Fill(const std::vector<std::string>& runNumbers, const RunCatalog& runs,
                   double toleranceCoefficient)
{
    entries_.reserve(entries_.size() + runNumbers.size());
    for (const std::string& number : runNumbers)
        entries_.push_back({RunEntryText(runs, number, toleranceCoefficient), false});
}

void RunList::Refresh(const RunCatalog& runs, double toleranceCoefficient)
{
    for (RunListEntry& entry : entries_)
        entry.text = RunEntryText(runs, RunNumberOfEntry(entry.text), toleranceCoefficient);
}

void RunList::SelectAll(bool selected)
{
    for (RunListEntry& entry : entries_)
        entry.selected = selected;
}

void RunList::RemoveSelected()
{
    std::erase_if(entries_, [](const RunListEntry& entry) { return entry.selected; });
}

RunNumberSet RunList::ListedRunNumbers() const
{
    RunNumberSet numbers;
    for (const RunListEntry& entry : entries_)
        numbers.emplace(RunNumberOfEntry(entry.text));
    return numbers;
}

RunNumberSet RunList::SelectedRunNumbers() const
{
    RunNumberSet numbers;
    for (const RunListEntry& entry : entries_) {
        if (entry.selected)
            numbers.emplace(RunNumberOfEntry(entry.text));
    }
    return numbers;
}

std::vector<std::string> RunList::SelectedRunNumbersInOrder() const
{
    std::vector<std::string> numbers;
    for (const RunListEntry& entry : entries_) {
        if (entry.selected)
            numbers.emplace_back(RunNumberOfEntry(entry.text));
    }
    return numbers;
}

}  // namespace velmora
