// SPDX-License-Identifier: MIT
#pragma once

// A monitoring project's results saved for the client: the settlement workbook, or one CSV row
// per point and cycle.

#include "fieldbook/OutputPath.h"
#include "workbook/WorkbookWriter.h"
#include "monitor/MonitorProject.h"
#include "runs/FigureWords.h"

#include <string>

namespace velmora {

/// How the figures of a project are rounded for people, in the text of `show` and the workbook.
inline constexpr int kMonitorHeightDecimals = 5;      ///< metres: a hundredth of a millimetre
inline constexpr int kMonitorMillimetreDecimals = 2;  ///< settlements and σ in millimetres
inline constexpr int kMonitorRateDecimals = 3;        ///< millimetres a day
inline constexpr int kMonitorStatisticDecimals = 3;   ///< the test statistic and its critical value

/// "point,cycle,date,height,sigma,settlement,sinceFirst,significant": one row per point and
/// cycle in UTF-8, lines ended by CR LF; metres unrounded (the shortest text of the double), an
/// empty field where a value does not apply.
std::string MonitorCsv(const MonitoringResult& result);

/// Three sheets in Russian: "Ведомость осадок" (per mark and cycle the date, H, the settlement
/// of the cycle and since cycle 1 in mm, the rate in mm a day, significant ones in red; then the
/// mean and the largest per cycle), "Реперы" (the benchmarks and their tests) and "Циклы".
void WriteMonitorWorkbook(WorkbookWriter& writer, const ProjectSettings& settings,
                          const MonitoringResult& result);

/// Writes the results to `path` in `format` (.xls, .xlsx or .csv), whole or not at all. False
/// with `error` when the file cannot be written.
bool SaveMonitorResults(const std::string& path, OutputFormat format, const ProjectSettings& settings,
                        const MonitoringResult& result, std::string& error);

}  // namespace velmora
