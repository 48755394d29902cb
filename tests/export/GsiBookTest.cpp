// SPDX-License-Identifier: MIT
// Leica GSI books through the whole chain: runs, the instrument check, the station checks and
// the export, against the words of the book and against the same readings in a DiNi book.
#include "export/Adjustment.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "quality/BookSights.h"
#include "runs/RunCatalog.h"
#include "runs/RunList.h"
#include "fieldbook/Translation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

using namespace velmora;
using velmora::testing::BookOfText;
using velmora::testing::GsiLine;
using velmora::testing::GsiPointWord;
using velmora::testing::GsiWord;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;

namespace {

constexpr double kClassII = 0.005;

// What the sample's words say of each levelling line, read here word by word: the stations
// (one 571 word each), the instrument's line length (the last 574) and the largest difference
// between the two readings of one sight (331/335, 332/336).
struct LineFromWords {
    int stations = 0;
    double length = 0;
    double largestDifference = 0;
};

std::vector<LineFromWords> LinesOfSample(const std::string& path)
{
    std::ifstream in(path);
    std::vector<LineFromWords> lines;
    std::map<std::string, double> station;  // reading words of the station being measured
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line[0] == '*' ? line.substr(1) : line);
        std::string word;
        while (words >> word) {
            if (word.size() < 23)
                continue;  // the blank inside a text word
            const std::string head = word.substr(0, 4);
            const double value = std::stod(word.substr(6, 1) + word.substr(7)) / 1e5;  // unit 8
            if (head.substr(0, 2) == "41" && word.find('?') != std::string::npos) {
                lines.emplace_back();
            } else if (head.substr(0, 3) == "571") {
                lines.back().stations++;
                for (const auto& [first, second] : {std::pair{"331", "335"}, std::pair{"332", "336"}})
                    lines.back().largestDifference = std::max(
                        lines.back().largestDifference, std::fabs(station[first] - station[second]));
                station.clear();
            } else if (head.substr(0, 3) == "574") {
                lines.back().length = value;
            } else if (head[3] == '.' && head.substr(0, 2) == "33") {
                station[head.substr(0, 3)] = value;
            }
        }
    }
    return lines;
}

// One book of two runs in a DiNi M5 book and in GSI words of both widths:
// run 1 BF in metres, the loop A → T1 → A; run 2 BFFB in feet, the open line A → T2 → B.
struct Reading {
    const char* point;
    const char* code;    // "Rb" or "Rf"
    long long number;    // the reading without its decimal point
    long long distance;  // the same for the distance
};
struct BookRun {
    const char* method;
    bool feet;
    std::vector<Reading> readings;
};
const std::vector<BookRun> kBook = {
    {"BF", false,
     {{"A", "Rb", 15234, 20512}, {"T1", "Rf", 12011, 20488}, {"T1", "Rb", 11027, 15201},
      {"A", "Rf", 14248, 15322}}},
    {"BFFB", true,
     {{"A", "Rb", 49981, 601200}, {"T2", "Rf", 39415, 614000}, {"T2", "Rf", 39417, 614100},
      {"A", "Rb", 49979, 601100}, {"T2", "Rb", 21003, 402000}, {"B", "Rf", 35120, 398000},
      {"B", "Rf", 35122, 398100}, {"T2", "Rb", 21001, 402100}}},
};

