// SPDX-License-Identifier: MIT
#include "fieldbook/MeasurementRecord.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"

#include <gtest/gtest.h>

#include <utility>

using velmora::Field;
using velmora::ParseLine;

namespace {

// An instrument line (119 characters) with two more characters, so that every field is full.
const std::string kM5 =
    "For M5|Adr     4|KD1       F2      15.0 C  2 KO1|Rb        0.93835 m   |HD         21.640 m   "
    "|Z        10.27961 m   | XY";

}  // namespace

TEST(ParseLineTest, CutsAllEighteenFieldsOfA121CharacterM5Line)
{
    ASSERT_EQ(kM5.size(), 121u);
    const auto record = ParseLine(kM5);
    EXPECT_EQ(record.field(Field::layoutTag), "For");
    EXPECT_EQ(record.field(Field::layoutName), "M5");
    EXPECT_EQ(record.field(Field::memoryAddressTag), "Adr");
    EXPECT_EQ(record.field(Field::memoryAddress), "4");
    EXPECT_EQ(record.field(Field::lineKind), "KD1");
    EXPECT_EQ(record.pointNumber(), "F2");
    EXPECT_EQ(record.field(Field::pointInfo), "15.0 C  2");
    EXPECT_EQ(record.runNumber(), "KO1");
    EXPECT_EQ(record.valueType(), "Rb");
    EXPECT_EQ(record.reading(), "0.93835");
    EXPECT_EQ(record.field(Field::readingUnit), "m");
    EXPECT_EQ(record.field(Field::distanceType), "HD");
    EXPECT_EQ(record.distance(), "21.640");
    EXPECT_EQ(record.field(Field::distanceUnit), "m");
    EXPECT_EQ(record.field(Field::heightType), "Z");
    EXPECT_EQ(record.field(Field::height), "10.27961");
    EXPECT_EQ(record.field(Field::heightUnit), "m");
    EXPECT_EQ(record.field(Field::lineRest), "| XY");
    EXPECT_EQ(record.lineText(), kM5);
    EXPECT_FALSE(record.skipped());
}

TEST(ParseLineTest, CutsFieldsAtTheEndOfAShortLine)
{
    // 118 characters: thirdRest (115, 6) keeps only the last three.
    const auto record = ParseLine(kM5.substr(0, 118));
    EXPECT_EQ(record.field(Field::lineRest), "|");
    // A field beginning exactly at the end, or beyond it, is empty; the load goes on.
    EXPECT_EQ(ParseLine(kM5.substr(0, 115)).field(Field::lineRest), "");
    const auto shortLine = ParseLine("For M5|Adr 1|KD1     A");
    EXPECT_EQ(shortLine.pointNumber(), "A");
    EXPECT_EQ(shortLine.runNumber(), "");
    EXPECT_EQ(shortLine.valueType(), "");
    EXPECT_EQ(ParseLine("Fo").runNumber(), "");
}

TEST(ParseLineTest, ChoosesTheLayoutByTheExactPrefixFor)
{
    const std::string plainBody = velmora::testing::PlainLine({"RP101", "12", "Rb", "1.43215", "25.301"});
    const auto plain = ParseLine(plainBody);
    EXPECT_EQ(plain.pointNumber(), "RP101");
    EXPECT_EQ(plain.runNumber(), "12");
    EXPECT_EQ(plain.valueType(), "Rb");
    EXPECT_EQ(plain.reading(), "1.43215");
    EXPECT_EQ(plain.distance(), "25.301");
    EXPECT_EQ(plain.field(Field::layoutTag), "");

    // "for" and " For" are plain lines: their columns 31-34 hold the run number.
    const auto lower = ParseLine("f" + kM5.substr(1));
    EXPECT_EQ(lower.field(Field::layoutTag), "");
    EXPECT_EQ(lower.runNumber(), velmora::TrimText(std::string_view(kM5).substr(31, 4)));
    EXPECT_EQ(lower.valueType(), velmora::TrimText(std::string_view(kM5).substr(36, 2)));
    const auto indented = ParseLine(" " + kM5);
    EXPECT_EQ(indented.field(Field::layoutTag), "");
    EXPECT_EQ(indented.pointNumber(), velmora::TrimText(std::string_view(" " + kM5).substr(7, 9)));
}

