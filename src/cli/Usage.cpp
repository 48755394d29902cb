// SPDX-License-Identifier: MIT
#include "cli/Usage.h"

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <algorithm>
#include <array>
#include <vector>

namespace velmora::cli {

namespace {

constexpr std::string_view kProgram = "velmora-tesk-cli";

struct CommandUsage {
    std::string_view name;
    std::string_view synopsis;  ///< its lines, two blanks in, as the manual page writes them
    const char* description;    ///< English lines, not indented; translated when shown
};

// TRANSLATORS: the descriptions of the commands below are shown under each command's synopsis,
// every line indented by six blanks: keep the lines under 75 characters.
constexpr std::array kCommands = {
    CommandUsage{"runs", "  velmora-tesk-cli runs [--class I|II|III|IV] [--json] FILE\n",
                 N_("Print the run list of a field book, one entry per line, as the main window shows\n"
                    "it (a trailing blank marks a run above tolerance). Default class II.\n"
                    "--json prints each entry with its run number, status (empty, open, within, above,\n"
                    "unreadable), misclosure, run length and allowed misclosure in metres.\n")},
    CommandUsage{"save", "  velmora-tesk-cli save [--delete R[,R...]] --output OUT FILE\n",
                 N_("Write the field book as \"save to file\" does after the named runs were deleted\n"
                    "from the list: the lines of the remaining runs and the lines without a run number,\n"
                    "unchanged, each ended by CR LF.\n")},
    CommandUsage{"export",
                 "  velmora-tesk-cli export [--class I|II|III|IV] [--start POINT] [--height H]\n"
                 "                          [--runs R[,R...]] --output OUT.xls|OUT.xlsx FILE\n",
                 N_("Adjust the selected runs (default: all; --runs '' selects none) from the start\n"
                    "point at height H (default 1000; point or comma) and write the point heights to an\n"
                    "Excel 97-2003 (.xls) or Office Open XML (.xlsx) workbook. The start point defaults\n"
                    "to the smallest point number of the selected runs.\n")},
    CommandUsage{"adjust",
                 "  velmora-tesk-cli adjust [--fixed P=H[,P=H...]] [--fixed-file LIST] [--nodes P[,P...]]\n"
                 "                          [--runs R[,R...]] [--class I|II|III|IV] [--sigma S]\n"
                 "                          [--max-section-difference K] [--rod-scale PPM] [--json]\n"
                 "                          [--all-points] [--output OUT.xls|OUT.xlsx|OUT.csv] FILE...\n",
                 N_("Adjust the selected runs (default: all) of one or more field books as a levelling\n"
                    "network by least squares, holding the fixed points at their heights (metres; point\n"
                    "or comma; LIST: one \"POINT HEIGHT\" a line, # comments). The nodes of the network\n"
                    "are the first and last points of the runs, the fixed points and those named with\n"
                    "--nodes; every other point is a turning point of its own run, whatever its number.\n"
                    "The stations between two nodes form a section, weighted 1/L (L in km); S, the\n"
                    "standard deviation of 1 km in metres, defaults to half the class's coefficient.\n"
                    "Prints the catalogue of nodes, sigma0 and the chi-square test, the sections and the\n"
                    "stations with residuals and standardized residuals w (outlier when |w| > 3.29);\n"
                    "--all-points adds the turning points and intermediate sights; --json as JSON;\n"
                    "--output writes a workbook, or for .csv the catalogue alone. A number used for two\n"
                    "places of a run, a run passing through a node, a run whose stations do not follow\n"
                    "on from each other and a run given twice in two books are warned about. --runs\n"
                    "BOOK:RUN chooses one book's run; S lies between 0.000001 and 1. --rod-scale as\n"
                    "for check.\n")},
    CommandUsage{"check", "  velmora-tesk-cli check [--class I|II|III|IV] [--json] [LIMITS] [--rod-scale PPM] FILE\n",
                 N_("Check every station of every run against the class's limits (default class II):\n"
                    "that it begins where the station before ended, sight length, station and\n"
                    "cumulative imbalance of back and fore lengths, the two\n"
                    "readings of one sight, the instrument's own Sh and Db+Df sums, and whether the\n"
                    "method reads every sight twice where the class asks for it. One line per run with\n"
                    "its misclosure fh and the allowed fh in millimetres, one indented line per finding;\n"
                    "--json prints the figures and findings of each run.\n"
                    "LIMITS, in metres: --max-sight M, --max-station-imbalance M,\n"
                    "--max-cumulative-imbalance M, --max-double-reading M; --allow-single-readings;\n"
                    "--max-section-difference K (mm per root km) for a section levelled twice, each\n"
                    "pair of which gets a line. --rod-scale PPM corrects every reading, and so every\n"
                    "height difference h by h*PPM/1000000, for the rods' scale from their certificate\n"
                    "(parts per million, -1000 to 1000); the results say so.\n")},
    CommandUsage{"report",
                 "  velmora-tesk-cli report [--class I|II|III|IV] [LIMITS] [--rod-scale PPM]\n"
                 "      [--fixed P=H[,P=H...]] [--fixed-file LIST] --output REPORT.html FILE...\n",
                 N_("Write a levelling report of the books as one self-contained HTML page for A4, in the\n"
                    "user's language: the runs with fh against fh allowed, the findings grouped, the\n"
                    "stations, a profile of each run; with --fixed or --fixed-file the network adjusted\n"
                    "as adjust does it. --rod-scale as for check.\n")},
    CommandUsage{"monitor",
                 "  velmora-tesk-cli monitor create PROJECT --benchmarks P=H[,P[=H]...] [--marks M[,M...]]\n"
                 "                          [--class I|II|III|IV | --sigma S] [--alpha A]\n"
                 "  velmora-tesk-cli monitor add PROJECT --date YYYY-MM-DD [--runs R[,R...]]\n"
                 "                          [--rod-scale PPM] FILE...\n"
                 "  velmora-tesk-cli monitor remove PROJECT --cycle N\n"
                 "  velmora-tesk-cli monitor show [--json] PROJECT\n"
                 "  velmora-tesk-cli monitor report PROJECT --output PAGE.html\n"
                 "  velmora-tesk-cli monitor export PROJECT --output OUT.xls|OUT.xlsx|OUT.csv\n",
                 N_("Settlement monitoring: the same marks levelled again and again from the same\n"
                    "benchmarks. create starts a project file (any name; .vtm is usual) with its\n"
                    "benchmarks (at least one with a height in metres, decimal point; the others take\n"
                    "their heights from cycle 1), its marks (default: every point sighted as an\n"
                    "intermediate sight or beginning or ending a run that is no benchmark), sigma of\n"
                    "1 km (default from class II) and alpha (default 0.05). add stores one cycle: the\n"
                    "day and the field books themselves (a book already in the project is refused) and\n"
                    "prints its results; remove deletes cycle N. Cycles are numbered by date. Every\n"
                    "reading is adjusted with one instrument horizon per station; cycle 1 holds the\n"
                    "benchmarks with heights, every later cycle tests its benchmarks against cycle 1\n"
                    "(chi-square at alpha), holds those that stayed and names those that moved. show\n"
                    "prints each cycle and, for every point and cycle, its height, the settlement since\n"
                    "the previous and since the first cycle (mm) and the rate (mm a day); * marks a\n"
                    "settlement larger than its error allows. --json gives every figure in metres.\n"
                    "export writes the settlement sheet for the client (.xls, .xlsx; red where\n"
                    "significant) with sheets of the benchmarks and the cycles, or one CSV row per\n"
                    "point and cycle. report writes those tables and a chart of settlement against\n"
                    "time for every mark as one HTML page for A4 in the user's language. add\n"
                    "--rod-scale corrects the cycle's readings as for check; the cycle says so.\n")},
};

constexpr std::string_view kHelpSynopsis = "  velmora-tesk-cli help [COMMAND]\n";
constexpr std::string_view kOptionsSynopsis = "  velmora-tesk-cli --help | --version\n";

const CommandUsage* FindCommand(std::string_view name)
{
    for (const CommandUsage& command : kCommands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

// Each line of a translated description six blanks in, under its synopsis.
std::string Indented(std::string_view text)
{
    std::string indented;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        end = end == std::string_view::npos ? text.size() : end + 1;
        indented += "      ";
        indented += text.substr(begin, end - begin);
        begin = end;
    }
    if (!indented.empty() && indented.back() != '\n')
        indented += '\n';
    return indented;
}

std::string CommandPart(const CommandUsage& command)
{
    return std::string(command.synopsis) + Indented(Tr(command.description));
}

// Letters to add, remove or change to turn one word into the other.
std::size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string BookFormatsText(const std::vector<const BookFormat*>& formats)
{
    std::string list;
    std::string saving;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const char* const usage = Tr(formats[i]->usage);
        if (i == 0)
            list = usage;
        else if (i + 1 < formats.size())
            list.append(", ").append(usage);
        else
            // TRANSLATORS: the last two of the list of book formats the tool reads.
            list = Fill(Tr("{1} or {2}"), {list, usage});
        if (formats[i]->saving)
            saving += Tr(formats[i]->saving);
    }
    // TRANSLATORS: {1} is the list of the book formats the tool reads ("a Trimble DiNi book
    // (...) or a Leica levelling book (...)"), {2} the sentences on how some are saved.
    const char* const paragraph =
        formats.size() == 2 ? Tr("FILE is a field book of either make, told apart by its content: {1}.\n{2}")
                            : Tr("FILE is a field book of any of these makes, told apart by its content: {1}.\n{2}");
    return Fill(paragraph, {list, saving});
}

bool IsCommand(std::string_view name)
{
    return FindCommand(name) != nullptr;
}

std::string UsageText()
{
    std::string text = Tr("Usage:");
    text += '\n';
    for (const CommandUsage& command : kCommands)
        text += CommandPart(command);
    text += kHelpSynopsis;
    text += Indented(Tr("Print the usage of one command, as COMMAND --help does, or of all.\n"));
    text += kOptionsSynopsis;
    text += '\n';
    text += BookFormatsText(BookFormats());
    text += Tr("FILE may be - for standard input, and --output - writes to standard output (an .xls\n"
               "workbook for export). Run numbers and start points typed in a UTF-8 locale are converted\n"
               "to the field book's Windows-1251. In the lists of --delete, --runs, --fixed and --nodes a\n"
               "backslash escapes a comma, an equals sign or itself (--delete 'A\\,1').\n");
    text += Tr("Given again, a list option adds its list to those before it (--delete 21 --delete 22\n"
               "deletes both runs); any other option given twice with different values is wrong usage,\n"
               "and so is one field book given twice.\n");
    text += '\n';
    text += Tr("Messages are in the language that LANGUAGE, LC_ALL, LC_MESSAGES or LANG choose\n"
               "(Russian or English; LC_ALL=C for English); what --json, the tables and the files\n"
               "hold is the same in every language.\n");
    text += '\n';
    // TRANSLATORS: keep the numbers each followed by a blank after a colon or a comma: a test
    // reads the exit statuses from this text.
    text += Tr("Exit status: 0 success, 1 a file could not be read or written or the memory ran out,\n"
               "2 wrong usage, 3 the workbook was saved but some selected runs could not be linked,\n"
               "4 check or report found limits broken, 70 an internal error (a fault of the program).\n");
    return text;
}

std::string CommandUsageText(std::string_view command)
{
    const CommandUsage* found = FindCommand(command);
    if (!found)
        return {};
    return std::string(Tr("Usage:")) + '\n' + CommandPart(*found);
}

std::string NearestCommand(std::string_view typed)
{
    std::string nearest;
    std::size_t best = 3;
    auto consider = [&](std::string_view name) {
        const std::size_t distance = EditDistance(typed, name);
        if (distance < best && distance < name.size()) {
            best = distance;
            nearest = name;
        }
    };
    for (const CommandUsage& command : kCommands)
        consider(command.name);
    consider("help");
    return nearest;
}

std::string UnknownCommandText(std::string_view typed)
{
    const std::string shown = ControlCharactersShown(typed);
    const std::string nearest = NearestCommand(typed);
    if (nearest.empty())
        return Fill(Tr("unknown command '{1}'"), {shown});
    return Fill(Tr("unknown command '{1}'; did you mean '{2}'?"), {shown, nearest});
}

std::string SeeHelpText(std::string_view command)
{
    const std::string help = IsCommand(command)
                                 ? std::string(kProgram) + " " + std::string(command) + " --help"
                                 : std::string(kProgram) + " --help";
    // TRANSLATORS: the line after a usage error; {1} is a command such as
    // "velmora-tesk-cli runs --help".
    return Fill(Tr("see {1}"), {help});
}

}  // namespace velmora::cli
