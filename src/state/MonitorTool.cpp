// SPDX-License-Identifier: MIT
#include "state/MonitorTool.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "monitor/CycleDate.h"
#include "monitor/CycleNetwork.h"
#include "monitor/MonitorOutput.h"
#include "monitor/MonitorReport.h"
#include "monitor/MonitorText.h"
#include "monitor/SettlementChart.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkOfBooks.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"
#include "runs/Station.h"
#include "state/OpenBook.h"
#include "state/WindowReasons.h"
#include "state/StationCheck.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>

namespace velmora {

namespace {

constexpr const char* kNone = "\u2014";

// The items of a typed list: split at `separators`, each trimmed, empty ones left out.
std::vector<std::string> Items(std::string_view text, std::string_view separators)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view item = TrimText(text.substr(start, end - start));
        if (!item.empty())
            items.emplace_back(item);
        start = end + 1;
    }
    return items;
}

// The benchmarks typed one a line, "P=H" or "P". False with `error`.
bool ReadBenchmarks(const std::string& text, std::vector<Benchmark>& benchmarks, std::string& error)
{
    for (const std::string& line : Items(text, "\r\n")) {
        const std::size_t equals = line.find('=');
        const std::string point(TrimText(std::string_view(line).substr(0, equals)));
        if (point.empty()) {
            error = Fill(Tr("the line '{1}' names no benchmark"), {Cp1251ToUtf8(line)});
            return false;
        }
        Benchmark benchmark{point, std::nullopt};
        if (equals != std::string::npos) {
            const std::string_view height = TrimText(std::string_view(line).substr(equals + 1));
            benchmark.height = TextToNumber(height);
            if (!std::isfinite(*benchmark.height)) {
                error = Fill(Tr("the height of benchmark {1} is no number: '{2}'"),
                             {Cp1251ToUtf8(point), Cp1251ToUtf8(height)});
                return false;
            }
        }
        if (std::any_of(benchmarks.begin(), benchmarks.end(),
                        [&point](const Benchmark& b) { return b.point == point; })) {
            error = Fill(Tr("benchmark {1} is named twice"), {Cp1251ToUtf8(point)});
            return false;
        }
        benchmarks.push_back(std::move(benchmark));
    }
    if (std::none_of(benchmarks.begin(), benchmarks.end(), [](const Benchmark& b) { return b.height.has_value(); })) {
        error = Tr("name at least one benchmark with its height, as F2=10,0");
        return false;
    }
    return true;
}

// The typed settings of a new project. False with `error`.
bool ReadSettings(const NewProjectInput& input, ProjectSettings& settings, std::string& error)
{
    if (!ReadBenchmarks(input.benchmarks, settings.monitor.benchmarks, error))
        return false;
    if (TrimText(input.marks) != TrimText(input.proposedMarks)) {
        settings.monitor.marks = Items(input.marks, ",;\r\n");
        if (settings.monitor.marks->empty()) {
            error = Tr("no mark is named; keep the proposed marks or name some");
            return false;
        }
    }
    if (input.sigmaMillimetres) {
        const double sigma = TextToNumber(TrimText(*input.sigmaMillimetres));
        if (!(sigma > 0) || !std::isfinite(sigma)) {
            error = Fill(Tr("σ wants a positive number of millimetres, not '{1}'"), {*input.sigmaMillimetres});
            return false;
        }
        settings.monitor.sigma = sigma / kMillimetresPerMetre;
    } else {
        settings.monitor.sigma = SigmaOfClass(CoefficientOf(input.toleranceClass));
        settings.className = ClassName(input.toleranceClass);
    }
    settings.monitor.alpha = TextToNumber(TrimText(input.alpha));
    if (!(settings.monitor.alpha > 0 && settings.monitor.alpha < 1)) {
        error = Fill(Tr("α wants a number between 0 and 1, not '{1}'"), {input.alpha});
        return false;
    }
    return true;
}

