// SPDX-License-Identifier: MIT
#include "fieldbook/MeasurementFile.h"

#include "FieldBookLines.h"
#include "fieldbook/DiniLayouts.h"
#include "fieldbook/RecordBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;
using velmora::testing::M5TextLine;
using velmora::testing::Observation;
using velmora::testing::PlainLine;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;

namespace {

RecordList Load(const std::string& path)
{
    RecordList records;
    std::string error;
    EXPECT_TRUE(ReadMeasurementFile(path, records, error)) << error;
    return records;
}

RecordList LoadText(std::string_view content, std::string_view name = "book.DAT")
{
    return Load(WriteTemporaryFile(name, content));
}

std::vector<std::string> LineTexts(const RecordList& records)
{
    std::vector<std::string> lines;
    for (const auto& record : records)
        lines.emplace_back(record.lineText());
    return lines;
}

std::vector<bool> SkipFlags(const RecordList& records)
{
    std::vector<bool> flags;
    for (const auto& record : records)
        flags.push_back(record.skipped());
    return flags;
}

std::string Obs(std::string point, std::string run, std::string code, int address = 1)
{
    return M5Line({point, run, code, "1.00000", "20.000"}, address);
}

// A small book: a header line, runs 7 and 8, a line without a run number.
std::vector<std::string> SmallBook()
{
    return {
        M5TextLine("book.DAT", ""),       M5TextLine("Start-Line  BF", "7"),
        Obs("A", "7", "Rb"),              Obs("B", "7", "Rf"),
        M5TextLine("End-Line", "7"),      Obs("C", "8", "Rb"),
        Obs("D", "8", "Rf"),              M5Line({"X", "", "Db", "3", "4"}),
    };
}

}  // namespace

TEST(ReadMeasurementFileTest, LineEndsDoNotChangeTheRecords)
{
    const std::vector<std::string> lines = SmallBook();
    const auto crlf = LoadText(JoinLines(lines, "\r\n"), "crlf.DAT");
    const auto lf = LoadText(JoinLines(lines, "\n"), "lf.DAT");
    std::string noLastEnd = JoinLines(lines, "\r\n");
    noLastEnd.resize(noLastEnd.size() - 2);
    const auto open = LoadText(noLastEnd, "open.DAT");
    EXPECT_EQ(LineTexts(crlf), lines);
    EXPECT_EQ(LineTexts(lf), lines);
    EXPECT_EQ(LineTexts(open), lines);
}