// Readings have four decimals, distances three; the DiNi book writes them so.
std::string Decimal(long long number, int decimals)
{
    std::string digits = std::to_string(number);
    digits.insert(0, static_cast<std::size_t>(std::max(0, decimals + 1 - static_cast<int>(digits.size()))), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    return digits;
}

std::string DiniBook()
{
    std::vector<std::string> lines;
    int run = 0;
    for (const BookRun& book : kBook) {
        const std::string number = std::to_string(++run);
        lines.push_back(M5TextLine(std::string("Start-Line ") + book.method, number));
        for (const Reading& r : book.readings) {
            std::string line = M5Line({r.point, number, r.code, Decimal(r.number, 4), Decimal(r.distance, 3)});
            if (book.feet) {
                line.replace(66, 5, " ft  ");
                line.replace(89, 5, " ft  ");
            }
            lines.push_back(line);
        }
    }
    return JoinLines(lines);
}

// GSI-8 writes readings to 1/100 mm (unit 8) or 1/10000 ft (7) and distances to 1 mm (0) or
// 1/1000 ft (1); GSI-16 readings to 1/10 mm (6) and distances to 1/100 mm (8).
std::string GsiBook(int width)
{
    std::vector<std::string> lines;
    int block = 0;
    for (const BookRun& book : kBook) {
        const char method = std::string_view(book.method) == "BF" ? '1' : '2';
        lines.push_back(GsiLine({std::string("41") + (width == 8 ? "0001+?......" : "0001+00000000?......") + method}));
        for (const Reading& r : book.readings) {
            const bool back = std::string_view(r.code) == "Rb";
            const char readingUnit = book.feet ? '7' : width == 8 ? '8' : '6';
            const long long reading = !book.feet && width == 8 ? r.number * 10 : r.number;
            const char distanceUnit = book.feet ? '1' : width == 8 ? '0' : '8';
            const long long distance = !book.feet && width == 16 ? r.distance * 100 : r.distance;
            lines.push_back(GsiLine({GsiPointWord(++block, r.point, width),
                                     GsiWord("32", distanceUnit, distance, width),
                                     GsiWord(back ? "331" : "332", readingUnit, reading, width)}));
        }
    }
    return JoinLines(lines, "\n");
}

struct RunResult {
    std::string entry;
    double heightSum;
    double length;
    std::vector<std::pair<std::string, double>> heights;
};

std::vector<RunResult> Results(const RecordList& records)
{
    const RunCatalog catalog(records);
    std::vector<RunResult> results;
    for (const std::string run : {"1", "2"}) {
        const LevellingRun& found = catalog.Find(run);
        results.push_back({RunEntryText(catalog, run, kClassII), found.heightSum, found.distanceSum, {}});
    }
    std::vector<std::string> pending = {"1", "2"};
    ExportRuns(records, pending, "A", 100.0, kClassII, [&](const AdjustedRun& run) {
        for (const PointEntry& point : run.points)
            results[std::stoul(run.runNumber) - 1].heights.emplace_back(point.point, point.height);
    });
    EXPECT_TRUE(pending.empty());
    return results;
}

}  // namespace

TEST(GsiBookTest, TheSampleReadsAsItsWordsSay)
{
    const std::string path = VELMORA_SAMPLES_DIR "/leica_dna03.gsi";
    RecordList records;
    std::string error;
    ASSERT_TRUE(ReadMeasurementFile(path, records, error)) << error;
    const std::vector<LineFromWords> words = LinesOfSample(path);
    const std::vector<RunSights> runs = SightsOfRuns(records);
    ASSERT_EQ(words.size(), 32u);
    ASSERT_EQ(runs.size(), 32u);

    const RunCatalog catalog(records);
    std::vector<std::string> disagreeing;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const RunSights& run = runs[i];
        SCOPED_TRACE(run.runNumber);
        EXPECT_EQ(run.runNumber, std::to_string(i + 1));
        EXPECT_EQ(run.method, "BFFB");
        EXPECT_TRUE(run.unreadable.empty());
        EXPECT_EQ(run.stations.size(), static_cast<std::size_t>(words[i].stations));
        double largest = 0;
        for (const StationSights& station : run.stations)
            largest = std::max(largest, station.readingDifference.value_or(-1));
        EXPECT_NEAR(largest, words[i].largestDifference, 1e-9);
        ASSERT_TRUE(run.instrument && run.instrument->length);
        EXPECT_DOUBLE_EQ(*run.instrument->length, words[i].length);
        if (run.runNumber != "11") {
            EXPECT_NEAR(run.distanceSum, words[i].length, 0.0001);
        }
        if (!catalog.Find(run.runNumber).AgreesWithInstrument().value_or(false))
            disagreeing.push_back(run.runNumber);
    }
    // Line 8 holds a station whose readings are 0.65 mm off the instrument's difference; a
    // station of line 11 is missing from the file.
    EXPECT_EQ(disagreeing, (std::vector<std::string>{"8", "11"}));
    EXPECT_NEAR(runs[7].heightSum - *runs[7].instrument->heightSum, -0.00065, 0.00002);
    EXPECT_GT(std::fabs(runs[10].heightSum - *runs[10].instrument->heightSum), 0.5);
    EXPECT_GT(*runs[10].instrument->length - runs[10].distanceSum, 45.0);
}

