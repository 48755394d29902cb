// SPDX-License-Identifier: MIT
#include "fieldbook/GsiLayout.h"

#include "FieldBookLines.h"
#include "fieldbook/DiniLayouts.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

using namespace velmora;
using velmora::testing::BookOfText;
using velmora::testing::GsiLine;
using velmora::testing::GsiPointWord;
using velmora::testing::GsiWord;
using velmora::testing::JoinLines;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;

namespace {

const std::string kSample = VELMORA_SAMPLES_DIR "/leica_dna03.gsi";

const FieldBookLayout& LayoutOf(std::string_view line)
{
    return LayoutAt(LayoutIndexOf(line));
}

// The words in which two texts differ, as "old -> new" pairs, line by line.
std::vector<std::string> ChangedWords(const std::string& before, const std::string& after)
{
    std::vector<std::string> changes;
    EXPECT_EQ(before.size(), after.size());
    for (std::size_t at = 0; at < std::min(before.size(), after.size());) {
        const std::size_t end = std::min(before.find_first_of(" \n", at), before.size());
        if (before.compare(at, end - at, after, at, end - at) != 0)
            changes.push_back(before.substr(at, end - at) + " -> " + after.substr(at, end - at));
        at = end + 1;
    }
    return changes;
}

}  // namespace

TEST(GsiLayoutTest, WordsOfBothWidthsAreReadByTheirIndexAndUnit)
{
    for (const int width : {8, 16}) {
        SCOPED_TRACE(width);
        const std::string line = GsiLine({GsiPointWord(3, "G", width), GsiWord("32", '8', 1824936, width),
                                          GsiWord("331", '8', 159977, width)});
        ASSERT_EQ(&LayoutOf(line), &GsiLayout());
        EXPECT_EQ(line.size(), (width == 16 ? 1u : 0u) + 3 * (width + 8u));
        // Without its "*" and without the blank after the last word it is still GSI.
        const std::string bare = line.substr(width == 16 ? 1 : 0, line.size() - (width == 16 ? 2 : 1));
        EXPECT_EQ(&LayoutOf(bare), &GsiLayout());

        const RecordList records = BookOfText(line + "\n" + bare + "\n");
        for (const MeasurementRecord& record : records) {
            EXPECT_EQ(record.pointNumber(), "G");  // without the zeros that fill the word
            EXPECT_EQ(record.valueType(), "Rb");
            EXPECT_EQ(record.reading(), "1.59977");
            EXPECT_EQ(record.distance(), "18.24936");
            EXPECT_FALSE(record.skipped());
        }
    }
    // The DiNi layouts keep their lines: the sign must stand in position 7.
    EXPECT_EQ(&LayoutOf(velmora::testing::PlainLine({"RP101", "12", "Rb", "1.43215", "25.301"})),
              &DiniPlainLayout());
    EXPECT_EQ(&LayoutOf("110002 00000001 "), &DiniPlainLayout());
    EXPECT_EQ(&LayoutOf("110002+0000001"), &DiniPlainLayout());  // data one short
}

TEST(GsiLayoutTest, UnitsPlaceTheDecimalPointAndFeetAreKnown)
{
    const FieldBookLayout& layout = GsiLayout();
    struct Case {
        char unit;
        long long number;
        const char* text;
        double metresPerUnit;
    };
    for (const Case& c : {Case{'0', 1524, "1.524", 1.0}, Case{'6', 15240, "1.5240", 1.0},
                          Case{'8', 152400, "1.52400", 1.0}, Case{'1', 5000, "5.000", kMetresPerFoot},
                          Case{'7', -50001, "-5.0001", kMetresPerFoot}, Case{'8', 5, "0.00005", 1.0},
                          Case{'8', 0, "0.00000", 1.0}, Case{'0', -1, "-0.001", 1.0}}) {
        SCOPED_TRACE(c.text);
        const std::string line = GsiLine({GsiPointWord(1, "1", 16), GsiWord("332", c.unit, c.number, 16)});
        std::string text;
        ASSERT_TRUE(layout.MakeText(line, Field::reading, text));
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(layout.MetresPerUnit(line, Field::reading), c.metresPerUnit);
        EXPECT_EQ(layout.FieldOf(line, Field::valueType), "Rf");
    }
    // An angle's unit is no length: nothing is made, and the run will say so.
    const std::string gon = GsiLine({GsiPointWord(1, "1", 8), GsiWord("331", '2', 1000, 8)});
    std::string text;
    EXPECT_FALSE(layout.MakeText(gon, Field::reading, text));
    EXPECT_EQ(layout.MetresPerUnit(gon, Field::reading), std::nullopt);
    EXPECT_EQ(layout.UnitOf(gon, Field::reading), "2");
}

