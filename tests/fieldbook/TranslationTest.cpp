// SPDX-License-Identifier: MIT
// Texts in the user's language: the placeholders, the catalogue as the programs find it, and
// numbers for people. The catalogue is the one the build compiles from po/ru.po.

#include "fieldbook/Translation.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

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

// What programs read keeps the English words while people get theirs, in one run of the tool.
TEST(Translation, EnglishTextsHoldOnlyWhileTheyLive)
{
    UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    {
        const EnglishTexts english;
        EXPECT_STREQ(Tr("out of memory"), "out of memory");
        EXPECT_STREQ(TrPlural("{1} station", "{1} stations", 1), "{1} station");
        EXPECT_STREQ(TrPlural("{1} station", "{1} stations", 3), "{1} stations");
        EXPECT_EQ(ForPeople("-38.5"), "-38.5");
        {
            const EnglishTexts nested;
        }
        EXPECT_STREQ(Tr("out of memory"), "out of memory");
    }
    EXPECT_STREQ(Tr("out of memory"), "недостаточно памяти");
    EXPECT_STREQ(TrPlural("{1} station", "{1} stations", 3), "{1} станции");
    EXPECT_EQ(ForPeople("-38.5"), "-38,5");
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
}

// A held language gives every text as the catalogue does, each time it is asked for, whatever
// buffer the words come in; English texts still take precedence, and the memory ends with it.
TEST(Translation, AHeldLanguageGivesTheCataloguesTextsOnlyWhileItLives)
{
    UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    const struct {
        const char* context;  // null for Tr
        const char* text;
        const char* expected;
    } kCases[] = {
        {nullptr, "out of memory", "недостаточно памяти"},
        {nullptr, "no such text in any catalogue", "no such text in any catalogue"},
        {"decimal separator", ".", ","},
        {"no such context", "en", "en"},
    };
    {
        const HeldLanguage held;
        const HeldLanguage nested;
        for (int round = 0; round < 2; ++round) {
            for (const auto& c : kCases) {
                // The words in a buffer of their own, which the next case writes over.
                static char words[64];
                std::strcpy(words, c.text);
                EXPECT_STREQ(c.context ? TrIn(c.context, words) : Tr(words), c.expected) << c.text;
            }
        }
        {
            const EnglishTexts english;
            EXPECT_STREQ(Tr("out of memory"), "out of memory");
            EXPECT_EQ(ForPeople("-38.5"), "-38.5");
        }
        EXPECT_EQ(ForPeople("-38.5"), "-38,5");
    }
    // Chosen afresh once the held one is gone.
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
    EXPECT_STREQ(Tr("out of memory"), "out of memory");
    EXPECT_STREQ(TrIn("decimal separator", "."), ".");
}

// A catalogue cut short or pointing outside itself would crash the C library's loader at the
// first text: it is not used, the texts stay English, and one warning names it.
TEST(Translation, ADamagedCatalogueLeavesTheTextsEnglishWithAWarning)
{
    namespace fs = std::filesystem;
    const fs::path sound = fs::path(VELMORA_BUILT_LOCALE_FOLDER) / "ru/LC_MESSAGES/velmora-tesk.mo";
    std::ifstream in(sound, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    auto withWord = [&](std::size_t at, std::uint32_t value) {
        std::string changed = bytes;
        std::memcpy(changed.data() + at, &value, sizeof value);
        return changed;
    };
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"header cut", bytes.substr(0, 20)},
        {"tables cut", bytes.substr(0, 100)},
        {"cut in half", bytes.substr(0, bytes.size() / 2)},
        {"last byte missing", bytes.substr(0, bytes.size() - 1)},
        {"table of texts outside", withWord(12, 0xffffff00)},
        {"hash table outside", withWord(24, 0xffffff00)},
    };
    const fs::path folder = fs::temp_directory_path() / ("velmora-catalogue-" + std::to_string(getpid()));
    const fs::path catalogue = folder / "ru/LC_MESSAGES/velmora-tesk.mo";
    fs::create_directories(catalogue.parent_path());
    for (const auto& [damage, content] : damaged) {
        SCOPED_TRACE(damage);
        std::ofstream(catalogue, std::ios::binary | std::ios::trunc) << content;
        EXPECT_EQ(UseLanguage("ru", folder.string()),
                  "warning: the message catalogue " + catalogue.string() + " is damaged; messages are in English");
        EXPECT_STREQ(Tr("out of memory"), "out of memory");
        EXPECT_EQ(TextLanguage(), "en");
    }
    // The sound catalogue is taken again, without a word.
    EXPECT_EQ(UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER), "");
    EXPECT_STREQ(Tr("out of memory"), "недостаточно памяти");
    fs::remove_all(folder);
    unsetenv("LANGUAGE");
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
