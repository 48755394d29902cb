// SPDX-License-Identifier: MIT
// monitor create|add|remove|show: a settlement-monitoring project and its cycles.
#include "cli/Command.h"
#include "cli/QualityOptions.h"
#include "cli/MonitorShow.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkOfBooks.h"
#include "monitor/CycleDate.h"
#include "monitor/MonitorOutput.h"
#include "monitor/MonitorProject.h"
#include "monitor/MonitorReport.h"
#include "network/NetworkAdjustment.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

// A project that could not be opened or changed; RunMonitorCommand says why.
struct ProjectError {
    ProjectFailure failure;
};

// "P=H,P,P=H", in one --benchmarks or several: benchmarks in order, heights in metres with a
// decimal point (a comma separates benchmarks here).
std::vector<Benchmark> BenchmarksOption(const Arguments& arguments)
{
    std::vector<Benchmark> benchmarks;
    std::vector<ListItem> items;
    for (const std::string& value : arguments.Values("--benchmarks")) {
        for (ListItem& item : SplitListItems(BookTextOption(value)))
            items.push_back(std::move(item));
    }
    for (const ListItem& item : items) {
        const std::string_view whole = item.text;
        const std::string point(TrimText(whole.substr(0, item.equals)));
        if (point.empty())
            throw UsageError{Fill(Tr("--benchmarks names no point in '{1}'"), {ControlCharactersShown(whole)})};
        Benchmark benchmark{point, std::nullopt};
        if (item.equals != std::string::npos) {
            const std::string_view heightText = whole.substr(item.equals + 1);
            benchmark.height = TextToNumber(heightText);
            if (!std::isfinite(*benchmark.height))
                throw UsageError{Fill(Tr("the height of benchmark {1} is no number: '{2}'"),
                                      {ControlCharactersShown(TerminalText(point)),
                                       ControlCharactersShown(heightText)})};
        }
        if (std::any_of(benchmarks.begin(), benchmarks.end(),
                        [&point](const Benchmark& b) { return b.point == point; }))
            throw UsageError{Fill(Tr("benchmark {1} is named twice"), {ControlCharactersShown(TerminalText(point))})};
        benchmarks.push_back(std::move(benchmark));
    }
    if (std::none_of(benchmarks.begin(), benchmarks.end(), [](const Benchmark& b) { return b.height.has_value(); }))
        throw UsageError{Tr("monitor create needs --benchmarks with at least one height (P=H)")};
    return benchmarks;
}

// --class or --sigma, not both; σ of 1 km in metres.
void SigmaOptions(const Arguments& arguments, ProjectSettings& settings)
{
    if (arguments.HasValue("--class") && arguments.HasValue("--sigma"))
        throw UsageError{Tr("--class and --sigma cannot both be given")};
    if (arguments.HasValue("--sigma")) {
        settings.monitor.sigma = SigmaOption(arguments.Value("--sigma"));
        return;
    }
    const ToleranceClass toleranceClass = ToleranceClassOption(arguments);
    settings.monitor.sigma = SigmaOfClass(CoefficientOf(toleranceClass));
    settings.className = ClassName(toleranceClass);
}

// The project, opened; a failure ends the command.
void OpenProject(const std::string& path, MonitorProject& project)
{
    ProjectFailure failure;
    if (!project.Open(path, failure))
        throw ProjectError{failure};
}

