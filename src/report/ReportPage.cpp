// SPDX-License-Identifier: MIT
#include "report/ReportPage.h"

#include "fieldbook/Translation.h"
#include "quality/FindingGroups.h"
#include "quality/QualityText.h"
#include "report/ReportHtml.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"
#include "runs/ToleranceClass.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

using namespace report;

namespace {

// Decimals on the page: lengths to the centimetre as the books write distances, readings and
// their sums to 0.01 mm, run lengths to the metre; misclosures and the instrument's figures as
// runs/FigureWords.h states them.
constexpr int kDistanceDecimals = 2;
constexpr int kReadingDecimals = kHeightDecimals;
constexpr int kRunLengthDecimals = 3;

// The page as it is made: what has been written goes to the sink once it has grown to a
// piece's size.
class PageOut {
public:
    explicit PageOut(const PageSink& sink) : sink_(sink) {}

    std::string& html() { return html_; }
    /// Hands the text made so far over once it has grown to a piece's size.
    void Piece()
    {
        if (html_.size() >= kPieceBytes)
            Flush();
    }
    /// Hands the rest over; false when a piece was refused.
    bool Finish()
    {
        Flush();
        return written_;
    }

private:
    static constexpr std::size_t kPieceBytes = 1 << 16;

    void Flush()
    {
        if (written_ && !html_.empty())
            written_ = sink_(html_);
        html_.clear();
    }

