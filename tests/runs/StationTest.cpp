// SPDX-License-Identifier: MIT
#include "runs/Station.h"

#include "FieldBookLines.h"
#include "RunsByNumber.h"
#include "export/Adjustment.h"
#include "fieldbook/MeasurementFile.h"
#include "runs/RunList.h"
#include "runs/Rounding.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace velmora;
using velmora::testing::WalkRunByNumber;
using velmora::testing::BookOf;
using velmora::testing::M5Line;
using velmora::testing::M5Lines;
using velmora::testing::M5TextLine;
using velmora::testing::Observation;
using velmora::testing::WithStartLine;

namespace {

constexpr double kClassII = 0.005;

// A loop A → B → A measured BFFB, each reading taken twice with different results:
// station 1: back on A 1.5001 / 1.5003 at 25.0 / 25.2 m, fore on B 1.2000 / 1.2002 at 24.0 / 24.2 m;
// station 2: back on B 1.1000 / 1.1002 at 15 m, fore on A 1.3998 / 1.4000 at 15 m.
const std::vector<Observation> kDoubleLoop = {
    {"A", "7", "Rb", "1.5001", "25.0"}, {"B", "7", "Rf", "1.2000", "24.0"},
    {"B", "7", "Rf", "1.2002", "24.2"}, {"A", "7", "Rb", "1.5003", "25.2"},
    {"B", "7", "Rb", "1.1000", "15"},   {"A", "7", "Rf", "1.3998", "15"},
    {"A", "7", "Rf", "1.4000", "15"},   {"B", "7", "Rb", "1.1002", "15"},
};

}  // namespace

TEST(MethodOfWordTest, NamesTheMethodInEveryLanguage)
{
    EXPECT_EQ(MethodOfWord("BF"), LevellingMethod::BF);
    EXPECT_EQ(MethodOfWord("BFFB"), LevellingMethod::BFFB);
    EXPECT_EQ(MethodOfWord("aBFBF"), LevellingMethod::aBFBF);
    EXPECT_EQ(MethodOfWord("ZV"), LevellingMethod::BF);       // Czech: zpět, vpřed
    EXPECT_EQ(MethodOfWord("ZVVZ"), LevellingMethod::BFFB);
    EXPECT_EQ(MethodOfWord("aZV"), LevellingMethod::aBF);
    EXPECT_EQ(MethodOfWord("RVRV"), LevellingMethod::BFBF);   // German
    EXPECT_EQ(MethodOfWord("aRVVR"), LevellingMethod::aBFFB);
    for (const char* word : {"", "bf", "BFF", "FB", "ZF", "aa", "Start-Line", "0210"})
        EXPECT_FALSE(MethodOfWord(word)) << word;
}

TEST(StationTest, DoubleReadingsThatDifferGiveTheirMeans)
{
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "named BFFB" : "found from the readings");
        const RecordList records =
            BookOf(named ? WithStartLine("BFFB", M5Lines(kDoubleLoop)) : M5Lines(kDoubleLoop));
        const RunStations run = WalkRunByNumber(records, "7");
        EXPECT_EQ(run.method, LevellingMethod::BFFB);
        EXPECT_EQ(run.methodFromBook, named);
        ASSERT_TRUE(run.Readable()) << run.reason;
        ASSERT_EQ(run.stations.size(), 2u);
        const Station& first = run.stations[0];
        EXPECT_EQ(first.backPoint, "A");
        EXPECT_EQ(first.forePoint, "B");
        EXPECT_EQ(first.backsights.size(), 2u);
        EXPECT_EQ(first.foresights.size(), 2u);
        EXPECT_EQ(first.records.size(), 4u);
        EXPECT_DOUBLE_EQ(first.back, 1.5002);
        EXPECT_DOUBLE_EQ(first.fore, 1.2001);
        EXPECT_DOUBLE_EQ(first.backDistance, 25.1);
        EXPECT_DOUBLE_EQ(first.foreDistance, 24.1);
        EXPECT_DOUBLE_EQ(run.stations[1].HeightDifference(), 1.1001 - 1.3999);

        // 0.3001 − 0.2998 = 0.0003 over 49.2 + 30 m; B gets 100.3001 − 0.0003 × 49.2 / 79.2.
        const RunCatalog runs(records);
        EXPECT_NEAR(runs.Find("7").heightSum, 0.0003, 1e-12);
        EXPECT_NEAR(runs.Find("7").distanceSum, 79.2, 1e-12);
        EXPECT_EQ(RunEntryText(runs, "7", kClassII), "7 // 0.0003");
        std::vector<std::string> pending = {"7"};
        std::vector<AdjustedRun> written;
        ExportRuns(records, pending, "A", 100, kClassII,
                   [&](const AdjustedRun& adjusted) { written.push_back(adjusted); });
        ASSERT_EQ(written.size(), 1u);
        ASSERT_EQ(written[0].points.size(), 2u);
        EXPECT_EQ(NumberText(RoundTo4(written[0].points[1].height)), "100.2999");
    }
}

