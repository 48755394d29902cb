// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include "cli/AdjustBooks.h"
#include "cli/AdjustReport.h"
#include "cli/QualityOptions.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Translation.h"
#include "network/NetworkOfBooks.h"
#include "quality/BookCheck.h"
#include "state/OpenBook.h"
#include "report/ReportPage.h"

#include <ostream>

namespace velmora::cli {

namespace {

// The arguments that `adjust` takes for the same books and fixed heights.
std::vector<std::string> AdjustArguments(const Arguments& arguments)
{
    std::vector<std::string> adjust = arguments.positional();
    for (const char* option : {"--fixed", "--fixed-file", "--class", "--max-section-difference", "--rod-scale"}) {
        for (const std::string& value : arguments.Values(option)) {
            adjust.push_back(option);
            adjust.push_back(value);
        }
    }
    return adjust;
}

// The books' names on the page: as the network names them, but the bytes of the paths as
// given (the page shows them as UTF-8), and standard input in words.
std::vector<std::string> BookNames(const std::vector<std::string>& paths)
{
    std::vector<std::string> names = NetworkBookNames(paths, /*pathsAreUtf8=*/false);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i] == "-")
            names[i] = Tr("standard input");
    }
    return names;
}

// Checks every book into `books` and fills the page's check part; true when there are findings.
// One book's sections are its check's; several books' are levelled across them too. A single
// book is let go once its runs are read unless `keepBooks` (the adjustment reads it again).
bool CheckReportBooks(const std::vector<OpenBook*>& open, const std::vector<std::string>& names,
                      const QualityOptions& quality, bool keepBooks, std::vector<BookCheck>& books,
                      ReportContents& contents)
{
    contents.className = quality.className;
    contents.toleranceCoefficient = quality.toleranceCoefficient;
    contents.limits = quality.limits;
    contents.limitsOfClass = quality.limitsOfClass;
    contents.rodScale = quality.rodScale;
    bool findings = false;
    for (std::size_t i = 0; i < open.size(); ++i) {
        const bool release = !keepBooks && open.size() == 1;
        books[i] = CheckBookRuns(open[i]->records(), quality.limits, std::nullopt, quality.rodScale,
                                 [&] {
                                     if (release)
                                         open[i]->Close();
                                 });
        findings = findings || books[i].HasFindings();
        contents.books.push_back({names[i], books[i].times.first, books[i].times.last, books[i].qualities});
    }
    if (open.size() == 1) {
        contents.sections = books[0].sections;
        return findings;
    }
    std::vector<const RecordList*> records;
    for (const OpenBook* book : open)
        records.push_back(&book->records());
    contents.sections = SectionsOfBooks(records, books, quality.limits, quality.rodScale);
    return findings || AnySectionAbove(contents.sections);
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
    RefuseRepeatedBooks(paths);
    const std::string output = arguments.Value("--output");
    RefuseOutput(output, OutputKind::Report, paths, {arguments.Value("--fixed-file")});
    const QualityOptions quality = QualityOptionsOf(arguments);
    // Each book is read once, standard input too: the check and the adjustment share it.
    std::vector<OpenBook*> open;
    if (!OpenFieldBooks(paths, open, err, /*recordsOnly=*/true))
        return kFileError;

    std::vector<BookCheck> books(paths.size());
    ReportContents contents;
    const bool findings = CheckReportBooks(open, BookNames(paths), quality, adjust, books, contents);
    LevellingNetwork network;
    NetworkAdjustment adjustment;
    if (adjust) {
        if (!AdjustBooksAsNetwork(AdjustArguments(arguments), open, network, adjustment, err))
            return kFileError;
        WriteWarnings(network, adjustment, err, /*nodesOption=*/false);
        contents.network = &network;
        contents.adjustment = &adjustment;
    }

    // Written as it is made: a large book's page is never held whole, and the file under its
    // own name appears only once the page is complete.
    AtomicFile file(output);
    std::string error;
    const auto write = [&](std::string_view piece) { return file.Write(piece, error); };
    if (!file.Open(error) || !WriteReportPage(contents, write) || !file.Commit(error)) {
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), error})
            << "\n";
        return kFileError;
    }
    return findings ? kFindings : kSuccess;
}

}  // namespace velmora::cli
