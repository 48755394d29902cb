// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// The fields a field-book line is read into, whatever its layout; in the order in which a line
/// of the DiNi M5 layout, which has nearly all of them, holds them.
enum class Field : std::uint8_t {
    layoutTag,         ///< the text that introduces the layout's name ("For")
    layoutName,        ///< the name of the line's layout as the line writes it ("M5")
    memoryAddressTag,  ///< the text that introduces the memory address ("Adr")
    memoryAddress,     ///< where the instrument stored the line, a number of its own
    lineKind,          ///< what the line records: a measurement ("KD1"), a text ("TO")
    pointNumber,
    pointInfo,         ///< what the instrument noted about the point or the line
    runNumber,
    valueType,         ///< the code of the reading: "Rb", "Rf", "Sh", "Db"
    reading,
    readingUnit,
    distanceType,      ///< the code of the distance: "HD", "dz", "Df"
    distance,
    distanceUnit,
    heightType,        ///< the code of the point's height as the instrument wrote it: "Z"
    height,
    heightUnit,
    lineRest,          ///< what follows the last value, to the line's end
    /// The height the instrument carried to the line's point, as it wrote it (a word-based
    /// book's running height; the first of a run is where the instrument began).
    instrumentHeight,
    /// The run length the instrument summed up to the line, as it wrote it.
    instrumentLength,
};
inline constexpr std::size_t kFieldCount = 20;

/// Why a line of a layout cannot be read, in the layout's own words (a word that does not
/// parse); empty when it can be read.
struct LineFault {
    /// The English text of the fault, marked N_ where the layout writes it and translated when
    /// shown: {1} stands for the line's number in the book, {2} for `word`. Null when the line
    /// can be read.
    const char* words = nullptr;
    std::string word;  ///< the offending text as written, without the blanks around it (bytes
                       ///< of the book; a control byte in it is shown when the fault is worded)

    bool empty() const { return words == nullptr; }
    bool operator==(const LineFault&) const = default;
};

/// What people see of a book format, whichever of its layouts a file is written in: its name,
/// the suffixes of its files and the words of the tool's usage for it. The layouts of one
/// instrument's book share one.
struct BookFormat {
    /// The name for people, as the file dialogs' filters and the tool's warnings give it:
    /// "Trimble DiNi", "Leica GSI".
    std::string_view name;
    /// The suffixes of its files, without the dot, as the open dialog lists them; a book saved
    /// in this format takes the first.
    std::span<const std::string_view> suffixes;
    /// What such a book is, for the tool's usage (English, marked N_, translated when shown),
    /// one of the list that completes "FILE is a field book of either make, told apart by its
    /// content: ": "a Trimble DiNi book\n(.DAT, M5 or plain layout)".
    const char* usage;
    /// A sentence of the usage on how such a book is saved, after that list (N_, ending in a
    /// line end); null where nothing is to be said.
    const char* saving;
};

/// What the run analysis reads of a line, cut from it in one pass (FieldBookLayout::ReadValues).
struct LineValues {
    /// A numeric field: its number (FieldBookLayout::NumberOf) and the metres per unit of its
    /// unit (FieldBookLayout::MetresPerUnit).
    struct Value {
        std::optional<double> number;
        std::optional<double> metresPerUnit;
    };
    std::string_view pointNumber;
    std::string_view valueType;
    Value reading;
    Value distance;
    Value instrumentHeight;
    Value instrumentLength;
};

/// The four texts of a line that the observation grid shows and edits.
struct GridTexts {
    std::string_view pointNumber;
    std::string_view valueType;
    std::string_view reading;
    std::string_view distance;
};