TEST(StationTest, AlternatingOrdersAreFoundFromTheReadings)
{
    // aBF: A → B read back then fore, B → C read fore then back.
    const RecordList records = BookOf(M5Lines({{"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"},
                                           {"C", "7", "Rf", "1.2", "10"}, {"B", "7", "Rb", "1.4", "10"}}));
    const RunStations run = WalkRunByNumber(records, "7");
    EXPECT_EQ(run.method, LevellingMethod::aBF);
    ASSERT_EQ(run.stations.size(), 2u);
    EXPECT_EQ(run.stations[1].backPoint, "B");
    EXPECT_EQ(run.stations[1].forePoint, "C");
    EXPECT_DOUBLE_EQ(LevellingRun::Of(run).heightSum, (1.5 - 1.0) + (1.4 - 1.2));
    EXPECT_EQ(LevellingRun::Of(run).pointCount, 3);
}

TEST(StationTest, AStationThatFitsNoMethodMakesTheRunUnreadable)
{
    const std::vector<Observation> threeForesights = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"},
        {"B", "7", "Rf", "1.0", "10"}, {"A", "7", "Rb", "1.5", "10"}};
    const std::vector<Observation> twoForePoints = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"C", "7", "Rf", "1.0", "10"},
        {"A", "7", "Rb", "1.5", "10"}};
    const std::vector<Observation> halfAStation = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"},
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rb", "1.5", "10"}, {"A", "7", "Rf", "2.0", "10"}};
    const std::vector<std::pair<RecordList, std::string>> books = {
        {BookOf(WithStartLine("BFFB", M5Lines(threeForesights))), "fits no levelling method"},
        {BookOf(WithStartLine("ZVVZ", M5Lines(twoForePoints))), "readings on different points"},
        {BookOf(WithStartLine("aBFFB", M5Lines(halfAStation))), "is incomplete"},
        {BookOf(M5Lines(halfAStation)), "readings taken twice"},  // no method named
    };
    for (const auto& [records, why] : books) {
        SCOPED_TRACE(why);
        const RunCatalog runs(records);
        EXPECT_EQ(RunEntryText(runs, "7", kClassII), "7 // ???? ");
        EXPECT_EQ(runs.Find("7").Status(kClassII), RunStatus::Unreadable);
        EXPECT_NE(runs.Find("7").UnreadableReason(kClassII).find(why), std::string::npos)
            << runs.Find("7").UnreadableReason(kClassII);
        EXPECT_EQ(runs.Find("7").heightSum, 0.0);  // nothing summed from a misread station
        std::vector<std::string> pending = {"7"};
        EXPECT_THROW(ExportRuns(records, pending, "A", 100, kClassII, [](const AdjustedRun&) {}),
                     ExportError);
    }
}

// A sight distance below zero shortens the run and with it the allowed misclosure; one that
// is no number leaves no tolerance at all. Either makes the run unreadable, open or closed,
// and names the distance; a distance of zero written with a sign is still a distance.
TEST(StationTest, ADistanceBelowZeroOrNoNumberMakesTheRunUnreadable)
{
    using Kind = UnreadableCause::Kind;
    const std::vector<std::tuple<std::string, std::string, Kind, std::string>> cases = {
        {"A", "-21.35", Kind::NegativeDistance, "negative distance -21.35 at point B"},
        {"C", "-21.35", Kind::NegativeDistance, "negative distance -21.35 at point B"},
        {"A", "20,x", Kind::DistanceNotANumber, "distance \"20,x\" at point B is not a number"},
        {"C", "", Kind::DistanceNotANumber, "distance \"\" at point B is not a number"},
        {"A", "-0.00", Kind::None, ""},
    };
    for (const auto& [last, distance, kind, reason] : cases) {
        SCOPED_TRACE(distance + " in a run to " + last);
        const RecordList records = BookOf(M5Lines({{"A", "7", "Rb", "1.5", "20"},
                                                   {"B", "7", "Rf", "1.2", distance},
                                                   {"B", "7", "Rb", "1.4", "20"},
                                                   {last, "7", "Rf", "1.7", "20"}}));
        const RunStations run = WalkRunByNumber(records, "7");
        EXPECT_EQ(run.cause.kind, kind);
        EXPECT_EQ(run.reason, reason);
        if (kind == Kind::None)
            continue;
        EXPECT_EQ(run.reasonRecord, std::optional<std::size_t>(1));
        EXPECT_EQ(RunEntryText(RunCatalog(records), "7", kClassII), "7 // ???? ");
    }
}

