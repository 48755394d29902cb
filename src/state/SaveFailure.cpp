// SPDX-License-Identifier: MIT
#include "state/SaveFailure.h"

#include "fieldbook/Failure.h"
#include "fieldbook/Cp1251.h"

#include <cerrno>

namespace velmora {

namespace {

struct KnownCause {
    int code;            // an errno value or an OwnFailure
    const char* reason;  // UTF-8
};

// Read-only files and folders give EACCES; EROFS is a disk mounted read-only.
constexpr KnownCause kKnownCauses[] = {
    {ENOENT, "такой папки нет"},
    {ENOTDIR, "такой папки нет"},
    {EACCES, "нет прав на запись (файл или папка только для чтения)"},
    {EPERM, "нет прав на запись (файл или папка только для чтения)"},
    {EROFS, "диск только для чтения"},
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "на диске нет места (исчерпана квота)"},
    {EFBIG, "файл слишком велик для этого диска"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {ELOOP, "слишком много уровней символических ссылок"},
    {kReadOnlyFile, "файл только для чтения"},
    {kIsFolder, "это папка"},
    {kEditNotWritable, "исправленное значение не помещается в своё слово строки"},
};

}  // namespace

std::string SaveFailureReason(int code)
{
    for (const KnownCause& cause : kKnownCauses) {
        if (cause.code == code)
            return Utf8ToCp1251(cause.reason);
    }
    return {};
}

}  // namespace velmora
