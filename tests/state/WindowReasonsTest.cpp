// SPDX-License-Identifier: MIT
// The window's Russian words for what the core reports as causes: why a run cannot be read,
// how its sums compare with the instrument's, and why an export wrote no workbook, each from a
// real book or a real failed write.

#include "state/WindowReasons.h"

#include "FieldBookLines.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Failure.h"
#include "fieldbook/Translation.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/Translation.h"
#include "runs/RunCatalog.h"
#include "state/MainWindowState.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace velmora;
using velmora::testing::BookOf;
using velmora::testing::JoinLines;
using velmora::testing::M5Lines;
using velmora::testing::WithStartLine;
using velmora::testing::Observation;
using velmora::testing::ReadWholeFile;
using velmora::testing::WriteTemporaryFile;

namespace {

constexpr double kClassII = 0.005;

// The window's language while one lives, as its main chooses it; English again after.
struct WindowLanguage {
    WindowLanguage() { UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER); }
    ~WindowLanguage() { UseLanguage("C", VELMORA_BUILT_LOCALE_FOLDER); }
    WindowLanguage(const WindowLanguage&) = delete;
    WindowLanguage& operator=(const WindowLanguage&) = delete;
};

std::string Utf8(const std::string& cp1251)
{
    return Cp1251ToUtf8(cp1251);
}

LevellingRun RunSeven(const std::vector<std::string>& lines)
{
    return RunCatalog(BookOf(lines)).Find("7");
}

// Rb 2.47 and Rf 1.47 at 10 m each: our Σh 1, our length 20 m.
std::vector<std::string> RunWithInstrument(const char* sh, const char* db)
{
    return M5Lines({{"A", "7", "Rb", "2.47", "10"},
                  {"B", "7", "Rf", "1.47", "10"},
                  {"B", "7", "Sh", sh, ""},
                  {"B", "7", "Db", db, "10"}});
}

}  // namespace

