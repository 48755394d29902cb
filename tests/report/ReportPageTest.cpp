// SPDX-License-Identifier: MIT
// The levelling report page: self-contained, every part a surveyor hands in, in the user's
// language, and a profile whose labels stay apart.

#include "../quality/QualityTestSupport.h"
#include "fieldbook/Translation.h"
#include "report/ReportPage.h"
#include "runs/ToleranceClass.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
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

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

ReportContents Contents(std::vector<RunQuality> runs, std::string name = "a.DAT")
{
    ReportContents contents;
    contents.books.push_back({std::move(name), "", "", std::move(runs)});
    contents.className = "II";
    contents.toleranceCoefficient = CoefficientOf(ToleranceClass::II);
    contents.limits = kClassII;
    return contents;
}

// A closed run of 1 km (ten stations of 50 m sights) from A back to A that misses by
// `misclosure`.
RunSights ClosedRun(double misclosure)
{
    std::vector<StationSights> stations;
    for (int i = 0; i < 10; ++i)
        stations.push_back(StationOf(50, 50, i < 5 ? 0.2 : -0.2));
    stations.back() = StationOf(50, 50, -0.2 + misclosure, {}, "A");
    RunSights run = RunOf(std::move(stations), "BFFB");
    run.closed = true;
    return run;
}

// Texts in Russian for one test, English again after it.
class RussianPage : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER); }
    void TearDown() override
    {
        unsetenv("LANGUAGE");
        std::setlocale(LC_MESSAGES, "C");
    }
};

}  // namespace

TEST(ReportPageTest, ThePageIsSelfContainedAndHoldsEveryPartOfTheReport)
{
    RunSights clean = ClosedRun(0.001);
    RunSights broken = RunOf({StationOf(80, 60, 0.2), StationOf(30, 30, -0.2)}, "BF");
    broken.runNumber = "K<1>";
    const std::string page =
        ReportPage(Contents({CheckRun(clean, kClassII), CheckRun(broken, kClassII)}, "a&b.DAT"));

    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0), 0u);
    EXPECT_TRUE(Has(page, "<title>Levelling report: a&amp;b.DAT</title>"));
    EXPECT_TRUE(Has(page, "@page { size: A4"));
    // Nothing is fetched: no scripts, no links, no sources; the SVG namespace is only a name.
    EXPECT_FALSE(Has(page, "<script"));
    EXPECT_FALSE(Has(page, "src="));
    EXPECT_FALSE(Has(page, "href="));
    EXPECT_FALSE(Has(page, "url("));
    EXPECT_EQ(Count(page, "http"), Count(page, "http://www.w3.org/2000/svg"));

    // The class, its limits and where they come from.
    EXPECT_TRUE(Has(page, "sight up to 75 m, station imbalance up to 1.0 m"));
    EXPECT_TRUE(Has(page, "no clause of it could be traced"));
    // One row per run in the runs table, a station table folded on screen and printed whole,
    // a profile per run; the findings of the broken run grouped, none for the clean one.
    EXPECT_EQ(Count(page, "<svg "), 2u);
    EXPECT_EQ(Count(page, "<details>"), 2u);
    EXPECT_TRUE(Has(page, "details::details-content { content-visibility: visible"));
    EXPECT_TRUE(Has(page, "<summary>Run K&lt;1&gt;: 2 stations</summary>"));
    EXPECT_TRUE(Has(page, "<p class=\"run\">Run K&lt;1&gt;</p>"));
    EXPECT_FALSE(Has(page, "<p class=\"run\">Run 7</p>"));
    EXPECT_TRUE(Has(page, "<li>sight length: station 1; 80.00 m, limit 75.00 m</li>"));
    EXPECT_FALSE(Has(page, "Adjustment of the network"));
}

TEST(ReportPageTest, TheRunsTableGivesTheMisclosureAgainstTheAllowedAndThePageCheck)
{
    // 1 km at class II: fh allowed 5 mm. 4.9 mm is within it, 5.1 mm beyond.
    const RunSights within = ClosedRun(0.0049);
    RunSights beyond = ClosedRun(-0.0051);
    beyond.runNumber = "8";
    RunSights open = RunOf({StationOf(20, 20, 0.3)}, "BFFB");
    open.runNumber = "9";
    // The book's own sum of height differences disagrees with its readings by 0.01 mm.
    open.heightSum += 0.00001;
    const std::string page = ReportPage(Contents(
        {CheckRun(within, kClassII), CheckRun(beyond, kClassII), CheckRun(open, kClassII)}));

    const std::regex row7("<tr><td>7</td>.*<td class=\"n\"><span>4.9</span></td><td class=\"n\">5.0</td>"
                          ".*fh within the allowed.*</tr>");
    EXPECT_TRUE(std::regex_search(page, row7));
    const std::regex row8("<tr><td>8</td>.*<span class=\"bad\">\u22125.1</span></td><td class=\"n\">5.0</td>"
                          ".*fh beyond the allowed.*</tr>");
    EXPECT_TRUE(std::regex_search(page, row8));
    // Σ back 15.00490 − Σ fore 15.00000 = Σh 0.00490; an open run has no fh.
    EXPECT_TRUE(Has(page, "<td class=\"n\">15.00490</td><td class=\"n\">15.00000</td><td class=\"n\">0.00490</td><td>holds</td>"));
    const std::regex row9("<tr><td>9</td>.*<td class=\"n\">0.30001</td><td><span class=\"bad\">fails</span></td>"
                          "<td class=\"n\">\u2014</td>.*open run, no fh.*</tr>");
    EXPECT_TRUE(std::regex_search(page, row9));
}

