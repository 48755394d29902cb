// SPDX-License-Identifier: MIT
#include "fieldbook/Cp1251.h"

namespace velmora {

std::string Cp1251AsIs(std::string_view bytes)
{
    return std::string(bytes);
}

std::string Cp1251ToUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const char16_t character = Cp1251ToUnicode(static_cast<unsigned char>(c));
        if (character < 0x80) {
            utf8 += static_cast<char>(character);
        } else if (character < 0x800) {
            utf8 += static_cast<char>(0xC0 | (character >> 6));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (character >> 12));
            utf8 += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        }
    }
    return utf8;
}

std::u16string Cp1251ToUtf16(std::string_view bytes)
{
    std::u16string utf16(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        utf16[i] = Cp1251ToUnicode(static_cast<unsigned char>(bytes[i]));
    return utf16;
}

std::string Utf8ToCp1251(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Character read = ReadUtf8(utf8, at);
        if (!read.character) {
            // One "?" for the bad byte and the continuation bytes that follow it.
            bytes += '?';
            ++at;
            while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80)
                ++at;
            continue;
        }
        bytes += static_cast<char>(UnicodeToCp1251(*read.character).value_or('?'));
        at += read.length;
    }
    return bytes;
}

std::string Utf8AsBookText(std::string_view utf8)
{
    // Converting back must give the text again: one that is not UTF-8, or holds a character
    // Windows-1251 has not, is taken as the bytes given.
    std::string converted = Utf8ToCp1251(utf8);
    return Cp1251ToUtf8(converted) == utf8 ? converted : std::string(utf8);
}

}  // namespace velmora
