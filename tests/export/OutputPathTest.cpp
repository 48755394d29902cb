// SPDX-License-Identifier: MIT
#include "export/OutputPath.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
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
        EXPECT_TRUE(Workbook(output, {other}).allowed());
    }
    // Standard output is no file here.
    EXPECT_TRUE(Workbook("-", {book}).allowed());
    EXPECT_TRUE(Workbook(folder + "/not-yet-there.xls", {book}).allowed());
    EXPECT_EQ(OutputRefusalText(OutputRefusal::IsFieldBook, "b.xls"), "the output b.xls is the field book itself");
}
