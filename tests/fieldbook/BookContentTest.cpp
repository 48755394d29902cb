// SPDX-License-Identifier: MIT
#include "fieldbook/BookContent.h"

#include "fieldbook/GsiLayout.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;
using velmora::testing::PlainLine;

namespace {

BookContent ContentOfText(std::string_view text)
{
    RecordList records;
    ParseMeasurementText(text, records);
    return BookContentOf(records);
}

}  // namespace

// One observation, or one of the instrument's events, among lines of anything makes a book;
// lines the plain layout reads but that observe nothing do not.
TEST(BookContentTest, AFieldBookLineAnywhereMakesABook)
{
    EXPECT_EQ(ContentOfText(JoinLines({"notes", PlainLine({"P1", "5", "Rb", "1.00000", "20.00"})})),
              BookContent::FieldBook);
    EXPECT_EQ(ContentOfText(JoinLines({M5Line({"P1", "5", "Rf", "1.00000", "20.000"})})),
              BookContent::FieldBook);
    EXPECT_EQ(ContentOfText(JoinLines({M5TextLine("Start-Line     BF", "5")})), BookContent::FieldBook);
    // Unknown value types only (a "Z" line, an M5 line of no observation): no run, no event.
    EXPECT_NE(ContentOfText(JoinLines({PlainLine({"P1", "5", "Z", "101.25000", ""}),
                                       M5Line({"P1", "5", "Xx", "1.00000", "20.000"})})),
              BookContent::FieldBook);
}

TEST(BookContentTest, NamesWhatAFileOfNoFieldBookLineLooksLike)
{
    EXPECT_EQ(ContentOfText(""), BookContent::Empty);
    EXPECT_EQ(ContentOfText(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0", 11)), BookContent::XlsWorkbook);
    EXPECT_EQ(ContentOfText(std::string("PK\x03\x04\x14\0\0\0", 8)), BookContent::ZipArchive);
    EXPECT_EQ(ContentOfText("PK is a point, no archive\n"), BookContent::OtherText);
    EXPECT_EQ(ContentOfText("plain text\r\nof two lines\r\n"), BookContent::OtherText);
    EXPECT_EQ(ContentOfText("\r\n\r\n"), BookContent::OtherText);
}

// Binary data: any NUL byte, or one control byte in ten; a stray control byte stays text.
TEST(BookContentTest, TellsBinaryDataFromTextAtTheEdge)
{
    EXPECT_EQ(ContentOfText(std::string("text with a NUL \0 byte\n", 23)), BookContent::BinaryData);
    std::string text(100, 'a');
    text.replace(0, 10, 10, '\x01');
    EXPECT_EQ(ContentOfText(text), BookContent::OtherText);  // 10 of 100: still text
    text[10] = '\x02';
    EXPECT_EQ(ContentOfText(text), BookContent::BinaryData);  // 11 of 100
    EXPECT_EQ(ContentOfText("\t tabs,\f form feeds\r\n"), BookContent::OtherText);
    // Windows-1251 letters are text.
    EXPECT_EQ(ContentOfText("\xcd\xe8\xe2\xe5\xeb\xe8\xf0\r\n"), BookContent::OtherText);
}

// A Leica GSI book without levelling lines (words of 8 and 16 characters, no reading and no
// line start) is told by its first non-empty line; a levelling book is a field book.
TEST(BookContentTest, RecognisesALeicaGsiBook)
{
    EXPECT_EQ(ContentOfText("110001+00000001 32...8+00018249 \r\n"), BookContent::BookWithoutRuns);
    EXPECT_EQ(ContentOfText("\r\n*410001+00000000?......2 \r\n"), BookContent::FieldBook);
    EXPECT_EQ(ContentOfText("\r\n*410001+0000000000000012 \r\n"), BookContent::BookWithoutRuns);  // a code block
    EXPECT_EQ(ContentOfText("110002+000000A1 32...0+00020512 331..8+00152340 \n"), BookContent::FieldBook);
    EXPECT_EQ(ContentOfText("*110003+000000000000000G 32...8+0000000001824936 \n"), BookContent::BookWithoutRuns);
    // Almost GSI: no sign after the word index and information, or a word too short.
    EXPECT_EQ(ContentOfText("110001 00000001 32...8+00018249\n"), BookContent::OtherText);
    EXPECT_EQ(ContentOfText("110001+0000\n"), BookContent::OtherText);
    EXPECT_EQ(ContentOfText("1A0001+00000001\n"), BookContent::OtherText);
    // The book is told by the recognition that reads its lines: a word of no GSI width is no
    // GSI line, and a line that only begins as an M5 one tells nothing. The format named is
    // the telling layout's.
    EXPECT_EQ(ContentOfText("110001+00000001X32...8+00018249\n"), BookContent::OtherText);
    EXPECT_EQ(ContentOfText("Foreword\n"), BookContent::OtherText);
    EXPECT_EQ(velmora::FormatOfText("\r\n110001+00000001 \r\n"), &velmora::GsiLayout().Format());
    EXPECT_EQ(velmora::FormatOfText("For M5|Adr     1|TO  x.DAT\r\n"), nullptr);
}
