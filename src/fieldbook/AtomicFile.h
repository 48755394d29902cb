// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Failure.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace velmora {

/// A file written under a temporary name beside its target and renamed over the target only
/// when everything was written, so a reader never sees a half-written file and a failure leaves
/// an existing target untouched.
///
///     AtomicFile file(path);
///     if (!file.Open(error) || !file.Write(text, error) || !file.Commit(error)) report(error);
///
/// A writer that must open the file by name itself (a library) writes to temporaryPath() after
/// Open() and then calls Commit(). Destroying an uncommitted AtomicFile removes the temporary,
/// and so does SIGINT, SIGTERM or SIGHUP while it exists (when the program left those signals
/// at their default action).
///
/// What the target is decides how it is written, as a shell redirection or `cp` would:
/// - a regular file, or a name that does not exist yet: written beside it and renamed over it.
///   An existing file keeps its owner (where the process may set it) and its permissions, never
///   a setuid, setgid or sticky bit. One the user may not write is refused as read-only.
/// - a symbolic link: the file it points to is written, the link stays; a dangling link gets
///   its target created.
/// - a pipe or a character device (`/dev/stdout`, a terminal, `/dev/null`), and `-` for
///   standard output: the whole content is gathered in a temporary file and copied into it at
///   Commit; the pipe or device stays what it was.
/// - a folder, a block device or a socket: refused.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Looks at the target and creates the temporary file.
    bool Open(std::string& error);
    /// Appends bytes (buffered).
    bool Write(std::string_view bytes, std::string& error);
    /// Flushes and syncs the temporary, then renames it over the target and syncs the folder
    /// (or copies it into a pipe or device).
    bool Commit(std::string& error);

    const std::string& temporaryPath() const { return temporaryPath_; }
    /// The file that is written: the path given, or where its symbolic links lead.
    const std::string& targetPath() const { return targetPath_; }
    /// True when the target is a pipe, a device or standard output, copied into at Commit.
    bool copiesIntoTarget() const { return copyInto_; }
    /// What the last failure of Open, Write or Commit was: its code, the file, the details.
    const Failure& failure() const { return failure_; }

private:
    bool ResolveTarget(std::string& error);
    bool CreateTemporary(const std::string& pattern, std::string& error);
    bool Flush(std::string& error);
    bool CopyIntoTarget(std::string& error);
    void Discard();
    // Records the failure and words it into `error`; returns false.
    bool Fail(int code, std::string& error, const std::string& detail = {});

    std::string targetPath_;
    std::string temporaryPath_;
    std::string buffer_;
    int fd_ = -1;
    bool committed_ = false;
    bool copyInto_ = false;
    bool targetExists_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t mode_ = 0;
    Failure failure_;
};

/// True when both paths name the same existing file (same device and inode, links followed).
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace velmora
