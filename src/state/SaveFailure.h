// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// The reason a file could not be saved, in Russian (Windows-1251), for the usual causes: no
/// such folder, no permission, a read-only file or disk, a folder, a full disk, a name too long,
/// a loop of symbolic links. `systemText` is
/// the reason the core reported: the C library's text of the error number, possibly followed
/// by details. Empty when the cause is none of these; the system's own text is shown then.
std::string SaveFailureReason(std::string_view systemText);

}  // namespace velmora
