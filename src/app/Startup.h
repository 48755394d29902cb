// SPDX-License-Identifier: MIT
#pragma once

// What the program does before its first window: the command-line answers that need no
// display, and the application's settings that every window relies on.

#include <optional>
#include <ostream>
#include <string>

class QApplication;

namespace velmora::app {

/// The command line as far as it needs no display: `--help` or `--version` prints the usage or
/// the version to `out` and gives the exit status, 0, or 1 with one line on `err` when `out`
/// cannot take the text (a closed or full standard output). Any other argument that begins
/// with `--` is wrong usage: one line on `err`, status 2. A `--` ends the options: the
/// argument after it is a file name, whatever it begins with. Otherwise the window opens
/// (nothing printed, no value).
std::optional<int> AnswerWithoutWindow(int argc, const char* const* argv, std::ostream& out,
                                       std::ostream& err);

/// The field book to open at start, from the arguments that Qt left (its own options taken
/// out): the first, or the one after a leading `--`; empty when none is given.
std::string StartFileOf(int argc, const char* const* argv);

/// Right after the QApplication is built and before anything else runs: points Qt's user
/// settings where nothing can be written (the file dialogs' history would otherwise land in
/// the user's QtProject.conf), keeps the C library's
/// numbers in the "C" locale whatever the desktop's language (the workbook writer prints
/// numbers through it), and installs Qt's own Russian texts for its dialogs, since the
/// interface is Russian whatever the locale. True when the Russian texts were found.
bool PrepareApplication(QApplication& application);

}  // namespace velmora::app
