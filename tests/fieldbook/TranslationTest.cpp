// SPDX-License-Identifier: MIT
// Texts in the user's language: the placeholders, the catalogue as the programs find it, and
// numbers for people. The catalogue is the one the build compiles from po/ru.po.

#include "fieldbook/Translation.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace velmora {
namespace {

TEST(Fill, ReplacesNumberedPlaceholdersInAnyOrder)
{
    EXPECT_EQ(Fill("{2} of {1}", {"a", "b"}), "b of a");
    EXPECT_EQ(Fill("{1}{1}", {"x"}), "xx");
    // Braces that are no placeholder, a missing value and doubled braces stay text.
    EXPECT_EQ(Fill("{3} {x} {} {", {"a"}), "{3} {x} {} {");
    EXPECT_EQ(Fill("{{1}} }}", {"a"}), "{1} }");
    // A value that looks like a placeholder is not filled again.
    EXPECT_EQ(Fill("{1} {2}", {"{2}", "b"}), "{2} b");
}

TEST(Translation, EnglishWithoutACatalogueRussianWithIt)
{
    // Nothing chosen yet: the texts of the code.
    EXPECT_STREQ(TrIn("decimal separator", "."), ".");
    EXPECT_EQ(TextLanguage(), "en");
    EXPECT_EQ(ForPeople("-38.5"), "-38.5");

    UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    EXPECT_EQ(TextLanguage(), "ru");
    EXPECT_EQ(ForPeople("-38.5"), "-38,5");
    EXPECT_EQ(ForPeople("12"), "12");
    // A text the catalogue lacks comes back as it is, context or not.
    EXPECT_STREQ(Tr("no such text in any catalogue"), "no such text in any catalogue");
    EXPECT_STREQ(TrIn("no such context", "en"), "en");

    // The user's choice, as the command-line tool makes it: English in the C locale.
    unsetenv("LANGUAGE");
    setenv("LC_ALL", "C", 1);
    UseUserLanguage(VELMORA_BUILT_LOCALE_FOLDER);
    EXPECT_EQ(TextLanguage(), "en");
    // LANGUAGE picks the language once a locale other than C is in force.
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("LANGUAGE", "de:ru", 1);
    UseUserLanguage(VELMORA_BUILT_LOCALE_FOLDER);
    EXPECT_EQ(TextLanguage(), "ru");
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    std::setlocale(LC_MESSAGES, "C");
}

TEST(Translation, NumbersForProgramsKeepTheirPoint)
{
    // The separator is the catalogue's, never the locale's: LC_NUMERIC plays no part.
    if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"))
        GTEST_SKIP() << "no ru_RU.UTF-8 locale";
    EXPECT_EQ(ForPeople("1.5"), "1.5");
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace velmora
