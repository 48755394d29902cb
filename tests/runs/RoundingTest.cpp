// SPDX-License-Identifier: MIT
#include "runs/Rounding.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using velmora::FixedText;
using velmora::NumberText;
using velmora::RoundTo4;
using velmora::RoundToDecimals;
using velmora::ShortestText;

TEST(RoundTo4Test, WrittenFormsOfTheShownMisclosures)
{
    EXPECT_EQ(NumberText(RoundTo4(0.00344)), "0.0034");
    EXPECT_EQ(NumberText(RoundTo4(0.00125)), "0.0013");
    EXPECT_EQ(NumberText(RoundTo4(-0.00016)), "-0.0002");
    EXPECT_EQ(NumberText(RoundTo4(0.0)), "0");
    EXPECT_EQ(NumberText(RoundTo4(1.5)), "1.5");
    EXPECT_EQ(NumberText(RoundTo4(0.00005)), "0.0001");
    EXPECT_EQ(NumberText(RoundTo4(0.002)), "0.002");
    EXPECT_EQ(NumberText(RoundTo4(-12.34567)), "-12.3457");
    EXPECT_EQ(NumberText(RoundTo4(1000.29944)), "1000.2994");
}

TEST(RoundTo4Test, NegativeValueRoundingToZeroIsNegativeZero)
{
    const double r = RoundTo4(-0.00003);
    EXPECT_EQ(r, 0.0);
    EXPECT_TRUE(std::signbit(r));
    EXPECT_EQ(NumberText(r), "-0");
    EXPECT_FALSE(std::signbit(RoundTo4(0.00003)));
}

TEST(RoundTo4Test, HalvesGoAwayFromZeroAsComputedInDoubles)
{
    // 2.5 ten-thousandths exactly: c − a = 0.5 is not above 0.5, so the magnitude rounds up.
    EXPECT_EQ(RoundTo4(0.00025), 3 * 0.0001);
    EXPECT_EQ(RoundTo4(-0.00025), -(3 * 0.0001));
    // The result is c × 0.0001 in doubles, not c / 10000.
    EXPECT_EQ(RoundTo4(0.0034), 34 * 0.0001);
    EXPECT_EQ(RoundTo4(0.00034999), 3 * 0.0001);
}

TEST(NumberTextTest, PlainNotationBelowTenBillionExponentAbove)
{
    EXPECT_EQ(NumberText(123456.7891), "123456.7891");
    EXPECT_EQ(NumberText(9999999999.0), "9999999999");
    EXPECT_EQ(NumberText(1e10), "1E10");
    EXPECT_EQ(NumberText(-1.5e12), "-1.5E12");
    EXPECT_EQ(NumberText(0.0001), "0.0001");
}

// The written form is C's "%.10G" (exponent without plus sign and leading zeros): compared
// with the C library in the "C" locale over the edges and a spread of magnitudes.
TEST(NumberTextTest, SameDigitsAsTheCLibraryInTheCLocale)
{
    auto printfForm = [](double x) {
        char text[64];
        std::snprintf(text, sizeof text, "%.10G", x);
        std::string s = text;
        const auto e = s.find('E');
        if (e == std::string::npos)
            return s;
        std::string exponent = s.substr(e + 1);
        const std::string sign = exponent[0] == '-' ? "-" : "";
        exponent.erase(0, 1);
        while (exponent.size() > 1 && exponent[0] == '0')
            exponent.erase(0, 1);
        return s.substr(0, e) + "E" + sign + exponent;
    };
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    std::vector<double> values = {0.0,        -0.0,         0.00005,      0.00015,     0.5,
                                  2.5,        1.00000000005, 1.00000000015, 9999999999.5,
                                  9999999999.4, 99999.999995, 0.0001,      0.00009999999999,
                                  0.000099999999995, 1e-5,  1.25e-7,      123456789012.0,
                                  1e10,       -1e10,        1e300,        -2.5e-300,
                                  5e-324,     1.7976931348623157e308, 1000.2994, -12.3457,
                                  0.1 + 0.2,  1.0 / 3.0,    -2.0 / 3.0,   1e9,         123456.78905};
    std::mt19937_64 random(9);
    for (int i = 0; i < 20000; ++i) {
        const int exponent = static_cast<int>(random() % 40) - 20;
        const double mantissa = static_cast<double>(random() % 2000000001) / 1e9 - 1.0;
        values.push_back(mantissa * std::pow(10.0, exponent));
        values.push_back(std::round(mantissa * 1e6) / 1e4);  // ties of four decimals
    }
    for (double x : values)
        ASSERT_EQ(NumberText(x), printfForm(x)) << "for " << x;
    EXPECT_EQ(NumberText(std::nan("")), "NAN");
    EXPECT_EQ(NumberText(-HUGE_VAL), "-INF");
}

TEST(NumberTextTest, FullStopWhateverTheProcessLocale)
{
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_NUMERIC, name)) {
            ADD_FAILURE() << name << " is not installed (scripts/setup.sh generates it)";
            continue;
        }
        EXPECT_EQ(NumberText(-0.0015), "-0.0015") << name;
        EXPECT_EQ(NumberText(-1.5e12), "-1.5E12") << name;
        EXPECT_EQ(FixedText(-21.6404, 3), "-21.640") << name;
        EXPECT_EQ(ShortestText(0.1 + 0.2), "0.30000000000000004") << name;
    }
    std::setlocale(LC_NUMERIC, "C");
}