TEST(ReadMeasurementFileTest, EmptyLinesLeaveNoRecordAndDoNotSplitARun)
{
    const std::string text = "\r\n\n" + Obs("A", "5", "Rb") + "\r\n\r\n\n" + Obs("B", "5", "Rf") +
                             "\r\n\r\n\r\n";
    const auto records = LoadText(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(CollapsedRunNumbers(records), std::vector<std::string>{"5"});
}

TEST(ReadMeasurementFileTest, SkipRuleMarksMarkersAndUnknownCodes)
{
    std::vector<std::string> lines = {
        M5Line({"A", "1", "Rb", "1", "2"}),
        M5Line({"A", "1", "Rb", "1", "2"}).replace(29, 10, "Start-Line"),  // marker beats the code
        M5Line({"A", "1", "Xx", "1", "2"}),
        M5Line({"A", "1", "", "1", "2"}),
        M5Line({"A", "1", "rb", "1", "2"}),  // codes are case-sensitive
        M5Line({"#####", "1", "Rf", "1", "2"}),
        M5TextLine("Measurement repeated", "1"),
        M5TextLine("Station repeated", "1"),
        M5TextLine("End-Line", "1"),
    };
    for (const char* code : {"Rf", "Sh", "Db", "Rz"})
        lines.push_back(M5Line({"A", "1", code, "1", "2"}));
    const auto records = LoadText(JoinLines(lines));
    EXPECT_EQ(SkipFlags(records), (std::vector<bool>{false, true, true, true, true, true, true,
                                                     true, true, false, false, false, false}));
}

TEST(ReadMeasurementFileTest, WorkedExampleOfSevenLines)
{
    const std::vector<std::string> lines = {
        M5TextLine("LINE07.DAT", ""),  M5TextLine("Start-Line", "1"), Obs("A", "1", "Rb"),
        Obs("B", "1", "Rf"),           M5TextLine("End-Line", "1"),   Obs("B", "2", "Rb"),
        Obs("C", "2", "Rf"),
    };
    const auto records = LoadText(JoinLines(lines));
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(SkipFlags(records),
              (std::vector<bool>{true, true, false, false, true, false, false}));
    EXPECT_EQ(CollapsedRunNumbers(records), (std::vector<std::string>{"1", "2"}));
}

TEST(ReadMeasurementFileTest, CollapsesOnlyConsecutiveRunNumbers)
{
    const auto records = LoadText(JoinLines({
        Obs("A", "5", "Rb"), Obs("B", "5", "Rf"), M5TextLine("Station repeated", "9"),
        Obs("C", "5", "Rb"), Obs("D", "7", "Rb"), Obs("E", "7", "Rf"), Obs("F", "5", "Rf"),
    }));
    EXPECT_EQ(CollapsedRunNumbers(records), (std::vector<std::string>{"5", "7", "5"}));
}

TEST(ReadMeasurementFileTest, FileOfSkippedLinesOrNothingLoads)
{
    const auto skippedOnly = LoadText(JoinLines({M5TextLine("Start-Line", "1"),
                                                 M5TextLine("End-Line", "1"), "junk"}));
    EXPECT_EQ(skippedOnly.size(), 3u);
    EXPECT_EQ(SkipFlags(skippedOnly), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(CollapsedRunNumbers(skippedOnly).empty());

    EXPECT_TRUE(LoadText("", "empty.DAT").empty());
}

TEST(ReadMeasurementFileTest, FailsOnlyWhenTheFileCannotBeRead)
{
    RecordList records = LoadText(Obs("A", "1", "Rb"));
    std::string error;
    EXPECT_FALSE(ReadMeasurementFile("/nonexistent/book.DAT", records, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_TRUE(records.empty());

    EXPECT_FALSE(ReadMeasurementFile("", records, error));
    const std::string folder = std::filesystem::path(WriteTemporaryFile("x.DAT", "")).parent_path();
    EXPECT_FALSE(ReadMeasurementFile(folder, records, error));
    EXPECT_EQ(error, "it is a folder");
}

TEST(ReadMeasurementFileTest, PipesAndDevicesByNameAreRefusedBeforeReading)
{
    // A FIFO nobody writes to would wait for ever, /dev/zero would fill the memory: the alarm
    // ends the test program if either is read.
    const std::string fifo =
        std::filesystem::path(WriteTemporaryFile("x.DAT", "")).parent_path() / "nobody-writes";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    alarm(10);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/urandom")}) {
        SCOPED_TRACE(path);
        RecordList records;
        std::string error;
        EXPECT_FALSE(ReadMeasurementFile(path, records, error));
        EXPECT_EQ(error, "it is not a regular file");
    }
    alarm(0);
}

TEST(ReadMeasurementFileTest, DashReadsStandardInput)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::string text = JoinLines({Obs("A", "1", "Rb"), Obs("B", "1", "Rf")});
    ASSERT_EQ(write(pipeEnds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(pipeEnds[1]);
    const int savedInput = dup(STDIN_FILENO);
    dup2(pipeEnds[0], STDIN_FILENO);
    close(pipeEnds[0]);
    RecordList records;
    std::string error;
    const bool read = ReadMeasurementFile("-", records, error);
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].pointNumber(), "B");
}

TEST(ReadMeasurementFileTest, BadBytesNeverStopTheLoad)
{
    // Binary junk with NUL bytes, a lone CR inside a line, Windows-1251 letters, short lines,
    // and one line of 10 MB: every non-empty line becomes a record.
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk.push_back(static_cast<char>((i * 37 + 11) % 256));
    std::string longLine(10 * 1024 * 1024, 'x');
    longLine.replace(0, 3, "For");
    const std::vector<std::string> lines = {
        std::string("A\0B", 3), "For", "F", "x\ry", "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0",
        longLine, Obs("A", "1", "Rb"),
    };
    std::string text = JoinLines(lines) + junk;
    const auto records = LoadText(text, "junk.DAT");

    std::size_t expected = lines.size();
    // The junk adds one record for every non-empty piece between its LFs.
    std::size_t begin = 0;
    while (begin <= junk.size()) {
        auto end = junk.find('\n', begin);
        if (end == std::string::npos)
            end = junk.size();
        std::string_view piece(junk.data() + begin, end - begin);
        if (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        if (!piece.empty())
            ++expected;
        begin = end + 1;
    }
    ASSERT_EQ(records.size(), expected);
    EXPECT_EQ(records[0].lineText(), std::string("A\0B", 3));
    EXPECT_EQ(records[3].lineText(), "x\ry");
    EXPECT_EQ(records[5].lineText().size(), longLine.size());
    EXPECT_EQ(records[5].runNumber(), "xxxx");  // cut like any M5 line
    EXPECT_FALSE(records[6].skipped());
}

class WriteMeasurementFileTest : public ::testing::Test {
protected:
    std::string Save(const RecordList& records, const RunNumberSet& deleted,
                     std::string_view name = "saved.DAT")
    {
        const std::string path = WriteTemporaryFile(name, "old content");
        std::string error;
        EXPECT_TRUE(WriteMeasurementFile(path, records, deleted, error)) << error;
        return ReadWholeFile(path);
    }
};

TEST_F(WriteMeasurementFileTest, NothingDeletedWritesEveryLineWithCrLf)
{
    const std::vector<std::string> lines = SmallBook();
    std::string lfText = "\n" + JoinLines(lines, "\n\n");
    lfText.pop_back();  // no line end after the last line
    const auto records = LoadText(lfText);
    const std::string saved = Save(records, {});
    EXPECT_EQ(saved, JoinLines(lines, "\r\n"));

    // Loading the saved file gives the same records, in the same order.
    const auto again = LoadText(saved, "again.DAT");
    EXPECT_EQ(LineTexts(again), LineTexts(records));
    EXPECT_EQ(SkipFlags(again), SkipFlags(records));
}

TEST_F(WriteMeasurementFileTest, DeletedRunLosesAllItsLinesSkippedOnesToo)
{
    const auto records = LoadText(JoinLines(SmallBook()));
    const std::vector<std::string> lines = SmallBook();
    EXPECT_EQ(Save(records, {"7"}),
              JoinLines({lines[0], lines[5], lines[6], lines[7]}));
    // Every run deleted still writes the lines without a run number.
    EXPECT_EQ(Save(records, {"7", "8"}), JoinLines({lines[0], lines[7]}));
}

// Only a deleted run loses its lines: one the list never showed, its lines all skipped, is
// written as read.
TEST_F(WriteMeasurementFileTest, RunWhoseLinesWereAllSkippedIsWritten)
{
    const std::vector<std::string> lines = {Obs("A", "1", "Rb"), Obs("B", "1", "Rf"),
                                            M5TextLine("Start-Line", "9"), M5TextLine("End-Line", "9")};
    const auto records = LoadText(JoinLines(lines));
    EXPECT_EQ(CollapsedRunNumbers(records), std::vector<std::string>{"1"});
    EXPECT_EQ(Save(records, {}), JoinLines(lines));
    EXPECT_EQ(Save(records, {"9"}), JoinLines({lines[0], lines[1]}));
}

// A save that would write no line of a book that has lines is refused before the file is
// touched; a book without a line saves as an empty file.
TEST_F(WriteMeasurementFileTest, SavingNothingOfABookIsRefused)
{
    const auto records = LoadText(JoinLines({Obs("A", "1", "Rb"), Obs("B", "1", "Rf")}));
    const std::string path = WriteTemporaryFile("nothing.DAT", "the old field book\r\n");
    Failure failure;
    EXPECT_FALSE(WriteMeasurementFile(path, records, {"1"}, failure));
    EXPECT_EQ(failure.code, kNothingToSave);
    EXPECT_EQ(failure.Text(), "every run of the book was deleted from the list, so nothing would be saved");
    EXPECT_EQ(ReadWholeFile(path), "the old field book\r\n");
    EXPECT_EQ(Save(LoadText("\r\n\n"), {"1"}), "");
}

TEST_F(WriteMeasurementFileTest, EditedReadingIsNotInTheSavedLine)
{
    auto records = LoadText(JoinLines(SmallBook()));
    records[2].SetGridFields("A", "Rb", "9.99999", "20.000");
    EXPECT_EQ(Save(records, {}), JoinLines(SmallBook()));
}

TEST_F(WriteMeasurementFileTest, FailureReportsAndLeavesNoFile)
{
    const auto records = LoadText(JoinLines(SmallBook()));
    std::string error;
    EXPECT_FALSE(WriteMeasurementFile("/nonexistent-folder/out.DAT", records, {"7"}, error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    const std::string folder = std::filesystem::path(WriteTemporaryFile("y.DAT", "")).parent_path();
    EXPECT_FALSE(WriteMeasurementFile(folder, records, {"7"}, error));
    EXPECT_EQ(error, "it is a folder");
}

TEST_F(WriteMeasurementFileTest, WriteFailureHalfWayLeavesTheOldFileUntouched)
{
    // A large book written under a file-size limit fails half-way (as on a full disk): the
    // existing file must keep its old content and no temporary file may stay behind.
    RecordList records;
    for (int i = 0; i < 20000; ++i)
        records.push_back(ParseLine(Obs("P" + std::to_string(i), "1", "Rb", i)));
    const std::string path = WriteTemporaryFile("limited.DAT", "the old field book\r\n");
    const auto folder = std::filesystem::path(path).parent_path();
    const auto countFiles = [&] {
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    };
    const auto filesBefore = countFiles();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool written = WriteMeasurementFile(path, records, {}, error);
        _exit(written ? 0 : (error.find("too large") != std::string::npos ? 3 : 4));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the write should fail with 'File too large'";
    EXPECT_EQ(ReadWholeFile(path), "the old field book\r\n");
    EXPECT_EQ(countFiles(), filesBefore);
}

TEST(ParseMeasurementTextTest, ReadsTextAsAFileIsRead)
{
    const std::string text = "\r\n" + JoinLines(SmallBook(), "\n") + "x\ry";
    RecordList fromText;
    ParseMeasurementText(text, fromText);
    const auto fromFile = LoadText(text);
    EXPECT_EQ(LineTexts(fromText), LineTexts(fromFile));
    EXPECT_EQ(SkipFlags(fromText), SkipFlags(fromFile));
    EXPECT_EQ(fromText.back().lineText(), "x\ry");
}

TEST(ReadMeasurementFileTest, AFinalCarriageReturnWithoutLineFeedStaysInTheLine)
{
    // Only CR LF is a line end; a CR at the very end of the file is a byte of the last line.
    const std::string last = Obs("B", "7", "Rf") + "\r";
    const auto records = LoadText(Obs("A", "7", "Rb") + "\r\n" + last, "final-cr.DAT");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].lineText(), Obs("A", "7", "Rb"));
    EXPECT_EQ(records[1].lineText(), last);
    RecordList inMemory;
    ParseMeasurementText(Obs("A", "7", "Rb") + "\r\n" + last, inMemory);
    ASSERT_EQ(inMemory.size(), 2u);
    EXPECT_EQ(inMemory[1].lineText(), last);
}

TEST(ReadMeasurementFileTest, GermanCodesTakePartAndFailedReadingsDoNot)
{
    std::vector<std::string> lines;
    for (const char* code : {"Lr", "Lv", "Lz", "lr", "Lx"})
        lines.push_back(M5Line({"A", "1", code, "1", "2"}));
    std::string failed = M5Line({"A", "1", "Rb", "1", "2"});
    failed[118] = 'e';
    lines.push_back(failed);
    std::string otherFlag = M5Line({"A", "1", "Rb", "1", "2"});
    otherFlag[118] = 'x';
    lines.push_back(otherFlag);
    std::string plain = PlainLine({"A", "1", "Rb", "1", "2"});
    plain.resize(119, ' ');
    plain[118] = 'e';  // the plain layout has no error flag
    lines.push_back(plain);
    const auto records = LoadText(JoinLines(lines));
    EXPECT_EQ(SkipFlags(records),
              (std::vector<bool>{false, false, false, true, true, true, false, false}));
}

TEST(ReadMeasurementFileTest, MarkersAreFoundAnywhereBehindLookalikeBytes)
{
    // Each marker is searched for by one of its bytes; bytes like it earlier in the line, and
    // texts that are almost a marker, must neither hide a marker nor make one.
    const std::string observation = PlainLine({"A", "1", "Rb", "1", "2"});
    auto withText = [&](std::string_view text) { return observation + " " + std::string(text); };
    const std::vector<std::string> lines = {
        withText("Start-Line"),  withText("x-y pT# Start-Line"), withText("End-Line"),
        withText("--End-Line"),  withText("pp Measurement repeated"), withText("Station repeated"),
        withText("## #####"),    withText("TT BOOK.DAT"),       observation + ".DAT",
        withText("Start-Lin"),   withText("End-line"),          withText("Station repeate"),
        withText("####"),        withText(".DA T"),             withText("-p#T"),
    };
    std::vector<bool> expected(9, true);
    expected.resize(lines.size(), false);
    EXPECT_EQ(SkipFlags(LoadText(JoinLines(lines))), expected);
}

TEST_F(WriteMeasurementFileTest, MixedLineEndsAndLeftOutLinesAreWrittenWhole)
{
    // Lines go out in pieces straight from the loaded text; every piece must end at a line
    // end, whatever ends the lines around it and whichever lines are left out.
    const std::vector<std::string> lines = SmallBook();
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i % 3 == 0 ? "\n" : i % 3 == 1 ? "\r\n" : "\r\n\r\n");
    text += lines[1];  // a last line without a line end
    const auto records = LoadText(text);
    std::vector<std::string> kept;
    for (const MeasurementRecord& record : records) {
        if (record.runNumber().empty() || record.runNumber() == "8")
            kept.emplace_back(record.lineText());
    }
    EXPECT_EQ(Save(records, {"7"}), JoinLines(kept));
    std::vector<std::string> all = lines;
    all.push_back(lines[1]);
    EXPECT_EQ(Save(records, {}), JoinLines(all));
}

TEST_F(WriteMeasurementFileTest, BookOverOneMebibyteKeepsItsLineOrder)
{
    // Before a kept stretch of more than 1 MiB stand a deleted run, a line ended by LF alone
    // (written on its own, so buffered) and an edited reading: the saved book has every kept
    // line once, in the order read.
    std::vector<std::string> lines = {M5TextLine("big.DAT", ""), Obs("A", "7", "Rb"), Obs("B", "7", "Rf"),
                                      Obs("C", "8", "Rb"), Obs("D", "8", "Rf")};
    for (int i = 0; lines.size() < 12000; ++i)
        lines.push_back(Obs("P" + std::to_string(i), "8", i % 2 ? "Rf" : "Rb", i % 9999 + 1));
    std::string text = JoinLines({lines[0], lines[1], lines[2]});
    text += lines[3] + "\n";
    text += JoinLines(std::vector<std::string>(lines.begin() + 4, lines.end()));
    ASSERT_GT(text.size(), std::size_t{1} << 20);
    auto records = LoadText(text, "big.DAT");
    records[4].SetGridFields("D", "Rf", "9.99999", "20.000");

    std::vector<std::string> kept = {lines[0]};
    kept.insert(kept.end(), lines.begin() + 3, lines.end());
    const std::string expected = JoinLines(kept);
    const std::string saved = Save(records, {"7"}, "big-saved.DAT");
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected) << "the lines are out of order from byte "
                                   << std::mismatch(saved.begin(), saved.end(), expected.begin()).first - saved.begin();
}

TEST(RecordListTest, ACopyKeepsItsLinesAndEditsWhenTheOriginalIsGone)
{
    auto original = std::make_unique<RecordList>();
    ParseMeasurementText(JoinLines({Obs("A", "7", "Rb"), Obs("B", "7", "Rf")}), *original);
    (*original)[0].SetGridFields("X", "Rb", "9", "1");
    RecordList copy = *original;
    (*original)[1].SetGridFields("Y", "Rf", "8", "2");
    original.reset();

    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[0].lineText(), Obs("A", "7", "Rb"));
    EXPECT_EQ(copy[0].pointNumber(), "X");
    EXPECT_EQ(copy[1].lineText(), Obs("B", "7", "Rf"));
    EXPECT_EQ(copy[1].pointNumber(), "B");
    EXPECT_EQ(copy[1].runNumber(), "7");
    // A record costs 8 bytes beside its line: ten million one-byte lines stay near 100 MB.
    EXPECT_EQ(sizeof(MeasurementRecord), 8u);
}

