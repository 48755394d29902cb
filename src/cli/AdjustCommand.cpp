// SPDX-License-Identifier: MIT
#include "cli/AdjustReport.h"
#include "cli/Command.h"

#include "export/Export.h"
#include "network/NetworkWorkbookLayout.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkObservations.h"
#include "runs/Station.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace velmora::cli {

namespace {

// The a-priori standard deviation of 1 km from the class: the allowed misclosure is taken as
// twice the standard deviation.
constexpr double kAllowedMisclosuresPerSigma = 2;

struct AdjustOptions {
    std::vector<std::string> books;
    std::vector<FixedHeight> fixed;
    std::vector<std::string> nodes;
    std::optional<std::vector<std::string>> runs;
    double sigma = 0;
    std::string output;  ///< empty: none
    bool json = false;
    bool allPoints = false;
};

// Adds a fixed height; a point given twice must be given at one height.
void AddFixedHeight(FixedHeight known, std::vector<FixedHeight>& fixed)
{
    if (known.point.empty())
        throw UsageError{"a fixed height names no point"};
    if (!std::isfinite(known.height))
        throw UsageError{"the height of fixed point " + EscapeControlCharacters(TerminalText(known.point)) +
                         " is no number"};
    for (const FixedHeight& other : fixed) {
        if (other.point == known.point) {
            if (other.height == known.height)
                return;
            throw UsageError{"point " + EscapeControlCharacters(TerminalText(known.point)) +
                             " is fixed twice"};
        }
    }
    fixed.push_back(std::move(known));
}

// "P=H,P=H…" with heights in metres (point or comma). A piece without "=" continues the height
// before it after a decimal comma: "A=100,5,B=101" holds A at 100.5. A point whose name holds
// "," or "=" escapes them: "A\,1=100".
void FixedHeightsOption(const std::string& text, std::vector<FixedHeight>& fixed)
{
    std::vector<ListItem> pieces;
    for (ListItem& piece : SplitListItems(text)) {
        if (piece.equals == std::string::npos && !pieces.empty())
            pieces.back().text += "," + piece.text;
        else
            pieces.push_back(std::move(piece));
    }
    for (const ListItem& piece : pieces) {
        const std::string_view whole = piece.text;
        if (piece.equals == std::string::npos)
            throw UsageError{"--fixed wants POINT=HEIGHT, not '" + EscapeControlCharacters(whole) + "'"};
        const std::string point(TrimText(whole.substr(0, piece.equals)));
        if (point.empty())
            throw UsageError{"--fixed names no point in '" + EscapeControlCharacters(whole) + "'"};
        const std::string_view heightText = whole.substr(piece.equals + 1);
        const double height = TextToNumber(heightText);
        if (!std::isfinite(height))
            throw UsageError{"the height of fixed point " + EscapeControlCharacters(TerminalText(point)) +
                             " is no number: '" + EscapeControlCharacters(heightText) + "'"};
        AddFixedHeight({point, height}, fixed);
    }
}

// A line of a list file as the field book writes its texts: UTF-8 that Windows-1251 can hold is
// converted, anything else is taken as Windows-1251 already.
std::string ListFileText(const std::string& line)
{
    std::string converted = Utf8ToCp1251(line);
    return Cp1251ToUtf8(converted) == line ? converted : line;
}

// --fixed-file: "POINT HEIGHT" a line, separated by blanks, a tab or ";"; "#" starts a comment.
void FixedHeightsFile(const std::string& path, std::vector<FixedHeight>& fixed)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw UsageError{"--fixed-file " + EscapeControlCharacters(path) + " cannot be read"};
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::replace_if(line.begin(), line.end(), [](char c) { return c == ';' || c == '\t' ||
                                                                       c == '\r'; }, ' ');
        std::istringstream words(ListFileText(line));
        std::string point, height, extra;
        if (!(words >> point))
            continue;
        const std::string where = EscapeControlCharacters(path) + " line " + std::to_string(number);
        if (!(words >> height) || (words >> extra))
            throw UsageError{where + " is not POINT HEIGHT"};
        const double value = TextToNumber(height);
        if (!std::isfinite(value))
            throw UsageError{where + ": the height '" + EscapeControlCharacters(height) + "' is no number"};
        AddFixedHeight({point, value}, fixed);
    }
    if (file.bad())
        throw UsageError{"--fixed-file " + EscapeControlCharacters(path) + " cannot be read"};
}

AdjustOptions ParseAdjustOptions(const std::vector<std::string>& args)
{
    const Arguments arguments(
        args, {"--fixed", "--fixed-file", "--nodes", "--runs", "--class", "--sigma", "--output"},
        {"--json", "--all-points"});
    AdjustOptions options;
    options.books = arguments.positional();
    if (options.books.empty())
        throw UsageError{"adjust needs a field book"};
    if (std::count(options.books.begin(), options.books.end(), "-") > 1)
        throw UsageError{"standard input (-) can be read only once"};
    if (arguments.HasValue("--fixed"))
        FixedHeightsOption(BookTextOption(arguments.Value("--fixed")), options.fixed);
    if (arguments.HasValue("--fixed-file"))
        FixedHeightsFile(arguments.Value("--fixed-file"), options.fixed);
    if (options.fixed.empty())
        throw UsageError{"adjust needs --fixed POINT=HEIGHT[,POINT=HEIGHT...] or --fixed-file FILE"};
    for (const std::string& node : SplitList(BookTextOption(arguments.Value("--nodes")))) {
        if (!TrimText(node).empty())
            options.nodes.emplace_back(TrimText(node));
    }
    if (arguments.HasValue("--runs"))
        options.runs = SplitList(BookTextOption(arguments.Value("--runs")));
    options.sigma = ToleranceCoefficientOption(arguments) / kAllowedMisclosuresPerSigma;
    if (arguments.HasValue("--sigma")) {
        const std::string text = arguments.Value("--sigma");
        options.sigma = TextToNumber(text);
        if (!(options.sigma > 0) || !std::isfinite(options.sigma))
            throw UsageError{"--sigma wants a positive number of metres, not '" +
                             EscapeControlCharacters(text) + "'"};
    }
    if (arguments.HasValue("--output") && arguments.Value("--output").empty())
        throw UsageError{"--output names no file"};
    options.output = arguments.Value("--output");
    options.json = arguments.Has("--json");
    options.allPoints = arguments.Has("--all-points");
    return options;
}

