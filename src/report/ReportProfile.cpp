// SPDX-License-Identifier: MIT
// The profile of a run on the report page: heights along the run, sight lengths beneath.

#include "report/ReportPage.h"

#include "fieldbook/Translation.h"
#include "quality/QualityText.h"
#include "report/ReportHtml.h"
#include "runs/Rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

using report::AppendBookText;
using report::AppendMetres;
using report::BookText;
using report::Metres;

namespace {

// The picture's frame in SVG user units: the profile above, the sight bars beneath.
constexpr double kWidth = 680;
constexpr double kLeft = 80;  // room for the height labels
constexpr double kRight = 660;
constexpr double kProfileTop = 20;
constexpr double kProfileBottom = 170;
constexpr double kBarsTop = 195;
constexpr double kBarsBottom = 265;
constexpr double kHeight = 290;
constexpr double kLabelHeight = 12;  // a line of the labels' 11-unit font, with a little air

void AppendCoordinate(std::string& svg, double value)
{
    AppendFixedText(svg, value, 1);
}

// ` name="value"`, the value a coordinate.
void AppendAttribute(std::string& svg, std::string_view name, double value)
{
    svg += ' ';
    svg += name;
    svg += "=\"";
    AppendCoordinate(svg, value);
    svg += '"';
}

void AppendLine(std::string& svg, double x1, double y1, double x2, double y2, std::string_view style)
{
    svg += "<line";
    AppendAttribute(svg, "x1", x1);
    AppendAttribute(svg, "y1", y1);
    AppendAttribute(svg, "x2", x2);
    AppendAttribute(svg, "y2", y2);
    svg += ' ';
    svg += style;
    svg += "/>\n";
}

// A label whose text's middle stands at y.
void AppendLabel(std::string& svg, double x, double y, std::string_view anchor, std::string_view text)
{
    svg += "<text";
    AppendAttribute(svg, "x", x);
    AppendAttribute(svg, "y", y + 4);
    svg += " text-anchor=\"";
    svg += anchor;
    svg += "\">";
    svg += text;
    svg += "</text>\n";
}

// A sight's bar; its title is `pattern` filled with the station's number and the sight.
void AppendBar(std::string& svg, double x, double width, double top, bool broken, const char* pattern,
               std::string_view number, std::string_view sight)
{
    svg += "<rect";
    AppendAttribute(svg, "x", x);
    AppendAttribute(svg, "y", top);
    AppendAttribute(svg, "width", width);
    AppendAttribute(svg, "height", kBarsBottom - top);
    svg += broken ? " class=\"bar broken\"><title>" : " class=\"bar\"><title>";
    AppendFill(svg, pattern, {number, sight});
    svg += "</title></rect>\n";
}

// The run's points: where each stands along the run and its height, from the first at 0.
struct ProfileFrame {
    std::vector<double> along;
    std::vector<double> height;
    bool evenly = false;  // without distances the stations stand evenly apart
    double total = 1;
    double low = 0;
    double high = 0;

    explicit ProfileFrame(const RunSights& run)
        : along(run.stations.size() + 1, 0.0), height(run.stations.size() + 1, 0.0)
    {
        const std::size_t count = run.stations.size();
        for (std::size_t i = 0; i < count; ++i) {
            const StationSights& station = run.stations[i];
            along[i + 1] = along[i] + station.backDistance + station.foreDistance;
            height[i + 1] = height[i] + station.heightDifference;
        }
        evenly = !(along.back() > 0) || !std::isfinite(along.back());
        total = evenly ? static_cast<double>(std::max<std::size_t>(count, 1)) : along.back();
        for (const double h : height) {
            if (std::isfinite(h)) {
                low = std::min(low, h);
                high = std::max(high, h);
            }
        }
    }

    double X(std::size_t i) const
    {
        const double position = evenly ? static_cast<double>(i) : along[i];
        return kLeft + (kRight - kLeft) * position / total;
    }

