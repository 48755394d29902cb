// SPDX-License-Identifier: MIT
#include "fieldbook/Cp1251.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

using namespace velmora;

// The expected bytes are written as escapes here on purpose: they check the table, which the
// program's own literals go through.
static_assert("dZдоп"_cp1251 == "dZ\xE4\xEE\xEF");
static_assert("Отcчёт"_cp1251 == "\xCE\xF2" "c" "\xF7\xB8\xF2");  // a Latin c, and ё
static_assert("№ €"_cp1251 == "\xB9 \x88");
static_assert(""_cp1251.empty());

TEST(Cp1251Test, CyrillicRoundTrips)
{
    const std::string cp1251 = "dZ\xE4\xEE\xEF";  // "dZдоп"
    EXPECT_EQ(Cp1251ToUtf8(cp1251), "dZдоп");
    EXPECT_EQ(Utf8ToCp1251("dZдоп"), cp1251);
    EXPECT_EQ(Cp1251ToUtf8("II \xEA\xEB."), "II кл.");
    EXPECT_EQ(Utf8ToCp1251("Отcчёт"), "\xCE\xF2\x63\xF7\xB8\xF2");
    EXPECT_EQ(Cp1251ToUtf16("\xC0\xFF\xA8\xB8"), u"АяЁё");
}

TEST(Cp1251Test, EveryByteStringConverts)
{
    // 0x98 has no character in Windows-1251; NUL and ASCII pass unchanged.
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\x98" "b\0c", 5)), std::string("a\xEF\xBF\xBD" "b\0c", 7));
    EXPECT_EQ(Cp1251ToUtf16(std::string("a\x98\0", 3)), std::u16string(u"a\uFFFD\0", 3));
    EXPECT_EQ(Utf8ToCp1251("a€b"), "a\x88" "b");
    EXPECT_EQ(Utf8ToCp1251("a中b"), "a?b");
    EXPECT_EQ(Utf8ToCp1251("a😀b"), "a?b");     // outside the basic plane: one "?"
    EXPECT_EQ(Utf8ToCp1251("a\uFFFDb"), "a?b");  // the replacement character has no byte
    EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");  // not UTF-8
    EXPECT_EQ(Utf8ToCp1251("a\xD0"), "a?");       // cut off in the middle of a character
    EXPECT_EQ(Utf8ToCp1251("a\xC0\x80" "b"), "a?b");          // an overlong NUL
    EXPECT_EQ(Utf8ToCp1251("a\xED\xA0\x80" "b"), "a?b");      // a surrogate
    EXPECT_EQ(Utf8ToCp1251("a\xF4\x90\x80\x80" "b"), "a?b");  // beyond U+10FFFF
    EXPECT_EQ(Utf8ToCp1251("a\xD0\xD0\x90"), "a?\xC0");       // a lead without its tail, then "А"
}

TEST(Cp1251Test, EveryByteGoesToItsCharacterAndBack)
{
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string one(1, static_cast<char>(byte));
        const std::u16string utf16 = Cp1251ToUtf16(one);
        ASSERT_EQ(utf16.size(), 1u);
        EXPECT_EQ(utf16[0], Cp1251ToUnicode(static_cast<unsigned char>(byte)));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), byte == 0x98 ? "?" : one);
        if (byte != 0x98) {
            EXPECT_EQ(UnicodeToCp1251(utf16[0]), static_cast<unsigned char>(byte));
        }
    }
}

TEST(Cp1251Test, TheTableAgreesWithTheSystemsConverter)
{
    // An independent reading of Windows-1251: the iconv tool, where it is installed.
    std::string bytes;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (byte != 0x98)
            bytes += static_cast<char>(byte);
    }
    const std::string path = velmora::testing::WriteTemporaryFile("cp1251.txt", bytes);
    int status = 0;
    const std::string utf8 =
        velmora::testing::CommandOutput("iconv -f WINDOWS-1251 -t UTF-8 '" + path + "' 2>/dev/null", &status);
    if (status != 0 || utf8.empty())
        GTEST_SKIP() << "no iconv tool to compare with";
    EXPECT_EQ(Cp1251ToUtf8(bytes), utf8);
}
