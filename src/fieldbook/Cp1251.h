// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The field book's texts are Windows-1251 bytes and stay so inside the program; they meet
// Unicode (the window, JSON, workbooks) only through the one table below, built into the
// program: no converter of the system that could be missing.
//
// Russian texts of our own are written in UTF-8 in the source, never as escapes. The core
// holds them as Windows-1251 bytes made from the UTF-8 when the program is compiled
// (`constexpr std::string_view kHeading = "dZдоп"_cp1251;`); the window hands its own to Qt
// as they are (QStringLiteral).

/// The characters of the bytes 0x80 to 0xFF, in byte order (the bytes below 0x80 are ASCII).
/// 0x98, which Windows-1251 leaves undefined, is U+FFFD, so every byte string converts.
inline constexpr std::array<char16_t, 128> kCp1251UpperHalf = {
    u'\u0402', u'\u0403', u'\u201A', u'\u0453', u'\u201E', u'\u2026', u'\u2020', u'\u2021',  // 80 ЂЃ‚ѓ„…†‡
    u'\u20AC', u'\u2030', u'\u0409', u'\u2039', u'\u040A', u'\u040C', u'\u040B', u'\u040F',  // 88 €‰Љ‹ЊЌЋЏ
    u'\u0452', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',  // 90 ђ‘’“”•–—
    u'\uFFFD', u'\u2122', u'\u0459', u'\u203A', u'\u045A', u'\u045C', u'\u045B', u'\u045F',  // 98 (undefined) ™љ›њќћџ
    u'\u00A0', u'\u040E', u'\u045E', u'\u0408', u'\u00A4', u'\u0490', u'\u00A6', u'\u00A7',  // A0 (no-break space) ЎўЈ¤Ґ¦§
    u'\u0401', u'\u00A9', u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u0407',  // A8 Ё©Є«¬ (soft hyphen) ®Ї
    u'\u00B0', u'\u00B1', u'\u0406', u'\u0456', u'\u0491', u'\u00B5', u'\u00B6', u'\u00B7',  // B0 °±Ііґµ¶·
    u'\u0451', u'\u2116', u'\u0454', u'\u00BB', u'\u0458', u'\u0405', u'\u0455', u'\u0457',  // B8 ё№є»јЅѕї
    u'\u0410', u'\u0411', u'\u0412', u'\u0413', u'\u0414', u'\u0415', u'\u0416', u'\u0417',  // C0 АБВГДЕЖЗ
    u'\u0418', u'\u0419', u'\u041A', u'\u041B', u'\u041C', u'\u041D', u'\u041E', u'\u041F',  // C8 ИЙКЛМНОП
    u'\u0420', u'\u0421', u'\u0422', u'\u0423', u'\u0424', u'\u0425', u'\u0426', u'\u0427',  // D0 РСТУФХЦЧ
    u'\u0428', u'\u0429', u'\u042A', u'\u042B', u'\u042C', u'\u042D', u'\u042E', u'\u042F',  // D8 ШЩЪЫЬЭЮЯ
    u'\u0430', u'\u0431', u'\u0432', u'\u0433', u'\u0434', u'\u0435', u'\u0436', u'\u0437',  // E0 абвгдежз
    u'\u0438', u'\u0439', u'\u043A', u'\u043B', u'\u043C', u'\u043D', u'\u043E', u'\u043F',  // E8 ийклмноп
    u'\u0440', u'\u0441', u'\u0442', u'\u0443', u'\u0444', u'\u0445', u'\u0446', u'\u0447',  // F0 рстуфхцч
    u'\u0448', u'\u0449', u'\u044A', u'\u044B', u'\u044C', u'\u044D', u'\u044E', u'\u044F',  // F8 шщъыьэюя
};

/// The character of one Windows-1251 byte.
constexpr char16_t Cp1251ToUnicode(unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : kCp1251UpperHalf[byte - 0x80];
}

/// The Windows-1251 byte of a character, if it has one (U+FFFD has none).
constexpr std::optional<unsigned char> UnicodeToCp1251(char32_t character)
{
    if (character < 0x80)
        return static_cast<unsigned char>(character);
    for (std::size_t i = 0; i < kCp1251UpperHalf.size(); ++i) {
        if (kCp1251UpperHalf[i] == character && character != u'\uFFFD')
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

/// One character read from UTF-8 text at `at`: the character and the bytes it took, or none
/// when the bytes there are no valid UTF-8 (a stray or missing continuation byte, an overlong
/// form, a surrogate, beyond U+10FFFF).
struct Utf8Character {
    std::optional<char32_t> character;
    std::size_t length = 1;
};
constexpr Utf8Character ReadUtf8(std::string_view utf8, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80)
        return {lead, 1};
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || at + length > utf8.size())
        return {};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[at + k]);
        if ((next & 0xC0) != 0x80)
            return {};
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    return {code, length};
}

/// Windows-1251 bytes to UTF-8; 0x98 becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);

/// The bytes as they stand, unconverted: where a text of the book is passed on in Windows-1251
/// (to JSON, which converts it itself) in place of Cp1251ToUtf8.
std::string Cp1251AsIs(std::string_view bytes);

/// Windows-1251 bytes to UTF-16, one unit a byte; 0x98 becomes U+FFFD.
std::u16string Cp1251ToUtf16(std::string_view bytes);

/// UTF-8 to Windows-1251. A character Windows-1251 cannot hold becomes "?", and so does a
/// byte that is not valid UTF-8 together with the continuation bytes after it.
std::string Utf8ToCp1251(std::string_view utf8);

/// A text given in UTF-8 (a name typed, a file name, a line of a list file) as the field book
/// writes its texts: Windows-1251 where the text is UTF-8 that Windows-1251 can hold, the bytes
/// as they are otherwise (they may be Windows-1251 already).
std::string Utf8AsBookText(std::string_view utf8);

/// A UTF-8 literal of the source as Windows-1251 bytes, converted when the program is compiled;
/// a character that Windows-1251 cannot hold stops the compilation. Used through _cp1251.
template <std::size_t N>
struct Cp1251Text {
    char bytes[N] = {};
    std::size_t size = 0;

    consteval Cp1251Text(const char (&utf8)[N])  // NOLINT: made from literals on purpose
    {
        const std::string_view text(utf8, N - 1);
        for (std::size_t at = 0; at < text.size();) {
            const Utf8Character read = ReadUtf8(text, at);
            const std::optional<unsigned char> byte = UnicodeToCp1251(read.character.value());
            bytes[size++] = static_cast<char>(byte.value());
            at += read.length;
        }
    }
    constexpr std::string_view view() const { return {bytes, size}; }
};

/// "Пункт"_cp1251: the Windows-1251 bytes of a UTF-8 literal, as a view of bytes that live as
/// long as the program.
template <Cp1251Text Text>
constexpr std::string_view operator""_cp1251()
{
    return Text.view();
}

}  // namespace velmora
