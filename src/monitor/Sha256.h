// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// The SHA-256 digest of `bytes` (FIPS 180-4) as 64 lowercase hexadecimal digits. A project
/// keeps it beside each field book's bytes, so that the same book is not added twice.
std::string Sha256Hex(std::string_view bytes);

}  // namespace velmora
