// SPDX-License-Identifier: MIT
#include "fieldbook/MeasurementFile.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/HugePages.h"
#include "fieldbook/RecordBlock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// The first buffer for standard input, which has no size to go by.
constexpr std::size_t kFirstReadBytes = 1 << 16;
// One read asks for at most this much, so a signal or a slow disk never makes it huge.
constexpr std::size_t kMaxReadBytes = std::size_t{1} << 30;

// A buffer for a book's bytes, huge pages asked for (AdviseHugePages): the read then fills a
// few hundred pages instead of tens of thousands, which costs the kernel less than the read's
// copy itself.
std::unique_ptr<char[]> TextBuffer(std::size_t size)
{
    std::unique_ptr<char[]> buffer(new char[size]);
    AdviseHugePages(buffer.get(), size);
    return buffer;
}

// The length of a UTF-8 byte-order mark at the start of `text` that belongs to no line: one
// before a first line (after any empty lines) of a layout that keeps the book's line ends, as
// a Leica book copied through a Windows editor may have. In a DiNi book it is a byte of the
// first line, as it always was.
std::size_t ByteOrderMarkLength(std::string_view text)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!text.starts_with(kByteOrderMark))
        return 0;
    const std::size_t first = std::min(text.find_first_not_of("\r\n", kByteOrderMark.size()), text.size());
    const std::string_view line = text.substr(first, text.find_first_of("\r\n", first) - first);
    return !line.empty() && LayoutAt(LayoutIndexOf(line)).KeepsLineEnds() ? kByteOrderMark.size() : 0;
}

// Adds the record of one line of the list's text, without its line end.
void AddLine(std::string_view line, RecordList& records, RunStretches* stretches)
{
    if (line.empty())
        return;
    // The stretches hold the run number of the line before; asked of its record otherwise.
    const std::string_view carriedRun = stretches      ? stretches->LastRunNumber()
                                        : records.empty() ? std::string_view()
                                                          : records.back().runNumber();
    MeasurementRecord& record = records.AppendLineOfText(line, carriedRun);
    record.SetSkipped(IsSkippedLine(record));
    if (stretches)
        stretches->Add(record, records.size() - 1);
}

std::string_view Between(const char* begin, const char* end)
{
    return {begin, static_cast<std::size_t>(end - begin)};
}

// The one pass over a book's text: lines cut with memchr, each made a record that refers to
// its bytes, its skip flag decided, its stretch noted.
//
// A line ends at LF, a CR right before it belonging to the line end. A lone CR ends a line of
// a layout that keeps the book's line ends (a Leica book written with CR alone, or ending its
// last line so) and an empty one; in any other line (a DiNi one) it is a byte of the line. The
// rule looks only at the line it ends, so a saved book, whose lines follow line ends as they
// did, is cut as the book it came from.
void CutLines(std::string_view text, RecordList& records, RunStretches* stretches = nullptr)
{
    const char* begin = text.data() + ByteOrderMarkLength(text);
    const char* const end = text.data() + text.size();
    while (begin < end) {
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
        const char* lineEnd = newline ? newline : end;
        while (const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', static_cast<std::size_t>(lineEnd - begin)))) {
            const std::string_view line = Between(begin, cr);
            if (cr + 1 == newline || (!line.empty() && !LayoutAt(LayoutIndexOf(line)).KeepsLineEnds()))
                break;
            AddLine(line, records, stretches);
            begin = cr + 1;
        }
        if (newline && lineEnd > begin && lineEnd[-1] == '\r')
            --lineEnd;  // the CR of CR LF; the last line, which has no LF, keeps its CR
        AddLine(Between(begin, lineEnd), records, stretches);
        if (!newline)
            break;
        begin = newline + 1;
    }
}

// Whether a record belongs in a saved field book: every line does but those of the runs
// deleted from the list. A line without a run number belongs to no run and is always written.
bool IsWrittenOnSave(const MeasurementRecord& record, const RunNumberSet& deletedRuns)
{
    const std::string_view run = record.runNumber();
    return run.empty() || deletedRuns.find(run) == deletedRuns.end();
}