// The name of a book in messages, the JSON and the workbook: its file name without folders, in
// the field book's own encoding.
std::string BookLabel(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return BookTextOption(slash == std::string::npos ? path : path.substr(slash + 1));
}

// The runs of one book that the options select.
std::vector<const RunStations*> SelectRuns(const AdjustOptions& options,
                                           const std::vector<RunStations>& runs,
                                           std::unordered_set<std::string>& namedRunsFound)
{
    std::vector<const RunStations*> selected;
    for (const RunStations& run : runs) {
        if (!options.runs) {
            selected.push_back(&run);
            continue;
        }
        for (const std::string& number : *options.runs) {
            if (TrimText(number) == run.runNumber) {
                selected.push_back(&run);
                namedRunsFound.insert(run.runNumber);
                break;
            }
        }
    }
    return selected;
}

// Reads every book into `network`; false (after the message) when a book cannot be read. The
// points of all books, whichever runs are selected, go into `bookPoints`.
bool ReadBooks(const AdjustOptions& options, LevellingNetwork& network,
               std::unordered_set<std::string>& bookPoints, std::ostream& err)
{
    network.books.clear();
    std::unordered_set<std::string> namedRunsFound;
    for (const std::string& path : options.books) {
        OpenBook& book = CommandBook();
        if (!OpenFieldBook(path, book, err))
            return false;
        const std::vector<RunStations> runs = WalkAllRuns(book.records());
        for (const RunStations& run : runs) {
            for (const Station& station : run.stations) {
                bookPoints.insert(station.backPoint);
                bookPoints.insert(station.forePoint);
                for (const Sight& sight : station.intermediates)
                    bookPoints.insert(std::string(TrimText(sight.point)));
            }
        }
        network.books.push_back(BookLabel(path));
        std::string error;
        if (!NetworkOfRuns(book.records(), SelectRuns(options, runs, namedRunsFound),
                           network.books.size() - 1, network, error)) {
            err << "velmora-tesk-cli: cannot adjust " << EscapeControlCharacters(path) << ": "
                << EscapeControlCharacters(TerminalText(error)) << "\n";
            return false;
        }
    }
    if (options.runs) {
        for (const std::string& number : *options.runs) {
            if (!namedRunsFound.count(std::string(TrimText(number))))
                throw UsageError{"run " + EscapeControlCharacters(TerminalText(TrimText(number))) +
                                 " is not in " + (options.books.size() == 1
                                                      ? EscapeControlCharacters(options.books.front())
                                                      : std::string("any of the field books"))};
        }
    }
    return true;
}

// Writes the workbook, or the catalogue alone as CSV.
bool WriteAdjustOutput(const std::string& output, OutputFormat format,
                       const LevellingNetwork& network, const NetworkAdjustment& result,
                       std::ostream& err)
{
    std::string error;
    bool saved;
    if (format == OutputFormat::Csv) {
        AtomicFile file(output);
        saved = file.Open(error) && file.Write(AdjustCatalogueCsv(result), error) &&
                file.Commit(error);
    } else {
        const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(format);
        WriteNetworkWorkbook(*workbook, network, result);
        saved = workbook->Save(output, error);
    }
    if (!saved)
        err << "velmora-tesk-cli: cannot write " << EscapeControlCharacters(output) << ": " << error << "\n";
    return saved;
}

}  // namespace

int RunAdjustCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const AdjustOptions options = ParseAdjustOptions(args);
    // Refused before any book is read: a workbook must never land on a field book.
    const OutputFormat outputFormat =
        options.output.empty() ? OutputFormat::Xls
                               : RefuseOutput(options.output, OutputKind::WorkbookOrCatalogue,
                                              options.books);
    LevellingNetwork network;
    std::unordered_set<std::string> bookPoints;
    if (!ReadBooks(options, network, bookPoints, err))
        return kFileError;
    // Every fixed point must be a point of a book, whichever runs are selected.
    for (const FixedHeight& known : options.fixed) {
        if (!bookPoints.count(known.point))
            throw UsageError{"fixed point " + EscapeControlCharacters(TerminalText(known.point)) +
                             " is not in " + (options.books.size() == 1
                                                  ? EscapeControlCharacters(options.books.front())
                                                  : std::string("any of the field books"))};
    }
    network.nodes = options.nodes;

    NetworkAdjustment result;
    std::string error;
    if (!AdjustNetwork(network, options.fixed, options.sigma, result, error)) {
        err << "velmora-tesk-cli: cannot adjust "
            << (options.books.size() == 1 ? EscapeControlCharacters(options.books.front()) : "the network")
            << ": " << EscapeControlCharacters(TerminalText(error)) << "\n";
        return kFileError;
    }
    if (!options.output.empty() && !WriteAdjustOutput(options.output, outputFormat, network, result, err))
        return kFileError;
    // The workbook alone goes to standard output when it is the output.
    if (options.output != "-") {
        if (options.json)
            WriteAdjustJson(network, result, out);
        else
            WriteAdjustText(network, result, options.allPoints, out);
    }
    WriteWarnings(network, result, err);
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: cannot write the results to standard output\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
