// SPDX-License-Identifier: MIT
#pragma once

// The usage of the tool, whole (--help, `help`) or one command's part (`help COMMAND`,
// `COMMAND --help`), in the user's language. The synopsis lines are the same in every
// language; the words under them are translated.

#include <string>
#include <string_view>
#include <vector>

namespace velmora {
struct BookFormat;
}

namespace velmora::cli {

/// The whole usage: every command, what FILE and --output may be, the exit statuses.
std::string UsageText();

/// "Usage:" with the one command's synopsis and description; empty for no such command.
std::string CommandUsageText(std::string_view command);

/// What FILE may be: a paragraph of the usage that lists `formats` (BookFormats(), the book
/// formats of the layout table) with their usage words, and says how some are saved.
std::string BookFormatsText(const std::vector<const BookFormat*>& formats);

/// Whether `name` is one of the commands (runs, save, export, adjust, check, report,
/// monitor).
bool IsCommand(std::string_view name);

/// The command whose name lies nearest to `typed` (at most two letters added, removed or
/// changed, and fewer than the name has); empty when none is that near.
std::string NearestCommand(std::string_view typed);

/// "unknown command 'X'", with the nearest command when one is near.
std::string UnknownCommandText(std::string_view typed);

/// The line after a usage error: where to read more, the command's own part of the help when
/// `command` is one of the commands, the whole help otherwise.
std::string SeeHelpText(std::string_view command);

}  // namespace velmora::cli
