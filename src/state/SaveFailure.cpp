// SPDX-License-Identifier: MIT
#include "state/SaveFailure.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"

#include <cerrno>
#include <cstring>

namespace velmora {

namespace {

struct KnownCause {
    int errorNumber;
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
};

struct OwnCause {
    const char* text;    // as the file code words it
    const char* reason;  // UTF-8
};

constexpr OwnCause kOwnCauses[] = {
    {kReadOnlyFileError, "файл только для чтения"},
    {kFolderError, "это папка"},
};

}  // namespace

std::string SaveFailureReason(std::string_view systemText)
{
    // The core words an error by the C library's text of its number, in the process's locale,
    // so the number is recognised by that text.
    for (const OwnCause& cause : kOwnCauses) {
        if (systemText == cause.text)
            return Utf8ToCp1251(cause.reason);
    }
    for (const KnownCause& cause : kKnownCauses) {
        const std::string known = std::strerror(cause.errorNumber);
        if (systemText.substr(0, known.size()) == known)
            return Utf8ToCp1251(cause.reason);
    }
    return {};
}

}  // namespace velmora
