// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/Monitoring.h"

#include <string>

namespace velmora {

/// The SVG picture of one point's settlement against time, drawn once here for the report page
/// and the window: the settlement since the point's first cycle (mm, down is down) over the days
/// from the project's first cycle to its last, one dot per cycle that measured the point,
/// significant ones red, the cycles' dates beneath (those that leave room), a line at zero.
/// Texts are the page's language; the point's number is field-book bytes (Windows-1251).
std::string SettlementChartSvg(const MonitoringResult& result, const MonitoredPoint& point);

/// The style of the charts' labels, grid, line and dots (CSS rules by element and class, one a
/// line): the report page holds it in its style sheet, a chart shown on its own inside it.
extern const char* const kSettlementChartStyle;

/// SettlementChartSvg with kSettlementChartStyle in a style element of its own, for a chart
/// shown without the page (the window).
std::string StyledSettlementChartSvg(const MonitoringResult& result, const MonitoredPoint& point);

/// A round step for the ticks of an axis spanning `span` with about `ticks` of them: 1, 2 or 5
/// times a power of ten.
double TickStep(double span, int ticks);

}  // namespace velmora
