// SPDX-License-Identifier: MIT
#include "cli/AdjustBooks.h"
#include "cli/AdjustReport.h"
#include "cli/Command.h"

#include "export/Export.h"
#include "network/NetworkWorkbookLayout.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/FixedHeights.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkObservations.h"
#include "network/NetworkOutput.h"
#include "runs/Station.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <unordered_map>
#include <unordered_set>

namespace velmora::cli {

namespace {

struct AdjustOptions {
    std::vector<std::string> books;
    std::vector<FixedHeight> fixed;
    std::vector<std::string> nodes;
    std::optional<std::vector<std::string>> runs;
    double sigma = 0;
    std::string className;  ///< the class whose tolerance gave `sigma`
    std::string output;  ///< empty: none
    bool json = false;
    bool allPoints = false;
};

// The command line's words for a fixed height that was not taken.
[[noreturn]] void RefuseFixedHeight(const FixedHeightsFailure& failure, const std::string& path = {})
{
    using Kind = FixedHeightsFailure::Kind;
    const std::string point = ControlCharactersShown(TerminalText(failure.point));
    const std::string file = ControlCharactersShown(path);
    const std::string line = std::to_string(failure.line);
    switch (failure.kind) {
    case Kind::NoPoint:
        throw UsageError{Tr("a fixed height names no point")};
    case Kind::NoNumber:
        if (failure.line > 0)
            throw UsageError{Fill(Tr("{1} line {2}: the height '{3}' is no number"),
                                  {file, line, ControlCharactersShown(failure.text)})};
        throw UsageError{Fill(Tr("the height of fixed point {1} is no number"), {point})};
    case Kind::FixedTwice:
        throw UsageError{Fill(Tr("point {1} is fixed twice"), {point})};
    case Kind::NotPointHeight:
        throw UsageError{Fill(Tr("{1} line {2} is not POINT HEIGHT"), {file, line})};
    case Kind::CannotRead:
    case Kind::None:
        break;
    }
    throw UsageError{Fill(Tr("--fixed-file {1} cannot be read"), {ControlCharactersShown(path)})};
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
            throw UsageError{Fill(Tr("--fixed wants POINT=HEIGHT, not '{1}'"), {ControlCharactersShown(whole)})};
        const std::string point(TrimText(whole.substr(0, piece.equals)));
        if (point.empty())
            throw UsageError{Fill(Tr("--fixed names no point in '{1}'"), {ControlCharactersShown(whole)})};
        const std::string_view heightText = whole.substr(piece.equals + 1);
        const double height = TextToNumber(heightText);
        if (!std::isfinite(height))
            throw UsageError{Fill(Tr("the height of fixed point {1} is no number: '{2}'"),
                                  {ControlCharactersShown(TerminalText(point)),
                                   ControlCharactersShown(heightText)})};
        FixedHeightsFailure failure;
        if (!AddFixedHeight({point, height}, fixed, failure))
            RefuseFixedHeight(failure);
    }
}

// A run or point (Windows-1251) that none of the books holds, in words: `one` names the book
// when there is one, `several` says none of them.
std::string NotInBooksText(const char* one, const char* several, std::string_view bookText,
                           const std::vector<std::string>& books)
{
    const std::string shown = ControlCharactersShown(TerminalText(bookText));
    if (books.size() == 1)
        return Fill(one, {shown, ControlCharactersShown(books.front())});
    return Fill(several, {shown});
}

// --fixed-file: "POINT HEIGHT" a line (ReadFixedHeights).
void FixedHeightsFile(const std::string& path, std::vector<FixedHeight>& fixed)
{
    FixedHeightsFailure failure;
    if (!ReadFixedHeightsFile(path, fixed, failure))
        RefuseFixedHeight(failure, path);
}

AdjustOptions ParseAdjustOptions(const std::vector<std::string>& args)
{
    const Arguments arguments(
        args, {"--fixed", "--fixed-file", "--nodes", "--runs", "--class", "--sigma", "--output"},
        {"--json", "--all-points"});
    AdjustOptions options;
    options.books = arguments.positional();
    if (options.books.empty())
        throw UsageError{Tr("adjust needs a field book")};
    if (std::count(options.books.begin(), options.books.end(), "-") > 1)
        throw UsageError{Tr("standard input (-) can be read only once")};
    if (arguments.HasValue("--fixed"))
        FixedHeightsOption(BookTextOption(arguments.Value("--fixed")), options.fixed);
    if (arguments.HasValue("--fixed-file"))
        FixedHeightsFile(arguments.Value("--fixed-file"), options.fixed);
    if (options.fixed.empty())
        throw UsageError{Tr("adjust needs --fixed POINT=HEIGHT[,POINT=HEIGHT...] or --fixed-file FILE")};
    for (const std::string& node : SplitList(BookTextOption(arguments.Value("--nodes")))) {
        if (!TrimText(node).empty())
            options.nodes.emplace_back(TrimText(node));
    }
    if (arguments.HasValue("--runs"))
        options.runs = SplitList(BookTextOption(arguments.Value("--runs")));
    options.sigma = SigmaOfClass(ToleranceCoefficientOption(arguments));
    options.className = ClassName(ToleranceClassOption(arguments));
    if (arguments.HasValue("--sigma")) {
        const std::string text = arguments.Value("--sigma");
        options.sigma = TextToNumber(text);
        if (!(options.sigma > 0) || !std::isfinite(options.sigma))
            throw UsageError{Fill(Tr("--sigma wants a positive number of metres, not '{1}'"),
                                  {ControlCharactersShown(text)})};
    }
    if (arguments.HasValue("--output") && arguments.Value("--output").empty())
        throw UsageError{Tr("--output names no file")};
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
            err << "velmora-tesk-cli: "
                << Fill(Tr("cannot adjust {1}: {2}"),
                        {ControlCharactersShown(path), ControlCharactersShown(error)})
                << "\n";
            return false;
        }
    }
    if (options.runs) {
        for (const std::string& number : *options.runs) {
            if (!namedRunsFound.count(std::string(TrimText(number))))
                throw UsageError{NotInBooksText(Tr("run {1} is not in {2}"), Tr("run {1} is not in any of the field books"),
                                                TrimText(number), options.books)};
        }
    }
    return true;
}

