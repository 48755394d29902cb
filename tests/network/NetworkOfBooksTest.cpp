// SPDX-License-Identifier: MIT
#include "network/NetworkOfBooks.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::BookOfText;
using testing::ReadWholeFile;

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

}  // namespace
}  // namespace velmora
