// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "cli/QualityOptions.h"
#include "fieldbook/AtomicFile.h"
#include "quality/ReportPage.h"

#include <filesystem>
#include <ostream>

namespace velmora::cli {

int RunReportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    std::vector<std::string> options = kQualityOptions;
    options.push_back("--output");
    const Arguments arguments(args, options, {kSingleReadingsFlag});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("report takes exactly one field book")};
    if (arguments.Value("--output").empty())
        throw UsageError{Tr("report needs --output REPORT.html")};
    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");
    RefuseOutput(output, OutputKind::Report, {path});
    const QualityOptions quality = QualityOptionsOf(arguments);

    CheckedBook book;
    if (!CheckBook(path, quality.limits, book, err))
        return kFileError;

    const std::string title =
        "Levelling quality of " +
        (path == "-" ? std::string("standard input") : std::filesystem::path(path).filename().string());
    const std::string page = ReportPage(title, quality.className, quality.limits, book.qualities);
    AtomicFile file(output);
    std::string error;
    if (!file.Open(error) || !file.Write(page, error) || !file.Commit(error)) {
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {EscapeControlCharacters(output), error})
            << "\n";
        return kFileError;
    }
    return book.HasFindings() ? kFindings : kSuccess;
}

}  // namespace velmora::cli