int CreateProject(const std::vector<std::string>& args)
{
    const Arguments arguments(args, {"--benchmarks", "--marks", "--class", "--sigma", "--alpha"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("monitor create needs one project file")};
    if (!arguments.HasValue("--benchmarks"))
        throw UsageError{Tr("monitor create needs --benchmarks P=H[,P[=H]...]")};
    ProjectSettings settings;
    settings.monitor.benchmarks = BenchmarksOption(arguments);
    if (arguments.HasValue("--marks")) {
        settings.monitor.marks.emplace();
        for (const std::string& mark : BookTextList(arguments, "--marks")) {
            if (!TrimText(mark).empty())
                settings.monitor.marks->emplace_back(TrimText(mark));
        }
    }
    SigmaOptions(arguments, settings);
    if (arguments.HasValue("--alpha")) {
        const std::string text = arguments.Value("--alpha");
        settings.monitor.alpha = TextToNumber(text);
        if (!(settings.monitor.alpha > 0 && settings.monitor.alpha < 1))
            throw UsageError{Fill(Tr("--alpha wants a number between 0 and 1, not '{1}'"),
                                  {ControlCharactersShown(text)})};
    }
    MonitorProject project;
    ProjectFailure failure;
    if (!project.Create(arguments.positional().front(), settings, failure))
        throw ProjectError{failure};
    return kSuccess;
}

// The books' bytes, each read as any command reads a field book, under the names the network
// gives books read together. The same bytes twice the project refuses.
std::vector<CycleBook> ReadBooks(const std::vector<std::string>& paths, std::ostream& err)
{
    RefuseRepeatedBooks(paths);
    const std::vector<std::string> names = NetworkBookNames(paths, LocaleIsUtf8());
    std::vector<CycleBook> books;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        OpenBook& book = CommandBook();
        if (!OpenFieldBook(paths[i], book, err))
            return {};
        books.push_back({names[i], std::string(book.records().text())});
    }
    return books;
}

// The results with `cycles`; false (after the message) when a cycle cannot be computed.
bool Evaluate(const MonitorProject& project, const std::vector<CycleInput>& cycles,
              MonitoringResult& result, std::ostream& err)
{
    std::string error;
    if (EvaluateMonitoring(project.settings().monitor, cycles, result, error))
        return true;
    err << "velmora-tesk-cli: " << ControlCharactersShown(error) << "\n";
    return false;
}

int AddCycle(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Arguments arguments(args, {"--date", "--runs", "--rod-scale"}, {});
    const std::vector<std::string>& positional = arguments.positional();
    if (positional.size() < 2)
        throw UsageError{Tr("monitor add needs a project file and at least one field book")};
    const std::string date = arguments.Value("--date");
    if (!arguments.HasValue("--date"))
        throw UsageError{Tr("monitor add needs --date YYYY-MM-DD")};
    if (!DayOfDate(date))
        throw UsageError{NotADateText(date)};
    CycleInput cycle{date, {}, std::nullopt, RodScaleOption(arguments)};
    if (arguments.HasValue("--runs")) {
        cycle.runs.emplace();
        for (const std::string& run : BookTextList(arguments, "--runs"))
            cycle.runs->emplace_back(TrimText(run));
    }
    MonitorProject project;
    OpenProject(positional.front(), project);
    cycle.books = ReadBooks({positional.begin() + 1, positional.end()}, err);
    if (cycle.books.empty())
        return kFileError;
    // The cycle is computed with the others before it is stored: one that cannot be is refused.
    std::vector<CycleInput> cycles = project.cycles();
    cycles.push_back(cycle);
    MonitoringResult result;
    if (!Evaluate(project, cycles, result, err))
        return kFileError;
    ProjectFailure failure;
    if (!project.AddCycle(cycle, failure))
        throw ProjectError{failure};
    for (const CycleResult& line : result.cycles) {
        if (line.input == cycles.size() - 1)
            WriteMonitorText(project.settings(), result, line.number, out);
    }
    return kSuccess;
}

