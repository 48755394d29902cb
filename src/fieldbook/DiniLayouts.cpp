// SPDX-License-Identifier: MIT
#include "fieldbook/DiniLayouts.h"

#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velmora {

namespace {

struct Column {
    Field field;
    std::size_t first;
    std::size_t count;
};

constexpr Column kM5Table[] = {
    {Field::layoutTag, 0, 3},        {Field::layoutName, 4, 2},    {Field::memoryAddressTag, 7, 3},
    {Field::memoryAddress, 10, 6},   {Field::lineKind, 17, 3},     {Field::pointNumber, 20, 9},
    {Field::pointInfo, 29, 15},      {Field::runNumber, 44, 4},    {Field::valueType, 49, 2},
    {Field::reading, 51, 15},        {Field::readingUnit, 66, 5},  {Field::distanceType, 72, 2},
    {Field::distance, 74, 15},       {Field::distanceUnit, 89, 5}, {Field::heightType, 95, 1},
    {Field::height, 96, 16},         {Field::heightUnit, 112, 3},  {Field::lineRest, 115, 6},
};

constexpr Column kPlainTable[] = {
    {Field::pointNumber, 7, 9}, {Field::runNumber, 31, 4}, {Field::valueType, 36, 2},
    {Field::reading, 38, 13},   {Field::distance, 53, 13},
};

// The columns of every field, indexed by Field; a count of 0 is a field the layout does not
// have.
struct Columns {
    std::array<std::uint8_t, kFieldCount> first{};
    std::array<std::uint8_t, kFieldCount> count{};
};

template <std::size_t N>
constexpr Columns ColumnsOf(const Column (&table)[N])
{
    Columns columns;
    for (const Column& column : table) {
        columns.first[static_cast<std::size_t>(column.field)] = static_cast<std::uint8_t>(column.first);
        columns.count[static_cast<std::size_t>(column.field)] = static_cast<std::uint8_t>(column.count);
    }
    return columns;
}

// A field that runs past the end of the line is cut there; one that begins at or beyond the
// end is empty. Short lines are ordinary input, not an error.
std::string_view Cut(std::string_view line, std::size_t first, std::size_t count)
{
    if (first >= line.size())
        return {};
    return TrimText(std::string_view(line.data() + first, std::min(count, line.size() - first)));
}

// The instrument's event markers. Each is searched for by one byte of it that the lines of
// an ordinary book seldom hold, with memchr; only where that byte stands is the marker
// compared. Markers that share the byte are checked at the same hit.
struct EventMarker {
    std::string_view text;
    std::size_t keyAt;  // where the searched byte stands in the marker
};
struct MarkerKey {
    char byte;
    EventMarker markers[2];
};
constexpr MarkerKey kMarkerKeys[] = {
    {'-', {{"Start-Line", 5}, {"End-Line", 3}}},
    {'p', {{"Measurement repeated", 14}, {"Station repeated", 10}}},
    {'#', {{"#####", 0}, {}}},
    {'T', {{".DAT", 3}, {}}},
};

// Whether the line holds any of the searched bytes: sixteen bytes are compared with all of them
// at a time (the last sixteen overlapping the ones before), so that an ordinary line, which
// holds none, is passed in a few steps.
bool HoldsMarkerKey(std::string_view line)
{
    using Bytes = unsigned char __attribute__((vector_size(16)));
    const auto holdsKey = [](const char* at) {
        Bytes bytes;
        std::memcpy(&bytes, at, sizeof bytes);
        static_assert(std::size(kMarkerKeys) == 4, "each searched byte is compared below");
        const auto hits = (bytes == static_cast<unsigned char>(kMarkerKeys[0].byte)) |
                          (bytes == static_cast<unsigned char>(kMarkerKeys[1].byte)) |
                          (bytes == static_cast<unsigned char>(kMarkerKeys[2].byte)) |
                          (bytes == static_cast<unsigned char>(kMarkerKeys[3].byte));
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        return (halves[0] | halves[1]) != 0;
    };
    constexpr std::size_t kWidth = sizeof(Bytes);
    if (line.size() < kWidth) {
        return std::any_of(line.begin(), line.end(), [](char c) {
            return std::any_of(std::begin(kMarkerKeys), std::end(kMarkerKeys),
                               [c](const MarkerKey& key) { return key.byte == c; });
        });
    }
    for (std::size_t at = 0; at + kWidth < line.size(); at += kWidth) {
        if (holdsKey(line.data() + at))
            return true;
    }
    return holdsKey(line.data() + line.size() - kWidth);
}

bool ContainsEventMarker(std::string_view line)
{
    if (!HoldsMarkerKey(line))
        return false;
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    for (const MarkerKey& key : kMarkerKeys) {
        for (const char* at = begin;
             (at = static_cast<const char*>(std::memchr(at, key.byte, static_cast<std::size_t>(end - at))));
             ++at) {
            for (const EventMarker& marker : key.markers) {
                if (marker.text.empty())
                    continue;
                const std::size_t hit = static_cast<std::size_t>(at - begin);
                if (hit >= marker.keyAt && line.substr(hit - marker.keyAt, marker.text.size()) == marker.text)
                    return true;
            }
        }
    }
    return false;
}

constexpr std::string_view kDiniSuffixes[] = {"DAT", "dat"};

const BookFormat kDiniFormat{
    "Trimble DiNi",
    kDiniSuffixes,
    N_("a Trimble DiNi book\n(.DAT, M5 or plain layout)"),
    nullptr,
};

// What the two DiNi layouts share; they differ in their columns, their recognition and the
// error flag.
class DiniLayout : public FieldBookLayout {
public:
    constexpr explicit DiniLayout(const Columns& columns) : columns_(columns) {}

