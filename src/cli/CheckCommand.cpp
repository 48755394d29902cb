// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "cli/Json.h"
#include "cli/QualityOptions.h"
#include "fieldbook/Cp1251.h"
#include "network/NetworkOfBooks.h"
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

// A pair of levellings of a section above its limit, as a finding of its second run.
std::string JsonSectionFinding(const SectionCheck& check, std::size_t pair, const std::string& book)
{
    const SectionLevellings& section = check.section;
    const SectionPair& p = section.pairs[pair];
    return "{\"check\": \"sectionDifference\", \"station\": null, \"value\": " + JsonNumber(p.discrepancy) +
           ", \"limit\": " + JsonNumber(check.verdicts[pair].limit) + ", \"from\": " + JsonString(section.from) +
           ", \"to\": " + JsonString(section.to) + ", \"runs\": [" +
           JsonString(section.levellings[p.first].run) + ", " + JsonString(section.levellings[p.second].run) +
           "], \"books\": [" + JsonString(book) + ", " + JsonString(book) + "], \"length\": " + JsonNumber(p.length) +
           ", \"opposite\": " +
           (section.levellings[p.first].reversed != section.levellings[p.second].reversed ? "true" : "false") + "}";
}

std::string JsonFindings(const BookCheck& book, const RunQuality& quality, const std::string& bookName)
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
    for (const SectionCheck& check : book.sections) {
        for (std::size_t k = 0; k < check.section.pairs.size(); ++k) {
            const SectionPair& pair = check.section.pairs[k];
            if (!check.verdicts[k].above || check.section.levellings[pair.second].run != quality.run->runNumber)
                continue;
            json += separator + JsonSectionFinding(check, k, bookName);
            separator = ", ";
        }
    }
    return json + "]";
}

std::string RunNumberForPeople(const SectionLevelling& levelling)
{
    return Cp1251ToUtf8(levelling.run);
}

void WriteJson(const BookCheck& book, const std::string& bookName, RodScale rodScale, std::ostream& out)
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
        if (rodScale.Corrects())
            out << ", \"rodScalePpm\": " << JsonNumber(rodScale.ppm);
        out << ", \"findings\": " << JsonFindings(book, quality, bookName) << "}";
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
    if (!CheckBook(arguments.positional().front(), options.limits, options.rodScale, book, err))
        return kFileError;

    // The same few texts for every finding of every station.
    const HeldLanguage held;
    if (arguments.Has("--json")) {
        WriteJson(book, NetworkBookName(arguments.positional().front(), LocaleIsUtf8()), options.rodScale, out);
    } else {
        if (options.rodScale.Corrects())
            out << RodScaleText(options.rodScale) << '\n';
        for (std::size_t i = 0; i < book.qualities.size(); ++i) {
            const RunQuality& quality = book.qualities[i];
            out << RunFiguresText(quality, MisclosureText(book.listRuns[i], options.toleranceCoefficient))
                << '\n';
            for (const Finding& finding : quality.findings)
                out << "  " << FindingText(finding) << '\n';
        }
        // Each section levelled twice, every pair with its verdict.
        for (const SectionCheck& check : book.sections) {
            for (std::size_t k = 0; k < check.section.pairs.size(); ++k)
                out << SectionPairText(check, k, RunNumberForPeople) << '\n';
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
