// SPDX-License-Identifier: MIT
#include "fieldbook/OutputPath.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;
using velmora::testing::PlainLine;
using velmora::testing::WriteTemporaryFile;

namespace {

OutputChoice Workbook(std::string_view output, const std::vector<std::string>& books = {})
{
    return ChooseOutput(output, OutputKind::Workbook, books);
}

}  // namespace

TEST(OutputPathTest, WorkbookFormatComesFromTheEndingInAnyCase)
{
    EXPECT_EQ(Workbook("a.xls").format, OutputFormat::Xls);
    EXPECT_EQ(Workbook("/x/A.XLS").format, OutputFormat::Xls);
    EXPECT_EQ(Workbook("a.xlsx").format, OutputFormat::Xlsx);
    EXPECT_EQ(Workbook("a.XlsX").format, OutputFormat::Xlsx);
    EXPECT_EQ(Workbook("-").format, OutputFormat::Xls);  // standard output
    EXPECT_TRUE(Workbook(".xls").allowed());
    for (const char* name : {"a.txt", "a.xls.DAT", "a.xlsm", "a.xl", "xls", "axlsx", "", "a.xls "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Workbook(name).refusal, OutputRefusal::NoWorkbookEnding);
    }
    EXPECT_EQ(OutputRefusalText(OutputRefusal::NoWorkbookEnding, "a.txt"),
              "the output a.txt ends in neither .xls nor .xlsx");
}

// adjust's output: a workbook, or its catalogue alone as a table; any other ending is refused,
// and only there is a .csv name taken.
TEST(OutputPathTest, CatalogueTakesCsvBesideTheWorkbooks)
{
    const auto catalogue = [](std::string_view output) {
        return ChooseOutput(output, OutputKind::WorkbookOrCatalogue, {});
    };
    EXPECT_EQ(catalogue("heights.csv").format, OutputFormat::Csv);
    EXPECT_EQ(catalogue("HEIGHTS.CSV").format, OutputFormat::Csv);
    EXPECT_EQ(catalogue("a.xlsx").format, OutputFormat::Xlsx);
    EXPECT_EQ(catalogue("-").format, OutputFormat::Xls);
    EXPECT_EQ(catalogue("a.txt").refusal, OutputRefusal::NoCatalogueEnding);
    EXPECT_EQ(catalogue("a.csv.txt").refusal, OutputRefusal::NoCatalogueEnding);
    EXPECT_EQ(Workbook("heights.csv").refusal, OutputRefusal::NoWorkbookEnding);
    EXPECT_EQ(OutputRefusalText(OutputRefusal::NoCatalogueEnding, "a.txt"),
              "the output a.txt ends in none of .xls, .xlsx and .csv");
}

TEST(OutputPathTest, ReportAndFieldBookTakeAnyName)
{
    EXPECT_EQ(ChooseOutput("page.txt", OutputKind::Report, {}).format, OutputFormat::Html);
    EXPECT_TRUE(ChooseOutput("page.txt", OutputKind::Report, {}).allowed());
    EXPECT_EQ(ChooseOutput("copy.xls", OutputKind::FieldBook, {}).format, OutputFormat::FieldBook);
}

// The field book itself, a symbolic link to it and a hard link to it are one file: a workbook
// or a report there would destroy the measurements. A field book may replace its own book.
TEST(OutputPathTest, TheFieldBookItselfIsRefusedHoweverItIsNamed)
{
    const std::string book = WriteTemporaryFile("output-guard.xls", "For M5|Adr 1|");
    const std::string other = WriteTemporaryFile("output-guard-other.DAT", "");
    const std::string folder = std::filesystem::path(book).parent_path().string();
    const std::string symbolic = folder + "/output-guard-link.xlsx";
    const std::string hard = folder + "/output-guard-hard.xls";
    std::filesystem::remove(symbolic);
    std::filesystem::remove(hard);
    std::filesystem::create_symlink(book, symbolic);
    std::filesystem::create_hard_link(book, hard);

    for (const std::string& output : {book, symbolic, hard, folder + "/./output-guard.xls"}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(Workbook(output, {other, book}).refusal, OutputRefusal::IsFieldBook);
        EXPECT_EQ(ChooseOutput(output, OutputKind::Report, {book}).refusal, OutputRefusal::IsFieldBook);
        EXPECT_TRUE(ChooseOutput(output, OutputKind::FieldBook, {book}).allowed());
        // Not the book read, but no workbook either.
        EXPECT_FALSE(Workbook(output, {other}).allowed());
    }
    // Standard output is no file here.
    EXPECT_TRUE(Workbook("-", {book}).allowed());
    EXPECT_TRUE(Workbook(folder + "/not-yet-there.xls", {book}).allowed());
    EXPECT_EQ(OutputRefusalText(OutputRefusal::IsFieldBook, "b.xls"), "the output b.xls is the field book itself");
}

