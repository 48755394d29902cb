// SPDX-License-Identifier: MIT
#include "fieldbook/Failure.h"

#include "fieldbook/Translation.h"

#include <cerrno>
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
    case kOutOfMemory:
    case ENOMEM:  // the system's lack of memory is worded as the program's own
        return Tr("out of memory");
    case kWorkbookNotMade:
        return Tr("cannot create the workbook");
    case kSheetNameRefused:
        return Tr("the sheet name {1} is not accepted");
    case kWorkbookLibrary:
        // TRANSLATORS: {1} is the spreadsheet library's own message, in English.
        return Tr("the spreadsheet library failed: {1}");
    case kWorkbookNotReadBack:
        return Tr("cannot read the written workbook back");
    case kWorkbookIncomplete:
        return Tr("the workbook was written incompletely");
    case kCellOutsideXlsSheet:
        // TRANSLATORS: {1} is "row …, column …".
        return Tr("the cell at {1} lies outside an .xls sheet (65536 rows, 256 columns)");
    case kXlsTextsTooLong:
        return Tr("the texts are too long for an .xls file");
    case kXlsTooLarge:
        return Tr("the workbook is too large for an .xls file");
    case kNothingToSave:
        return Tr("every run of the book was deleted from the list, so nothing would be saved");
    default:
        // The C library's words, in the user's language too (see UseUserLanguage).
        return std::strerror(code);
    }
}

std::string Failure::Text() const
{
    const std::string words = FailureText(code);
    if (words.find("{1}") != std::string::npos)
        return Fill(words, {detail});
    return words + detail;
}

}  // namespace velmora
