// SPDX-License-Identifier: MIT
#include "runs/Rounding.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velmora {

namespace {

/// Significant digits of the written form.
constexpr int kSignificantDigits = 10;

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

}  // namespace

double RoundTo4(double x)
{
    const double a = std::fabs(x * 10000.0);
    const double c = std::ceil(a);
    const double magnitude = (c - a > 0.5) ? (c - 1.0) * 0.0001 : c * 0.0001;
    return x < 0 ? -magnitude : magnitude;
}

std::string NumberText(double x)
{
    // The written form has always been C's "%.10G" with the exponent's plus sign and leading
    // zeros dropped. std::to_chars gives the same digits (both round the exact binary value)
    // and, unlike printf, never takes the decimal separator from the process locale.
    if (!std::isfinite(x))
        return std::isnan(x) ? (std::signbit(x) ? "-NAN" : "NAN") : (x < 0 ? "-INF" : "INF");

    std::array<char, 64> scientific{};
    const auto sci = std::to_chars(scientific.data(), scientific.data() + scientific.size(), x,
                                   std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view written(scientific.data(), static_cast<std::size_t>(sci.ptr - scientific.data()));
    const std::size_t e = written.find('e');
    const int exponent = std::atoi(written.data() + e + 1);  // the exponent after rounding

    // %G's rule: plain notation while the exponent lies in [-4, precision), else the E form.
    if (exponent >= -4 && exponent < kSignificantDigits) {
        std::array<char, 64> fixed{};
        const auto fix = std::to_chars(fixed.data(), fixed.data() + fixed.size(), x,
                                       std::chars_format::fixed, kSignificantDigits - 1 - exponent);
        return std::string(WithoutTrailingZeros(
            std::string_view(fixed.data(), static_cast<std::size_t>(fix.ptr - fixed.data()))));
    }
    std::string text(WithoutTrailingZeros(written.substr(0, e)));
    text += 'E';
    if (exponent < 0)
        text += '-';
    text += std::to_string(std::abs(exponent));
    return text;
}

}  // namespace velmora