// A workbook replaces only a workbook or an empty file: whatever else stands under the name
// (a field book, notes) would be lost. Standard output, a new name, a device and a table of
// heights (.csv) are not judged by content.
TEST(OutputPathTest, AnExistingFileIsReplacedOnlyWhenItIsAWorkbookOrEmpty)
{
    const std::string m5Book = WriteTemporaryFile(
        "content-m5.xls", JoinLines({M5TextLine("x.DAT", ""), M5Line({"A", "1", "Lr", "1.5", "10"})}));
    const std::string plainBook = WriteTemporaryFile(
        "content-plain.xlsx", JoinLines({"     1 plain.DAT", PlainLine({"A", "1", "Rb", "1.5", "10"})}));
    const std::string notes = WriteTemporaryFile("content-notes.xls", "Anything that is not a workbook\n");
    const std::string binary = WriteTemporaryFile("content-binary.xls", std::string("\x7f" "ELF\x02\x01\x01\0", 8));
    const std::string xls = WriteTemporaryFile("content-old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest", 12));
    const std::string xlsx = WriteTemporaryFile("content-old.xlsx", std::string("PK\x03\x04rest", 8));
    const std::string empty = WriteTemporaryFile("content-empty.xls", "");
    const std::string otherDat =
        WriteTemporaryFile("content-other.DAT", JoinLines({M5Line({"A", "1", "Rb", "1.5", "10"})}));

    EXPECT_EQ(ContentOf(m5Book), FileContent::FieldBook);
    EXPECT_EQ(ContentOf(notes), FileContent::Other);
    EXPECT_EQ(Workbook(notes).refusal, OutputRefusal::NotAWorkbook);
    EXPECT_EQ(Workbook(binary).refusal, OutputRefusal::NotAWorkbook);
    EXPECT_EQ(ChooseOutput(notes, OutputKind::WorkbookOrCatalogue, {}).refusal, OutputRefusal::NotAWorkbook);
    // Either workbook format may be replaced, whichever the name asks for.
    EXPECT_TRUE(Workbook(xls).allowed());
    EXPECT_TRUE(Workbook(xlsx).allowed());
    EXPECT_TRUE(Workbook(empty).allowed());
    EXPECT_TRUE(Workbook("/no/such/folder/new.xls").allowed());
    EXPECT_TRUE(Workbook("/dev/null.xls").allowed());
    // Another field book under its own name is refused for what it holds.
    EXPECT_EQ(Workbook(otherDat).refusal, OutputRefusal::HoldsFieldBook);
    // The book itself is refused as such whatever its name: that is what would be lost.
    EXPECT_EQ(Workbook(otherDat, {otherDat}).refusal, OutputRefusal::IsFieldBook);
    EXPECT_EQ(ChooseOutput(otherDat, OutputKind::WorkbookOrCatalogue, {otherDat}).refusal, OutputRefusal::IsFieldBook);
    EXPECT_EQ(ChooseOutput(otherDat, OutputKind::WorkbookOrCatalogue, {}).refusal, OutputRefusal::HoldsFieldBook);
    // A table of heights or a report is not a workbook: content is not judged.
    const std::string csv = WriteTemporaryFile("content-old.csv", "point,height\n");
    EXPECT_TRUE(ChooseOutput(csv, OutputKind::WorkbookOrCatalogue, {}).allowed());
    EXPECT_TRUE(ChooseOutput(notes, OutputKind::Report, {}).allowed());
    // A field-book line in the plain layout counts as one too.
    EXPECT_EQ(Workbook(plainBook).refusal, OutputRefusal::HoldsFieldBook);
    EXPECT_EQ(OutputRefusalText(OutputRefusal::HoldsFieldBook, "b.xls"), "the output b.xls holds a field book");
    EXPECT_EQ(OutputRefusalText(OutputRefusal::NotAWorkbook, "b.xls"), "the output b.xls exists and is not a workbook");
}
