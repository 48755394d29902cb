// SPDX-License-Identifier: MIT
// Fixed heights typed or read from a file of "POINT HEIGHT" lines.

#include "network/FixedHeights.h"

#include "fieldbook/Cp1251.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace velmora {
namespace {

using Kind = FixedHeightsFailure::Kind;

bool Read(const std::string& text, std::vector<FixedHeight>& fixed, FixedHeightsFailure& failure)
{
    std::istringstream lines(text);
    return ReadFixedHeights(lines, fixed, failure);
}

TEST(FixedHeights, LinesTakeBlanksTabsSemicolonsCommentsAndDecimalCommas)
{
    std::vector<FixedHeight> fixed;
    FixedHeightsFailure failure;
    ASSERT_TRUE(Read("# benchmarks\r\n"
                     "RP101 312.4687\r\n"
                     "\r\n"
                     "RP102\t300,5   # from the catalogue\n"
                     "  46;100\n"
                     "RP101 312.4687\n",  // the same height again is no conflict
                     fixed, failure));
    ASSERT_EQ(fixed.size(), 3u);
    EXPECT_EQ(fixed[0].point, "RP101");
    EXPECT_EQ(fixed[0].height, 312.4687);
    EXPECT_EQ(fixed[1].point, "RP102");
    EXPECT_EQ(fixed[1].height, 300.5);
    EXPECT_EQ(fixed[2].point, "46");
    EXPECT_EQ(fixed[2].height, 100.0);
}

TEST(FixedHeights, PointNamesInUtf8AreTakenAsTheFieldBookWritesThem)
{
    std::vector<FixedHeight> fixed;
    FixedHeightsFailure failure;
    ASSERT_TRUE(Read("Рп1 10\n", fixed, failure));
    ASSERT_EQ(fixed.size(), 1u);
    EXPECT_EQ(fixed[0].point, Utf8ToCp1251("Рп1"));
}

TEST(FixedHeights, ABadLineStopsTheReadingAndIsNamedByItsNumber)
{
    struct Case {
        const char* text;
        Kind kind;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"A 1\nB\n", Kind::NotPointHeight, 2, "h.txt, line 2: the line is not POINT HEIGHT"},
        {"A 1\nB 2 3\n", Kind::NotPointHeight, 2, "h.txt, line 2: the line is not POINT HEIGHT"},
        {"# x\nA 1.2.3\n", Kind::NoNumber, 2,
         "h.txt, line 2: the height of fixed point A is no number: \"1.2.3\""},
        {"A 1\nA 2\n", Kind::FixedTwice, 2, "h.txt, line 2: point A is fixed twice at different heights"},
    };
    for (const Case& c : cases) {
        std::vector<FixedHeight> fixed;
        FixedHeightsFailure failure;
        EXPECT_FALSE(Read(c.text, fixed, failure)) << c.text;
        EXPECT_EQ(failure.kind, c.kind) << c.text;
        EXPECT_EQ(failure.line, c.line) << c.text;
        EXPECT_EQ(FixedHeightsFailureText(failure, "h.txt"), c.message) << c.text;
    }
}

TEST(FixedHeights, TypedHeightsRefuseNoPointNoNumberAndTwoHeights)
{
    std::vector<FixedHeight> fixed;
    FixedHeightsFailure failure;
    EXPECT_TRUE(AddFixedHeight({"A", 1.0}, fixed, failure));
    EXPECT_TRUE(AddFixedHeight({"A", 1.0}, fixed, failure));
    EXPECT_EQ(fixed.size(), 1u);

    EXPECT_FALSE(AddFixedHeight({"A", 2.0}, fixed, failure));
    EXPECT_EQ(failure.kind, Kind::FixedTwice);
    EXPECT_FALSE(AddFixedHeight({"", 2.0}, fixed, failure));
    EXPECT_EQ(failure.kind, Kind::NoPoint);
    EXPECT_FALSE(AddFixedHeight({"B", std::nan("")}, fixed, failure));
    EXPECT_EQ(FixedHeightsFailureText(failure, ""), "the height of fixed point B is no number");
    EXPECT_EQ(fixed.size(), 1u);
}

TEST(FixedHeights, AFileThatCannotBeOpenedSaysSo)
{
    std::vector<FixedHeight> fixed;
    FixedHeightsFailure failure;
    EXPECT_FALSE(ReadFixedHeightsFile("/no/such/heights.txt", fixed, failure));
    EXPECT_EQ(failure.kind, Kind::CannotRead);
    EXPECT_EQ(FixedHeightsFailureText(failure, "/no/such/heights.txt"),
              "/no/such/heights.txt cannot be read");
}

}  // namespace
}  // namespace velmora
