// SPDX-License-Identifier: MIT
#include "network/NetworkOfBooks.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::BookOfText;
using testing::JoinLines;
using testing::PlainLine;
using testing::ReadWholeFile;

// Run 1 levels A → 1 → 2, then its third station starts on 3 and goes on to B; runs 2 and 3
// (when asked for) level A → B and B → A, so that the network has a check.
std::string BrokenRunBook(bool checkingRun, std::string_view lastReading = "1.0")
{
    std::vector<std::string> lines = {
        PlainLine({"A", "1", "Rb", "1.5", "20"}), PlainLine({"1", "1", "Rf", "1.2", "20"}),
        PlainLine({"1", "1", "Rb", "1.3", "20"}), PlainLine({"2", "1", "Rf", "1.1", "20"}),
        PlainLine({"3", "1", "Rb", "1.4", "20"}), PlainLine({"B", "1", "Rf", std::string(lastReading), "20"}),
    };
    if (checkingRun) {
        lines.push_back(PlainLine({"A", "2", "Rb", "1.5", "30"}));
        lines.push_back(PlainLine({"B", "2", "Rf", "0.6", "30"}));
        lines.push_back(PlainLine({"B", "3", "Rb", "0.6", "30"}));
        lines.push_back(PlainLine({"A", "3", "Rf", "1.5003", "30"}));
    }
    return JoinLines(lines);
}