// Writes the workbook, or the catalogue alone as CSV.
bool WriteAdjustOutput(const AdjustOptions& options, OutputFormat format,
                       const LevellingNetwork& network, const NetworkAdjustment& result,
                       std::ostream& err)
{
    const std::string& output = options.output;
    std::string error;
    const bool saved = SaveNetworkResults(output, format, network, result, options.className, error);
    if (!saved)
        err << "velmora-tesk-cli: " << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), error})
            << "\n";
    return saved;
}

// Reads the books and adjusts them; false (after the message) when a book cannot be read or
// the network cannot be adjusted.
bool AdjustBooks(const AdjustOptions& options, LevellingNetwork& network, NetworkAdjustment& result,
                 std::ostream& err)
{
    std::unordered_set<std::string> bookPoints;
    if (!ReadBooks(options, network, bookPoints, err))
        return false;
    // Every fixed point must be a point of a book, whichever runs are selected.
    for (const FixedHeight& known : options.fixed) {
        if (!bookPoints.count(known.point))
            throw UsageError{NotInBooksText(Tr("fixed point {1} is not in {2}"),
                                            Tr("fixed point {1} is not in any of the field books"), known.point,
                                            options.books)};
    }
    network.nodes = options.nodes;

    std::string error;
    if (!AdjustNetwork(network, options.fixed, options.sigma, result, error)) {
        // The adjustment's words are UTF-8 already, names of the book included.
        const std::string reason = ControlCharactersShown(error);
        err << "velmora-tesk-cli: "
            << (options.books.size() == 1
                    ? Fill(Tr("cannot adjust {1}: {2}"), {ControlCharactersShown(options.books.front()), reason})
                    : Fill(Tr("cannot adjust the network: {1}"), {reason}))
            << "\n";
        return false;
    }
    return true;
}

}  // namespace

bool AdjustBooksAsNetwork(const std::vector<std::string>& adjustArguments,
                          LevellingNetwork& network, NetworkAdjustment& result, std::ostream& err)
{
    return AdjustBooks(ParseAdjustOptions(adjustArguments), network, result, err);
}

int RunAdjustCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const AdjustOptions options = ParseAdjustOptions(args);
    // Refused before any book is read: a workbook must never land on a field book.
    const OutputFormat outputFormat =
        options.output.empty() ? OutputFormat::Xls
                               : RefuseOutput(options.output, OutputKind::WorkbookOrCatalogue,
                                              options.books);
    LevellingNetwork network;
    NetworkAdjustment result;
    if (!AdjustBooks(options, network, result, err))
        return kFileError;
    if (!options.output.empty() && !WriteAdjustOutput(options, outputFormat, network, result, err))
        return kFileError;
    // The workbook alone goes to standard output when it is the output.
    if (options.output != "-") {
        if (options.json)
            WriteAdjustJson(network, result, out);
        else
            WriteAdjustText(network, result, options.allPoints, out);
    }
    WriteWarnings(network, result, err, /*nodesOption=*/true);
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: " << Tr("cannot write the results to standard output") << "\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
