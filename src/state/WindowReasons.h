// SPDX-License-Identifier: MIT
#pragma once

#include "export/Export.h"
#include "runs/UnreadableCause.h"

#include "fieldbook/OutputPath.h"

#include <cstddef>
#include <optional>
#include <string>

namespace velmora {

class OpenBook;
struct LevellingRun;

// The window's words for the causes the core reports as codes, in Russian (Windows-1251).
// Texts from the book (point and run numbers) are put in as they are.

/// Why a run cannot be read, in the catalogue's words (UnreadableCause::TextForPeople) and in
/// Windows-1251: "станция 2 (BFB от точки 12) не подходит ни к одному способу нивелирования".
/// Empty for no cause.
std::string UnreadableCauseReason(const UnreadableCause& cause);

/// Why an export wrote no workbook: the run and its cause, the refused name, the file's
/// failure (as "Сохранить в файл" words it), a start height that is no number. Never empty
/// for a failure; empty for none.
std::string ExportFailureReason(const ExportFailure& failure);

/// The export's failure message: "Возможно, возникла проблема с Excel.", then on a line of
/// its own "Причина: " and the reason, when there is a failure to name.
std::string ExportFailureMessage(const ExportFailure& failure);

/// What the window shows for an export's notice: "Ошибка. Не все ходы связаны.", or for a
/// workbook not written the failure's message (`ExportFailureMessage`).
std::string ExportNoticeText(ExportNotice notice, const ExportFailure& failure);

/// The tooltip of a run-list entry: for a run that cannot be read, why; for another run with
/// the instrument's own sums, its Sh and Db + Df against ours and whether they agree (the
/// instrument-agreement rule). Empty when there is nothing to say.
std::string RunTipText(const LevellingRun& run, double toleranceCoefficient);

/// The same for entry `index` of the book's run list as the records stand now.
std::string RunEntryTip(OpenBook& book, std::size_t index);

/// The format in which a Tools window saves its results (a workbook or the CSV catalogue) at
/// `output`, never over the open book `bookPath`; nothing, with `error` in the user's language,
/// when the name is refused.
std::optional<OutputFormat> ToolResultsFormat(const std::string& output, const std::string& bookPath,
                                              std::string& error);

}  // namespace velmora
