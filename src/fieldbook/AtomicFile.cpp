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
#include <sys/xattr.h>
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

// A descriptor moved above standard input, output and error. When one of those is closed the
// kernel hands its number to the next file opened; a file of ours there would receive what the
// program prints as its output, or be read as its input.
int AboveStandardDescriptors(int fd)
{
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return moved;
}

// The descriptor that a name such as /dev/stdout or /proc/self/fd/3 stands for, or -1. Such a
// name reopens whatever the descriptor refers to; writing into the descriptor itself keeps a
// redirected output's earlier content and its position.
int DescriptorNamed(const std::string& path)
{
    if (path == "/dev/stdin")
        return STDIN_FILENO;
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    const std::string own = "/proc/" + std::to_string(getpid()) + "/fd/";
    for (const std::string& folder : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      std::string("/proc/thread-self/fd/"), own}) {
        if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0)
            continue;
        const std::string number = path.substr(folder.size());
        if (number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(number);
    }
    return -1;
}

// ---- Removing temporaries when the program is ended by a signal.
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

// Every signal whose default action ends the program (SIGKILL aside, which cannot be caught):
// a full disk's quota (SIGXFSZ), a reader gone from a pipe (SIGPIPE), a timer, a crash.
std::vector<int> TerminatingSignals()
{
    std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,
                                SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM,
                                SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,
                                SIGSYS};
    for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime)
        signals.push_back(realTime);
    return signals;
}

// Looked at for every temporary, since the program may have reset a signal in between.
void InstallCleanupHandlers()
{
    static const std::vector<int> signals = TerminatingSignals();
    for (const int signalNumber : signals) {
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

bool WriteAll(int fd, const char* data, std::size_t size, std::string& error)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = FailureText(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
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

// One step along a symbolic link; false when `path` is no link.
bool FollowOneLink(std::string& path)
{
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0)
        return false;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    path = next.front() == '/' ? next : OpenableFolderOf(path) + "/" + next;
    return true;
}

// The replaced file's extended attributes, its access control list among them, given to the
// file that takes its place, as editors that save by renaming keep them. An attribute the file
// system or the user's rights do not allow to be set is left out: the file is saved all the
// same, with the owner and permissions it had.
void CopyExtendedAttributes(const std::string& from, int to)
{
    ssize_t size = listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = listxattr(from.c_str(), names.data(), names.size());
    if (size <= 0)
        return;
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t got = getxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0)
            (void)fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0);
    }
}

}  // namespace

void KeepStandardDescriptorsTaken()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // /dev/null opened the other way round: input that cannot be read, output that cannot
        // be written. Lower numbers are taken first, so it lands on `fd`.
        const int placeholder = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (placeholder >= 0 && placeholder != fd) {
            dup2(placeholder, fd);
            ::close(placeholder);
        }
    }
}

bool IsSameFile(const std::string& first, const std::string& second)
{
    struct stat a {};
    struct stat b {};
    const bool firstKnown =
        first == "-" ? fstat(STDIN_FILENO, &a) == 0 : stat(first.c_str(), &a) == 0;
    return firstKnown && stat(second.c_str(), &b) == 0 &&
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
        descriptor_ = STDOUT_FILENO;
        return true;
    }
    // A name of one of our descriptors, given or reached through symbolic links.
    std::string hop = targetPath_;
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        descriptor_ = DescriptorNamed(hop);
        if (descriptor_ >= 0) {
            copyInto_ = true;
            return true;
        }
        if (!FollowOneLink(hop))
            break;
    }
    struct stat info {};
    if (stat(targetPath_.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            Fail(errno, error);  // a link loop, a file for a folder, no permission
            return false;
        }
        // A new file; through a dangling link it is created where the link points.
        if (!FollowDanglingLink(targetPath_)) {
            Fail(errno, error);
            return false;
        }
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        Fail(kIsFolder, error);
        return false;
    }
    if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
        copyInto_ = true;
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail(kNotWritableKind, error);
        return false;
    }
    // Renaming needs only the folder's permission; a file the user may not write is refused
    // all the same, as an editor refuses it.
    if (faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0) {
        Fail(errno == EACCES ? kReadOnlyFile : errno, error);
        return false;
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
    temporaryFd_ = mkostemp(name.data(), O_CLOEXEC);
    if (temporaryFd_ >= 0) {
        temporaryPath_ = name.data();
        RegisterTemporary(temporaryPath_);
        temporaryFd_ = AboveStandardDescriptors(temporaryFd_);
    }
    if (temporaryFd_ < 0) {
        return Fail(errno, error, " (in folder " + OpenableFolderOf(pattern) + ")");
    }
    return true;
}

bool AtomicFile::Open(std::string& error)
{
    return Open(false, error);
}

bool AtomicFile::OpenForLibrary(std::string& error)
{
    return Open(true, error);
}

bool AtomicFile::Open(bool libraryWrites, std::string& error)
{
    if (targetPath_.empty()) {
        Fail(kNoFileName, error);
        return false;
    }
    if (!ResolveTarget(error))
        return false;
    buffer_.reserve(kBufferBytes);
    if (copyInto_) {
        // Written straight into the pipe, device or descriptor: no temporary is needed, unless
        // a library must be given a file name to write.
        if (!OpenTargetDescriptor(error))
            return false;
        return !libraryWrites || CreateTemporary(TemporaryFolder() + "/velmora-XXXXXX", error);
    }
    return CreateTemporary(OpenableFolderOf(targetPath_) + "/" +
                               std::string(NameOf(targetPath_).substr(0, kMaxTemporaryStem)) + ".XXXXXX",
                           error);
}

