// SPDX-License-Identifier: MIT
#pragma once

// Texts cross between the core (Windows-1251 bytes) and Qt (Unicode) only here.

#include <QString>

#include <string>
#include <string_view>

namespace velmora::app {

/// Windows-1251 bytes as Unicode; the undefined byte 0x98 shows as U+FFFD.
QString FromCp1251(std::string_view bytes);

/// Unicode as Windows-1251 bytes; a character Windows-1251 lacks becomes "?".
std::string ToCp1251(const QString& text);

/// A text of the catalogue (Tr, TrIn, Fill: UTF-8) as Qt shows it.
QString FromUtf8(std::string_view text);

/// A path as the file system holds it (bytes) and back.
QString FromPath(const std::string& path);
std::string ToPath(const QString& path);

}  // namespace velmora::app
