// SPDX-License-Identifier: MIT
#include "state/SaveFailure.h"

#include "fieldbook/Failure.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

#include <cerrno>

namespace velmora {

namespace {

struct KnownCause {
    int code;            // an errno value or an OwnFailure
    const char* reason;  // the catalogue's English
};

// Read-only files and folders give EACCES; EROFS is a disk mounted read-only.
constexpr KnownCause kKnownCauses[] = {
    // TRANSLATORS: why the main window could not save a file, after "Could not save the file {1}:".
    {ENOENT, N_("no such folder")},
    {ENOTDIR, N_("no such folder")},
    {EACCES, N_("no permission to write (the file or folder is read-only)")},
    {EPERM, N_("no permission to write (the file or folder is read-only)")},
    {EROFS, N_("the disk is read-only")},
    {ENOSPC, N_("no space left on the disk")},
    {EDQUOT, N_("no space left on the disk (quota exceeded)")},
    {EFBIG, N_("the file is too large for this disk")},
    {ENAMETOOLONG, N_("the file name is too long")},
    {ELOOP, N_("too many levels of symbolic links")},
    {kReadOnlyFile, N_("read-only file")},
    {kIsFolder, N_("this is a folder")},
    {kEditNotWritable, N_("the corrected value does not fit in its word of the line")},
    {kNothingToSave, N_("every run of the book was deleted from the list: there is nothing to save")},
};

}  // namespace

std::string SaveFailureReason(int code)
{
    for (const KnownCause& cause : kKnownCauses) {
        if (cause.code == code)
            return Utf8ToCp1251(Tr(cause.reason));
    }
    return {};
}

}  // namespace velmora
