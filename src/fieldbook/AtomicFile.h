#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// A file written under a temporary name beside its target and renamed over the target only
/// when everything was written, so a reader never sees a half-written file and a failure leaves
/// an existing target untouched.
///
///     AtomicFile file(path);
///     if (!file.Open(error) || !file.Write(text, error) || !file.Commit(error)) report(error);
///
/// A writer that must open the file by name itself (a library) writes to temporaryPath() after
/// Open() and then calls Commit(). Destroying an uncommitted AtomicFile removes the temporary.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file in the target's folder.
    bool Open(std::string& error);
    /// Appends bytes (buffered).
    bool Write(std::string_view bytes, std::string& error);
    /// Flushes, syncs and renames the temporary over the target. The new file gets the
    /// permissions of the file it replaces, or the usual ones for a new file.
    bool Commit(std::string& error);

    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& targetPath() const { return targetPath_; }

private:
    bool Flush(std::string& error);
    void Discard();

    std::string targetPath_;
    std::string temporaryPath_;
    std::string buffer_;
    int fd_ = -1;
    bool committed_ = false;
};

/// The text of errno for a message: "No such file or directory".
std::string SystemErrorText(int errorNumber);

}  // namespace velmora