    double Y(double h) const
    {
        const double span = high - low > 0 ? high - low : 1.0;
        return kProfileBottom - (kProfileBottom - kProfileTop) * (h - low) / span;
    }
};

// The axes, the heights at the top, the bottom and 0 (their labels kept apart), the length.
void AppendProfileAxes(std::string& svg, const ProfileFrame& frame, std::size_t stations)
{
    AppendLine(svg, kLeft, kProfileTop, kLeft, kProfileBottom, "class=\"axis\"");
    AppendLine(svg, kLeft, frame.Y(0), kRight, frame.Y(0), "class=\"axis\"");
    std::vector<double> heights;
    if (frame.high > 0)
        heights.push_back(frame.high);
    heights.push_back(0);
    if (frame.low < 0)
        heights.push_back(frame.low);
    std::vector<double> wanted;
    for (const double h : heights)
        wanted.push_back(frame.Y(h));
    const std::vector<double> placed =
        SpreadLabels(wanted, kLabelHeight, kProfileTop - 6, kProfileBottom + 6);
    for (std::size_t i = 0; i < heights.size(); ++i)
        AppendLabel(svg, kLeft - 4, placed[i], "end", Metres(heights[i], heights[i] == 0 ? 0 : 4));
    const std::string length =
        frame.evenly ? Fill(TrPlural("{1} station", "{1} stations", stations),
                            {std::to_string(stations)})
                     : Fill(Tr("distance {1}"), {Metres(frame.along.back(), 1)});
    AppendLabel(svg, kRight, kProfileBottom + 12, "end", length);
}

// The line through every point, and the points with their names and heights as tooltips.
void AppendProfileLine(std::string& svg, const ProfileFrame& frame, const RunSights& run)
{
    std::string dots;
    svg += "<polyline class=\"profile\" points=\"";
    for (std::size_t i = 0; i < frame.height.size(); ++i) {
        if (!std::isfinite(frame.height[i]))
            continue;
        const std::size_t x = svg.size();
        AppendCoordinate(svg, frame.X(i));
        svg += ',';
        const std::size_t y = svg.size();
        AppendCoordinate(svg, frame.Y(frame.height[i]));
        const std::string_view written(svg);
        dots += "<circle class=\"point\" cx=\"";
        dots += written.substr(x, y - 1 - x);
        dots += "\" cy=\"";
        dots += written.substr(y);
        dots += "\" r=\"2.5\"><title>";
        AppendBookText(dots, i == 0 ? run.firstPoint : run.stations[i - 1].forePoint);
        dots += ": ";
        AppendMetres(dots, frame.height[i], kHeightDecimals);
        dots += "</title></circle>\n";
        svg += ' ';
    }
    svg += "\"/>\n";
    svg += dots;
}

// Sight lengths as bars, back sight left, fore sight right in each station's stretch, against
// the class's longest sight (a dashed line); red where longer.
void AppendSightBars(std::string& svg, const ProfileFrame& frame, const RunSights& run,
                     const LevellingLimits& limits)
{
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
    AppendLabel(svg, kLeft - 4, kBarsTop, "end", Metres(tallest, 0));
    AppendLine(svg, kLeft, kBarsBottom, kRight, kBarsBottom, "class=\"axis\"");
    AppendLine(svg, kLeft, barTop(limits.maxSight), kRight, barTop(limits.maxSight), "class=\"limit\"");
    const char* back = Tr("station {1}, back sight {2}");
    const char* fore = Tr("station {1}, fore sight {2}");
    std::string sight;
    for (std::size_t i = 0; i < run.stations.size(); ++i) {
        const StationSights& station = run.stations[i];
        const double left = frame.X(i);
        const double width = std::max((frame.X(i + 1) - left) / 2 - 0.5, 0.5);
        const std::string number = std::to_string(i + 1);
        sight.clear();
        AppendMetres(sight, station.backDistance, 2);
        AppendBar(svg, left, width, barTop(station.backDistance),
                  ExceedsLimit(station.backDistance, limits.maxSight), back, number, sight);
        sight.clear();
        AppendMetres(sight, station.foreDistance, 2);
        AppendBar(svg, left + width + 0.5, width, barTop(station.foreDistance),
                  ExceedsLimit(station.foreDistance, limits.maxSight), fore, number, sight);
    }
}

}  // namespace

std::vector<double> SpreadLabels(const std::vector<double>& wanted, double height, double top,
                                 double bottom)
{
    std::vector<std::size_t> order(wanted.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return wanted[a] < wanted[b]; });
    std::vector<double> placed = wanted;
    // Downward: each label at least a label's height below the one above it.
    for (std::size_t k = 1; k < order.size(); ++k)
        placed[order[k]] = std::max(placed[order[k]], placed[order[k - 1]] + height);
    // Back up from the bottom where the last ones fell below it, as far as the top allows.
    if (!order.empty() && placed[order.back()] > bottom) {
        placed[order.back()] = bottom;
        for (std::size_t k = order.size() - 1; k-- > 0;)
            placed[order[k]] = std::min(placed[order[k]], placed[order[k + 1]] - height);
    }
    if (!order.empty() && placed[order.front()] < top) {
        placed[order.front()] = top;
        for (std::size_t k = 1; k < order.size(); ++k)
            placed[order[k]] = std::max(placed[order[k]], placed[order[k - 1]] + height);
    }
    return placed;
}

std::string ProfileSvg(const RunQuality& quality, const LevellingLimits& limits)
{
    std::string svg;
    report::AppendProfileSvg(svg, quality, limits);
    return svg;
}

namespace report {

void AppendProfileSvg(std::string& svg, const RunQuality& quality, const LevellingLimits& limits)
{
    const RunSights& run = *quality.run;
    const ProfileFrame frame(run);
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
    AppendCoordinate(svg, kWidth);
    svg += ' ';
    AppendCoordinate(svg, kHeight);
    svg += "\" role=\"img\"><title>";
    AppendFill(svg, Tr("Profile of run {1}"), {BookText(run.runNumber)});
    svg += "</title>\n";
    AppendProfileAxes(svg, frame, run.stations.size());
    AppendProfileLine(svg, frame, run);
    AppendSightBars(svg, frame, run, limits);
    svg += "</svg>\n";
}

}  // namespace report

}  // namespace velmora
