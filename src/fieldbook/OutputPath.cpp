// SPDX-License-Identifier: MIT
#include "fieldbook/OutputPath.h"

#include "fieldbook/Translation.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/BookContent.h"
#include "fieldbook/MeasurementFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sys/stat.h>

namespace velmora {

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view lowerCaseEnding)
{
    return text.size() >= lowerCaseEnding.size() &&
           std::equal(lowerCaseEnding.begin(), lowerCaseEnding.end(),
                      text.end() - static_cast<std::ptrdiff_t>(lowerCaseEnding.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

bool IsOneOf(std::string_view output, const std::vector<std::string>& fieldBooks)
{
    if (output == "-")
        return false;
    const std::string path(output);
    return std::any_of(fieldBooks.begin(), fieldBooks.end(), [&](const std::string& book) {
        return !book.empty() && IsSameFile(book, path);  // "-": the file standard input reads
    });
}

// Enough of a file to tell what it holds.
constexpr std::size_t kContentProbeBytes = 4096;

OutputRefusal RefusalForContent(const std::string& path)
{
    switch (ContentOf(path)) {
    case FileContent::FieldBook:
        return OutputRefusal::HoldsFieldBook;
    case FileContent::Other:
        return OutputRefusal::NotAWorkbook;
    case FileContent::Nothing:
    case FileContent::Workbook:
        break;
    }
    return OutputRefusal::None;
}

}  // namespace

FileContent ContentOf(const std::string& path)
{
    struct stat status {};
    if (path.empty() || path == "-" || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size == 0)
        return FileContent::Nothing;
    std::ifstream in(path, std::ios::binary);
    std::string head(kContentProbeBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (head.empty())
        return FileContent::Nothing;  // unreadable: the write will tell
    // What a field book is, the reader says: its lines, else what its bytes look like.
    const BookContent foreign = ForeignContentOf(head);
    if (foreign == BookContent::XlsWorkbook || foreign == BookContent::ZipArchive)
        return FileContent::Workbook;
    // A probe that ends inside a line must not judge by that line's cut end.
    if (head.size() == kContentProbeBytes) {
        const std::size_t lastLineEnd = head.find_last_of("\r\n");
        if (lastLineEnd != std::string::npos)
            head.resize(lastLineEnd + 1);
    }
    RecordList records;
    ParseMeasurementText(head, records);
    switch (BookContentOf(records)) {
    case BookContent::FieldBook:
    case BookContent::BookWithoutRuns:
        return FileContent::FieldBook;
    case BookContent::XlsWorkbook:
    case BookContent::ZipArchive:
        return FileContent::Workbook;
    case BookContent::Empty:
        return FileContent::Nothing;
    case BookContent::BinaryData:
    case BookContent::OtherText:
        break;
    }
    return FileContent::Other;
}

OutputChoice ChooseOutput(std::string_view output, OutputKind kind,
                          const std::vector<std::string>& fieldBooks,
                          const std::vector<std::string>& otherInputs)
{
    OutputChoice choice;
    // Written over, an input would be gone before the command had finished reading what it
    // holds, whatever the output's kind.
    if (IsOneOf(output, otherInputs)) {
        choice.refusal = OutputRefusal::IsInput;
        return choice;
    }
    switch (kind) {
    case OutputKind::FieldBook:
        choice.format = OutputFormat::FieldBook;
        return choice;
    case OutputKind::Report:
        choice.format = OutputFormat::Html;
        break;
    case OutputKind::Workbook:
    case OutputKind::WorkbookOrCatalogue:
        if (EndsWithIgnoringCase(output, ".xlsx"))
            choice.format = OutputFormat::Xlsx;
        else if (output == "-" || EndsWithIgnoringCase(output, ".xls"))
            choice.format = OutputFormat::Xls;
        else if (kind == OutputKind::WorkbookOrCatalogue && EndsWithIgnoringCase(output, ".csv"))
            choice.format = OutputFormat::Csv;
        else
            choice.refusal = kind == OutputKind::Workbook ? OutputRefusal::NoWorkbookEnding
                                                          : OutputRefusal::NoCatalogueEnding;
        break;
    }
    const bool workbook = kind == OutputKind::Workbook ||
                          (kind == OutputKind::WorkbookOrCatalogue && choice.format != OutputFormat::Csv);
    // The book itself first, whatever its name: that is what would be lost.
    if (IsOneOf(output, fieldBooks)) {
        choice.refusal = OutputRefusal::IsFieldBook;
    } else if (choice.allowed() && workbook) {
        choice.refusal = RefusalForContent(std::string(output));
    } else if (!choice.allowed() && workbook && ContentOf(std::string(output)) == FileContent::FieldBook) {
        // Another field book under its own name: say what would be lost, not only the name.
        choice.refusal = OutputRefusal::HoldsFieldBook;
    }
    return choice;
}

std::string OutputRefusalReason(OutputRefusal refusal)
{
    switch (refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::IsFieldBook:
        return Tr("it is the open field book");
    case OutputRefusal::IsInput:
        return Tr("it is one of the files read");
    case OutputRefusal::NoWorkbookEnding:
        return Tr("the file name ends in neither .xls nor .xlsx");
    case OutputRefusal::NoCatalogueEnding:
        return Tr("the file name ends in none of .xls, .xlsx and .csv");
    case OutputRefusal::HoldsFieldBook:
        return Tr("the file holds a field book");
    case OutputRefusal::NotAWorkbook:
        return Tr("the file exists and is not a workbook");
    }
    return {};
}

std::string OutputRefusalText(OutputRefusal refusal, std::string_view name)
{
    switch (refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::IsFieldBook:
        return Fill(Tr("the output {1} is the field book itself"), {name});
    case OutputRefusal::IsInput:
        return Fill(Tr("the output {1} is one of the files read"), {name});
    case OutputRefusal::NoWorkbookEnding:
        return Fill(Tr("the output {1} ends in neither .xls nor .xlsx"), {name});
    case OutputRefusal::NoCatalogueEnding:
        return Fill(Tr("the output {1} ends in none of .xls, .xlsx and .csv"), {name});
    case OutputRefusal::HoldsFieldBook:
        return Fill(Tr("the output {1} holds a field book"), {name});
    case OutputRefusal::NotAWorkbook:
        return Fill(Tr("the output {1} exists and is not a workbook"), {name});
    }
    return {};
}

}  // namespace velmora
