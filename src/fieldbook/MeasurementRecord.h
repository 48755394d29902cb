// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// The fields cut from one field-book line, in the order of the M5 layout.
enum class Field : std::uint8_t {
    formatTag,
    formatName,
    addressTag,
    address,
    blockType,
    pointNumber,
    pointInfo,
    runNumber,
    valueType,
    reading,
    readingUnit,
    distanceType,
    distance,
    distanceUnit,
    thirdType,
    thirdValue,
    thirdUnit,
    thirdRest,
};
inline constexpr std::size_t kFieldCount = 18;

/// One non-empty line of a DiNi 12 field book.
///
/// The instrument writes two fixed-column layouts; columns are counted from 0.
///
/// M5 layout, every line that begins with "For" (119 characters as the instrument writes them):
///
///     For M5|Adr     4|KD1       F2      15.0 C  2 KO1|Rb        0.93835 m   |HD         21.640 m   |                      |
///     0   4  7  10    17 20       29             44   49 51             66    72 74             89    95 96              112115
///     |   |  |  |     |  |        |              |    | |               |     |  |              |     | |               |  |
///     |   |  |  |     |  |        |              |    | reading (51,15)  unit  |  distance (74,15)     | thirdValue (96,16)
///     |   |  |  |     |  |        |              |    valueType (49,2)       distanceType (72,2)     thirdType (95,1)
///     |   |  |  |     |  |        pointInfo (29,15)                                                   thirdUnit (112,3)
///     |   |  |  |     |  pointNumber (20,9)                                                           thirdRest (115,6)
///     |   |  |  |     blockType (17,3)   runNumber (44,4)
///     |   |  |  address (10,6)
///     |   |  addressTag (7,3)
///     |   formatName (4,2)
///     formatTag (0,3)
///
/// Plain layout, every other line; only five fields are read:
///
///           7        16             31   36 38           51 53
///     00012  RP101     21.05.2026    12 Rb      1.43215     25.301
///            pointNumber (7,9)       |    | reading (38,13) distance (53,13)
///                                    |    valueType (36,2)
///                                    runNumber (31,4)
///
/// A field that runs past the end of the line is cut at the end; one that begins at or beyond
/// the end is empty. Every field is given trimmed. The record keeps the line itself unchanged:
/// saving writes `lineText`, never the fields.
///
/// A record is 8 bytes. One that a RecordList made from its text holds where its line stands
/// in that text (relative to its block of records in the list), the line's length and its
/// flags; fields are cut from the line when asked for, so a book of ten million short lines
/// stays small. Everything else — a record made by ParseLine, which holds its own copy of the
/// line, a very long line, edited cells, and every copy taken out of a list — lives in a
/// separate object the record points to.
class MeasurementRecord {
public:
    MeasurementRecord() = default;
    ~MeasurementRecord();
    MeasurementRecord(const MeasurementRecord& other);
    MeasurementRecord& operator=(const MeasurementRecord& other);
    MeasurementRecord(MeasurementRecord&& other) noexcept;
    MeasurementRecord& operator=(MeasurementRecord&& other) noexcept;

    /// The trimmed text of a field, as cut from the line or as last edited in the grid.
    std::string_view field(Field f) const;

    std::string_view pointNumber() const { return field(Field::pointNumber); }
    std::string_view runNumber() const;
    std::string_view valueType() const { return field(Field::valueType); }
    std::string_view reading() const { return field(Field::reading); }
    std::string_view distance() const { return field(Field::distance); }

    /// The line exactly as read, without its line end and not trimmed.
    std::string_view lineText() const;

    /// True when the line begins with "For" and is cut by the M5 layout.
    bool isM5() const;

    /// True when the line takes no part in the analysis; decided by the loader.
    bool skipped() const;
    void SetSkipped(bool skipped);

    /// Overwrites the four fields the observation grid shows (an edit, or its replay).
    /// The texts are stored as given; the caller trims them. The run number, the skip flag
    /// and the line text stay as loaded.
    void SetGridFields(std::string pointNumber, std::string valueType, std::string reading,
                       std::string distance);

    /// True when SetGridFields has overwritten the fields since the record was made.
    bool HasEdits() const;

