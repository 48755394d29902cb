// SPDX-License-Identifier: MIT
#include "state/NetworkTool.h"

#include "export/OutputPath.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkObservations.h"
#include "network/NetworkOutput.h"
#include "network/NetworkSections.h"
#include "network/NetworkWarnings.h"
#include "runs/Rounding.h"
#include "runs/Station.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <unordered_set>

namespace velmora {

namespace {

// A file name as the field book writes its texts, as `adjust` names a book: Windows-1251 where
// it can hold the name, the bytes as they are otherwise.
std::string BookText(const std::string& utf8)
{
    std::string converted = Utf8ToCp1251(utf8);
    return Cp1251ToUtf8(converted) == utf8 ? converted : utf8;
}

}  // namespace

bool NetworkTool::Read(const OpenBook& book, const std::vector<std::string>& runNumbers,
                       const std::string& bookFileName, std::string& error)
{
    network_ = {};
    network_.books = {BookText(bookFileName)};
    nodes_.clear();
    const std::unordered_set<std::string> wanted(runNumbers.begin(), runNumbers.end());
    const std::vector<RunStations> runs = WalkAllRuns(book.records());
    std::vector<const RunStations*> selected;
    for (const RunStations& run : runs) {
        if (wanted.count(run.runNumber))
            selected.push_back(&run);
    }
    if (!NetworkOfRuns(book.records(), selected, 0, network_, error))
        return false;
    const NetworkSections sections = FindSections(network_, {});
    for (const NetworkPlace& place : sections.places) {
        if (place.node)
            nodes_.push_back({*place.name, false, {}});
    }
    return true;
}

bool NetworkTool::TypedFixedHeights(const std::vector<NodeChoice>& rows,
                                    std::vector<FixedHeight>& fixed, std::string& error)
{
    for (const NodeChoice& row : rows) {
        if (!row.fixed)
            continue;
        FixedHeightsFailure failure;
        if (!AddFixedHeight({row.point, TextToNumber(TrimText(row.heightText))}, fixed, failure)) {
            error = FixedHeightsFailureText(failure, {});
            return false;
        }
    }
    return true;
}

bool NetworkTool::HasPoint(const std::string& point) const
{
    return std::any_of(network_.observations.begin(), network_.observations.end(),
                       [&](const LevellingObservation& o) { return o.from == point || o.to == point; });
}

bool NetworkTool::ApplyFixedHeightsFile(const std::string& path, std::vector<NodeChoice>& rows,
                                        std::string& error) const
{
    std::vector<FixedHeight> read;
    FixedHeightsFailure failure;
    if (!ReadFixedHeightsFile(path, read, failure)) {
        error = FixedHeightsFailureText(failure, path);
        return false;
    }
    for (const FixedHeight& known : read) {
        if (!HasPoint(known.point)) {
            error = Fill(Tr("{1}: point {2} is not in the runs"), {path, Cp1251ToUtf8(known.point)});
            return false;
        }
    }
    for (const FixedHeight& known : read) {
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&](const NodeChoice& choice) { return choice.point == known.point; });
        if (row == rows.end())
            row = rows.insert(rows.end(), {known.point, false, {}});
        row->fixed = true;
        row->heightText = ForPeople(ShortestText(known.height));
    }
    return true;
}

bool NetworkTool::Adjust(const std::vector<FixedHeight>& fixed, double toleranceCoefficient,
                         NetworkAdjustment& result, std::string& error) const
{
    if (fixed.empty()) {
        error = Tr("no point is fixed: a network is adjusted on at least one point of known height");
        return false;
    }
    return AdjustNetwork(network_, fixed, SigmaOfClass(toleranceCoefficient), result, error);
}

bool NetworkTool::Save(const NetworkAdjustment& result, const std::string& output,
                       const std::string& bookPath, const std::string& className,
                       std::string& error) const
{
    const OutputChoice choice = ChooseOutput(output, OutputKind::WorkbookOrCatalogue, {bookPath});
    if (choice.refusal == OutputRefusal::IsFieldBook) {
        error = Fill(Tr("{1} is the field book itself; the results are not written over it"), {output});
        return false;
    }
    if (!choice.allowed()) {
        error = OutputRefusalText(choice.refusal, output);
        return false;
    }
    std::string reason;
    if (SaveNetworkResults(output, choice.format, network_, result, className, reason))
        return true;
    error = Fill(Tr("cannot write {1}: {2}"), {output, reason});
    return false;
}

std::vector<std::string> NetworkTool::Warnings(const NetworkAdjustment& result) const
{
    std::vector<std::string> lines;
    for (const NetworkWarning& warning : result.warnings)
        lines.push_back(NetworkWarningText(network_, warning, Cp1251ToUtf8));
    if (!result.unreached.empty())
        lines.push_back(UnreachedText(result, Cp1251ToUtf8));
    return lines;
}

}  // namespace velmora