// What follows a saved line: CR LF; for a line that keeps its line end (`keepsLineEnd`),
// what follows it in the loaded text (`after`, the text from the line's end): its line end and
// the empty lines after it, nothing after a last line without one. No line begins with CR or
// LF, so that is every CR and LF up to the next line. A line that is not in the loaded text
// (`after` null) ends with CR LF.
std::string_view LineEndOnSave(bool keepsLineEnd, std::string_view after)
{
    if (!keepsLineEnd || after.data() == nullptr)
        return "\r\n";
    return after.substr(0, std::min(after.find_first_not_of("\r\n"), after.size()));
}

// The line of an edited record whose layout writes edits, into `written` (`rewritten` set);
// false when an edit cannot be written into the line.
bool EditedLine(const MeasurementRecord& record, std::string& written, bool& rewritten)
{
    rewritten = false;
    const FieldBookLayout& layout = record.layout();
    if (!record.HasEdits() || !layout.WritesEdits())
        return true;
    const GridTexts fields{record.pointNumber(), record.valueType(), record.reading(), record.distance()};
    if (!layout.WriteEdits(record.lineText(), fields, written))
        return false;
    rewritten = written != record.lineText();
    return true;
}

}  // namespace

bool IsSkippedLine(const MeasurementRecord& record)
{
    return record.layout().TakesNoPart(record.lineText());
}

