// SPDX-License-Identifier: MIT
#include "fieldbook/TextConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

using velmora::TextToNumber;
using velmora::TrimText;

TEST(TrimTextTest, DropsOnlyOuterWhiteSpace)
{
    EXPECT_EQ(TrimText("   1.25"), "1.25");
    EXPECT_EQ(TrimText("1001   "), "1001");
    EXPECT_EQ(TrimText("  12 34  "), "12 34");
    EXPECT_EQ(TrimText("   "), "");
    EXPECT_EQ(TrimText(""), "");
    EXPECT_EQ(TrimText("Rb"), "Rb");
    EXPECT_EQ(TrimText("\t\n\v\f\r x \r\n"), "x");
}

TEST(TrimTextTest, BlanksOfAnyLengthOnEitherSideAreDropped)
{
    // Blanks are passed over several at a time: every length, with other white space and a
    // blank inside the text at every place around them.
    for (std::size_t before = 0; before <= 17; ++before) {
        for (std::size_t after = 0; after <= 17; ++after) {
            for (const std::string core : {"x", "1 2", "\xA0\t\xA0", "abcdefghijk"}) {
                const std::string text = std::string(before, ' ') + core + std::string(after, ' ');
                EXPECT_EQ(TrimText(text), core) << before << " " << after;
                const std::string tabbed = "\t" + text + "\r";
                EXPECT_EQ(TrimText(tabbed), core) << before << " " << after;
            }
            EXPECT_EQ(TrimText(std::string(before + after, ' ')), "");
        }
    }
}

TEST(TrimTextTest, KeepsBytesAbove127AndNul)
{
    // Windows-1251 letters (0xA0 is the no-break space there) and NUL are not white space.
    EXPECT_EQ(TrimText("\xA0\xF0\xE5\xEF\xA0"), "\xA0\xF0\xE5\xEF\xA0");
    EXPECT_EQ(TrimText(std::string_view(" \0 ", 3)), std::string_view("\0", 1));
}

TEST(TextToNumberTest, ReadsPointAndCommaAlike)
{
    EXPECT_EQ(TextToNumber("1.25"), 1.25);
    EXPECT_EQ(TextToNumber("1,25"), 1.25);
    EXPECT_EQ(TextToNumber("-0.5"), -0.5);
    EXPECT_EQ(TextToNumber("+2,5"), 2.5);
    EXPECT_EQ(TextToNumber("1000"), 1000.0);
    EXPECT_EQ(TextToNumber("5."), 5.0);
    EXPECT_EQ(TextToNumber(".5"), 0.5);
    EXPECT_EQ(TextToNumber("1.5e3"), 1500.0);
    EXPECT_EQ(TextToNumber("  0.93835 "), 0.93835);
    // The same double as the C reader gives for the same digits: no drift in the last place.
    EXPECT_EQ(TextToNumber("1.43215"), 1.43215);
    EXPECT_EQ(TextToNumber("21,640"), 21.640);
}

TEST(TextToNumberTest, GivesNaNForTextThatIsNoNumber)
{
    for (const char* text : {"", "   ", "abc", "1.2.3", "1,2.3", "1.2,3", "1,2,3", "-", ".", ",",
                             "1e", "1e+", "12a", "inf", "nan", "0x10", "1 000", "--1", "1e999"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(std::isnan(TextToNumber(text)));
    }
}

TEST(TextToNumberTest, ReadsNumbersLongerThanTheStackCopy)
{
    // More than 64 characters: the copy for the reader goes to the heap.
    const std::string zeros(70, '0');
    EXPECT_EQ(TextToNumber("0." + zeros + "1"), 1e-71);
    EXPECT_EQ(TextToNumber("0," + zeros + "1"), 1e-71);
    EXPECT_EQ(TextToNumber("-1" + zeros), -1e70);
    EXPECT_EQ(TextToNumber(zeros + "2.5"), 2.5);
    EXPECT_TRUE(std::isnan(TextToNumber("0." + zeros + "1x")));
}

TEST(TextToNumberTest, PlainDecimalsGiveTheStandardReadersValueToTheLastBit)
{
    // Readings and distances take a shortcut past the standard reader; it must give the same
    // double for every length of number, both separators, signs and blanks.
    std::mt19937_64 random(12);
    for (int i = 0; i < 200000; ++i) {
        std::string text = i % 7 == 0 ? " " : "";
        text += i % 5 == 0 ? "-" : i % 11 == 0 ? "+" : "";
        const int digits = 1 + static_cast<int>(random() % 19);
        const int separatorAt = static_cast<int>(random() % (digits + 2)) - 1;
        for (int d = 0; d < digits; ++d) {
            if (d == separatorAt)
                text += random() % 2 ? '.' : ',';
            text += static_cast<char>('0' + random() % 10);
        }
        // With an exponent the same number is no plain decimal: the standard reader reads it.
        const double fast = velmora::TextToNumber(text);
        const double read = velmora::TextToNumber(std::string(velmora::TrimText(text)) + "e0");
        ASSERT_EQ(std::memcmp(&fast, &read, sizeof fast), 0) << text;
    }
}

TEST(PrintableTextTest, ControlCharactersAreShownAndEverythingElseStays)
{
    EXPECT_EQ(velmora::ControlCharactersShown("a\tb\nc\x1b\x7f\xe9\xd0\x96"),
              "a\\x09b\\x0ac\\x1b\\x7f\xe9\xd0\x96");
}

TEST(PrintableTextTest, BytesOfNoUtf8CharacterAreShownSoTheResultIsUtf8)
{
    using velmora::PrintableUtf8;
    // Valid characters of one to four bytes, the largest of each length, stay.
    EXPECT_EQ(PrintableUtf8("a\x7e \xc2\x80\xdf\xbf \xe0\xa0\x80\xef\xbf\xbf \xf0\x90\x80\x80\xf4\x8f\xbf\xbf"),
              "a\x7e \xc2\x80\xdf\xbf \xe0\xa0\x80\xef\xbf\xbf \xf0\x90\x80\x80\xf4\x8f\xbf\xbf");
    // Overlong forms, a surrogate, a code point above U+10FFFF, bytes that never start a
    // character, a character cut short at the end: each byte on its own.
    EXPECT_EQ(PrintableUtf8("\xc0\xaf"), "\\xc0\\xaf");
    EXPECT_EQ(PrintableUtf8("\xe0\x9f\xbf"), "\\xe0\\x9f\\xbf");
    EXPECT_EQ(PrintableUtf8("\xed\xa0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(PrintableUtf8("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    EXPECT_EQ(PrintableUtf8("\x80\xbf\xf8\xff"), "\\x80\\xbf\\xf8\\xff");
    EXPECT_EQ(PrintableUtf8("ok\xd0"), "ok\\xd0");
    EXPECT_EQ(PrintableUtf8("\xe2\x82" "A"), "\\xe2\\x82A");
    // Windows-1251 "КО1" is no UTF-8; a control character in UTF-8 text is shown too.
    EXPECT_EQ(PrintableUtf8("\xca\xce" "1\r"), "\\xca\\xce" "1\\x0d");
}
