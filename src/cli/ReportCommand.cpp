// SPDX-License-Identifier: MIT
#include "cli/Command.h"

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
        throw UsageError{"report takes exactly one field book"};
    if (arguments.Value("--output").empty())
        throw UsageError{"report needs --output REPORT.html"};
    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");
    // The page must never take the field book's place.
    if (IsSameFile(path, output))
        throw UsageError{"the output " + PrintablePath(output) + " is the field book itself"};
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
        err << "velmora-tesk-cli: cannot write " << PrintablePath(output) << ": " << error << "\n";
        return kFileError;
    }
    return book.HasFindings() ? kFindings : kSuccess;
}

}  // namespace velmora::cli
