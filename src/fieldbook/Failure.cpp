// SPDX-License-Identifier: MIT
#include "fieldbook/Failure.h"

#include "fieldbook/Translation.h"

#include <cstring>

namespace velmora {

std::string FailureText(int code)
{
    switch (code) {
    case 0:
        return {};
    case kNoFileName:
        return Tr("no file name");
    case kReadOnlyFile:
        return Tr("the file is read-only");
    case kIsFolder:
        return Tr("it is a folder");
    case kNotRegularFile:
        return Tr("it is not a regular file");
    case kNotWritableKind:
        return Tr("it is neither a regular file nor a pipe or character device");
    case kNotOpen:
        return Tr("the file is not open");
    case kEditNotWritable:
        return Tr("an edited value does not fit its place in the line");
    default:
        // The C library's words, in the user's language too (see UseUserLanguage).
        return std::strerror(code);
    }
}

}  // namespace velmora
