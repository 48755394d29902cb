// SPDX-License-Identifier: MIT
#include "fieldbook/MeasurementRecord.h"

#include "fieldbook/TextConversions.h"

#include <algorithm>
#include <limits>

namespace velmora {

namespace {

struct Column {
    Field field;
    std::size_t first;
    std::size_t count;
};

constexpr Column kM5Layout[] = {
    {Field::formatTag, 0, 3},     {Field::formatName, 4, 2},    {Field::addressTag, 7, 3},
    {Field::address, 10, 6},      {Field::blockType, 17, 3},    {Field::pointNumber, 20, 9},
    {Field::pointInfo, 29, 15},   {Field::runNumber, 44, 4},    {Field::valueType, 49, 2},
    {Field::reading, 51, 15},     {Field::readingUnit, 66, 5},  {Field::distanceType, 72, 2},
    {Field::distance, 74, 15},    {Field::distanceUnit, 89, 5}, {Field::thirdType, 95, 1},
    {Field::thirdValue, 96, 16},  {Field::thirdUnit, 112, 3},   {Field::thirdRest, 115, 6},
};

// A field that runs past the end of the line is cut there; one that begins at or beyond the
// end is empty. Short lines are ordinary input, not an error.
std::string_view Cut(std::string_view line, std::size_t first, std::size_t count)
{
    if (first >= line.size())
        return {};
    return TrimText(std::string_view(line.data() + first, std::min(count, line.size() - first)));
}

// The columns of every field in each layout, indexed by Field; a count of 0 is a field the
// layout does not have.
struct Columns {
    std::array<std::uint8_t, kFieldCount> first{};
    std::array<std::uint8_t, kFieldCount> count{};
};

template <std::size_t N>
constexpr Columns ColumnsOf(const Column (&layout)[N])
{
    Columns columns;
    for (const Column& column : layout) {
        columns.first[static_cast<std::size_t>(column.field)] = static_cast<std::uint8_t>(column.first);
        columns.count[static_cast<std::size_t>(column.field)] = static_cast<std::uint8_t>(column.count);
    }
    return columns;
}

constexpr Column kPlainLayout[] = {
    {Field::pointNumber, 7, 9}, {Field::runNumber, 31, 4}, {Field::valueType, 36, 2},
    {Field::reading, 38, 13},   {Field::distance, 53, 13},
};

constexpr Columns kM5Columns = ColumnsOf(kM5Layout);
constexpr Columns kPlainColumns = ColumnsOf(kPlainLayout);

bool BeginsWithFor(std::string_view line)
{
    return line.size() >= 3 && line[0] == 'F' && line[1] == 'o' && line[2] == 'r';
}

}  // namespace

// What a record cannot hold in its word: its own copy of the line (ParseLine), a line too long
// or too far from its block's base, the cells edited in the grid, and everything of a record
// copied out of a list.
struct MeasurementRecord::Detached {
    struct GridFields {
        std::string pointNumber;
        std::string valueType;
        std::string reading;
        std::string distance;
    };

    Detached() = default;
    Detached(const Detached& other)
        : ownLine(other.ownLine), line(other.ownsLine ? std::string_view(ownLine) : other.line),
          ownsLine(other.ownsLine), skipped(other.skipped), m5(other.m5), runStart(other.runStart),
          runLength(other.runLength), edited(other.edited)
    {
    }
    Detached& operator=(const Detached&) = delete;