TEST(GsiBookTest, GsiBooksOfBothWidthsGiveWhatTheSameDiniBookGives)
{
    const std::vector<RunResult> dini = Results(BookOfText(DiniBook()));
    ASSERT_EQ(dini[0].entry, "1 // 0.0002");
    ASSERT_EQ(dini[1].entry, "2 // ----");
    ASSERT_EQ(dini[1].heights.size(), 3u);
    for (const int width : {8, 16}) {
        SCOPED_TRACE(width);
        const std::vector<RunResult> gsi = Results(BookOfText(GsiBook(width)));
        for (std::size_t run = 0; run < 2; ++run) {
            EXPECT_EQ(gsi[run].entry, dini[run].entry);
            EXPECT_EQ(gsi[run].heightSum, dini[run].heightSum);
            EXPECT_EQ(gsi[run].length, dini[run].length);
            EXPECT_EQ(gsi[run].heights, dini[run].heights);
        }
    }
}

// A last line ended by CR alone reads as the book ended by LF reads. A bad word that is only a
// control byte (a tab after the last word) is quoted with the byte shown, never as "".
TEST(GsiBookTest, ACarriageReturnEndsTheLastLineAndABadWordShowsItsControlBytes)
{
    const std::string book = GsiBook(16);
    ASSERT_EQ(book.back(), '\n');
    const std::string body = book.substr(0, book.size() - 1);
    const std::vector<RunResult> lf = Results(BookOfText(book));
    const std::vector<RunResult> cr = Results(BookOfText(body + "\r"));
    ASSERT_EQ(cr.size(), lf.size());
    for (std::size_t run = 0; run < lf.size(); ++run)
        EXPECT_EQ(cr[run].entry, lf[run].entry);

    const RecordList records = BookOfText(body + "\t\n");
    EXPECT_EQ(RunCatalog(records).Find("2").reason(), "bad word \"\\x09\" in line " + std::to_string(records.size()));
}

TEST(GsiBookTest, ABadWordMakesItsRunUnreadableAndNamesTheLine)
{
    std::string book = GsiBook(16);
    // Line 3 is the second reading of run 1: a letter in its reading's digits.
    const std::size_t third = book.find('\n', book.find('\n') + 1) + 1;
    const std::size_t reading = book.find("332", third);
    book[reading + 20] = 'O';
    const RecordList records = BookOfText(book);
    const RunCatalog catalog(records);
    EXPECT_EQ(catalog.Find("1").Status(kClassII), RunStatus::Unreadable);
    EXPECT_EQ(catalog.Find("1").reason(), "bad word \"332..6+0000000000012O11\" in line 3");
    // The layout's words for the fault, for people in their language.
    velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    const std::string russian = catalog.Find("1").UnreadableCauseOf(kClassII).TextForPeople();
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
    EXPECT_EQ(russian, "строка 3 не читается: неверное слово «332..6+0000000000012O11»");
    EXPECT_EQ(RunEntryText(catalog, "2", kClassII), "2 // ----");

    // Cut anywhere, the book still loads, and every run is either readable or says why.
    for (std::size_t cut = 0; cut < book.size(); cut += 7) {
        const RecordList part = BookOfText(std::string_view(book).substr(0, cut));
        const RunCatalog runs(part);
        for (const std::string run : {"1", "2"}) {
            const LevellingRun& found = runs.Find(run);
            EXPECT_TRUE(found.reason().empty() || found.Status(kClassII) == RunStatus::Unreadable);
        }
    }
}