/// How the lines of one field-book layout are written. Everything the rest of the system knows
/// about a layout goes through here: how a line of it is recognised, where its fields stand,
/// which of its lines are the instrument's events, how a unit and the error flag are written,
/// and where a start-of-run line names the levelling method.
///
/// Every question is asked of one line (non-empty, without its line end); the answers are
/// texts that stand in that line, or constants of the layout, never copies. A fixed-column
/// layout (the DiNi ones in DiniLayouts.h) cuts a field at its columns; a word-based one
/// (GsiLayout.h) finds it by the index of the word that holds it and reads each word's unit
/// from the word. Where a layout writes a number otherwise than as decimal text (digits with
/// the decimal point implied by a unit), MakeText gives the decimal text, which the record
/// keeps beside its line; such a layout may also write an edited field back into its line.
///
/// A new layout is one file and one line:
///  1. A file beside DiniLayouts.cpp and GsiLayout.cpp with a class derived from this one. It
///     answers every question below, and with it names what people see of its book: its
///     BookFormat (the name for the file dialogs and the tool's warnings, the file suffixes,
///     the usage's words; the layouts of one instrument's book share one), the words of its
///     LineFault, and whether its lines tell the book (RecognitionTellsTheBook).
///  2. Its line in the table of FieldBookLayout.cpp, which tries the layouts in order and lets
///     the first that recognises a line read it; before the plain layout, which takes every
///     line.
/// The rest follows from the table: what a file holds (BookContent.h), a run's reason for a
/// line the layout cannot read, the file dialogs' filters (app/BookFileFilters.h) and the
/// tool's usage (cli/Usage.h, BookFormatsText). Its texts marked N_ are translated in
/// po/ru.po; its tests give FieldBookLayoutTest a sample book in the layout.
class FieldBookLayout {
public:
    virtual ~FieldBookLayout() = default;

    /// A short name for messages and tests: "M5", "plain".
    virtual std::string_view Name() const = 0;

    /// The book format the layout belongs to.
    virtual const BookFormat& Format() const = 0;

    /// True when `line` is written in this layout.
    virtual bool Recognises(std::string_view line) const = 0;

    /// True when a line the layout recognises tells the file's format by itself, so that a
    /// file of no field-book line whose first line it recognises is said to be a book of that
    /// format (BookContent::BookWithoutRuns): the shape of a GSI word does; a DiNi line that
    /// begins with "For", and any line the plain layout takes, do not.
    virtual bool RecognitionTellsTheBook() const = 0;

    /// The trimmed text of a field of `line`; empty when the layout has no such field or the
    /// line ends before it. Any content is accepted: nothing is checked here.
    virtual std::string_view FieldOf(std::string_view line, Field field) const = 0;

    /// The run number of `line`, trimmed. `carried` is the run number of the line before: a
    /// layout whose lines do not each carry one (a word-based book names its run once, at the
    /// run's start) gives it back for the lines that follow. Fixed-column layouts ignore it.
    virtual std::string_view RunNumberOf(std::string_view line, std::string_view carried) const = 0;

    /// True for a line that records one of the instrument's events (a run's start or end, a
    /// measurement repeated, the file's name) rather than an observation.
    virtual bool IsEventLine(std::string_view line) const = 0;

    /// True for a line that the instrument flagged as a failed measurement.
    virtual bool HasErrorFlag(std::string_view line) const = 0;

    /// True when `line` takes no part in the analysis: its value type (FieldOf) is none of the
    /// observation codes (IsObservationCode of its ObservationCode, MeasurementRecord.h), or it
    /// HasErrorFlag, or it IsEventLine. A layout that finds its fields by searching the line
    /// decides it in one search.
    virtual bool TakesNoPart(std::string_view line) const;

    /// The unit of the value in `value` (Field::reading, Field::distance or Field::height) as
    /// written, for messages; empty where the layout writes none.
    virtual std::string_view UnitOf(std::string_view line, Field value) const = 0;

    /// Metres per unit of the value in `value` (as for UnitOf): 1 for metres, 0.3048 for feet;
    /// nothing for a unit the layout does not know.
    virtual std::optional<double> MetresPerUnit(std::string_view line, Field value) const = 0;

    /// The word with which a start-of-run line names the levelling method ("BF", "aBFFB",
    /// "ZVVZ"); empty when the line holds none.
    virtual std::string_view MethodWord(std::string_view line) const = 0;

