// SPDX-License-Identifier: MIT
// The usage of the command-line tool: the whole of it and each command's part, in English and
// in Russian, and the command suggested for one mistyped.
#include "cli/Usage.h"

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/Translation.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace velmora::cli;

namespace {

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Columns on a terminal: UTF-8 characters, not bytes.
std::size_t Columns(const std::string& line)
{
    std::size_t columns = 0;
    for (const char c : line)
        columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return columns;
}

std::vector<std::string> Synopses(const std::string& usage)
{
    std::vector<std::string> synopses;
    for (const std::string& line : LinesOf(usage)) {
        if (line.rfind("  velmora-tesk-cli ", 0) == 0 || line.rfind("                          [", 0) == 0)
            synopses.push_back(line);
    }
    return synopses;
}

}  // namespace

TEST(UsageTest, MistypedCommandsFindTheirNearest)
{
    EXPECT_EQ(NearestCommand("rnus"), "runs");    // two letters swapped
    EXPECT_EQ(NearestCommand("chek"), "check");   // one left out
    EXPECT_EQ(NearestCommand("exports"), "export");
    EXPECT_EQ(NearestCommand("hlep"), "help");
    EXPECT_EQ(NearestCommand("Report"), "report");
    // Nothing near: no guess, and no guess from a word shorter than its distance.
    EXPECT_EQ(NearestCommand("frobnicate"), "");
    EXPECT_EQ(NearestCommand("x"), "");
    EXPECT_EQ(NearestCommand(""), "");
    EXPECT_EQ(UnknownCommandText("rnus"), "unknown command 'rnus'; did you mean 'runs'?");
    EXPECT_EQ(UnknownCommandText("a\nb"), "unknown command 'a\\x0ab'");
}

TEST(UsageTest, EachCommandHasItsOwnPartOfTheUsage)
{
    const std::string whole = UsageText();
    for (const char* command : {"runs", "save", "export", "adjust", "check", "report"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(IsCommand(command));
        const std::string part = CommandUsageText(command);
        EXPECT_EQ(part.rfind(std::string("Usage:\n  velmora-tesk-cli ") + command + " ", 0), 0u) << part;
        // The part is the whole usage's own text, and names no other command.
        EXPECT_NE(whole.find(part.substr(part.find('\n') + 1)), std::string::npos);
        EXPECT_EQ(Synopses(part).front().find(command), 19u);
        EXPECT_EQ(SeeHelpText(command), std::string("see velmora-tesk-cli ") + command + " --help");
    }
    EXPECT_FALSE(IsCommand("help"));
    EXPECT_EQ(CommandUsageText("help"), "");
    EXPECT_EQ(SeeHelpText(""), "see velmora-tesk-cli --help");
    EXPECT_EQ(SeeHelpText("bogus"), "see velmora-tesk-cli --help");
    EXPECT_NE(whole.find("  velmora-tesk-cli help [COMMAND]\n"), std::string::npos);
    // The exit statuses as one sentence: each number after a colon or a comma.
    EXPECT_NE(whole.find("could not be linked,\n4 check or report found limits broken, 70 "), std::string::npos)
        << whole;
}

TEST(UsageTest, TheRussianUsageKeepsTheSynopsesAndItsLinesFit)
{
    const std::string english = UsageText();
    velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    const std::string russian = UsageText();
    const std::string russianCheck = CommandUsageText("check");
    const std::string see = SeeHelpText("runs");
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");

    EXPECT_EQ(russian.rfind("Использование:\n", 0), 0u) << russian;
    EXPECT_EQ(see, "подробнее: velmora-tesk-cli runs --help");
    // Only the words are translated: the synopses, which scripts and the manual page share, are
    // the same lines, and every description line stays under its synopsis, indented.
    EXPECT_EQ(Synopses(russian), Synopses(english));
    for (const std::string& line : LinesOf(russian)) {
        EXPECT_LE(Columns(line), 90u) << line;
        EXPECT_EQ(line.find('\t'), std::string::npos) << line;
    }
    for (const std::string& line : LinesOf(russianCheck)) {
        if (line != "Использование:" && line.rfind("  velmora-tesk-cli", 0) != 0) {
            EXPECT_EQ(line.rfind("      ", 0), 0u) << line;
        }
    }
    // LIMITS name the same options in every language (the completion reads them).
    EXPECT_NE(russianCheck.find("--max-cumulative-imbalance M, --max-double-reading M; --allow-single-readings;"),
              std::string::npos);
    EXPECT_NE(russianCheck.find("--max-section-difference K"), std::string::npos);
}

// What FILE may be is listed from the book formats of the layout table: for today's two as the
// usage has always said it, in both languages; more are joined as a list.
TEST(UsageTest, TheBookFormatsAreListedFromTheLayoutTable)
{
    const std::string english = BookFormatsText(velmora::BookFormats());
    velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    const std::string russian = BookFormatsText(velmora::BookFormats());
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");

    EXPECT_EQ(english,
              "FILE is a field book of either make, told apart by its content: a Trimble DiNi book\n"
              "(.DAT, M5 or plain layout) or a Leica levelling book in the GSI-8 or GSI-16 format\n"
              "(.gsi: DNA03, DNA10, LS10/LS15, Sprinter), whose runs are numbered by their place.\n"
              "A Leica book is saved with its own line ends.\n");
    EXPECT_EQ(russian,
              "FILE — полевой журнал любого из двух изготовителей, различаемых по содержимому:\n"
              "журнал Trimble DiNi (.DAT, формат M5 или простой) или журнал нивелирования Leica\n"
              "в формате GSI-8 или GSI-16 (.gsi: DNA03, DNA10, LS10/LS15, Sprinter), ходы\n"
              "которого нумеруются по порядку. Журнал Leica сохраняется со своими концами строк.\n");
    EXPECT_NE(UsageText().find(english), std::string::npos);

    const velmora::BookFormat a{"A", {}, "an A book", nullptr};
    const velmora::BookFormat b{"B", {}, "a B book", "A B book is saved as B.\n"};
    const velmora::BookFormat c{"C", {}, "a C book", nullptr};
    EXPECT_EQ(BookFormatsText({&a, &b, &c}),
              "FILE is a field book of any of these makes, told apart by its content: an A book, a B book "
              "or a C book.\nA B book is saved as B.\n");
}
