// SPDX-License-Identifier: MIT
#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "runs/Rounding.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace velmora::fuzz {

namespace {

// A Leica GSI line, as told here without the layout's code: an optional "*", two digits, the
// sign in the 7th character, and a blank or the line's end after 8 or 16 characters of data.
// Gives the data's width, 0 for a line of another layout.
std::size_t GsiDataWidth(std::string_view line)
{
    if (line.substr(0, 3) == "For")
        return 0;
    if (!line.empty() && line[0] == '*')
        line.remove_prefix(1);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (line.size() < 15 || !digit(line[0]) || !digit(line[1]) || (line[6] != '+' && line[6] != '-'))
        return 0;
    for (const std::size_t width : {std::size_t{16}, std::size_t{8}}) {
        if (line.size() == 7 + width || (line.size() > 7 + width && line[7 + width] == ' '))
            return width;
    }
    return 0;
}

// The non-empty lines of a text, cut here without the loader's code: a line ends at LF and a CR
// right before that LF is part of the line end; a lone CR ends a GSI line and an empty one. A
// UTF-8 byte-order mark before a first GSI line belongs to no line. For the last line, which
// has no LF after it, either reading of a final CR is accepted (`lastMayLoseCr`).
struct ExpectedLines {
    std::vector<std::string_view> lines;
    bool lastMayLoseCr = false;
};

std::size_t MarkLength(std::string_view text)
{
    if (text.substr(0, 3) != "\xEF\xBB\xBF")
        return 0;
    std::size_t first = 3;
    while (first < text.size() && (text[first] == '\r' || text[first] == '\n'))
        ++first;
    std::size_t end = first;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    return end > first && GsiDataWidth(text.substr(first, end - first)) != 0 ? 3 : 0;
}

ExpectedLines SplitLines(std::string_view text)
{
    ExpectedLines expected;
    std::size_t begin = MarkLength(text);
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        for (std::size_t cr = text.find('\r', begin); cr < end && cr + 1 != end; cr = text.find('\r', begin)) {
            const std::string_view before = text.substr(begin, cr - begin);
            if (!before.empty() && GsiDataWidth(before) == 0)
                break;
            if (!before.empty())
                expected.lines.push_back(before);
            expected.lastMayLoseCr = false;
            begin = cr + 1;
        }
        std::string_view line = text.substr(begin, end == std::string_view::npos ? end : end - begin);
        const bool last = end == std::string_view::npos;
        if (!last && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty()) {
            expected.lines.push_back(line);
            expected.lastMayLoseCr = last && line.back() == '\r';
        }
        if (last)
            break;
        begin = end + 1;
    }
    return expected;
}

void CheckLines(const RecordList& records, const ExpectedLines& expected, const char* what)
{
    std::size_t count = expected.lines.size();
    // A last line "\r" alone may be dropped when its CR is taken as a line end.
    if (expected.lastMayLoseCr && expected.lines.back() == "\r" && records.size() + 1 == count)
        --count;
    FUZZ_REQUIRE(records.size() == count, std::string(what) + ": " + std::to_string(records.size()) +
                                         " records for " + std::to_string(count) + " lines");
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view line = expected.lines[i];
        const std::string_view got = records[i].lineText();
        if (i + 1 == expected.lines.size() && expected.lastMayLoseCr && got.size() + 1 == line.size())
            line.remove_suffix(1);
        FUZZ_REQUIRE(got == line, std::string(what) + ": line " + std::to_string(i + 1) + " read as " +
                                 Shown(got) + ", written " + Shown(line));
    }
}

std::string_view CutField(std::string_view line, std::size_t first, std::size_t count)
{
    return TrimText(line.substr(std::min(first, line.size()), count));
}

// The words of a GSI line: every `width` + 8 characters after the "*", cut at the line's end.
std::vector<std::string_view> GsiWords(std::string_view line, std::size_t width)
{
    if (line[0] == '*')
        line.remove_prefix(1);
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at + 7 + width <= line.size(); at += width + 8)
        words.push_back(line.substr(at, 7 + width));
    return words;
}

