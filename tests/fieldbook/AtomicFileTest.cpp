// SPDX-License-Identifier: MIT
#include "fieldbook/AtomicFile.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using velmora::AtomicFile;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;
namespace fs = std::filesystem;

namespace {

std::size_t FilesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// An empty folder of that name in the tests' temporary folder.
fs::path FreshFolder(const std::string& name)
{
    const fs::path folder = fs::path(WriteTemporaryFile(".base", "")).parent_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

}  // namespace

TEST(AtomicFileTest, CommitReplacesTheTargetAndKeepsItsPermissions)
{
    const std::string path = WriteTemporaryFile("atomic.txt", "old");
    chmod(path.c_str(), 0640);
    std::string error;
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.Open(error)) << error;
        ASSERT_TRUE(file.Write("new ", error));
        ASSERT_TRUE(file.Write(std::string(3 << 20, 'z'), error));  // larger than the buffer
        EXPECT_EQ(ReadWholeFile(path), "old");  // nothing visible before the commit
        ASSERT_TRUE(file.Commit(error)) << error;
        EXPECT_FALSE(fs::exists(file.temporaryPath()));
    }
    EXPECT_EQ(ReadWholeFile(path).size(), 4u + (3u << 20));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(AtomicFileTest, PiecesOfAnySizeArriveInTheOrderWritten)
{
    // A piece of 1 MiB or more goes to the file directly: what is still buffered before it
    // must reach the file first. So must a buffer that a small piece would overflow.
    std::string large(2 << 20, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>('a' + i % 26);
    const std::vector<std::string> pieces = {"head ", large, " middle ", std::string((1 << 20) - 3, 'm'),
                                             "overflowing piece", large.substr(7), " tail"};
    const std::string path = WriteTemporaryFile("ordered.txt", "old");
    std::string error;
    AtomicFile file(path);
    ASSERT_TRUE(file.Open(error)) << error;
    std::string expected;
    for (const std::string& piece : pieces) {
        ASSERT_TRUE(file.Write(piece, error)) << error;
        expected += piece;
    }
    ASSERT_TRUE(file.Commit(error)) << error;
    const std::string saved = ReadWholeFile(path);
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected) << "the bytes are out of order from byte "
                                   << std::mismatch(saved.begin(), saved.end(), expected.begin()).first - saved.begin();
}