TEST(GsiLayoutTest, NumbersAndValuesAreThoseOfTheTextsToTheLastBit)
{
    // NumberOf and ReadValues read the digits without making the text; they must give what
    // the text reads, also past 2^53 where the digits are no exact double.
    const FieldBookLayout& layout = GsiLayout();
    const std::string blank = "332.08+                ";
    const std::vector<std::string> readings = {
        GsiWord("332", '8', 159977, 16),           GsiWord("331", '0', -1, 16),
        GsiWord("335", '8', 0, 8),                 GsiWord("336", '7', -50001, 8),
        GsiWord("332", '8', 9007199254740993, 16), GsiWord("331", '6', 9999999999999999, 16),
        GsiWord("331", '2', 1000, 8),              blank,
    };
    for (const std::string& reading : readings) {
        SCOPED_TRACE(reading);
        const std::string line = GsiLine({GsiPointWord(1, "7", reading.size() > 16 ? 16 : 8), reading,
                                          GsiWord("32", '8', 1824936, reading.size() > 16 ? 16 : 8)});
        std::string made;
        const std::string_view text = layout.MakeText(line, Field::reading, made)
                                          ? std::string_view(made)
                                          : layout.FieldOf(line, Field::reading);
        const std::optional<double> number = layout.NumberOf(line, Field::reading);
        ASSERT_EQ(number.has_value(), !text.empty());
        LineValues values;
        LineFault fault{"not asked", "yet"};
        layout.ReadValues(line, values, true, &fault);
        EXPECT_EQ(fault, layout.Problem(line));
        EXPECT_EQ(values.pointNumber, "7");
        EXPECT_EQ(values.valueType, layout.FieldOf(line, Field::valueType));
        EXPECT_EQ(values.reading.metresPerUnit, layout.MetresPerUnit(line, Field::reading));
        EXPECT_EQ(values.distance.number, layout.NumberOf(line, Field::distance));
        EXPECT_FALSE(values.instrumentHeight.number.has_value());
        if (!number)
            continue;
        const double expected = TextToNumber(text);
        // Compared as bits: a minus zero or a last bit apart must show.
        EXPECT_EQ(std::signbit(*number), std::signbit(expected));
        EXPECT_TRUE(*number == expected || (std::isnan(*number) && std::isnan(expected)));
        EXPECT_TRUE(*values.reading.number == expected || std::isnan(expected));
    }
}

TEST(GsiLayoutTest, EveryPlaceOfTheDataIsCheckedAndWeighed)
{
    // The digits are read several at a time: a digit at any place must weigh by that place,
    // and a byte that is no digit there (also one next to '0' or '9', or one whose low half
    // looks like a digit) must fail the word.
    const FieldBookLayout& layout = GsiLayout();
    for (const int width : {8, 16}) {
        for (int place = 0; place < width; ++place) {
            SCOPED_TRACE("width " + std::to_string(width) + ", place " + std::to_string(place));
            std::string reading = GsiWord("331", '8', 0, width);
            const std::size_t at = reading.size() - static_cast<std::size_t>(width - place);
            reading[at] = '7';
            const std::string line = GsiLine({GsiPointWord(1, "7", width), reading});
            std::string made;
            ASSERT_TRUE(layout.MakeText(line, Field::reading, made));
            EXPECT_EQ(layout.NumberOf(line, Field::reading), TextToNumber(made));
            EXPECT_TRUE(layout.Problem(line).empty());
            for (const char bad : {'/', ':', 'A', '\xB7', '\0'}) {
                std::string broken = line;
                broken[line.find(reading) + at] = bad;
                EXPECT_FALSE(layout.Problem(broken).empty()) << static_cast<int>(bad);
                EXPECT_TRUE(std::isnan(layout.NumberOf(broken, Field::reading).value_or(0)))
                    << static_cast<int>(bad);
            }
        }
    }
}

TEST(GsiLayoutTest, LineStartsNumberTheRunsAndNameTheMethod)
{
    const std::string bffb = GsiLine({"410001+00000000?......2"});
    const std::string bf = GsiLine({"410001+?......1"});
    const std::string obs = GsiLine({GsiPointWord(2, "A", 16), GsiWord("331", '8', 1, 16)});
    const RecordList records = BookOfText(JoinLines({obs, bffb, obs, obs, bf, obs, bffb}, "\n"));
    std::vector<std::string> runs;
    for (const MeasurementRecord& record : records)
        runs.emplace_back(record.runNumber());
    // Blocks before the first line start make a run of their own.
    EXPECT_EQ(runs, (std::vector<std::string>{"1", "2", "2", "2", "3", "3", "4"}));
    EXPECT_EQ(GsiLayout().MethodWord(bffb), "BFFB");
    EXPECT_EQ(GsiLayout().MethodWord(bf), "BF");
    EXPECT_EQ(GsiLayout().MethodWord(GsiLine({"410001+?......9"})), "");
    EXPECT_EQ(GsiLayout().MethodWord(obs), "");
    EXPECT_TRUE(records[1].skipped());
    // A code block that is no line start begins no run.
    EXPECT_EQ(BookOfText(JoinLines({bffb, GsiLine({"410002+0000000000001400"}), obs}, "\n"))[2].runNumber(), "1");
}

