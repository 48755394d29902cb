// SPDX-License-Identifier: MIT
#include "export/OutputPath.h"

#include "fieldbook/Translation.h"

#include "fieldbook/AtomicFile.h"

#include <algorithm>
#include <cctype>

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

}  // namespace

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
    if (choice.allowed() && IsOneOf(output, fieldBooks))
        choice.refusal = OutputRefusal::IsFieldBook;
    return choice;
}

std::string OutputRefusalText(OutputRefusal refusal, std::string_view name)
{
    switch (refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::IsFieldBook:
        return Fill(Tr("the output {1} is the field book itself"), {name});
    case OutputRefusal::NoWorkbookEnding:
        return Fill(Tr("the output {1} ends in neither .xls nor .xlsx"), {name});
    case OutputRefusal::NoCatalogueEnding:
        return Fill(Tr("the output {1} ends in none of .xls, .xlsx and .csv"), {name});
    }
    return {};
}

}  // namespace velmora
