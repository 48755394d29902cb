// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// The formats the program writes.
enum class OutputFormat { Xls, Xlsx, Csv, Html, FieldBook };

/// What a command or the window is about to write.
enum class OutputKind {
    Workbook,   ///< named .xls or .xlsx (any case); `-`, standard output, gets .xls
    WorkbookOrCatalogue,  ///< as Workbook, or named .csv (any case) for a table of heights
    Report,     ///< an HTML page, whatever its name
    FieldBook,  ///< the lines of a field book, whatever its name
};

/// Why a path may not take an output.
enum class OutputRefusal {
    None,
    IsFieldBook,       ///< the output is one of the field books read (the same file)
    IsInput,           ///< the output is another file the command reads (a list of heights)
    NoWorkbookEnding,  ///< a workbook whose name ends in neither .xls nor .xlsx
    NoCatalogueEnding,  ///< a workbook or table whose name ends in none of .xls, .xlsx, .csv
    HoldsFieldBook,     ///< a workbook over an existing file that holds a field book
    NotAWorkbook,       ///< a workbook over an existing file that holds something else
};

struct OutputChoice {
    OutputFormat format = OutputFormat::Xls;
    OutputRefusal refusal = OutputRefusal::None;

    bool allowed() const { return refusal == OutputRefusal::None; }
};

/// Whether `output` may take an output of `kind` and in which format. A workbook or a report
/// that is one of `fieldBooks` (the same device and inode, however the names reach it: symbolic
/// or hard links) is refused: it would destroy the measurements it came from. A field book may
/// replace the book it was read from; it holds the same lines. `-` among the field books is
/// standard input (the file it reads from, if any); `-` as the output is standard output.
/// The same holds for `otherInputs`, the files read beside the field books (a list of fixed
/// heights): an output of any kind that is one of them is refused as IsInput.
///
/// A workbook (Workbook, or WorkbookOrCatalogue in a workbook format) replaces an existing
/// regular file only when that file is empty or already a workbook (either format): a file
/// that holds a field book is refused as HoldsFieldBook, anything else as NotAWorkbook. A name
/// of no workbook's ending that holds a field book (not one of `fieldBooks`) is refused as
/// HoldsFieldBook rather than for its ending; one of `fieldBooks` is refused as IsFieldBook
/// whatever its name. A file that cannot be read is left to the write.
OutputChoice ChooseOutput(std::string_view output, OutputKind kind,
                          const std::vector<std::string>& fieldBooks,
                          const std::vector<std::string>& otherInputs = {});

// The refusals are worded here only, through the catalogue, in two forms: a sentence that
// names the output (the tool, the core's errors) and the reason alone (the windows, which name
// the file in their own sentence).

/// Why the output `name` (as it is to be shown) was refused, in the user's language: "the
/// output NAME is the field book itself", "the output NAME ends in neither .xls nor .xlsx";
/// empty for `None`.
std::string OutputRefusalText(OutputRefusal refusal, std::string_view name);

/// Why an output was refused, without its name, in the user's language: "it is the open field
/// book", "the file holds a field book" (Russian: "это открытый полевой журнал", "в файле
/// полевой журнал"); empty for `None`.
std::string OutputRefusalReason(OutputRefusal refusal);

/// What an existing file holds, from its first bytes, as the field-book reader tells it
/// (`BookContentOf`): nothing (no such file, an empty one, or one that cannot be read or is
/// no regular file), a workbook (.xls or .xlsx), a field book (a line that takes part in a run
/// or records an event, or a Leica book), or something else.
enum class FileContent { Nothing, Workbook, FieldBook, Other };
FileContent ContentOf(const std::string& path);

}  // namespace velmora