TEST_F(RussianPage, TheRussianPageSpeaksRussianWithTheDecimalComma)
{
    const RunSights run = ClosedRun(-0.0385);
    const std::string page = ReportPage(Contents({CheckRun(run, kClassII)}));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"ru\">", 0), 0u);
    EXPECT_TRUE(Has(page, "<h1>Отчёт о нивелировании</h1>"));
    EXPECT_TRUE(Has(page, "<span class=\"bad\">\u221238,5</span></td><td class=\"n\">5,0</td>"));
    EXPECT_TRUE(Has(page, "fh доп, мм"));
    EXPECT_TRUE(Has(page, "плечо до 75 м"));
    EXPECT_TRUE(Has(page, "расхождение двух отсчётов до 0,7 мм"));
    EXPECT_FALSE(std::regex_search(page, std::regex("<td class=\"n\">[^<]*[0-9]\\.[0-9]")));
}

TEST(ReportPageTest, RunAndPointNumbersAreConvertedFromTheFieldBooksCodePage)
{
    RunSights run = RunOf({StationOf(20, 20, 0.1, {}, "\xD0\xEF" "5")}, "BFFB");
    run.runNumber = "\xCA\xCE" "1";  // "КО1" in Windows-1251
    const std::string page = ReportPage(Contents({CheckRun(run, kClassII)}));
    EXPECT_TRUE(Has(page, "<tr><td>\xD0\x9A\xD0\x9E" "1</td>"));
    EXPECT_TRUE(Has(page, "<td>\xD0\xA0\xD0\xBF" "5</td>"));  // "Рп5" in the station table
}

TEST(ReportPageTest, ThePageIsValidUtf8WithControlCharactersShownAsInMessages)
{
    // A file name that is no UTF-8 (a Latin-1 "é", a lone continuation byte, an overlong "/")
    // and a point name with an escape and a line feed: every such byte shows as \xNN, as the
    // tool's messages show a file name; valid UTF-8 ("Ж") stays.
    RunSights run = RunOf({StationOf(20, 20, 0.1)}, "BFFB");
    run.firstPoint = "A\x1b[2J\nB";
    const std::string page =
        ReportPage(Contents({CheckRun(run, kClassII)}, "caf\xe9 \x80\xc0\xaf \xd0\x96\x7f.DAT"));
    EXPECT_TRUE(Has(page, "<title>Levelling report: caf\\xe9 \\x80\\xc0\\xaf \xd0\x96\\x7f.DAT</title>"));
    EXPECT_TRUE(Has(page, "<td>caf\\xe9 \\x80\\xc0\\xaf \xd0\x96\\x7f.DAT (the book records no times)</td>"));
    EXPECT_TRUE(Has(page, "<title>A\\x1b[2J\\x0aB: "));
    for (const char c : page) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_FALSE((byte < 0x20 && c != '\n') || byte == 0x7F) << "control byte " << int(byte);
    }
}

TEST(ReportPageTest, TheProfileRisesAndFallsWithTheHeightsAlongTheDistance)
{
    // From A at 0: up 1 m over 40 m, down 2 m over 60 m. Heights span −1 … +1 over 150 units
    // (170 at −1, 20 at +1); the distance spans 100 m over 580 units from x = 80.
    const RunSights run = RunOf({StationOf(20, 20, 1.0), StationOf(30, 30, -2.0)}, "BFFB");
    const std::string svg = ProfileSvg(CheckRun(run, kClassII), kClassII);
    EXPECT_TRUE(Has(svg, "<polyline class=\"profile\" points=\"80.0,95.0 312.0,20.0 660.0,170.0 \"/>"))
        << svg;
    EXPECT_TRUE(Has(svg, "distance 100.0 m"));
    // Four bars beneath, none over the limit of 75 m.
    EXPECT_EQ(Count(svg, "class=\"bar\""), 4u);
    EXPECT_EQ(Count(svg, "bar broken"), 0u);
}

TEST(ReportPageTest, ASightOverTheLimitIsARedBar)
{
    const RunSights run = RunOf({StationOf(75.0, 75.5, 0.0)}, "BFFB");
    const std::string svg = ProfileSvg(CheckRun(run, kClassII), kClassII);
    const std::regex broken("<rect [^>]*class=\"bar broken\"><title>station 1, fore sight 75.50 m");
    EXPECT_TRUE(std::regex_search(svg, broken)) << svg;
    EXPECT_EQ(Count(svg, "bar broken"), 1u);
}

