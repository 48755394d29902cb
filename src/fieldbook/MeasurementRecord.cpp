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

// What a record cannot hold in its 16 bytes: its own copy of the line (ParseLine), a line of
// 4 GiB or more, and the cells edited in the grid.
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
          ownsLine(other.ownsLine), edited(other.edited)
    {
    }
    Detached& operator=(const Detached&) = delete;

    std::string ownLine;
    std::string_view line;  // ownLine, or the line where it stands
    bool ownsLine = false;
    std::optional<GridFields> edited;
};

MeasurementRecord::~MeasurementRecord()
{
    Release();
}

void MeasurementRecord::Release() noexcept
{
    if (flags_ & kDetached)
        delete static_cast<const Detached*>(text_);
    text_ = nullptr;
    flags_ &= static_cast<std::uint8_t>(~kDetached);
}

MeasurementRecord::MeasurementRecord(const MeasurementRecord& other)
    : text_(other.text_), length_(other.length_), skipped(other.skipped), flags_(other.flags_),
      runStart_(other.runStart_), runLength_(other.runLength_)
{
    if (flags_ & kDetached)
        text_ = new Detached(*static_cast<const Detached*>(other.text_));
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
    : text_(other.text_), length_(other.length_), skipped(other.skipped), flags_(other.flags_),
      runStart_(other.runStart_), runLength_(other.runLength_)
{
    other.text_ = nullptr;
    other.flags_ &= static_cast<std::uint8_t>(~kDetached);
}

MeasurementRecord& MeasurementRecord::operator=(MeasurementRecord&& other) noexcept
{
    if (this != &other) {
        Release();
        text_ = other.text_;
        length_ = other.length_;
        skipped = other.skipped;
        flags_ = other.flags_;
        runStart_ = other.runStart_;
        runLength_ = other.runLength_;
        other.text_ = nullptr;
        other.flags_ &= static_cast<std::uint8_t>(~kDetached);
    }
    return *this;
}

MeasurementRecord MeasurementRecord::ViewOf(std::string_view line)
{
    MeasurementRecord record;
    if (BeginsWithFor(line))
        record.flags_ |= kM5;
    if (line.size() > std::numeric_limits<std::uint32_t>::max()) {
        auto* detached = new Detached;
        detached->line = line;
        record.text_ = detached;
        record.flags_ |= kDetached;
    } else {
        record.text_ = line.data();
        record.length_ = static_cast<std::uint32_t>(line.size());
    }
    record.CutRunNumber();
    return record;
}

void MeasurementRecord::CutRunNumber()
{
    const std::string_view line = lineText();
    const std::string_view number = field(Field::runNumber);
    runStart_ = static_cast<std::uint8_t>(number.empty() ? 0 : number.data() - line.data());
    runLength_ = static_cast<std::uint8_t>(number.size());
}

void MeasurementRecord::Rebase(std::string_view oldText, const char* newText)
{
    auto moved = [&](std::string_view line) -> const char* {
        if (line.data() >= oldText.data() && line.data() <= oldText.data() + oldText.size())
            return newText + (line.data() - oldText.data());
        return nullptr;
    };
    if (flags_ & kDetached) {
        auto* detached = const_cast<Detached*>(static_cast<const Detached*>(text_));
        if (const char* at = detached->ownsLine ? nullptr : moved(detached->line))
            detached->line = std::string_view(at, detached->line.size());
    } else if (const char* at = moved(lineText())) {
        text_ = at;
    }
}

MeasurementRecord::Detached& MeasurementRecord::Detach()
{
    if (!(flags_ & kDetached)) {
        auto* detached = new Detached;
        detached->line = lineText();
        text_ = detached;
        flags_ |= kDetached;
    }
    return *const_cast<Detached*>(static_cast<const Detached*>(text_));
}

std::string_view MeasurementRecord::lineText() const
{
    if (flags_ & kDetached)
        return static_cast<const Detached*>(text_)->line;
    return {static_cast<const char*>(text_), length_};
}

std::string_view MeasurementRecord::field(Field f) const
{
    if (flags_ & kDetached) {
        if (const auto& edited = static_cast<const Detached*>(text_)->edited) {
            switch (f) {
            case Field::pointNumber: return edited->pointNumber;
            case Field::valueType: return edited->valueType;
            case Field::reading: return edited->reading;
            case Field::distance: return edited->distance;
            default: break;
            }
        }
    }
    const Columns& columns = (flags_ & kM5) ? kM5Columns : kPlainColumns;
    const auto index = static_cast<std::size_t>(f);
    if (columns.count[index] == 0)
        return {};  // the plain layout has only five fields
    return Cut(lineText(), columns.first[index], columns.count[index]);
}

void MeasurementRecord::SetGridFields(std::string pointNumber, std::string valueType,
                                      std::string reading, std::string distance)
{
    Detached& detached = Detach();
    detached.edited = Detached::GridFields{std::move(pointNumber), std::move(valueType),
                                           std::move(reading), std::move(distance)};
}

bool MeasurementRecord::HasEdits() const
{
    return (flags_ & kDetached) && static_cast<const Detached*>(text_)->edited.has_value();
}

void MeasurementRecord::DiscardEdits()
{
    if (!HasEdits())
        return;
    auto* detached = const_cast<Detached*>(static_cast<const Detached*>(text_));
    if (detached->ownsLine || detached->line.size() > std::numeric_limits<std::uint32_t>::max()) {
        detached->edited.reset();
        return;
    }
    // A line that stands in a list's text needs no Detached once its edits are gone: the
    // record becomes the plain view it was when it was read.
    const std::string_view line = detached->line;
    delete detached;
    text_ = line.data();
    length_ = static_cast<std::uint32_t>(line.size());
    flags_ &= static_cast<std::uint8_t>(~kDetached);
}

MeasurementRecord ParseLine(std::string_view line)
{
    MeasurementRecord record;
    auto* detached = new MeasurementRecord::Detached;
    record.text_ = detached;
    record.flags_ = MeasurementRecord::kDetached;
    detached->ownLine.assign(line);
    detached->line = detached->ownLine;
    detached->ownsLine = true;
    if (BeginsWithFor(line))
        record.flags_ |= MeasurementRecord::kM5;
    record.CutRunNumber();
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