// A GSI line's fields: the code of its first reading word, the reading's digits again in its
// decimal text, and the skip flag (no reading, or a code block or a line-end record).
void CheckGsiFields(const MeasurementRecord& record, std::size_t width)
{
    const std::string_view line = record.lineText();
    const std::vector<std::string_view> words = GsiWords(line, width);
    std::string_view code;
    std::string_view readingWord;
    for (const std::string_view word : words) {
        const std::string_view index = word.substr(0, 3);
        if (word.substr(0, 2) != "11" && word[0] != '4' &&
            (index == "331" || index == "332" || index == "333" || index == "335" || index == "336")) {
            code = index == "333" ? "Rz" : index == "331" || index == "335" ? "Rb" : "Rf";
            readingWord = word;
            break;
        }
    }
    FUZZ_REQUIRE(record.valueType() == code, "value type of " + Shown(line) + " is " + Shown(record.valueType()));
    const std::string_view unit = readingWord.empty() ? "" : readingWord.substr(5, 1);
    const std::string_view data = readingWord.empty() ? "" : readingWord.substr(7);
    if (!data.empty() && unit.find_first_of("01678") == 0 &&
        data.find_first_not_of("0123456789") == std::string_view::npos) {
        std::string digits;
        for (const char c : record.reading())
            if (c != '.' && c != '-')
                digits += c;
        const auto significant = [](std::string_view text) {
            const std::size_t first = text.find_first_not_of('0');
            return first == std::string_view::npos ? std::string_view("0") : text.substr(first);
        };
        FUZZ_REQUIRE(significant(digits) == significant(data),
                     "reading of " + Shown(line) + " is " + Shown(record.reading()));
        const bool negative = readingWord[6] == '-' && significant(data) != "0";
        FUZZ_REQUIRE(negative == (record.reading().substr(0, 1) == "-"), "sign of the reading of " + Shown(line));
    }
    const std::string_view first = words.front();
    const std::size_t code0 = first.find_first_not_of('0', 7);
    const bool lineStart = first.substr(0, 2) == "41" && code0 != std::string_view::npos && first[code0] == '?';
    const bool event = lineStart || (first[0] == '5' && first[2] >= '0' && first[2] <= '9');
    FUZZ_REQUIRE(record.skipped() == (code.empty() || event), "skip flag of GSI line " + Shown(line));
}

// The fields and the skip flag, worked out from the column layout directly.
void CheckRecordFields(const MeasurementRecord& record)
{
    const std::string_view line = record.lineText();
    const bool m5 = line.substr(0, 3) == "For";
    if (const std::size_t width = GsiDataWidth(line); width != 0) {
        CheckGsiFields(record, width);
        return;
    }
    struct Expected {
        Field field;
        std::size_t first;
        std::size_t count;
    };
    const Expected m5Fields[] = {{Field::pointNumber, 20, 9}, {Field::runNumber, 44, 4},
                                 {Field::valueType, 49, 2},   {Field::reading, 51, 15},
                                 {Field::distance, 74, 15},   {Field::height, 96, 16},
                                 {Field::pointInfo, 29, 15}};
    const Expected plainFields[] = {{Field::pointNumber, 7, 9}, {Field::runNumber, 31, 4},
                                    {Field::valueType, 36, 2},  {Field::reading, 38, 13},
                                    {Field::distance, 53, 13}};
    auto check = [&](const Expected& e) {
        const std::string_view want = CutField(line, e.first, e.count);
        FUZZ_REQUIRE(record.field(e.field) == want,
                "field " + std::to_string(static_cast<int>(e.field)) + " of " + Shown(line) +
                    " is " + Shown(record.field(e.field)) + ", the columns hold " + Shown(want));
        // The shortcut for plain decimals gives the standard reader's value to the last bit:
        // with an exponent the same number is no plain decimal, and the reader reads it. A text
        // that already has an exponent never takes the shortcut, and a second one would spoil it.
        if (want.find_first_of("eE") != std::string_view::npos)
            return;
        const double fast = TextToNumber(want);
        const double read = TextToNumber(std::string(TrimText(want)) + "e0");
        FUZZ_REQUIRE(std::memcmp(&fast, &read, sizeof fast) == 0 || (std::isnan(fast) && std::isnan(read)),
                     "the number " + Shown(want) + " reads as " + std::to_string(fast) +
                         " by the shortcut, " + std::to_string(read) + " by the reader");
    };
    if (m5) {
        for (const Expected& e : m5Fields)
            check(e);
    } else {
        for (const Expected& e : plainFields)
            check(e);
    }

    const std::string_view code = record.valueType();
    bool skipped = !(code == "Rb" || code == "Rf" || code == "Sh" || code == "Db" || code == "Rz" ||
                     code == "Lr" || code == "Lv" || code == "Lz");
    // An M5 line flagged "e" in its last column is a failed measurement.
    skipped = skipped || (m5 && line.size() > 118 && line[118] == 'e');
    for (std::string_view marker : {"Start-Line", "End-Line", "Measurement repeated",
                                    "Station repeated", "#####", ".DAT"})
        skipped = skipped || line.find(marker) != std::string_view::npos;
    FUZZ_REQUIRE(record.skipped() == skipped, "skip flag of " + Shown(line) + " is " +
                                           std::to_string(record.skipped()) + ", expected " +
                                           std::to_string(skipped));
}

