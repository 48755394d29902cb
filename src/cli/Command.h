// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/OutputPath.h"
#include "fieldbook/TextConversions.h"
#include "runs/ToleranceClass.h"

#include <exception>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
class OpenBook;
}

namespace velmora::cli {

/// Exit statuses of the command-line tool, every one of them.
enum ExitStatus : int {
    kSuccess = 0,
    kFileError = 1,   ///< a file could not be read or written, or the memory ran out
    kUsageError = 2,  ///< the command line is wrong
    kSavedWithUnlinkedRuns = 3,  ///< export: saved, but some selected runs could not be linked
    kFindings = 4,  ///< check or report: limits broken (a report was still written)
    /// A fault of the program itself (a broken internal rule, `std::logic_error`), not of the
    /// input: 70, as sysexits.h's EX_SOFTWARE.
    kInternalError = 70,
};

/// Thrown for a wrong command line; the message says what is wrong.
struct UsageError {
    std::string message;
};

/// The end of a command that threw `failure`: its message on `err` and the exit status. A
/// `UsageError` is followed by `usage` (status 2); running out of memory (naming `fieldBook`,
/// the book being worked on, when there is one) or any other `std::exception` is status 1; a
/// `std::logic_error` is a fault of the program itself, said so, status 70. Anything else is
/// thrown on.
int ReportFailure(const std::exception_ptr& failure, std::string_view usage,
                  const std::string& fieldBook, std::ostream& err);

/// The options whose value is a list (SplitList): --delete, --runs, --fixed, --nodes,
/// --benchmarks, --marks. Given again, each adds its elements to those given before, in the
/// order given (`--delete 21 --delete 22` deletes both runs).
bool IsListOption(std::string_view option);

/// Arguments of one subcommand, taken apart: options with their values, flags, and the rest.
/// An option that takes one value (any but a list option) given twice with different values
/// is wrong usage: the command could only guess which one was meant. Given twice with the same
/// value it is taken once.
class Arguments {
public:
    Arguments(std::vector<std::string> args, std::vector<std::string> optionsWithValue,
              std::vector<std::string> flags);

    bool Has(const std::string& flag) const;
    /// The value of an option that takes one value, or `fallback` when it was not given.
    std::string Value(const std::string& option, const std::string& fallback = "") const;
    bool HasValue(const std::string& option) const;
    /// Every value given to an option, in the order given (a list option's lists, one each).
    std::vector<std::string> Values(const std::string& option) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positional_;
};

/// The class named by --class (I, II, III or IV; II when not given).
ToleranceClass ToleranceClassOption(const Arguments& arguments);
/// The coefficient of the class named by --class.
double ToleranceCoefficientOption(const Arguments& arguments);

/// The a-priori σ of 1 km given with --sigma, in metres. Any level's σ of 1 km lies well
/// between 1 µm and 1 m; a figure outside that is a slip (millimetres for metres), and far
/// outside it the weights and the test figures underflow or overflow: a usage error.
double SigmaOption(const std::string& text);

/// Whether the locale's character set is UTF-8: what is typed on the command line, file names
/// included, is then taken as UTF-8.
bool LocaleIsUtf8();

/// A run number or point number typed on the command line, as the field book writes it
/// (Windows-1251): converted from UTF-8 when the locale's character set is UTF-8 and the text
/// is UTF-8 that Windows-1251 can hold; the bytes as given otherwise.
std::string BookTextOption(const std::string& argument);

/// A text of the field book (Windows-1251) for a message: in UTF-8 when the locale's
/// character set is UTF-8, the bytes as they are otherwise.
std::string TerminalText(std::string_view bookText);

/// Throws a `UsageError` when `output` may not take an output of `kind` (`ChooseOutput`): a
/// workbook or report that is one of the field books `fieldBooks`, an output that is one of
/// `otherInputs` (--fixed-file), a workbook of another name, or a workbook for standard output
/// (`-`) when that is a terminal. Returns the output's format otherwise.
OutputFormat RefuseOutput(const std::string& output, OutputKind kind,
                          const std::vector<std::string>& fieldBooks,
                          const std::vector<std::string>& otherInputs = {});

/// Reads the field book at `path` (`-`: standard input) into `book`, as the window reads one.
/// On failure prints "velmora-tesk-cli: cannot read PATH: REASON" to `err` and returns false.
/// A file read whole that holds no field-book line is no failure: a warning on `err` says what
/// it looks like (empty, another instrument's book, a workbook, binary data, other text).
/// With `recordsOnly` the book's run list stays empty (OpenBook::LoadRecords).
bool OpenFieldBook(const std::string& path, OpenBook& book, std::ostream& err, bool recordsOnly = false);

/// Throws a `UsageError` when one field book is given twice among `paths`: the same path, two
/// names of one file (the same device and inode: hard or symbolic links), standard input (`-`)
/// twice, or `-` reading from a file given beside it. Read twice, its observations would be
/// counted twice and look twice as sure.
void RefuseRepeatedBooks(const std::vector<std::string>& paths);

/// Reads the field books of `paths` (OpenFieldBook) that a command works on together, once
/// RefuseRepeatedBooks passed them, into `books` (the first is CommandBook(); the books live,
/// as it does, until the process ends). Standard input from a pipe has no file to compare: a
/// book on `-` that holds the same bytes as another of the books is refused (UsageError) once
/// both are read. False when a book cannot be read. `recordsOnly` as for OpenFieldBook.
bool OpenFieldBooks(const std::vector<std::string>& paths, std::vector<OpenBook*>& books,
                    std::ostream& err, bool recordsOnly = false);

/// The field book the command opened last (`-` for standard input), for a failure that comes
/// after it was read; empty before.
const std::string& FieldBookInUse();

/// Selects every list entry of the named runs (Windows-1251 texts) and nothing else; warns on
/// `err` about each named run the book at `path` does not list.
void SelectNamedRuns(OpenBook& book, const std::vector<std::string>& runNumbers,
                     const std::string& path, std::ostream& err);

/// One element of a list given to an option, its escapes undone.
struct ListItem {
    std::string text;
    /// Where the element's first `=` that was not escaped stands in `text` (npos: none).
    std::size_t equals = std::string::npos;
};

/// Splits a list given to an option ("a,b,c"; "P=H,P=H") at its commas; the empty text gives no
/// element. A backslash escapes a comma, an equals sign or itself, so names holding them can be
/// given: `A\,1` is "A,1", `a\=b` an "a=b" that separates nothing, `\\` one backslash. Before
/// any other character a backslash stands for itself. Every list option is split here.
std::vector<ListItem> SplitListItems(std::string_view text);
/// The same, the elements' texts alone.
std::vector<std::string> SplitList(std::string_view text);

/// The elements of every list given to the list option `option`, in the order given, each
/// value a run or point text (BookTextOption) split as SplitList splits it.
std::vector<std::string> BookTextList(const Arguments& arguments, const std::string& option);

/// The open book that the one command of this run of the tool works on. It lives until the
/// process ends and is never destroyed: freeing a large book's records at exit is work nobody
/// waits for.
OpenBook& CommandBook();

int RunRunsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSaveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunAdjustCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunMonitorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