TEST(GsiLayoutTest, ALineTakesNoPartByTheRuleOfEveryLayout)
{
    // The layout decides it in one search; the answer must be the rule's: no reading word, a
    // line start or a line-end record.
    const FieldBookLayout& layout = GsiLayout();
    std::vector<std::string> lines = {
        GsiLine({"410001+00000000?......2", GsiWord("331", '8', 5, 16)}),
        GsiLine({"410002+0000000000001400", GsiWord("331", '8', 5, 16)}),
        GsiLine({"571.08-0000000000000001", GsiWord("332", '8', 5, 16)}),
        GsiLine({GsiPointWord(2, "A", 16), GsiWord("83", '8', 5, 16)}),
        GsiLine({GsiPointWord(2, "A", 8), GsiWord("336", '8', 5, 8)}), GsiLine({GsiPointWord(2, "A", 16)}) + " 33",
        "no words at all",
    };
    std::istringstream sample(ReadWholeFile(kSample));
    for (std::string line; std::getline(sample, line);)
        lines.push_back(line.substr(0, line.find_last_not_of("\r") + 1));
    for (const std::string& line : lines)
        EXPECT_EQ(layout.TakesNoPart(line), layout.FieldBookLayout::TakesNoPart(line)) << line;
}

TEST(GsiLayoutTest, BadWordsAreNamedAndGoodLinesHaveNoProblem)
{
    const FieldBookLayout& layout = GsiLayout();
    const std::string good = GsiLine({GsiPointWord(3, "G", 16), GsiWord("32", '8', 1824936, 16),
                                      GsiWord("331", '8', 159977, 16)});
    EXPECT_TRUE(layout.Problem(good).empty());
    EXPECT_TRUE(layout.Problem(good.substr(0, good.size() - 1)).empty());
    EXPECT_TRUE(layout.Problem(good + "   ").empty());
    // Free text in a word whose data is not a number is fine.
    EXPECT_TRUE(layout.Problem(GsiLine({"508...+00000Gyors z\xe1r\xe1s"})).empty());

    // The fault as the layout words it ({1} the line's number, {2} the word), and the word.
    const auto fault = [&](const std::string& line) {
        const LineFault problem = layout.Problem(line);
        return std::pair<std::string, std::string>(problem.words ? problem.words : "", problem.word);
    };
    const std::string badWord = "bad word \"{2}\" in line {1}";
    std::string letter = good;
    letter[good.size() - 3] = 'x';
    EXPECT_EQ(fault(letter), std::pair(badWord, std::string("331..8+00000000001599x7")));
    std::string sign = good;
    sign[25 + 6] = '*';
    EXPECT_EQ(fault(sign), std::pair(badWord, std::string("32...8*0000000001824936")));
    EXPECT_EQ(fault(good + "33"), std::pair(badWord, std::string("33")));
    EXPECT_EQ(fault("no words at all"), std::pair(std::string("no GSI word in line {1}"), std::string()));
    std::string glued = good;
    glued[24] = '9';  // the blank after the first word
    EXPECT_FALSE(layout.Problem(glued).empty());
}

TEST(GsiLayoutTest, TheSampleSavedUnchangedGivesItsBytes)
{
    RecordList records;
    std::string error;
    ASSERT_TRUE(ReadMeasurementFile(kSample, records, error)) << error;
    ASSERT_EQ(records.size(), 1758u);
    const std::string out = WriteTemporaryFile("unchanged.gsi", "");
    ASSERT_TRUE(WriteMeasurementFile(out, records, {}, error)) << error;
    EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(kSample));

    // Line ends as the book has them: CR LF, LF, and none after the last line.
    const std::string line = GsiLine({GsiPointWord(1, "A", 8), GsiWord("331", '8', 1, 8)});
    const std::string mixed = line + "\r\n" + line + "\n" + line;
    RecordList book = BookOfText(mixed);
    ASSERT_TRUE(WriteMeasurementFile(out, book, {}, error)) << error;
    EXPECT_EQ(ReadWholeFile(out), mixed);
}

