// SPDX-License-Identifier: MIT
#include "cli/AdjustReport.h"

#include "cli/Command.h"
#include "cli/Json.h"

#include "network/NetworkWarnings.h"
#include "network/NetworkWorkbookLayout.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"

#include <charconv>
#include <concepts>
#include <ostream>
#include <string_view>

namespace velmora::cli {

namespace {

// A name for the terminal: converted from Windows-1251 where the terminal wants UTF-8, control
// characters shown as \xNN.
std::string Shown(std::string_view bookText)
{
    return ControlCharactersShown(TerminalText(bookText));
}

const char* KindName(PointKind kind)
{
    switch (kind) {
    case PointKind::node: return "node";
    case PointKind::turning: return "turning";
    case PointKind::intermediate: return "intermediate";
    }
    return "";
}

// The warning in words, with the names of the book given by `name`: for the terminal
// (TerminalText) or as they stand, for the JSON (which wants English: EnglishTexts). A junction
// comes with what to do about it on the command line, where the command has --nodes.
std::string WarningText(const LevellingNetwork& network, const NetworkWarning& warning,
                        std::string (*name)(std::string_view), bool nodesOption)
{
    std::string text = NetworkWarningText(network, warning, name);
    if (nodesOption && warning.kind == NetworkWarning::Kind::junction)
        text += Tr("; name it in --nodes if that is meant");
    return text;
}

// The two lines between the catalogue and the sections, for people: the standard deviation of
// unit weight (of 1 km of levelling) after the adjustment against the one assumed, and the
// global test of the one against the other. In millimetres, as levelling reports give them.
std::string SummaryText(const NetworkAdjustment& result)
{
    const auto freedom = static_cast<unsigned long>(result.degreesOfFreedom);
    // TRANSLATORS: sigma0 is the a-posteriori standard deviation of 1 km of levelling; {3} is
    // the number of degrees of freedom.
    std::string text = Fill(TrPlural("sigma0 = {1} mm for 1 km of levelling, a priori {2} mm; {3} degree of freedom",
                                     "sigma0 = {1} mm for 1 km of levelling, a priori {2} mm; {3} degrees of freedom",
                                     freedom),
                            {SigmaMillimetresText(result.sigma0), SigmaMillimetresText(result.sigma),
                             std::to_string(result.degreesOfFreedom)});
    text += '\n';
    const GlobalTest& test = result.globalTest;
    text += Fill(test.passed ? Tr("global test passed: chi-square {1}, accepted from {2} to {3}")
                             : Tr("global test failed: chi-square {1}, accepted from {2} to {3}"),
                 {ChiSquareText(test.statistic), ChiSquareText(test.lower), ChiSquareText(test.upper)});
    return text;
}

// Text gathered in pieces of about 64 KB before it goes to the stream: a table of a million
// rows is written in a few hundred writes instead of one for every field.
class ChunkedText {
public:
    explicit ChunkedText(std::ostream& out) : out_(out) { text_.reserve(kChunk + 4096); }
    ~ChunkedText() { Flush(); }
    ChunkedText(const ChunkedText&) = delete;
    ChunkedText& operator=(const ChunkedText&) = delete;

    ChunkedText& operator<<(std::string_view piece)
    {
        text_ += piece;
        if (text_.size() >= kChunk)
            Flush();
        return *this;
    }
    ChunkedText& operator<<(char c) { return *this << std::string_view(&c, 1); }
    template <std::integral Number>
    ChunkedText& operator<<(Number number)
    {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        return *this << std::string_view(digits, static_cast<std::size_t>(written.ptr - digits));
    }

