// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// The field book's texts are Windows-1251 bytes and stay so inside the program; these convert
/// them where they meet Unicode (the window, JSON, workbooks).

/// Windows-1251 bytes to UTF-8. The one byte that Windows-1251 leaves undefined (0x98) becomes
/// U+FFFD, so any byte string converts.
std::string Cp1251ToUtf8(std::string_view bytes);

/// UTF-8 to Windows-1251. A character Windows-1251 cannot hold, or a byte that is not valid
/// UTF-8, becomes "?".
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace velmora
