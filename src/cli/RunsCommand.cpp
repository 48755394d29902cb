// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"
#include "cli/Json.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/MeasurementFile.h"
#include "runs/LevellingRun.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"
#include "state/OpenBook.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace velmora::cli {

namespace {

const char* StatusName(RunStatus status)
{
    switch (status) {
    case RunStatus::Empty: return "empty";
    case RunStatus::Open: return "open";
    case RunStatus::WithinTolerance: return "within";
    case RunStatus::AboveTolerance: return "above";
    case RunStatus::Unreadable: return "unreadable";
    }
    return "empty";
}

// The instrument's own figures for a run: {"heightSum": …, "length": …}, or null.
std::string InstrumentJson(const std::optional<InstrumentFigures>& figures)
{
    if (!figures)
        return "null";
    return "{\"heightSum\": " + JsonNumber(figures->heightSum.value_or(0), figures->heightSum.has_value()) +
           ", \"length\": " + JsonNumber(figures->length.value_or(0), figures->length.has_value()) + "}";
}

std::string AgreementJson(std::optional<bool> agrees)
{
    return !agrees ? "null" : *agrees ? "true" : "false";
}

void WriteJson(const RunList& list, const RunCatalog& runs, double coefficient, std::ostream& out)
{
    out << "[";
    const char* separator = "\n";
    for (const RunListEntry& entry : list.entries()) {
        const std::string_view number = entry.runNumber;
        const LevellingRun& run = runs.Find(number);
        const RunStatus status = run.Status(coefficient);
        // A run whose stations cannot be read shows none of its numbers.
        const bool readable = run.reason().empty();
        const bool closed = readable && status != RunStatus::Empty && status != RunStatus::Open;
        const bool measured = readable && status != RunStatus::Empty;
        const std::string reason = run.UnreadableReason(coefficient);
        out << separator << "  {\"text\": " << JsonString(entry.text)
            << ", \"runNumber\": " << JsonString(number) << ", \"status\": \""
            << StatusName(status) << "\", \"misclosure\": " << JsonNumber(run.heightSum, closed)
            << ", \"length\": " << JsonNumber(run.distanceSum, measured)
            << ", \"allowedMisclosure\": "
            << JsonNumber(run.AllowedMisclosure(coefficient), closed)
            << ", \"reason\": " << (reason.empty() ? "null" : JsonString(reason))
            << ", \"instrument\": " << InstrumentJson(run.instrument)
            << ", \"agreesWithInstrument\": " << AgreementJson(run.AgreesWithInstrument()) << "}";
        separator = ",\n";
    }
    out << (list.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int RunRunsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Arguments arguments(args, {"--class"}, {"--json"});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("runs takes exactly one field book")};
    const double coefficient = ToleranceCoefficientOption(arguments);

    const std::string& path = arguments.positional().front();
    OpenBook& book = CommandBook();
    book.ChooseClass(ToleranceClassOption(arguments));
    if (!OpenFieldBook(path, book, err))
        return kFileError;
    const RunList& list = book.runList();

    if (arguments.Has("--json")) {
        WriteJson(list, book.Catalog(), coefficient, out);
    } else {
        for (const RunListEntry& entry : list.entries())
            out << entry.text << '\n';
    }
    out.flush();
    if (!out) {
        err << "velmora-tesk-cli: " << Tr("cannot write the run list to standard output") << "\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