std::string Millimetres(const std::optional<double>& metres)
{
    return metres ? MonitorMillimetresText(*metres) : kNone;
}

std::string MillimetresADay(const std::optional<double>& metres)
{
    return metres ? ForPeople(FixedText(*metres * kMillimetresPerMetre, kMonitorRateDecimals)) : kNone;
}

}  // namespace

MonitorTool::MonitorTool() = default;
MonitorTool::~MonitorTool() = default;

const ProjectSettings& MonitorTool::settings() const
{
    static const ProjectSettings none;
    return project_ ? project_->settings() : none;
}

bool MonitorTool::Keep(bool made, std::unique_ptr<MonitorProject> project, const std::string& path,
                       const ProjectFailure& failure, std::string& error)
{
    if (!made) {
        error = failure.Text();
        return false;
    }
    project_ = std::move(project);
    path_ = path;
    Evaluate();
    return true;
}

bool MonitorTool::Create(const std::string& path, const NewProjectInput& input, std::string& error)
{
    ProjectSettings settings;
    if (!ReadSettings(input, settings, error))
        return false;
    auto project = std::make_unique<MonitorProject>();
    ProjectFailure failure;
    const bool made = project->Create(path, settings, failure);
    return Keep(made, std::move(project), path, failure, error);
}

bool MonitorTool::Open(const std::string& path, std::string& error)
{
    auto project = std::make_unique<MonitorProject>();
    ProjectFailure failure;
    const bool made = project->Open(path, failure);
    return Keep(made, std::move(project), path, failure, error);
}

void MonitorTool::Evaluate()
{
    result_ = {};
    evaluationError_.clear();
    if (project_ && !EvaluateMonitoring(project_->settings().monitor, project_->cycles(), result_, evaluationError_))
        result_ = {};
}

std::string MonitorTool::Caption() const
{
    if (!project_)
        return Tr("Settlement monitoring");
    // TRANSLATORS: the window's caption; {1} is the project file's name.
    return Fill(Tr("Settlement monitoring — {1}"), {std::filesystem::path(path_).filename().string()});
}

std::string MonitorTool::DefaultMarksText(const OpenBook& book, const std::vector<std::string>& runNumbers,
                                          const std::string& benchmarks)
{
    // The book as a cycle would take it: its recorded bytes.
    RecordList records;
    ParseMeasurementText(book.records().text(), records);
    const std::vector<RunStations> runs = WalkAllRuns(records);
    std::vector<const RunStations*> taken;
    for (const RunStations& run : runs) {
        if (std::find(runNumbers.begin(), runNumbers.end(), run.runNumber) != runNumbers.end())
            taken.push_back(&run);
    }
    std::vector<std::string> marks;
    CollectDefaultMarks(taken, marks);
    std::vector<std::string> named;
    for (const std::string& line : Items(benchmarks, "\r\n"))
        named.emplace_back(TrimText(std::string_view(line).substr(0, line.find('='))));
    std::string text;
    for (const std::string& mark : marks) {
        if (std::find(named.begin(), named.end(), mark) == named.end())
            text += (text.empty() ? "" : ", ") + mark;
    }
    return text;
}

std::string MonitorTool::ClassSigmaText(ToleranceClass toleranceClass)
{
    // TRANSLATORS: {1} is the class's name, {2} its σ in millimetres.
    return Fill(Tr("σ of 1 km from class {1}: {2} mm"),
                {ClassName(toleranceClass), SigmaMillimetresText(SigmaOfClass(CoefficientOf(toleranceClass)))});
}

std::string MonitorTool::ProposedProjectName(const std::string& bookPath)
{
    std::filesystem::path path(bookPath);
    path.replace_extension(".vtm");
    return path.string();
}

std::string MonitorTool::ProposedCycleDate(const std::string& bookPath)
{
    std::error_code error;
    std::time_t when = std::time(nullptr);
    const auto written = std::filesystem::last_write_time(bookPath, error);
    if (!error)
        when = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&when, &local);
    char day[16];
    std::strftime(day, sizeof day, "%Y-%m-%d", &local);
    return day;
}