std::vector<std::string> Collapse(const RecordList& records)
{
    std::vector<std::string> numbers;
    for (const MeasurementRecord& record : records) {
        if (record.skipped())
            continue;
        if (numbers.empty() || numbers.back() != record.runNumber())
            numbers.emplace_back(record.runNumber());
    }
    return numbers;
}

// One entry of the run list against the run's status: the number comes back out of the text,
// the mark fits the status, red means above tolerance or unreadable, and a shown misclosure
// reads back as the rounded sum.
void CheckEntry(const RunListEntry& entry, const std::string& number, const RunCatalog& catalog,
                double coefficient)
{
    const std::string& text = entry.text;
    FUZZ_REQUIRE(RunNumberOfEntry(text) == number,
            "entry " + Shown(text) + " gives run " + Shown(RunNumberOfEntry(text)) + ", not " + Shown(number));
    const std::string prefix = number + " // ";
    FUZZ_REQUIRE(text.compare(0, prefix.size(), prefix) == 0, "entry " + Shown(text) + " lacks " + Shown(prefix));
    const std::string_view mark = std::string_view(text).substr(prefix.size());
    const LevellingRun& run = catalog.Find(number);
    const RunStatus status = run.Status(coefficient);
    const bool red = status == RunStatus::AboveTolerance || status == RunStatus::Unreadable;
    FUZZ_REQUIRE(IsMarkedRed(text) == red, "entry " + Shown(text) + " red " + std::to_string(IsMarkedRed(text)));
    switch (status) {
    case RunStatus::Empty: FUZZ_REQUIRE(mark == "****", "empty run shown as " + Shown(text)); break;
    case RunStatus::Open: FUZZ_REQUIRE(mark == "----", "open run shown as " + Shown(text)); break;
    case RunStatus::Unreadable: FUZZ_REQUIRE(mark == "???? ", "unreadable run shown as " + Shown(text)); break;
    case RunStatus::WithinTolerance:
    case RunStatus::AboveTolerance: {
        std::string_view number_text = mark;
        if (status == RunStatus::AboveTolerance)
            number_text.remove_suffix(1);
        const double shown = TextToNumber(number_text);
        const double rounded = RoundTo4(run.heightSum);
        FUZZ_REQUIRE(std::isfinite(shown) && std::isfinite(rounded),
                "misclosure " + Shown(text) + " does not read back as a number");
        FUZZ_REQUIRE(std::fabs(shown - rounded) <= 1e-9 * std::max(1.0, std::fabs(rounded)),
                "misclosure " + Shown(text) + " reads back far from the rounded sum");
        FUZZ_REQUIRE(status == RunStatus::WithinTolerance
                    ? std::fabs(run.heightSum) <= run.AllowedMisclosure(coefficient)
                    : std::fabs(run.heightSum) > run.AllowedMisclosure(coefficient),
                "status of " + Shown(text) + " disagrees with its tolerance");
        break;
    }
    }
}

int Rank(RunStatus status)
{
    return status == RunStatus::AboveTolerance ? 1 : status == RunStatus::WithinTolerance ? 0 : -1;
}

}  // namespace

