// SPDX-License-Identifier: MIT
#include "quality/ReportPage.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "quality/QualityText.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The picture's frame in SVG user units: the profile above, the sight bars beneath.
constexpr double kWidth = 680;
constexpr double kLeft = 70;    // room for the height labels
constexpr double kRight = 660;
constexpr double kProfileTop = 20;
constexpr double kProfileBottom = 170;
constexpr double kBarsTop = 195;
constexpr double kBarsBottom = 265;
constexpr double kHeight = 290;

// Text for the page: valid UTF-8 whatever it was given, control characters and bytes of no
// UTF-8 character shown as \xNN, as the tool's messages show them; then HTML's own escapes.
std::string Escaped(std::string_view text)
{
    const std::string utf8 = PrintableUtf8(text);
    std::string html;
    html.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        default: html += c;
        }
    }
    return html;
}

// Field-book bytes on the page.
std::string BookText(std::string_view bytes)
{
    return Escaped(Cp1251ToUtf8(bytes));
}

std::string Coordinate(double value)
{
    return FixedText(value, 1);
}

std::string Line(double x1, double y1, double x2, double y2, std::string_view style)
{
    return "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" +
           Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\" " + std::string(style) + "/>\n";
}

std::string Label(double x, double y, std::string_view anchor, std::string_view text)
{
    return "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" text-anchor=\"" +
           std::string(anchor) + "\">" + std::string(text) + "</text>\n";
}

std::string Bar(double x, double width, double top, bool broken, std::string_view title)
{
    return "<rect x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(top) + "\" width=\"" +
           Coordinate(width) + "\" height=\"" + Coordinate(kBarsBottom - top) + "\" class=\"" +
           (broken ? "bar broken" : "bar") + "\"><title>" + std::string(title) +
           "</title></rect>\n";
}

std::string FigureRow(std::string_view name, std::string_view value)
{
    return "<tr><th>" + std::string(name) + "</th><td>" + std::string(value) + "</td></tr>\n";
}

std::string Metres(double value, int decimals)
{
    return FixedText(value, decimals) + " m";
}

std::string FiguresTable(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    std::string html = "<table class=\"figures\">\n";
    html += FigureRow("method", run.method.empty() ? "-" : Escaped(run.method));
    html += FigureRow("stations", std::to_string(run.stations.size()));
    html += FigureRow("length", Metres(run.distanceSum, kLengthDecimals));
    html += FigureRow("height sum", Metres(run.heightSum, kHeightDecimals));
    html += FigureRow("longest sight", Metres(quality.maxSight, kLengthDecimals));
    html += FigureRow("largest station imbalance",
                      Metres(quality.maxStationImbalance, kLengthDecimals));
    html += FigureRow("cumulative imbalance at the end",
                      Metres(quality.cumulativeImbalance, kLengthDecimals));
    html += FigureRow("largest cumulative imbalance",
                      Metres(quality.maxCumulativeImbalance, kLengthDecimals));
    html += FigureRow("largest difference of two readings",
                      quality.maxDoubleReadingDifference
                          ? Metres(*quality.maxDoubleReadingDifference, kHeightDecimals)
                          : "- (one reading per sight)");
    html += FigureRow("instrument", Escaped(InstrumentText(quality)));
    return html + "</table>\n";
}

