#include "fieldbook/MeasurementRecord.h"

#include "fieldbook/TextConversions.h"

#include <algorithm>
#include <span>

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

// The slot in spans_ of a field that is kept cut, or -1 for one cut on demand.
constexpr int SpanSlot(Field field)
{
    switch (field) {
    case Field::pointNumber: return 0;
    case Field::runNumber: return 1;
    case Field::valueType: return 2;
    case Field::reading: return 3;
    case Field::distance: return 4;
    default: return -1;
    }
}

// A field that runs past the end of the line is cut there; one that begins at or beyond the
// end is empty. Short lines are ordinary input, not an error.
std::string_view Cut(std::string_view line, const Column& column)
{
    const std::size_t first = std::min(column.first, line.size());
    return TrimText(line.substr(first, column.count));
}

constexpr Column kPlainLayout[] = {
    {Field::pointNumber, 7, 9}, {Field::runNumber, 31, 4}, {Field::valueType, 36, 2},
    {Field::reading, 38, 13},   {Field::distance, 53, 13},
};

}  // namespace

MeasurementRecord::MeasurementRecord(const MeasurementRecord& other)
    : skipped(other.skipped), lineText_(other.lineText_), spans_(other.spans_), m5_(other.m5_),
      edited_(other.edited_ ? std::make_unique<GridFields>(*other.edited_) : nullptr)
{
}

MeasurementRecord& MeasurementRecord::operator=(const MeasurementRecord& other)
{
    if (this != &other) {
        MeasurementRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::string_view MeasurementRecord::field(Field f) const
{
    if (edited_) {
        switch (f) {
        case Field::pointNumber: return edited_->pointNumber;
        case Field::valueType: return edited_->valueType;
        case Field::reading: return edited_->reading;
        case Field::distance: return edited_->distance;
        default: break;
        }
    }
    const int slot = SpanSlot(f);
    if (slot >= 0) {
        const Span span = spans_[static_cast<std::size_t>(slot)];
        return std::string_view(lineText_).substr(span.start, span.length);
    }
    if (!m5_)
        return {};  // the plain layout has only the five kept fields
    for (const Column& column : kM5Layout) {
        if (column.field == f)
            return Cut(lineText_, column);
    }
    return {};
}

void MeasurementRecord::SetGridFields(std::string pointNumber, std::string valueType,
                                      std::string reading, std::string distance)
{
    if (!edited_)
        edited_ = std::make_unique<GridFields>();
    edited_->pointNumber = std::move(pointNumber);
    edited_->valueType = std::move(valueType);
    edited_->reading = std::move(reading);
    edited_->distance = std::move(distance);
}

MeasurementRecord ParseLine(std::string_view line)
{
    MeasurementRecord record;
    record.lineText_.assign(line);
    const std::string_view text = record.lineText_;

    record.m5_ = text.substr(0, 3) == "For";
    for (const Column& column : record.m5_ ? std::span<const Column>(kM5Layout)
                                           : std::span<const Column>(kPlainLayout)) {
        const int slot = SpanSlot(column.field);
        if (slot < 0)
            continue;
        const std::string_view trimmed = Cut(text, column);
        auto& span = record.spans_[static_cast<std::size_t>(slot)];
        span.start = static_cast<std::uint8_t>(trimmed.data() - text.data());
        span.length = static_cast<std::uint8_t>(trimmed.size());
    }
    return record;
}

std::string_view ObservationCode(std::string_view valueType)
{
    if (valueType == "Lr")
        return "Rb";
    if (valueType == "Lv")
        return "Rf";
    if (valueType == "Lz")
        return "Rz";
    return valueType;
}

std::optional<double> MetresPerUnit(std::string_view unit)
{
    if (unit.empty() || unit == "m")
        return 1.0;
    if (unit == "ft")
        return kMetresPerFoot;
    return std::nullopt;
}

bool HasErrorFlag(const MeasurementRecord& record)
{
    constexpr std::size_t kErrorFlagColumn = 118;
    const std::string& line = record.lineText();
    return line.size() > kErrorFlagColumn && line.compare(0, 3, "For") == 0 &&
           line[kErrorFlagColumn] == 'e';
}

}  // namespace velmora