int RemoveCycle(const std::vector<std::string>& args)
{
    const Arguments arguments(args, {"--cycle"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("monitor remove needs one project file")};
    const std::string text = arguments.Value("--cycle");
    const double number = TextToNumber(text);
    if (!arguments.HasValue("--cycle") || !(number >= 1) || number != std::floor(number) || number > 1e6)
        throw UsageError{Fill(Tr("--cycle wants a cycle number, not '{1}'"), {ControlCharactersShown(text)})};
    MonitorProject project;
    OpenProject(arguments.positional().front(), project);
    ProjectFailure failure;
    if (!project.RemoveCycle(static_cast<int>(number), failure))
        throw ProjectError{failure};
    return kSuccess;
}

int ShowProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Arguments arguments(args, {}, {"--json"});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("monitor show needs one project file")};
    MonitorProject project;
    OpenProject(arguments.positional().front(), project);
    MonitoringResult result;
    if (!Evaluate(project, project.cycles(), result, err))
        return kFileError;
    if (arguments.Has("--json"))
        WriteMonitorJson(project.settings(), result, out);
    else
        WriteMonitorText(project.settings(), result, std::nullopt, out);
    return kSuccess;
}

// The output of export or report: named, and not the project itself.
std::string OutputOption(const Arguments& arguments)
{
    const std::string output = arguments.Value("--output");
    if (output.empty())
        throw UsageError{Tr("--output names no file")};
    if (IsSameFile(output, arguments.positional().front()))
        throw UsageError{Fill(Tr("{1} is the project itself; nothing is written over it"),
                              {ControlCharactersShown(output)})};
    return output;
}

int ExportProject(const std::vector<std::string>& args, std::ostream& err)
{
    const Arguments arguments(args, {"--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("monitor export needs one project file")};
    const std::string output = OutputOption(arguments);
    const OutputFormat format = RefuseOutput(output, OutputKind::WorkbookOrCatalogue, {});
    MonitorProject project;
    OpenProject(arguments.positional().front(), project);
    MonitoringResult result;
    if (!Evaluate(project, project.cycles(), result, err))
        return kFileError;
    std::string error;
    if (!SaveMonitorResults(output, format, project.settings(), result, error)) {
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), error})
            << "\n";
        return kFileError;
    }
    return kSuccess;
}

int ReportProject(const std::vector<std::string>& args, std::ostream& err)
{
    const Arguments arguments(args, {"--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("monitor report needs one project file")};
    const std::string output = OutputOption(arguments);
    RefuseOutput(output, OutputKind::Report, {});
    MonitorProject project;
    OpenProject(arguments.positional().front(), project);
    MonitoringResult result;
    if (!Evaluate(project, project.cycles(), result, err))
        return kFileError;
    AtomicFile file(output);
    std::string error;
    if (!file.Open(error) || !file.Write(MonitorReportPage(project.settings(), result), error) ||
        !file.Commit(error)) {
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), error})
            << "\n";
        return kFileError;
    }
    return kSuccess;
}

int RunMonitorAction(const std::string& action, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err)
{
    if (action == "create")
        return CreateProject(args);
    if (action == "add")
        return AddCycle(args, out, err);
    if (action == "remove")
        return RemoveCycle(args);
    if (action == "show")
        return ShowProject(args, out, err);
    if (action == "export")
        return ExportProject(args, err);
    if (action == "report")
        return ReportProject(args, err);
    throw UsageError{Fill(Tr("monitor knows create, add, remove, show, report and export, not '{1}'"),
                          {ControlCharactersShown(action)})};
}

}  // namespace

int RunMonitorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        throw UsageError{Tr("monitor needs create, add, remove, show, report or export")};
    int status = kSuccess;
    try {
        status = RunMonitorAction(args.front(), {args.begin() + 1, args.end()}, out, err);
    } catch (const ProjectError& error) {
        using Kind = ProjectFailure::Kind;
        const Kind kind = error.failure.kind;
        const std::string text = ControlCharactersShown(error.failure.Text());
        if (kind == Kind::Exists || kind == Kind::SameBook || kind == Kind::NoCycle)
            throw UsageError{text};
        err << "velmora-tesk-cli: " << text << "\n";
        return kFileError;
    }
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: " << Tr("cannot write the results to standard output") << "\n";
        return kFileError;
    }
    return status;
}

}  // namespace velmora::cli