    /// The run number of `line` when the layout makes it rather than reading it from the line
    /// (a word-based book numbers its runs by their place): written into `made`, and true.
    /// False when the run number is RunNumberOf's text in the line.
    virtual bool MakeRunNumber(std::string_view line, std::string_view carried, std::string& made) const = 0;

    /// True when some field of the layout's lines is not written as decimal text, so that its
    /// records keep the texts MakeText gives.
    virtual bool MakesTexts() const = 0;

    /// The decimal text of a numeric field that the line writes otherwise ("1.59977" for the
    /// digits 159977 with five implied decimals), into `text`, and true; false when FieldOf
    /// gives the field's text as it stands.
    virtual bool MakeText(std::string_view line, Field field, std::string& text) const = 0;

    /// The number the text of a numeric field reads (TextToNumber of the text MakeText or
    /// FieldOf gives, NaN for text that is no number), in the unit the line writes; nothing when
    /// that text is empty. A layout that makes texts reads the number from the line without
    /// making the text; the number is the same to the last bit.
    virtual std::optional<double> NumberOf(std::string_view line, Field field) const;

    /// The fields of `line` that the run analysis reads, each as FieldOf, NumberOf and
    /// MetresPerUnit give it, into `values`, and, when `fault` is given, Problem(line) into it.
    /// A layout that finds its fields by searching the line finds them all, and the fault, in
    /// one search. Without `sights` (a line that takes no part) only the value type and the
    /// instrument's running figures are asked for: the rest is left empty, or read all the same
    /// where that costs nothing more.
    virtual void ReadValues(std::string_view line, LineValues& values, bool sights, LineFault* fault) const;

    /// Why a line of the layout cannot be read (a word that does not parse), in the layout's
    /// words, for a run's reason; empty when it can. Nothing is said about content a
    /// fixed-column layout cuts.
    virtual LineFault Problem(std::string_view line) const = 0;

    /// True when a line of this layout ends as the book ended it: LF, CR LF or a lone CR (which
    /// then ends such a line when the book is read), with the empty lines after it, nothing
    /// after the last line when the book had nothing; a book that begins with such a line is
    /// saved so throughout, its byte-order mark kept. False when a saved line ends with CR LF
    /// and empty lines are left out (MeasurementFile.h).
    virtual bool KeepsLineEnds() const = 0;

    /// True when a line whose grid fields were edited is saved with the edits written into it;
    /// false when it is saved as read.
    virtual bool WritesEdits() const = 0;

    /// `line` with the edited `fields` written into it (each field that differs from what the
    /// line gives, at its place, width and unit), into `written`; false, with `written`
    /// unspecified, when a field cannot be written there (no number, too wide, a distance below
    /// zero, a code the layout has no word for). Only for a layout that WritesEdits.
    virtual bool WriteEdits(std::string_view line, const GridTexts& fields, std::string& written) const = 0;
};

/// At most this many layouts: a record keeps the index of its layout in three bits.
inline constexpr std::size_t kMaxLayouts = 8;

/// The index of the layout that reads `line`: the first of the table that recognises it. The
/// last, the DiNi plain layout, takes every line.
std::uint8_t LayoutIndexOf(std::string_view line);

/// The layout with that index (as LayoutIndexOf gives it).
const FieldBookLayout& LayoutAt(std::uint8_t index);

/// How many layouts the table holds; their indices are 0 to one less.
std::uint8_t LayoutCount();

/// The book formats of the table's layouts, each once, in the order of their first layout: the
/// file dialogs and the tool's usage list them so.
const std::vector<const BookFormat*>& BookFormats();

/// The number of a field's text as FieldBookLayout::NumberOf gives it: nothing for an empty
/// text, else TextToNumber of it.
std::optional<double> NumberOfText(std::string_view text);

/// Metres in one foot, exactly.
inline constexpr double kMetresPerFoot = 0.3048;

}  // namespace velmora
