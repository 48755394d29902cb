// SPDX-License-Identifier: MIT
#pragma once

// The file dialogs' filters for field books, made from the book formats of the layout table
// (BookFormats in fieldbook/FieldBookLayout.h): a new format appears in them by its name and
// suffixes.

#include <QString>
#include <QStringList>

namespace velmora::app {

/// The open dialog's filters: every field book under the general name ("Данные (*.DAT *.dat
/// *.gsi *.GSI)"), then each format by its name with its suffixes, then every file.
QStringList OpenBookFilters();

/// The save dialog's filters, one per format with its first suffix, in the table's order; the
/// first format, the default, under the general name ("Данные (*.DAT)", "Leica GSI (*.gsi)").
QStringList SaveBookFilters();

/// The save filter proposed for a book last chosen as `file`: that of the format one of whose
/// suffixes it ends with (in any case), the first otherwise.
QString SaveFilterFor(const QString& file);

/// The suffix that a name chosen under the save filter `filter` gets: its format's first.
QString SuffixOfSaveFilter(const QString& filter);

}  // namespace velmora::app