// A record of a list knows its line only through its block; copied or moved out of the list,
// in whatever block it stood, it must keep its line, flags and run number.
TEST(RecordListTest, RecordsTakenOutOfTheListKeepEverything)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 70000; ++i)  // more than one block of records
        lines.push_back(i % 3 == 0 ? "notes " + std::to_string(i) : Obs("P" + std::to_string(i), "12", "Rb"));
    lines.push_back(velmora::testing::PlainLine({"A", "9", "Rf", "1.2345", "20.000"}));
    RecordList records;
    ParseMeasurementText(JoinLines(lines), records);
    ASSERT_EQ(records.size(), lines.size());
    for (const std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{40000}, std::size_t{69999},
                                lines.size() - 1}) {
        SCOPED_TRACE(i);
        const MeasurementRecord copy = records[i];
        MeasurementRecord assigned;
        assigned = records[i];
        for (const MeasurementRecord* record : {&copy, static_cast<const MeasurementRecord*>(&assigned)}) {
            EXPECT_EQ(record->lineText(), lines[i]);
            EXPECT_EQ(record->skipped(), records[i].skipped());
            EXPECT_EQ(&record->layout(), &records[i].layout());
            EXPECT_EQ(record->runNumber(), records[i].runNumber());
            EXPECT_EQ(record->reading(), records[i].reading());
        }
        const bool skipped = records[i].skipped();
        const MeasurementRecord moved = std::move(records[i]);
        EXPECT_EQ(moved.lineText(), lines[i]);
        EXPECT_EQ(moved.skipped(), skipped);
    }
    EXPECT_EQ(&records[1].layout(), &velmora::DiniM5Layout());
    EXPECT_EQ(records[40001].runNumber(), "12");
    EXPECT_TRUE(records[69999].skipped());
    EXPECT_EQ(&records.back().layout(), &velmora::DiniPlainLayout());
    EXPECT_EQ(records.back().runNumber(), "9");
    EXPECT_EQ(records.back().distance(), "20.000");
}

