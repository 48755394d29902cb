// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/BookContent.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "runs/RunCatalog.h"
#include "runs/RunList.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <deque>
#include <langinfo.h>
#include <locale.h>
#include <new>
#include <ostream>
#include <string_view>
#include <unistd.h>

namespace velmora::cli {

bool LocaleIsUtf8()
{
    static const bool utf8 = [] {
        const locale_t locale = newlocale(LC_CTYPE_MASK, "", locale_t{});
        if (!locale)
            return false;
        const std::string_view codeset = nl_langinfo_l(CODESET, locale);
        const bool isUtf8 = codeset == "UTF-8" || codeset == "utf8";
        freelocale(locale);
        return isUtf8;
    }();
    return utf8;
}

std::string BookTextOption(const std::string& argument)
{
    return LocaleIsUtf8() ? Utf8AsBookText(argument) : argument;
}

std::string TerminalText(std::string_view bookText)
{
    return LocaleIsUtf8() ? Cp1251ToUtf8(bookText) : std::string(bookText);
}

std::vector<std::string> BookTextList(const Arguments& arguments, const std::string& option)
{
    std::vector<std::string> texts;
    for (const std::string& value : arguments.Values(option)) {
        for (std::string& text : SplitList(BookTextOption(value)))
            texts.push_back(std::move(text));
    }
    return texts;
}

namespace {

std::string gFieldBookInUse;

// What a file that holds no field-book line looks like, said after "holds no field-book line: ".
std::string ForeignContentText(BookContent content, std::string_view text)
{
    switch (content) {
    case BookContent::FieldBook: break;
    case BookContent::Empty: return Tr("it is empty");
    case BookContent::BookWithoutRuns:
        // TRANSLATORS: {1} is the name of a book format: "Leica GSI".
        return Fill(Tr("it looks like a {1} book"), {FormatOfText(text)->name});
    case BookContent::XlsWorkbook: return Tr("it looks like an .xls workbook");
    case BookContent::ZipArchive: return Tr("it looks like an .xlsx workbook or another ZIP archive");
    case BookContent::BinaryData: return Tr("it looks like binary data");
    case BookContent::OtherText: return Tr("its text is in no layout the tool reads");
    }
    return "";
}

}  // namespace

const std::string& FieldBookInUse()
{
    return gFieldBookInUse;
}

OutputFormat RefuseOutput(const std::string& output, OutputKind kind,
                          const std::vector<std::string>& fieldBooks,
                          const std::vector<std::string>& otherInputs)
{
    const OutputChoice choice = ChooseOutput(output, kind, fieldBooks, otherInputs);
    if (!choice.allowed())
        throw UsageError{OutputRefusalText(choice.refusal, ControlCharactersShown(output))};
    // A workbook is binary: on a terminal it would be noise that may also set the terminal's
    // modes. Text (a report, a field book) may go there.
    const bool binary = choice.format == OutputFormat::Xls || choice.format == OutputFormat::Xlsx;
    if (output == "-" && binary && isatty(STDOUT_FILENO))
        throw UsageError{Tr("a workbook is not written to a terminal: redirect standard output "
                            "(--output - > OUT.xls) or name a file with --output")};
    return choice.format;
}

bool OpenFieldBook(const std::string& path, OpenBook& book, std::ostream& err, bool recordsOnly)
{
    gFieldBookInUse = path;
    std::string error;
    try {
        if (recordsOnly ? book.LoadRecords(path) : book.LoadMeasurementFile(path)) {
            // Not an error: the book lists no run, as the window shows it. The line says why.
            const BookContent content = BookContentOf(book.records());
            if (content != BookContent::FieldBook)
                err << "velmora-tesk-cli: "
                    << Fill(Tr("warning: {1} holds no field-book line: {2}"),
                            {ControlCharactersShown(path), ForeignContentText(content, book.records().text())})
                    << "\n";
            return true;
        }
        error = book.lastLoadError();
    } catch (const std::bad_alloc&) {
        book.LoadMeasurementFile("");  // gives the memory back
        error = Tr("out of memory");
    }
    err << "velmora-tesk-cli: " << Fill(Tr("cannot read {1}: {2}"), {ControlCharactersShown(path), error})
        << "\n";
    return false;
}

void RefuseRepeatedBooks(const std::vector<std::string>& paths)
{
    for (std::size_t i = 0; i < paths.size(); ++i) {
        for (std::size_t j = i + 1; j < paths.size(); ++j) {
            const std::string& first = paths[i];
            const std::string& second = paths[j];
            if (first == "-" && second == "-")
                throw UsageError{Tr("standard input (-) can be read only once")};
            if (first == second)
                throw UsageError{Fill(Tr("the field book {1} is given twice"), {ControlCharactersShown(first)})};
            // IsSameFile takes "-" as the file standard input reads, in its first place only.
            if (second == "-" ? IsSameFile(second, first) : IsSameFile(first, second))
                throw UsageError{Fill(Tr("{1} and {2} are the same field book"),
                                      {ControlCharactersShown(first), ControlCharactersShown(second)})};
        }
    }
}

bool OpenFieldBooks(const std::vector<std::string>& paths, std::vector<OpenBook*>& books,
                    std::ostream& err, bool recordsOnly)
{
    RefuseRepeatedBooks(paths);
    // Kept reachable, as the command's book is, and never destroyed.
    static std::deque<OpenBook>* const others = new std::deque<OpenBook>;
    books.clear();
    for (const std::string& path : paths) {
        OpenBook& book = books.empty() ? CommandBook() : others->emplace_back();
        if (!OpenFieldBook(path, book, err, recordsOnly))
            return false;
        books.push_back(&book);
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string_view text = books[i]->records().text();
        if (paths[i] != "-" || text.empty())
            continue;
        for (std::size_t j = 0; j < paths.size(); ++j) {
            if (j != i && books[j]->records().text() == text)
                throw UsageError{Fill(Tr("{1} and {2} are the same field book"),
                                      {ControlCharactersShown(paths[std::min(i, j)]),
                                       ControlCharactersShown(paths[std::max(i, j)])})};
        }
    }
    return true;
}

void SelectNamedRuns(OpenBook& book, const std::vector<std::string>& runNumbers,
                     const std::string& path, std::ostream& err)
{
    RunNumberSet named;
    for (const std::string& number : runNumbers)
        named.emplace(TrimText(number));
    RunNumberSet found;
    const RunList& list = book.runList();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string_view number = list.entries()[i].runNumber;
        const bool isNamed = named.count(number) > 0;
        book.SetSelected(i, isNamed);
        if (isNamed)
            found.emplace(number);
    }
    // Warned about in the order given, each once.
    RunNumberSet warned;
    for (const std::string& given : runNumbers) {
        const std::string_view number = TrimText(given);
        if (!found.count(number) && warned.emplace(number).second)
            err << "velmora-tesk-cli: "
                << Fill(Tr("warning: {1} lists no run {2}"),
                        {ControlCharactersShown(path), ControlCharactersShown(TerminalText(number))})
                << "\n";
    }
}

OpenBook& CommandBook()
{
    // Kept reachable through this pointer, so a leak checker does not count it.
    static OpenBook* const book = new OpenBook;
    return *book;
}

}  // namespace velmora::cli
