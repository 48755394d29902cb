// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "cli/Json.h"

#include "export/Export.h"
#include "network/NetworkWorkbookLayout.h"
#include "fieldbook/TextConversions.h"
#include "network/NetworkAdjustment.h"
#include "network/NetworkObservations.h"
#include "runs/Station.h"
#include "state/OpenBook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>
#include <unordered_set>

namespace velmora::cli {

namespace {

// The a-priori standard deviation of 1 km from the class: the allowed misclosure is taken as
// twice the standard deviation.
constexpr double kAllowedMisclosuresPerSigma = 2;

// "P=H,P=H…" with heights in metres (point or comma). A piece without "=" continues the height
// before it after a decimal comma: "A=100,5,B=101" holds A at 100.5.
std::vector<FixedHeight> FixedHeightsOption(const std::string& text)
{
    std::vector<std::string> pieces;
    for (std::string& piece : SplitList(text)) {
        if (piece.find('=') == std::string::npos && !pieces.empty())
            pieces.back() += "," + piece;
        else
            pieces.push_back(std::move(piece));
    }
    std::vector<FixedHeight> fixed;
    std::unordered_set<std::string> seen;
    for (const std::string& piece : pieces) {
        const auto equals = piece.find('=');
        if (equals == std::string::npos)
            throw UsageError{"--fixed wants POINT=HEIGHT, not '" + piece + "'"};
        FixedHeight known{std::string(TrimText(std::string_view(piece).substr(0, equals))),
                          TextToNumber(std::string_view(piece).substr(equals + 1))};
        if (known.point.empty())
            throw UsageError{"--fixed names no point in '" + piece + "'"};
        if (!std::isfinite(known.height))
            throw UsageError{"the height of fixed point " + known.point + " is no number: '" +
                             piece.substr(equals + 1) + "'"};
        if (!seen.insert(known.point).second)
            throw UsageError{"point " + known.point + " is fixed twice"};
        fixed.push_back(std::move(known));
    }
    if (fixed.empty())
        throw UsageError{"adjust needs --fixed POINT=HEIGHT[,POINT=HEIGHT...]"};
    return fixed;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, RoundToDecimals(value, decimals),
                                      std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

void WriteJson(const LevellingNetwork& network, const NetworkAdjustment& result, std::ostream& out)
{
    out << "{\"sigma0\": " << JsonNumber(result.sigma0) << ", \"sigma\": "
        << JsonNumber(result.sigma) << ", \"dof\": " << result.degreesOfFreedom
        << ", \"globalTest\": {\"statistic\": " << JsonNumber(result.globalTest.statistic)
        << ", \"lower\": " << JsonNumber(result.globalTest.lower)
        << ", \"upper\": " << JsonNumber(result.globalTest.upper)
        << ", \"passed\": " << (result.globalTest.passed ? "true" : "false") << "},\n";
    out << " \"points\": [";
    const char* separator = "\n";
    for (const AdjustedPoint& point : result.points) {
        out << separator << "  {\"point\": " << JsonString(point.point)
            << ", \"height\": " << JsonNumber(point.height)
            << ", \"sigma\": " << JsonNumber(point.sigma)
            << ", \"fixed\": " << (point.fixed ? "true" : "false") << "}";
        separator = ",\n";
    }
    out << "],\n \"observations\": [";
    separator = "\n";
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        out << separator << "  {\"run\": " << JsonString(observation.run)
            << ", \"from\": " << JsonString(observation.from)
            << ", \"to\": " << JsonString(observation.to)
            << ", \"dh\": " << JsonNumber(observation.heightDifference)
            << ", \"length\": " << JsonNumber(observation.length)
            << ", \"residual\": " << JsonNumber(adjusted.residual)
            << ", \"w\": " << JsonNumber(adjusted.w, adjusted.controlled)
            << ", \"outlier\": " << (adjusted.outlier ? "true" : "false") << "}";
        separator = ",\n";
    }
    out << "],\n \"unreached\": [";
    separator = "";
    for (const std::string& point : result.unreached) {
        out << separator << JsonString(point);
        separator = ", ";
    }
    out << "]}\n";
}

void WriteText(const LevellingNetwork& network, const NetworkAdjustment& result, std::ostream& out)
{
    out << "sigma0 " << Fixed(result.sigma0, kNetworkMetreDecimals) << " m per km^0.5, a priori "
        << Fixed(result.sigma, kNetworkMetreDecimals) << ", degrees of freedom "
        << result.degreesOfFreedom << "\n";
    out << "global test " << (result.globalTest.passed ? "passed" : "failed") << ": chi2 "
        << Fixed(result.globalTest.statistic, 3) << ", accepted from "
        << Fixed(result.globalTest.lower, 3) << " to " << Fixed(result.globalTest.upper, 3)
        << "\n\npoint\theight\tsigma\n";
    for (const AdjustedPoint& point : result.points) {
        out << point.point << '\t' << Fixed(point.height, kNetworkMetreDecimals) << '\t'
            << Fixed(point.sigma, kNetworkMetreDecimals) << (point.fixed ? "\tfixed" : "") << '\n';
    }
    out << "\nrun\tfrom\tto\tdh\tlength\tresidual\tw\n";
    for (const AdjustedObservation& adjusted : result.observations) {
        const LevellingObservation& observation = network.observations[adjusted.index];
        out << observation.run << '\t' << observation.from << '\t' << observation.to << '\t'
            << Fixed(observation.heightDifference, kNetworkMetreDecimals) << '\t'
            << Fixed(observation.length, kNetworkLengthDecimals) << '\t'
            << Fixed(adjusted.residual, kNetworkMetreDecimals) << '\t'
            << (adjusted.controlled ? Fixed(adjusted.w, kNetworkWDecimals) : "-")
            << (adjusted.outlier ? "\toutlier" : "") << '\n';
    }
}

}  // namespace

int RunAdjustCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Arguments arguments(args, {"--fixed", "--runs", "--class", "--sigma", "--output"},
                              {"--json"});
    if (arguments.positional().size() != 1)
        throw UsageError{"adjust takes exactly one field book"};
    const std::vector<FixedHeight> fixed =
        FixedHeightsOption(BookTextOption(arguments.Value("--fixed")));
    double sigma = ToleranceCoefficientOption(arguments) / kAllowedMisclosuresPerSigma;
    if (arguments.HasValue("--sigma")) {
        const std::string text = arguments.Value("--sigma");
        sigma = TextToNumber(text);
        if (!(sigma > 0) || !std::isfinite(sigma))
            throw UsageError{"--sigma wants a positive number of metres, not '" + text + "'"};
    }
    if (arguments.HasValue("--output") && arguments.Value("--output").empty())
        throw UsageError{"--output names no file"};

    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");
    const OutputFormat outputFormat =
        arguments.HasValue("--output") ? RefuseOutput(output, OutputKind::Workbook, path) : OutputFormat::Xls;
    OpenBook& state = CommandBook();
    if (!OpenFieldBook(path, state, err))
        return kFileError;
    const std::vector<RunStations> runs = WalkAllRuns(state.records());
    std::string error;

