// SPDX-License-Identifier: MIT
#include "fieldbook/FieldBookLayout.h"

#include "fieldbook/DiniLayouts.h"
#include "fieldbook/GsiLayout.h"
#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/TextConversions.h"

#include <algorithm>
#include <array>

namespace velmora {

namespace {

// Tried in this order; the first that recognises a line reads it. The plain layout takes
// every line, so it stays last. A new layout goes before it: its line here is all the rest of
// the program needs (see FieldBookLayout.h).
const std::array<const FieldBookLayout*, 3> kLayouts = {
    &DiniM5Layout(),
    &GsiLayout(),
    &DiniPlainLayout(),
};

static_assert(kLayouts.size() <= kMaxLayouts);

}  // namespace

std::optional<double> FieldBookLayout::NumberOf(std::string_view line, Field field) const
{
    std::string made;
    return NumberOfText(MakeText(line, field, made) ? std::string_view(made) : FieldOf(line, field));
}

bool FieldBookLayout::TakesNoPart(std::string_view line) const
{
    return !IsObservationCode(ObservationCode(FieldOf(line, Field::valueType))) || HasErrorFlag(line) ||
           IsEventLine(line);
}

std::optional<double> NumberOfText(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return TextToNumber(text);
}

void FieldBookLayout::ReadValues(std::string_view line, LineValues& values, bool sights, LineFault* fault) const
{
    if (fault)
        *fault = Problem(line);
    const auto read = [&](Field field, LineValues::Value& value) {
        value.number = NumberOf(line, field);
        value.metresPerUnit = MetresPerUnit(line, field);
    };
    values = LineValues{};
    values.valueType = FieldOf(line, Field::valueType);
    read(Field::instrumentHeight, values.instrumentHeight);
    read(Field::instrumentLength, values.instrumentLength);
    if (!sights)
        return;
    values.pointNumber = FieldOf(line, Field::pointNumber);
    read(Field::reading, values.reading);
    read(Field::distance, values.distance);
}

std::uint8_t LayoutIndexOf(std::string_view line)
{
    for (std::size_t i = 0; i + 1 < kLayouts.size(); ++i) {
        if (kLayouts[i]->Recognises(line))
            return static_cast<std::uint8_t>(i);
    }
    return static_cast<std::uint8_t>(kLayouts.size() - 1);
}

const FieldBookLayout& LayoutAt(std::uint8_t index)
{
    return *kLayouts[index];
}

std::uint8_t LayoutCount()
{
    return static_cast<std::uint8_t>(kLayouts.size());
}

const std::vector<const BookFormat*>& BookFormats()
{
    static const std::vector<const BookFormat*> formats = [] {
        std::vector<const BookFormat*> distinct;
        for (const FieldBookLayout* layout : kLayouts) {
            if (std::find(distinct.begin(), distinct.end(), &layout->Format()) == distinct.end())
                distinct.push_back(&layout->Format());
        }
        return distinct;
    }();
    return formats;
}

}  // namespace velmora