TEST(AtomicFileTest, AbandonedFileLeavesTargetAndNoTemporary)
{
    const std::string path = WriteTemporaryFile("abandoned.txt", "keep me");
    std::string temporary;
    {
        AtomicFile file(path);
        std::string error;
        ASSERT_TRUE(file.Open(error));
        ASSERT_TRUE(file.Write("half", error));
        temporary = file.temporaryPath();
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(ReadWholeFile(path), "keep me");
}

TEST(AtomicFileTest, SavingThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    const std::string target = WriteTemporaryFile("linked-target.txt", "old");
    const std::string link = fs::path(target).parent_path() / "link.txt";
    fs::remove(link);
    fs::create_symlink(target, link);
    AtomicFile file(link);
    std::string error;
    ASSERT_TRUE(file.Open(error) && file.Write("new", error) && file.Commit(error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "new");
}

// ---- Targets that are not plain files, permissions, interruptions and odd names.

namespace {

// A fresh folder that any user may write into, for the tests that drop to another user.
std::string SharedFolder(const std::string& name)
{
    const fs::path folder = FreshFolder(name);
    chmod(folder.c_str(), 0777);
    chmod(folder.parent_path().c_str(), 0755);
    return folder.string();
}

// Runs `body` in a child process (as `nobody` when the tests run as root, since root may write
// any file) and returns its exit status; -1 when it did not exit normally.
template <typename Body>
int InChild(bool asNobody, Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (asNobody && geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                setuid(nobody->pw_uid) != 0)
                _exit(77);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Save(const std::string& path, std::string_view text, std::string& error)
{
    AtomicFile file(path);
    return file.Open(error) && file.Write(text, error) && file.Commit(error);
}

}  // namespace

TEST(AtomicFileTest, PipesAndDevicesAreWrittenIntoAndStayWhatTheyWere)
{
    std::string error;
    // A FIFO with a reader waiting: the bytes arrive, the FIFO stays a FIFO.
    const std::string fifo = FreshFolder("fifo-folder") / "fifo";
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(Save(fifo, "through the fifo", error)) << error;
    char got[64] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 16);
    EXPECT_EQ(std::string(got), "through the fifo");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(FilesIn(fs::path(fifo).parent_path()), 1u) << "a temporary was left beside the FIFO";

    // /dev/null swallows the bytes and stays a character device (as root a rename would have
    // made it a regular file: it is made again then, for the rest of the machine).
    const bool saved = Save("/dev/null", "nothing", error);
    const bool stillDevice = fs::is_character_file("/dev/null");
    if (!stillDevice && geteuid() == 0) {
        fs::remove("/dev/null");
        mknod("/dev/null", S_IFCHR | 0666, makedev(1, 3));
        chmod("/dev/null", 0666);  // mknod applied the umask
    }
    EXPECT_TRUE(saved) << error;
    EXPECT_TRUE(stillDevice);

    // /dev/stdout and "-" into a pipe: the bytes reach the pipe.
    for (const char* name : {"/dev/stdout", "-"}) {
        SCOPED_TRACE(name);
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            std::string childError;
            _exit(Save(name, "to standard output", childError) ? 0 : 1);
        }
        close(pipeEnds[1]);
        std::string received;
        char chunk[64];
        for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
            received.append(chunk, static_cast<std::size_t>(n));
        close(pipeEnds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(received, "to standard output");
    }
    // A rename over /dev/stdout would have replaced the machine's link by a file.
    const bool stillLink = fs::is_symlink("/dev/stdout");
    if (!stillLink && geteuid() == 0) {
        fs::remove("/dev/stdout");
        fs::create_symlink("/proc/self/fd/1", "/dev/stdout");
    }
    EXPECT_TRUE(stillLink);

    // A folder is refused.
    EXPECT_FALSE(Save(fs::path(fifo).parent_path(), "x", error));
    EXPECT_EQ(error, "it is a folder");
}

TEST(AtomicFileTest, ReadOnlyFileIsRefusedForAUserWhoMayNotWriteIt)
{
    const std::string folder = SharedFolder("read-only");
    const std::string book = folder + "/book.DAT";
    std::ofstream(book) << "the instrument's book";
    chmod(book.c_str(), 0444);
    const int status = InChild(true, [&] {
        std::string error;
        if (Save(book, "replaced", error))
            return 1;
        return error == "the file is read-only" ? 0 : 2;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot drop to the user nobody";
    EXPECT_EQ(status, 0) << "1: the read-only file was replaced; 2: another message";
    EXPECT_EQ(ReadWholeFile(book), "the instrument's book");
    EXPECT_EQ(FilesIn(folder), 1u);
}

TEST(AtomicFileTest, RootKeepsTheOwnerOfAReplacedFileAndNoSetuidBit)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can save another user's file";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const std::string path = WriteTemporaryFile("owned.DAT", "old");
    ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(chmod(path.c_str(), 06755), 0);
    std::string error;
    ASSERT_TRUE(Save(path, "new", error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    EXPECT_EQ(info.st_gid, nobody->pw_gid);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
}

TEST(AtomicFileTest, InterruptedSaveLeavesNoTemporary)
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        const std::string folder = FreshFolder("interrupted-" + std::to_string(signalNumber));
        std::ofstream(folder + "/book.DAT") << "old";
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            std::signal(signalNumber, SIG_DFL);
            AtomicFile file(folder + "/book.DAT");
            std::string error;
            if (!file.Open(error) || !file.Write(std::string(3 << 20, 'x'), error))
                _exit(1);
            write(ready[1], "r", 1);
            pause();
            _exit(2);
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_EQ(FilesIn(folder), 1u) << "the temporary file was left behind";
        EXPECT_EQ(ReadWholeFile(folder + "/book.DAT"), "old");
    }
}

TEST(AtomicFileTest, DanglingLinksLoopsAndLongNames)
{
    const fs::path folder = FreshFolder("links");
    std::string error;

    // A dangling link: its target is created, the link stays.
    fs::create_symlink("made-through-link.DAT", folder / "dangling");
    ASSERT_TRUE(Save(folder / "dangling", "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(folder / "dangling"));
    EXPECT_EQ(ReadWholeFile(folder / "made-through-link.DAT"), "new");

    // A loop of links is an error, and nothing is created.
    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    const std::size_t before = FilesIn(folder);
    EXPECT_FALSE(Save(folder / "loop-a", "x", error));
    EXPECT_EQ(error, "Too many levels of symbolic links");
    EXPECT_EQ(FilesIn(folder), before);

    // The longest name a folder holds.
    const fs::path longName = folder / std::string(255, 'n');
    ASSERT_TRUE(Save(longName, "long", error)) << error;
    EXPECT_EQ(ReadWholeFile(longName), "long");
    ASSERT_TRUE(Save(longName, "longer", error)) << error;
    EXPECT_EQ(ReadWholeFile(longName), "longer");
}
