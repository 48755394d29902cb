// SPDX-License-Identifier: MIT
#include "fieldbook/TextConversions.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <limits>
#include <string>

namespace velmora {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

namespace {

// The form nearly every reading and distance has: [sign] digits [separator digits], at most 15
// digits in all. Such a number is its digits as a whole number divided by a power of ten, both
// exact doubles, and one division rounds the quotient correctly, as from_chars does: the result
// is the same to the last bit. Nothing for any other text.
std::optional<double> ShortDecimal(std::string_view trimmed)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr std::size_t kMaxDigits = 15;  // below 2^53: every such whole number is exact
    const char* at = trimmed.data();
    const char* const end = at + trimmed.size();
    bool negative = false;
    if (at < end && (*at == '+' || *at == '-')) {
        negative = *at == '-';
        ++at;
    }
    // The whole part, then the fraction after the separator; each a run of digits.
    std::uint64_t digits = 0;
    const auto readDigits = [&] {
        const char* const from = at;
        for (; at < end && IsDigit(*at); ++at)
            digits = digits * 10 + static_cast<std::uint64_t>(*at - '0');
        return static_cast<std::size_t>(at - from);
    };
    std::size_t count = readDigits();
    std::size_t decimals = 0;
    if (at < end && (*at == '.' || *at == ',')) {
        ++at;
        decimals = readDigits();
        count += decimals;
    }
    if (at != end || count == 0 || count > kMaxDigits)
        return std::nullopt;
    const double value = static_cast<double>(digits) / kPowersOfTen[decimals];
    return negative ? -value : value;
}

}  // namespace

namespace {
// Every text through the checked form and the standard reader (no shortcut).
double TextToNumberByReader(std::string_view text);
}  // namespace

double TextToNumber(std::string_view text)
{
    const std::string_view trimmedText = TrimText(text);
    if (const std::optional<double> value = ShortDecimal(trimmedText))
        return *value;
    return TextToNumberByReader(trimmedText);
}

namespace {

// Where the parts of a number in the accepted form stand in its trimmed text.
struct NumberForm {
    bool negative = false;
    std::size_t mantissaBegin = 0;                   // after the sign
    std::size_t separator = std::string_view::npos;  // the decimal separator, if any
};

// Accepted form: [sign] digits [, digits] [e [sign] digits], with at least one digit before
// or after the comma, where `charAt` gives each character with the first point read as a
// comma. Checked here so that forms the C++ reader would also take but a surveyor never
// writes (inf, nan, hexadecimal) are no numbers.
template <typename CharAt>
std::optional<NumberForm> AcceptedForm(std::size_t n, CharAt charAt)
{
    NumberForm form;
    std::size_t i = 0;
    if (i < n && (charAt(i) == '+' || charAt(i) == '-')) {
        form.negative = charAt(i) == '-';
        ++i;
    }
    form.mantissaBegin = i;
    const auto skipDigits = [&] {
        const std::size_t from = i;
        while (i < n && IsDigit(charAt(i)))
            ++i;
        return i - from;
    };
    std::size_t digits = skipDigits();
    if (i < n && charAt(i) == ',') {
        form.separator = i++;
        digits += skipDigits();
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (charAt(i) == 'e' || charAt(i) == 'E')) {
        ++i;
        if (i < n && (charAt(i) == '+' || charAt(i) == '-'))
            ++i;
        if (skipDigits() == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return form;
}

// The number of `trimmed`, in the accepted `form`, read by from_chars, which reads a point:
// the separator becomes one in a copy, which stays on the stack as numbers are short.
double ReadAcceptedNumber(std::string_view trimmed, const NumberForm& form)
{
    const std::size_t length = trimmed.size() - form.mantissaBegin;
    std::string heap;
    char stack[64];
    char* copy = stack;
    if (length > sizeof stack) {
        heap.resize(length);
        copy = heap.data();
    }
    trimmed.copy(copy, length, form.mantissaBegin);
    if (form.separator != std::string_view::npos)
        copy[form.separator - form.mantissaBegin] = '.';

    double value = 0;
    const auto [end, error] = std::from_chars(copy, copy + length, value, std::chars_format::general);
    if (error != std::errc() || end != copy + length)
        return kNotANumber;
    return form.negative ? -value : value;
}

double TextToNumberByReader(std::string_view text)
{
    // The field book and the user may write either separator: the first point is read as a
    // comma, and then the comma is the one decimal separator (so 1.2.3 and 1,2.3 are no
    // numbers). Blanks around the number are allowed, as the height typed into the export
    // dialog is taken untrimmed.
    const std::string_view trimmed = TrimText(text);
    const std::size_t firstPoint = trimmed.find('.');
    const auto charAt = [&](std::size_t i) { return i == firstPoint ? ',' : trimmed[i]; };
    const std::optional<NumberForm> form = AcceptedForm(trimmed.size(), charAt);
    return form ? ReadAcceptedNumber(trimmed, *form) : kNotANumber;
}

}  // namespace

namespace {

void AppendHex(std::string& text, unsigned char byte)
{
    static const char kHex[] = "0123456789abcdef";
    text += "\\x";
    text += kHex[byte >> 4];
    text += kHex[byte & 0xF];
}

bool IsControl(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F;
}

// The length of the valid UTF-8 character at the start of `bytes`, or 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t Utf8CharacterLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char first = at(0);
    if (first < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : 0x80;
        high = first == 0xED ? 0x9F : 0xBF;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : 0x80;
        high = first == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return length;
}

}  // namespace

std::string ControlCharactersShown(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (const char c : bytes) {
        if (IsControl(static_cast<unsigned char>(c)))
            AppendHex(shown, static_cast<unsigned char>(c));
        else
            shown += c;
    }
    return shown;
}

std::string PrintableUtf8(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    while (!bytes.empty()) {
        const auto first = static_cast<unsigned char>(bytes.front());
        const std::size_t length = Utf8CharacterLength(bytes);
        if (length == 0 || IsControl(first)) {
            AppendHex(shown, first);
            bytes.remove_prefix(1);
        } else {
            shown.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
    return shown;
}

}  // namespace velmora
