#include "fieldbook/TextConversions.h"

#include <charconv>
#include <limits>
#include <string>

namespace velmora {

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

std::string_view TrimText(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin]))
        ++begin;
    std::size_t end = text.size();
    while (end > begin && IsWhiteSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

double TextToNumber(std::string_view text)
{
    // The field book and the user may write either separator; the first point is read as the
    // comma, and after that the comma is the one decimal separator. Blanks around the number
    // are allowed, as the height typed into the export dialog is taken untrimmed.
    const std::string_view trimmed = TrimText(text);

    // Accepted form: [sign] digits [sep digits] [e [sign] digits], with at least one digit
    // before or after the separator. Checked here so that forms the C++ reader would take but
    // a surveyor never writes (inf, nan, hexadecimal) are not numbers.
    std::string normalised;
    normalised.reserve(trimmed.size());
    bool pointReplaced = false;
    for (char c : trimmed) {
        if (c == '.' && !pointReplaced) {
            c = ',';
            pointReplaced = true;
        }
        normalised.push_back(c);
    }

    std::size_t i = 0;
    const std::size_t n = normalised.size();
    bool negative = false;
    if (i < n && (normalised[i] == '+' || normalised[i] == '-')) {
        negative = normalised[i] == '-';
        ++i;
    }
    const std::size_t mantissaBegin = i;
    std::size_t digits = 0;
    while (i < n && IsDigit(normalised[i])) {
        ++i;
        ++digits;
    }
    if (i < n && normalised[i] == ',') {
        normalised[i] = '.';  // std::from_chars always reads a point
        ++i;
        while (i < n && IsDigit(normalised[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return kNotANumber;
    if (i < n && (normalised[i] == 'e' || normalised[i] == 'E')) {
        ++i;
        if (i < n && (normalised[i] == '+' || normalised[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < n && IsDigit(normalised[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return kNotANumber;
    }
    if (i != n)
        return kNotANumber;

    double value = 0;
    const char* first = normalised.data() + mantissaBegin;
    const char* last = normalised.data() + n;
    // from_chars does not take a leading '+', and a mantissa such as ".5" or "5." is fine for it.
    if (*first == '+' || *first == '-')
        return kNotANumber;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last)
        return kNotANumber;
    return negative ? -value : value;
}

}  // namespace velmora