std::string FindingsTable(const RunQuality& quality)
{
    if (quality.findings.empty())
        return "<p class=\"clean\">No findings.</p>\n";
    std::string html =
        "<table class=\"findings\">\n<tr><th>check</th><th>station</th><th>finding</th></tr>\n";
    for (const Finding& finding : quality.findings) {
        html += "<tr class=\"finding\"><td>" + std::string(CheckName(finding.check)) + "</td><td>" +
                (finding.station > 0 ? std::to_string(finding.station) : std::string("-")) +
                "</td><td>" + Escaped(FindingText(finding)) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

constexpr const char* kStyle = R"(<style>
@page { size: A4; margin: 15mm; }
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 10pt;
       color: #000; margin: 0 auto; max-width: 180mm; }
h1 { font-size: 15pt; margin: 0 0 4mm; }
h2 { font-size: 12pt; margin: 0 0 2mm; }
section { break-inside: avoid; page-break-inside: avoid; margin: 0 0 8mm; }
table { border-collapse: collapse; margin: 0 0 3mm; }
th, td { border: 1px solid #999; padding: 1mm 2mm; text-align: left; vertical-align: top; }
table.figures th { font-weight: normal; background: #f2f2f2; }
tr.finding td { color: #c00000; }
p.clean { color: #006000; }
p.caption { font-size: 8pt; color: #444; margin: 0; }
svg { width: 100%; height: auto; display: block; }
svg text { font-size: 11px; fill: #333; }
svg .axis { stroke: #666; stroke-width: 1; }
svg .limit { stroke: #c00000; stroke-width: 1; stroke-dasharray: 4 3; }
svg .profile { fill: none; stroke: #1f4e9a; stroke-width: 2; }
svg .point { fill: #1f4e9a; }
svg .bar { fill: #8fb3e0; }
svg .bar.broken { fill: #c00000; }
</style>
)";

}  // namespace

std::string ProfileSvg(const RunQuality& quality, const LevellingLimits& limits)
{
    const RunSights& run = *quality.run;
    const std::size_t count = run.stations.size();

    // Heights and distances of the points, from the first point at 0.
    std::vector<double> along(count + 1, 0.0);
    std::vector<double> height(count + 1, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const StationSights& station = run.stations[i];
        along[i + 1] = along[i] + station.backDistance + station.foreDistance;
        height[i + 1] = height[i] + station.heightDifference;
    }
    // Without distances (all zero, or not numbers) the stations stand evenly apart.
    const bool evenly = !(along.back() > 0) || !std::isfinite(along.back());
    const double total = evenly ? static_cast<double>(std::max<std::size_t>(count, 1)) : along.back();
    auto x = [&](std::size_t i) {
        const double position = evenly ? static_cast<double>(i) : along[i];
        return kLeft + (kRight - kLeft) * position / total;
    };
    double low = 0, high = 0;
    for (const double h : height) {
        if (std::isfinite(h)) {
            low = std::min(low, h);
            high = std::max(high, h);
        }
    }
    const double span = high - low > 0 ? high - low : 1.0;
    auto y = [&](double h) {
        return kProfileBottom - (kProfileBottom - kProfileTop) * (h - low) / span;
    };

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      Coordinate(kWidth) + " " + Coordinate(kHeight) +
                      "\" role=\"img\"><title>Profile of run " + BookText(run.runNumber) +
                      "</title>\n";
    // Axes with the height range and the run length.
    svg += Line(kLeft, kProfileTop, kLeft, kProfileBottom, "class=\"axis\"");
    svg += Line(kLeft, y(0), kRight, y(0), "class=\"axis\"");
    if (high > 0)
        svg += Label(kLeft - 4, y(high) + 4, "end", Metres(high, 4));
    if (low < 0)
        svg += Label(kLeft - 4, y(low) + 4, "end", Metres(low, 4));
    svg += Label(kLeft - 4, y(0) + 4, "end", "0 m");
    svg += Label(kRight, kProfileBottom + 16, "end",
                 evenly ? std::to_string(count) + " stations"
                        : "distance " + Metres(along.back(), 1));

    // The profile line through every point.
    std::string points;
    for (std::size_t i = 0; i <= count; ++i) {
        if (!std::isfinite(height[i]))
            continue;
        points += Coordinate(x(i)) + "," + Coordinate(y(height[i])) + " ";
    }
    svg += "<polyline class=\"profile\" points=\"" + points + "\"/>\n";
    for (std::size_t i = 0; i <= count; ++i) {
        if (!std::isfinite(height[i]))
            continue;
        const std::string name =
            i == 0 ? BookText(run.firstPoint) : BookText(run.stations[i - 1].forePoint);
        svg += "<circle class=\"point\" cx=\"" + Coordinate(x(i)) + "\" cy=\"" +
               Coordinate(y(height[i])) + "\" r=\"2.5\"><title>" + name + ": " +
               Metres(height[i], kHeightDecimals) + "</title></circle>\n";
    }

    // Sight lengths as bars beneath, back sight left, fore sight right in each station's
    // stretch, against the class's longest sight.
    double tallest = limits.maxSight;
    for (const StationSights& station : run.stations) {
        for (const double sight : {station.backDistance, station.foreDistance}) {
            if (std::isfinite(sight))
                tallest = std::max(tallest, sight);
        }
    }
    if (!(tallest > 0))
        tallest = 1.0;
    auto barTop = [&](double length) {
        const double shown = std::isfinite(length) ? std::clamp(length, 0.0, tallest) : 0.0;
        return kBarsBottom - (kBarsBottom - kBarsTop) * shown / tallest;
    };
    svg += Label(kLeft - 4, kBarsTop + 4, "end", Metres(tallest, 0));
    svg += Line(kLeft, kBarsBottom, kRight, kBarsBottom, "class=\"axis\"");
    svg += Line(kLeft, barTop(limits.maxSight), kRight, barTop(limits.maxSight),
                "class=\"limit\"");
    for (std::size_t i = 0; i < count; ++i) {
        const StationSights& station = run.stations[i];
        const double left = x(i);
        const double width = std::max((x(i + 1) - left) / 2 - 0.5, 0.5);
        const std::string number = "station " + std::to_string(i + 1);
        svg += Bar(left, width, barTop(station.backDistance),
                   ExceedsLimit(station.backDistance, limits.maxSight),
                   number + " back sight " + Metres(station.backDistance, kLengthDecimals));
        svg += Bar(left + width + 0.5, width, barTop(station.foreDistance),
                   ExceedsLimit(station.foreDistance, limits.maxSight),
                   number + " fore sight " + Metres(station.foreDistance, kLengthDecimals));
    }
    return svg + "</svg>\n";
}

std::string ReportPage(std::string_view title, std::string_view className,
                       const LevellingLimits& limits, const std::vector<RunQuality>& runs)
{
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<title>" + Escaped(title) + "</title>\n";
    html += kStyle;
    html += "</head>\n<body>\n<h1>" + Escaped(title) + "</h1>\n";
    html += "<p>Class " + Escaped(className) + ": sights up to " +
            Metres(limits.maxSight, kLengthDecimals) + ", station imbalance up to " +
            Metres(limits.maxStationImbalance, kLengthDecimals) +
            ", cumulative imbalance up to " +
            Metres(limits.maxCumulativeImbalance, kLengthDecimals) +
            ", two readings of one sight differ by up to " +
            Metres(limits.maxDoubleReadingDifference, kHeightDecimals) +
            (limits.doubleReadingsRequired ? ", every sight read twice" : "") + ".</p>\n";
    for (const RunQuality& quality : runs) {
        const RunSights& run = *quality.run;
        html += "<section>\n<h2>Run " + BookText(run.runNumber) + "</h2>\n";
        if (!run.unreadableReason.empty()) {
            html += "<p>The stations of this run cannot be read: " +
                    BookText(run.unreadableReason) + "</p>\n";
            html += FindingsTable(quality) + "</section>\n";
            continue;
        }
        html += FiguresTable(quality);
        html += FindingsTable(quality);
        if (!run.stations.empty()) {
            html += ProfileSvg(quality, limits);
            html += "<p class=\"caption\">Heights of the points along the run, from its first "
                    "point at 0; beneath them the back and fore sight of each station, red where "
                    "longer than " +
                    Metres(limits.maxSight, kLengthDecimals) + " (dashed line).</p>\n";
        }
        html += "</section>\n";
    }
    if (runs.empty())
        html += "<p>The field book holds no runs.</p>\n";
    return html + "</body>\n</html>\n";
}

}  // namespace velmora