// A long book's blocks share their memory, several to a huge page: every record keeps its own
// line in a copy of the list that outlives it and in the list it was moved to.
TEST(RecordListTest, EveryBlockOfALongBookKeepsItsLines)
{
    constexpr std::size_t kLines = 620000;  // nineteen blocks, past the huge page after the first eight
    std::string text;
    for (std::size_t i = 0; i < kLines; ++i)
        text += std::to_string(i) + "\n";
    auto original = std::make_unique<RecordList>();
    ParseMeasurementText(text, *original);
    const RecordList copy = *original;
    const RecordList moved = std::move(*original);
    original.reset();
    for (const RecordList* list : {&copy, &moved}) {
        ASSERT_EQ(list->size(), kLines);
        std::size_t wrong = 0;
        while (wrong < kLines && (*list)[wrong].lineText() == std::to_string(wrong))
            ++wrong;
        EXPECT_EQ(wrong, kLines) << "the first record whose line is wrong";
    }
}

TEST(RecordListTest, ARecordMovedOutOfItsListOutlivesTheList)
{
    auto list = std::make_unique<RecordList>();
    ParseMeasurementText(JoinLines({Obs("A", "7", "Rb")}), *list);
    MeasurementRecord moved = std::move((*list)[0]);
    MeasurementRecord assigned;
    assigned = std::move((*list)[0]);
    list.reset();
    for (const MeasurementRecord* record : {&moved, &assigned}) {
        EXPECT_EQ(record->lineText(), Obs("A", "7", "Rb"));
        EXPECT_EQ(record->runNumber(), "7");
        EXPECT_EQ(record->pointNumber(), "A");
        EXPECT_EQ(&record->layout(), &velmora::DiniM5Layout());
    }
}

TEST(PlaceInTest, FindsOnlyAddressesInsideTheTextOrAtItsEnd)
{
    const std::string text = "abcdef";
    const std::string other = "xyz";
    EXPECT_EQ(velmora::PlaceIn(text, text.data()), 0u);
    EXPECT_EQ(velmora::PlaceIn(text, text.data() + 4), 4u);
    EXPECT_EQ(velmora::PlaceIn(text, text.data() + text.size()), text.size());
    EXPECT_EQ(velmora::PlaceIn(std::string_view(text).substr(0, 3), text.data() + 4), std::nullopt);
    EXPECT_EQ(velmora::PlaceIn(std::string_view(text).substr(2), text.data() + 1), std::nullopt);
    EXPECT_EQ(velmora::PlaceIn(text, other.data()), std::nullopt);
    EXPECT_EQ(velmora::PlaceIn(text, nullptr), std::nullopt);
    EXPECT_EQ(velmora::PlaceIn({}, text.data()), std::nullopt);
}
