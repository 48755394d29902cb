// SPDX-License-Identifier: MIT
#include "fieldbook/Cp1251.h"

#include <gtest/gtest.h>

using velmora::Cp1251ToUtf8;
using velmora::Utf8ToCp1251;

TEST(Cp1251Test, CyrillicRoundTrips)
{
    const std::string cp1251 = "dZ\xE4\xEE\xEF";  // "dZдоп"
    EXPECT_EQ(Cp1251ToUtf8(cp1251), "dZдоп");
    EXPECT_EQ(Utf8ToCp1251("dZдоп"), cp1251);
    EXPECT_EQ(Cp1251ToUtf8("II \xEA\xEB."), "II кл.");
    EXPECT_EQ(Utf8ToCp1251("Отcчёт"), "\xCE\xF2\x63\xF7\xB8\xF2");
}

TEST(Cp1251Test, EveryByteStringConverts)
{
    // 0x98 has no character in Windows-1251; NUL and ASCII pass unchanged.
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\x98" "b\0c", 5)), std::string("a\xEF\xBF\xBD" "b\0c", 7));
    EXPECT_EQ(Utf8ToCp1251("a€b"), "a\x88" "b");
    EXPECT_EQ(Utf8ToCp1251("a中b"), "a?b");
    EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");  // not UTF-8
    EXPECT_EQ(Utf8ToCp1251("a\xD0"), "a?");       // cut off in the middle of a character
}