    void Flush()
    {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

private:
    static constexpr std::size_t kChunk = 1 << 16;
    std::ostream& out_;
    std::string text_;
};

std::string BookName(const LevellingNetwork& network, std::size_t book)
{
    return book < network.books.size() ? network.books[book] : "";
}

}  // namespace

RunLabels::RunLabels(const LevellingNetwork& network) : network_(network)
{
    std::set<std::pair<std::string_view, std::size_t>> runs;
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < network.observations.size(); ++i) {
        const LevellingObservation& o = network.observations[i];
        if (i > 0 && o.run == network.observations[i - 1].run &&
            o.book == network.observations[i - 1].book)
            continue;  // the same run as the station before
        if (runs.emplace(o.run, o.book).second && !seen.insert(o.run).second)
            ambiguous_.emplace(o.run);
    }
}

std::string RunLabels::operator()(std::size_t book, const std::string& run) const
{
    return ambiguous_.count(run) ? BookName(network_, book) + ":" + run : run;
}

void WriteWarnings(const LevellingNetwork& network, const NetworkAdjustment& result,
                   std::ostream& err, bool nodesOption)
{
    for (const NetworkWarning& warning : result.warnings)
        err << "velmora-tesk-cli: "
            << Fill(Tr("warning: {1}"),
                    {ControlCharactersShown(WarningText(network, warning, TerminalText, nodesOption))})
            << "\n";
    if (!result.unreached.empty())
        err << "velmora-tesk-cli: " << UnreachedText(result, Shown) << "\n";
}

void WriteAdjustText(const LevellingNetwork& network, const NetworkAdjustment& result,
                     bool allPoints, std::ostream& stream)
{
    ChunkedText out(stream);
    out << "point\theight\tsigma\tfixed\tsections\n";
    for (const AdjustedPoint& point : result.points) {
        if (point.kind != PointKind::node)
            continue;
        out << point.point << '\t' << FixedText(point.height, kNetworkMetreDecimals) << '\t'
            << FixedText(point.sigma, kNetworkMetreDecimals) << '\t' << (point.fixed ? "fixed" : "")
            << '\t' << point.sections << '\n';
    }
    out << '\n' << SummaryText(result) << '\n';
    if (network.rodScale.Corrects())
        out << RodScaleText(network.rodScale) << '\n';
    out << "\nbook\trun\tfrom\tto\tstations\tdh\tlength\tcorrection\tw\n";
    for (const AdjustedSection& section : result.sections) {
        out << BookName(network, section.book) << '\t' << section.run << '\t' << section.from
            << '\t' << section.to << '\t' << section.observations.size() << '\t'
            << FixedText(section.heightDifference, kNetworkMetreDecimals) << '\t'
            << FixedText(section.length, kNetworkLengthDecimals) << '\t'
            << FixedText(section.residual, kNetworkMetreDecimals) << '\t'
            << (section.controlled ? FixedText(section.w, kNetworkWDecimals) : "-")
            << (section.outlier ? "\toutlier" : "") << '\n';
    }
    const RunLabels runLabel(network);
    out << "\nrun\tfrom\tto\tdh\tlength\tresidual\tw\n";
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        out << runLabel(observation.book, observation.run) << '\t' << observation.from
            << '\t' << observation.to << '\t'
            << FixedText(observation.heightDifference, kNetworkMetreDecimals) << '\t'
            << FixedText(observation.length, kNetworkLengthDecimals) << '\t'
            << FixedText(adjusted.residual, kNetworkMetreDecimals) << '\t'
            << (adjusted.controlled ? FixedText(adjusted.w, kNetworkWDecimals) : "-")
            << (adjusted.outlier ? "\toutlier" : "") << '\n';
    }
    if (!allPoints)
        return;
    out << "\npoint\tkind\trun\tstation\theight\tsigma\n";
    for (const AdjustedPoint& point : result.points) {
        if (point.kind == PointKind::node)
            continue;
        out << point.point << '\t' << KindName(point.kind) << '\t'
            << runLabel(point.book, point.run) << '\t' << point.station << '\t'
            << FixedText(point.height, kNetworkMetreDecimals) << '\t'
            << FixedText(point.sigma, kNetworkMetreDecimals) << '\n';
    }
}

namespace {

void WriteJsonPoints(const LevellingNetwork& network, const NetworkAdjustment& result,
                     ChunkedText& out)
{
    out << " \"points\": [";
    const char* separator = "\n";
    for (const AdjustedPoint& point : result.points) {
        out << separator << "  {\"point\": " << JsonString(point.point)
            << ", \"kind\": \"" << KindName(point.kind) << "\"";
        if (point.kind == PointKind::node)
            out << ", \"sections\": " << point.sections;
        else
            out << ", \"book\": " << JsonString(BookName(network, point.book))
                << ", \"run\": " << JsonString(point.run) << ", \"station\": " << point.station;
        out << ", \"height\": " << JsonNumber(point.height)
            << ", \"sigma\": " << JsonNumber(point.sigma)
            << ", \"fixed\": " << (point.fixed ? "true" : "false") << "}";
        separator = ",\n";
    }
    out << "],\n";
}

void WriteJsonSections(const LevellingNetwork& network, const NetworkAdjustment& result,
                       ChunkedText& out)
{
    out << " \"sections\": [";
    const char* separator = "\n";
    for (const AdjustedSection& section : result.sections) {
        out << separator << "  {\"book\": " << JsonString(BookName(network, section.book))
            << ", \"run\": " << JsonString(section.run)
            << ", \"from\": " << JsonString(section.from) << ", \"to\": " << JsonString(section.to)
            << ", \"stations\": " << section.observations.size()
            << ", \"dh\": " << JsonNumber(section.heightDifference)
            << ", \"length\": " << JsonNumber(section.length)
            << ", \"residual\": " << JsonNumber(section.residual)
            << ", \"w\": " << JsonNumber(section.w, section.controlled)
            << ", \"outlier\": " << (section.outlier ? "true" : "false") << "}";
        separator = ",\n";
    }
    out << "],\n";
}

void WriteJsonObservations(const LevellingNetwork& network, const NetworkAdjustment& result,
                           ChunkedText& out)
{
    out << " \"observations\": [";
    const char* separator = "\n";
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        out << separator << "  {\"book\": " << JsonString(BookName(network, observation.book))
            << ", \"run\": " << JsonString(observation.run)
            << ", \"from\": " << JsonString(observation.from)
            << ", \"to\": " << JsonString(observation.to)
            << ", \"dh\": " << JsonNumber(observation.heightDifference)
            << ", \"length\": " << JsonNumber(observation.length)
            << ", \"residual\": " << JsonNumber(adjusted.residual)
            << ", \"w\": " << JsonNumber(adjusted.w, adjusted.controlled)
            << ", \"outlier\": " << (adjusted.outlier ? "true" : "false") << "}";
        separator = ",\n";
    }
    out << "],\n";
}

