// SPDX-License-Identifier: MIT
#include "fieldbook/Failure.h"

#include <cstring>

namespace velmora {

std::string FailureText(int code)
{
    switch (code) {
    case 0:
        return {};
    case kNoFileName:
        return "no file name";
    case kReadOnlyFile:
        return "the file is read-only";
    case kIsFolder:
        return "it is a folder";
    case kNotRegularFile:
        return "it is not a regular file";
    case kNotWritableKind:
        return "it is neither a regular file nor a pipe or character device";
    case kNotOpen:
        return "the file is not open";
    case kEditNotWritable:
        return "an edited value does not fit its place in the line";
    default:
        return std::strerror(code);
    }
}

}  // namespace velmora
