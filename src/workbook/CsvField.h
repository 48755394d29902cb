// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// A text as one CSV field (RFC 4180): as it is, unless it holds a comma, a quote or a line
/// break; then in quotes, each quote doubled.
std::string CsvField(std::string_view text);

}  // namespace velmora
