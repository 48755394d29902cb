// SPDX-License-Identifier: MIT
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(ToleranceClassTest, CoefficientsLabelsAndMenuCaptions)
{
    EXPECT_EQ(CoefficientOf(ToleranceClass::I), 0.002);
    EXPECT_EQ(CoefficientOf(ToleranceClass::II), 0.005);
    EXPECT_EQ(CoefficientOf(ToleranceClass::III), 0.01);
    EXPECT_EQ(CoefficientOf(ToleranceClass::IV), 0.02);
    EXPECT_EQ(CoefficientOf(kStartClass), 0.005);

    EXPECT_EQ(ClassLabelText(ToleranceClass::I), "I \xEA\xEB.");
    EXPECT_EQ(ClassLabelText(ToleranceClass::IV), "IV \xEA\xEB.");
    EXPECT_EQ(ClassMenuText(ToleranceClass::III), "III class");
}

TEST(ToleranceClassTest, ClassIsKnownOnlyByItsExactCoefficient)
{
    for (ToleranceClass c : kAllClasses) {
        EXPECT_EQ(ClassOfCoefficient(CoefficientOf(c)), c);
        EXPECT_EQ(ClassFromName(ClassName(c)), c);
    }
    EXPECT_FALSE(ClassOfCoefficient(0.0050000001));
    EXPECT_FALSE(ClassOfCoefficient(0.0));
    EXPECT_FALSE(ClassFromName("ii"));
    EXPECT_FALSE(ClassFromName("V"));
}