    std::string ownLine;
    std::string_view line;  // ownLine, or the line where it stands
    bool ownsLine = false;
    bool skipped = false;
    bool m5 = false;
    std::uint8_t runStart = 0;  // where the trimmed run number stands in the line
    std::uint8_t runLength = 0;
    std::optional<GridFields> edited;
};

namespace {

// Where the trimmed run number of a line stands in it, and its length: cut once, because every
// pass over the records asks for it, and never edited.
std::pair<std::uint8_t, std::uint8_t> RunNumberPlace(std::string_view line, bool m5)
{
    const Columns& columns = m5 ? kM5Columns : kPlainColumns;
    const auto index = static_cast<std::size_t>(Field::runNumber);
    const std::string_view number = Cut(line, columns.first[index], columns.count[index]);
    if (number.empty())
        return {0, 0};
    return {static_cast<std::uint8_t>(number.data() - line.data()), static_cast<std::uint8_t>(number.size())};
}

}  // namespace

MeasurementRecord::~MeasurementRecord()
{
    Release();
}

void MeasurementRecord::Release() noexcept
{
    if (isDetached())
        delete &detached();
    word_ = 0;
}

MeasurementRecord::MeasurementRecord(const MeasurementRecord& other)
{
    // A view means something only in its block, so a copy taken anywhere else holds its line
    // where it stands, detached.
    if (other.isDetached()) {
        word_ = reinterpret_cast<std::uint64_t>(new Detached(other.detached()));
    } else if (other.isView()) {
        word_ = reinterpret_cast<std::uint64_t>(other.DetachedCopyOfView());
    }
}

MeasurementRecord& MeasurementRecord::operator=(const MeasurementRecord& other)
{
    if (this != &other) {
        MeasurementRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

MeasurementRecord::MeasurementRecord(MeasurementRecord&& other) noexcept
{
    if (other.isView()) {
        // Taken out of its block: detached as a copy is. Allocation failure here ends the
        // program, as any in a noexcept move would.
        MeasurementRecord copy(other);
        word_ = copy.word_;
        copy.word_ = 0;
        return;
    }
    word_ = other.word_;
    other.word_ = 0;
}

MeasurementRecord& MeasurementRecord::operator=(MeasurementRecord&& other) noexcept
{
    if (this != &other) {
        MeasurementRecord moved(std::move(other));
        Release();
        word_ = moved.word_;
        moved.word_ = 0;
    }
    return *this;
}

void MeasurementRecord::BecomeView(std::string_view line, const char* blockBase)
{
    Release();
    const bool m5 = BeginsWithFor(line);
    const auto [runStart, runLength] = RunNumberPlace(line, m5);
    const auto offset = static_cast<std::uint64_t>(line.data() - blockBase);
    if (line.data() < blockBase || offset > kMaxViewOffset || line.size() > kMaxViewLength) {
        auto* detached = new Detached;
        detached->line = line;
        detached->m5 = m5;
        detached->runStart = runStart;
        detached->runLength = runLength;
        word_ = reinterpret_cast<std::uint64_t>(detached);
        return;
    }
    word_ = kViewTag | (offset << kOffsetShift) | (std::uint64_t{line.size()} << kLengthShift) |
            (std::uint64_t{m5} << kM5Shift) | (std::uint64_t{runStart} << kRunStartShift) |
            (std::uint64_t{runLength} << kRunLengthShift);
}

void MeasurementRecord::ReturnToView(std::string_view text, const char* blockBase)
{
    DiscardEdits();
    if (!isDetached() || detached().ownsLine || !blockBase)
        return;
    const std::string_view line = detached().line;
    if (line.data() < text.data() || line.data() + line.size() > text.data() + text.size())
        return;
    const bool wasSkipped = detached().skipped;
    BecomeView(line, blockBase);
    SetSkipped(wasSkipped);
}

const char* MeasurementRecord::Rebased(const char* at, std::string_view oldText, const char* newText)
{
    if (at && at >= oldText.data() && at <= oldText.data() + oldText.size())
        return newText + (at - oldText.data());
    return at;
}

void MeasurementRecord::BecomeCopyOf(const MeasurementRecord& other, std::string_view oldText,
                                     const char* newText)
{
    Release();
    if (!other.isDetached()) {
        word_ = other.word_;  // a view counts from its block's base, which moved with the text
        return;
    }
    auto* copy = new Detached(other.detached());
    if (!copy->ownsLine)
        copy->line = std::string_view(Rebased(copy->line.data(), oldText, newText), copy->line.size());
    word_ = reinterpret_cast<std::uint64_t>(copy);
}

MeasurementRecord::Detached* MeasurementRecord::DetachedCopyOfView() const
{
    auto* copy = new Detached;
    copy->line = lineText();
    copy->skipped = skipped();
    copy->m5 = isM5();
    copy->runStart = static_cast<std::uint8_t>((word_ >> kRunStartShift) & 0x3F);
    copy->runLength = static_cast<std::uint8_t>((word_ >> kRunLengthShift) & 0x7);
    return copy;
}

MeasurementRecord::Detached& MeasurementRecord::Detach()
{
    if (isView())
        word_ = reinterpret_cast<std::uint64_t>(DetachedCopyOfView());
    else if (word_ == 0)
        word_ = reinterpret_cast<std::uint64_t>(new Detached);
    return detached();
}

std::string_view MeasurementRecord::lineText() const
{
    if (isView()) {
        const char* base = RecordList::BlockBaseOf(this);
        return {base + ((word_ >> kOffsetShift) & kMaxViewOffset),
                static_cast<std::size_t>((word_ >> kLengthShift) & kMaxViewLength)};
    }
    if (isDetached())
        return detached().line;
    return {};
}

bool MeasurementRecord::isM5() const
{
    if (isView())
        return ((word_ >> kM5Shift) & 1) != 0;
    return isDetached() && detached().m5;
}

bool MeasurementRecord::skipped() const
{
    if (isView())
        return ((word_ >> kSkippedShift) & 1) != 0;
    return isDetached() && detached().skipped;
}

void MeasurementRecord::SetSkipped(bool skipped)
{
    if (isView()) {
        word_ = (word_ & ~(std::uint64_t{1} << kSkippedShift)) | (std::uint64_t{skipped} << kSkippedShift);
        return;
    }
    Detach().skipped = skipped;
}

std::string_view MeasurementRecord::runNumber() const
{
    if (isView()) {
        return lineText().substr((word_ >> kRunStartShift) & 0x3F, (word_ >> kRunLengthShift) & 0x7);
    }
    if (isDetached())
        return detached().line.substr(detached().runStart, detached().runLength);
    return {};
}

std::string_view MeasurementRecord::field(Field f) const
{
    if (isDetached()) {
        if (const auto& edited = detached().edited) {
            switch (f) {
            case Field::pointNumber: return edited->pointNumber;
            case Field::valueType: return edited->valueType;
            case Field::reading: return edited->reading;
            case Field::distance: return edited->distance;
            default: break;
            }
        }
    }
    const Columns& columns = isM5() ? kM5Columns : kPlainColumns;
    const auto index = static_cast<std::size_t>(f);
    if (columns.count[index] == 0)
        return {};  // the plain layout has only five fields
    return Cut(lineText(), columns.first[index], columns.count[index]);
}

void MeasurementRecord::SetGridFields(std::string pointNumber, std::string valueType,
                                      std::string reading, std::string distance)
{
    Detach().edited = Detached::GridFields{std::move(pointNumber), std::move(valueType),
                                           std::move(reading), std::move(distance)};
}

bool MeasurementRecord::HasEdits() const
{
    return isDetached() && detached().edited.has_value();
}

void MeasurementRecord::DiscardEdits()
{
    if (HasEdits())
        detached().edited.reset();
}

MeasurementRecord ParseLine(std::string_view line)
{
    auto* detached = new MeasurementRecord::Detached;
    detached->ownLine.assign(line);
    detached->line = detached->ownLine;
    detached->ownsLine = true;
    detached->m5 = BeginsWithFor(line);
    const auto [runStart, runLength] = RunNumberPlace(detached->line, detached->m5);
    detached->runStart = runStart;
    detached->runLength = runLength;
    MeasurementRecord record;
    record.word_ = reinterpret_cast<std::uint64_t>(detached);
    return record;
}

std::optional<std::uint64_t> PackedRunNumber(std::string_view runNumber)
{
    constexpr std::size_t kMaxBytes = 4;
    if (runNumber.size() > kMaxBytes)
        return std::nullopt;
    std::uint64_t key = runNumber.size();
    for (const char c : runNumber)
        key = (key << 8) | static_cast<unsigned char>(c);
    return key;
}

namespace {

// Compares with a two-letter code byte by byte: these compares run several times for every
// line, and a library call each would cost more than the rest of the test.
bool IsCode(std::string_view text, const char (&code)[3])
{
    return text.size() == 2 && text[0] == code[0] && text[1] == code[1];
}

}  // namespace

std::string_view ObservationCode(std::string_view valueType)
{
    if (valueType.size() != 2 || valueType[0] != 'L')
        return valueType;
    if (IsCode(valueType, "Lr"))
        return "Rb";
    if (IsCode(valueType, "Lv"))
        return "Rf";
    if (IsCode(valueType, "Lz"))
        return "Rz";
    return valueType;
}

std::optional<double> MetresPerUnit(std::string_view unit)
{
    if (unit.empty() || (unit.size() == 1 && unit[0] == 'm'))
        return 1.0;
    if (IsCode(unit, "ft"))
        return kMetresPerFoot;
    return std::nullopt;
}

bool IsObservationCode(std::string_view code)
{
    return IsCode(code, "Rb") || IsCode(code, "Rf") || IsCode(code, "Sh") || IsCode(code, "Db") ||
           IsCode(code, "Rz");
}

bool HasErrorFlag(const MeasurementRecord& record)
{
    constexpr std::size_t kErrorFlagColumn = 118;
    const std::string_view line = record.lineText();
    return record.isM5() && line.size() > kErrorFlagColumn && line[kErrorFlagColumn] == 'e';
}

}  // namespace velmora
