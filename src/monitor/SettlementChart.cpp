// SPDX-License-Identifier: MIT
#include "monitor/SettlementChart.h"

#include "fieldbook/Translation.h"
#include "monitor/CycleDate.h"
#include "monitor/MonitorOutput.h"
#include "report/ReportHtml.h"
#include "runs/Rounding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The picture's frame in SVG units.
constexpr double kWidth = 640;
constexpr double kHeight = 150;
constexpr double kLeft = 60;  // room for the millimetre labels
constexpr double kRight = 620;
constexpr double kTop = 15;
constexpr double kBottom = 120;
constexpr double kDateLabelWidth = 70;  // "2022-03-04" at the labels' 11-unit font

std::string At(double value)
{
    return FixedText(value, 1);
}

struct Frame {
    long firstDay = 0;
    long lastDay = 0;
    double lowest = 0;   // mm
    double highest = 0;  // mm

    double X(long day) const
    {
        const double span = std::max(1L, lastDay - firstDay);
        return kLeft + (kRight - kLeft) * static_cast<double>(day - firstDay) / span;
    }
    double Y(double millimetres) const
    {
        return kBottom - (kBottom - kTop) * (millimetres - lowest) / (highest - lowest);
    }
};

Frame FrameOf(const MonitoringResult& result, const MonitoredPoint& point)
{
    Frame frame;
    frame.firstDay = DayOfDate(result.cycles.front().date).value_or(0);
    frame.lastDay = DayOfDate(result.cycles.back().date).value_or(0);
    for (const PointInCycle& at : point.cycles) {
        frame.lowest = std::min(frame.lowest, at.sinceFirst * kMillimetresPerMetre);
        frame.highest = std::max(frame.highest, at.sinceFirst * kMillimetresPerMetre);
    }
    // Half a millimetre of air, and at least a millimetre shown.
    frame.lowest = std::min(frame.lowest - 0.5, frame.highest - 1);
    frame.highest += 0.5;
    return frame;
}

std::string Axes(const Frame& frame, const MonitoringResult& result)
{
    std::string svg;
    const double step = TickStep(frame.highest - frame.lowest, 4);
    for (double mm = std::ceil(frame.lowest / step) * step; mm <= frame.highest; mm += step) {
        const double y = frame.Y(mm);
        const bool zero = std::abs(mm) < step / 2;
        svg += "<line x1=\"" + At(kLeft) + "\" y1=\"" + At(y) + "\" x2=\"" + At(kRight) + "\" y2=\"" + At(y) +
               "\" class=\"" + (zero ? "zero" : "grid") + "\"/>\n";
        svg += "<text x=\"" + At(kLeft - 6) + "\" y=\"" + At(y + 4) + "\" text-anchor=\"end\">" +
               report::Number(zero ? 0.0 : mm, step < 1 ? 1 : 0) + "</text>\n";
    }
    double lastLabel = -kDateLabelWidth;
    for (const CycleResult& cycle : result.cycles) {
        const double x = frame.X(DayOfDate(cycle.date).value_or(0));
        if (x - lastLabel < kDateLabelWidth)
            continue;
        // The last dates end at the frame's edge instead of running over it.
        const bool atEdge = x > kRight - kDateLabelWidth / 2;
        svg += "<text x=\"" + At(x) + "\" y=\"" + At(kBottom + 18) + "\" text-anchor=\"" +
               (atEdge ? "end" : "middle") + "\">" + cycle.date + "</text>\n";
        lastLabel = x;
    }
    return svg;
}

}  // namespace

double TickStep(double span, int ticks)
{
    const double rough = span / std::max(1, ticks);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

std::string SettlementChartSvg(const MonitoringResult& result, const MonitoredPoint& point)
{
    const Frame frame = FrameOf(result, point);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + At(kWidth) + " " +
                      At(kHeight) + "\" role=\"img\" class=\"settlement\"><title>" +
                      Fill(Tr("Settlement of {1} since its first cycle, mm"), {report::BookText(point.point)}) +
                      "</title>\n";
    svg += Axes(frame, result);
    std::string line;
    std::string dots;
    for (const PointInCycle& at : point.cycles) {
        const std::string& date = result.cycles[static_cast<std::size_t>(at.cycle) - 1].date;
        const std::string x = At(frame.X(DayOfDate(date).value_or(0)));
        const std::string y = At(frame.Y(at.sinceFirst * kMillimetresPerMetre));
        line += (line.empty() ? "" : " ") + x + "," + y;
        dots += "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"3.5\" class=\"" +
                (at.significant ? "significant" : "dot") + "\"><title>" + date + ": " +
                report::Millimetres(at.sinceFirst, kMonitorMillimetreDecimals) + "</title></circle>\n";
    }
    svg += "<polyline points=\"" + line + "\" class=\"settlement\"/>\n" + dots;
    return svg + "</svg>\n";
}

const char* const kSettlementChartStyle = R"(svg text { font-size: 11px; fill: #333; }
svg .grid { stroke: #ddd; stroke-width: 1; }
svg .zero { stroke: #666; stroke-width: 1; }
svg polyline.settlement { fill: none; stroke: #1f4e9a; stroke-width: 2; }
svg .dot { fill: #1f4e9a; }
svg .significant { fill: #c00000; }
)";

std::string StyledSettlementChartSvg(const MonitoringResult& result, const MonitoredPoint& point)
{
    std::string svg = SettlementChartSvg(result, point);
    // Right after the opening tag, before anything it styles.
    svg.insert(svg.find('>') + 1, std::string("<style>") + kSettlementChartStyle + "</style>");
    return svg;
}

}  // namespace velmora
