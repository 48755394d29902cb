// SPDX-License-Identifier: MIT
// The export as the window runs it, without widgets: what the new-height dialog offers, the
// request built from the state, the messages, and the save dialog's name afterwards.

#include "state/MainWindowState.h"

#include "FieldBookLines.h"
#include "export/Export.h"
#include "fieldbook/Cp1251.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;

namespace {

// Run 1 is the loop A → B → A with 1 mm misclosure; run 2 (P → Q) shares no point with it;
// run 3 is named in Cyrillic ("Ю").
std::string LoopBook()
{
    return JoinLines({M5Line({"A", "1", "Rb", "1.5000", "20"}), M5Line({"B", "1", "Rf", "1.2000", "20"}),
                      M5Line({"B", "1", "Rb", "1.1000", "15"}), M5Line({"A", "1", "Rf", "1.3990", "15"}),
                      M5Line({"P", "2", "Rb", "1.0", "10"}), M5Line({"Q", "2", "Rf", "1.0", "10"}),
                      M5Line({"R", "\xDE", "Rb", "1.0", "10"}), M5Line({"S", "\xDE", "Rf", "1.0", "10"})});
}

class ExportRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = WriteTemporaryFile("export-request.DAT", LoopBook());
        ASSERT_TRUE(state.OpenChosenFile(book));
        folder = book.substr(0, book.find_last_of('/') + 1);
    }

    MainWindowState state;
    std::string book;
    std::string folder;
};

}  // namespace

TEST_F(ExportRequestTest, RequestTakesTheSelectedRunsInListOrderAndProposesTheirName)
{
    state.SetSelection({true, false, true});
    state.ClickCheck();
    EXPECT_EQ(state.ExportStartPoints(), (std::vector<std::string>{"A", "B", "R", "S"}));

    const ExportPreparation preparation = state.PrepareExport(" A ", "10,5");
    ASSERT_TRUE(preparation.ready);
    const ExportRequest& request = preparation.request;
    EXPECT_EQ(request.startPoint, " A ");  // trimmed where it is used as a key
    EXPECT_EQ(request.startHeight, 10.5);
    EXPECT_EQ(request.pendingRuns, (std::vector<std::string>{"1", "\xDE"}));
    EXPECT_EQ(request.sheetName, "1-\xDE");
    // The file name is one of this system's (UTF-8), the sheet name stays Windows-1251.
    EXPECT_EQ(request.proposedFileName, folder + "1-" + Cp1251ToUtf8("\xDE") + ".xls");
    EXPECT_EQ(request.toleranceCoefficient, 0.005);

    state.SetSelection({false, false, false});
    EXPECT_EQ(state.PrepareExport("A", "1000").request.proposedFileName, folder + "no.xls");
}

TEST_F(ExportRequestTest, BookFromTheCommandLineProposesANameWithoutFolder)
{
    MainWindowState fromCommandLine;
    ASSERT_TRUE(fromCommandLine.OpenAtStart(book));
    fromCommandLine.SelectAllRuns(true);
    EXPECT_EQ(fromCommandLine.PrepareExport("A", "1000").request.proposedFileName, "1-\xD0\xAE.xls");
}

TEST_F(ExportRequestTest, HeightThatIsNoNumberEndsTheExportBeforeTheSaveDialog)
{
    const ExportPreparation preparation = state.PrepareExport("A", "abc");
    EXPECT_FALSE(preparation.ready);
    EXPECT_EQ(preparation.failure.kind, ExportFailure::Kind::HeightNotANumber);
}

TEST_F(ExportRequestTest, MessagesFollowTheOutcome)
{
    state.SelectAllRuns(true);
    const ExportRequest request = state.PrepareExport("A", "1000").request;

    // Runs 2 and Ю cannot be linked: the workbook keeps run 1 and is saved.
    const std::string both = WriteTemporaryFile("export-both.xlsx", "");
    ExportOutcome outcome = state.RunExport(request, both);
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.notices, (std::vector<ExportNotice>{ExportNotice::NotAllRunsLinked}));

    state.SetSelection({true, false, false});
    outcome = state.RunExport(state.PrepareExport("A", "1000").request, both);
    EXPECT_TRUE(outcome.saved);
    EXPECT_TRUE(outcome.notices.empty());

    outcome = state.RunExport(request, "/no/such/folder/x.xls");
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.notices,
              (std::vector<ExportNotice>{ExportNotice::NotAllRunsLinked, ExportNotice::WorkbookProblem}));

    // The open field book itself is never overwritten by a workbook.
    const std::string bookBefore = ReadWholeFile(book);
    outcome = state.RunExport(request, book);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.notices, (std::vector<ExportNotice>{ExportNotice::WorkbookProblem}));
    EXPECT_EQ(ReadWholeFile(book), bookBefore);

    // Cancelled in the save dialog: nothing written, nothing said.
    outcome = state.RunExport(request, "");
    EXPECT_FALSE(outcome.saved);
    EXPECT_TRUE(outcome.notices.empty());
}

TEST_F(ExportRequestTest, SaveDialogIsEmptyAfterAnExportWhateverItsEnd)
{
    EXPECT_EQ(state.saveDialogFileName(), "");
    const std::string saved = WriteTemporaryFile("export-saved.DAT", "");
    std::string error;
    ASSERT_TRUE(state.SaveMeasurementFile(saved, error)) << error;
    EXPECT_EQ(state.saveDialogFileName(), saved);

    const ExportRequest request = state.PrepareExport("A", "1000").request;
    state.RunExport(request, "");  // cancelled
    EXPECT_EQ(state.saveDialogFileName(), "");

    EXPECT_FALSE(state.SaveMeasurementFile("/no/such/folder/x.DAT", error));
    EXPECT_EQ(state.saveDialogFileName(), "/no/such/folder/x.DAT");  // chosen, though not written
    state.RunExport(request, WriteTemporaryFile("export-after.xls", ""));
    EXPECT_EQ(state.saveDialogFileName(), "");
}

// The window refuses what every command refuses: the open book under another name (a link to
// it, named like a workbook) and a name of no workbook format. The book stays as it was and
// no file appears.
TEST_F(ExportRequestTest, OutputsTheCommandsRefuseAreRefusedHereToo)
{
    state.SelectAllRuns(true);
    const ExportRequest request = state.PrepareExport("A", "1000").request;
    const std::string bookBefore = ReadWholeFile(book);
    const std::string link = folder + "export-request-link.xlsx";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(book, link);

    ExportOutcome outcome = state.RunExport(request, link);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.notices, (std::vector<ExportNotice>{ExportNotice::WorkbookProblem}));
    EXPECT_EQ(ReadWholeFile(book), bookBefore);
    EXPECT_TRUE(std::filesystem::is_symlink(link));

    outcome = state.RunExport(request, folder + "export-request.txt");
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.notices, (std::vector<ExportNotice>{ExportNotice::WorkbookProblem}));
    EXPECT_FALSE(std::filesystem::exists(folder + "export-request.txt"));
}