bool MonitorTool::AddCycle(const OpenBook& book, const std::string& bookPath,
                           const std::vector<std::string>& runNumbers, const std::string& date, int& number,
                           std::string& error)
{
    if (!project_) {
        error = Tr("no project is open; open or create one first");
        return false;
    }
    if (!DayOfDate(date)) {
        error = NotADateText(date);
        return false;
    }
    if (runNumbers.empty()) {
        error = Tr("no run is listed");
        return false;
    }
    for (const std::string& run : runNumbers) {
        // The project keeps the book's bytes: an edit typed in the grid would be lost unseen.
        if (book.editedRuns().contains(run)) {
            error = Fill(Tr("readings of run {1} were edited in the grid; a cycle takes the field book as "
                            "it is recorded, go Back before the edits or leave the run out"),
                         {Cp1251ToUtf8(run)});
            return false;
        }
    }
    CycleInput cycle{date, {{NetworkBookName(bookPath, true), std::string(book.records().text())}}, std::nullopt};
    // The whole book is stored as such; only a part of it names its runs.
    RecordList records;
    ParseMeasurementText(book.records().text(), records);
    for (const RunStations& run : WalkAllRuns(records)) {
        if (std::find(runNumbers.begin(), runNumbers.end(), run.runNumber) == runNumbers.end()) {
            cycle.runs = runNumbers;
            break;
        }
    }
    // Computed with the others before it is stored: a cycle the core refuses is not kept.
    std::vector<CycleInput> cycles = project_->cycles();
    cycles.push_back(cycle);
    MonitoringResult result;
    if (!EvaluateMonitoring(project_->settings().monitor, cycles, result, error))
        return false;
    ProjectFailure failure;
    if (!project_->AddCycle(cycle, failure)) {
        error = failure.Text();
        return false;
    }
    for (const CycleResult& line : result.cycles) {
        if (line.input == cycles.size() - 1)
            number = line.number;
    }
    result_ = std::move(result);
    evaluationError_.clear();
    return true;
}

bool MonitorTool::RemoveCycle(int number, std::string& error)
{
    ProjectFailure failure;
    if (!project_ || !project_->RemoveCycle(number, failure)) {
        error = project_ ? failure.Text() : Tr("no project is open; open or create one first");
        return false;
    }
    Evaluate();
    return true;
}

std::vector<std::string> MonitorTool::CycleLines() const
{
    std::vector<std::string> lines;
    for (const CycleResult& cycle : result_.cycles) {
        std::string books;
        for (const std::string& book : cycle.books)
            books += (books.empty() ? "" : ", ") + Cp1251ToUtf8(book);
        // TRANSLATORS: {1} is a cycle ("cycle 2 (2022-03-04)"), {2} its field books.
        lines.push_back(Fill(Tr("{1}: {2}"), {CycleText(cycle.number, cycle.date), books}));
    }
    return lines;
}

std::string MonitorTool::CycleTestText(int number) const
{
    if (number < 1 || number > static_cast<int>(result_.cycles.size()))
        return {};
    const CycleResult& cycle = result_.cycles[static_cast<std::size_t>(number) - 1];
    std::string text = CycleText(cycle.number, cycle.date) + ": " + CycleSigmaText(cycle);
    for (const std::string& line : BenchmarkTestLines(cycle, [](const std::string& point) { return Cp1251ToUtf8(point); }))
        text += "\n" + line;
    return text;
}

std::string MonitorTool::CycleHeading(int number) const
{
    const CycleResult& cycle = result_.cycles.at(static_cast<std::size_t>(number) - 1);
    // TRANSLATORS: the heading of a cycle's columns in the settlement table: its number, its day.
    return Fill(Tr("cycle {1}\n{2}"), {std::to_string(cycle.number), cycle.date});
}

