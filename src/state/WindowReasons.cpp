// SPDX-License-Identifier: MIT
#include "state/WindowReasons.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/OutputPath.h"
#include "fieldbook/Translation.h"
#include "runs/FigureWords.h"
#include "runs/LevellingRun.h"
#include "state/OpenBook.h"
#include "state/SaveFailure.h"

namespace velmora {

namespace {

// The catalogue's words (UTF-8) handed on in Windows-1251, as the book's texts are.
std::string Words(std::string_view utf8)
{
    return Utf8ToCp1251(utf8);
}

}  // namespace

std::string UnreadableCauseReason(const UnreadableCause& cause)
{
    // The window speaks Russian: the catalogue's words, in the book's character set.
    return Words(cause.TextForPeople());
}

std::string ExportFailureReason(const ExportFailure& failure)
{
    using Kind = ExportFailure::Kind;
    switch (failure.kind) {
    case Kind::None:
        break;
    case Kind::HeightNotANumber:
        return Words(Tr("the start height is not a number"));
    case Kind::UnreadableRun:
        return Fill(Words(Tr("run {1} cannot be read: {2}")),
                    {failure.run, UnreadableCauseReason(failure.cause)});
    case Kind::BeyondSheet:
        // TRANSLATORS: {1} and {2} are row numbers of the sheet; the sentence has no plural.
        return Fill(Words(Tr("the results reach row {1}, but the sheet has only {2} rows")),
                    {std::to_string(failure.row), std::to_string(failure.lastRow)});
    case Kind::Refused:
        // Worded once, by the catalogue (OutputPath), in the window's language.
        return Words(OutputRefusalReason(failure.refusal));
    case Kind::NotSaved: {
        if (std::string reason = SaveFailureReason(failure.file.code); !reason.empty())
            return reason;
        // The workbook's own failures are worded by the catalogue, in the window's language.
        if (failure.file.code < 0)
            return Utf8ToCp1251(failure.file.Text());
        return Words(Tr("the file could not be written"));
    }
    }
    return {};
}

std::string ExportFailureMessage(const ExportFailure& failure)
{
    // TRANSLATORS: every failed export of the main window begins so.
    std::string message = Words(Tr("There may have been a problem with Excel."));
    const std::string reason = ExportFailureReason(failure);
    if (!reason.empty())
        message += "\n" + Fill(Words(Tr("Reason: {1}")), {reason});
    return message;
}

std::string ExportNoticeText(ExportNotice notice, const ExportFailure& failure)
{
    switch (notice) {
    case ExportNotice::NotAllRunsLinked:
        return Words(Tr("Error. Not all runs are linked."));
    case ExportNotice::WorkbookProblem:
        break;
    }
    return ExportFailureMessage(failure);
}

std::string RunTipText(const LevellingRun& run, double toleranceCoefficient)
{
    const UnreadableCause cause = run.UnreadableCauseOf(toleranceCoefficient);
    if (!cause.empty())
        return Fill(Words(Tr("Run cannot be read: {1}")), {UnreadableCauseReason(cause)});
    const std::optional<bool> agrees = run.AgreesWithInstrument();
    if (!agrees)
        return {};
    const InstrumentFigures& instrument = *run.instrument;
    std::string theirs;
    std::string ours;
    if (instrument.heightSum) {
        // TRANSLATORS: {1} is a figure in metres.
        const std::string height = Words(Tr("height difference {1} m"));
        theirs += Fill(height, {InstrumentHeightText(*instrument.heightSum)});
        ours += Fill(height, {InstrumentHeightText(run.heightSum)});
    }
    if (instrument.length) {
        const std::string separator = theirs.empty() ? "" : ", ";
        // TRANSLATORS: {1} is a length in metres.
        const std::string length = Words(Tr("length {1} m"));
        theirs += separator + Fill(length, {InstrumentLengthText(*instrument.length)});
        ours += separator + Fill(length, {InstrumentLengthText(run.distanceSum)});
    }
    std::string verdict;
    if (*agrees) {
        verdict = Words(Tr("Agrees with the instrument."));
    } else {
        verdict = Words(Tr("Disagrees with the instrument:"));
        const std::string height = Words(TrIn("the sum that disagrees", "height difference"));
        const std::string length = Words(TrIn("the sum that disagrees", "length"));
        if (!instrument.HeightAgrees(run.heightSum))
            verdict += " " + height;
        if (!instrument.LengthAgrees(run.distanceSum))
            verdict += (instrument.HeightAgrees(run.heightSum) ? " " : ", ") + length;
        verdict += ".";
    }
    // TRANSLATORS: Sh and Db+Df are the instrument's own sums, as its book names them.
    return Fill(Words(Tr("Instrument (Sh, Db+Df): {1}\nProgram: {2}\n{3}")), {theirs, ours, verdict});
}

std::string RunEntryTip(OpenBook& book, std::size_t index)
{
    const auto& entries = book.runList().entries();
    if (index >= entries.size())
        return {};
    const LevellingRun& run = book.Catalog().Find(entries[index].runNumber);
    return RunTipText(run, book.toleranceCoefficient());
}

std::optional<OutputFormat> ToolResultsFormat(const std::string& output, const std::string& bookPath,
                                              std::string& error)
{
    const OutputChoice choice = ChooseOutput(output, OutputKind::WorkbookOrCatalogue, {bookPath});
    if (choice.refusal == OutputRefusal::IsFieldBook) {
        error = Fill(Tr("{1} is the field book itself; the results are not written over it"), {output});
        return std::nullopt;
    }
    if (!choice.allowed()) {
        error = OutputRefusalText(choice.refusal, output);
        return std::nullopt;
    }
    return choice.format;
}

}  // namespace velmora