int AtomicFile::WrittenFd() const
{
    return copyInto_ && temporaryFd_ < 0 ? targetFd_ : temporaryFd_;
}

bool AtomicFile::Flush(std::string& error)
{
    if (!WriteAll(WrittenFd(), buffer_.data(), buffer_.size(), error))
        return Fail(errno, error);
    buffer_.clear();
    return true;
}

bool AtomicFile::Write(std::string_view bytes, std::string& error)
{
    if (WrittenFd() < 0) {
        Fail(kNotOpen, error);
        return false;
    }
    if (buffer_.size() + bytes.size() > kBufferBytes && !Flush(error))
        return false;
    if (bytes.size() >= kBufferBytes) {
        // No copy of a large piece.
        if (!WriteAll(WrittenFd(), bytes.data(), bytes.size(), error))
            return Fail(errno, error);
        return true;
    }
    buffer_.append(bytes);
    return true;
}

bool AtomicFile::OpenTargetDescriptor(std::string& error)
{
    if (descriptor_ >= 0) {
        // A descriptor of this process: written where it stands, never closed by us.
        if (fcntl(descriptor_, F_GETFD) < 0) {
            Fail(errno, error);
            return false;
        }
        targetFd_ = descriptor_;
        return true;
    }
    targetFd_ = AboveStandardDescriptors(
        ::open(targetPath_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (targetFd_ < 0) {
        Fail(errno, error);
        return false;
    }
    ownsTargetFd_ = true;
    return true;
}

bool AtomicFile::CopyIntoTarget(std::string& error)
{
    // The temporary is unlinked first: if the pipe's reader is gone and SIGPIPE ends the
    // program, no file is left behind.
    unlink(temporaryPath_.c_str());
    UnregisterTemporary(temporaryPath_);
    if (lseek(temporaryFd_, 0, SEEK_SET) != 0) {
        Fail(errno, error);
        return false;
    }
    std::vector<char> chunk(kBufferBytes);
    for (;;) {
        const ssize_t got = ::read(temporaryFd_, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            Fail(errno, error);
            return false;
        }
        if (got == 0)
            return true;
        if (!WriteAll(targetFd_, chunk.data(), static_cast<std::size_t>(got), error))
            return Fail(errno, error);
    }
}

bool AtomicFile::CloseTarget(std::string& error)
{
    const bool owned = ownsTargetFd_;
    ownsTargetFd_ = false;
    const int fd = targetFd_;
    targetFd_ = -1;
    if (owned && ::close(fd) != 0) {
        Fail(errno, error);
        return false;
    }
    return true;
}

bool AtomicFile::Commit(std::string& error)
{
    if (WrittenFd() < 0) {
        Fail(kNotOpen, error);
        return false;
    }
    if (!Flush(error))
        return false;
    if (copyInto_)
        return FinishCopyInto(error);
    if (fsync(temporaryFd_) != 0) {
        Fail(errno, error);
        return false;
    }
    return GiveTemporaryTheTargetsRights(error) && RenameOverTarget(error);
}

bool AtomicFile::FinishCopyInto(std::string& error)
{
    bool copied = temporaryFd_ < 0 || CopyIntoTarget(error);
    if (temporaryFd_ >= 0) {
        ::close(temporaryFd_);
        temporaryFd_ = -1;
    }
    copied = CloseTarget(error) && copied;
    committed_ = copied;
    return copied;
}

bool AtomicFile::GiveTemporaryTheTargetsRights(std::string& error)
{
    mode_t mode = NewFileMode();
    if (targetExists_) {
        // Only root can give the file to its old owner; anyone else becomes its owner. Either
        // way no setuid or setgid bit is carried over: the new content is not the program the
        // owner once marked so.
        const bool groupKept = fchown(temporaryFd_, owner_, group_) == 0 ||
                               fchown(temporaryFd_, static_cast<uid_t>(-1), group_) == 0;
        mode = mode_ & 0777;
        // A group that cannot be kept leaves the writer's own group on the file: its members
        // get no right that everyone else had not.
        if (!groupKept)
            mode &= ~static_cast<mode_t>(S_IRWXG) | ((mode & S_IRWXO) << 3);
    }
    if (fchmod(temporaryFd_, mode) != 0) {
        Fail(errno, error);
        return false;
    }
    // After the mode: an access list sets the group bits from its mask.
    if (targetExists_)
        CopyExtendedAttributes(targetPath_, temporaryFd_);
    return true;
}

bool AtomicFile::RenameOverTarget(std::string& error)
{
    if (::close(temporaryFd_) != 0) {
        temporaryFd_ = -1;
        Fail(errno, error);
        return false;
    }
    temporaryFd_ = -1;
    if (std::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) {
        Fail(errno, error);
        return false;
    }
    UnregisterTemporary(temporaryPath_);
    committed_ = true;
    // The rename lives in the folder: syncing it makes the replaced file survive a power cut.
    // A file system that cannot sync folders says EINVAL; the file is saved all the same.
    const int folder = AboveStandardDescriptors(
        ::open(OpenableFolderOf(targetPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder >= 0) {
        fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::Discard()
{
    if (temporaryFd_ >= 0) {
        ::close(temporaryFd_);
        temporaryFd_ = -1;
    }
    std::string ignored;
    CloseTarget(ignored);
    if (!temporaryPath_.empty()) {
        UnregisterTemporary(temporaryPath_);
        std::remove(temporaryPath_.c_str());
    }
}

}  // namespace velmora
