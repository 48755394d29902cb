// SPDX-License-Identifier: MIT
#include "fieldbook/AtomicFile.h"

#include "fieldbook/Failure.h"
#include "fieldbook/FilePath.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// Symbolic links followed at most, as the kernel does before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
// The temporary's name is the target's name, cut to leave room for ".XXXXXX" within the
// longest name a folder holds (255 bytes).
constexpr std::size_t kMaxTemporaryStem = 240;

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

// ---- Removing temporaries when the program is interrupted.
//
// A handler may only call async-signal-safe functions, so the live temporaries are kept in a
// fixed table of plain character arrays; a slot is read by the handler only once it is filled.
enum SlotState : int { kFree, kFilling, kLive };
struct TemporarySlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
constexpr int kSlots = 16;
TemporarySlot gTemporaries[kSlots];

extern "C" void RemoveTemporariesAndStop(int signalNumber)
{
    for (TemporarySlot& slot : gTemporaries) {
        if (slot.state.load() == kLive)
            unlink(slot.path);
    }
    // The handler was reset to the default on entry: raising again ends the program as the
    // signal would have.
    raise(signalNumber);
}

// Looked at for every temporary, since the program may have reset a signal in between.
void InstallCleanupHandlers()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;  // ignored (nohup), handled by the program itself, or ours already
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigaction(signalNumber, &action, nullptr);
    }
}

void RegisterTemporary(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return;
    InstallCleanupHandlers();
    for (TemporarySlot& slot : gTemporaries) {
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(kLive);
            return;
        }
    }
}

void UnregisterTemporary(const std::string& path)
{
    for (TemporarySlot& slot : gTemporaries) {
        if (slot.state.load() == kLive && path == slot.path) {
            slot.state.store(kFree);
            return;
        }
    }
}

