// SPDX-License-Identifier: MIT
#include "fieldbook/AtomicFile.h"

#include "FieldBookLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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

// Someone who may write a file through the rights of others, but is no member of its group,
// cannot give the new file that group: the file's group is then the writer's, and it gets no
// right beyond those everyone had.
TEST(AtomicFileTest, AGroupThatCannotBeKeptGrantsNoMoreThanOthersHad)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to make a file of a group that nobody is not in";
    const std::string folder = SharedFolder("foreign-group");
    const std::string book = folder + "/book.DAT";
    std::ofstream(book) << "old";
    ASSERT_EQ(chown(book.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(book.c_str(), 0676), 0);  // the group rwx, others (nobody) rw-
    const int status = InChild(true, [&] {
        std::string error;
        return Save(book, "new", error) ? 0 : 1;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot drop to the user nobody";
    ASSERT_EQ(status, 0);
    struct stat info {};
    ASSERT_EQ(stat(book.c_str(), &info), 0);
    EXPECT_EQ(ReadWholeFile(book), "new");
    EXPECT_NE(info.st_gid, 0u);
    EXPECT_EQ(info.st_mode & 0777, 0666u);  // the group's x is gone: others had none
}

TEST(AtomicFileTest, EverySignalThatEndsTheProgramLeavesNoTemporary)
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
                                   SIGPIPE, SIGXFSZ, SIGXCPU, SIGVTALRM, SIGPROF, SIGRTMIN, SIGRTMAX}) {
        SCOPED_TRACE(strsignal(signalNumber));
        const std::string folder = FreshFolder("interrupted-" + std::to_string(signalNumber));
        std::ofstream(folder + "/book.DAT") << "old";
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);  // SIGQUIT would leave a core file
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

