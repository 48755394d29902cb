// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velmora {

/// Causes of a failed read or write that no error number names. Negative, so they never meet
/// an errno value.
enum OwnFailure : int {
    kNoFileName = -1,
    kReadOnlyFile = -2,     ///< a file the user may not write (refused before it is touched)
    kIsFolder = -3,
    kNotRegularFile = -4,   ///< a field book that is a pipe, a device or a socket
    kNotWritableKind = -5,  ///< an output that is a block device or a socket
    kNotOpen = -6,          ///< written or committed without a successful Open
    kEditNotWritable = -7,  ///< an edited value that its line's layout cannot write (detail: the point)
    // A workbook that fails before or after its file is written.
    kOutOfMemory = -8,
    kWorkbookNotMade = -9,       ///< the spreadsheet library could not start the workbook
    kSheetNameRefused = -10,     ///< detail: the sheet's name
    kWorkbookLibrary = -11,      ///< detail: the spreadsheet library's own words
    kWorkbookNotReadBack = -12,  ///< the written workbook could not be read back
    kWorkbookIncomplete = -13,   ///< the written workbook lacks parts
    kCellOutsideXlsSheet = -14,  ///< detail: the cell's row and column
    kXlsTextsTooLong = -15,
    kXlsTooLarge = -16,
    kNothingToSave = -17,  ///< a save that would write no line of a book that has lines
};

/// The words for a failure code, made in this one place: the C library's text of an errno
/// value ("No such file or directory"), our own for an `OwnFailure` ("the file is read-only").
std::string FailureText(int code);

/// A failed read or write: its cause (`code`, an errno value or an `OwnFailure`; 0 for none),
/// the file concerned, and details beyond the cause (" (in folder /x)", or what a cause's
/// words name in their {1}: a sheet's name).
struct Failure {
    int code = 0;
    std::string path;
    std::string detail;

    /// The cause and its details in words, as messages of the command-line tool show them.
    std::string Text() const;
};

}  // namespace velmora
