#include "fieldbook/MeasurementRecord.h"

#include "fieldbook/TextConversions.h"

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

constexpr Column kPlainLayout[] = {
    {Field::pointNumber, 7, 9}, {Field::runNumber, 31, 4}, {Field::valueType, 36, 2},
    {Field::reading, 38, 13},   {Field::distance, 53, 13},
};

}  // namespace

MeasurementRecord::MeasurementRecord(const MeasurementRecord& other)
    : skipped(other.skipped), lineText_(other.lineText_), spans_(other.spans_),
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
    const Span span = spans_[static_cast<std::size_t>(f)];
    return std::string_view(lineText_).substr(span.start, span.length);
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

    auto cut = [&](const Column& column) {
        // A field that begins at or past the end of the line is empty; one that runs past
        // the end is cut there. Short lines are ordinary input, not an error.
        const std::size_t first = std::min(column.first, text.size());
        const std::string_view raw = text.substr(first, column.count);
        const std::string_view trimmed = TrimText(raw);
        auto& span = record.spans_[static_cast<std::size_t>(column.field)];
        span.start = static_cast<std::uint8_t>(trimmed.data() - text.data());
        span.length = static_cast<std::uint8_t>(trimmed.size());
    };

    if (text.substr(0, 3) == "For") {
        for (const Column& column : kM5Layout)
            cut(column);
    } else {
        for (const Column& column : kPlainLayout)
            cut(column);
    }
    return record;
}

}  // namespace velmora
