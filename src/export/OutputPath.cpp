// SPDX-License-Identifier: MIT
#include "export/OutputPath.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/DiniLayouts.h"
#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/MeasurementRecord.h"

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

// The first bytes of the two workbook formats: a compound file (.xls) and a zip archive (.xlsx).
constexpr std::string_view kCompoundFileSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kZipSignature = "PK\x03\x04";
// Enough of a file to find a field-book line in it.
constexpr std::size_t kContentProbeBytes = 4096;

// Text with a line of a field book: one that a layout other than the plain one recognises
// ("For M5|..."), or a plain line with a reading code. Control bytes other than line ends and tabs are
// not in field books.
bool HoldsFieldBookLines(std::string_view head)
{
    const bool text = std::none_of(head.begin(), head.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && c != '\r' && c != '\n' && c != '\t';
    });
    if (!text)
        return false;
    while (!head.empty()) {
        const std::size_t end = head.find_first_of("\r\n");
        const std::string_view line = head.substr(0, end);
        head = end == std::string_view::npos ? std::string_view() : head.substr(end + 1);
        if (line.empty())
            continue;
        // A line of the instrument's own layouts, or a plain line with a reading code.
        if (&LayoutAt(LayoutIndexOf(line)) != &DiniPlainLayout())
            return true;
        const MeasurementRecord record = ParseLine(line);
        if (IsObservationCode(ObservationCode(record.valueType())))
            return true;
    }
    return false;
}

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
    if (head.starts_with(kCompoundFileSignature) || head.starts_with(kZipSignature))
        return FileContent::Workbook;
    // A probe that ends inside a line must not judge by that line's cut end.
    if (head.size() == kContentProbeBytes) {
        const std::size_t lastLineEnd = head.find_last_of("\r\n");
        if (lastLineEnd != std::string::npos)
            head.resize(lastLineEnd + 1);
    }
    return HoldsFieldBookLines(head) ? FileContent::FieldBook : FileContent::Other;
}

OutputChoice ChooseOutput(std::string_view output, OutputKind kind,
                          const std::vector<std::string>& fieldBooks)
{
    OutputChoice choice;
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
    if (choice.allowed() && IsOneOf(output, fieldBooks)) {
        choice.refusal = OutputRefusal::IsFieldBook;
    } else if (choice.allowed() && workbook) {
        choice.refusal = RefusalForContent(std::string(output));
    } else if (!choice.allowed() && workbook && !IsOneOf(output, fieldBooks) &&
               ContentOf(std::string(output)) == FileContent::FieldBook) {
        // Another field book under its own name: say what would be lost, not only the name.
        choice.refusal = OutputRefusal::HoldsFieldBook;
    }
    return choice;
}

std::string OutputRefusalText(OutputRefusal refusal)
{
    switch (refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::IsFieldBook:
        return "is the field book itself";
    case OutputRefusal::NoWorkbookEnding:
        return "ends in neither .xls nor .xlsx";
    case OutputRefusal::NoCatalogueEnding:
        return "ends in none of .xls, .xlsx and .csv";
    case OutputRefusal::HoldsFieldBook:
        return "holds a field book";
    case OutputRefusal::NotAWorkbook:
        return "exists and is not a workbook";
    }
    return {};
}

}  // namespace velmora