// Each way a run cannot be read has its own words, with the station, its sights and its point
// from the book; the English reason the command-line tool shows stays as it was.
TEST(WindowReasonsTest, UnreadableRunsSayWhyInRussian)
{
    const WindowLanguage russian;
    const std::vector<Observation> threeForesights = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"},
        {"B", "7", "Rf", "1.0", "10"}, {"A", "7", "Rb", "1.5", "10"}};
    const std::vector<Observation> twoForePoints = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"C", "7", "Rf", "1.0", "10"},
        {"A", "7", "Rb", "1.5", "10"}};
    const std::vector<Observation> halfAStation = {
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"},
        {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rb", "1.5", "10"}, {"A", "7", "Rf", "2.0", "10"}};
    struct Case {
        std::vector<std::string> lines;
        const char* russian;
        const char* english;
    };
    const Case cases[] = {
        {WithStartLine("BFFB", M5Lines(threeForesights)),
         "станция 1 (BFFF от точки A) не подходит ни к одному способу нивелирования",
         "station 1 (BFFF from point A) fits no levelling method"},
        {WithStartLine("ZVVZ", M5Lines(twoForePoints)), "станция 1 (BFFB от точки A) содержит отсчёты на разные точки",
         "station 1 (BFFB from point A) has readings on different points"},
        {WithStartLine("aBFFB", M5Lines(halfAStation)), "станция 2 (BF от точки B) не закончена",
         "station 2 (BF from point B) is incomplete"},
        {M5Lines(halfAStation), "двойные отсчёты не подходят ни к одному способу нивелирования",
         "readings taken twice fit no levelling method"},
        {M5Lines({{"A", "7", "Rb", "1.5", "10"}, {"A", "7", "Rf", "x", "10"}}),
         "отсчёт или расстояние — не число", "a reading or distance is not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        const LevellingRun run = RunSeven(c.lines);
        EXPECT_EQ(run.UnreadableReason(kClassII), c.english);
        EXPECT_EQ(Utf8(UnreadableCauseReason(run.UnreadableCauseOf(kClassII))), c.russian);
        EXPECT_EQ(Utf8(RunTipText(run, kClassII)), std::string("Ход не читается: ") + c.russian);
    }
    EXPECT_EQ(UnreadableCauseReason({}), "");
}

TEST(WindowReasonsTest, TipComparesOurSumsWithTheInstrumentsByTheAgreementRule)
{
    // Within 0.00015 m and 0.015 m, edges included; the window's decimal comma.
    const WindowLanguage russian;
    EXPECT_EQ(Utf8(RunTipText(RunSeven(RunWithInstrument("0.99985", "10.015")), kClassII)),
              "Прибор (Sh, Db+Df): превышение 0,99985 м, длина 20,015 м\n"
              "Программа: превышение 1,00000 м, длина 20,000 м\n"
              "Совпадает с прибором.");
    EXPECT_EQ(Utf8(RunTipText(RunSeven(RunWithInstrument("0.99984", "10.000")), kClassII)),
              "Прибор (Sh, Db+Df): превышение 0,99984 м, длина 20,000 м\n"
              "Программа: превышение 1,00000 м, длина 20,000 м\n"
              "Не совпадает с прибором: превышение.");
    EXPECT_EQ(Utf8(RunTipText(RunSeven(RunWithInstrument("1.00016", "10.016")), kClassII)),
              "Прибор (Sh, Db+Df): превышение 1,00016 м, длина 20,016 м\n"
              "Программа: превышение 1,00000 м, длина 20,000 м\n"
              "Не совпадает с прибором: превышение, длина.");
    // Only a Db line: only the length is compared.
    const LevellingRun lengthOnly =
        RunSeven(M5Lines({{"A", "7", "Rb", "2.47", "10"}, {"B", "7", "Rf", "1.47", "10"}, {"B", "7", "Db", "10.02", "10"}}));
    EXPECT_EQ(Utf8(RunTipText(lengthOnly, kClassII)),
              "Прибор (Sh, Db+Df): длина 20,020 м\nПрограмма: длина 20,000 м\nНе совпадает с прибором: длина.");
    // Without the instrument's figures there is nothing to say.
    EXPECT_EQ(RunTipText(RunSeven(M5Lines({{"A", "7", "Rb", "2.47", "10"}, {"B", "7", "Rf", "1.47", "10"}})), kClassII),
              "");
}

TEST(WindowReasonsTest, EntryTipFollowsTheRecordsAsEdited)
{
    const WindowLanguage russian;
    // A loop on A: a reading that is no number makes it unreadable (an open run shows no sum).
    const std::string path = WriteTemporaryFile(
        "window-reasons-tip.DAT", JoinLines(M5Lines({{"A", "7", "Rb", "2.47", "10"}, {"A", "7", "Rf", "1.47", "10"},
                                                  {"A", "7", "Sh", "1.00000", ""}, {"A", "7", "Db", "10.000", "10"}})));
    MainWindowState state;
    ASSERT_TRUE(state.OpenChosenFile(path));
    ASSERT_EQ(state.runList().size(), 1u);
    EXPECT_NE(Utf8(RunEntryTip(state, 0)).find("Совпадает"), std::string::npos) << Utf8(RunEntryTip(state, 0));
    state.SelectAllRuns(true);
    state.OnSetEditText(2, 2, "1.37");  // the foresight: Σh 1.1 now
    EXPECT_NE(Utf8(RunEntryTip(state, 0)).find("Программа: превышение 1,10000 м"), std::string::npos)
        << Utf8(RunEntryTip(state, 0));
    state.OnSetEditText(2, 2, "abc");
    EXPECT_EQ(Utf8(RunEntryTip(state, 0)), "Ход не читается: отсчёт или расстояние — не число");
    EXPECT_EQ(RunEntryTip(state, 1), "");  // no such entry
}

// Every way an export fails names its cause under the general sentence, from a real export.
class ExportFailureReasonTest : public ::testing::Test {
protected:
    void Open(const std::vector<std::string>& lines)
    {
        book = WriteTemporaryFile("export-failure-reason.DAT", JoinLines(lines));
        ASSERT_TRUE(state.OpenChosenFile(book));
        state.SelectAllRuns(true);
        folder = book.substr(0, book.find_last_of('/') + 1);
    }

    std::string ExportTo(const std::string& path)
    {
        const ExportOutcome outcome = state.RunExport(state.PrepareExport("A", "100").request, path);
        EXPECT_FALSE(outcome.saved);
        return Utf8(ExportFailureMessage(outcome.failure));
    }

    MainWindowState state;
    std::string book;
    std::string folder;
};

TEST_F(ExportFailureReasonTest, EachCauseIsNamed)
{
    const WindowLanguage russian;
    Open(M5Lines({{"A", "1", "Rb", "1.5", "10"}, {"B", "1", "Rf", "1.0", "10"},
                {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rf", "1.0", "10"}, {"B", "7", "Rf", "1.0", "10"},
                {"A", "7", "Rb", "1.5", "10"}, {"B", "7", "Rb", "1.5", "10"}, {"A", "7", "Rf", "2.0", "10"}}));
    const std::string general = "Возможно, возникла проблема с Excel.\nПричина: ";
    EXPECT_EQ(ExportTo(folder + "export-failure-reason.xls"),
              general + "ход 7 не читается: двойные отсчёты не подходят ни к одному способу нивелирования");

    state.SetSelection({true, false});
    EXPECT_EQ(ExportTo(book), general + "это открытый полевой журнал");  // whatever its name
    const std::string link = folder + "export-failure-reason-link.xls";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(book, link);
    EXPECT_EQ(ExportTo(link), general + "это открытый полевой журнал");
    const std::string otherBook = WriteTemporaryFile("export-failure-other.xls", ReadWholeFile(book));
    EXPECT_EQ(ExportTo(otherBook), general + "в файле полевой журнал");
    EXPECT_EQ(ReadWholeFile(otherBook), ReadWholeFile(book));
    const std::string notes = WriteTemporaryFile("export-failure-notes.xlsx", "notes\n");
    EXPECT_EQ(ExportTo(notes), general + "файл уже существует и не является книгой Excel");
    EXPECT_EQ(ReadWholeFile(notes), "notes\n");
    EXPECT_EQ(ExportTo("/no/such/folder/x.xls"), general + "такой папки нет");

    // A device that is always full, under a workbook's name: the write fails for want of space.
    const std::string full = folder + "export-failure-full.xls";
    std::filesystem::remove(full);
    std::filesystem::create_symlink("/dev/full", full);
    EXPECT_EQ(ExportTo(full), general + "на диске нет места");

    const ExportPreparation preparation = state.PrepareExport("A", "1O0");
    EXPECT_FALSE(preparation.ready);
    EXPECT_EQ(Utf8(ExportFailureMessage(preparation.failure)), general + "начальная высота — не число");
}

TEST(ExportFailureReasonWordsTest, FileCausesAreWordedAsTheSaveWordsThem)
{
    const WindowLanguage russian;
    ExportFailure failure;
    failure.kind = ExportFailure::Kind::NotSaved;
    failure.file.code = EACCES;  // a read-only folder; root, who runs the tests, is never refused
    EXPECT_EQ(Utf8(ExportFailureReason(failure)), "нет прав на запись (файл или папка только для чтения)");
    failure.file.code = EROFS;
    EXPECT_EQ(Utf8(ExportFailureReason(failure)), "диск только для чтения");
    failure.file.code = 0;  // no known cause
    EXPECT_EQ(Utf8(ExportFailureReason(failure)), "файл не удалось записать");
    // The workbook's own failures, in the catalogue's words (the window always speaks Russian).
    failure.file = {kXlsTooLarge, "", ""};
    EXPECT_EQ(Utf8(ExportFailureReason(failure)), "книга слишком велика для файла .xls");
    failure.file = {kCellOutsideXlsSheet, "", Fill(Tr("row {1}, column {2}"), {"70000", "3"})};
    EXPECT_EQ(Utf8(ExportFailureReason(failure)),
              "ячейка (строка 70000, столбец 3) лежит за пределами листа .xls (65536 строк, 256 столбцов)");
    failure.kind = ExportFailure::Kind::BeyondSheet;
    failure.row = 65537;
    failure.lastRow = 65536;
    EXPECT_EQ(Utf8(ExportFailureReason(failure)), "результаты доходят до строки 65537, а на листе всего 65536 строк");
    // No failure: the general sentence alone.
    EXPECT_EQ(Utf8(ExportFailureMessage({})), "Возможно, возникла проблема с Excel.");
}
