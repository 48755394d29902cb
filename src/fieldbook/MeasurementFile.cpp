#include "fieldbook/MeasurementFile.h"

#include "fieldbook/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr std::string_view kSkipMarkers[] = {
    "Start-Line", "End-Line", "Measurement repeated", "Station repeated", "#####", ".DAT",
};

constexpr std::string_view kObservationCodes[] = {"Rb", "Rf", "Sh", "Db", "Rz"};

constexpr std::size_t kReadChunkBytes = 1 << 20;
constexpr std::size_t kTypicalLineBytes = 120;

// Adds the record of one line. `line` runs up to its LF; a CR right before the LF belongs to
// the line end. The last line of a file, which has no LF, keeps every byte.
void AddLine(std::string_view line, bool endedByLineFeed, RecordList& records)
{
    if (endedByLineFeed && !line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty())
        return;
    MeasurementRecord record = ParseLine(line);
    record.skipped = IsSkippedLine(record);
    records.push_back(std::move(record));
}

}  // namespace

bool IsSkippedLine(const MeasurementRecord& record)
{
    const std::string_view code = ObservationCode(record.valueType());
    bool observation = false;
    for (std::string_view known : kObservationCodes)
        observation = observation || code == known;
    if (!observation || HasErrorFlag(record))
        return true;

    // One pass over the line: a marker can only begin at one of the markers' first letters.
    const std::string_view line = record.lineText();
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c != 'S' && c != 'E' && c != 'M' && c != '#' && c != '.')
            continue;
        for (std::string_view marker : kSkipMarkers) {
            if (marker[0] == c && line.substr(i, marker.size()) == marker)
                return true;
        }
    }
    return false;
}

namespace {

// Opens a field book for reading: `-` is standard input; anything else must be a regular file,
// checked on the opened file before a byte is read (a pipe nobody writes to would wait for ever,
// /dev/zero never ends). The open itself does not wait for a pipe's writer.
int OpenFieldBook(const std::string& path, struct stat& info, std::string& error)
{
    if (path == "-") {
        if (fstat(STDIN_FILENO, &info) != 0) {
            error = SystemErrorText(errno);
            return -1;
        }
        return STDIN_FILENO;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorText(errno);
        return -1;
    }
    const bool described = fstat(fd, &info) == 0;
    if (!described || !S_ISREG(info.st_mode)) {
        error = !described                ? SystemErrorText(errno)
                : S_ISDIR(info.st_mode) ? "it is a folder"
                                        : "it is not a regular file";
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

bool ReadMeasurementFile(const std::string& path, RecordList& records, std::string& error)
{
    records.clear();
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    struct stat info {};
    const int fd = OpenFieldBook(path, info, error);
    if (fd < 0)
        return false;
    struct Closer {
        int fd;
        ~Closer()
        {
            if (fd != STDIN_FILENO)
                ::close(fd);
        }
    } closer{fd};

    // Instrument lines are 121 bytes with their line end: room for that many records saves
    // the list from growing twenty times on a large book.
    std::size_t chunkBytes = kReadChunkBytes;
    if (S_ISREG(info.st_mode)) {
        records.reserve(static_cast<std::size_t>(info.st_size) / kTypicalLineBytes + 16);
        // Back and Forward read the file again at every step: a small book needs no big buffer.
        chunkBytes = std::min(chunkBytes, static_cast<std::size_t>(info.st_size) + 1);
    }

    // Read in large chunks and cut lines with memchr; a line that straddles two chunks is
    // gathered in `pending`. This keeps the memory to the records plus one chunk.
    std::string chunk(chunkBytes, '\0');
    std::string pending;
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            // A disk error may stop a read half-way: the records would be incomplete, so the
            // load fails as a whole.
            error = SystemErrorText(errno);
            records.clear();
            return false;
        }
        if (got == 0)
            break;
        const char* begin = chunk.data();
        const char* end = begin + got;
        while (begin < end) {
            const char* newline =
                static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
            if (!newline) {
                pending.append(begin, end);
                break;
            }
            if (pending.empty()) {
                AddLine(std::string_view(begin, static_cast<std::size_t>(newline - begin)), true,
                        records);
            } else {
                pending.append(begin, newline);
                AddLine(pending, true, records);
                pending.clear();
            }
            begin = newline + 1;
        }
    }
    AddLine(pending, false, records);  // a last line without a line end
    return true;
}

void ParseMeasurementText(std::string_view text, RecordList& records)
{
    while (!text.empty()) {
        const auto newline = text.find('\n');
        AddLine(text.substr(0, newline), newline != std::string_view::npos, records);
        if (newline == std::string_view::npos)
            break;
        text.remove_prefix(newline + 1);
    }
}

std::vector<std::string> CollapsedRunNumbers(const RecordList& records)
{
    std::vector<std::string> runNumbers;
    for (const MeasurementRecord& record : records) {
        if (record.skipped)
            continue;
        const std::string_view run = record.runNumber();
        if (runNumbers.empty() || runNumbers.back() != run)
            runNumbers.emplace_back(run);
    }
    return runNumbers;
}

bool IsWrittenOnSave(const MeasurementRecord& record, const RunNumberSet& listedRuns)
{
    const std::string_view run = record.runNumber();
    return run.empty() || listedRuns.find(run) != listedRuns.end();
}

bool WriteMeasurementFile(const std::string& path, const RecordList& records,
                          const RunNumberSet& listedRuns, std::string& error)
{
    AtomicFile file(path);
    if (!file.Open(error))
        return false;
    for (const MeasurementRecord& record : records) {
        if (!IsWrittenOnSave(record, listedRuns))
            continue;
        if (!file.Write(record.lineText(), error) || !file.Write("\r\n", error))
            return false;
    }
    return file.Commit(error);
}

}  // namespace velmora