    const BookFormat& Format() const final { return kDiniFormat; }

    // A line that begins with "For" may be anything's; a file is not called a DiNi book for it.
    bool RecognitionTellsTheBook() const final { return false; }

    std::string_view FieldOf(std::string_view line, Field field) const final
    {
        const auto index = static_cast<std::size_t>(field);
        if (columns_.count[index] == 0)
            return {};
        return Cut(line, columns_.first[index], columns_.count[index]);
    }

    std::string_view RunNumberOf(std::string_view line, std::string_view) const final
    {
        return FieldOf(line, Field::runNumber);
    }

    bool IsEventLine(std::string_view line) const final { return ContainsEventMarker(line); }

    std::string_view UnitOf(std::string_view line, Field value) const final
    {
        switch (value) {
        case Field::distance: return FieldOf(line, Field::distanceUnit);
        case Field::height: return FieldOf(line, Field::heightUnit);
        default: return FieldOf(line, Field::readingUnit);
        }
    }

    std::optional<double> MetresPerUnit(std::string_view line, Field value) const final
    {
        return DiniMetresPerUnit(UnitOf(line, value));
    }

    // The fields cut at their columns; the instrument's running figures, which these layouts
    // have no columns for, take the reading's unit, as UnitOf gives it for them. A line cut at
    // its columns has no fault.
    void ReadValues(std::string_view line, LineValues& values, bool sights, LineFault* fault) const final
    {
        if (fault)
            *fault = {};
        values = LineValues{};
        values.valueType = FieldOf(line, Field::valueType);
        const std::string_view height = FieldOf(line, Field::instrumentHeight);
        const std::string_view length = FieldOf(line, Field::instrumentLength);
        if (!sights && height.empty() && length.empty())
            return;
        const std::optional<double> readingUnit = MetresPerUnit(line, Field::reading);
        values.instrumentHeight = {NumberOfText(height), readingUnit};
        values.instrumentLength = {NumberOfText(length), readingUnit};
        if (!sights)
            return;
        values.pointNumber = FieldOf(line, Field::pointNumber);
        values.reading = {NumberOfText(FieldOf(line, Field::reading)), readingUnit};
        values.distance = {NumberOfText(FieldOf(line, Field::distance)), MetresPerUnit(line, Field::distance)};
    }

    // The last word of the text between the point number's first column and the run number's,
    // after a blank: "BF" in "Start-Line     BF", nothing in a text of one word.
    std::string_view MethodWord(std::string_view line) const final
    {
        const std::size_t first = columns_.first[static_cast<std::size_t>(Field::pointNumber)];
        const std::size_t end = columns_.first[static_cast<std::size_t>(Field::runNumber)];
        const std::string_view text = Cut(line, first, end - first);
        const auto blank = text.find_last_of(" \t");
        return blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }

    // The DiNi book writes its numbers as decimal text, its run number in every line, and CR LF
    // after every line; edits are not written into it.
    bool MakeRunNumber(std::string_view, std::string_view, std::string&) const final { return false; }
    bool MakesTexts() const final { return false; }
    bool MakeText(std::string_view, Field, std::string&) const final { return false; }
    LineFault Problem(std::string_view) const final { return {}; }
    bool KeepsLineEnds() const final { return false; }
    bool WritesEdits() const final { return false; }
    bool WriteEdits(std::string_view, const GridTexts&, std::string&) const final { return false; }

private:
    Columns columns_;
};

class M5Layout final : public DiniLayout {
public:
    constexpr M5Layout() : DiniLayout(ColumnsOf(kM5Table)) {}

    std::string_view Name() const override { return "M5"; }

    bool Recognises(std::string_view line) const override
    {
        return line.size() >= 3 && line[0] == 'F' && line[1] == 'o' && line[2] == 'r';
    }

    bool HasErrorFlag(std::string_view line) const override
    {
        constexpr std::size_t kErrorFlagColumn = 118;
        return line.size() > kErrorFlagColumn && line[kErrorFlagColumn] == 'e';
    }
};

class PlainLayout final : public DiniLayout {
public:
    constexpr PlainLayout() : DiniLayout(ColumnsOf(kPlainTable)) {}

    std::string_view Name() const override { return "plain"; }
    bool Recognises(std::string_view) const override { return true; }
    bool HasErrorFlag(std::string_view) const override { return false; }
};

const M5Layout kM5Layout;
const PlainLayout kPlainLayout;

}  // namespace

const FieldBookLayout& DiniM5Layout()
{
    return kM5Layout;
}

const FieldBookLayout& DiniPlainLayout()
{
    return kPlainLayout;
}

std::optional<double> DiniMetresPerUnit(std::string_view unit)
{
    if (unit.empty() || (unit.size() == 1 && unit[0] == 'm'))
        return 1.0;
    if (unit.size() == 2 && unit[0] == 'f' && unit[1] == 't')
        return kMetresPerFoot;
    return std::nullopt;
}

}  // namespace velmora
