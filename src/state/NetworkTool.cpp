// SPDX-License-Identifier: MIT
#include "state/NetworkTool.h"

#include "quality/LevellingLimits.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkOfBooks.h"
#include "network/NetworkOutput.h"
#include "network/NetworkSections.h"
#include "network/NetworkWarnings.h"
#include "network/NetworkWorkbookLayout.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"
#include "runs/ToleranceClass.h"
#include "state/OpenBook.h"
#include "state/WindowReasons.h"

#include <algorithm>

namespace velmora {

namespace {

// A number of the results as the command line writes it, with the decimal comma.
std::string Number(double value, int decimals)
{
    return ForPeople(FixedText(value, decimals));
}

}  // namespace

bool NetworkTool::Read(const OpenBook& book, const std::vector<std::string>& runNumbers,
                       const std::string& bookFileName, std::string& error)
{
    nodes_.clear();
    NetworkRefusal refusal;
    // The numbers come from the book's own list: one its runs do not hold has nothing to read.
    if (!ReadNetworkOfBooks({{&book.records(), NetworkBookName(bookFileName, true)}}, runNumbers,
                            network_, refusal) &&
        refusal.kind != NetworkRefusal::Kind::RunNotInBooks) {
        error = refusal.reason;
        return false;
    }
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

bool NetworkTool::ApplyFixedHeightsFile(const std::string& path, std::vector<NodeChoice>& rows,
                                        std::string& error) const
{
    std::vector<FixedHeight> read;
    FixedHeightsFailure failure;
    if (!ReadFixedHeightsFile(path, read, failure)) {
        error = FixedHeightsFailureText(failure, path);
        return false;
    }
    NetworkRefusal refusal;
    if (!CheckFixedPoints(network_, read, refusal)) {
        // TRANSLATORS: {1} is a file, {2} why it cannot be taken.
        error = Fill(Tr("{1}: {2}"), {path, refusal.reason});
        return false;
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

bool NetworkTool::Adjust(const std::vector<FixedHeight>& fixed, ToleranceClass toleranceClass,
                         NetworkAdjustment& result, std::string& error) const
{
    NetworkRefusal refusal;
    if (AdjustNetworkOfBooks(network_, fixed, SigmaOfClass(CoefficientOf(toleranceClass)), result, refusal,
                             LimitsOf(toleranceClass).maxSectionDifference))
        return true;
    error = refusal.reason;
    return false;
}

bool NetworkTool::Save(const NetworkAdjustment& result, const std::string& output,
                       const std::string& bookPath, const std::string& className,
                       std::string& error) const
{
    const std::optional<OutputFormat> format = ToolResultsFormat(output, bookPath, error);
    if (!format)
        return false;
    std::string reason;
    if (SaveNetworkResults(output, *format, network_, result, className, reason))
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

std::string NetworkTool::SigmaText(ToleranceClass toleranceClass)
{
    // TRANSLATORS: {1} is the class's σ in millimetres per kilometre, {2} the class's name.
    return Fill(Tr("σ per 1 km: {1} mm (class {2})"),
                {SigmaMillimetresText(SigmaOfClass(CoefficientOf(toleranceClass))), ClassName(toleranceClass)});
}

std::vector<CatalogueRow> NetworkTool::CatalogueRows(const NetworkAdjustment& result)
{
    std::vector<CatalogueRow> rows;
    for (const AdjustedPoint& point : result.points) {
        if (point.kind != PointKind::node)
            continue;
        rows.push_back({Cp1251ToUtf8(point.point), Number(point.height, kNetworkMetreDecimals),
                        Number(point.sigma, kNetworkMetreDecimals),
                        point.fixed ? TrIn("a fixed point", "yes") : ""});
    }
    return rows;
}

std::vector<SectionRow> NetworkTool::SectionRows(const NetworkAdjustment& result)
{
    std::vector<SectionRow> rows;
    for (const AdjustedSection& section : result.sections) {
        rows.push_back({{Cp1251ToUtf8(section.run), Cp1251ToUtf8(section.from),
                         Cp1251ToUtf8(section.to), std::to_string(section.observations.size()),
                         Number(section.heightDifference, kNetworkMetreDecimals),
                         Number(section.length, kNetworkLengthDecimals),
                         Number(section.residual, kNetworkMetreDecimals),
                         section.controlled ? Number(section.w, kNetworkWDecimals) : "—"},
                        section.outlier});
    }
    return rows;
}

std::string NetworkTool::SummaryText(const NetworkAdjustment& result)
{
    const GlobalTest& test = result.globalTest;
    // TRANSLATORS: {4} is "passed" or "not passed"; {5} to {7} are χ² and its allowed range.
    return Fill(Tr("σ₀ = {1} mm per 1 km (a priori {2} mm), degrees of freedom {3}. Global test {4}: "
                   "χ² = {5}, allowed from {6} to {7}."),
                {SigmaMillimetresText(result.sigma0), SigmaMillimetresText(result.sigma),
                 std::to_string(result.degreesOfFreedom),
                 test.passed ? TrIn("the global test", "passed") : TrIn("the global test", "not passed"),
                 ChiSquareText(test.statistic), ChiSquareText(test.lower), ChiSquareText(test.upper)});
}

}  // namespace velmora
