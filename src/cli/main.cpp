// SPDX-License-Identifier: MIT
// velmora-tesk-cli: the field-book core on the command line, for batch work and scripts.

#include "cli/Command.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Translation.h"

#include "Version.h"

#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  velmora-tesk-cli runs [--class I|II|III|IV] [--json] FILE\n"
    "      Print the run list of a field book, one entry per line, as the main window shows\n"
    "      it (a trailing blank marks a run above tolerance). Default class II.\n"
    "      --json prints each entry with its run number, status (empty, open, within, above,\n"
    "      unreadable), misclosure, run length and allowed misclosure in metres.\n"
    "  velmora-tesk-cli save [--delete R[,R...]] --output OUT FILE\n"
    "      Write the field book as \"save to file\" does after the named runs were deleted\n"
    "      from the list: the lines of the remaining runs and the lines without a run number,\n"
    "      unchanged, each ended by CR LF.\n"
    "  velmora-tesk-cli export [--class I|II|III|IV] [--start POINT] [--height H]\n"
    "                          [--runs R[,R...]] --output OUT.xls|OUT.xlsx FILE\n"
    "      Adjust the selected runs (default: all; --runs '' selects none) from the start\n"
    "      point at height H (default 1000; point or comma) and write the point heights to an\n"
    "      Excel 97-2003 (.xls) or Office Open XML (.xlsx) workbook. The start point defaults\n"
    "      to the smallest point number of the selected runs.\n"
    "  velmora-tesk-cli adjust [--fixed P=H[,P=H...]] [--fixed-file LIST] [--nodes P[,P...]]\n"
    "                          [--runs R[,R...]] [--class I|II|III|IV] [--sigma S] [--json]\n"
    "                          [--all-points] [--output OUT.xls|OUT.xlsx|OUT.csv] FILE...\n"
    "      Adjust the selected runs (default: all) of one or more field books as a levelling\n"
    "      network by least squares, holding the fixed points at their heights (metres; point\n"
    "      or comma; LIST: one \"POINT HEIGHT\" a line, # comments). The nodes of the network\n"
    "      are the first and last points of the runs, the fixed points and those named with\n"
    "      --nodes; every other point is a turning point of its own run, whatever its number.\n"
    "      The stations between two nodes form a section, weighted 1/L (L in km); S, the\n"
    "      standard deviation of 1 km in metres, defaults to half the class's coefficient.\n"
    "      Prints the catalogue of nodes, sigma0 and the chi-square test, the sections and the\n"
    "      stations with residuals and standardized residuals w (outlier when |w| > 3.29);\n"
    "      --all-points adds the turning points and intermediate sights; --json as JSON;\n"
    "      --output writes a workbook, or for .csv the catalogue alone. A number used for two\n"
    "      places of a run, and a run passing through a node, are warned about.\n"
    "  velmora-tesk-cli check [--class I|II|III|IV] [--json] [LIMITS] FILE\n"
    "      Check every station of every run against the class's limits (default class II):\n"
    "      sight length, station and cumulative imbalance of back and fore lengths, the two\n"
    "      readings of one sight, the instrument's own Sh and Db+Df sums, and whether the\n"
    "      method reads every sight twice where the class asks for it. One line per run, one\n"
    "      indented line per finding; --json prints the figures and findings of each run.\n"
    "      LIMITS, in metres: --max-sight M, --max-station-imbalance M,\n"
    "      --max-cumulative-imbalance M, --max-double-reading M; --allow-single-readings.\n"
    "  velmora-tesk-cli report [--class I|II|III|IV] [LIMITS] --output REPORT.html FILE\n"
    "      Write the same checks as one self-contained HTML page, with a profile of each run.\n"
    "  velmora-tesk-cli --help | --version\n"
    "\n"
    "FILE is a field book of either make, told apart by its content: a Trimble DiNi book\n"
    "(.DAT, M5 or plain layout) or a Leica levelling book in the GSI-8 or GSI-16 format\n"
    "(.gsi: DNA03, DNA10, LS10/LS15, Sprinter), whose runs are numbered by their place.\n"
    "A Leica book is saved with its own line ends.\n"
    "FILE may be - for standard input, and --output - writes to standard output (an .xls\n"
    "workbook for export). Run numbers and start points typed in a UTF-8 locale are converted\n"
    "to the field book's Windows-1251. In the lists of --delete, --runs, --fixed and --nodes a\n"
    "backslash escapes a comma, an equals sign or itself (--delete 'A\\,1').\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be read or written or the memory ran out,\n"
    "2 wrong usage, 3 the workbook was saved but some selected runs could not be linked.\n"
    "4 check or report found limits broken, 70 an internal error (a fault of the program).\n";

// The usage or the version on standard output; a closed or full output is an error.
int PrintAnswer(const std::string& text)
{
    errno = 0;
    std::cout << text << std::flush;
    if (std::cout)
        return velmora::cli::kSuccess;
    std::cerr << "velmora-tesk-cli: cannot write to standard output"
              << (errno ? ": " + velmora::FailureText(errno) : std::string()) << "\n";
    return velmora::cli::kFileError;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace velmora::cli;
    velmora::KeepStandardDescriptorsTaken();
    velmora::UseUserLanguage(velmora::ProgramLocaleFolder());
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h")
            return PrintAnswer(kUsage);
        if (arg == "--version")
            return PrintAnswer(std::string(velmora::kProgramNameAndVersion) + "\n");
    }
    try {
        if (args.empty())
            throw UsageError{"no command given"};
        const std::string command = args.front();
        args.erase(args.begin());
        if (command == "runs")
            return RunRunsCommand(args, std::cout, std::cerr);
        if (command == "save")
            return RunSaveCommand(args, std::cout, std::cerr);
        if (command == "export")
            return RunExportCommand(args, std::cout, std::cerr);
        if (command == "adjust")
            return RunAdjustCommand(args, std::cout, std::cerr);
        if (command == "check")
            return RunCheckCommand(args, std::cout, std::cerr);
        if (command == "report")
            return RunReportCommand(args, std::cout, std::cerr);
        throw UsageError{"unknown command '" + command + "'"};
    } catch (...) {
        return ReportFailure(std::current_exception(), kUsage, FieldBookInUse(), std::cerr);
    }
}
