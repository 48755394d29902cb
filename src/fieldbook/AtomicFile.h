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
/// A writer that must open the file by name itself (a library) calls OpenForLibrary() instead
/// of Open(), writes to temporaryPath() and then calls Commit(). Destroying an uncommitted
/// AtomicFile removes the temporary, and so does every signal that ends the program while it
/// exists (those left at their default action; SIGKILL cannot be caught). No file it opens
/// takes descriptor 0, 1 or 2, even when one of them is closed.
///
/// What the target is decides how it is written, as a shell redirection or `cp` would:
/// - a regular file, or a name that does not exist yet: written beside it and renamed over it.
///   An existing file keeps its owner (where the process may set it) and its permissions, never
///   a setuid, setgid or sticky bit. One the user may not write is refused as read-only.
/// - a symbolic link: the file it points to is written, the link stays; a dangling link gets
///   its target created.
/// - a pipe or a character device (a terminal, `/dev/null`): written into, and it stays what it
///   was. No temporary file is made (only for OpenForLibrary, in TMPDIR, copied in at Commit).
/// - `-` for standard output, and a name of one of the process's descriptors (`/dev/stdout`,
///   `/dev/stderr`, `/dev/fd/N`, `/proc/self/fd/N`, also through symbolic links): written into
///   that descriptor where it stands, as `cat` writes, whatever it refers to; a regular file
///   there keeps what it held before and grows from the descriptor's position.
/// - a folder, a block device or a socket: refused.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Looks at the target and creates the temporary file (or opens the pipe or device).
    bool Open(std::string& error);
    /// As Open, and temporaryPath() names a file for a library to write, whatever the target.
    bool OpenForLibrary(std::string& error);
    /// Appends bytes (buffered).
    bool Write(std::string_view bytes, std::string& error);
    /// Flushes and syncs the temporary, then renames it over the target, with the target's
    /// owner, permissions and extended attributes, and syncs the folder (or finishes writing
    /// into a pipe, device or descriptor).
    bool Commit(std::string& error);

    const std::string& temporaryPath() const { return temporaryPath_; }
    /// What the last failure of Open, Write or Commit was: its code, the file, the details.
    const Failure& failure() const { return failure_; }

private:
    bool Open(bool libraryWrites, std::string& error);
    bool ResolveTarget(std::string& error);
    bool CreateTemporary(const std::string& pattern, std::string& error);
    bool OpenTargetDescriptor(std::string& error);
    int WrittenFd() const;
    bool Flush(std::string& error);
    bool CopyIntoTarget(std::string& error);
    bool CloseTarget(std::string& error);
    // The parts of Commit: finishing a pipe, device or descriptor written into; giving the
    // synced temporary the target's owner, mode and extended attributes; closing it and
    // renaming it over the target, then syncing the folder.
    bool FinishCopyInto(std::string& error);
    bool GiveTemporaryTheTargetsRights(std::string& error);
    bool RenameOverTarget(std::string& error);
    void Discard();
    // Records the failure and words it into `error`; returns false.
    bool Fail(int code, std::string& error, const std::string& detail = {});

    std::string targetPath_;
    std::string temporaryPath_;
    std::string buffer_;
    int temporaryFd_ = -1;
    int targetFd_ = -1;     // the pipe, device or descriptor written into
    int descriptor_ = -1;   // the process's own descriptor the target names, if it names one
    bool ownsTargetFd_ = false;
    bool committed_ = false;
    bool copyInto_ = false;
    bool targetExists_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t mode_ = 0;
    Failure failure_;
};

/// Puts a placeholder on each of standard input, output and error that is closed, so that no
/// file the program opens takes its number and receives its output. The placeholder refuses
/// what the descriptor is for (reading standard input, writing output and errors fail with
/// EBADF), so a closed output is still reported as one. Call first thing in main().
void KeepStandardDescriptorsTaken();

/// True when both paths name the same existing file (same device and inode, links followed).
/// `-` as `first` stands for standard input, as `-` does for an input file.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace velmora
