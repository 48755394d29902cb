#pragma once

#include "runs/RunList.h"

#include <array>
#include <string>

namespace velmora {

/// Receives the user's actions as the main window performs them, so that they can be
/// journalled and replayed. Every method has an empty default.
class ActionRecorder {
public:
    virtual ~ActionRecorder() = default;
    /// A file was opened successfully: the record of actions starts afresh.
    virtual void RecordOpen(const std::string& /*path*/, double /*toleranceCoefficient*/) {}
    /// The run list's texts and selection after a selection change or a deletion.
    virtual void RecordListState(const RunList& /*list*/) {}
    /// A class command set this coefficient.
    virtual void RecordClassChange(double /*coefficient*/) {}
    /// A grid row's four trimmed cells after a change of one of them.
    virtual void RecordCellEdit(int /*row*/, const std::array<std::string, 4>& /*cells*/) {}
};

}  // namespace velmora