// A Leica book ends its lines with LF, CR LF or CR alone, may have empty lines anywhere and
// may begin with a UTF-8 byte-order mark: each reads as its lines, and saved with nothing
// deleted gives its bytes back.
TEST(GsiLayoutTest, EveryLineEndAndEmptyLineIsReadAndSavedAsTheBookHasIt)
{
    const std::string a = GsiLine({GsiPointWord(1, "A", 16), GsiWord("331", '8', 1, 16)});
    const std::string b = GsiLine({GsiPointWord(2, "B", 16), GsiWord("332", '8', 2, 16)});
    const std::string c = GsiLine({GsiPointWord(3, "C", 8), GsiWord("331", '8', 3, 8)});
    const struct {
        const char* name;
        std::string text;
    } books[] = {
        {"CR alone", a + "\r" + b + "\r" + c + "\r"},
        {"CR alone, empty lines", "\r" + a + "\r\r" + b + "\r" + c},
        {"CR LF, empty lines", a + "\r\n\r\n" + b + "\r\n" + c + "\r\n\r\n"},
        {"LF, empty lines", "\n\n" + a + "\n\n" + b + "\n" + c + "\n"},
        {"byte-order mark", "\xEF\xBB\xBF" + a + "\n" + b + "\n" + c + "\n"},
        {"last line ended by CR", a + "\n" + b + "\n" + c + "\r"},
        {"all of them", "\xEF\xBB\xBF\r\n" + a + "\r" + b + "\n\n" + c},
    };
    const std::string out = WriteTemporaryFile("line-ends.gsi", "");
    for (const auto& book : books) {
        SCOPED_TRACE(book.name);
        const RecordList records = BookOfText(book.text);
        std::vector<std::string> lines;
        for (const MeasurementRecord& record : records) {
            lines.emplace_back(record.lineText());
            EXPECT_EQ(&record.layout(), &GsiLayout());
            EXPECT_FALSE(record.skipped());
        }
        EXPECT_EQ(lines, (std::vector<std::string>{a, b, c}));
        std::string error;
        ASSERT_TRUE(WriteMeasurementFile(out, records, {}, error)) << error;
        EXPECT_EQ(ReadWholeFile(out), book.text);
    }
}

TEST(GsiLayoutTest, AnEditIsWrittenIntoItsWordAlone)
{
    RecordList records;
    std::string error;
    ASSERT_TRUE(ReadMeasurementFile(kSample, records, error)) << error;
    const std::string original = ReadWholeFile(kSample);
    // Line 3: "*110003+000000000000000G 32...8+0000000001824936 331.08+0000000000159977 ..."
    MeasurementRecord& record = records[2];
    ASSERT_EQ(record.reading(), "1.59977");
    const std::string out = WriteTemporaryFile("edited.gsi", "");

    record.SetGridFields("G", "Rb", "1.5998", "18.24936");
    ASSERT_TRUE(WriteMeasurementFile(out, records, {}, error)) << error;
    EXPECT_EQ(ChangedWords(original, ReadWholeFile(out)),
              (std::vector<std::string>{"331.08+0000000000159977 -> 331.08+0000000000159980"}));

    // Point, code and distance each go into their own word; a negative reading takes its sign.
    record.SetGridFields("G7", "Rf", "-0.00001", "18.2");
    ASSERT_TRUE(WriteMeasurementFile(out, records, {}, error)) << error;
    EXPECT_EQ(ChangedWords(original, ReadWholeFile(out)),
              (std::vector<std::string>{"*110003+000000000000000G -> *110003+00000000000000G7",
                                        "32...8+0000000001824936 -> 32...8+0000000001820000",
                                        "331.08+0000000000159977 -> 332.08-0000000000000001"}));

    // What its word cannot hold fails the save and leaves the file as it was; so does a sight
    // distance below zero.
    const std::string before = ReadWholeFile(out);
    for (const auto& [point, code, reading, distance] :
         {std::tuple{"G", "Rb", "abc", "18.24936"}, std::tuple{"G", "Rb", "1e12", "18.24936"},
          std::tuple{"G", "Sh", "1.5", "18.24936"}, std::tuple{"12345678901234567", "Rb", "1.5", "18.24936"},
          std::tuple{"G", "Rb", "1.5", "-5"}}) {
        SCOPED_TRACE(std::string(reading) + " " + distance);
        record.SetGridFields(point, code, reading, distance);
        Failure failure;
        EXPECT_FALSE(WriteMeasurementFile(out, records, {}, failure));
        EXPECT_EQ(failure.code, kEditNotWritable);
        EXPECT_EQ(ReadWholeFile(out), before);
    }
}
