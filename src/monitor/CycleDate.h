// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// The day of an ISO date "YYYY-MM-DD" (exactly ten characters, a day of the Gregorian
/// calendar that exists) as days since 1970-01-01; nothing for any other text.
std::optional<long> DayOfDate(std::string_view date);

/// The words for a text that DayOfDate refuses, in the user's language.
std::string NotADateText(std::string_view text);

}  // namespace velmora
