// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include "cli/AdjustBooks.h"
#include "cli/AdjustReport.h"
#include "cli/QualityOptions.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Translation.h"
#include "report/ReportPage.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace velmora::cli {

namespace {

// The arguments that `adjust` takes for the same books and fixed heights.
std::vector<std::string> AdjustArguments(const Arguments& arguments)
{
    std::vector<std::string> adjust = arguments.positional();
    for (const char* option : {"--fixed", "--fixed-file", "--class"}) {
        if (arguments.HasValue(option)) {
            adjust.push_back(option);
            adjust.push_back(arguments.Value(option));
        }
    }
    return adjust;
}

std::string BookName(const std::string& path)
{
    return path == "-" ? std::string(Tr("standard input"))
                       : std::filesystem::path(path).filename().string();
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    std::vector<std::string> options = kQualityOptions;
    options.insert(options.end(), {"--output", "--fixed", "--fixed-file"});
    const Arguments arguments(args, options, {kSingleReadingsFlag});
    const std::vector<std::string>& paths = arguments.positional();
    if (paths.empty())
        throw UsageError{Tr("report needs a field book")};
    if (arguments.Value("--output").empty())
        throw UsageError{Tr("report needs --output REPORT.html")};
    const bool adjust = arguments.HasValue("--fixed") || arguments.HasValue("--fixed-file");
    const auto fromInput = std::count(paths.begin(), paths.end(), "-");
    if (fromInput > 1 || (fromInput == 1 && adjust))
        throw UsageError{Tr("standard input (-) can be read only once")};
    const std::string output = arguments.Value("--output");
    RefuseOutput(output, OutputKind::Report, paths);
    const QualityOptions quality = QualityOptionsOf(arguments);

    std::vector<BookCheck> books(paths.size());
    ReportContents contents;
    contents.className = quality.className;
    contents.toleranceCoefficient = quality.toleranceCoefficient;
    contents.limits = quality.limits;
    contents.limitsOfClass = quality.limitsOfClass;
    bool findings = false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!CheckBook(paths[i], quality.limits, books[i], err))
            return kFileError;
        findings = findings || books[i].HasFindings();
        contents.books.push_back({BookName(paths[i]), books[i].times.first,
                                  books[i].times.last, books[i].qualities});
    }
    LevellingNetwork network;
    NetworkAdjustment adjustment;
    if (adjust) {
        if (!AdjustBooksAsNetwork(AdjustArguments(arguments), network, adjustment, err))
            return kFileError;
        WriteWarnings(network, adjustment, err, /*nodesOption=*/false);
        contents.network = &network;
        contents.adjustment = &adjustment;
    }

    const std::string page = ReportPage(contents);
    AtomicFile file(output);
    std::string error;
    if (!file.Open(error) || !file.Write(page, error) || !file.Commit(error)) {
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), error})
            << "\n";
        return kFileError;
    }
    return findings ? kFindings : kSuccess;
}

}  // namespace velmora::cli