TEST(NetworkBookName, TheFileNameInTheBooksEncodingWhenThePathIsUtf8)
{
    const struct {
        const char* path;
        bool utf8;
        std::string name;
    } cases[] = {
        {"/data/KO220304.DAT", true, "KO220304.DAT"},
        {"KO220304.DAT", false, "KO220304.DAT"},
        {"-", true, "-"},
        {"/d/\u0416\u0443\u0440\u043d\u0430\u043b.DAT", true, "\xc6\xf3\xf0\xed\xe0\xeb.DAT"},
        // Named by a locale that is not UTF-8, or bytes no UTF-8: taken as they are.
        {"/d/\u0416\u0443\u0440\u043d\u0430\u043b.DAT", false, "\u0416\u0443\u0440\u043d\u0430\u043b.DAT"},
        {"/d/\xc6.DAT", true, "\xc6.DAT"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NetworkBookName(c.path, c.utf8), c.name) << c.path;
}

TEST(NetworkBookNames, BooksOfOneFileNameNamedByTheShortestEndOfTheirPathsThatDiffers)
{
    using Names = std::vector<std::string>;
    const struct {
        Names paths;
        Names names;
    } cases[] = {
        {{"/a/KO1.DAT", "/b/KO2.DAT"}, {"KO1.DAT", "KO2.DAT"}},
        {{"day1/book.DAT", "day2/book.DAT", "other.DAT"}, {"day1/book.DAT", "day2/book.DAT", "other.DAT"}},
        // One folder more only where the folders below agree.
        {{"/x/a/b/book.DAT", "/x/c/b/book.DAT", "d/book.DAT"},
         {"a/b/book.DAT", "c/b/book.DAT", "d/book.DAT"}},
        // A path that is wholly the end of another keeps all of itself, an absolute one its "/";
        // empty folder names and "." pass over.
        {{"./book.DAT", "day2//book.DAT"}, {"book.DAT", "day2/book.DAT"}},
        {{"/data/x.DAT", "data/x.DAT"}, {"/data/x.DAT", "data/x.DAT"}},
        {{"-", "book.DAT"}, {"-", "book.DAT"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NetworkBookNames(c.paths, false), c.names) << c.paths.front();
    // In the book's encoding, as NetworkBookName gives it.
    EXPECT_EQ(NetworkBookNames({"\u0434/\u0416.DAT", "b/\u0416.DAT"}, true),
              (Names{"\xe4/\xc6.DAT", "b/\xc6.DAT"}));
}

// Two books of one run number: "BOOK:RUN" reads that book's run alone, the number alone every
// book's.
TEST(ReadNetworkOfBooks, ABooksNameBeforeTheRunChoosesThatBooksRunAlone)
{
    const RecordList book = BookOfText(ReadWholeFile(VELMORA_SAMPLES_DIR "/levelling_m5.DAT"));
    const std::vector<NetworkBook> books{{&book, "day1/b.DAT"}, {&book, "day2/b.DAT"}};
    const struct {
        std::vector<std::string> runs;
        std::vector<std::pair<std::size_t, std::string>> read;  // book and run of each run read
    } cases[] = {
        {{"day2/b.DAT:3"}, {{1, "3"}}},
        {{" day1/b.DAT: 2", "3"}, {{0, "2"}, {0, "3"}, {1, "3"}}},
        {{"day1/b.DAT:3", "3"}, {{0, "3"}, {1, "3"}}},
    };
    for (const auto& c : cases) {
        LevellingNetwork network;
        NetworkRefusal refusal;
        ASSERT_TRUE(ReadNetworkOfBooks(books, c.runs, network, refusal)) << refusal.reason;
        std::vector<std::pair<std::size_t, std::string>> read;
        for (const LevellingObservation& observation : network.observations) {
            if (read.empty() || read.back() != std::pair(observation.book, observation.run))
                read.emplace_back(observation.book, observation.run);
        }
        EXPECT_EQ(read, c.read) << c.runs.front();
    }
    LevellingNetwork network;
    NetworkRefusal refusal;
    EXPECT_FALSE(ReadNetworkOfBooks(books, std::vector<std::string>{"day3/b.DAT:3"}, network, refusal));
    EXPECT_EQ(refusal.kind, NetworkRefusal::Kind::RunNotInBooks);
    EXPECT_EQ(refusal.subject, "day3/b.DAT:3");
}

// Two books of runs 1, 2, 3, 4, 5, 12, 13: the runs asked for, in each book's order, and a run
// no book holds refused once both are read.
TEST(ReadNetworkOfBooks, TheRunsAskedForFromEveryBookAndARunNoBookHoldsRefused)
{
    const RecordList book = BookOfText(ReadWholeFile(VELMORA_SAMPLES_DIR "/levelling_m5.DAT"));
    const std::vector<NetworkBook> books{{&book, "a.DAT"}, {&book, "b.DAT"}};
    LevellingNetwork network;
    NetworkRefusal refusal;
    ASSERT_TRUE(ReadNetworkOfBooks(books, std::vector<std::string>{" 3", "2"}, network, refusal))
        << refusal.reason;
    EXPECT_EQ(network.books, (std::vector<std::string>{"a.DAT", "b.DAT"}));
    std::vector<std::pair<std::size_t, std::string>> runs;
    for (const LevellingObservation& observation : network.observations) {
        if (runs.empty() || runs.back() != std::pair(observation.book, observation.run))
            runs.emplace_back(observation.book, observation.run);
    }
    EXPECT_EQ(runs, (std::vector<std::pair<std::size_t, std::string>>{
                        {0, "2"}, {0, "3"}, {1, "2"}, {1, "3"}}));

    EXPECT_FALSE(ReadNetworkOfBooks(books, std::vector<std::string>{"2", " 99 "}, network, refusal));
    EXPECT_EQ(refusal.kind, NetworkRefusal::Kind::RunNotInBooks);
    EXPECT_EQ(refusal.subject, "99");
    EXPECT_EQ(network.books.size(), 2u);
}

// A station that does not begin where the one before ended is said: as a warning when the
// network still has a check, in the refusal when the two pieces leave it without one.
TEST(AdjustBooks, ARunWhoseChainBreaksIsSaidWhereItBreaks)
{
    for (const bool checkingRun : {true, false}) {
        const RecordList book = BookOfText(BrokenRunBook(checkingRun));
        NetworkRequest request{{{&book, "a.DAT"}}, std::nullopt, {{"A", 100}}, {}, 0.001};
        const NetworkOutcome outcome = AdjustBooks(request);
        const std::string where = "station 3 begins on 3 where the station before ended on 2";
        if (checkingRun) {
            ASSERT_TRUE(outcome.adjusted()) << outcome.refusal.reason;
            ASSERT_FALSE(outcome.adjustment.warnings.empty());
            const NetworkWarning& warning = outcome.adjustment.warnings.front();
            EXPECT_EQ(warning.kind, NetworkWarning::Kind::chainBreak);
            EXPECT_EQ(warning.run, "1");
            EXPECT_EQ(warning.point, "3");
            EXPECT_EQ(warning.previousPoint, "2");
            EXPECT_EQ(warning.stations, std::vector<std::size_t>{3});
        } else {
            ASSERT_FALSE(outcome.adjusted());
            EXPECT_NE(outcome.refusal.reason.find("no redundancy"), std::string::npos) << outcome.refusal.reason;
            EXPECT_NE(outcome.refusal.reason.find(where), std::string::npos) << outcome.refusal.reason;
        }
    }
}

// Two books that hold one levelling (the same stations to the last digit) count every station
// twice: said once per run repeated. One reading apart, or one book alone, they are not.
TEST(AdjustBooks, ARunGivenTwiceInTwoBooksIsSaid)
{
    const RecordList first = BookOfText(BrokenRunBook(true));
    const RecordList copy = BookOfText(BrokenRunBook(true));
    const RecordList other = BookOfText(BrokenRunBook(true, "1.0001"));
    const struct {
        std::vector<NetworkBook> books;
        std::vector<std::pair<std::string, std::string>> repeated;  // run, run repeated
    } cases[] = {
        {{{&first, "a.DAT"}, {&copy, "b.DAT"}}, {{"1", "1"}, {"2", "2"}, {"3", "3"}}},
        {{{&first, "a.DAT"}, {&other, "b.DAT"}}, {{"2", "2"}, {"3", "3"}}},
        {{{&first, "a.DAT"}}, {}},
    };
    for (const auto& c : cases) {
        const NetworkOutcome outcome = AdjustBooks({c.books, std::nullopt, {{"A", 100}}, {}, 0.001});
        ASSERT_TRUE(outcome.adjusted()) << outcome.refusal.reason;
        std::vector<std::pair<std::string, std::string>> repeated;
        for (const NetworkWarning& warning : outcome.adjustment.warnings) {
            if (warning.kind != NetworkWarning::Kind::repeatedRun)
                continue;
            EXPECT_EQ(warning.book, 1u);
            EXPECT_EQ(warning.otherBook, 0u);
            repeated.emplace_back(warning.run, warning.otherRun);
        }
        EXPECT_EQ(repeated, c.repeated) << c.books.size();
    }
}

}  // namespace
}  // namespace velmora
