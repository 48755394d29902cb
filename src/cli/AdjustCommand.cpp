// SPDX-License-Identifier: MIT
#include "cli/AdjustBooks.h"
#include "cli/QualityOptions.h"
#include "cli/AdjustReport.h"
#include "cli/Command.h"

#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/FixedHeights.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkOfBooks.h"
#include "network/NetworkOutput.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

struct AdjustOptions {
    std::vector<std::string> books;
    std::string fixedFile;  ///< empty: none
    std::vector<FixedHeight> fixed;
    std::vector<std::string> nodes;
    std::optional<std::vector<std::string>> runs;
    double sigma = 0;
    std::string className;  ///< the class whose tolerance gave `sigma`
    double maxSectionDifference = 0;  ///< k of the limit on a section levelled twice, m per √km
    RodScale rodScale;
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
        args,
        {"--fixed", "--fixed-file", "--nodes", "--runs", "--class", "--sigma", "--max-section-difference",
         "--rod-scale", "--output"},
        {"--json", "--all-points"});
    AdjustOptions options;
    options.books = arguments.positional();
    if (options.books.empty())
        throw UsageError{Tr("adjust needs a field book")};
    RefuseRepeatedBooks(options.books);
    // Each --fixed is a list of its own: a decimal comma never joins two of them.
    for (const std::string& value : arguments.Values("--fixed"))
        FixedHeightsOption(BookTextOption(value), options.fixed);
    options.fixedFile = arguments.Value("--fixed-file");
    if (arguments.HasValue("--fixed-file"))
        FixedHeightsFile(options.fixedFile, options.fixed);
    if (options.fixed.empty())
        throw UsageError{Tr("adjust needs --fixed POINT=HEIGHT[,POINT=HEIGHT...] or --fixed-file FILE")};
    for (const std::string& node : BookTextList(arguments, "--nodes")) {
        if (!TrimText(node).empty())
            options.nodes.emplace_back(TrimText(node));
    }
    if (arguments.HasValue("--runs"))
        options.runs = BookTextList(arguments, "--runs");
    options.sigma = SigmaOfClass(ToleranceCoefficientOption(arguments));
    options.className = ClassName(ToleranceClassOption(arguments));
    if (arguments.HasValue("--sigma"))
        options.sigma = SigmaOption(arguments.Value("--sigma"));
    // The class's limit on a section levelled twice, or the one given, as check takes it.
    options.maxSectionDifference = QualityOptionsOf(arguments).limits.maxSectionDifference;
    options.rodScale = RodScaleOption(arguments);
    if (arguments.HasValue("--output") && arguments.Value("--output").empty())
        throw UsageError{Tr("--output names no file")};
    options.output = arguments.Value("--output");
    options.json = arguments.Has("--json");
    options.allPoints = arguments.Has("--all-points");
    return options;
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

// Says why the books were not adjusted: a wrong argument as a UsageError, the rest on `err`.
void RefuseNetwork(const AdjustOptions& options, const NetworkRefusal& refusal, std::ostream& err)
{
    using Kind = NetworkRefusal::Kind;
    // The reasons are UTF-8 already, names of the books included.
    const std::string reason = ControlCharactersShown(refusal.reason);
    switch (refusal.kind) {
    case Kind::RunNotInBooks:
        throw UsageError{NotInBooksText(Tr("run {1} is not in {2}"), Tr("run {1} is not in any of the field books"),
                                        refusal.subject, options.books)};
    case Kind::FixedPointNotInRuns:
    case Kind::NodeNotInRuns:
        throw UsageError{reason};
    case Kind::UnreadableRun:
        err << "velmora-tesk-cli: "
            << Fill(Tr("cannot adjust {1}: {2}"), {ControlCharactersShown(options.books[refusal.book]), reason})
            << "\n";
        return;
    case Kind::NotAdjusted:
    case Kind::None:
        break;
    }
    err << "velmora-tesk-cli: "
        << (options.books.size() == 1
                ? Fill(Tr("cannot adjust {1}: {2}"), {ControlCharactersShown(options.books.front()), reason})
                : Fill(Tr("cannot adjust the network: {1}"), {reason}))
        << "\n";
}

// Adjusts the books read (AdjustBooks); false (after the message) when the network cannot be
// adjusted. With `closeBooks` the books are closed once the network is read from them.
bool AdjustOpenBooks(const AdjustOptions& options, const std::vector<OpenBook*>& books,
                     LevellingNetwork& network, NetworkAdjustment& result, std::ostream& err,
                     bool closeBooks = false)
{
    NetworkRequest request{{}, options.runs, options.fixed, options.nodes, options.sigma,
                           options.maxSectionDifference, options.rodScale, {}};
    if (closeBooks)
        request.booksRead = [&books] {
            for (OpenBook* book : books)
                book->Close();
        };
    const std::vector<std::string> names = NetworkBookNames(options.books, LocaleIsUtf8());
    for (std::size_t i = 0; i < books.size(); ++i)
        request.books.push_back({&books[i]->records(), names[i]});
    NetworkOutcome outcome = AdjustBooks(request);
    network = std::move(outcome.network);
    result = std::move(outcome.adjustment);
    if (!outcome.adjusted())
        RefuseNetwork(options, outcome.refusal, err);
    return outcome.adjusted();
}

}  // namespace

bool AdjustBooksAsNetwork(const std::vector<std::string>& adjustArguments,
                          const std::vector<OpenBook*>& books, LevellingNetwork& network,
                          NetworkAdjustment& result, std::ostream& err)
{
    return AdjustOpenBooks(ParseAdjustOptions(adjustArguments), books, network, result, err);
}

int RunAdjustCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const AdjustOptions options = ParseAdjustOptions(args);
    // Refused before any book is read: a workbook must never land on a field book.
    const OutputFormat outputFormat =
        options.output.empty() ? OutputFormat::Xls
                               : RefuseOutput(options.output, OutputKind::WorkbookOrCatalogue,
                                              options.books, {options.fixedFile});
    std::vector<OpenBook*> books;
    // The adjustment reads the records alone: no run list is made for them.
    if (!OpenFieldBooks(options.books, books, err, /*recordsOnly=*/true))
        return kFileError;
    LevellingNetwork network;
    NetworkAdjustment result;
    // Nothing below reads the books again: their memory goes before the adjustment's comes.
    if (!AdjustOpenBooks(options, books, network, result, err, /*closeBooks=*/true))
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
