#include "cli/Command.h"

#include "export/Export.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"

#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

// Exit status of an export that saved the workbook but left selected runs unlinked.
constexpr int kSavedWithUnlinkedRuns = 3;

}  // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    const Arguments arguments(args, {"--class", "--start", "--height", "--runs", "--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{"export takes exactly one field book"};
    if (arguments.Value("--output").empty())
        throw UsageError{"export needs --output OUT.xls or OUT.xlsx"};
    const double coefficient = ToleranceCoefficientOption(arguments);
    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");

    const std::string heightText = arguments.Value("--height", "1000");
    const double startHeight = TextToNumber(heightText);
    if (!std::isfinite(startHeight)) {
        err << "velmora-tesk-cli: the start height '" << heightText << "' is not a number\n";
        return kFileError;
    }

    RecordList records;
    std::string error;
    if (!ReadMeasurementFile(path, records, error)) {
        err << "velmora-tesk-cli: cannot read " << path << ": " << error << "\n";
        return kFileError;
    }
    RunList list;
    list.Fill(CollapsedRunNumbers(records), RunCatalog(records), coefficient);

    // The selection: every entry, as after "Показать всё", or the entries of the named runs.
    if (arguments.HasValue("--runs")) {
        RunNumberSet named;
        for (const std::string& number : SplitList(arguments.Value("--runs")))
            named.emplace(TrimText(number));
        for (std::size_t i = 0; i < list.size(); ++i)
            list.SetSelected(i, named.count(RunNumberOfEntry(list.entries()[i].text)) > 0);
    } else {
        list.SelectAll(true);
    }
    const std::vector<std::string> pendingRuns = list.SelectedRunNumbersInOrder();

    // The start point: as given, or what the dialog proposes from the points the grid shows.
    std::string startPoint;
    if (arguments.HasValue("--start")) {
        startPoint = arguments.Value("--start");
    } else {
        const RunNumberSet selected = list.SelectedRunNumbers();
        std::vector<std::string_view> gridPoints;
        for (const MeasurementRecord& record : records) {
            if (!record.skipped && selected.count(record.runNumber()))
                gridPoints.push_back(record.pointNumber());
        }
        if (gridPoints.empty())
            gridPoints.push_back({});  // the grid's one empty row
        startPoint = ProposedStartPoints(gridPoints).front();
    }

    const ExportResult result = ExportToWorkbook(
        records, pendingRuns, startPoint, startHeight, coefficient, SheetNameOf(pendingRuns),
        output, [&](const std::vector<std::string>& unlinked) {
            err << "velmora-tesk-cli: not all runs are linked; left out:";
            for (const std::string& number : unlinked)
                err << " " << number;
            err << "\n";
        });
    if (!result.saved) {
        err << "velmora-tesk-cli: cannot export to " << output << ": " << result.error << "\n";
        return kFileError;
    }
    return result.unlinkedRuns.empty() ? kSuccess : kSavedWithUnlinkedRuns;
}

}  // namespace velmora::cli
