// SPDX-License-Identifier: MIT
// How the options' lists are split: commas, the equals sign of P=H, and the backslash that
// lets names hold either.
#include "cli/Command.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <string>
#include <vector>

using namespace velmora::cli;

namespace {

using Texts = std::vector<std::string>;

}  // namespace

TEST(SplitListTest, SplitsAtCommasThatAreNotEscaped)
{
    EXPECT_EQ(SplitList(""), Texts{});
    EXPECT_EQ(SplitList("12,3"), (Texts{"12", "3"}));
    EXPECT_EQ(SplitList(",a,"), (Texts{"", "a", ""}));
    EXPECT_EQ(SplitList("A\\,1,B"), (Texts{"A,1", "B"}));
    EXPECT_EQ(SplitList("a\\=b"), (Texts{"a=b"}));
    // An escaped backslash before a comma: the comma still separates.
    EXPECT_EQ(SplitList("a\\\\,b"), (Texts{"a\\", "b"}));
    EXPECT_EQ(SplitList("a\\\\\\,b"), (Texts{"a\\,b"}));
    // A backslash before anything else, or at the end, is itself.
    EXPECT_EQ(SplitList("C:\\x,\\"), (Texts{"C:\\x", "\\"}));
}

TEST(SplitListTest, FindsTheFirstEqualsSignThatIsNotEscaped)
{
    const std::vector<ListItem> items = SplitListItems("RP=1=100,A\\=B=7,C\\=D,E");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "RP=1=100");
    EXPECT_EQ(items[0].equals, 2u);
    EXPECT_EQ(items[1].text, "A=B=7");
    EXPECT_EQ(items[1].equals, 3u);
    EXPECT_EQ(items[2].text, "C=D");
    EXPECT_EQ(items[2].equals, std::string::npos);
    EXPECT_EQ(items[3].equals, std::string::npos);
}

// A list option given again adds its elements; an option of one value given twice must have
// one value; flags may repeat.
TEST(ArgumentsTest, ListOptionsAccumulateAndOneValueOptionsGivenTwiceMustAgree)
{
    const std::vector<std::string> options = {"--delete", "--runs", "--output", "--class"};
    const struct {
        std::vector<std::string> args;
        bool refused;
    } cases[] = {
        {{"--delete", "21", "--delete=22", "--json", "--json", "B"}, false},
        {{"--output", "a", "--output=a", "B"}, false},
        {{"--output", "a", "--output", "b", "B"}, true},
        {{"--class=I", "B", "--class", "II"}, true},
    };
    for (const auto& c : cases) {
        if (c.refused) {
            EXPECT_THROW(Arguments(c.args, options, {"--json"}), UsageError) << c.args[1];
            continue;
        }
        const Arguments arguments(c.args, options, {"--json"});
        EXPECT_EQ(arguments.positional(), Texts{"B"});
    }
    const Arguments arguments({"--runs", "3,1", "--runs", "", "--runs", "2", "--output", "o", "--output", "o"},
                              options, {});
    EXPECT_EQ(arguments.Values("--runs"), (Texts{"3,1", "", "2"}));
    EXPECT_EQ(arguments.Value("--output"), "o");
    EXPECT_THROW(arguments.Value("--runs"), std::logic_error);
}
