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

std::string Coordinate(double value)
{
    return FixedText(value, 1);
}

std::string Line(double x1, double y1, double x2, double y2, std::string_view style)
{
    return "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" +
           Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\" " + std::string(style) + "/>\n";
}

// A label whose text's middle stands at y.
std::string Label(double x, double y, std::string_view anchor, std::string_view text)
{
    return "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y + 4) + "\" text-anchor=\"" +
           std::string(anchor) + "\">" + std::string(text) + "</text>\n";
}

std::string Bar(double x, double width, double top, bool broken, std::string_view title)
{
    return "<rect x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(top) + "\" width=\"" +
           Coordinate(width) + "\" height=\"" + Coordinate(kBarsBottom - top) + "\" class=\"" +
           (broken ? "bar broken" : "bar") + "\"><title>" + std::string(title) +
           "</title></rect>\n";
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
std::string ProfileAxes(const ProfileFrame& frame, std::size_t stations)
{
    std::string svg = Line(kLeft, kProfileTop, kLeft, kProfileBottom, "class=\"axis\"");
    svg += Line(kLeft, frame.Y(0), kRight, frame.Y(0), "class=\"axis\"");
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
        svg += Label(kLeft - 4, placed[i], "end", Metres(heights[i], heights[i] == 0 ? 0 : 4));
    const std::string length =
        frame.evenly ? Fill(TrPlural("{1} station", "{1} stations", stations),
                            {std::to_string(stations)})
                     : Fill(Tr("distance {1}"), {Metres(frame.along.back(), 1)});
    return svg + Label(kRight, kProfileBottom + 12, "end", length);
}

// The line through every point, and the points with their names and heights as tooltips.
std::string ProfileLine(const ProfileFrame& frame, const RunSights& run)
{
    std::string points;
    std::string dots;
    for (std::size_t i = 0; i < frame.height.size(); ++i) {
        if (!std::isfinite(frame.height[i]))
            continue;
        const std::string x = Coordinate(frame.X(i));
        const std::string y = Coordinate(frame.Y(frame.height[i]));
        points += x + "," + y + " ";
        const std::string name =
            i == 0 ? BookText(run.firstPoint) : BookText(run.stations[i - 1].forePoint);
        dots += "<circle class=\"point\" cx=\"" + x + "\" cy=\"" + y + "\" r=\"2.5\"><title>" +
                name + ": " + Metres(frame.height[i], kHeightDecimals) + "</title></circle>\n";
    }
    return "<polyline class=\"profile\" points=\"" + points + "\"/>\n" + dots;
}

// Sight lengths as bars, back sight left, fore sight right in each station's stretch, against
// the class's longest sight (a dashed line); red where longer.
std::string SightBars(const ProfileFrame& frame, const RunSights& run,
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
    std::string svg = Label(kLeft - 4, kBarsTop, "end", Metres(tallest, 0));
    svg += Line(kLeft, kBarsBottom, kRight, kBarsBottom, "class=\"axis\"");
    svg += Line(kLeft, barTop(limits.maxSight), kRight, barTop(limits.maxSight), "class=\"limit\"");
    for (std::size_t i = 0; i < run.stations.size(); ++i) {
        const StationSights& station = run.stations[i];
        const double left = frame.X(i);
        const double width = std::max((frame.X(i + 1) - left) / 2 - 0.5, 0.5);
        const std::string number = std::to_string(i + 1);
        svg += Bar(left, width, barTop(station.backDistance),
                   ExceedsLimit(station.backDistance, limits.maxSight),
                   Fill(Tr("station {1}, back sight {2}"),
                        {number, Metres(station.backDistance, 2)}));
        svg += Bar(left + width + 0.5, width, barTop(station.foreDistance),
                   ExceedsLimit(station.foreDistance, limits.maxSight),
                   Fill(Tr("station {1}, fore sight {2}"),
                        {number, Metres(station.foreDistance, 2)}));
    }
    return svg;
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
    const RunSights& run = *quality.run;
    const ProfileFrame frame(run);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      Coordinate(kWidth) + " " + Coordinate(kHeight) + "\" role=\"img\"><title>" +
                      Fill(Tr("Profile of run {1}"), {BookText(run.runNumber)}) + "</title>\n";
    svg += ProfileAxes(frame, run.stations.size());
    svg += ProfileLine(frame, run);
    svg += SightBars(frame, run, limits);
    return svg + "</svg>\n";
}

}  // namespace velmora
