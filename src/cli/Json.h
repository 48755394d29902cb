// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora::cli {

/// A JSON string from field-book bytes: Windows-1251 turned into UTF-8, then escaped.
std::string JsonString(std::string_view bytes);

/// ShortestText of the value; "null" when the value does not apply or is not finite.
std::string JsonNumber(double value, bool applies = true);

}  // namespace velmora::cli
