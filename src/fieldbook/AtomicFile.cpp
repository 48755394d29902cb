#include "fieldbook/AtomicFile.h"

#include <cerrno>
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

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string SystemErrorText(int errorNumber)
{
    return std::strerror(errorNumber);
}

AtomicFile::AtomicFile(std::string targetPath) : targetPath_(std::move(targetPath)) {}

AtomicFile::~AtomicFile()
{
    if (!committed_)
        Discard();
}

bool AtomicFile::Open(std::string& error)
{
    if (targetPath_.empty()) {
        error = "no file name";
        return false;
    }
    // Saving over a symbolic link replaces the file it points to, not the link.
    std::string target = targetPath_;
    if (char* resolved = realpath(targetPath_.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat info {};
    if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "it is a folder";
        return false;
    }
    targetPath_ = target;

    std::string pattern = targetPath_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkstemp(name.data());
    if (fd_ < 0) {
        error = SystemErrorText(errno) + " (in folder " + FolderOf(targetPath_) + ")";
        return false;
    }
    temporaryPath_ = name.data();
    buffer_.reserve(kBufferBytes);
    return true;
}

bool AtomicFile::Flush(std::string& error)
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = SystemErrorText(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool AtomicFile::Write(std::string_view bytes, std::string& error)
{
    if (fd_ < 0) {
        error = "the file is not open";
        return false;
    }
    if (buffer_.size() + bytes.size() > kBufferBytes && !Flush(error))
        return false;
    if (bytes.size() >= kBufferBytes) {
        buffer_.assign(bytes);
        return Flush(error);
    }
    buffer_.append(bytes);
    return true;
}

bool AtomicFile::Commit(std::string& error)
{
    if (temporaryPath_.empty()) {
        error = "the file is not open";
        return false;
    }
    if (fd_ >= 0) {
        if (!Flush(error))
            return false;
        if (fsync(fd_) != 0) {
            error = SystemErrorText(errno);
            return false;
        }
        if (::close(fd_) != 0) {
            fd_ = -1;
            error = SystemErrorText(errno);
            return false;
        }
        fd_ = -1;
    }
    struct stat existing {};
    const mode_t mode = stat(targetPath_.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                  : NewFileMode();
    chmod(temporaryPath_.c_str(), mode);
    if (std::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) {
        error = SystemErrorText(errno);
        return false;
    }
    committed_ = true;
    return true;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty())
        std::remove(temporaryPath_.c_str());
}

}  // namespace velmora
