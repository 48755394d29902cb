#include "cli/Command.h"

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

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

    RecordList records;
    std::string error;
    if (!ReadMeasurementFile(path, records, error)) {
        err << "velmora-tesk-cli: cannot read " << path << ": " << error << "\n";
        return kFileError;
    }
    const RunCatalog runs(records);
    RunList list;
    list.Fill(CollapsedRunNumbers(records), runs, CoefficientOf(kStartClass));

    // Select every entry of the named runs and delete them, as the list's "Удалить" does.
    RunNumberSet toDelete;
    for (const std::string& number : SplitList(arguments.Value("--delete")))
        toDelete.emplace(TrimText(number));
    RunNumberSet found;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string_view number = RunNumberOfEntry(list.entries()[i].text);
        if (toDelete.count(number)) {
            list.SetSelected(i, true);
            found.emplace(number);
        }
    }
    for (const std::string& number : toDelete) {
        if (!found.count(number))
            err << "velmora-tesk-cli: warning: " << path << " lists no run " << number << "\n";
    }
    list.RemoveSelected();

    if (!WriteMeasurementFile(output, records, list.ListedRunNumbers(), error)) {
        err << "velmora-tesk-cli: cannot write " << output << ": " << error << "\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
