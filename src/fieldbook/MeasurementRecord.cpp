// SPDX-License-Identifier: MIT
#include "fieldbook/MeasurementRecord.h"

#include "fieldbook/RecordBlock.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace velmora {

// What a record cannot hold in its word: its own copy of the line (ParseLine), a line too long
// or too far from its block's base, a run number that does not stand in its line, the cells
// edited in the grid, and everything of a record copied out of a list.
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
          ownsLine(other.ownsLine), skipped(other.skipped), layout(other.layout),
          runInLine(other.runInLine), runStart(other.runStart), runLength(other.runLength),
          ownRun(other.ownRun), made(other.made), edited(other.edited)
    {
    }
    Detached& operator=(const Detached&) = delete;

    std::string ownLine;
    std::string_view line;  // ownLine, or the line where it stands
    bool ownsLine = false;
    bool skipped = false;
    std::uint8_t layout = 0;
    bool runInLine = true;       // the trimmed run number stands in the line, else in ownRun
    std::size_t runStart = 0;    // where it stands in the line
    std::size_t runLength = 0;
    std::string ownRun;
    std::vector<std::pair<Field, std::string>> made;  // the texts the layout made (MakeText)
    std::optional<GridFields> edited;

    std::string_view runNumber() const
    {
        return runInLine ? line.substr(runStart, runLength) : std::string_view(ownRun);
    }
    // Reads the layout and the run number of its line.
    void ReadLine(std::string_view carriedRun);
    // Makes the line its own copy; the run number keeps its place in it.
    void OwnLine()
    {
        if (ownsLine)
            return;
        ownLine.assign(line);
        line = ownLine;
        ownsLine = true;
    }
};

namespace {

// Every text the layout makes of the line's fields (FieldBookLayout::MakeText), into `made`.
void MakeTexts(std::string_view line, const FieldBookLayout& reader,
               std::vector<std::pair<Field, std::string>>& made)
{
    made.clear();
    if (!reader.MakesTexts())
        return;
    std::string text;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        if (reader.MakeText(line, static_cast<Field>(f), text))
            made.emplace_back(static_cast<Field>(f), std::move(text));
    }
}

// Keeps `run` for the record at `place` of a block whose texts are `texts`: the stretch of the
// last kept run number goes on when it is the same.
void KeepRun(RecordBlockTexts& texts, std::uint32_t place, std::string_view run)
{
    if (!texts.runs.empty() && texts.runs.back() == run)
        return;
    std::string copy(run);  // `run` may be a view of the kept ones
    texts.runs.push_back(std::move(copy));
    texts.runFrom.push_back(place);
}

// The run number kept for the record at `place` (RecordBlockTexts::runFrom).
std::string_view KeptRun(const RecordBlockTexts& texts, std::uint32_t place)
{
    if (texts.runFrom.back() <= place)
        return texts.runs.back();
    const auto after = std::upper_bound(texts.runFrom.begin(), texts.runFrom.end(), place);
    return texts.runs[static_cast<std::size_t>(after - texts.runFrom.begin()) - 1];
}

}  // namespace

void MeasurementRecord::Detached::ReadLine(std::string_view carriedRun)
{
    layout = LayoutIndexOf(line);
    const FieldBookLayout& reader = LayoutAt(layout);
    std::string madeRun;
    const std::string_view run = reader.MakeRunNumber(line, carriedRun, madeRun)
                                     ? std::string_view(madeRun)
                                     : reader.RunNumberOf(line, carriedRun);
    if (const auto at = PlaceIn(line, run.data()); (at && *at + run.size() <= line.size()) || run.empty()) {
        runInLine = true;
        runStart = run.empty() ? 0 : *at;
        runLength = run.size();
    } else {
        runInLine = false;
        ownRun.assign(run);
    }
    MakeTexts(line, reader, made);
}

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
    // A view means something only in its block, and the line of a list's record lives only as
    // long as the list: a copy holds its own line, so it may outlive the list it came from.
    if (other.isDetached() || other.isView()) {
        Detached* copy = other.isDetached() ? new Detached(other.detached()) : other.DetachedCopyOfView();
        copy->OwnLine();
        word_ = reinterpret_cast<std::uint64_t>(copy);
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

MeasurementRecord::MeasurementRecord(MeasurementRecord&& other)
{
    if (other.isView()) {
        // Taken out of its block: a copy.
        MeasurementRecord copy(other);
        word_ = std::exchange(copy.word_, 0);
        return;
    }
    word_ = other.word_;
    other.word_ = 0;
}

MeasurementRecord& MeasurementRecord::operator=(MeasurementRecord&& other)
{
    if (this != &other) {
        MeasurementRecord moved(std::move(other));
        Release();
        word_ = moved.word_;
        moved.word_ = 0;
    }
    return *this;
}

void MeasurementRecord::BecomeView(std::string_view line, RecordBlockHeader& block, std::string_view carriedRun)
{
    Release();
    const std::uint8_t layout = LayoutIndexOf(line);
    const FieldBookLayout& reader = LayoutAt(layout);
    std::string madeRun;
    const bool runMade = reader.MakeRunNumber(line, carriedRun, madeRun);
    const std::string_view run = runMade ? std::string_view(madeRun) : reader.RunNumberOf(line, carriedRun);
    // Addresses compared as integers: a line that stands before the base has no place here.
    const auto base = reinterpret_cast<std::uintptr_t>(block.base);
    const auto at = reinterpret_cast<std::uintptr_t>(line.data());
    const bool placed = block.base && at >= base && at - base <= kOffset.mask;
    if (!placed || line.size() > kLength.mask) {
        auto* detached = new Detached;
        detached->line = line;
        detached->ReadLine(carriedRun);
        word_ = reinterpret_cast<std::uint64_t>(detached);
        return;
    }
    word_ = kViewTag | kOffset.Put(at - base) | kLength.Put(line.size()) | kLayout.Put(layout);
    if (run.empty())
        return;
    const std::optional<std::size_t> runStart = runMade ? std::nullopt : PlaceIn(line, run.data());
    if (runStart && *runStart + run.size() <= line.size() && *runStart <= kRunStart.mask &&
        run.size() <= kRunLength.mask) {
        word_ |= kRunStart.Put(*runStart) | kRunLength.Put(run.size());
        return;
    }
    // A run number made, carried from the line before, or too far into the line for the word.
    if (!block.texts)
        block.texts = std::make_unique<RecordBlockTexts>();
    KeepRun(*block.texts, PlaceInRecordBlock(this), run);
    word_ |= kRunKept.Put(1);
}

void MeasurementRecord::ReturnToView(std::string_view text, const char* blockBase)
{
    DiscardEdits();
    if (!isDetached() || detached().ownsLine || !blockBase)
        return;
    const Detached& own = detached();
    const std::optional<std::size_t> at = PlaceIn(text, own.line.data());
    if (!at || *at + own.line.size() > text.size() || !own.runInLine || !own.made.empty() ||
        LayoutAt(own.layout).MakesTexts())
        return;
    const bool wasSkipped = own.skipped;
    const std::string_view line = own.line;
    BecomeView(line, RecordBlockHeaderOf(this), {});
    SetSkipped(wasSkipped);
}

const char* MeasurementRecord::Rebased(const char* at, std::string_view oldText, const char* newText)
{
    if (const std::optional<std::size_t> place = PlaceIn(oldText, at))
        return newText + *place;
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
    copy->layout = layoutIndex();
    if (kRunKept.Of(word_) != 0) {
        copy->runInLine = false;
        copy->ownRun.assign(runNumber());
    } else {
        copy->runStart = kRunStart.Of(word_);
        copy->runLength = kRunLength.Of(word_);
    }
    MakeTexts(copy->line, LayoutAt(copy->layout), copy->made);
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
        return {RecordBlockBase(this) + kOffset.Of(word_), static_cast<std::size_t>(kLength.Of(word_))};
    }
    if (isDetached())
        return detached().line;
    return {};
}