void CheckFieldBook(std::string_view input)
{
    RecordList records;
    ParseMeasurementText(input, records);
    CheckLines(records, SplitLines(input), "in-memory load");
    for (const MeasurementRecord& record : records)
        CheckRecordFields(record);

    // The file loader reads the same records as the in-memory one. Its read buffer is large,
    // which makes this the slowest step: done for every eighth input only.
    if (input.size() % 8 == 0) {
        const std::string bookPath = ScratchPath("book.DAT");
        WriteWholeFile(bookPath, input);
        RecordList fromFile;
        std::string error;
        FUZZ_REQUIRE(ReadMeasurementFile(bookPath, fromFile, error), "file load failed: " + error);
        FUZZ_REQUIRE(fromFile.size() == records.size(), "file load and in-memory load differ in count");
        for (std::size_t i = 0; i < records.size(); ++i) {
            FUZZ_REQUIRE(fromFile[i].lineText() == records[i].lineText() &&
                        fromFile[i].skipped() == records[i].skipped(),
                    "file load and in-memory load differ at line " + std::to_string(i + 1));
        }
    }

    // The same across the loader's 1 MiB read chunks: a filler line puts the end of the first
    // chunk inside this input (where a CR may stand before the next chunk's LF).
    if (input.size() % 32 == 1) {
        constexpr std::size_t kChunk = std::size_t{1} << 20;
        const std::size_t split = static_cast<unsigned char>(input[0]) % (input.size() + 1);
        std::string book(kChunk - split - 2, 'x');
        book += "\r\n";
        book.append(input.substr(MarkLength(input)));  // a byte-order mark counts only at the start
        const std::string bookPath = ScratchPath("large.DAT");
        WriteWholeFile(bookPath, book);
        RecordList fromFile;
        std::string error;
        FUZZ_REQUIRE(ReadMeasurementFile(bookPath, fromFile, error), "large file load failed: " + error);
        FUZZ_REQUIRE(fromFile.size() == records.size() + 1,
                     "a chunk boundary at byte " + std::to_string(split) + " changes the record count");
        for (std::size_t i = 0; i < records.size(); ++i) {
            FUZZ_REQUIRE(fromFile[i + 1].lineText() == records[i].lineText(),
                         "a chunk boundary at byte " + std::to_string(split) + " changes line " +
                             std::to_string(i + 1) + " to " + Shown(fromFile[i + 1].lineText()));
        }
    }

    const std::vector<std::string> numbers = CollapsedRunNumbers(records);
    FUZZ_REQUIRE(numbers == Collapse(records), "collapsed run numbers differ from the records' runs");
    const RunCatalog catalog(records);

    // The list at every class; a run's verdict only gets milder as the coefficient grows.
    std::vector<RunList> lists;
    for (const ToleranceClass toleranceClass : kAllClasses) {
        const double coefficient = CoefficientOf(toleranceClass);
        RunList list;
        list.Fill(numbers, catalog, coefficient);
        FUZZ_REQUIRE(list.size() == numbers.size(), "one entry per collapsed run number");
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            FUZZ_REQUIRE(!list.entries()[i].selected, "a new entry is selected");
            CheckEntry(list.entries()[i], numbers[i], catalog, coefficient);
            if (!lists.empty()) {
                const LevellingRun& run = catalog.Find(numbers[i]);
                const double previous = CoefficientOf(kAllClasses[lists.size() - 1]);
                const int before = Rank(run.Status(previous));
                const int now = Rank(run.Status(coefficient));
                FUZZ_REQUIRE(before == -1 ? now == -1 : now != -1 && now <= before,
                        "run " + Shown(numbers[i]) + " gets stricter at a larger coefficient");
            }
        }
        lists.push_back(std::move(list));
    }

    // Refresh with another class gives the texts of a fresh fill and keeps the selection.
    ByteReader choice(input.substr(0, 8));
    RunList refreshed = lists[0];
    for (std::size_t i = 0; i < refreshed.size(); ++i)
        refreshed.SetSelected(i, (i * 7 + choice.Byte()) % 3 == 0);
    const std::vector<RunListEntry> selectedBefore = refreshed.entries();
    refreshed.Refresh(catalog, CoefficientOf(ToleranceClass::IV));
    for (std::size_t i = 0; i < refreshed.size(); ++i) {
        FUZZ_REQUIRE(refreshed.entries()[i].text == lists[3].entries()[i].text, "refresh differs from fill");
        FUZZ_REQUIRE(refreshed.entries()[i].selected == selectedBefore[i].selected, "refresh changed the selection");
    }

    // Save after deleting the selected entries, read the saved file back. Only the lines of
    // runs that had an entry and have none now are left out. Lines end with CR LF; a GSI line,
    // and every line of a book that begins with one, keeps what followed it (its line end and
    // empty lines), and such a book its byte-order mark. A first line that begins with the mark's
    // bytes gets a line end before it. GSI runs are numbered by their place, so a book without
    // some of them numbers the rest anew: their numbers are not compared after the save.
    RunList kept = refreshed;
    kept.RemoveSelected();
    const RunNumberSet listed = kept.ListedRunNumbers();
    RunNumberSet deleted;
    for (const std::string& number : numbers) {
        if (!listed.count(number))
            deleted.insert(number);
    }
    std::string expectedFile;
    std::vector<const MeasurementRecord*> written;
    bool numberedByPlace = false;
    const std::string_view text = records.text();
    const bool gsiBook = !records.empty() && GsiDataWidth(records[0].lineText()) != 0;
    if (gsiBook && (records[0].runNumber().empty() || !deleted.count(std::string(records[0].runNumber()))))
        expectedFile += text.substr(0, static_cast<std::size_t>(records[0].lineText().data() - text.data()));
    for (const MeasurementRecord& record : records) {
        const std::string_view line = record.lineText();
        const bool gsi = GsiDataWidth(line) != 0;
        numberedByPlace = numberedByPlace || gsi;
        if (record.runNumber().empty() || !deleted.count(std::string(record.runNumber()))) {
            if (expectedFile.empty() && MarkLength(line) != 0)
                expectedFile += "\r\n";  // else read back as a mark before the line
            expectedFile += line;
            if (gsiBook || gsi) {
                std::size_t end = static_cast<std::size_t>(line.data() - text.data()) + line.size();
                while (end < text.size() && (text[end] == '\r' || text[end] == '\n'))
                    expectedFile += text[end++];
            } else {
                expectedFile += "\r\n";
            }
            written.push_back(&record);
        }
    }
    const std::string savedPath = ScratchPath("saved.DAT");
    std::string error;
    if (written.empty() && !records.empty()) {
        Failure failure;
        FUZZ_REQUIRE(!WriteMeasurementFile(savedPath, records, deleted, failure) && failure.code == kNothingToSave,
                     "a save of no line is not refused");
        return;
    }
    FUZZ_REQUIRE(WriteMeasurementFile(savedPath, records, deleted, error), "save failed: " + error);
    std::string saved;
    FUZZ_REQUIRE(ReadWholeFile(savedPath, saved), "saved file cannot be read");
    FUZZ_REQUIRE(saved == expectedFile, "saved file is not the kept lines with their line ends");

    RecordList reread;
    ParseMeasurementText(saved, reread);
    FUZZ_REQUIRE(reread.size() == written.size(), "saved book reads back with " +
                                                 std::to_string(reread.size()) + " records for " +
                                                 std::to_string(written.size()) + " lines");
    for (std::size_t i = 0; i < written.size(); ++i) {
        FUZZ_REQUIRE(reread[i].lineText() == written[i]->lineText(),
                "saved line " + std::to_string(i + 1) + " reads back as " + Shown(reread[i].lineText()) +
                    ", was " + Shown(written[i]->lineText()));
        FUZZ_REQUIRE(reread[i].skipped() == written[i]->skipped(), "saved line changes its skip flag");
    }
    if (numberedByPlace)
        return;

    // The kept runs, collapsed again, with the same texts: their records all came through.
    // Lines without a run number are always saved, so the empty run stays even when deleted.
    std::vector<std::string> keptNumbers;
    for (const std::string& number : numbers) {
        const bool stays = listed.count(number) || number.empty();
        if (stays && (keptNumbers.empty() || keptNumbers.back() != number))
            keptNumbers.push_back(number);
    }
    FUZZ_REQUIRE(CollapsedRunNumbers(reread) == keptNumbers, "saved book lists other runs than were kept");
    const RunCatalog rereadCatalog(reread);
    for (const ToleranceClass toleranceClass : kAllClasses) {
        const double coefficient = CoefficientOf(toleranceClass);
        for (const std::string& number : keptNumbers) {
            FUZZ_REQUIRE(RunEntryText(rereadCatalog, number, coefficient) ==
                        RunEntryText(catalog, number, coefficient),
                    "run " + Shown(number) + " shows otherwise after saving");
        }
    }
}

}  // namespace velmora::fuzz
