// SPDX-License-Identifier: MIT
#include "network/SectionPairs.h"

#include "FieldBookLines.h"
#include "network/NetworkObservations.h"
#include "network/NetworkOfBooks.h"
#include "runs/Station.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::BookOfText;
using testing::JoinLines;
using testing::PlainLine;

// Stations of `run`: each {back point, back reading, fore point, fore reading}, 20 m sights.
std::vector<std::string> Stations(const std::string& run,
                                  const std::vector<std::tuple<std::string, std::string, std::string, std::string>>& stations)
{
    std::vector<std::string> lines;
    for (const auto& [back, b, fore, f] : stations) {
        lines.push_back(PlainLine({back, run, "Rb", b, "20"}));
        lines.push_back(PlainLine({fore, run, "Rf", f, "20"}));
    }
    return lines;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The sections of every run of `book` levelled more than once.
std::vector<SectionLevellings> LevellingsOf(const RecordList& book)
{
    const std::vector<RunStations> runs = WalkAllRuns(book);
    std::vector<const RunStations*> all;
    for (const RunStations& run : runs)
        all.push_back(&run);
    LevellingNetwork network;
    std::string error;
    EXPECT_TRUE(NetworkOfRuns(book, all, 0, network, error)) << error;
    return FindSectionLevellings(network, FindSections(network, {}));
}

// Section A–B levelled four times: run 1 over a turning point (+0.5), run 2 back (−0.5003),
// run 3 again forward (+0.5001), and run 4 forward on its way to C, split at the node B (+0.5).
// Run 5 is a loop and pairs with nothing; B–C is levelled once.
TEST(SectionPairs, EachLevellingOfASectionWithTheNextInEitherDirection)
{
    const RecordList book = BookOfText(JoinLines(
        Stations("1", {{"A", "1.5", "X", "1.2"}, {"X", "1.3", "B", "1.1"}}) +
        Stations("2", {{"B", "1.0", "A", "1.5003"}}) + Stations("3", {{"A", "1.6", "B", "1.0999"}}) +
        Stations("4", {{"A", "1.4", "B", "0.9"}, {"B", "1.1", "C", "1.0"}}) +
        Stations("5", {{"C", "1.0", "Y", "1.1"}, {"Y", "1.2", "C", "1.1"}})));
    const std::vector<SectionLevellings> sections = LevellingsOf(book);

    ASSERT_EQ(sections.size(), 1u);
    const SectionLevellings& ab = sections[0];
    EXPECT_EQ(ab.from, "A");
    EXPECT_EQ(ab.to, "B");
    const struct {
        std::string run;
        bool reversed;
    } levellings[] = {{"1", false}, {"2", true}, {"3", false}, {"4", false}};
    ASSERT_EQ(ab.levellings.size(), std::size(levellings));
    for (std::size_t k = 0; k < ab.levellings.size(); ++k) {
        EXPECT_EQ(ab.levellings[k].run, levellings[k].run);
        EXPECT_EQ(ab.levellings[k].reversed, levellings[k].reversed) << k;
    }
    // Opposite directions add, the same direction subtracts.
    const double discrepancies[] = {0.5 - 0.5003, -0.5003 + 0.5001, 0.5001 - 0.5};
    ASSERT_EQ(ab.pairs.size(), std::size(discrepancies));
    for (std::size_t k = 0; k < ab.pairs.size(); ++k) {
        EXPECT_NEAR(ab.pairs[k].discrepancy, discrepancies[k], 1e-9) << k;
        EXPECT_EQ(ab.pairs[k].first, k);
        EXPECT_EQ(ab.pairs[k].second, k + 1);
    }
    EXPECT_NEAR(ab.pairs[0].length, 60, 1e-9);  // 80 m and 40 m
    EXPECT_NEAR(ab.mean, (0.5 + 0.5003 + 0.5001 + 0.5) / 4, 1e-9);
}

// C–D is levelled before A–C although A and C were met before D: the order is that of the
// first levellings, not of the places.
TEST(SectionPairs, InTheOrderOfTheirFirstLevellings)
{
    const std::vector<SectionLevellings> sections = LevellingsOf(BookOfText(JoinLines(
        Stations("1", {{"A", "1.5", "B", "1.2"}}) + Stations("2", {{"C", "1.5", "D", "1.2"}}) +
        Stations("3", {{"A", "1.5", "C", "1.2"}}) + Stations("4", {{"D", "1.2", "C", "1.5"}}) +
        Stations("5", {{"C", "1.2", "A", "1.5"}}))));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].from + sections[0].to, "CD");
    EXPECT_EQ(sections[1].from + sections[1].to, "AC");
}

// A section levelled there in one book and back in another: above its limit it is the first
// warning of the adjustment, naming both books; a larger k lets it pass; equal passes.
TEST(SectionPairs, APairAcrossTwoBooksAboveItsLimitIsTheFirstWarning)
{
    const RecordList there = BookOfText(JoinLines(Stations("1", {{"A", "1.5", "B", "1.0"}})));
    const RecordList back = BookOfText(JoinLines(Stations("1", {{"B", "1.0", "A", "1.51"}})));
    // d = 0.5 − 0.51 = −10 mm over L = 40 m: the limit k·√0.04 km is k/5.
    const struct {
        double k;
        bool warned;
    } cases[] = {{0.005, true}, {0.049, true}, {0.05, false}, {0.2, false}};
    for (const auto& c : cases) {
        const NetworkOutcome outcome =
            AdjustBooks({{{&there, "day1.DAT"}, {&back, "day2.DAT"}}, std::nullopt, {{"A", 100}}, {}, 0.001, c.k});
        ASSERT_TRUE(outcome.adjusted()) << outcome.refusal.reason;
        const std::vector<NetworkWarning>& warnings = outcome.adjustment.warnings;
        const bool warned = !warnings.empty() && warnings.front().kind == NetworkWarning::Kind::sectionDifference;
        EXPECT_EQ(warned, c.warned) << c.k;
        if (!warned)
            continue;
        const NetworkWarning& warning = warnings.front();
        EXPECT_EQ(warning.book, 0u);
        EXPECT_EQ(warning.otherBook, 1u);
        EXPECT_EQ(warning.point, "A");
        EXPECT_EQ(warning.toPoint, "B");
        EXPECT_NEAR(warning.difference, -0.010, 1e-9);
        EXPECT_NEAR(warning.limit, c.k / 5, 1e-12);
    }
}

}  // namespace
}  // namespace velmora
