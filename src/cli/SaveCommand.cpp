// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include "state/MainWindowState.h"

#include <ostream>

namespace velmora::cli {

int RunSaveCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    const Arguments arguments(args, {"--delete", "--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{"save takes exactly one field book"};
    if (!arguments.HasValue("--output") || arguments.Value("--output").empty())
        throw UsageError{"save needs --output OUT"};
    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");

    MainWindowState& state = CommandState();
    if (!OpenFieldBook(path, state, err))
        return kFileError;
    // Every entry of the named runs deleted from the list, as the list's "Удалить" does.
    SelectNamedRuns(state, SplitList(BookTextOption(arguments.Value("--delete"))), path, err);
    state.DeleteSelectedRuns();

    std::string error;
    if (!state.SaveMeasurementFile(output, error)) {
        err << "velmora-tesk-cli: cannot write " << PrintablePath(output) << ": " << error << "\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
