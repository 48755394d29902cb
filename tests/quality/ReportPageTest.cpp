// SPDX-License-Identifier: MIT
// The HTML page: self-contained, findings in red, the profile drawn from the run's figures.

#include "QualityTestSupport.h"
#include "quality/ReportPage.h"

#include <gtest/gtest.h>

#include <regex>

using namespace velmora;
using velmora::testing::RunOf;
using velmora::testing::StationOf;

namespace {

const LevellingLimits kClassII = LimitsOf(ToleranceClass::II);

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(ReportPageTest, ThePageIsSelfContainedAndShowsEveryRunWithItsFindingsInRed)
{
    RunSights clean = RunOf({StationOf(20, 20, 0.5), StationOf(20, 20, -0.5)}, "BFFB");
    RunSights broken = RunOf({StationOf(80, 60, 0.2), StationOf(30, 30, -0.2)}, "BF");
    broken.runNumber = "K<1>";
    const std::vector<RunQuality> runs = {CheckRun(clean, kClassII), CheckRun(broken, kClassII)};
    const std::string page = ReportPage("Levelling quality of a&b.DAT", "II", kClassII, runs);

    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<title>Levelling quality of a&amp;b.DAT</title>"), std::string::npos);
    EXPECT_NE(page.find("@page { size: A4"), std::string::npos);
    // Nothing is fetched: no scripts, no links, no sources; the SVG namespace is only a name.
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(page.find("href="), std::string::npos);
    EXPECT_EQ(page.find("url("), std::string::npos);
    EXPECT_EQ(Count(page, "http"), Count(page, "http://www.w3.org/2000/svg"));

    EXPECT_EQ(Count(page, "<section>"), 2u);
    EXPECT_EQ(Count(page, "<svg "), 2u);
    EXPECT_NE(page.find("<h2>Run K&lt;1&gt;</h2>"), std::string::npos);
    EXPECT_NE(page.find("No findings."), std::string::npos);
    // Sight 80 m, station imbalance 20 m, cumulative 20 m, single readings.
    EXPECT_EQ(Count(page, "<tr class=\"finding\">"), 4u);
    EXPECT_NE(page.find("tr.finding td { color: #c00000; }"), std::string::npos);
    EXPECT_NE(page.find("station 1: sight 80.000 m, limit 75.000 m"), std::string::npos);
}

TEST(ReportPageTest, RunAndPointNumbersAreConvertedFromTheFieldBooksCodePage)
{
    RunSights run = RunOf({StationOf(20, 20, 0.1)}, "BFFB");
    run.runNumber = "\xCA\xCE" "1";  // "КО1" in Windows-1251
    const std::string page = ReportPage("t", "II", kClassII, {CheckRun(run, kClassII)});
    EXPECT_NE(page.find("Run \xD0\x9A\xD0\x9E" "1"), std::string::npos);
}

TEST(ReportPageTest, ThePageIsValidUtf8WithControlCharactersShownAsInMessages)
{
    // A file name that is no UTF-8 (a Latin-1 "é", a lone continuation byte, an overlong "/")
    // and a point name with an escape and a line feed: every such byte shows as \xNN, as the
    // tool's messages show a file name; valid UTF-8 ("Ж") stays.
    RunSights run = RunOf({StationOf(20, 20, 0.1)}, "BFFB");
    run.firstPoint = "A\x1b[2J\nB";
    const std::string page = ReportPage("caf\xe9 \x80\xc0\xaf \xd0\x96\x7f.DAT", "II", kClassII,
                                        {CheckRun(run, kClassII)});
    EXPECT_NE(page.find("<title>caf\\xe9 \\x80\\xc0\\xaf \xd0\x96\\x7f.DAT</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>caf\\xe9 \\x80\\xc0\\xaf \xd0\x96\\x7f.DAT</h1>"), std::string::npos);
    EXPECT_NE(page.find("<title>A\\x1b[2J\\x0aB: "), std::string::npos);
    for (const char c : page) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_FALSE((byte < 0x20 && c != '\n') || byte == 0x7F) << "control byte " << int(byte);
    }
}

TEST(ReportPageTest, TheProfileRisesAndFallsWithTheHeightsAlongTheDistance)
{
    // From A at 0: up 1 m over 40 m, down 2 m over 60 m. Heights span −1 … +1 over 150 units
    // (170 at −1, 20 at +1); the distance spans 100 m over 590 units from x = 70.
    const RunSights run = RunOf({StationOf(20, 20, 1.0), StationOf(30, 30, -2.0)}, "BFFB");
    const std::string svg = ProfileSvg(CheckRun(run, kClassII), kClassII);
    EXPECT_NE(svg.find("<polyline class=\"profile\" points=\"70.0,95.0 306.0,20.0 660.0,170.0 \"/>"),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("distance 100.0 m"), std::string::npos);
    // Four bars beneath, none over the limit of 75 m.
    EXPECT_EQ(Count(svg, "class=\"bar\""), 4u);
    EXPECT_EQ(Count(svg, "bar broken"), 0u);
}

TEST(ReportPageTest, ASightOverTheLimitIsARedBar)
{
    const RunSights run = RunOf({StationOf(75.0, 75.5, 0.0)}, "BFFB");
    const std::string svg = ProfileSvg(CheckRun(run, kClassII), kClassII);
    const std::regex broken("<rect [^>]*class=\"bar broken\"><title>station 1 fore sight 75.500 m");
    EXPECT_TRUE(std::regex_search(svg, broken)) << svg;
    EXPECT_EQ(Count(svg, "bar broken"), 1u);
}
