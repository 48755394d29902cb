// SPDX-License-Identifier: MIT
#pragma once

#include "quality/BookCheck.h"
#include "quality/StationChecks.h"
#include "runs/LevellingRun.h"

#include <string>
#include <vector>

namespace velmora {

class OpenBook;

/// The station check of some runs of the open book at the class in force, as the window's
/// "Контроль станций" shows it and its report writes it. It only reads the book.
class StationCheck {
public:
    /// Checks the runs of `runNumbers` (trimmed, as ToolRunNumbers gives them) in that order.
    StationCheck(OpenBook& book, const std::vector<std::string>& runNumbers);
    StationCheck(const StationCheck&) = delete;
    StationCheck& operator=(const StationCheck&) = delete;

    const std::string& className() const { return className_; }  ///< "I" … "IV"
    /// The class and its limits in one sentence, in the user's language: "Class II. Limits:
    /// sight 75.000 m, …".
    std::string LimitsText() const;
    const LevellingLimits& limits() const { return limits_; }
    /// One per run, in the order asked for; each points into this object.
    const std::vector<RunQuality>& qualities() const { return check_.qualities; }
    bool HasFindings() const;

    /// The texts of one run's row, in the user's language (UTF-8).
    struct Row {
        std::string run;         ///< as the field book writes it, converted
        std::string method;      ///< "BF", "BFFB"…; "—" when not known
        std::string stations;    ///< count, "—" for a run that cannot be read
        std::string length;      ///< metres, to the millimetre
        std::string misclosure;  ///< fh in millimetres; what the run is when it does not close
        std::string allowed;     ///< fh доп in millimetres; "—" when the run does not close
        bool beyondTolerance = false;  ///< fh is above fh доп, or the run cannot be read
        std::string instrument;  ///< the instrument's Sh and Db+Df and whether ours agree
        bool instrumentDisagrees = false;
        std::vector<std::string> findings;  ///< one line per check (FindingGroupText)
    };
    std::vector<Row> Rows() const;

    /// One pair of levellings of a section that the runs level twice, in the user's language
    /// (UTF-8): its cells under SectionHeadings, and whether d is above its limit.
    struct SectionRow {
        std::vector<std::string> cells;
        bool above = false;
    };
    /// Every pair of every section levelled more than once, in the order of the sections.
    std::vector<SectionRow> SectionRows() const;
    /// The headings of the pairs' table, in the user's language.
    static std::vector<std::string> SectionHeadings();

    /// The report page of these runs (ReportPage), titled after the book's file name.
    std::string ReportPage(std::string_view bookFileName) const;

private:
    struct Closure {
        RunStatus status = RunStatus::Empty;
        double allowed = 0;  ///< metres
    };
    Row RowOf(std::size_t index) const;

    std::string className_;
    double toleranceCoefficient_ = 0;
    LevellingLimits limits_;
    BookCheck check_;
    std::vector<Closure> closures_;
};

/// The report's name the save dialog proposes: the book's folder and name with ".html" in
/// place of its extension ("/data/PUSH0809.DAT" → "/data/PUSH0809.html").
std::string ProposedReportName(const std::string& bookPath);

/// Writes `page` to `output` whole or not at all. Refused when `output` is the field book
/// `bookPath` itself. False with `error` in the user's language (UTF-8).
bool SaveReportPage(const std::string& page, const std::string& output, const std::string& bookPath,
                    std::string& error);

}  // namespace velmora
