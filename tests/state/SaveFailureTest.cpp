// SPDX-License-Identifier: MIT
#include "state/SaveFailure.h"

#include "FieldBookLines.h"
#include "fieldbook/Failure.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "state/MainWindowState.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using velmora::Cp1251ToUtf8;
using velmora::SaveFailureReason;

namespace {

// The reason in the window's language, as its main chooses it; English again after.
std::string ReasonFor(int code)
{
    velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);
    std::string reason = Cp1251ToUtf8(SaveFailureReason(code));
    velmora::UseLanguage("C", VELMORA_BUILT_LOCALE_FOLDER);
    return reason;
}

}  // namespace

TEST(SaveFailureReasonTest, UsualCausesInRussian)
{
    EXPECT_EQ(ReasonFor(ENOENT), "такой папки нет");
    EXPECT_EQ(ReasonFor(ENOTDIR), "такой папки нет");
    EXPECT_EQ(ReasonFor(EACCES), "нет прав на запись (файл или папка только для чтения)");
    EXPECT_EQ(ReasonFor(EPERM), ReasonFor(EACCES));
    EXPECT_EQ(ReasonFor(EROFS), "диск только для чтения");
    EXPECT_EQ(ReasonFor(ENOSPC), "на диске нет места");
    EXPECT_EQ(ReasonFor(EDQUOT), "на диске нет места (исчерпана квота)");
    EXPECT_EQ(ReasonFor(EFBIG), "файл слишком велик для этого диска");
    EXPECT_EQ(ReasonFor(ENAMETOOLONG), "слишком длинное имя файла");
    EXPECT_EQ(ReasonFor(ELOOP), "слишком много уровней символических ссылок");
    // The file code's own causes.
    EXPECT_EQ(ReasonFor(velmora::kReadOnlyFile), "файл только для чтения");
    EXPECT_EQ(ReasonFor(velmora::kIsFolder), "это папка");
    EXPECT_EQ(ReasonFor(velmora::kEditNotWritable), "исправленное значение не помещается в своё слово строки");
    EXPECT_EQ(ReasonFor(velmora::kNothingToSave), "все ходы книги удалены из списка: сохранять нечего");
}

TEST(SaveFailureReasonTest, OtherCausesKeepTheSystemText)
{
    EXPECT_EQ(SaveFailureReason(EIO), "");
    EXPECT_EQ(SaveFailureReason(velmora::kNotWritableKind), "");
    EXPECT_EQ(SaveFailureReason(0), "");
}

// The cause travels as a code with the file's name, whatever language the C library speaks:
// under a Russian locale strerror words ENOENT in Russian, and the code still finds the reason.
TEST(SaveFailureReasonTest, ReasonOfARealFailedSaveComesFromItsCode)
{
    velmora::MainWindowState state;
    velmora::Failure failure;
    ASSERT_FALSE(state.SaveMeasurementFile("/no/such/folder/x.DAT", failure));
    EXPECT_EQ(failure.code, ENOENT);
    EXPECT_EQ(failure.path, "/no/such/folder/x.DAT");
    EXPECT_EQ(ReasonFor(failure.code), "такой папки нет") << failure.Text();
    EXPECT_EQ(failure.Text(), std::string(std::strerror(ENOENT)) + " (in folder /no/such/folder)");
    const std::string longName = "/tmp/" + std::string(300, 'x') + ".DAT";
    ASSERT_FALSE(state.SaveMeasurementFile(longName, failure));
    EXPECT_EQ(ReasonFor(failure.code), "слишком длинное имя файла") << failure.Text();
    const std::string folder = velmora::testing::WriteTemporaryFile("save-failure.DAT", "");
    ASSERT_FALSE(state.SaveMeasurementFile(folder.substr(0, folder.find_last_of('/')), failure));
    EXPECT_EQ(failure.code, velmora::kIsFolder);
    EXPECT_EQ(failure.Text(), "it is a folder");
    std::string error;
    ASSERT_FALSE(state.SaveMeasurementFile("/no/such/folder/x.DAT", error));
    EXPECT_EQ(error, std::string(std::strerror(ENOENT)) + " (in folder /no/such/folder)");
}

// Short of memory, a save or an export says so in one way, whether the system or the program
// ran out.
TEST(FailureTextTest, TheSystemsLackOfMemoryIsWordedAsTheProgramsOwn)
{
    EXPECT_EQ(velmora::FailureText(ENOMEM), "out of memory");
    EXPECT_EQ(velmora::FailureText(velmora::kOutOfMemory), "out of memory");
}