std::uint8_t MeasurementRecord::layoutIndex() const
{
    if (isView())
        return static_cast<std::uint8_t>(kLayout.Of(word_));
    // An empty record reads as the layout of an empty line.
    return isDetached() ? detached().layout : LayoutIndexOf({});
}

bool MeasurementRecord::skipped() const
{
    if (isView())
        return kSkipped.Of(word_) != 0;
    return isDetached() && detached().skipped;
}

void MeasurementRecord::SetSkipped(bool skipped)
{
    if (isView()) {
        word_ = (word_ & ~kSkipped.Put(kSkipped.mask)) | kSkipped.Put(skipped);
        return;
    }
    Detach().skipped = skipped;
}

std::string_view MeasurementRecord::runNumber() const
{
    if (isView() && kRunKept.Of(word_) != 0)
        return KeptRun(*RecordBlockHeaderOf(this).texts, PlaceInRecordBlock(this));
    if (isView())
        return lineText().substr(kRunStart.Of(word_), kRunLength.Of(word_));
    if (isDetached())
        return detached().runNumber();
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
        for (const auto& [field, text] : detached().made) {
            if (field == f)
                return text;
        }
    } else if (isView() && layout().MakesTexts()) {
        if (const std::string* made = MadeText(f))
            return *made;
    }
    return layout().FieldOf(lineText(), f);
}

const std::string* MeasurementRecord::MadeText(Field f) const
{
    RecordBlockHeader& block = RecordBlockHeaderOf(this);
    const std::uint64_t key = std::uint64_t{PlaceInRecordBlock(this)} * kFieldCount + static_cast<std::size_t>(f);
    // The run analysis reads numbers, not texts: while none was asked for, nothing is looked up.
    if (block.texts && !block.texts->made.empty()) {
        if (const auto found = block.texts->made.find(key); found != block.texts->made.end())
            return &found->second;
    }
    std::string text;
    if (!layout().MakeText(lineText(), f, text))
        return nullptr;
    if (!block.texts)
        block.texts = std::make_unique<RecordBlockTexts>();
    return &block.texts->made.emplace(key, std::move(text)).first->second;
}

void MeasurementRecord::ReadValues(LineValues& values, bool sights, LineFault* fault) const
{
    layout().ReadValues(lineText(), values, sights, fault);
    if (!HasEdits())
        return;
    values.valueType = field(Field::valueType);
    if (!sights)
        return;
    values.pointNumber = field(Field::pointNumber);
    values.reading.number = number(Field::reading);
    values.distance.number = number(Field::distance);
}

std::optional<double> MeasurementRecord::number(Field f) const
{
    const bool edited = HasEdits() && (f == Field::pointNumber || f == Field::valueType ||
                                       f == Field::reading || f == Field::distance);
    if (!edited)
        return layout().NumberOf(lineText(), f);
    return NumberOfText(field(f));
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

MeasurementRecord ParseLine(std::string_view line, std::string_view carriedRun)
{
    auto* detached = new MeasurementRecord::Detached;
    detached->ownLine.assign(line);
    detached->line = detached->ownLine;
    detached->ownsLine = true;
    detached->ReadLine(carriedRun);
    MeasurementRecord record;
    record.word_ = reinterpret_cast<std::uint64_t>(detached);
    return record;
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

bool IsObservationCode(std::string_view code)
{
    return IsCode(code, "Rb") || IsCode(code, "Rf") || IsCode(code, "Sh") || IsCode(code, "Db") ||
           IsCode(code, "Rz");
}

}  // namespace velmora