std::vector<SettlementRow> MonitorTool::SettlementRows() const
{
    const std::string alpha = ForPeople(ShortestText(settings().monitor.alpha));
    std::vector<SettlementRow> rows;
    for (const MonitoredPoint& point : result_.points) {
        SettlementRow row{Cp1251ToUtf8(point.point), point.benchmark, {}, {}};
        row.label = point.benchmark ? Fill(Tr("{1} (benchmark)"), {row.point}) : row.point;
        row.cycles.resize(result_.cycles.size());
        for (const PointInCycle& at : point.cycles) {
            const CycleResult& cycle = result_.cycles[static_cast<std::size_t>(at.cycle) - 1];
            SettlementCell cell;
            cell.height = ForPeople(FixedText(at.height, kMonitorHeightDecimals));
            const bool later = at.settlement.has_value();
            cell.settlement = Millimetres(at.settlement);
            cell.sinceFirst = later ? MonitorMillimetresText(at.sinceFirst) : kNone;
            cell.rate = MillimetresADay(at.rate);
            cell.significant = at.significant;
            cell.moved = std::find(cycle.movedBenchmarks.begin(), cycle.movedBenchmarks.end(), point.point) !=
                         cycle.movedBenchmarks.end();
            const std::string place = row.point + ", " + CycleText(cycle.number, cycle.date);
            if (!later) {
                // TRANSLATORS: {1} is a point and its cycle, {2} a height in metres, {3} its σ in mm.
                cell.tip = Fill(Tr("{1}: H = {2} m, σ {3} mm; the point's first cycle, its settlements are counted "
                                   "from here"),
                                {place, cell.height, MonitorMillimetresText(at.sigma)});
            } else {
                // TRANSLATORS: {2} to {5} are millimetres; {6} says whether the settlement is significant.
                cell.tip = Fill(Tr("{1}: since the previous cycle {2} mm, σ {3} mm; since the point's first "
                                   "cycle {4} mm, σ {5} mm: {6}"),
                                {place, cell.settlement, Millimetres(at.sigmaSettlement), cell.sinceFirst,
                                 MonitorMillimetresText(at.sigmaSinceFirst),
                                 Fill(at.significant ? Tr("significant at α = {1}") : Tr("not significant at α = {1}"),
                                      {alpha})});
            }
            if (cell.moved)
                cell.tip += std::string("\n") + Tr("this benchmark moved in this cycle: it is not held, it settles as a mark");
            row.cycles[static_cast<std::size_t>(at.cycle) - 1] = std::move(cell);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string MonitorTool::ChartSvg(std::size_t row) const
{
    return row < result_.points.size() ? StyledSettlementChartSvg(result_, result_.points[row]) : std::string();
}

bool MonitorTool::RefuseProject(const std::string& output, std::string& error) const
{
    if (!IsSameFile(output, path_))
        return false;
    error = Fill(Tr("{1} is the project itself; nothing is written over it"), {output});
    return true;
}

bool MonitorTool::SaveSheet(const std::string& output, const std::string& bookPath, std::string& error) const
{
    if (!project_ || RefuseProject(output, error))
        return false;
    const std::optional<OutputFormat> format = ToolResultsFormat(output, bookPath, error);
    if (!format)
        return false;
    std::string reason;
    if (SaveMonitorResults(output, *format, project_->settings(), result_, reason))
        return true;
    error = Fill(Tr("cannot write {1}: {2}"), {output, reason});
    return false;
}

bool MonitorTool::SaveReport(const std::string& output, const std::string& bookPath, std::string& error) const
{
    if (!project_ || RefuseProject(output, error))
        return false;
    return SaveReportPage(MonitorReportPage(project_->settings(), result_), output, bookPath, error);
}

std::string MonitorTool::ProposedOutputName(const std::string& ending) const
{
    std::filesystem::path path(path_);
    path.replace_extension(ending);
    return path.string();
}

}  // namespace velmora
