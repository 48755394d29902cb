// SPDX-License-Identifier: MIT
// The words and numbers of the checks' text output, pinned as exact strings.

#include "QualityTestSupport.h"
#include "quality/QualityText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace velmora;
using velmora::testing::RunOf;
using velmora::testing::StationOf;

TEST(QualityTextTest, EachFindingReadsWithItsValueAndLimit)
{
    EXPECT_EQ(FindingText({QualityCheck::Sight, 3, 80, 75}), "station 3: sight 80.000 m, limit 75.000 m");
    EXPECT_EQ(FindingText({QualityCheck::StationImbalance, 2, 19, 1}),
              "station 2: station imbalance 19.000 m, limit 1.000 m");
    EXPECT_EQ(FindingText({QualityCheck::CumulativeImbalance, 12, 36.7, 2}),
              "station 12: cumulative imbalance 36.700 m, limit 2.000 m");
    EXPECT_EQ(FindingText({QualityCheck::DoubleReading, 4, 0.0009, 0.0007}),
              "station 4: two readings of one sight differ by 0.00090 m, limit 0.00070 m");
    EXPECT_EQ(FindingText({QualityCheck::InstrumentHeight, 0, 0.0002, 0.00015}),
              "instrument: our height sum differs from Sh by 0.00020 m, limit 0.00015 m");
    EXPECT_EQ(FindingText({QualityCheck::InstrumentLength, 0, 0.02, 0.015}),
              "instrument: our length differs from Db+Df by 0.020 m, limit 0.015 m");
    EXPECT_EQ(FindingText({QualityCheck::Method, 0, 1, 2}),
              "method: every sight is read once, the class asks for two readings");
    EXPECT_EQ(FindingText({QualityCheck::Method, 0, std::nan(""), std::nan("")}),
              "method: the stations cannot be read");
}

TEST(QualityTextTest, TheRunLineCarriesEveryFigure)
{
    RunSights run = RunOf({StationOf(30, 29.5, 0.1), StationOf(20, 21, -0.1003)}, "BFFB");
    run.stations[1].readingDifference = 0.0003;
    run.instrument = InstrumentFigures{-0.0003, 100.5};
    const RunQuality quality = CheckRun(run, LimitsOf(ToleranceClass::II));
    EXPECT_EQ(RunFiguresText(quality),
              "7 BFFB: 2 stations, length 100.500 m, longest sight 30.000 m, largest station "
              "imbalance 1.000 m, cumulative imbalance -0.500 m (largest 0.500 m), two readings "
              "differ by up to 0.00030 m, instrument Sh -0.00030 m (ours differ by 0.00000 m), "
              "Db+Df 100.500 m (ours differ by 0.000 m)");

    run.instrument.reset();
    run.method = "BF";
    run.doubleReadings = false;
    run.stations[1].readingDifference.reset();
    const std::string single = RunFiguresText(CheckRun(run, LimitsOf(ToleranceClass::II)));
    EXPECT_NE(single.find("two readings differ by - (one reading per sight)"), std::string::npos);
    EXPECT_NE(single.find("instrument sums: none in the field book"), std::string::npos);

    EXPECT_EQ(RunFiguresText(CheckRun(RunOf({}), LimitsOf(ToleranceClass::II))), "7 BF: no stations");

    run.unreadableReason = "unknown unit 'yd'";
    EXPECT_EQ(RunFiguresText(CheckRun(run, LimitsOf(ToleranceClass::II))),
              "7 BF: unreadable, unknown unit 'yd'");
}