void WriteJsonWarnings(const LevellingNetwork& network, const NetworkAdjustment& result,
                       ChunkedText& out)
{
    out << " \"warnings\": [";
    const char* separator = "\n";
    const EnglishTexts english;  // the messages of the JSON stay English
    for (const NetworkWarning& warning : result.warnings) {
        out << separator << "  {\"kind\": \"" << NetworkWarningKindName(warning.kind)
            << "\", \"book\": " << JsonString(BookName(network, warning.book))
            << ", \"run\": " << JsonString(warning.run)
            << ", \"point\": " << JsonString(warning.point) << ", \"stations\": [";
        for (std::size_t k = 0; k < warning.stations.size(); ++k)
            out << (k ? ", " : "") << warning.stations[k];
        out << "], \"instrumentHeightDifference\": "
            << JsonNumber(warning.instrumentHeightDifference.value_or(0),
                          warning.instrumentHeightDifference.has_value());
        if (warning.kind == NetworkWarning::Kind::chainBreak)
            out << ", \"previousPoint\": " << JsonString(warning.previousPoint);
        if (warning.kind == NetworkWarning::Kind::sectionDifference)
            out << ", \"to\": " << JsonString(warning.toPoint)
                << ", \"otherBook\": " << JsonString(BookName(network, warning.otherBook))
                << ", \"otherRun\": " << JsonString(warning.otherRun)
                << ", \"difference\": " << JsonNumber(warning.difference)
                << ", \"limit\": " << JsonNumber(warning.limit);
        if (warning.kind == NetworkWarning::Kind::repeatedRun)
            out << ", \"otherBook\": " << JsonString(BookName(network, warning.otherBook))
                << ", \"otherRun\": " << JsonString(warning.otherRun);
        out << ", \"message\": "
            << JsonString(WarningText(network, warning, Cp1251AsIs, /*nodesOption=*/true)) << "}";
        separator = ",\n";
    }
    out << "]}\n";
}

}  // namespace

void WriteAdjustJson(const LevellingNetwork& network, const NetworkAdjustment& result,
                     std::ostream& stream)
{
    ChunkedText out(stream);
    out << "{\"sigma0\": " << JsonNumber(result.sigma0) << ", \"sigma\": "
        << JsonNumber(result.sigma) << ", \"dof\": " << result.degreesOfFreedom
        << ", \"globalTest\": {\"statistic\": " << JsonNumber(result.globalTest.statistic)
        << ", \"lower\": " << JsonNumber(result.globalTest.lower)
        << ", \"upper\": " << JsonNumber(result.globalTest.upper)
        << ", \"passed\": " << (result.globalTest.passed ? "true" : "false") << "},\n";
    if (network.rodScale.Corrects())
        out << " \"rodScalePpm\": " << JsonNumber(network.rodScale.ppm) << ",\n";
    WriteJsonPoints(network, result, out);
    WriteJsonSections(network, result, out);
    WriteJsonObservations(network, result, out);
    out << " \"unreached\": [";
    const char* separator = "";
    for (const std::string& point : result.unreached) {
        out << separator << JsonString(point);
        separator = ", ";
    }
    out << "],\n";
    WriteJsonWarnings(network, result, out);
}

}  // namespace velmora::cli
