// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/RecordList.h"

#include <string_view>

namespace velmora {

/// What a file read as a field book holds: field-book lines, or, when it holds none, what its
/// bytes look like, as far as that is cheap to tell from its beginning.
enum class BookContent {
    FieldBook,     ///< at least one line takes part in a run or records an instrument's event
    Empty,         ///< no byte at all
    BookWithoutRuns,  ///< lines of a layout that tells its book by them, none in a run (words of
                      ///< a Leica GSI book with no levelling line, a total station's): FormatOfText
    XlsWorkbook,   ///< an OLE compound file, as an .xls workbook is
    ZipArchive,    ///< a ZIP archive, as an .xlsx workbook is
    BinaryData,    ///< NUL bytes or many control bytes
    OtherText,     ///< text, but no line of a field book
};

/// True when a line of `records` takes part in a run (an observation of a layout the reader
/// knows) or records one of the instrument's events.
bool HoldsFieldBookLine(const RecordList& records);

/// What the beginning of `text` looks like, for a file that holds no field-book line.
BookContent ForeignContentOf(std::string_view text);

/// The format of the book that the first line of `text` tells (FieldBookLayout::
/// RecognitionTellsTheBook), for a file of BookContent::BookWithoutRuns; null when no layout's
/// line tells one.
const BookFormat* FormatOfText(std::string_view text);

/// BookContent::FieldBook for records that hold a field-book line, else what their text
/// looks like.
BookContent BookContentOf(const RecordList& records);

}  // namespace velmora
