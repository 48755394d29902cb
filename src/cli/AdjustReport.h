// SPDX-License-Identifier: MIT
#pragma once

// The outputs of `adjust`: the text tables, the JSON, the catalogue as CSV, and the warnings.

#include "network/NetworkAdjustment.h"

#include <iosfwd>
#include <set>
#include <string>

namespace velmora::cli {

/// The names of runs for people: a run's number, or BOOK:NUMBER when another book given has a
/// run of that number too.
class RunLabels {
public:
    explicit RunLabels(const LevellingNetwork& network);
    std::string operator()(std::size_t book, const std::string& run) const;

private:
    const LevellingNetwork& network_;
    std::set<std::string, std::less<>> ambiguous_;
};

/// One line per warning, "velmora-tesk-cli: warning: ...", names converted for the terminal;
/// a junction with the advice to name it in --nodes where the command has that option.
void WriteWarnings(const LevellingNetwork& network, const NetworkAdjustment& result,
                   std::ostream& err, bool nodesOption);

/// The catalogue of nodes, the summary, the sections and the stations as tab-separated tables;
/// with `allPoints` also the turning points and intermediate sights.
void WriteAdjustText(const LevellingNetwork& network, const NetworkAdjustment& result,
                     bool allPoints, std::ostream& out);

/// Everything as one JSON object with unrounded numbers.
void WriteAdjustJson(const LevellingNetwork& network, const NetworkAdjustment& result,
                     std::ostream& out);

}  // namespace velmora::cli
