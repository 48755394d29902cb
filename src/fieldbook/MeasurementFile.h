// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Failure.h"
#include "fieldbook/RecordList.h"
#include "fieldbook/RunNumberSet.h"
#include "fieldbook/RunStretches.h"

#include <string>
#include <vector>

namespace velmora {

/// True when a line takes no part in the analysis: its value type is none of the observation
/// codes Rb, Rf, Sh, Db, Rz (or Lr, Lv, Lz, the German firmware's Rb, Rf, Rz), its layout
/// flags it as a failed measurement, or it records one of the instrument's events
/// (FieldBookLayout::TakesNoPart). Decided from the line as read, as the loader does before
/// any edit.
bool IsSkippedLine(const MeasurementRecord& record);

/// Reads a whole field book into `records` (emptied first), one record per non-empty line,
/// with `skipped` decided for each. The list keeps the file's bytes in one buffer and its
/// records refer to them, so the memory is the file's size plus 8 bytes a line. A line ends at
/// LF; a CR directly before the LF belongs to the line end. A lone CR ends a line of a layout
/// that keeps the book's line ends (a Leica line) and an empty line; in any other line (a DiNi
/// one) it is a byte of the line. A UTF-8 byte-order mark before a first line of such a layout
/// belongs to no line. Any bytes are accepted: NUL, lone CR, bytes of 128 and above, lines of
/// any length.
///
/// `path` names a regular file, or is `-` for standard input (whatever that is connected to).
/// A pipe, a device or a folder given by name is refused before anything is read, so a pipe
/// nobody writes to cannot hang the program and /dev/zero cannot fill the memory.
///
/// Returns false, with `records` empty and `failure` saying why (its code and the path), only
/// when the file cannot be opened or read; an empty file or one with no usable line is a
/// successful load.
///
/// `stretches`, when given, receive the records' stretches, worked out in the same pass.
bool ReadMeasurementFile(const std::string& path, RecordList& records, Failure& failure,
                         RunStretches* stretches = nullptr);
/// The same, with the failure in words.
bool ReadMeasurementFile(const std::string& path, RecordList& records, std::string& error,
                         RunStretches* stretches = nullptr);

/// What a file holds, compared with the bytes of a book read before.
enum class FileComparison {
    Same,        ///< exactly those bytes
    Differs,     ///< other bytes
    Unreadable,  ///< nothing that can be read: gone, no permission, not a regular file, `-`
};

/// Compares the file at `path` with `text` by reading it through, without parsing it;
/// `failure` says why when it cannot be read (no code for `-`, standard input, which cannot
/// be read a second time).
FileComparison CompareFileWithText(const std::string& path, std::string_view text, Failure& failure);

/// Reads the field book at `path` into `records`, which hold a book read before, with the
/// result of ReadMeasurementFile. When `records` came from ReadMeasurementFile and the file
/// still holds exactly the bytes they were read from, the bytes are read and compared but not
/// parsed again: the records stay and only lose their edits, and `unchanged` is set true.
/// Otherwise the file is read afresh (`unchanged` false), and `stretches` with it.
bool RereadMeasurementFile(const std::string& path, RecordList& records, Failure& failure,
                           bool& unchanged, RunStretches& stretches);

/// Reads field-book text held in memory, as ReadMeasurementFile reads a file: appends one
/// record per non-empty line to `records`. An empty list takes a copy of the text that its
/// records refer to; appended records hold their own lines.
void ParseMeasurementText(std::string_view text, RecordList& records);

/// The run numbers of the records that take part, in file order, each stretch of consecutive
/// equal numbers collapsed to one: 5, 5, 7, 7, 5 gives 5, 7, 5.
std::vector<std::string> CollapsedRunNumbers(const RecordList& records);

/// Writes the lines of `records` to a saved field book, in file order: every line but those
/// of the runs deleted from the list (`deletedRuns`), so that a run the list never showed (its
/// sights all flagged, a line started but not measured) is written as read. A line without a
/// run number is always written; the skip flag plays no part. Each line is written as read and
/// ended by CR LF, without the book's empty lines; a line of a layout that keeps its line ends
/// (FieldBookLayout::KeepsLineEnds), and every line of a book that begins with one (a Leica
/// book), is followed by what followed it as read instead: its line end and the empty lines
/// after it, and such a book keeps its byte-order mark. A first written line that begins with
/// the bytes of a byte-order mark is preceded by a line end, so that it reads back whole. A
/// layout that writes edits into its lines (WritesEdits) has them written; an edit that cannot
/// be written fails the save (kEditNotWritable), and so does a save that would write no line
/// of a book that has lines (kNothingToSave), both before anything is written.
///
/// The lines go to a temporary file beside `path` that is renamed over it at the end, so an
/// existing file is either replaced whole or left untouched; a pipe or device, or `-` for
/// standard output, gets the lines copied into it (AtomicFile says how each target is treated).
/// Returns false with `failure` saying why when anything fails; no partial file is left behind.
bool WriteMeasurementFile(const std::string& path, const RecordList& records,
                          const RunNumberSet& deletedRuns, Failure& failure);
/// The same, with the failure in words.
bool WriteMeasurementFile(const std::string& path, const RecordList& records,
                          const RunNumberSet& deletedRuns, std::string& error);

/// True when a line that WriteMeasurementFile would write has grid edits that its layout does
/// not write into lines (a DiNi book's lines are saved as read), so that the saved file will
/// not hold them.
bool EditsLeftOutOnSave(const RecordList& records, const RunNumberSet& deletedRuns);

}  // namespace velmora
