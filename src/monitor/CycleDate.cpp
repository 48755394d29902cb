// SPDX-License-Identifier: MIT
#include "monitor/CycleDate.h"

#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <chrono>

namespace velmora {

namespace {

std::optional<int> Digits(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<long> DayOfDate(std::string_view date)
{
    if (date.size() != 10 || date[4] != '-' || date[7] != '-')
        return std::nullopt;
    const auto year = Digits(date.substr(0, 4));
    const auto month = Digits(date.substr(5, 2));
    const auto day = Digits(date.substr(8, 2));
    if (!year || !month || !day)
        return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year(*year),
                                          std::chrono::month(static_cast<unsigned>(*month)),
                                          std::chrono::day(static_cast<unsigned>(*day))};
    if (!ymd.ok())
        return std::nullopt;
    return static_cast<long>(std::chrono::sys_days(ymd).time_since_epoch().count());
}

std::string NotADateText(std::string_view text)
{
    return Fill(Tr("'{1}' is no date (YYYY-MM-DD)"), {ControlCharactersShown(text)});
}

}  // namespace velmora
