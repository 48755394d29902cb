// SPDX-License-Identifier: MIT
// The words and numbers of the checks' text output, pinned as exact strings.

#include "QualityTestSupport.h"
#include "quality/QualityText.h"
#include "fieldbook/Translation.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

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

    run.unreadable = {UnreadableCause::Kind::UnknownUnit};
    run.unreadable.unit = "yd";
    run.unreadable.point = "RP\xc1";  // "RPБ" in the book's bytes
    EXPECT_EQ(RunFiguresText(CheckRun(run, LimitsOf(ToleranceClass::II))),
              "7 BF: unreadable, unknown unit \"yd\" at point RP\u0411");
}

namespace {

LevellingRun ClosedRun(double heightSum, double distanceSum)
{
    LevellingRun run;
    run.firstPoint = "RP1";
    run.endsOnFirstPoint = true;
    run.pointCount = 4;
    run.heightSum = heightSum;
    run.distanceSum = distanceSum;
    return run;
}

}  // namespace

// fh as the run list rounds it (to 0.0001 m, halves away from zero) and fh доп as the list's
// tolerance, in millimetres; the run list's own verdict decides which words are used.
TEST(QualityTextTest, TheMisclosureIsShownInMillimetresAsTheRunListComputesIt)
{
    const double classII = CoefficientOf(ToleranceClass::II);
    // 1 km at class II allows 5 mm; −0.00146 m is −1.5 mm, as the list shows -0.0015.
    EXPECT_EQ(MisclosureText(ClosedRun(-0.00146, 1000), classII), "fh -1.5 mm, allowed fh 5.0 mm");
    EXPECT_EQ(MisclosureText(ClosedRun(0.005, 1000), classII), "fh 5.0 mm, allowed fh 5.0 mm");
    EXPECT_EQ(MisclosureText(ClosedRun(0.00501, 1000), classII), "fh 5.0 mm, above the allowed fh 5.0 mm");
    EXPECT_EQ(MisclosureText(ClosedRun(-0.0385, 4000), classII), "fh -38.5 mm, above the allowed fh 10.0 mm");
    EXPECT_EQ(MisclosureText(ClosedRun(-0.00003, 100), classII), "fh 0.0 mm, allowed fh 1.6 mm");

    LevellingRun open = ClosedRun(0.1, 100);
    open.endsOnFirstPoint = false;
    EXPECT_EQ(MisclosureText(open, classII), "fh: the run does not close on its first point");
    LevellingRun empty = ClosedRun(0, 0);
    empty.pointCount = 1;
    EXPECT_EQ(MisclosureText(empty, classII), "");
    LevellingRun unreadable = ClosedRun(std::nan(""), 100);
    EXPECT_EQ(MisclosureText(unreadable, classII), "");

    // In the run's line it stands after the length.
    const RunSights run = RunOf({StationOf(30, 29.5, 0.1)}, "BF");
    const std::string line = RunFiguresText(CheckRun(run, LimitsOf(ToleranceClass::II)), "fh X");
    EXPECT_NE(line.find("length 59.500 m, fh X, longest sight"), std::string::npos) << line;
}

TEST(QualityTextTest, RussianTextsUseTheirWordsPluralsAndDecimalComma)
{
    RunSights run = RunOf({StationOf(30, 29.5, 0.1), StationOf(20, 21, -0.1003)}, "BF");
    run.runNumber = "\xc6" "1";  // "Ж1" in Windows-1251
    const RunQuality quality = CheckRun(run, LimitsOf(ToleranceClass::II));
    std::vector<RunSights> more(3, run);
    more[0].stations.resize(1);
    more[1].stations.resize(5, run.stations[0]);
    more[2].stations.resize(21, run.stations[0]);

    velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    const std::string line = RunFiguresText(quality, MisclosureText(ClosedRun(-0.0385, 4000), 0.005));
    const std::string finding = FindingText({QualityCheck::Sight, 3, 80, 75});
    std::vector<std::string> counts;
    for (const RunSights& other : more)
        counts.push_back(RunFiguresText(CheckRun(other, LimitsOf(ToleranceClass::II))));
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");

    EXPECT_EQ(line.rfind("Ж1 BF: 2 станции, длина 100,500 м, fh -38,5 мм больше допустимой fh доп 10,0 мм, "
                         "наибольшее плечо 30,000 м, ", 0), 0u) << line;
    EXPECT_EQ(finding, "станция 3: плечо 80,000 м, допуск 75,000 м");
    EXPECT_NE(counts[0].find(": 1 станция,"), std::string::npos) << counts[0];
    EXPECT_NE(counts[1].find(": 5 станций,"), std::string::npos) << counts[1];
    EXPECT_NE(counts[2].find(": 21 станция,"), std::string::npos) << counts[2];
}
