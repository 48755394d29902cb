// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "fieldbook/TextConversions.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <ostream>

namespace velmora::cli {

namespace {

std::size_t DistinctCount(const std::vector<std::string>& texts)
{
    std::vector<std::string> sorted = texts;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<std::size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

// Names the runs the start point did not reach, and the start point when it reached none.
void WarnUnlinked(const std::vector<std::string>& unlinkedRuns, const ExportRequest& request,
                  const std::string& startPoint, std::ostream& err)
{
    // A run listed more than once stays pending once per entry: named once here.
    std::vector<std::string> named;
    for (const std::string& number : unlinkedRuns) {
        if (std::find(named.begin(), named.end(), number) == named.end())
            named.push_back(number);
    }
    std::string list;
    for (const std::string& number : named)
        list += (list.empty() ? "" : " ") + ControlCharactersShown(TerminalText(number));
    err << "velmora-tesk-cli: " << Fill(Tr("not all runs are linked; left out: {1}"), {list}) << "\n";
    // Nothing was linked at all: no selected run holds the start point.
    if (named.size() == DistinctCount(request.pendingRuns))
        err << "velmora-tesk-cli: "
            << Fill(Tr("no selected run holds the start point {1}; choose another with --start POINT"),
                    {ControlCharactersShown(TerminalText(TrimText(startPoint)))})
            << "\n";
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    const Arguments arguments(args, {"--class", "--start", "--height", "--runs", "--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("export takes exactly one field book")};
    const std::string output = arguments.Value("--output");
    if (output.empty())
        throw UsageError{Tr("export needs --output OUT.xls or OUT.xlsx")};
    const std::string& path = arguments.positional().front();
    RefuseOutput(output, OutputKind::Workbook, {path});
    const ToleranceClass toleranceClass = ToleranceClassOption(arguments);
    const std::string heightText = arguments.Value("--height", "1000");

    OpenBook& book = CommandBook();
    book.ChooseClass(toleranceClass);
    if (!OpenFieldBook(path, book, err))
        return kFileError;

    // The selection: every entry, as after "Показать всё", or the entries of the named runs;
    // the grid then shows their points, as the window's grid does.
    if (arguments.HasValue("--runs"))
        SelectNamedRuns(book, BookTextList(arguments, "--runs"), path, err);
    else
        book.SetSelection(std::vector<bool>(book.runList().size(), true));
    book.FillGridFromSelection();

    // The start point: as given, or what the new-height dialog proposes from the grid.
    const std::string startPoint = arguments.HasValue("--start")
                                       ? BookTextOption(arguments.Value("--start"))
                                       : book.ExportStartPoints().front();
    const ExportPreparation preparation = book.PrepareExport(startPoint, heightText);
    if (!preparation.ready)
        throw UsageError{Fill(Tr("the start height '{1}' is not a number"), {ControlCharactersShown(heightText)})};

    const ExportOutcome outcome = book.RunExport(preparation.request, output);
    if (!outcome.unlinkedRuns.empty())
        WarnUnlinked(outcome.unlinkedRuns, preparation.request, startPoint, err);
    if (!outcome.saved) {
        err << "velmora-tesk-cli: "
            << Fill(Tr("cannot export to {1}: {2}"),
                    {ControlCharactersShown(output), ControlCharactersShown(outcome.error)})
            << "\n";
        return kFileError;
    }
    return outcome.unlinkedRuns.empty() ? kSuccess : kSavedWithUnlinkedRuns;
}

}  // namespace velmora::cli