// 0, or the errno value of the write that failed.
int WriteAll(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// The name a dangling symbolic link leads to, following a chain of links; false with ELOOP in
// errno for a chain too long or a loop.
bool FollowDanglingLink(std::string& path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return false;
        const std::string next(target.data(), static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : OpenableFolderOf(path) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

}  // namespace

bool IsSameFile(const std::string& first, const std::string& second)
{
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

AtomicFile::AtomicFile(std::string targetPath) : targetPath_(std::move(targetPath)) {}

bool AtomicFile::Fail(int code, std::string& error, const std::string& detail)
{
    failure_ = {code, targetPath_, detail};
    error = failure_.Text();
    return false;
}

AtomicFile::~AtomicFile()
{
    if (!committed_)
        Discard();
}

bool AtomicFile::ResolveTarget(std::string& error)
{
    if (targetPath_ == "-") {
        copyInto_ = true;
        return true;
    }
    struct stat info {};
    if (stat(targetPath_.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return Fail(errno, error);  // a link loop, a file for a folder, no permission
        }
        // A new file; through a dangling link it is created where the link points.
        if (!FollowDanglingLink(targetPath_))
            return Fail(errno, error);
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        return Fail(kIsFolder, error);
    }
    if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
        copyInto_ = true;
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        return Fail(kNotWritableKind, error);
    }
    // Renaming needs only the folder's permission; a file the user may not write is refused
    // all the same, as an editor refuses it.
    if (faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0) {
        return Fail(errno == EACCES ? kReadOnlyFile : errno, error);
    }
    // Saving over a symbolic link replaces the file it points to, not the link.
    if (char* resolved = realpath(targetPath_.c_str(), nullptr)) {
        targetPath_ = resolved;
        std::free(resolved);
    }
    targetExists_ = true;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    mode_ = info.st_mode;
    return true;
}

bool AtomicFile::CreateTemporary(const std::string& pattern, std::string& error)
{
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail(errno, error, " (in folder " + OpenableFolderOf(pattern) + ")");
        return false;
    }
    temporaryPath_ = name.data();
    RegisterTemporary(temporaryPath_);
    return true;
}

bool AtomicFile::Open(std::string& error)
{
    if (targetPath_.empty())
        return Fail(kNoFileName, error);
    if (!ResolveTarget(error))
        return false;
    const std::string pattern =
        copyInto_ ? TemporaryFolder() + "/velmora-XXXXXX"
                  : OpenableFolderOf(targetPath_) + "/" +
                        std::string(NameOf(targetPath_).substr(0, kMaxTemporaryStem)) + ".XXXXXX";
    if (!CreateTemporary(pattern, error))
        return false;
    buffer_.reserve(kBufferBytes);
    return true;
}

bool AtomicFile::Flush(std::string& error)
{
    if (const int code = WriteAll(fd_, buffer_.data(), buffer_.size()))
        return Fail(code, error);
    buffer_.clear();
    return true;
}

bool AtomicFile::Write(std::string_view bytes, std::string& error)
{
    if (fd_ < 0)
        return Fail(kNotOpen, error);
    if (buffer_.size() + bytes.size() > kBufferBytes && !Flush(error))
        return false;
    if (bytes.size() >= kBufferBytes) {
        // No copy of a large piece.
        if (const int code = WriteAll(fd_, bytes.data(), bytes.size()))
            return Fail(code, error);
        return true;
    }
    buffer_.append(bytes);
    return true;
}

bool AtomicFile::CopyIntoTarget(std::string& error)
{
    // The temporary is unlinked first: if the pipe's reader is gone and SIGPIPE ends the
    // program, no file is left behind.
    unlink(temporaryPath_.c_str());
    UnregisterTemporary(temporaryPath_);
    if (lseek(fd_, 0, SEEK_SET) != 0)
        return Fail(errno, error);
    const bool standardOutput = targetPath_ == "-";
    const int target =
        standardOutput ? STDOUT_FILENO : ::open(targetPath_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (target < 0)
        return Fail(errno, error);
    std::vector<char> chunk(kBufferBytes);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = Fail(errno, error);
            break;
        }
        if (got == 0)
            break;
        if (const int code = WriteAll(target, chunk.data(), static_cast<std::size_t>(got))) {
            ok = Fail(code, error);
            break;
        }
    }
    if (!standardOutput && ::close(target) != 0 && ok)
        ok = Fail(errno, error);
    return ok;
}

bool AtomicFile::Commit(std::string& error)
{
    if (temporaryPath_.empty() || fd_ < 0)
        return Fail(kNotOpen, error);
    if (!Flush(error))
        return false;
    if (copyInto_) {
        const bool copied = CopyIntoTarget(error);
        ::close(fd_);
        fd_ = -1;
        committed_ = copied;
        return copied;
    }
    if (fsync(fd_) != 0)
        return Fail(errno, error);
    mode_t mode = NewFileMode();
    if (targetExists_) {
        // Only root can give the file to its old owner; anyone else becomes its owner. Either
        // way no setuid or setgid bit is carried over: the new content is not the program the
        // owner once marked so.
        if (fchown(fd_, owner_, group_) != 0)
            (void)fchown(fd_, static_cast<uid_t>(-1), group_);
        mode = mode_ & 0777;
    }
    if (fchmod(fd_, mode) != 0)
        return Fail(errno, error);
    if (::close(fd_) != 0) {
        fd_ = -1;
        return Fail(errno, error);
    }
    fd_ = -1;
    if (std::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0)
        return Fail(errno, error);
    UnregisterTemporary(temporaryPath_);
    committed_ = true;
    // The rename lives in the folder: syncing it makes the replaced file survive a power cut.
    // A file system that cannot sync folders says EINVAL; the file is saved all the same.
    const int folder = ::open(OpenableFolderOf(targetPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty()) {
        UnregisterTemporary(temporaryPath_);
        std::remove(temporaryPath_.c_str());
    }
}

}  // namespace velmora
