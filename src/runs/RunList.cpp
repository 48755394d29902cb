// SPDX-License-Identifier: MIT
#include "runs/RunList.h"

#include "fieldbook/TextConversions.h"
#include "runs/Rounding.h"

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
        entries_.push_back({RunEntryText(runs, number, toleranceCoefficient), false, std::string(TrimText(number))});
}

void RunList::Fill(const RunStretches& stretches, const RunCatalog& runs, double toleranceCoefficient)
{
    entries_.reserve(entries_.size() + stretches.stretches().size());
    for (const RunStretches::Stretch& stretch : stretches.stretches()) {
        const std::string& number = stretches.runs()[stretch.run].number;
        entries_.push_back({RunEntryText(runs, number, toleranceCoefficient), false, number});
    }
}

void RunList::Refresh(const RunCatalog& runs, double toleranceCoefficient)
{
    for (RunListEntry& entry : entries_)
        entry.text = RunEntryText(runs, entry.runNumber, toleranceCoefficient);
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
        numbers.emplace(entry.runNumber);
    return numbers;
}

RunNumberSet RunList::DeletedRunNumbers(const RunStretches& stretches) const
{
    const RunNumberSet listed = ListedRunNumbers();
    RunNumberSet deleted;
    for (const RunStretches::Run& run : stretches.runs()) {
        if (run.kept > 0 && !listed.contains(run.number))
            deleted.insert(run.number);
    }
    return deleted;
}

RunNumberSet RunList::SelectedRunNumbers() const
{
    RunNumberSet numbers;
    for (const RunListEntry& entry : entries_) {
        if (entry.selected)
            numbers.emplace(entry.runNumber);
    }
    return numbers;
}

std::vector<std::string> RunList::SelectedRunNumbersInOrder() const
{
    std::vector<std::string> numbers;
    for (const RunListEntry& entry : entries_) {
        if (entry.selected)
            numbers.emplace_back(entry.runNumber);
    }
    return numbers;
}

std::string RunEntryText(const RunCatalog& runs, std::string_view runNumber,
                         double toleranceCoefficient)
{
    const std::string_view number = TrimText(runNumber);
    const LevellingRun& run = runs.Find(number);
    std::string text(number);
    switch (run.Status(toleranceCoefficient)) {
    case RunStatus::Empty: return text + " // ****";
    case RunStatus::Open: return text + " // ----";
    case RunStatus::Unreadable: return text.append(kUnreadableMark);
    case RunStatus::WithinTolerance: return text + " // " + NumberText(RoundTo4(run.heightSum));
    case RunStatus::AboveTolerance:
        return text + " // " + NumberText(RoundTo4(run.heightSum)) + " ";
    }
    return text;
}

std::string_view RunNumberOfEntry(std::string_view entry)
{
    // The part after the separator (a mark or a number) never holds " //", so the last one is
    // the separator even for a run number that itself contains " //".
    const auto separator = entry.rfind(" //");
    return TrimText(separator == std::string_view::npos ? entry : entry.substr(0, separator));
}

}  // namespace velmora
