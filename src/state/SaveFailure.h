// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora {

/// The reason a file could not be saved, in the catalogue's words (Windows-1251), for the
/// usual causes: no such folder, no permission, a read-only file or disk, a folder, a full
/// disk, a name too long, a loop of symbolic links. `code` is the failure's code (`Failure::code`: an errno value or
/// an `OwnFailure`). Empty when the cause is none of these; the system's own text is shown then.
std::string SaveFailureReason(int code);

}  // namespace velmora
