// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/RecordBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// One non-empty line of a field book, read by the layout that recognises it (FieldBookLayout,
/// DiniLayouts.h for the DiNi ones). Every field is given trimmed. The record keeps the line
/// itself unchanged: saving writes `lineText`, never the fields.
///
/// A record is 8 bytes. One that a RecordList made from its text holds where its line stands
/// in that text (relative to its block of records in the list), the line's length, its layout
/// and its flags; fields are cut from the line when asked for, so a book of ten million short
/// lines stays small. A run number that does not stand in the line (one the layout made or
/// carried over) is kept once for the records of its block that share it, and the texts a
/// layout makes (FieldBookLayout::MakeText) are made for the block when first asked for
/// (RecordBlock.h). Everything else — a record made by ParseLine, which holds its own copy of
/// the line, a very long line, edited cells, and every copy taken out of a list — lives in a
/// separate object the record points to.
class MeasurementRecord {
public:
    MeasurementRecord() = default;
    ~MeasurementRecord();
    MeasurementRecord(const MeasurementRecord& other);
    MeasurementRecord& operator=(const MeasurementRecord& other);
    /// A copy holds its own line, so it may outlive the list it was taken from. A record that
    /// stands in a list means something only in its block: moved anywhere else it becomes such
    /// a copy, which allocates, so the moves may throw std::bad_alloc.
    MeasurementRecord(MeasurementRecord&& other);
    MeasurementRecord& operator=(MeasurementRecord&& other);

    /// The trimmed text of a field, as cut from the line or as last edited in the grid.
    std::string_view field(Field f) const;

    std::string_view pointNumber() const { return field(Field::pointNumber); }
    std::string_view runNumber() const;
    std::string_view valueType() const { return field(Field::valueType); }
    std::string_view reading() const { return field(Field::reading); }
    std::string_view distance() const { return field(Field::distance); }

    /// The number a numeric field's text reads (TextToNumber of field(f), NaN for text that is
    /// no number), in the unit the line writes; nothing when the text is empty. Read from the
    /// line without making its text where the layout can (FieldBookLayout::NumberOf).
    std::optional<double> number(Field f) const;

    /// What the run analysis reads of the record (FieldBookLayout::ReadValues, with `sights`),
    /// cut from its line in one pass; the texts and numbers of edited grid fields as last edited.
    /// `fault`, when given, receives what the layout finds wrong with the line as read.
    void ReadValues(LineValues& values, bool sights, LineFault* fault = nullptr) const;

    /// The line exactly as read, without its line end and not trimmed.
    std::string_view lineText() const;

    /// The layout that reads the line.
    const FieldBookLayout& layout() const { return LayoutAt(layoutIndex()); }

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
    friend MeasurementRecord ParseLine(std::string_view line, std::string_view carriedRun);
    friend class RecordList;

    struct Detached;

    /// Makes this record, which stands in the RecordList block `block`, a view of `line` of
    /// the list's text; `carriedRun` is the run number of the line before
    /// (FieldBookLayout::RunNumberOf).
    void BecomeView(std::string_view line, RecordBlockHeader& block, std::string_view carriedRun);
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
    /// The text the layout makes of field `f` of this view's line, made and kept in its block
    /// when first asked for; null when the layout gives the field as it stands.
    const std::string* MadeText(Field f) const;
    /// A detached record with everything this view holds; its line stays where it stands.
    Detached* DetachedCopyOfView() const;
    void Release() noexcept;
    std::uint8_t layoutIndex() const;

    // A view (kViewTag set) packs, from bit 0 up: the tag; where the line stands from its
    // block's base; the line's length; the skip flag; the layout's index; where the trimmed run
    // number stands in the line and its length; kRunKept when the run number is kept in the
    // block's texts instead (RecordBlockTexts). Otherwise the word is the address of a
    // Detached, or 0 for an empty record.
    struct Bits {
        unsigned shift;
        std::uint64_t mask;  // of the value, before shifting
        std::uint64_t Of(std::uint64_t word) const { return (word >> shift) & mask; }
        std::uint64_t Put(std::uint64_t value) const { return value << shift; }
    };
    static constexpr std::uint64_t kViewTag = 1;
    static constexpr Bits kOffset{1, 0xFFFFFFFFu};
    static constexpr Bits kLength{33, 0xFFFFu};
    static constexpr Bits kSkipped{49, 1};
    static constexpr Bits kLayout{50, 0x7};
    static constexpr Bits kRunStart{53, 0x3F};
    static constexpr Bits kRunLength{59, 0x7};
    static constexpr Bits kRunKept{62, 1};
    static_assert(kLayout.mask + 1 >= kMaxLayouts);

    std::uint64_t word_ = 0;
};

/// Reads one non-empty line into a record by the layout that recognises it; the record holds
/// its own copy of the line. `carriedRun` is the run number of the line before, for layouts
/// whose lines do not each carry one. Accepts any content; never fails. `skipped` is left
/// clear: the loader decides it.
MeasurementRecord ParseLine(std::string_view line, std::string_view carriedRun = {});

/// The observation code that a value type stands for: the German firmware's "Lr", "Lv" and
/// "Lz" are "Rb" (backsight), "Rf" (foresight) and "Rz" (intermediate sight); every other code
/// stands for itself.
std::string_view ObservationCode(std::string_view valueType);

/// True for the five observation codes that let a line take part: "Rb", "Rf", "Sh", "Db",
/// "Rz" (compared exactly; give ObservationCode of a German code).
bool IsObservationCode(std::string_view code);

}  // namespace velmora