TEST(StationTest, BfRulesStayForOddOrdersOfABookNamedBf)
{
    // Named BF, the doubled foresight pairs with the same backsight twice, as the book's rules say.
    const std::vector<Observation> run = {
        {"A", "7", "Rb", "2.0", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"}};
    const RunCatalog runs(BookOf(WithStartLine("BF", M5Lines(run))));
    EXPECT_EQ(runs.Find("7").heightSum, 2.0);
    EXPECT_EQ(runs.Find("7").distanceSum, 40.0);
    EXPECT_EQ(runs.Find("7").method, LevellingMethod::BF);
}

TEST(StationTest, IntermediateSightsOfDoubleReadingsReferToTheStationsStart)
{
    // BFFB A → B with an intermediate sight on X after the station's four readings.
    std::vector<Observation> run(kDoubleLoop.begin(), kDoubleLoop.begin() + 4);
    run.push_back({"X", "7", "Rz", "1.0000", "5"});
    const RecordList records = BookOf(M5Lines(run));
    const RunStations stations = WalkRunByNumber(records, "7");
    ASSERT_EQ(stations.stations.size(), 1u);
    ASSERT_EQ(stations.stations[0].intermediates.size(), 1u);
    const RunPoints points = CollectRunPoints(stations, {});
    ASSERT_EQ(points.points.size(), 3u);
    EXPECT_EQ(points.points[1].point, "X");
    EXPECT_DOUBLE_EQ(points.points[1].height, 1.5002 - 1.0);  // A + mean back − reading
    EXPECT_EQ(points.points[2].point, "B");
    EXPECT_DOUBLE_EQ(points.points[2].height, 1.5002 - 1.2001);

    // Intermediate sights alone make a station that opens nothing: no backsight, no point.
    const RecordList alone = BookOf(WithStartLine("BFFB", M5Lines({{"X", "7", "Rz", "1.0000", "5"}})));
    const RunStations none = WalkRunByNumber(alone, "7");
    ASSERT_TRUE(none.methodFromBook);
    ASSERT_EQ(none.stations.size(), 1u);
    EXPECT_EQ(none.openingStation, 1u);
    EXPECT_EQ(LevellingRun::Of(none).pointCount, 0);
}

TEST(StationTest, FeetBecomeMetresExactlyAndAnUnknownUnitIsUnreadable)
{
    auto withUnit = [](std::string line, std::string_view unit) {
        line.replace(67, 2, std::string(unit) + std::string(2 - unit.size(), ' '));
        line.replace(90, 2, std::string(unit) + std::string(2 - unit.size(), ' '));
        return line;
    };
    const std::vector<std::string> feet = {
        withUnit(M5Line({"A", "7", "Rb", "5", "100"}), "ft"),
        withUnit(M5Line({"B", "7", "Rf", "3", "90"}), "ft")};
    const RunStations run = WalkRunByNumber(BookOf(feet), "7");
    ASSERT_TRUE(run.Readable()) << run.reason;
    ASSERT_EQ(run.stations.size(), 1u);
    EXPECT_EQ(run.stations[0].back, 5 * 0.3048);
    EXPECT_EQ(run.stations[0].fore, 3 * 0.3048);
    EXPECT_EQ(run.stations[0].backDistance, 100 * 0.3048);
    EXPECT_EQ(run.stations[0].foreDistance, 90 * 0.3048);

    const std::vector<std::string> yards = {M5Line({"A", "7", "Rb", "5", "100"}),
                                            withUnit(M5Line({"B", "7", "Rf", "3", "90"}), "yd")};
    const RunCatalog runs(BookOf(yards));
    EXPECT_EQ(RunEntryText(runs, "7", kClassII), "7 // ???? ");
    EXPECT_NE(runs.Find("7").reason().find("\"yd\""), std::string::npos) << runs.Find("7").reason();

    // The why of an unread run goes with every copy of it, and only with it.
    LevellingRun copy = runs.Find("7");
    EXPECT_EQ(copy.Status(kClassII), RunStatus::Unreadable);
    EXPECT_EQ(copy.reason(), runs.Find("7").reason());
    EXPECT_EQ(copy.cause(), runs.Find("7").cause());
    copy = RunCatalog(BookOf({M5Line({"A", "7", "Rb", "5", "100"}), M5Line({"A", "7", "Rf", "5", "90"})})).Find("7");
    EXPECT_TRUE(copy.reason().empty());
    EXPECT_EQ(copy.Status(kClassII), RunStatus::WithinTolerance);
}

TEST(StationTest, GermanCodesAndFailedReadings)
{
    std::vector<std::string> lines = {M5Line({"A", "7", "Lr", "1.5", "10"}),
                                      M5Line({"B", "7", "Lv", "1.0", "10"}),
                                      M5Line({"B", "7", "Lv", "9.9", "10"}),
                                      M5Line({"X", "7", "Lz", "1.2", "5"})};
    lines[2][118] = 'e';  // the instrument flagged this reading as failed
    const RecordList records = BookOf(lines);
    EXPECT_TRUE(records[2].skipped());
    EXPECT_EQ(records[2].lineText(), lines[2]);  // kept as read, and saved with its run
    const RunStations run = WalkRunByNumber(records, "7");
    ASSERT_EQ(run.stations.size(), 1u);
    EXPECT_EQ(run.stations[0].fore, 1.0);
    EXPECT_EQ(run.stations[0].intermediates.size(), 1u);
}

TEST(StationTest, TheInstrumentsOwnSumsAreCheckedAtItsPrecision)
{
    // A → B: our sum 0.5 over 20 m; the instrument writes Sh and Db/Df at the run's end.
    auto book = [](const char* sh, const char* db, const char* df) {
        std::vector<std::string> lines = {M5Line({"A", "7", "Rb", "1.5", "10"}),
                                          M5Line({"B", "7", "Rf", "1.0", "10"}),
                                          M5Line({"B", "7", "Sh", sh, ""}),
                                          M5Line({"B", "7", "Db", db, df})};
        return RunCatalog(BookOf(lines)).Find("7");
    };
    const LevellingRun agreeing = book("0.50014", "10.01", "10.004");
    ASSERT_TRUE(agreeing.instrument);
    EXPECT_EQ(agreeing.instrument->heightSum, 0.50014);
    EXPECT_EQ(agreeing.instrument->length, 10.01 + 10.004);
    EXPECT_EQ(agreeing.AgreesWithInstrument(), true);
    EXPECT_EQ(book("0.50016", "10", "10").AgreesWithInstrument(), false);
    EXPECT_EQ(book("0.5", "10", "10.016").AgreesWithInstrument(), false);

    const LevellingRun without =
        RunCatalog(BookOf({M5Line({"A", "7", "Rb", "1.5", "10"}), M5Line({"B", "7", "Rf", "1.0", "10"})}))
            .Find("7");
    EXPECT_FALSE(without.instrument);
    EXPECT_FALSE(without.AgreesWithInstrument());
}

TEST(StationTest, EveryRealBookAgreesWithTheInstrument)
{
    const std::vector<std::string> books = velmora::testing::RealFieldBooks();
    VELMORA_REQUIRE_REAL_FIELD_BOOKS(books);
    int compared = 0;
    for (const std::string& book : books) {
        SCOPED_TRACE(book);
        RecordList records;
        std::string error;
        ASSERT_TRUE(ReadMeasurementFile(book, records, error)) << error;
        const RunCatalog runs(records);
        for (const std::string& number : CollapsedRunNumbers(records)) {
            const std::optional<bool> agrees = runs.Find(number).AgreesWithInstrument();
            EXPECT_NE(agrees, false) << "run " << number;
            compared += agrees.has_value();
        }
    }
    EXPECT_GT(compared, 0);
}

TEST(RunStretchesTest, GathersEveryRecordOfARunWhereverItStands)
{
    const RecordList records = BookOf({M5TextLine("Start-Line     BF", "1"),
                                     M5Line({"A", "1", "Rb", "1", "1"}), M5Line({"P", "2", "Rb", "1", "1"}),
                                     M5Line({"B", " 1", "Rf", "1", "1"})});
    const RunStretches runs(records);
    EXPECT_EQ(runs.RecordsOf("1"), (std::vector<std::size_t>{0, 1, 3}));
    EXPECT_EQ(runs.RecordsOf(" 2 "), (std::vector<std::size_t>{2}));
    EXPECT_TRUE(runs.RecordsOf("3").empty());
    ASSERT_EQ(runs.runs().size(), 2u);
    EXPECT_EQ(runs.runs()[0].number, "1");
    EXPECT_EQ(runs.runs()[1].number, "2");
    // The start-of-line record belongs to its run but gives it no entry of its own.
    EXPECT_EQ(runs.runs()[0].kept, 2u);
    EXPECT_EQ(runs.CollapsedRunNumbers(), (std::vector<std::string>{"1", "2", "1"}));
}