TEST(ParseLineTest, ValueTypeOfTwoBlanksIsEmpty)
{
    std::string line = kM5;
    line.replace(49, 2, "  ");
    EXPECT_EQ(ParseLine(line).valueType(), "");
}

TEST(ParseLineTest, LineTextKeepsOuterBlanksWhileFieldsAreTrimmed)
{
    const std::string line = "   " + velmora::testing::PlainLine({"A", "1", "Rb", "1.5", "50"}) + "   ";
    const auto record = ParseLine(line);
    EXPECT_EQ(record.lineText(), line);
}

TEST(MeasurementRecordTest, GridEditChangesFourFieldsButNotTheLineOrRun)
{
    auto record = ParseLine(kM5);
    record.SetGridFields("F9", "Rf", "1.23", "");
    EXPECT_EQ(record.pointNumber(), "F9");
    EXPECT_EQ(record.valueType(), "Rf");
    EXPECT_EQ(record.reading(), "1.23");
    EXPECT_EQ(record.distance(), "");
    EXPECT_EQ(record.runNumber(), "KO1");
    EXPECT_EQ(record.lineText(), kM5);

    const auto copy = record;  // a copy carries the edit, independent of the original
    record.SetGridFields("X", "Rb", "2", "3");
    EXPECT_EQ(copy.pointNumber(), "F9");
    EXPECT_EQ(record.pointNumber(), "X");
}

TEST(MeasurementRecordTest, RecordsOfAListGiveWhatParsedLinesGive)
{
    // A Leica book's records in a list keep their made run numbers and texts apart from the
    // line; they must read as records parsed one by one do, in the list, in a copy of the list,
    // taken out of it, and after an edit and its discard.
    using velmora::testing::GsiLine;
    using velmora::testing::GsiPointWord;
    using velmora::testing::GsiWord;
    const std::vector<std::string> lines = {
        GsiLine({GsiPointWord(1, "5", 16), GsiWord("83", '8', 100000, 16)}),
        GsiLine({"410002+00000000?......1"}),
        GsiLine({GsiPointWord(3, "5", 16), GsiWord("32", '8', 1824936, 16), GsiWord("331", '8', 159977, 16)}),
        GsiLine({GsiPointWord(4, "6", 16), GsiWord("32", '8', 1934475, 16), GsiWord("332", '8', -138073, 16)}),
        kM5,
        GsiLine({"410006+00000000?......2"}),
        GsiLine({GsiPointWord(7, "6", 16), GsiWord("574", '8', 3759411, 16), GsiWord("83", '8', 121904, 16)}),
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    velmora::RecordList list;
    velmora::ParseMeasurementText(text, list);
    const velmora::RecordList copied = list;
    ASSERT_EQ(list.size(), lines.size());
    std::string carried;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto parsed = ParseLine(lines[i], carried);
        carried = std::string(parsed.runNumber());
        list[i].SetGridFields("X", "Rb", "1", "2");
        list[i].DiscardEdits();
        const velmora::MeasurementRecord takenOut = copied[i];
        for (const velmora::MeasurementRecord* record : {&std::as_const(list[i]), &copied[i], &takenOut}) {
            SCOPED_TRACE(lines[i]);
            EXPECT_EQ(record->runNumber(), parsed.runNumber());
            EXPECT_EQ(record->lineText(), lines[i]);
            for (const Field f : {Field::pointNumber, Field::valueType, Field::reading, Field::distance,
                                  Field::instrumentHeight, Field::instrumentLength}) {
                EXPECT_EQ(record->field(f), parsed.field(f));
                if (f != Field::pointNumber && f != Field::valueType)
                    EXPECT_EQ(record->number(f).has_value(), !parsed.field(f).empty());
            }
        }
    }
    EXPECT_EQ(list[6].runNumber(), "1");  // numbered afresh after a run of another name
    EXPECT_EQ(list[6].reading(), "");
    EXPECT_EQ(copied[3].reading(), "-1.38073");
}
