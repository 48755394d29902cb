// SPDX-License-Identifier: MIT
#include "state/StationCheck.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/Translation.h"
#include "quality/BookSights.h"
#include "quality/FindingGroups.h"
#include "quality/QualityText.h"
#include "report/ReportPage.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace {

constexpr const char* kNone = "\u2014";

std::string Metres(const std::string& figure)
{
    return Fill(Tr("{1} m"), {figure});
}

}  // namespace

StationCheck::StationCheck(OpenBook& book, const std::vector<std::string>& runNumbers)
{
    const ToleranceClass toleranceClass = book.toleranceClass();
    className_ = ClassName(toleranceClass);
    toleranceCoefficient_ = book.toleranceCoefficient();
    limits_ = LimitsOf(toleranceClass);
    check_ = CheckBookRuns(book.records(), limits_, runNumbers);
    for (const LevellingRun& run : check_.listRuns)
        closures_.push_back({run.Status(toleranceCoefficient_), run.AllowedMisclosure(toleranceCoefficient_)});
}

std::string StationCheck::LimitsText() const
{
    const LevellingLimits& l = limits_;
    // TRANSLATORS: {1} is the class's name, {2} to {5} limits in metres.
    return Fill(Tr("Class {1}. Limits: sight {2} m, station imbalance {3} m, "
                   "cumulative imbalance {4} m, double-reading difference {5} m."),
                {className_, ForPeople(FixedText(l.maxSight, 3)), ForPeople(FixedText(l.maxStationImbalance, 3)),
                 ForPeople(FixedText(l.maxCumulativeImbalance, 3)),
                 ForPeople(FixedText(l.maxDoubleReadingDifference, 5))});
}

bool StationCheck::HasFindings() const
{
    return check_.HasFindings();
}

std::vector<StationCheck::Row> StationCheck::Rows() const
{
    std::vector<Row> rows;
    for (std::size_t i = 0; i < check_.runs.size(); ++i)
        rows.push_back(RowOf(i));
    return rows;
}

StationCheck::Row StationCheck::RowOf(std::size_t index) const
{
    const RunSights& run = check_.runs[index];
    const RunQuality& quality = check_.qualities[index];
    const Closure& closure = closures_[index];
    Row row;
    row.run = Cp1251ToUtf8(run.runNumber);
    row.method = run.method.empty() ? kNone : run.method;
    for (const FindingGroup& group : GroupFindings(quality.findings))
        row.findings.push_back(FindingGroupText(group));
    if (!run.unreadable.empty()) {
        row.stations = row.length = row.allowed = kNone;
        row.misclosure = Tr("cannot be read");
        row.beyondTolerance = true;
        row.instrument = kNone;
        row.findings.insert(row.findings.begin(),
                            Fill(Tr("the run cannot be read: {1}"), {run.unreadable.TextForPeople()}));
        return row;
    }
    row.stations = std::to_string(run.stations.size());
    row.length = ForPeople(FixedText(run.distanceSum, kLengthDecimals));
    row.allowed = kNone;
    switch (closure.status) {
    case RunStatus::Empty:
        row.misclosure = kNone;
        break;
    case RunStatus::Open:
        row.misclosure = Tr("open run");
        break;
    case RunStatus::WithinTolerance:
    case RunStatus::AboveTolerance:
        row.misclosure = MisclosureMillimetresText(run.heightSum);
        row.allowed = MisclosureMillimetresText(closure.allowed);
        row.beyondTolerance = closure.status == RunStatus::AboveTolerance;
        break;
    case RunStatus::Unreadable:
        row.misclosure = Tr("cannot be read");
        row.beyondTolerance = true;
        break;
    }
    if (!run.instrument || (!run.instrument->heightSum && !run.instrument->length)) {
        row.instrument = Tr("none in the field book");
        return row;
    }
    std::string figures;
    if (run.instrument->heightSum)
        figures = "Sh " + Metres(InstrumentHeightText(*run.instrument->heightSum));
    if (run.instrument->length)
        figures += (figures.empty() ? "" : ", ") + std::string("Db+Df ") +
                   Metres(InstrumentLengthText(*run.instrument->length));
    const bool agrees = run.instrument->Agrees(run.heightSum, run.distanceSum);
    row.instrumentDisagrees = !agrees;
    row.instrument = Fill(agrees ? Tr("{1}: ours agree") : Tr("{1}: ours disagree"), {figures});
    return row;
}

std::vector<StationCheck::SectionRow> StationCheck::SectionRows() const
{
    std::vector<SectionRow> rows;
    for (const SectionCheck& check : check_.sections) {
        const SectionLevellings& section = check.section;
        for (std::size_t k = 0; k < section.pairs.size(); ++k) {
            const SectionLevelling& a = section.levellings[section.pairs[k].first];
            const SectionLevelling& b = section.levellings[section.pairs[k].second];
            SectionRow row;
            row.above = check.verdicts[k].above;
            row.cells = {Cp1251ToUtf8(section.from) + "\u2013" + Cp1251ToUtf8(section.to),
                         Cp1251ToUtf8(a.run) + ", " + Cp1251ToUtf8(b.run),
                         ForPeople(FixedText(a.heightDifference, kHeightDecimals)),
                         ForPeople(FixedText(b.heightDifference, kHeightDecimals)),
                         SectionPairDirections(check, k),
                         MisclosureMillimetresText(section.pairs[k].discrepancy),
                         MisclosureMillimetresText(check.verdicts[k].limit),
                         SectionPairVerdictText(check, k)};
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::vector<std::string> StationCheck::SectionHeadings()
{
    std::vector<std::string> headings;
    for (const char* heading : kSectionPairHeadings)
        headings.emplace_back(Tr(heading));
    return headings;
}

std::string StationCheck::ReportPage(std::string_view bookFileName) const
{
    ReportContents contents;
    contents.books.push_back(
        {std::string(bookFileName), check_.times.first, check_.times.last, check_.qualities});
    contents.sections = check_.sections;
    contents.className = className_;
    contents.toleranceCoefficient = toleranceCoefficient_;
    contents.limits = limits_;
    return velmora::ReportPage(contents);
}

std::string ProposedReportName(const std::string& bookPath)
{
    std::filesystem::path path(bookPath);
    path.replace_extension(".html");
    return path.string();
}

bool SaveReportPage(const std::string& page, const std::string& output, const std::string& bookPath,
                    std::string& error)
{
    const OutputChoice choice = ChooseOutput(output, OutputKind::Report, {bookPath});
    if (!choice.allowed()) {
        error = Fill(Tr("{1} is the field book itself; the report is not written over it"), {output});
        return false;
    }
    AtomicFile file(output);
    std::string reason;
    if (file.Open(reason) && file.Write(page, reason) && file.Commit(reason))
        return true;
    error = Fill(Tr("cannot write {1}: {2}"), {output, reason});
    return false;
}

}  // namespace velmora
