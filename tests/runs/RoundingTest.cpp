#include "runs/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>

using velmora::NumberText;
using velmora::RoundTo4;

TEST(RoundTo4Test, WrittenFormsOfTheShownMisclosures)
{
    EXPECT_EQ(NumberText(RoundTo4(0.00344)), "0.0034");
    EXPECT_EQ(NumberText(RoundTo4(0.00125)), "0.0013");
    EXPECT_EQ(NumberText(RoundTo4(-0.00016)), "-0.0002");
    EXPECT_EQ(NumberText(RoundTo4(0.0)), "0");
    EXPECT_EQ(NumberText(RoundTo4(1.5)), "1.5");
    EXPECT_EQ(NumberText(RoundTo4(0.00005)), "0.0001");
    EXPECT_EQ(NumberText(RoundTo4(0.002)), "0.002");
    EXPECT_EQ(NumberText(RoundTo4(-12.34567)), "-12.3457");
    EXPECT_EQ(NumberText(RoundTo4(1000.29944)), "1000.2994");
}

TEST(RoundTo4Test, NegativeValueRoundingToZeroIsNegativeZero)
{
    const double r = RoundTo4(-0.00003);
    EXPECT_EQ(r, 0.0);
    EXPECT_TRUE(std::signbit(r));
    EXPECT_EQ(NumberText(r), "-0");
    EXPECT_FALSE(std::signbit(RoundTo4(0.00003)));
}

TEST(RoundTo4Test, HalvesGoAwayFromZeroAsComputedInDoubles)
{
    // 2.5 ten-thousandths exactly: c − a = 0.5 is not above 0.5, so the magnitude rounds up.
    EXPECT_EQ(RoundTo4(0.00025), 3 * 0.0001);
    EXPECT_EQ(RoundTo4(-0.00025), -(3 * 0.0001));
    // The result is c × 0.0001 in doubles, not c / 10000.
    EXPECT_EQ(RoundTo4(0.0034), 34 * 0.0001);
    EXPECT_EQ(RoundTo4(0.00034999), 3 * 0.0001);
}

TEST(NumberTextTest, PlainNotationBelowTenBillionExponentAbove)
{
    EXPECT_EQ(NumberText(123456.7891), "123456.7891");
    EXPECT_EQ(NumberText(9999999999.0), "9999999999");
    EXPECT_EQ(NumberText(1e10), "1E10");
    EXPECT_EQ(NumberText(-1.5e12), "-1.5E12");
    EXPECT_EQ(NumberText(0.0001), "0.0001");
}