namespace {

// Opens a field book for reading: `-` is standard input; anything else must be a regular file,
// checked on the opened file before a byte is read (a pipe nobody writes to would wait for ever,
// /dev/zero never ends). The open itself does not wait for a pipe's writer.
int OpenForReading(const std::string& path, struct stat& info, Failure& failure)
{
    if (path == "-") {
        if (fstat(STDIN_FILENO, &info) != 0) {
            failure.code = errno;
            return -1;
        }
        return STDIN_FILENO;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failure.code = errno;
        return -1;
    }
    const bool described = fstat(fd, &info) == 0;
    if (!described || !S_ISREG(info.st_mode)) {
        failure.code = !described ? errno : S_ISDIR(info.st_mode) ? kIsFolder : kNotRegularFile;
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

bool ReadMeasurementFile(const std::string& path, RecordList& records, std::string& error,
                         RunStretches* stretches)
{
    Failure failure;
    const bool read = ReadMeasurementFile(path, records, failure, stretches);
    if (!read)
        error = failure.Text();
    return read;
}

bool ReadMeasurementFile(const std::string& path, RecordList& records, Failure& failure,
                         RunStretches* stretches)
{
    records.clear();
    if (stretches)
        *stretches = RunStretches();
    failure = Failure{0, path, {}};
    if (path.empty()) {
        failure.code = kNoFileName;
        return false;
    }
    struct stat info {};
    const int fd = OpenForReading(path, info, failure);
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

    // The whole book goes into one buffer that the records then refer to: sized to the file
    // (one byte more, so that its end is seen without growing), grown only for standard input
    // or a file that grows while it is read.
    std::size_t capacity = kFirstReadBytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        capacity = static_cast<std::size_t>(info.st_size) + 1;
    std::unique_ptr<char[]> text = TextBuffer(capacity);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            std::unique_ptr<char[]> larger = TextBuffer(capacity * 2);
            std::memcpy(larger.get(), text.get(), size);
            text = std::move(larger);
            capacity *= 2;
        }
        const ssize_t got = ::read(fd, text.get() + size, std::min(capacity - size, kMaxReadBytes));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            // A disk error may stop a read half-way: the records would be incomplete, so the
            // load fails as a whole.
            failure.code = errno;
            return false;
        }
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    CutLines(records.AdoptText(std::move(text), size), records, stretches);
    if (stretches)
        stretches->ShrinkToFit();
    return true;
}

FileComparison CompareFileWithText(const std::string& path, std::string_view text, Failure& failure)
{
    // Read through in pieces small enough to stay in the processor's cache.
    constexpr std::size_t kPieceBytes = std::size_t{1} << 18;
    failure = Failure{0, path, {}};
    if (path == "-")
        return FileComparison::Unreadable;  // standard input cannot be read a second time
    if (path.empty()) {
        failure.code = kNoFileName;
        return FileComparison::Unreadable;
    }
    struct stat info {};
    const int fd = OpenForReading(path, info, failure);
    if (fd < 0)
        return FileComparison::Unreadable;
    bool same = static_cast<std::size_t>(info.st_size) == text.size();
    std::unique_ptr<char[]> piece(same ? new char[kPieceBytes] : nullptr);
    std::size_t compared = 0;
    while (same) {
        const ssize_t got = ::read(fd, piece.get(), kPieceBytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            failure.code = errno;
            ::close(fd);
            return FileComparison::Unreadable;
        }
        if (got == 0) {
            // The end must come exactly where the text ends; a file that shrank since its size
            // was taken shows here, one that grew below.
            same = compared == text.size();
            break;
        }
        const auto count = static_cast<std::size_t>(got);
        same = count <= text.size() - compared &&
               std::memcmp(piece.get(), text.data() + compared, count) == 0;
        compared += count;
    }
    ::close(fd);
    return same ? FileComparison::Same : FileComparison::Differs;
}

bool RereadMeasurementFile(const std::string& path, RecordList& records, Failure& failure,
                           bool& unchanged, RunStretches& stretches)
{
    Failure compared;
    unchanged = records.recordsAreTextLines() &&
                CompareFileWithText(path, records.text(), compared) == FileComparison::Same;
    if (unchanged) {
        // The same bytes give the same records; only the edits made since are undone.
        records.DiscardEdits();
        failure = Failure{};
        return true;
    }
    return ReadMeasurementFile(path, records, failure, &stretches);
}

void ParseMeasurementText(std::string_view text, RecordList& records)
{
    if (records.empty()) {
        std::unique_ptr<char[]> copy(new char[text.size()]);
        std::memcpy(copy.get(), text.data(), text.size());
        CutLines(records.AdoptText(std::move(copy), text.size()), records);
        return;
    }
    // Records already there keep the list's text: the new ones hold their own lines.
    RecordList more;
    ParseMeasurementText(text, more);
    // Each line is read again after the list's last record, so that a run number carried or
    // counted from the line before follows on from the list.
    for (const MeasurementRecord& record : more) {
        MeasurementRecord own = ParseLine(record.lineText(), records.back().runNumber());
        own.SetSkipped(record.skipped());
        records.push_back(std::move(own));
    }
}

std::vector<std::string> CollapsedRunNumbers(const RecordList& records)
{
    return RunStretches(records).CollapsedRunNumbers();
}

bool EditsLeftOutOnSave(const RecordList& records, const RunNumberSet& deletedRuns)
{
    constexpr Field kGridFields[] = {Field::pointNumber, Field::valueType, Field::reading, Field::distance};
    return std::any_of(records.begin(), records.end(), [&](const MeasurementRecord& record) {
        if (!record.HasEdits() || record.layout().WritesEdits() || !IsWrittenOnSave(record, deletedRuns))
            return false;
        // A cell typed over with what it held changes nothing in the line.
        return std::any_of(std::begin(kGridFields), std::end(kGridFields), [&](Field field) {
            return record.field(field) != record.layout().FieldOf(record.lineText(), field);
        });
    });
}

bool WriteMeasurementFile(const std::string& path, const RecordList& records,
                          const RunNumberSet& deletedRuns, std::string& error)
{
    Failure failure;
    const bool written = WriteMeasurementFile(path, records, deletedRuns, failure);
    error = failure.Text();
    return written;
}

namespace {

// A save that would fail stops before the file is touched: false, with the failure, when no
// line of a book that has lines would be written (every run deleted), or for the first line to
// be saved whose edits cannot be written (the failure names its point).
bool CanBeSaved(const std::string& path, const RecordList& records, const RunNumberSet& deletedRuns,
                Failure& failure)
{
    std::string written;
    bool rewritten = false;
    bool anyWritten = false;
    for (const MeasurementRecord& record : records) {
        if (!IsWrittenOnSave(record, deletedRuns))
            continue;
        anyWritten = true;
        if (!EditedLine(record, written, rewritten)) {
            failure = Failure{kEditNotWritable, path, " (point " + std::string(record.pointNumber()) + ")"};
            return false;
        }
    }
    if (!anyWritten && !records.empty()) {
        failure = Failure{kNothingToSave, path, {}};
        return false;
    }
    return true;
}

// Lines that stand in the loaded text with the line end they are saved with, one after the
// other, go out as one piece straight from that text; only a line that takes another line
// end or is written anew, or one that follows a left-out line (or, in a DiNi book, an empty
// one), starts a new piece.
bool WriteSavedLines(AtomicFile& file, const RecordList& records, const RunNumberSet& deletedRuns,
                     std::string& error)
{
    // A line keeps its line end when its layout says so; in a book whose first line is of such
    // a layout (a Leica book) every line does, so that its bytes come back as they were.
    const std::string_view text = records.text();
    const bool bookKeepsLineEnds = !records.empty() && records[0].layout().KeepsLineEnds();
    std::string written;
    const char* pieceBegin = nullptr;
    const char* pieceEnd = nullptr;
    auto writePiece = [&] {
        const bool written = pieceBegin == pieceEnd || file.Write(Between(pieceBegin, pieceEnd), error);
        pieceBegin = pieceEnd = nullptr;
        return written;
    };
    // Such a book begins as it began: its byte-order mark and the empty lines before its first
    // line go first, with that line (a mark before another line would make it part of it).
    if (bookKeepsLineEnds && IsWrittenOnSave(records[0], deletedRuns)) {
        if (const std::optional<std::size_t> first = PlaceIn(text, records[0].lineText().data());
            first && *first < text.size()) {
            pieceBegin = text.data();
            pieceEnd = text.data() + *first;
        }
    }
    bool atStart = pieceBegin == nullptr;
    for (const MeasurementRecord& record : records) {
        if (!IsWrittenOnSave(record, deletedRuns))
            continue;
        std::string_view line = record.lineText();
        // A line that begins with the bytes of a byte-order mark would lose them when read back
        // from the file's start (the lines before it left out): a line end before it keeps it whole.
        if (std::exchange(atStart, false) && ByteOrderMarkLength(line) != 0 && !file.Write("\r\n", error))
            return false;
        const std::optional<std::size_t> at = PlaceIn(text, line.data());
        const bool inText = at && *at < text.size();
        const std::string_view end = LineEndOnSave(bookKeepsLineEnds || record.layout().KeepsLineEnds(),
                                                   inText ? text.substr(*at + line.size()) : std::string_view());
        bool rewritten = false;
        if (!EditedLine(record, written, rewritten))
            return false;  // checked before the file was opened
        if (rewritten) {
            line = written;
        } else if (inText && text.substr(*at + line.size(), end.size()) == end) {
            if (line.data() != pieceEnd) {
                if (!writePiece())
                    return false;
                pieceBegin = line.data();
            }
            pieceEnd = line.data() + line.size() + end.size();
            continue;
        }
        if (!writePiece() || !file.Write(line, error) || !file.Write(end, error))
            return false;
    }
    return writePiece();
}

}  // namespace

bool WriteMeasurementFile(const std::string& path, const RecordList& records,
                          const RunNumberSet& deletedRuns, Failure& failure)
{
    if (!CanBeSaved(path, records, deletedRuns, failure))
        return false;
    AtomicFile file(path);
    std::string error;
    // Every way out takes the file's failure along (none when it was written).
    struct Recorder {
        const AtomicFile& file;
        Failure& failure;
        ~Recorder() { failure = file.failure(); }
    } recorder{file, failure};
    return file.Open(error) && WriteSavedLines(file, records, deletedRuns, error) && file.Commit(error);
}

}  // namespace velmora
