// SPDX-License-Identifier: MIT
#include "state/SaveFailure.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "state/MainWindowState.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using velmora::Cp1251ToUtf8;
using velmora::SaveFailureReason;

namespace {

std::string ReasonFor(int errorNumber, const std::string& details = "")
{
    return Cp1251ToUtf8(SaveFailureReason(std::strerror(errorNumber) + details));
}

}  // namespace

TEST(SaveFailureReasonTest, UsualCausesInRussian)
{
    EXPECT_EQ(ReasonFor(ENOENT), "такой папки нет");
    EXPECT_EQ(ReasonFor(ENOENT, " (in folder /no/such/)"), "такой папки нет");
    EXPECT_EQ(ReasonFor(ENOTDIR), "такой папки нет");
    EXPECT_EQ(ReasonFor(EACCES), "нет прав на запись (файл или папка только для чтения)");
    EXPECT_EQ(ReasonFor(EPERM), ReasonFor(EACCES));
    EXPECT_EQ(ReasonFor(EROFS), "диск только для чтения");
    EXPECT_EQ(ReasonFor(ENOSPC), "на диске нет места");
    EXPECT_EQ(ReasonFor(EDQUOT), "на диске нет места (исчерпана квота)");
    EXPECT_EQ(ReasonFor(EFBIG), "файл слишком велик для этого диска");
    EXPECT_EQ(ReasonFor(ENAMETOOLONG), "слишком длинное имя файла");
    EXPECT_EQ(ReasonFor(ELOOP), "слишком много уровней символических ссылок");
    // The file code's own words for a file it refuses.
    EXPECT_EQ(Cp1251ToUtf8(SaveFailureReason(velmora::kReadOnlyFileError)), "файл только для чтения");
    EXPECT_EQ(Cp1251ToUtf8(SaveFailureReason(velmora::kFolderError)), "это папка");
}

TEST(SaveFailureReasonTest, OtherCausesKeepTheSystemText)
{
    EXPECT_EQ(SaveFailureReason(std::strerror(EIO)), "");
    EXPECT_EQ(SaveFailureReason("it is neither a regular file nor a pipe or character device"), "");
    EXPECT_EQ(SaveFailureReason(""), "");
}

TEST(SaveFailureReasonTest, ReasonOfARealFailedSave)
{
    velmora::MainWindowState state;
    std::string error;
    ASSERT_FALSE(state.SaveMeasurementFile("/no/such/folder/x.DAT", error));
    EXPECT_EQ(Cp1251ToUtf8(SaveFailureReason(error)), "такой папки нет") << error;
    ASSERT_FALSE(state.SaveMeasurementFile("/tmp/" + std::string(300, 'x') + ".DAT", error));
    EXPECT_EQ(Cp1251ToUtf8(SaveFailureReason(error)), "слишком длинное имя файла") << error;
}