TEST(AtomicFileTest, FileSizeLimitEndsTheSaveWithoutATemporary)
{
    // As `ulimit -f`: the write that crosses the limit raises SIGXFSZ.
    const std::string folder = FreshFolder("size-limit");
    std::ofstream(folder + "/book.DAT") << "old";
    const int status = InChild(false, [&] {
        const rlimit small{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        return Save(folder + "/book.DAT", std::string(3 << 20, 'x'), error) ? 0 : 3;
    });
    EXPECT_EQ(status, -1) << "the save was not ended by SIGXFSZ";
    EXPECT_EQ(FilesIn(folder), 1u) << "the temporary file was left behind";
    EXPECT_EQ(ReadWholeFile(folder + "/book.DAT"), "old");
}

namespace {

// Runs `body` in a child whose standard output is `fd`; gives its exit status.
template <typename Body>
int WithStandardOutput(int fd, Body body)
{
    return InChild(false, [&] {
        if (fd < 0)
            close(STDOUT_FILENO);
        else
            dup2(fd, STDOUT_FILENO);
        return body();
    });
}

}  // namespace

TEST(AtomicFileTest, NamesOfStandardOutputWriteIntoTheOpenDescriptor)
{
    // `{ echo HEADER; save /dev/stdout; echo FOOTER; } > page` and `>> page`: what stood in the
    // file stays, the content follows it, and the file is the same file.
    const fs::path folder = FreshFolder("descriptors");
    fs::create_symlink("/dev/stdout", folder / "to-stdout");
    const std::vector<std::string> names = {"/dev/stdout", "/proc/self/fd/1", "/dev/fd/1", "-",
                                            (folder / "to-stdout").string()};
    for (const std::string& name : names) {
        for (const int append : {0, O_APPEND}) {
            SCOPED_TRACE(name + (append ? " appending" : ""));
            const std::string page = (folder / "page").string();
            std::ofstream(page) << "HEADER\n";
            struct stat before {};
            ASSERT_EQ(stat(page.c_str(), &before), 0);
            const int fd = open(page.c_str(), O_WRONLY | append);
            ASSERT_GE(fd, 0);
            lseek(fd, 0, SEEK_END);
            const int status = WithStandardOutput(fd, [&] {
                std::string error;
                if (!Save(name, "content\n", error))
                    return 1;
                return write(STDOUT_FILENO, "FOOTER\n", 7) == 7 ? 0 : 2;
            });
            close(fd);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(ReadWholeFile(page), "HEADER\ncontent\nFOOTER\n");
            struct stat after {};
            ASSERT_EQ(stat(page.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
        }
    }
    EXPECT_EQ(FilesIn(folder), 2u) << "a temporary was left";
}

TEST(AtomicFileTest, ClosedStandardOutputIsAnErrorAndNoFileTakesItsPlace)
{
    const std::string book = WriteTemporaryFile("closed-stdout.DAT", "old");
    const int status = WithStandardOutput(-1, [&] {
        std::string error;
        // The output named "-" is gone: an error, not a save into the file that took its place.
        if (Save("-", "lost", error) || error != "Bad file descriptor")
            return 1;
        // A file saved meanwhile must not sit on descriptor 1 while it is written.
        AtomicFile file(book);
        if (!file.Open(error) || fcntl(STDOUT_FILENO, F_GETFD) >= 0)
            return 2;
        if (!file.Write("new", error) || !file.Commit(error))
            return 3;
        // With a placeholder on 1, files keep away from it and a write to it still fails.
        velmora::KeepStandardDescriptorsTaken();
        if (fcntl(STDOUT_FILENO, F_GETFD) < 0 || write(STDOUT_FILENO, "x", 1) >= 0 || errno != EBADF)
            return 4;
        return Save("-", "lost", error) ? 5 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWholeFile(book), "new");
}

TEST(AtomicFileTest, StandardOutputNeedsNoTemporaryFolder)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const int status = WithStandardOutput(pipeEnds[1], [&] {
        setenv("TMPDIR", "/nonexistent/velmora", 1);
        std::string error;
        return Save("-", "piped", error) ? 0 : 1;
    });
    close(pipeEnds[1]);
    char got[16] = {};
    EXPECT_EQ(read(pipeEnds[0], got, sizeof got), 5);
    close(pipeEnds[0]);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::string(got), "piped");
}

TEST(AtomicFileTest, StandardInputIsTheSameFileAsItsName)
{
    const std::string book = WriteTemporaryFile("stdin-book.xls", "book");
    const std::string other = WriteTemporaryFile("stdin-other.xls", "other");
    const int status = InChild(false, [&] {
        const int fd = open(book.c_str(), O_RDONLY);
        dup2(fd, STDIN_FILENO);
        return velmora::IsSameFile("-", book) && !velmora::IsSameFile("-", other) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(AtomicFileTest, ReplacedFileKeepsItsExtendedAttributesAndAccessList)
{
    const std::string path = WriteTemporaryFile("attributes.DAT", "old");
    chmod(path.c_str(), 0640);
    const std::string note = "measured 2024-05-03";
    if (setxattr(path.c_str(), "user.velmora.note", note.data(), note.size(), 0) != 0)
        GTEST_SKIP() << "the file system takes no user attributes: " << strerror(errno);
    // An access list as the kernel stores it: version 2, then (tag, permissions, id) entries:
    // owner rw-, user 12345 r--, group r--, mask r--, other ---.
    auto entry = [](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
        std::string bytes(8, '\0');
        std::memcpy(&bytes[0], &tag, 2);
        std::memcpy(&bytes[2], &permissions, 2);
        std::memcpy(&bytes[4], &id, 4);
        return bytes;
    };
    const std::uint32_t version = 2;
    const std::uint32_t none = 0xFFFFFFFF;
    std::string acl(reinterpret_cast<const char*>(&version), 4);
    acl += entry(0x01, 6, none) + entry(0x02, 4, 12345) + entry(0x04, 4, none) +
           entry(0x10, 4, none) + entry(0x20, 0, none);
    const bool withAcl =
        setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;

    std::string error;
    ASSERT_TRUE(Save(path, "new", error)) << error;
    EXPECT_EQ(ReadWholeFile(path), "new");
    char value[256] = {};
    const ssize_t length = getxattr(path.c_str(), "user.velmora.note", value, sizeof value);
    EXPECT_EQ(std::string(value, length > 0 ? static_cast<std::size_t>(length) : 0), note);
    if (withAcl) {
        const ssize_t aclLength = getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
        EXPECT_EQ(std::string(value, aclLength > 0 ? static_cast<std::size_t>(aclLength) : 0), acl);
    }
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
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