TEST(ReportPageTest, TheHeightLabelsOfTheProfileNeverOverlap)
{
    // The first point is the highest by 0.3 mm: its label and the one of 0 want one place.
    const RunSights run = RunOf({StationOf(20, 20, 0.0003), StationOf(20, 20, -2.0)}, "BFFB");
    const std::string svg = ProfileSvg(CheckRun(run, kClassII), kClassII);
    const std::regex label("<text x=\"76.0\" y=\"([0-9.]+)\" text-anchor=\"end\">([^<]*)</text>");
    std::vector<double> ys;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), label); it != std::sregex_iterator(); ++it)
        ys.push_back(std::stod((*it)[1]));
    ASSERT_EQ(ys.size(), 4u) << svg;  // high, 0, low, and the bars' scale
    for (std::size_t i = 0; i < ys.size(); ++i) {
        for (std::size_t j = i + 1; j < ys.size(); ++j)
            EXPECT_GE(std::fabs(ys[i] - ys[j]), 12.0 - 1e-9) << svg;
    }

    // Spread alone: moved as little as it takes, kept in the frame, order kept.
    EXPECT_EQ(SpreadLabels({20, 20.1, 170}, 12, 14, 176), (std::vector<double>{20, 32, 170}));
    EXPECT_EQ(SpreadLabels({176, 175, 10}, 12, 14, 176), (std::vector<double>{176, 164, 14}));
    EXPECT_EQ(SpreadLabels({50, 100}, 12, 14, 176), (std::vector<double>{50, 100}));
}

TEST(ReportPageTest, TheAdjustmentShowsTheHeightsTheSectionsAndTheTest)
{
    // A loop A → B → C → A of 1 km each, fixed at A, misclosing by 3 mm.
    LevellingNetwork network;
    for (const auto& [from, to, dh] : {std::tuple{"A", "B", 1.0}, std::tuple{"B", "C", 0.5},
                                       std::tuple{"C", "A", -1.497}}) {
        LevellingObservation observation;
        observation.run = "1";
        observation.from = from;
        observation.to = to;
        observation.heightDifference = dh;
        observation.length = 1000;
        network.observations.push_back(observation);
    }
    network.nodes = {"B", "C"};
    NetworkAdjustment result;
    std::string error;
    ASSERT_TRUE(AdjustNetwork(network, {{"A", 100}}, 0.0025, result, error)) << error;
    const RunSights run = ClosedRun(0);
    ReportContents contents = Contents({CheckRun(run, kClassII)});
    contents.network = &network;
    contents.adjustment = &result;
    const std::string page = ReportPage(contents);

    EXPECT_TRUE(Has(page, "<h2>Adjustment of the network</h2>"));
    // 1 mm of the misclosure to each section: B at 101 − 0.001.
    EXPECT_TRUE(Has(page, "<tr><td>B</td><td class=\"n\">100.9990000</td>")) << page;
    EXPECT_TRUE(Has(page, "<tr><td>A</td><td class=\"n\">100.0000000</td><td class=\"n\">0.00</td><td>fixed</td></tr>"));
    EXPECT_TRUE(Has(page, "<td>1</td><td>B</td><td>C</td><td class=\"n\">1</td><td class=\"n\">0.50000</td>"
                          "<td class=\"n\">1.000</td><td class=\"n\">\u22121.00</td>"));
    EXPECT_TRUE(Has(page, "<tr><th>Degrees of freedom</th><td>1</td></tr>"));
    EXPECT_TRUE(Has(page, "A = 100.0000000 m"));
    // The figures as every output words them (runs/FigureWords.h): vᵀPv = 3 mm² per km over
    // 1 degree of freedom, σ₀ = √3 mm; χ² = 3 / 2.5², accepted within χ²(1) at 0.025 and 0.975.
    EXPECT_TRUE(Has(page, "<tr><th>σ a priori</th><td>2.50 mm per √km</td></tr>")) << page;
    EXPECT_TRUE(Has(page, "<tr><th>σ₀</th><td>1.73 mm per √km</td></tr>"));
    EXPECT_TRUE(Has(page, "<td>χ² = 0.480, accepted from 0.001 to 5.024: passed</td>"));
}

// A large page reaches the sink in pieces of bounded size, never whole; a refused piece ends
// the page.
TEST(ReportPageTest, ALargePageIsHandedOverInPiecesAndARefusalEndsIt)
{
    std::vector<RunSights> runs(300, ClosedRun(0.001));
    std::vector<RunQuality> qualities;
    for (const RunSights& run : runs)
        qualities.push_back(CheckRun(run, kClassII));
    const ReportContents contents = Contents(qualities);
    std::vector<std::size_t> pieces;
    EXPECT_TRUE(WriteReportPage(contents, [&](std::string_view piece) {
        pieces.push_back(piece.size());
        return true;
    }));
    EXPECT_GT(pieces.size(), 4u);
    for (const std::size_t size : pieces)
        EXPECT_LT(size, std::size_t{1} << 17);

    int asked = 0;
    EXPECT_FALSE(WriteReportPage(contents, [&](std::string_view) { return ++asked > 1; }));
    EXPECT_EQ(asked, 1);
}
