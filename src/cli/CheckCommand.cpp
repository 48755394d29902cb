// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "cli/Json.h"
#include "cli/QualityOptions.h"
#include "quality/QualityText.h"

#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

std::string JsonOptional(const std::optional<double>& value)
{
    return value ? JsonNumber(*value) : "null";
}

std::string JsonInstrument(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    if (!run.instrument)
        return "null";
    return "{\"heightSum\": " + JsonOptional(run.instrument->heightSum) +
           ", \"length\": " + JsonOptional(run.instrument->length) +
           ", \"heightDifference\": " + JsonOptional(quality.instrumentHeightDifference) +
           ", \"lengthDifference\": " + JsonOptional(quality.instrumentLengthDifference) + "}";
}

std::string JsonFindings(const RunQuality& quality)
{
    std::string json = "[";
    const char* separator = "";
    for (const Finding& finding : quality.findings) {
        json += separator;
        json += "{\"check\": \"" + std::string(CheckName(finding.check)) + "\", \"station\": " +
                (finding.station > 0 ? std::to_string(finding.station) : std::string("null")) +
                ", \"value\": " + JsonNumber(finding.value) +
                ", \"limit\": " + JsonNumber(finding.limit);
        if (finding.check == QualityCheck::ChainBreak)
            json += ", \"point\": " + JsonString(finding.point) +
                    ", \"previousPoint\": " + JsonString(finding.previousPoint);
        json += "}";
        separator = ", ";
    }
    return json + "]";
}

void WriteJson(const BookCheck& book, std::ostream& out)
{
    out << "[";
    const char* separator = "\n";
    for (const RunQuality& quality : book.qualities) {
        const RunSights& run = *quality.run;
        const bool readable = run.unreadable.empty();
        // An unreadable run shows no figure; a run without stations has none to show.
        const bool measured = readable && !run.stations.empty();
        out << separator << "  {\"runNumber\": " << JsonString(run.runNumber)
            << ", \"method\": " << (run.method.empty() ? "null" : JsonString(run.method))
            << ", \"stations\": "
            << (readable ? std::to_string(run.stations.size()) : std::string("null"))
            << ", \"length\": " << JsonNumber(run.distanceSum, measured)
            << ", \"maxSight\": " << JsonNumber(quality.maxSight, measured)
            << ", \"maxStationImbalance\": " << JsonNumber(quality.maxStationImbalance, measured)
            << ", \"cumulativeImbalance\": " << JsonNumber(quality.cumulativeImbalance, measured)
            << ", \"maxCumulativeImbalance\": "
            << JsonNumber(quality.maxCumulativeImbalance, measured)
            << ", \"maxDoubleReadingDifference\": "
            << (measured ? JsonOptional(quality.maxDoubleReadingDifference) : "null")
            << ", \"instrument\": " << (readable ? JsonInstrument(quality) : "null");
        if (!readable)
            out << ", \"reason\": " << JsonString(run.unreadable.Text());
        out << ", \"findings\": " << JsonFindings(quality) << "}";
        separator = ",\n";
    }
    out << (book.qualities.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Arguments arguments(args, kQualityOptions, {"--json", kSingleReadingsFlag});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("check takes exactly one field book")};
    const QualityOptions options = QualityOptionsOf(arguments);

    BookCheck book;
    if (!CheckBook(arguments.positional().front(), options.limits, book, err))
        return kFileError;

    if (arguments.Has("--json")) {
        WriteJson(book, out);
    } else {
        for (std::size_t i = 0; i < book.qualities.size(); ++i) {
            const RunQuality& quality = book.qualities[i];
            out << RunFiguresText(quality, MisclosureText(book.listRuns[i], options.toleranceCoefficient))
                << '\n';
            for (const Finding& finding : quality.findings)
                out << "  " << FindingText(finding) << '\n';
        }
    }
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: " << Tr("cannot write the checks to standard output") << "\n";
        return kFileError;
    }
    return book.HasFindings() ? kFindings : kSuccess;
}

}  // namespace velmora::cli
