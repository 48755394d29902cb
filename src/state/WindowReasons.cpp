// SPDX-License-Identifier: MIT
#include "state/WindowReasons.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/OutputPath.h"
#include "runs/FigureWords.h"
#include "runs/LevellingRun.h"
#include "state/OpenBook.h"
#include "state/SaveFailure.h"

namespace velmora {

namespace {

// The words are written in UTF-8 here and handed on in Windows-1251, as the book's texts are.
std::string Words(std::string_view utf8)
{
    return Utf8ToCp1251(utf8);
}

// A figure of the instrument's kind (FigureWords) with its unit.
std::string Metres(const std::string& figure)
{
    return figure + Words(" м");
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
        return Words("начальная высота — не число");
    case Kind::UnreadableRun:
        return Words("ход ") + failure.run + Words(" не читается: ") + UnreadableCauseReason(failure.cause);
    case Kind::BeyondSheet:
        return Words("результаты доходят до строки ") + std::to_string(failure.row) +
               Words(", а на листе всего ") + std::to_string(failure.lastRow) + Words(" строк");
    case Kind::Refused:
        // Worded once, by the catalogue (OutputPath), in the window's language.
        return Words(OutputRefusalReason(failure.refusal));
    case Kind::NotSaved: {
        if (std::string reason = SaveFailureReason(failure.file.code); !reason.empty())
            return reason;
        // The workbook's own failures are worded by the catalogue, in the window's language.
        if (failure.file.code < 0)
            return Utf8ToCp1251(failure.file.Text());
        return Words("файл не удалось записать");
    }
    }
    return {};
}

std::string ExportFailureMessage(const ExportFailure& failure)
{
    std::string message = messages::kWorkbookProblem;
    const std::string reason = ExportFailureReason(failure);
    if (!reason.empty())
        message += "\n" + Words("Причина: ") + reason;
    return message;
}

std::string RunTipText(const LevellingRun& run, double toleranceCoefficient)
{
    const UnreadableCause cause = run.UnreadableCauseOf(toleranceCoefficient);
    if (!cause.empty())
        return Words("Ход не читается: ") + UnreadableCauseReason(cause);
    const std::optional<bool> agrees = run.AgreesWithInstrument();
    if (!agrees)
        return {};
    const InstrumentFigures& instrument = *run.instrument;
    std::string theirs;
    std::string ours;
    if (instrument.heightSum) {
        theirs += Words("превышение ") + Metres(InstrumentHeightText(*instrument.heightSum));
        ours += Words("превышение ") + Metres(InstrumentHeightText(run.heightSum));
    }
    if (instrument.length) {
        const std::string separator = theirs.empty() ? "" : ", ";
        theirs += separator + Words("длина ") + Metres(InstrumentLengthText(*instrument.length));
        ours += separator + Words("длина ") + Metres(InstrumentLengthText(run.distanceSum));
    }
    std::string verdict;
    if (*agrees) {
        verdict = Words("Совпадает с прибором.");
    } else {
        verdict = Words("Не совпадает с прибором:");
        if (!instrument.HeightAgrees(run.heightSum))
            verdict += Words(" превышение");
        if (!instrument.LengthAgrees(run.distanceSum))
            verdict += instrument.HeightAgrees(run.heightSum) ? Words(" длина") : Words(", длина");
        verdict += ".";
    }
    return Words("Прибор (Sh, Db+Df): ") + theirs + "\n" + Words("Программа: ") + ours + "\n" + verdict;
}

std::string RunEntryTip(OpenBook& book, std::size_t index)
{
    const auto& entries = book.runList().entries();
    if (index >= entries.size())
        return {};
    const LevellingRun& run = book.Catalog().Find(entries[index].runNumber);
    return RunTipText(run, book.toleranceCoefficient());
}

}  // namespace velmora
