// SPDX-License-Identifier: MIT
#include "monitor/MonitorProject.h"

#include "FieldBookLines.h"
#include "monitor/Sha256.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

using Kind = ProjectFailure::Kind;

const ProjectSettings kSettings{{{{"F2", 10.0}, {"F4", std::nullopt}}, std::nullopt, 0.002, 0.05}, "II"};

CycleInput Cycle(const std::string& date, const std::string& bytes)
{
    return {date, {{date + ".DAT", bytes}}, std::nullopt};
}

// A fresh path in the test's temporary folder where no file is yet.
std::string NewPath(const std::string& name)
{
    const std::string path = testing::WriteTemporaryFile(name, "");
    std::filesystem::remove(path);
    return path;
}

void RunSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST(Sha256, KnownDigests)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the block, a second one follows.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& [bytes, digest] : cases)
        EXPECT_EQ(Sha256Hex(bytes), digest) << bytes.size() << " bytes";
}

// What is stored is read back byte for byte; the same book twice and a cycle that is not there
// are refused and change nothing; removal goes by the cycles' date order.
TEST(MonitorProject, KeepsSettingsAndCyclesAndRefusesWhatWouldSpoilThem)
{
    const std::string path = NewPath("kept.vtm");
    MonitorProject project;
    ProjectFailure failure;
    ASSERT_TRUE(project.Create(path, kSettings, failure)) << failure.Text();
    EXPECT_FALSE(MonitorProject().Create(path, kSettings, failure));
    EXPECT_EQ(failure.kind, Kind::Exists);
    const std::string withNul("line 1\r\n\0\xff", 10);
    ASSERT_TRUE(project.AddCycle(Cycle("2024-05-03", withNul), failure)) << failure.Text();
    CycleInput selected = Cycle("2024-05-01", "other book");
    selected.runs = std::vector<std::string>{"1", "\xc0"};
    ASSERT_TRUE(project.AddCycle(selected, failure)) << failure.Text();
    EXPECT_FALSE(project.AddCycle(Cycle("2024-06-01", withNul), failure));
    EXPECT_EQ(failure.kind, Kind::SameBook);
    EXPECT_FALSE(project.RemoveCycle(3, failure));
    EXPECT_EQ(failure.kind, Kind::NoCycle);

    MonitorProject read;
    ASSERT_TRUE(read.Open(path, failure)) << failure.Text();
    EXPECT_EQ(read.settings().className, "II");
    EXPECT_EQ(read.settings().monitor.sigma, 0.002);
    ASSERT_EQ(read.settings().monitor.benchmarks.size(), 2u);
    EXPECT_EQ(read.settings().monitor.benchmarks[0].height, 10.0);
    EXPECT_FALSE(read.settings().monitor.benchmarks[1].height);
    ASSERT_EQ(read.cycles().size(), 2u);
    EXPECT_EQ(read.cycles()[0].books[0].bytes, withNul);
    EXPECT_FALSE(read.cycles()[0].runs);
    EXPECT_EQ(read.cycles()[1].runs, selected.runs);
    ASSERT_TRUE(read.RemoveCycle(1, failure)) << failure.Text();  // 1 May, added second
    ASSERT_TRUE(read.Open(path, failure));
    ASSERT_EQ(read.cycles().size(), 1u);
    EXPECT_EQ(read.cycles()[0].date, "2024-05-03");
}

// A file that is no project is refused naming it, whatever it holds; so is a newer project.
TEST(MonitorProject, RefusesWhatIsNoProjectOrANewerOne)
{
    const std::string anotherDatabase = NewPath("other.sqlite");
    RunSql(anotherDatabase, "CREATE TABLE t(x); INSERT INTO t VALUES (1);");
    const std::string newer = NewPath("newer.vtm");
    ProjectFailure failure;
    ASSERT_TRUE(MonitorProject().Create(newer, kSettings, failure));
    RunSql(newer, "PRAGMA user_version = 7;");
    const std::pair<std::string, Kind> cases[] = {
        {std::string(VELMORA_SAMPLES_DIR) + "/levelling_m5.DAT", Kind::NotAProject},
        {anotherDatabase, Kind::NotAProject},
        {testing::WriteTemporaryFile("garbage.vtm", std::string(5000, '\x93')), Kind::NotAProject},
        {testing::WriteTemporaryFile("empty.vtm", ""), Kind::NotAProject},
        {testing::RealFieldBooksFolder() + "/no such project.vtm", Kind::CannotOpen},
        {newer, Kind::NewerSchema},
    };
    for (const auto& [path, kind] : cases) {
        MonitorProject project;
        EXPECT_FALSE(project.Open(path, failure)) << path;
        EXPECT_EQ(failure.kind, kind) << path;
        EXPECT_NE(failure.Text().find(path), std::string::npos) << failure.Text();
    }
    EXPECT_EQ(failure.version, 7);
    EXPECT_EQ(testing::ReadWholeFile(std::string(VELMORA_SAMPLES_DIR) + "/levelling_m5.DAT").substr(0, 6), "For M5");
}

// A process killed in the middle of adding a cycle, its rows written but not committed,
// leaves the project as it was; the next add works.
TEST(MonitorProject, KilledInTheMiddleOfAddLeavesTheProjectAsItWas)
{
    const std::string path = NewPath("killed.vtm");
    ProjectFailure failure;
    {
        MonitorProject project;
        ASSERT_TRUE(project.Create(path, kSettings, failure));
        ASSERT_TRUE(project.AddCycle(Cycle("2024-05-01", "first"), failure));
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        MonitorProject project;
        ProjectFailure childFailure;
        if (!project.Open(path, childFailure))
            _exit(3);
        project.beforeCommit = [] { raise(SIGKILL); };
        project.AddCycle(Cycle("2024-05-02", std::string(100000, 's')), childFailure);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exit " << WEXITSTATUS(status);
    MonitorProject project;
    ASSERT_TRUE(project.Open(path, failure)) << failure.Text();
    EXPECT_EQ(project.cycles().size(), 1u);
    EXPECT_TRUE(project.AddCycle(Cycle("2024-05-02", std::string(100000, 's')), failure)) << failure.Text();
}

// While another process holds the project for writing, a change waits briefly, then is refused.
TEST(MonitorProject, BusyProjectIsRefusedAfterAWhile)
{
    const std::string path = NewPath("busy.vtm");
    ProjectFailure failure;
    MonitorProject project;
    ASSERT_TRUE(project.Create(path, kSettings, failure));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(project.AddCycle(Cycle("2024-05-01", "book"), failure));
    EXPECT_EQ(failure.kind, Kind::Busy);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(MonitorProject::kBusyMilliseconds * 9 / 10));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(project.AddCycle(Cycle("2024-05-01", "book"), failure)) << failure.Text();
}

}  // namespace
}  // namespace velmora