    const PageSink& sink_;
    std::string html_;
    bool written_ = true;
};

// A run's label for people: its number, with its book's name where there are several books.
std::string RunName(const ReportContents& contents, const ReportBook& book, const RunSights& run)
{
    if (contents.books.size() < 2)
        return BookText(run.runNumber);
    return Escaped(book.name) + ": " + BookText(run.runNumber);
}

std::string Header(const ReportContents& contents)
{
    std::string html = "<h1>" + Escaped(Tr("Levelling report")) + "</h1>\n<table class=\"head\">\n";
    for (const ReportBook& book : contents.books) {
        const std::string times =
            book.firstTime.empty()
                ? Tr("the book records no times")
                : Fill(Tr("times recorded {1} to {2}"), {book.firstTime, book.lastTime});
        html += "<tr>" + HeaderCell(Escaped(Tr("Field book"))) +
                Cell(Escaped(book.name) + " (" + Escaped(times) + ")") + "</tr>\n";
    }
    const LevellingLimits& limits = contents.limits;
    html += "<tr>" + HeaderCell(Escaped(Tr("Class"))) + Cell(Escaped(contents.className)) + "</tr>\n";
    std::string allowed = Fill(
        Tr("sight up to {1}, station imbalance up to {2}, cumulative imbalance up to {3}, two "
           "readings of one sight differ by up to {4}"),
        {Metres(limits.maxSight, 0), Metres(limits.maxStationImbalance, 1),
         Metres(limits.maxCumulativeImbalance, 1),
         Millimetres(limits.maxDoubleReadingDifference, 1)});
    if (limits.doubleReadingsRequired)
        allowed += Tr(", every sight read twice");
    allowed += "; " + Fill(Tr("misclosure fh allowed {1} \u00d7 \u221aL, L in km"),
                           {Millimetres(contents.toleranceCoefficient, 0)});
    html += "<tr>" + HeaderCell(Escaped(Tr("Limits"))) + Cell(Escaped(allowed)) + "</tr>\n";
    const std::string source =
        contents.limitsOfClass
            ? Fill(Tr("{1}, the limits of its class; no clause of it could be traced for these "
                      "figures"),
                   {kLimitsDocument})
            : Fill(Tr("{1} for the class, with limits set on the command line"), {kLimitsDocument});
    html += "<tr>" + HeaderCell(Escaped(Tr("Source"))) + Cell(Escaped(source)) + "</tr>\n";
    if (contents.rodScale.Corrects())
        html += "<tr>" + HeaderCell(Escaped(Tr("Rods"))) + Cell(Escaped(RodScaleText(contents.rodScale))) + "</tr>\n";
    return html + "</table>\n";
}

// The page check: the sums of the readings give the sum of height differences, at the
// decimals the readings are written with.
bool PageCheckHolds(double back, double fore, double heightSum)
{
    return FixedText(back - fore, kReadingDecimals) == FixedText(heightSum, kReadingDecimals);
}

std::string InstrumentCell(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    if (!run.instrument || (!run.instrument->heightSum && !run.instrument->length))
        return Escaped(Tr("none in the book"));
    std::string html;
    if (run.instrument->heightSum)
        html += "Sh " + Metres(*run.instrument->heightSum, kInstrumentHeightDecimals);
    if (run.instrument->length)
        html += (html.empty() ? "" : "<br>") + std::string("Db+Df ") +
                Metres(*run.instrument->length, kInstrumentLengthDecimals);
    const bool agrees = run.instrument->Agrees(run.heightSum, run.distanceSum);
    return html + "<br>" + Escaped(agrees ? Tr("agree") : Tr("disagree"));
}

// The verdict on a run: its misclosure against the allowed one, and its findings.
std::string Verdict(const RunQuality& quality, double allowed)
{
    const RunSights& run = *quality.run;
    if (!run.unreadable.empty())
        return "<span class=\"bad\">" + Escaped(Tr("cannot be read")) + "</span>";
    std::string text;
    if (run.closed && BeyondTolerance(run.heightSum, allowed))
        text = "<span class=\"bad\">" + Escaped(Tr("fh beyond the allowed")) + "</span>";
    else if (run.closed)
        text = Escaped(Tr("fh within the allowed"));
    else
        text = Escaped(Tr("open run, no fh"));
    if (!quality.findings.empty())
        text += "<br><span class=\"bad\">" +
                Escaped(Fill(TrPlural("{1} finding", "{1} findings", quality.findings.size()),
                             {std::to_string(quality.findings.size())})) +
                "</span>";
    return text;
}

std::string RunRow(const ReportContents& contents, const ReportBook& book,
                   const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    const double allowed = AllowedMisclosure(contents.toleranceCoefficient, run.distanceSum);
    std::string html = "<tr>" + Cell(RunName(contents, book, run)) +
                       Cell(run.method.empty() ? "\u2014" : Escaped(run.method));
    if (!run.unreadable.empty())
        return html + "<td colspan=\"9\">" + Escaped(run.unreadable.TextForPeople()) + "</td>" +
               Cell(Verdict(quality, allowed)) + "</tr>\n";
    double back = 0;
    double fore = 0;
    for (const StationSights& station : run.stations) {
        back += station.back;
        fore += station.fore;
    }
    html += Cell(std::to_string(run.stations.size()), true);
    html += Cell(Number(run.distanceSum / 1000, kRunLengthDecimals), true);
    html += Cell(Number(back, kReadingDecimals), true) + Cell(Number(fore, kReadingDecimals), true);
    html += Cell(Number(run.heightSum, kReadingDecimals), true);
    html += PageCheckHolds(back, fore, run.heightSum)
                ? Cell(Escaped(Tr("holds")))
                : Cell("<span class=\"bad\">" + Escaped(Tr("fails")) + "</span>");
    const bool beyond = run.closed && BeyondTolerance(run.heightSum, allowed);
    const std::string misclosure =
        Number(MisclosureMillimetres(run.heightSum), kMisclosureMillimetreDecimals);
    html += run.closed ? Cell((beyond ? "<span class=\"bad\">" : "<span>") + misclosure + "</span>", true)
                       : Cell("\u2014", true);
    html += Cell(Number(MisclosureMillimetres(allowed), kMisclosureMillimetreDecimals), true);
    html += Cell(InstrumentCell(quality));
    return html + Cell(Verdict(quality, allowed)) + "</tr>\n";
}

void RunsTable(const ReportContents& contents, PageOut& out)
{
    std::string& html = out.html();
    html += "<h2>" + Escaped(Tr("Runs")) + "</h2>\n<table class=\"runs\">\n<tr>";
    for (const char* heading :
         {N_("Run"), N_("Method"), N_("Stations"), N_("L, km"), N_("\u03a3 back, m"),
          N_("\u03a3 fore, m"), N_("\u03a3h, m"), N_("\u03a3 back \u2212 \u03a3 fore = \u03a3h"),
          N_("fh, mm"), N_("fh allowed, mm"), N_("Instrument"), N_("Verdict")})
        html += HeaderCell(Escaped(Tr(heading)));
    html += "</tr>\n";
    for (const ReportBook& book : contents.books) {
        for (const RunQuality& quality : book.runs) {
            html += RunRow(contents, book, quality);
            out.Piece();
        }
    }
    html += "</table>\n";
}

void FindingsSection(const ReportContents& contents, PageOut& out)
{
    std::string& html = out.html();
    html += "<h2>" + Escaped(Tr("Findings")) + "</h2>\n";
    bool any = false;
    for (const ReportBook& book : contents.books) {
        for (const RunQuality& quality : book.runs) {
            if (quality.findings.empty())
                continue;
            any = true;
            html += "<p class=\"run\">" +
                    Fill(Escaped(Tr("Run {1}")), {RunName(contents, book, *quality.run)}) +
                    "</p>\n<ul class=\"findings\">\n";
            for (const FindingGroup& group : GroupFindings(quality.findings))
                html += "<li>" + Escaped(FindingGroupText(group)) + "</li>\n";
            html += "</ul>\n";
            out.Piece();
        }
    }
    if (!any)
        html += "<p class=\"clean\">" + Escaped(Tr("No run breaks a limit.")) + "</p>\n";
}

// A station's row, appended to the page: it is written for every station of every run.
void AppendStationRow(std::string& html, std::size_t number, const StationSights& station, double cumulative)
{
    html += "<tr>";
    AppendCell(html, std::to_string(number), true);
    html += "<td>";
    AppendBookText(html, station.backPoint);
    html += "</td><td>";
    AppendBookText(html, station.forePoint);
    html += "</td>";
    const std::pair<double, int> numbers[] = {
        {station.backDistance, kDistanceDecimals}, {station.foreDistance, kDistanceDecimals},
        {station.back, kReadingDecimals},          {station.fore, kReadingDecimals},
        {station.heightDifference, kReadingDecimals},
        {station.backDistance - station.foreDistance, kDistanceDecimals},
        {cumulative, kDistanceDecimals}};
    for (const auto& [value, decimals] : numbers)
        AppendNumberCell(html, value, decimals);
    html += "</tr>\n";
}

void StationTable(const ReportContents& contents, const ReportBook& book, const RunSights& run,
                  PageOut& out)
{
    std::string& html = out.html();
    html +=
        "<details>\n<summary>" +
        Fill(Escaped(TrPlural("Run {1}: {2} station", "Run {1}: {2} stations", run.stations.size())),
             {RunName(contents, book, run), std::to_string(run.stations.size())}) +
        "</summary>\n<table class=\"stations\">\n<tr>";
    for (const char* heading :
         {N_("No."), N_("Back point"), N_("Fore point"), N_("Back sight, m"), N_("Fore sight, m"),
          N_("Back reading, m"), N_("Fore reading, m"), N_("h, m"), N_("Imbalance, m"),
          N_("Cumulative imbalance, m")})
        html += HeaderCell(Escaped(Tr(heading)));
    html += "</tr>\n";
    double cumulative = 0;
    for (std::size_t i = 0; i < run.stations.size(); ++i) {
        const StationSights& station = run.stations[i];
        cumulative += station.backDistance - station.foreDistance;
        AppendStationRow(html, i + 1, station, cumulative);
        out.Piece();
    }
    html += "</table>\n</details>\n";
}

// Whether the run has a station table and a profile: it was read and has stations.
bool HasStations(const RunSights& run)
{
    return run.unreadable.empty() && !run.stations.empty();
}

// Every run's station table, then every run's profile.
void StationsAndProfiles(const ReportContents& contents, PageOut& out)
{
    std::string& html = out.html();
    html += "<h2>" + Escaped(Tr("Stations")) + "</h2>\n";
    for (const ReportBook& book : contents.books) {
        for (const RunQuality& quality : book.runs) {
            if (HasStations(*quality.run))
                StationTable(contents, book, *quality.run, out);
        }
    }
    html += "<h2>" + Escaped(Tr("Profiles")) + "</h2>\n";
    for (const ReportBook& book : contents.books) {
        for (const RunQuality& quality : book.runs) {
            const RunSights& run = *quality.run;
            if (!HasStations(run))
                continue;
            html += "<figure>\n";
            AppendProfileSvg(html, quality, contents.limits);
            html += "<figcaption>" +
                        Fill(Escaped(Tr("Run {1}: heights of the points from its first point at "
                                        "0; beneath, the back and fore sight of each station, "
                                        "red where longer than {2} (dashed line).")),
                             {RunName(contents, book, run), Metres(contents.limits.maxSight, 0)}) +
                        "</figcaption>\n</figure>\n";
            out.Piece();
        }
    }
}

// The rules of this page after the ones every page shares (kPageStyle).
constexpr const char* kStyle = R"(table.runs, table.stations, table.sections, table.heights, table.pairs { font-size: 7.5pt; }
tr { break-inside: avoid; }
td.n { text-align: right; white-space: nowrap; }
.bad, ul.findings li, ul.warnings li { color: #c00000; }
p.clean { color: #006000; }
p.run { margin: 2mm 0 0; font-weight: bold; }
ul.findings, ul.warnings { margin: 0 0 2mm; }
summary { cursor: pointer; margin: 1mm 0; }
figure { margin: 0 0 5mm; break-inside: avoid; }
figcaption { font-size: 8pt; color: #444; }
svg { width: 100%; height: auto; display: block; }
svg text { font-size: 11px; fill: #333; }
svg .axis { stroke: #666; stroke-width: 1; }
svg .limit { stroke: #c00000; stroke-width: 1; stroke-dasharray: 4 3; }
svg .profile { fill: none; stroke: #1f4e9a; stroke-width: 2; }
svg .point { fill: #1f4e9a; }
svg .bar { fill: #8fb3e0; }
svg .bar.broken { fill: #c00000; }
@media print {
  details::details-content { content-visibility: visible; display: block; }
  summary { list-style: none; font-weight: bold; }
}
</style>
)";

// A run of a section's levelling by its name, as the other tables name runs.
std::string LevellingRunName(const ReportContents& contents, const SectionLevelling& levelling)
{
    if (contents.books.size() < 2 || levelling.book >= contents.books.size())
        return BookText(levelling.run);
    return Escaped(contents.books[levelling.book].name) + ": " + BookText(levelling.run);
}

// Each pair of levellings of a section that the books' runs level twice, against its limit;
// nothing when there is none.
void SectionsTable(const ReportContents& contents, PageOut& out)
{
    const bool anyPair = std::any_of(contents.sections.begin(), contents.sections.end(),
                                     [](const SectionCheck& check) { return !check.section.pairs.empty(); });
    if (!anyPair)
        return;
    std::string& rows = out.html();
    rows += "<h2>" + Escaped(Tr("Sections levelled twice")) + "</h2>\n<table class=\"pairs\">\n<tr>";
    for (const char* heading : kSectionPairHeadings)
        rows += HeaderCell(Escaped(Tr(heading)));
    rows += "</tr>\n";
    for (const SectionCheck& check : contents.sections) {
        for (std::size_t k = 0; k < check.section.pairs.size(); ++k) {
            const SectionPair& pair = check.section.pairs[k];
            const SectionLevelling& a = check.section.levellings[pair.first];
            const SectionLevelling& b = check.section.levellings[pair.second];
            const bool above = check.verdicts[k].above;
            rows += std::string(above ? "<tr class=\"bad\">" : "<tr>") +
                    Cell(BookText(check.section.from) + "\u2013" + BookText(check.section.to)) +
                    Cell(LevellingRunName(contents, a) + ", " + LevellingRunName(contents, b)) +
                    Cell(Number(a.heightDifference, kReadingDecimals), true) +
                    Cell(Number(b.heightDifference, kReadingDecimals), true) +
                    Cell(Escaped(SectionPairDirections(check, k))) +
                    Cell(Number(MisclosureMillimetres(pair.discrepancy), kMisclosureMillimetreDecimals), true) +
                    Cell(Number(MisclosureMillimetres(check.verdicts[k].limit), kMisclosureMillimetreDecimals), true) +
                    Cell(Escaped(SectionPairVerdictText(check, k))) + "</tr>\n";
            out.Piece();
        }
    }
    rows += "</table>\n";
}

}  // namespace

std::string ReportPage(const ReportContents& contents)
{
    std::string page;
    WriteReportPage(contents, [&](std::string_view piece) {
        page += piece;
        return true;
    });
    return page;
}

bool WriteReportPage(const ReportContents& contents, const PageSink& sink)
{
    // The same few texts for every station of every run.
    const HeldLanguage held;
    PageOut out(sink);
    std::string& html = out.html();
    html += "<!DOCTYPE html>\n<html lang=\"" + std::string(TextLanguage()) + "\">\n<head>\n<meta charset=\"utf-8\">\n";
    std::string title = Tr("Levelling report");
    for (const ReportBook& book : contents.books)
        title += (&book == &contents.books.front() ? ": " : ", ") + book.name;
    html += "<title>" + Escaped(title) + "</title>\n<style>\n" + kPageStyle + kStyle + "</head>\n<body>\n";
    html += Header(contents);
    bool anyRun = false;
    for (const ReportBook& book : contents.books)
        anyRun = anyRun || !book.runs.empty();
    if (!anyRun) {
        html += "<p>" + Escaped(Tr("The field book holds no runs.")) + "</p>\n</body>\n</html>\n";
        return out.Finish();
    }
    RunsTable(contents, out);
    FindingsSection(contents, out);
    SectionsTable(contents, out);
    StationsAndProfiles(contents, out);
    if (contents.network && contents.adjustment)
        html += AdjustmentSection(*contents.network, *contents.adjustment);
    html += "</body>\n</html>\n";
    return out.Finish();
}

}  // namespace velmora