    // Every fixed point must be a point of the book, whichever runs are selected.
    std::unordered_set<std::string> bookPoints;
    for (const RunStations& run : runs) {
        for (const Station& station : run.stations) {
            bookPoints.insert(station.backPoint);
            bookPoints.insert(station.forePoint);
            for (const Sight& sight : station.intermediates)
                bookPoints.insert(std::string(TrimText(sight.point)));
        }
    }
    for (const FixedHeight& known : fixed) {
        if (!bookPoints.count(known.point))
            throw UsageError{"fixed point " + known.point + " is not in " + path};
    }

    std::vector<const RunStations*> selected;
    if (arguments.HasValue("--runs")) {
        for (const std::string& number : SplitList(BookTextOption(arguments.Value("--runs")))) {
            const std::string_view trimmed = TrimText(number);
            const auto run = std::find_if(runs.begin(), runs.end(), [&](const RunStations& r) {
                return r.runNumber == trimmed;
            });
            if (run == runs.end())
                throw UsageError{"run " + std::string(trimmed) + " is not in " + path};
            if (std::find(selected.begin(), selected.end(), &*run) == selected.end())
                selected.push_back(&*run);
        }
    } else {
        for (const RunStations& run : runs)
            selected.push_back(&run);
    }

    LevellingNetwork network;
    NetworkAdjustment result;
    if (!NetworkOfRuns(selected, network, error) ||
        !AdjustNetwork(network, fixed, sigma, result, error)) {
        err << "velmora-tesk-cli: cannot adjust " << EscapeControlCharacters(path) << ": " << error << "\n";
        return kFileError;
    }

    if (arguments.HasValue("--output")) {
        const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(outputFormat);
        WriteNetworkWorkbook(*workbook, network, result);
        if (!workbook->Save(output, error)) {
            err << "velmora-tesk-cli: cannot write " << EscapeControlCharacters(output) << ": " << error << "\n";
            return kFileError;
        }
    }
    if (arguments.Has("--json"))
        WriteJson(network, result, out);
    else
        WriteText(network, result, out);
    if (!result.unreached.empty()) {
        err << "velmora-tesk-cli: no fixed point reaches";
        for (const std::string& point : result.unreached)
            err << " " << point;
        err << "; their heights are not computed\n";
    }
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: cannot write the results to standard output\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
