// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include "export/Export.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/TextConversions.h"
#include "state/MainWindowState.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - static_cast<long>(ending.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    const Arguments arguments(args, {"--class", "--start", "--height", "--runs", "--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{"export takes exactly one field book"};
    const std::string output = arguments.Value("--output");
    if (output.empty())
        throw UsageError{"export needs --output OUT.xls or OUT.xlsx"};
    // The workbook's format comes from the name; standard output gets an .xls workbook.
    if (output != "-" && !EndsWithIgnoringCase(output, ".xls") && !EndsWithIgnoringCase(output, ".xlsx"))
        throw UsageError{"the output " + PrintablePath(output) + " ends in neither .xls nor .xlsx"};
    const std::string& path = arguments.positional().front();
    if (IsSameFile(path, output))
        throw UsageError{"the output " + PrintablePath(output) + " is the field book itself"};
    const ToleranceClass toleranceClass = ToleranceClassOption(arguments);

    const std::string heightText = arguments.Value("--height", "1000");
    const double startHeight = TextToNumber(heightText);
    if (!std::isfinite(startHeight))
        throw UsageError{"the start height '" + PrintablePath(heightText) + "' is not a number"};

    MainWindowState& state = CommandState();
    state.ChooseClass(toleranceClass);
    if (!OpenFieldBook(path, state, err))
        return kFileError;

    // The selection: every entry, as after "Показать всё", or the entries of the named runs;
    // the grid then shows their points, as the window's grid does.
    if (arguments.HasValue("--runs"))
        SelectNamedRuns(state, SplitList(BookTextOption(arguments.Value("--runs"))), path, err);
    else
        state.SetSelection(std::vector<bool>(state.runList().size(), true));
    state.FillGridFromSelection();
    const std::vector<std::string> pendingRuns = state.runList().SelectedRunNumbersInOrder();

    // The start point: as given, or what the new-height dialog proposes from the grid.
    const std::string startPoint = arguments.HasValue("--start")
                                       ? BookTextOption(arguments.Value("--start"))
                                       : ProposedStartPoints(state.GridPointColumn()).front();

    const ExportResult result = ExportToWorkbook(
        state.records(), pendingRuns, startPoint, startHeight, state.toleranceCoefficient(),
        SheetNameOf(pendingRuns), output, [&](const std::vector<std::string>& unlinked) {
            // A run listed more than once stays pending once per entry: named once here.
            std::vector<std::string> named;
            for (const std::string& number : unlinked) {
                if (std::find(named.begin(), named.end(), number) == named.end())
                    named.push_back(number);
            }
            err << "velmora-tesk-cli: not all runs are linked; left out:";
            for (const std::string& number : named)
                err << " " << PrintablePath(TerminalText(number));
            err << "\n";
        });
    if (!result.saved) {
        err << "velmora-tesk-cli: cannot export to " << PrintablePath(output) << ": "
            << result.error << "\n";
        return kFileError;
    }
    return result.unlinkedRuns.empty() ? kSuccess : kSavedWithUnlinkedRuns;
}

}  // namespace velmora::cli
