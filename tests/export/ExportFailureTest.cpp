// SPDX-License-Identifier: MIT
// How the export and the save behave when the disk says no: a folder that cannot be written,
// a disk that fills up half-way, and texts longer than a cell holds. Every failure is reported
// and leaves no file, and an existing file keeps its old content.

#include "export/Export.h"

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
#include "state/MainWindowState.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using velmora::testing::BookOfText;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;
namespace fs = std::filesystem;

namespace {

// A workbook already there (its first bytes are a workbook's): the export may replace it.
const std::string kOldWorkbook = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + " the old workbook";

std::string LoopBook(int runs)
{
    std::vector<std::string> lines;
    for (int run = 1; run <= runs; ++run) {
        const std::string number = std::to_string(run);
        lines.push_back(M5Line({"A", number, "Rb", "1.5000", "20"}));
        lines.push_back(M5Line({"B" + number, number, "Rf", "1.2000", "20"}));
        lines.push_back(M5Line({"B" + number, number, "Rb", "1.1000", "15"}));
        lines.push_back(M5Line({"A", number, "Rf", "1.3990", "15"}));
    }
    return JoinLines(lines);
}

// A folder this process cannot write to. Root passes over permissions, so it gets a folder of
// the read-only /proc file system instead.
std::string UnwritableFolder()
{
    if (geteuid() == 0)
        return "/proc/self";
    const fs::path folder = fs::path(WriteTemporaryFile("ro/.keep", "")).parent_path();
    chmod(folder.c_str(), 0555);
    return folder.string();
}

std::size_t FilesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(ExportFailureTest, UnwritableFolderIsReportedForSaveAndBothWorkbookFormats)
{
    const RecordList records = BookOfText(LoopBook(1));
    const std::string folder = UnwritableFolder();
    std::string error;
    EXPECT_FALSE(WriteMeasurementFile(folder + "/saved.DAT", records, {}, error));
    EXPECT_FALSE(error.empty());
    for (const char* name : {"/out.xls", "/out.xlsx"}) {
        SCOPED_TRACE(name);
        const ExportResult result =
            ExportToWorkbook(records, {"1"}, "A", 1000, 0.005, "1", folder + name, {});
        EXPECT_FALSE(result.saved);
        EXPECT_FALSE(result.error.empty());
        EXPECT_FALSE(fs::exists(folder + name));
    }
}

TEST(ExportFailureTest, DiskFullHalfWayKeepsTheOldWorkbook)
{
    const RecordList records = BookOfText(LoopBook(300));
    std::vector<std::string> runs;
    for (int run = 1; run <= 300; ++run)
        runs.push_back(std::to_string(run));

    for (const char* name : {"full.xls", "full.xlsx"}) {
        SCOPED_TRACE(name);
        const std::string path = WriteTemporaryFile(name, kOldWorkbook);
        const std::size_t filesBefore = FilesIn(fs::path(path).parent_path());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{4 * 1024, 4 * 1024};  // less than the smallest workbook of either format
            setrlimit(RLIMIT_FSIZE, &limit);
            const ExportResult result =
                ExportToWorkbook(records, runs, "A", 1000, 0.005, "1-300", path, {});
            _exit(result.saved ? 0 : (result.error.empty() ? 4 : 3));
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 3) << "the export should fail and say why";
        EXPECT_TRUE(ReadWholeFile(path) == kOldWorkbook);
        EXPECT_EQ(FilesIn(fs::path(path).parent_path()), filesBefore);
    }
}

TEST(ExportFailureTest, MillionCharacterPointNumberTypedIntoTheGridIsCutToACell)
{
    const std::string book = WriteTemporaryFile("long-point.DAT", LoopBook(1));
    MainWindowState state;
    ASSERT_TRUE(state.OpenAtStart(book));
    state.SelectAllRuns(true);
    const std::string typed(1'000'000, 'P');
    state.OnSetEditText(2, 0, typed);  // the point B1 becomes a million characters long
    ASSERT_EQ(state.records()[1].pointNumber().size(), typed.size());

    for (const char* name : {"long.xls", "long.xlsx"}) {
        SCOPED_TRACE(name);
        const std::string path = WriteTemporaryFile(name, "");
        const ExportResult result = ExportToWorkbook(state.records(), {"1"}, "A", 1000, 0.005,
                                                     "1", path, {});
        ASSERT_TRUE(result.saved) << result.error;
        // The point is no longer a point of the loop's closing, but the run still links at A.
        const std::string command = std::string("/usr/bin/python3 -c \"import sys\n") +
                                    (std::string(name).ends_with("x")
                                         ? "import openpyxl; s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]; "
                                           "print(len(s.cell(2, 1).value))"
                                         : "import xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); "
                                           "print(len(s.cell_value(1, 0)))") +
                                    "\" " + path + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        char line[256] = {};
        const bool read = fgets(line, sizeof line, pipe) != nullptr;
        pclose(pipe);
        ASSERT_TRUE(read);
        EXPECT_EQ(std::string(line), "32767\n");
    }
}