TEST(FixedTextTest, HalvesGoAwayFromZeroAtEveryNumberOfDecimals)
{
    EXPECT_EQ(FixedText(0.125, 2), "0.13");  // an exact tie in binary too
    EXPECT_EQ(FixedText(-0.125, 2), "-0.13");
    EXPECT_EQ(FixedText(0.00005, 4), "0.0001");
    EXPECT_EQ(FixedText(-0.00005, 4), "-0.0001");
    EXPECT_EQ(FixedText(1.25, 1), "1.3");
    EXPECT_EQ(FixedText(-1.25, 1), "-1.3");
    EXPECT_EQ(FixedText(0.0625, 3), "0.063");
    EXPECT_EQ(FixedText(1.0005, 3), "1.001");  // 1000.5 once scaled
    EXPECT_EQ(FixedText(1.005, 2), "1.00");    // 100.49999999999999 once scaled
    EXPECT_EQ(FixedText(2.5, 0), "3");
    EXPECT_EQ(FixedText(21.6404, 3), "21.640");
    EXPECT_EQ(FixedText(0.000156, 5), "0.00016");
    EXPECT_EQ(FixedText(0.1249999, 2), "0.12");
}

TEST(FixedTextTest, NoNegativeZeroAndEveryFiniteDoubleIsWritten)
{
    EXPECT_EQ(FixedText(-0.0, 2), "0.00");
    EXPECT_EQ(FixedText(-0.0000001, 3), "0.000");
    EXPECT_EQ(FixedText(-0.00004, 4), "0.0000");
    EXPECT_EQ(FixedText(1e300, 0).size(), 301u);  // the digits of the double: 10000000000000000525…
    EXPECT_EQ(FixedText(1e300, 0).substr(0, 20), "10000000000000000525");
    EXPECT_EQ(FixedText(1e300, 7).size(), 309u);
    EXPECT_EQ(FixedText(-1.7976931348623157e308, 7).size(), 1u + 309u + 8u);
    EXPECT_EQ(FixedText(123456789.12345678, 7), "123456789.1234568");
    EXPECT_EQ(FixedText(5e-324, 7), "0.0000000");
    EXPECT_EQ(FixedText(std::nan(""), 3), "-");
    EXPECT_EQ(FixedText(-HUGE_VAL, 3), "-");
}

// The digits come from the rounded whole number, not from std::to_chars: they must be the
// very ones std::to_chars writes for the rounded double, at every scale up to 2^52 and past it.
TEST(FixedTextTest, DigitsAreThoseOfTheRoundedDouble)
{
    std::mt19937_64 random(23);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = static_cast<int>(random() % 9);
        const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 80) - 30);
        const double x = (static_cast<double>(random() % 2000001) - 1000000.0) / 1000000.0 * magnitude;
        char expected[400];
        const auto end = std::to_chars(expected, expected + sizeof expected,
                                       RoundToDecimals(x, decimals), std::chars_format::fixed, decimals);
        ASSERT_EQ(FixedText(x, decimals), std::string(expected, end.ptr)) << x << " at " << decimals;
    }
}

TEST(RoundToDecimalsTest, TheNumberEveryFixedTextShows)
{
    EXPECT_EQ(RoundToDecimals(0.125, 2), 0.13);
    EXPECT_EQ(RoundToDecimals(-0.125, 2), -0.13);
    EXPECT_EQ(RoundToDecimals(0.00000005, 7), 0.0000001);
    EXPECT_FALSE(std::signbit(RoundToDecimals(-0.00000004, 7)));
    EXPECT_EQ(RoundToDecimals(1e300, 7), 1e300);  // whole already; not scaled and back
    EXPECT_EQ(RoundToDecimals(-1.7976931348623157e308, 2), -1.7976931348623157e308);
    EXPECT_TRUE(std::isnan(RoundToDecimals(std::nan(""), 2)));
}

TEST(ShortestTextTest, ReadsBackAsTheSameDouble)
{
    EXPECT_EQ(ShortestText(0.125), "0.125");
    EXPECT_EQ(ShortestText(0.00005), "5e-05");
    EXPECT_EQ(ShortestText(-0.0), "-0");
    EXPECT_EQ(ShortestText(1e300), "1e+300");
    EXPECT_EQ(ShortestText(-1.7976931348623157e308), "-1.7976931348623157e+308");
    EXPECT_EQ(ShortestText(0.629999999999999), "0.629999999999999");
    EXPECT_EQ(ShortestText(std::nan("")), "-");
    std::mt19937_64 random(19);
    for (int i = 0; i < 20000; ++i) {
        const double x = std::ldexp(static_cast<double>(random() % 4503599627370496) + 1.0,
                                    static_cast<int>(random() % 1900) - 1000);
        const std::string text = ShortestText(x);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(back, x) << text;
    }
}
