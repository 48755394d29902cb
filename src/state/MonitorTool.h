// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/MonitorProject.h"
#include "runs/ToleranceClass.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class OpenBook;

/// What the user types for a new monitoring project.
struct NewProjectInput {
    /// One benchmark a line, "F2=10,0" (a height with a decimal point or comma) or "F4";
    /// field-book bytes (Windows-1251).
    std::string benchmarks;
    /// Marks separated by commas, semicolons or line breaks (Windows-1251). Equal to
    /// `proposedMarks` (blanks aside): the default, every intermediate sight and run end of the
    /// cycles' books.
    std::string marks;
    std::string proposedMarks;  ///< what DefaultMarksText proposed
    /// σ of 1 km in millimetres as typed (UTF-8); nothing: from `toleranceClass`.
    std::optional<std::string> sigmaMillimetres;
    ToleranceClass toleranceClass = kStartClass;
    std::string alpha = "0.05";  ///< as typed (UTF-8)
};

/// One point in one cycle as the settlement table shows it (UTF-8, decimal comma).
struct SettlementCell {
    std::string height;      ///< metres
    std::string settlement;  ///< since the previous cycle, mm; "—" in the point's first cycle
    std::string sinceFirst;  ///< since the point's first cycle, mm; "—" there
    std::string rate;        ///< mm a day; "—" where no day passed or in the first cycle
    bool significant = false;  ///< the settlement since the first cycle: red
    bool moved = false;        ///< a benchmark that moved in this cycle
    std::string tip;  ///< σ of the settlements and the test the settlement passed or failed
};

/// One row of the settlement table: a point and its cells, one per cycle in number order
/// (nothing where the cycle did not measure it).
struct SettlementRow {
    std::string point;  ///< UTF-8
    bool benchmark = false;
    std::string label;  ///< the point as the window names it: "F4 (репер)" for a benchmark
    std::vector<std::optional<SettlementCell>> cycles;
};

/// The monitoring project the window "Мониторинг осадок" works on, beside the open book: the
/// project opened or created, the open book added as a cycle (its listed runs, or the selected
/// ones), a cycle removed, the results as the core computes them (EvaluateMonitoring) in the
/// texts the window shows, and the sheet and the page saved through the core's outputs. It only
/// reads the book. Messages are in the user's language (UTF-8).
class MonitorTool {
public:
    MonitorTool();
    ~MonitorTool();
    MonitorTool(const MonitorTool&) = delete;
    MonitorTool& operator=(const MonitorTool&) = delete;

    /// Creates the project file `path` with the settings typed. False with `error` when a
    /// setting cannot be read or the file cannot be made (one is there already, …).
    bool Create(const std::string& path, const NewProjectInput& input, std::string& error);
    /// Opens an existing project. False with `error` when it is no project or cannot be read;
    /// the project open before stays open then.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return project_ != nullptr; }
    const std::string& path() const { return path_; }
    const ProjectSettings& settings() const;
    /// The results of the cycles stored, empty when they could not be computed
    /// (`evaluationError` says why).
    const MonitoringResult& result() const { return result_; }
    const std::string& evaluationError() const { return evaluationError_; }

    /// "Мониторинг осадок — works.vtm", or without a name while no project is open.
    std::string Caption() const;
    /// The default marks of the runs `runNumbers` of the open book (as ToolRunNumbers gives
    /// them), without the benchmarks named in `benchmarks` (as NewProjectInput has them):
    /// "B01, B02, …" in Windows-1251.
    static std::string DefaultMarksText(const OpenBook& book, const std::vector<std::string>& runNumbers,
                                        const std::string& benchmarks);
    /// "σ of 1 km from class II: 2,50 mm", the σ a new project takes from the class.
    static std::string ClassSigmaText(ToleranceClass toleranceClass);
    /// The project the save dialog proposes: the book's folder and name with ".vtm".
    static std::string ProposedProjectName(const std::string& bookPath);
    /// The day a cycle of the book `bookPath` is proposed for: the file's modification day in
    /// local time, "YYYY-MM-DD" (today when the file cannot be asked).
    static std::string ProposedCycleDate(const std::string& bookPath);

    /// Stores the runs `runNumbers` of the open book `bookPath` (all its runs: the whole book)
    /// as a cycle of `date` ("YYYY-MM-DD"). Refused with `error`, nothing stored, when no
    /// project is open, the date is no date, no run is given, a run's readings were edited in
    /// the grid (a cycle keeps the book as it is recorded), the core cannot compute the cycle
    /// with the others (a run that cannot be read, no benchmark reached, …) or the project
    /// refuses it (the same book twice, …). The new cycle's number in `number`.
    bool AddCycle(const OpenBook& book, const std::string& bookPath,
                  const std::vector<std::string>& runNumbers, const std::string& date, int& number,
                  std::string& error);
    /// Removes the cycle of this number. False with `error`.
    bool RemoveCycle(int number, std::string& error);

    /// One line per cycle: "цикл 2 (2022-03-04): KO220304.DAT".
    std::vector<std::string> CycleLines() const;
    /// The benchmarks' test of cycle `number`, one line each (BenchmarkTestLines) after the
    /// cycle's name and σ₀.
    std::string CycleTestText(int number) const;
    /// The table's heading of cycle `number`: "цикл 2\n2022-03-04".
    std::string CycleHeading(int number) const;
    /// Every point of the results, benchmarks first, as the table shows them.
    std::vector<SettlementRow> SettlementRows() const;
    /// The chart of the point in row `row` of SettlementRows, as the report draws it with its
    /// style inside (StyledSettlementChartSvg), UTF-8.
    std::string ChartSvg(std::size_t row) const;

    /// The sheet (.xls, .xlsx) or the CSV rows (.csv) at `output`, as `monitor export` writes
    /// them. Refused with `error` over the open book `bookPath`, over the project and where
    /// ChooseOutput refuses the name.
    bool SaveSheet(const std::string& output, const std::string& bookPath, std::string& error) const;
    /// The report page at `output`, as `monitor report` writes it; refused over the open book
    /// and the project.
    bool SaveReport(const std::string& output, const std::string& bookPath, std::string& error) const;
    /// The sheet's and the page's names the save dialogs propose: the project's with `ending`.
    std::string ProposedOutputName(const std::string& ending) const;

private:
    // Takes `project` as the one open when it was `made` (created or opened), else says why.
    bool Keep(bool made, std::unique_ptr<MonitorProject> project, const std::string& path,
              const ProjectFailure& failure, std::string& error);
    void Evaluate();
    bool RefuseProject(const std::string& output, std::string& error) const;

    std::unique_ptr<MonitorProject> project_;
    std::string path_;
    MonitoringResult result_;
    std::string evaluationError_;
};

}  // namespace velmora