    /// Gives the four grid fields back the texts of the line, as the record had them before
    /// any SetGridFields.
    void DiscardEdits();

private:
    friend MeasurementRecord ParseLine(std::string_view line);
    friend class RecordList;

    struct Detached;

    /// Makes this record, which stands in a RecordList block whose lines are counted from
    /// `blockBase`, a view of `line` of the list's text.
    void BecomeView(std::string_view line, const char* blockBase);
    /// Makes this record a copy of `other`, the record at the same place in another list whose
    /// text `oldText` was copied to `newText`.
    void BecomeCopyOf(const MeasurementRecord& other, std::string_view oldText, const char* newText);
    /// Drops the edits of this record, which stands in a RecordList block whose lines are
    /// counted from `blockBase`; a line of the list's `text` then makes it a view again.
    void ReturnToView(std::string_view text, const char* blockBase);
    /// Where `at`, a place in `oldText`, stands in `newText`, a copy of it; other places stay.
    static const char* Rebased(const char* at, std::string_view oldText, const char* newText);

    bool isView() const { return (word_ & kViewTag) != 0; }
    bool isDetached() const { return word_ != 0 && !isView(); }
    const Detached& detached() const { return *reinterpret_cast<const Detached*>(word_); }
    Detached& detached() { return *reinterpret_cast<Detached*>(word_); }
    /// The detached form of this record, made first if it is a view (or empty).
    Detached& Detach();
    /// A detached record with everything this view holds; its line stays where it stands.
    Detached* DetachedCopyOfView() const;
    void Release() noexcept;

    // A view (kViewTag set): bits 1–32 where the line stands from its block's base, 33–48
    // its length, then the skip flag, the M5 flag, where the trimmed run number stands in the
    // line and its length. Otherwise the address of a Detached, or 0 for an empty record.
    static constexpr std::uint64_t kViewTag = 1;
    static constexpr unsigned kOffsetShift = 1;
    static constexpr unsigned kLengthShift = 33;
    static constexpr unsigned kSkippedShift = 49;
    static constexpr unsigned kM5Shift = 50;
    static constexpr unsigned kRunStartShift = 51;
    static constexpr unsigned kRunLengthShift = 57;
    static constexpr std::uint64_t kMaxViewOffset = 0xFFFFFFFFu;
    static constexpr std::uint64_t kMaxViewLength = 0xFFFFu;

    std::uint64_t word_ = 0;
};

/// Cuts one non-empty line into a record by the M5 layout when it begins with "For"
/// (case-sensitive), by the plain layout otherwise. Accepts any content; never fails.
/// `skipped` is left clear: the loader decides it.
MeasurementRecord ParseLine(std::string_view line);

/// A record's run number (trimmed, so at most the 4 bytes of its column) packed into one
/// integer: its bytes and its length, so that equal numbers and only they give equal keys.
/// Nothing for a longer text, which no record can hold.
std::optional<std::uint64_t> PackedRunNumber(std::string_view runNumber);

/// The observation code that a value type stands for: the German firmware's "Lr", "Lv" and
/// "Lz" are "Rb" (backsight), "Rf" (foresight) and "Rz" (intermediate sight); every other code
/// stands for itself.
std::string_view ObservationCode(std::string_view valueType);

/// True for the five observation codes that let a line take part: "Rb", "Rf", "Sh", "Db",
/// "Rz" (compared exactly; give ObservationCode of a German code).
bool IsObservationCode(std::string_view code);

/// Metres in one foot, exactly.
inline constexpr double kMetresPerFoot = 0.3048;

/// Metres per unit of a value whose unit field (trimmed) holds `unit`: 1 for "m" and for no
/// unit (the plain layout has none), kMetresPerFoot for "ft"; nothing for any other unit.
std::optional<double> MetresPerUnit(std::string_view unit);

/// True for an M5 line that the instrument flagged as a failed measurement: an "e" in its
/// error-flag column, the last of the 119 (column 118, after the final "|").
bool HasErrorFlag(const MeasurementRecord& record);

}  // namespace velmora

#include "fieldbook/RecordList.h"
