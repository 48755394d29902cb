// SPDX-License-Identifier: MIT
#include "runs/Rounding.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace velmora {

namespace {

/// Significant digits of the run list's written form.
constexpr int kSignificantDigits = 10;

/// 2^52: from here on a double holds no fraction, so it is a whole number at any scale.
constexpr double kWholeFrom = 4503599627370496.0;

// std::to_chars into a string that grows until the text fits: never cut, never the error
// ignored. It writes digits and a full stop whatever the process locale.
template <typename... Format>
std::string CharsOf(double x, Format... format)
{
    // Most numbers fit a buffer on the stack, and their text then fits the string's own room.
    char digits[64];
    const auto quick = std::to_chars(digits, digits + sizeof digits, x, format...);
    if (quick.ec == std::errc())
        return std::string(digits, quick.ptr);
    std::string text(2 * sizeof digits, '\0');
    for (;;) {
        const auto result = std::to_chars(text.data(), text.data() + text.size(), x, format...);
        if (result.ec == std::errc()) {
            text.resize(static_cast<std::size_t>(result.ptr - text.data()));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// Drops trailing zeros of a fraction, then a point left alone at the end.
std::string_view WithoutTrailingZeros(std::string_view digits)
{
    if (digits.find('.') == std::string_view::npos)
        return digits;
    while (digits.back() == '0')
        digits.remove_suffix(1);
    if (digits.back() == '.')
        digits.remove_suffix(1);
    return digits;
}

// The powers of ten a double holds exactly, as std::pow gives them, without its cost.
constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// x × 10^decimals rounded to a whole number, halves away from zero, with the scale; false when
// the scaled value is 2^52 or more (or no number): it is whole already at that scale, and
// dividing again could only move it away from itself.
bool ScaledWhole(double x, int decimals, double& scale, double& whole)
{
    scale = decimals >= 0 && decimals < 16 ? kPowers[decimals] : std::pow(10.0, decimals);
    const double scaled = x * scale;
    if (!(std::fabs(scaled) < kWholeFrom))
        return false;
    whole = std::round(scaled);
    return true;
}

}  // namespace

double RoundTo4(double x)
{
    const double a = std::fabs(x * 10000.0);
    const double c = std::ceil(a);
    const double magnitude = (c - a > 0.5) ? (c - 1.0) * 0.0001 : c * 0.0001;
    return x < 0 ? -magnitude : magnitude;
}

double RoundToDecimals(double x, int decimals)
{
    double scale = 0;
    double whole = 0;
    if (!ScaledWhole(x, decimals, scale, whole))
        return x + 0.0;
    // + 0.0 turns a negative value that rounds to zero into 0, not −0.
    return whole / scale + 0.0;
}

std::string NumberText(double x)
{
    // The written form has always been C's "%.10G" with the exponent's plus sign and leading
    // zeros dropped. std::to_chars gives the same digits (both round the exact binary value)
    // and, unlike printf, never takes the decimal separator from the process locale.
    if (!std::isfinite(x))
        return std::isnan(x) ? (std::signbit(x) ? "-NAN" : "NAN") : (x < 0 ? "-INF" : "INF");

    const std::string scientific = CharsOf(x, std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view written(scientific);
    const std::size_t e = written.find('e');
    const int exponent = std::atoi(written.data() + e + 1);  // the exponent after rounding

    // %G's rule: plain notation while the exponent lies in [-4, precision), else the E form.
    if (exponent >= -4 && exponent < kSignificantDigits) {
        const std::string fixed = CharsOf(x, std::chars_format::fixed, kSignificantDigits - 1 - exponent);
        return std::string(WithoutTrailingZeros(fixed));
    }
    std::string text(WithoutTrailingZeros(written.substr(0, e)));
    text += 'E';
    if (exponent < 0)
        text += '-';
    text += std::to_string(std::abs(exponent));
    return text;
}

void AppendFixedText(std::string& text, double x, int decimals)
{
    if (!std::isfinite(x)) {
        text += '-';
        return;
    }
    double scale = 0;
    double whole = 0;
    if (decimals < 0 || decimals >= 16 || !ScaledWhole(x, decimals, scale, whole)) {
        text += CharsOf(RoundToDecimals(x, decimals), std::chars_format::fixed, decimals);
        return;
    }
    // Below 2^52 the double nearest whole / 10^d lies less than half the last decimal's step
    // from it, so writing that double at d decimals gives the digits of `whole` themselves:
    // they are written from the whole number, the point put in before the last d.
    std::uint64_t digits = static_cast<std::uint64_t>(std::fabs(whole));
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits != 0 || count <= decimals);
    if (whole < 0)
        text += '-';
    for (int i = count; i-- > 0;) {
        text += reversed[i];
        if (i == decimals && i > 0)
            text += '.';
    }
}

std::string FixedText(double x, int decimals)
{
    std::string text;
    AppendFixedText(text, x, decimals);
    return text;
}

std::string ShortestText(double x)
{
    if (!std::isfinite(x))
        return "-";
    return CharsOf(x);
}

}  // namespace velmora
