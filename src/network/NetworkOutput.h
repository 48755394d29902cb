// SPDX-License-Identifier: MIT
#pragma once

// The adjustment's results saved to a file: the whole workbook, or the catalogue of heights
// alone as CSV.

#include "fieldbook/OutputPath.h"
#include "network/NetworkAdjustment.h"

#include <string>

namespace velmora {

/// The catalogue of nodes as CSV in UTF-8: "point,height,sigma,fixed", one row per node, lines
/// ended by CR LF; numbers with a full stop whatever the language.
std::string NetworkCatalogueCsv(const NetworkAdjustment& result);

/// Writes the results to `path` in `format`: the network workbook (.xls or .xlsx,
/// WriteNetworkWorkbook, which names `className` above its tables) or the catalogue as CSV,
/// whole or not at all. False with `error` when the file cannot be written; a file that stood
/// there before is then left as it was.
bool SaveNetworkResults(const std::string& path, OutputFormat format,
                        const LevellingNetwork& network, const NetworkAdjustment& result,
                        const std::string& className, std::string& error);

}  // namespace velmora
