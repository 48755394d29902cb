// SPDX-License-Identifier: MIT
#pragma once

// What the program does before its first window: the command-line answers that need no
// display, and the application's settings that every window relies on.

#include <optional>
#include <ostream>

class QApplication;

namespace velmora::app {

/// `--help` or `--version` as the only argument: prints the usage or the version to `out` and
/// gives the exit status: 0, or 1 with one line on `err` when `out` cannot take the text (a
/// closed or full standard output). Any other command line is left to the window (nothing is
/// printed, no value): a single other argument is the path of a field book.
std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err);

/// Right after the QApplication is built and before anything else runs: points Qt's user
/// settings where nothing can be written (the file dialogs' history would otherwise land in
/// the user's QtProject.conf), keeps the C library's
/// numbers in the "C" locale whatever the desktop's language (the workbook writer prints
/// numbers through it), and installs Qt's own Russian texts for its dialogs, since the
/// interface is Russian whatever the locale. True when the Russian texts were found.
bool PrepareApplication(QApplication& application);

}  // namespace velmora::app
