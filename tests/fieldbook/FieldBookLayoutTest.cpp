// SPDX-License-Identifier: MIT
#include "fieldbook/FieldBookLayout.h"

#include "FieldBookLines.h"
#include "fieldbook/DiniLayouts.h"
#include "fieldbook/MeasurementFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

using velmora::DiniM5Layout;
using velmora::DiniPlainLayout;
using velmora::Field;
using velmora::FieldBookLayout;
using velmora::LayoutAt;
using velmora::LayoutIndexOf;
using velmora::BookFormats;
using velmora::LayoutCount;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;
using velmora::testing::PlainLine;

namespace {

const FieldBookLayout& LayoutOf(std::string_view line)
{
    return LayoutAt(LayoutIndexOf(line));
}

// The non-empty lines of a bundled sample, without their line ends.
std::vector<std::string> SampleLines(const std::string& name)
{
    std::ifstream in(std::string(VELMORA_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

}  // namespace

// Each layout of the table by its name, with the bundled sample written in it: a new layout
// needs its sample here. Every line of a sample is read by its own layout, no other layout but
// the plain one (which takes every line) recognises it, the sample's suffix is one of its
// format's, and every format says what the dialogs and the usage need.
TEST(FieldBookLayoutTest, EachLayoutOfTheTableRecognisesItsOwnSampleAndNoOthers)
{
    const std::map<std::string_view, std::string> samples = {
        {"M5", "levelling_m5.DAT"}, {"GSI", "leica_dna03.gsi"}, {"plain", "plain_layout.DAT"}};
    const std::uint8_t plain = static_cast<std::uint8_t>(LayoutCount() - 1);
    ASSERT_EQ(LayoutAt(plain).Name(), "plain");
    for (std::uint8_t own = 0; own < LayoutCount(); ++own) {
        const FieldBookLayout& layout = LayoutAt(own);
        SCOPED_TRACE(layout.Name());
        ASSERT_EQ(samples.count(layout.Name()), 1u) << "no sample for the layout";
        const std::string& sample = samples.at(layout.Name());
        const std::vector<std::string> lines = SampleLines(sample);
        ASSERT_FALSE(lines.empty()) << sample;
        for (const std::string& line : lines) {
            ASSERT_EQ(LayoutIndexOf(line), own) << line;
            for (std::uint8_t other = 0; other < plain; ++other)
                ASSERT_EQ(LayoutAt(other).Recognises(line), other == own) << LayoutAt(other).Name() << ": " << line;
        }
        const auto& suffixes = layout.Format().suffixes;
        EXPECT_NE(std::find(suffixes.begin(), suffixes.end(), sample.substr(sample.rfind('.') + 1)), suffixes.end());
        EXPECT_EQ(std::count(BookFormats().begin(), BookFormats().end(), &layout.Format()), 1);
    }
    for (const velmora::BookFormat* format : BookFormats()) {
        EXPECT_FALSE(format->name.empty());
        EXPECT_FALSE(format->suffixes.empty());
        EXPECT_NE(format->usage, nullptr);
    }
}

TEST(FieldBookLayoutTest, TheLayoutIsPickedByTheLinesContent)
{
    const std::string m5 = M5Line({"F2", "12", "Rb", "0.93835", "21.640"});
    EXPECT_EQ(&LayoutOf(m5), &DiniM5Layout());
    EXPECT_EQ(&LayoutOf("For"), &DiniM5Layout());
    EXPECT_EQ(&LayoutOf(PlainLine({"RP101", "12", "Rb", "1.43215", "25.301"})), &DiniPlainLayout());
    // Only the exact prefix makes an M5 line; everything else falls to the plain layout.
    for (const std::string& line : {"f" + m5.substr(1), " " + m5, std::string("Fo"), std::string()}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(&LayoutOf(line), &DiniPlainLayout());
    }

    // A book that mixes both gives every record the layout of its own line.
    const std::string plain = PlainLine({"A", "7", "Rf", "1.5", "20"});
    velmora::RecordList records;
    velmora::ParseMeasurementText(velmora::testing::JoinLines({plain, m5, plain}), records);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].layout().Name(), "plain");
    EXPECT_EQ(records[1].layout().Name(), "M5");
    EXPECT_EQ(records[2].layout().Name(), "plain");
    EXPECT_EQ(records[1].runNumber(), "12");
    EXPECT_EQ(records[2].runNumber(), "7");
}

TEST(FieldBookLayoutTest, AnM5LineReadThroughTheLayout)
{
    const FieldBookLayout& layout = DiniM5Layout();
    std::string line = M5Line({"F2", "KO1", "Rb", "0.93835", "21.640"});
    EXPECT_EQ(layout.FieldOf(line, Field::pointNumber), "F2");
    EXPECT_EQ(layout.FieldOf(line, Field::valueType), "Rb");
    EXPECT_EQ(layout.FieldOf(line, Field::reading), "0.93835");
    EXPECT_EQ(layout.FieldOf(line, Field::distance), "21.640");
    EXPECT_EQ(layout.RunNumberOf(line, "9"), "KO1");  // its own, whatever came before
    EXPECT_EQ(layout.UnitOf(line, Field::reading), "m");
    EXPECT_EQ(layout.MetresPerUnit(line, Field::distance), 1.0);
    EXPECT_FALSE(layout.IsEventLine(line));
    EXPECT_FALSE(layout.HasErrorFlag(line));

    // Units: feet for the reading only, then one the instrument does not write.
    line.replace(66, 5, " ft  ");
    EXPECT_EQ(layout.UnitOf(line, Field::reading), "ft");
    EXPECT_EQ(layout.MetresPerUnit(line, Field::reading), velmora::kMetresPerFoot);
    EXPECT_EQ(layout.MetresPerUnit(line, Field::distance), 1.0);
    line.replace(89, 5, " mm  ");
    EXPECT_EQ(layout.MetresPerUnit(line, Field::distance), std::nullopt);

    // The error flag stands in the last of the 119 columns, and nowhere else.
    ASSERT_EQ(line.size(), 119u);
    EXPECT_FALSE(layout.HasErrorFlag(line.substr(0, 118) + "|"));
    EXPECT_TRUE(layout.HasErrorFlag(line.substr(0, 118) + "e"));
    EXPECT_FALSE(layout.HasErrorFlag(line.substr(0, 117) + "e|"));
    EXPECT_FALSE(layout.HasErrorFlag(line.substr(0, 118)));
}

TEST(FieldBookLayoutTest, APlainLineReadThroughTheLayout)
{
    const FieldBookLayout& layout = DiniPlainLayout();
    const std::string line = PlainLine({"RP101", "12", "Rb", "1.43215", "25.301"});
    EXPECT_EQ(layout.FieldOf(line, Field::pointNumber), "RP101");
    EXPECT_EQ(layout.FieldOf(line, Field::valueType), "Rb");
    EXPECT_EQ(layout.FieldOf(line, Field::reading), "1.43215");
    EXPECT_EQ(layout.FieldOf(line, Field::distance), "25.301");
    EXPECT_EQ(layout.RunNumberOf(line, "9"), "12");
    // Fields the layout does not have are empty, and its values are in metres.
    EXPECT_EQ(layout.FieldOf(line, Field::layoutTag), "");
    EXPECT_EQ(layout.FieldOf(line, Field::readingUnit), "");
    EXPECT_EQ(layout.UnitOf(line, Field::reading), "");
    EXPECT_EQ(layout.MetresPerUnit(line, Field::reading), 1.0);
    // The plain layout has no error flag: an "e" where M5 keeps it means nothing.
    EXPECT_FALSE(layout.HasErrorFlag(line + std::string(118 - line.size(), ' ') + "e"));
}

TEST(FieldBookLayoutTest, EventsAndTheMethodWordOfBothLayouts)
{
    for (const FieldBookLayout* layout : {&DiniM5Layout(), &DiniPlainLayout()}) {
        SCOPED_TRACE(layout->Name());
        for (const char* marker : {"Start-Line", "End-Line", "Measurement repeated", "Station repeated",
                                   "#####", "BOOK.DAT"}) {
            EXPECT_TRUE(layout->IsEventLine(std::string("   ") + marker + "   1"));
        }
        EXPECT_FALSE(layout->IsEventLine("   Start Line   End-line  ####  .DA T"));
    }
    // Lines are searched several bytes at a time: a marker counts wherever it stands, in a
    // short line, across the pieces and in the last bytes.
    for (std::size_t before = 0; before < 40; ++before) {
        for (const std::string marker : {"End-Line", "A.DAT", "#####", "Station repeated"}) {
            const std::string line = std::string(before, '1') + marker;
            EXPECT_TRUE(DiniPlainLayout().IsEventLine(line)) << line;
            EXPECT_TRUE(DiniPlainLayout().IsEventLine(line + "   7")) << line;
        }
        EXPECT_FALSE(DiniPlainLayout().IsEventLine(std::string(before, '1') + "End_Line .DAt ####"));
    }

    EXPECT_EQ(DiniM5Layout().MethodWord(M5TextLine("Start-Line     aBFFB", "12")), "aBFFB");
    EXPECT_EQ(DiniM5Layout().MethodWord(M5TextLine("Pocatek poradu     ZV", "KO1")), "ZV");
    EXPECT_EQ(DiniM5Layout().MethodWord(M5TextLine("Start-Line", "12")), "");  // one word only
    EXPECT_EQ(DiniPlainLayout().MethodWord("     15 Start-Line         BF    21"), "BF");

    // The text before the run number begins at the point number's column (20), as every field
    // of the layout does: a word there counts.
    std::string line = M5TextLine("", "3");
    line.replace(20, 4, "Z BF");
    EXPECT_EQ(DiniM5Layout().MethodWord(line), "BF");
}
