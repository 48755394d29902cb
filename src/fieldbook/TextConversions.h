// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace velmora {

/// The text without leading and trailing white space. White space is exactly the six bytes
/// space, tab, line feed, vertical tab, form feed and carriage return; bytes of 128 and above
/// (Cyrillic letters in Windows-1251) are never white space. Returns a view into `text`.
inline std::string_view TrimText(std::string_view text)
{
    auto isWhiteSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (!text.empty() && !isWhiteSpace(text.front()) && !isWhiteSpace(text.back()))
        return text;  // nothing to drop, as a word's data mostly is
    // A field cut at its columns is padded with blanks: they are counted eight bytes at a time
    // where the machine keeps the lowest byte first, the other white space byte by byte.
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    const auto notBlanks = [&](std::size_t at) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, text.data() + at, sizeof bytes);
        return bytes ^ kBlanks;  // a zero byte for each blank
    };
    constexpr bool kLowestFirst = std::endian::native == std::endian::little;
    std::size_t begin = 0;
    for (std::uint64_t other = 0; kLowestFirst && begin + 8 <= text.size(); begin += 8) {
        if ((other = notBlanks(begin)) != 0) {
            begin += static_cast<std::size_t>(std::countr_zero(other)) / 8;
            break;
        }
    }
    while (begin < text.size() && isWhiteSpace(text[begin]))
        ++begin;
    std::size_t end = text.size();
    for (std::uint64_t other = 0; kLowestFirst && end >= begin + 8; end -= 8) {
        if ((other = notBlanks(end - 8)) != 0) {
            end -= static_cast<std::size_t>(std::countl_zero(other)) / 8;
            break;
        }
    }
    while (end > begin && isWhiteSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

/// The number written in `text`, accepting a decimal point or a decimal comma (1.25 and 1,25
/// both give 1.25). Only the first point counts as a decimal separator, so 1.2.3 is no number.
///
/// A text that is not a number (empty, letters, two separators, out of the range of a double)
/// gives a quiet NaN. NaN is the marker for a missing value: it spreads through every sum it
/// enters, so a misclosure or height built from an unreadable reading can never come out as a
/// plausible number. Callers test the end result with std::isfinite.
double TextToNumber(std::string_view text);

/// Bytes for a message or a page, with control characters (below 0x20, and 0x7F) shown as
/// `\xNN`, so that a name cannot break a line or move a terminal's cursor. Other bytes stay.
std::string ControlCharactersShown(std::string_view bytes);

/// As ControlCharactersShown, and every byte that is not part of a valid UTF-8 character shown
/// as `\xNN` too: the result is valid UTF-8 whatever the bytes were.
std::string PrintableUtf8(std::string_view bytes);

}  // namespace velmora
