// SPDX-License-Identifier: MIT
// The adjustment of the network on the report page.

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkWarnings.h"
#include "network/NetworkWorkbookLayout.h"
#include "report/ReportHtml.h"
#include "runs/FigureWords.h"

namespace velmora::report {

namespace {

// Decimals of the tables; σ₀, σ a priori and χ² are worded by runs/FigureWords.h.
constexpr int kHeightSigmaDecimals = 2;  // millimetres
constexpr int kCorrectionDecimals = 2;   // millimetres
constexpr int kSectionHeightDecimals = 5;
constexpr int kSectionLengthDecimals = 3;  // kilometres

std::string FigureRow(const char* name, const std::string& html)
{
    return "<tr>" + HeaderCell(Escaped(Tr(name))) + Cell(html) + "</tr>\n";
}

// A standard deviation of 1 km of levelling (metres), in millimetres per √km.
std::string SigmaPerKilometre(double metres)
{
    return Escaped(Fill(Tr("{1} per \u221akm"), {Fill(Tr("{1} mm"), {SigmaMillimetresText(metres)})}));
}

std::string GlobalTestText(const NetworkAdjustment& result)
{
    const GlobalTest& test = result.globalTest;
    return Escaped(Fill(test.passed ? Tr("\u03c7\u00b2 = {1}, accepted from {2} to {3}: passed")
                                    : Tr("\u03c7\u00b2 = {1}, accepted from {2} to {3}: failed"),
                        {ChiSquareText(test.statistic), ChiSquareText(test.lower),
                         ChiSquareText(test.upper)}));
}

std::string FixedPointsText(const NetworkAdjustment& result)
{
    std::string html;
    for (const AdjustedPoint& point : result.points) {
        if (!point.fixed)
            continue;
        html += (html.empty() ? "" : ", ") + BookText(point.point) + " = " +
                Metres(point.height, kNetworkMetreDecimals);
    }
    return html;
}

std::string Figures(const NetworkAdjustment& result)
{
    std::string html = "<table class=\"head\">\n";
    html += FigureRow(N_("\u03c3 a priori"), SigmaPerKilometre(result.sigma));
    html += FigureRow(N_("\u03c3\u2080"), SigmaPerKilometre(result.sigma0));
    html += FigureRow(N_("Degrees of freedom"), std::to_string(result.degreesOfFreedom));
    html += FigureRow(N_("Global test"), GlobalTestText(result));
    html += FigureRow(N_("Fixed points"), FixedPointsText(result));
    return html + "</table>\n";
}

// What the adjustment warns of (names that may stand for two places, runs split at a node),
// in the words the command line uses for them.
std::string Warnings(const LevellingNetwork& network, const NetworkAdjustment& result)
{
    if (result.warnings.empty())
        return {};
    std::string html = "<h3>" + Escaped(Tr("Warnings")) + "</h3>\n<ul class=\"warnings\">\n";
    for (const NetworkWarning& warning : result.warnings)
        html += "<li>" + Escaped(NetworkWarningText(network, warning, Cp1251ToUtf8)) + "</li>\n";
    return html + "</ul>\n";
}

std::string HeightsTable(const NetworkAdjustment& result)
{
    std::string html = "<h3>" + Escaped(Tr("Heights of the nodes")) + "</h3>\n<table class=\"heights\">\n<tr>";
    for (const char* heading : {N_("Point"), N_("H, m"), N_("\u03c3, mm"), N_("Held")})
        html += HeaderCell(Escaped(Tr(heading)));
    html += "</tr>\n";
    for (const AdjustedPoint& point : result.points) {
        if (point.kind != PointKind::node)
            continue;
        html += "<tr>" + Cell(BookText(point.point)) +
                Cell(Number(point.height, kNetworkMetreDecimals), true) +
                Cell(Number(point.sigma * 1000, kHeightSigmaDecimals), true) +
                Cell(point.fixed ? Escaped(Tr("fixed")) : "") + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string SectionRow(const LevellingNetwork& network, const AdjustedSection& section)
{
    std::string html = "<tr>";
    if (network.books.size() > 1)
        html += Cell(section.book < network.books.size() ? BookText(network.books[section.book]) : "");
    html += Cell(BookText(section.run)) + Cell(BookText(section.from)) + Cell(BookText(section.to)) +
            Cell(std::to_string(section.observations.size()), true) +
            Cell(Number(section.heightDifference, kSectionHeightDecimals), true) +
            Cell(Number(section.length / 1000, kSectionLengthDecimals), true) +
            Cell(Number(section.residual * 1000, kCorrectionDecimals), true);
    if (!section.controlled)
        return html + Cell("\u2014", true) + "</tr>\n";
    const std::string w = Number(section.w, kNetworkWDecimals);
    return html + Cell(section.outlier ? "<span class=\"bad\">" + w + "</span>" : w, true) +
           "</tr>\n";
}

std::string SectionsTable(const LevellingNetwork& network, const NetworkAdjustment& result)
{
    std::string html = "<h3>" + Escaped(Tr("Sections")) + "</h3>\n<table class=\"sections\">\n<tr>";
    if (network.books.size() > 1)
        html += HeaderCell(Escaped(Tr("Field book")));
    for (const char* heading : {N_("Run"), N_("From"), N_("To"), N_("Stations"), N_("h, m"),
                                N_("L, km"), N_("v, mm"), N_("w")})
        html += HeaderCell(Escaped(Tr(heading)));
    html += "</tr>\n";
    for (const AdjustedSection& section : result.sections)
        html += SectionRow(network, section);
    return html + "</table>\n";
}

}  // namespace

std::string AdjustmentSection(const LevellingNetwork& network, const NetworkAdjustment& result)
{
    std::string html = "<h2>" + Escaped(Tr("Adjustment of the network")) + "</h2>\n";
    html += Figures(result);
    if (!result.unreached.empty())
        html += "<p class=\"bad\">" + Escaped(Tr("No fixed point reaches these nodes:")) + " " +
                UnreachedNamesText(result, BookText) + "</p>\n";
    html += Warnings(network, result);
    html += HeightsTable(result);
    html += SectionsTable(network, result);
    return html;
}

}  // namespace velmora::report
