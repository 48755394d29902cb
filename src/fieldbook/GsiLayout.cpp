// SPDX-License-Identifier: MIT
#include "fieldbook/GsiLayout.h"

#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace velmora {

namespace {

// The word as Leica defines it (Leica Geosystems, TPS1100 Professional Series User Manual
// 2.2.1, "Data format": positions 1-2 the word index, 3-6 the information about the data, 7
// the sign, 8-15 or 8-23 the data, then a blank; "The GSI data format does not contain a
// decimal point", the unit in position 6 places it). Counted from 0 here.
constexpr std::size_t kUnitAt = 5;
constexpr std::size_t kSignAt = 6;
constexpr std::size_t kDataAt = 7;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The data of the words are runs of 8 or 16 digits, read for every word of every line: eight
// bytes at a time, as one machine word, where the machine keeps the lowest byte first.
constexpr bool kEightAtATime = std::endian::native == std::endian::little;

std::uint64_t EightBytes(const char* at)
{
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

// True when each of the eight bytes is '0' to '9': its high half is 3, and adding 6 leaves it 3
// (a carry out of a byte only comes from one whose high half is not 3).
bool EightDigits(std::uint64_t bytes)
{
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
    constexpr std::uint64_t kThrees = 0x3030303030303030u;
    constexpr std::uint64_t kSixes = 0x0606060606060606u;
    return (bytes & kHigh) == kThrees && ((bytes + kSixes) & kHigh) == kThrees;
}

// The number that eight digits write, the first byte the most significant digit.
std::uint64_t EightDigitsValue(std::uint64_t bytes)
{
    bytes -= 0x3030303030303030u;
    bytes = (bytes * 10 + (bytes >> 8)) & 0x00FF00FF00FF00FFu;     // pairs
    bytes = (bytes * 100 + (bytes >> 16)) & 0x0000FFFF0000FFFFu;   // fours
    return (bytes * 10000 + (bytes >> 32)) & 0xFFFFFFFFu;          // all eight
}

// The whole number that `digits` write, when they are all digits; without `Weighed` only
// whether they are (0 when they are), which the check of every word of a line asks.
template <bool Weighed = true>
std::optional<std::uint64_t> DigitsValue(std::string_view digits)
{
    std::uint64_t whole = 0;
    std::size_t at = 0;
    if constexpr (kEightAtATime) {
        for (; at + 8 <= digits.size(); at += 8) {
            const std::uint64_t bytes = EightBytes(digits.data() + at);
            if (!EightDigits(bytes))
                return std::nullopt;
            if constexpr (Weighed)
                whole = whole * 100000000u + EightDigitsValue(bytes);
        }
    }
    for (; at < digits.size(); ++at) {
        if (!IsDigit(digits[at]))
            return std::nullopt;
        if constexpr (Weighed)
            whole = whole * 10 + static_cast<std::uint64_t>(digits[at] - '0');
    }
    return whole;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && DigitsValue<false>(text).has_value();
}

// How the words of a line stand: after the "*" of GSI-16, if any, words of kDataAt + width
// characters, each followed by a blank (the last one may end the line instead).
struct Shape {
    std::size_t start = 0;
    std::size_t width = 0;  // of the data: 8 (GSI-8) or 16 (GSI-16)
    std::size_t Pitch() const { return kDataAt + width + 1; }
};

// The shape of a line whose first word is a GSI word: two digits of its index, its sign in
// position 7, and a blank (or the line's end) after 8 or 16 characters of data.
std::optional<Shape> ShapeOf(std::string_view line)
{
    const std::size_t start = !line.empty() && line[0] == '*' ? 1 : 0;
    const std::string_view first = line.substr(start);
    if (first.size() < kDataAt + 8 || !IsDigit(first[0]) || !IsDigit(first[1]) ||
        (first[kSignAt] != '+' && first[kSignAt] != '-'))
        return std::nullopt;
    for (const std::size_t width : {std::size_t{16}, std::size_t{8}}) {
        const std::size_t end = kDataAt + width;
        if (first.size() == end || (first.size() > end && first[end] == ' '))
            return Shape{start, width};
    }
    return std::nullopt;
}

struct Word {
    std::string_view text;   // without its blank
    std::string_view index;  // "11", "331"
    std::size_t at = 0;      // where it stands in the line
    char unit() const { return text[kUnitAt]; }
    char sign() const { return text[kSignAt]; }
    std::string_view data() const { return text.substr(kDataAt); }
};

// The index of a word: two digits, or three where the third is a digit too; the point word
// (11) and the code words (41-49) carry a block number in positions 3-6 instead.
std::string_view IndexOf(std::string_view word)
{
    const bool twoDigits = (word[0] == '1' && word[1] == '1') || word[0] == '4';
    return !twoDigits && IsDigit(word[2]) ? word.substr(0, 3) : word.substr(0, 2);
}

// The word of a line of that shape that stands at `at`, whole.
Word WordAt(std::string_view line, const Shape& shape, std::size_t at)
{
    Word word;
    word.text = line.substr(at, kDataAt + shape.width);
    word.index = IndexOf(word.text);
    word.at = at;
    return word;
}

// Calls visit(word) for each whole word of the line in order until it returns true; gives the
// word it stopped at. A piece too short to be a word at the line's end is not visited.
template <typename Visit>
std::optional<Word> FindWord(std::string_view line, Visit visit)
{
    const std::optional<Shape> shape = ShapeOf(line);
    if (!shape)
        return std::nullopt;
    for (std::size_t at = shape->start; at + kDataAt + shape->width <= line.size(); at += shape->Pitch()) {
        const Word word = WordAt(line, *shape, at);
        if (visit(word))
            return word;
    }
    return std::nullopt;
}

std::optional<Word> WordOf(std::string_view line, std::string_view index)
{
    return FindWord(line, [&](const Word& word) { return word.index == index; });
}

// True when `index` is the word index `code`, compared byte by byte: this runs for every word
// of every line, several times.
template <std::size_t N>
bool IsIndex(std::string_view index, const char (&code)[N])
{
    if (index.size() != N - 1)
        return false;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (index[i] != code[i])
            return false;
    }
    return true;
}

bool IsReadingIndex(std::string_view index)
{
    return index.size() == 3 && index[0] == '3' && index[1] == '3' &&
           (index[2] == '1' || index[2] == '2' || index[2] == '3' || index[2] == '5' || index[2] == '6');
}

std::optional<Word> ReadingWord(std::string_view line)
{
    return FindWord(line, [](const Word& word) { return IsReadingIndex(word.index); });
}

std::optional<Word> NumberWord(std::string_view line, Field field)
{
    switch (field) {
    case Field::reading: return ReadingWord(line);
    case Field::distance: return WordOf(line, "32");
    case Field::instrumentHeight: return WordOf(line, "83");
    case Field::instrumentLength: return WordOf(line, "574");
    default: return std::nullopt;
    }
}

// The units of position 6 that lengths are written in (TPS1100 User Manual, "Data format",
// table "Units of measurement"): 0 metres to 1 mm, 1 feet to 1/1000 ft, 6 metres to 1/10 mm,
// 7 feet to 1/10000 ft, 8 metres to 1/100 mm. The others are angles.
struct Unit {
    double metresPer;
    int decimals;
};
std::optional<Unit> UnitOfDigit(char digit)
{
    switch (digit) {
    case '0': return Unit{1.0, 3};
    case '1': return Unit{kMetresPerFoot, 3};
    case '6': return Unit{1.0, 4};
    case '7': return Unit{kMetresPerFoot, 4};
    case '8': return Unit{1.0, 5};
    default: return std::nullopt;
    }
}

// The decimal text of a word's data: "1.59977" for +0000000000159977 in unit 8.
std::optional<std::string> DecimalText(const Word& word)
{
    const std::optional<Unit> unit = UnitOfDigit(word.unit());
    const std::string_view digits = word.data();
    if (!unit || !AllDigits(digits) || (word.sign() != '+' && word.sign() != '-'))
        return std::nullopt;
    const std::size_t decimals = static_cast<std::size_t>(unit->decimals);
    std::string_view whole = digits.substr(0, digits.size() - decimals);
    const std::string_view fraction = digits.substr(digits.size() - decimals);
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    const bool zero = digits.find_first_not_of('0') == std::string_view::npos;
    std::string text;
    if (word.sign() == '-' && !zero)
        text += '-';
    text.append(whole).append(".").append(fraction);
    return text;
}

// The number of a word's data, as TextToNumber reads its DecimalText: the digits as a whole
// number divided by the power of ten of its unit's decimals. Below 2^53 both are exact doubles
// and one division rounds the quotient correctly, as reading the text does; a minus zero is
// written without its sign. Nothing when the data is no decimal (DecimalText gives none).
std::optional<double> DecimalValue(const Word& word)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
    constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
    const std::optional<Unit> unit = UnitOfDigit(word.unit());
    const std::string_view digits = word.data();
    if (!unit || (word.sign() != '+' && word.sign() != '-'))
        return std::nullopt;
    const std::optional<std::uint64_t> whole = DigitsValue(digits);
    if (!whole)
        return std::nullopt;
    if (digits.size() > 16 || *whole >= kExact)
        return TextToNumber(*DecimalText(word));
    const double value = static_cast<double>(*whole) / kPowersOfTen[unit->decimals];
    return word.sign() == '-' && *whole != 0 ? -value : value;
}

// The number of a numeric word, as NumberOf gives it: nothing for data that is only blanks.
std::optional<double> NumberOfWord(const Word& word)
{
    if (const std::optional<double> value = DecimalValue(word))
        return value;
    return NumberOfText(TrimText(word.data()));
}

// A numeric word's number and metres per unit, as NumberOf and MetresPerUnit give them; a
// line without the word has no number and nothing to convert.
LineValues::Value ValueOfWord(const std::optional<Word>& word)
{
    if (!word)
        return {std::nullopt, 1.0};
    const std::optional<Unit> unit = UnitOfDigit(word->unit());
    return {NumberOfWord(*word), unit ? std::optional<double>(unit->metresPer) : std::nullopt};
}

// A point name as the book writes it, without the zeros that fill the word on the left.
std::string_view PointName(const Word& word)
{
    std::string_view name = TrimText(word.data());
    // GSI-16 fills with up to fifteen zeros: passed over eight at a time first.
    constexpr std::uint64_t kEightZeros = 0x3030303030303030u;
    while (name.size() > 8 && EightBytes(name.data()) == kEightZeros)
        name.remove_prefix(8);
    while (name.size() > 1 && name.front() == '0')
        name.remove_prefix(1);
    return name;
}

// A code word that starts a levelling line: "?......2", zero-filled on the left in GSI-16; in a
// line of that shape.
bool IsLineStartOf(std::string_view line, const Shape& shape)
{
    const std::string_view first = line.substr(shape.start, kDataAt + shape.width);
    if (!IsIndex(IndexOf(first), "41"))
        return false;
    const std::size_t code = first.find_first_not_of('0', kDataAt);
    return code != std::string_view::npos && first[code] == '?';
}

bool IsLineStart(std::string_view line)
{
    const std::optional<Shape> shape = ShapeOf(line);
    return shape && IsLineStartOf(line, *shape);
}

// A line's start and the instrument's line-end records (the 5xx words), in a line of that
// shape; other code blocks are remarks, which take no part as they hold no reading.
bool IsEventLineOf(std::string_view line, const Shape& shape)
{
    const std::string_view index = IndexOf(line.substr(shape.start));
    return IsLineStartOf(line, shape) || (index.size() == 3 && index[0] == '5');
}

std::string_view CodeOfReading(std::string_view index)
{
    if (IsIndex(index, "331") || IsIndex(index, "335"))
        return "Rb";
    if (IsIndex(index, "332") || IsIndex(index, "336"))
        return "Rf";
    if (IsIndex(index, "333"))
        return "Rz";
    return {};
}

// The reading word's index for an edited code: a backsight stays the first or second one it
// was, and so does a foresight.
std::string_view IndexOfCode(std::string_view code, std::string_view was)
{
    const bool second = was == "335" || was == "336";
    if (code == "Rb")
        return second ? "335" : "331";
    if (code == "Rf")
        return second ? "336" : "332";
    if (code == "Rz")
        return "333";
    return {};
}

// Writes the number `text` into `word`'s data at its width and unit.
bool WriteNumber(std::string_view text, const Word& word, std::string& line)
{
    const std::optional<Unit> unit = UnitOfDigit(word.unit());
    const double value = TextToNumber(text);
    if (!unit || !std::isfinite(value))
        return false;
    const std::size_t width = word.data().size();
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, unit->decimals));
    if (!(scaled < std::pow(10.0, static_cast<double>(width))))
        return false;
    std::string digits = std::to_string(static_cast<std::uint64_t>(scaled));
    digits.insert(0, width - digits.size(), '0');
    line[word.at + kSignAt] = value < 0 && scaled != 0 ? '-' : '+';
    line.replace(word.at + kDataAt, width, digits);
    return true;
}

// A word that does not parse, as a message quotes it: without the blanks around it, or as it
// stands when it is nothing but blanks, so that the quote is never empty.
std::string_view WordAsWritten(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return text;
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

constexpr std::string_view kGsiSuffixes[] = {"gsi", "GSI"};

const BookFormat kGsiFormat{
    "Leica GSI",
    kGsiSuffixes,
    N_("a Leica levelling book in the GSI-8 or GSI-16 format\n"
       "(.gsi: DNA03, DNA10, LS10/LS15, Sprinter), whose runs are numbered by their place"),
    N_("A Leica book is saved with its own line ends.\n"),
};

// The faults of a line, as a run's reason words them: {1} the line's number, {2} the word.
// TRANSLATORS: GSI is the name of the instrument's book format; its lines are words.
constexpr char kNoWord[] = N_("no GSI word in line {1}");
constexpr char kBadWord[] = N_("bad word \"{2}\" in line {1}");

// The index of a word as a number (11, 331), as IndexOf gives its text, when its first two
// bytes are digits; -1 for any other word, whose index is none that this layout reads.
int IndexNumber(std::string_view word)
{
    if (!IsDigit(word[0]) || !IsDigit(word[1]))
        return -1;
    const int two = (word[0] - '0') * 10 + (word[1] - '0');
    const bool twoDigits = two == 11 || word[0] == '4';
    return !twoDigits && IsDigit(word[2]) ? two * 10 + (word[2] - '0') : two;
}

// What one pass over a line's words finds: where the first word of each index that the run
// analysis reads stands (as WordOf and ReadingWord find them; kNone where the line has none),
// and the first word that does not parse.
struct LineWords {
    static constexpr std::size_t kNone = std::string_view::npos;
    Shape shape;
    std::size_t point = kNone, reading = kNone, distance = kNone, height = kNone, length = kNone;
    LineFault fault;

    std::optional<Word> WordAtPlace(std::string_view line, std::size_t at) const
    {
        return at == kNone ? std::nullopt : std::optional<Word>(WordAt(line, shape, at));
    }
};

// Notes the word of index `index` at `at` when it is the first of its index that the run
// analysis reads.
void NoteWord(int index, std::size_t at, LineWords& words)
{
    std::size_t* place = nullptr;
    switch (index) {
    case 11: place = &words.point; break;
    case 331: case 332: case 333: case 335: case 336: place = &words.reading; break;
    case 32: place = &words.distance; break;
    case 83: place = &words.height; break;
    case 574: place = &words.length; break;
    default: return;
    }
    if (*place == LineWords::kNone)
        *place = at;
}

// The reading words (IsReadingIndex), by their IndexNumber.
bool IsReadingNumber(int index)
{
    return index >= 331 && index <= 336 && index != 334;
}

// The words whose data this layout reads as numbers, by their IndexNumber.
bool IsNumberIndex(int index)
{
    return IsReadingNumber(index) || index == 32 || index == 83 || (index >= 571 && index <= 574);
}

// Whether a line of that shape has a reading word, whole, as ReadingWord finds it.
bool HasReadingWord(std::string_view line, const Shape& shape)
{
    for (std::size_t at = shape.start; at + kDataAt + shape.width <= line.size(); at += shape.Pitch()) {
        if (IsReadingNumber(IndexNumber(line.substr(at))))
            return true;
    }
    return false;
}

// Whether the piece `text` of a line, at `at`, of index `index` (IndexNumber), is a word that
// parses: whole (a blank or the line's end after it), two digits of its index and a sign, and
// digits for the data of a word this layout reads as a number (IsNumberIndex).
bool IsSoundWord(std::string_view line, std::size_t at, std::string_view text, std::size_t length, int index)
{
    const bool whole = text.size() == length && (at + length == line.size() || line[at + length] == ' ');
    if (!whole || index < 0 || (text[kSignAt] != '+' && text[kSignAt] != '-'))
        return false;
    return !IsNumberIndex(index) || AllDigits(text.substr(kDataAt));
}

// The words of `line` in one pass: those the run analysis reads when `values`, and the first
// fault when `faults` (the pass stops at it when the values are not wanted). Blanks after the
// last word are no fault.
LineWords ScanWords(std::string_view line, bool values, bool faults)
{
    LineWords words;
    const std::optional<Shape> shape = ShapeOf(line);
    if (!shape) {
        words.fault = {kNoWord, {}};
        return words;
    }
    words.shape = *shape;
    const std::size_t length = kDataAt + shape->width;
    for (std::size_t at = shape->start; at < line.size() && (values || faults); at += shape->Pitch()) {
        const std::string_view text = line.substr(at, length);
        const int index = text.size() >= 3 ? IndexNumber(text) : -1;
        if (values && text.size() == length)
            NoteWord(index, at, words);
        if (!faults)
            continue;
        if (line[at] == ' ' && line.find_first_not_of(' ', at) == std::string_view::npos) {
            faults = false;  // blanks after the last word
            continue;
        }
        if (!IsSoundWord(line, at, text, length, index)) {
            words.fault = {kBadWord, std::string(WordAsWritten(text))};
            faults = false;
        }
    }
    return words;
}

class Layout final : public FieldBookLayout {
public:
    std::string_view Name() const override { return "GSI"; }

    const BookFormat& Format() const override { return kGsiFormat; }

    bool Recognises(std::string_view line) const override { return ShapeOf(line).has_value(); }

    // Words of this shape are written by nothing else: a file of them is a GSI book, if one
    // without a levelling line (a total station's).
    bool RecognitionTellsTheBook() const override { return true; }

    std::string_view FieldOf(std::string_view line, Field field) const override
    {
        switch (field) {
        case Field::pointNumber:
            if (const std::optional<Word> word = WordOf(line, "11"))
                return PointName(*word);
            return {};
        case Field::valueType:
            if (const std::optional<Word> word = ReadingWord(line))
                return CodeOfReading(word->index);
            return {};
        default:
            if (const std::optional<Word> word = NumberWord(line, field))
                return TrimText(word->data());
            return {};
        }
    }

    std::string_view RunNumberOf(std::string_view, std::string_view carried) const override
    {
        return carried;
    }

    bool MakeRunNumber(std::string_view line, std::string_view carried, std::string& made) const override
    {
        if (IsLineStart(line)) {
            // The line after run n is run n + 1; the first, or one after a run of another
            // name, is 1.
            const bool counted = AllDigits(carried) && carried.size() < 10;
            made = std::to_string(counted ? std::stoul(std::string(carried)) + 1 : 1);
            return true;
        }
        if (carried.empty()) {
            made = "1";  // blocks before the book's first line start
            return true;
        }
        return false;
    }

    bool IsEventLine(std::string_view line) const override
    {
        const std::optional<Shape> shape = ShapeOf(line);
        return shape && IsEventLineOf(line, *shape);
    }

    // A line with a reading word has an observation code; the shape is found once.
    bool TakesNoPart(std::string_view line) const override
    {
        const std::optional<Shape> shape = ShapeOf(line);
        return !shape || IsEventLineOf(line, *shape) || !HasReadingWord(line, *shape);
    }

    bool HasErrorFlag(std::string_view) const override { return false; }

    std::string_view UnitOf(std::string_view line, Field value) const override
    {
        if (const std::optional<Word> word = NumberWord(line, value))
            return word->text.substr(kUnitAt, 1);
        return {};
    }

    std::optional<double> MetresPerUnit(std::string_view line, Field value) const override
    {
        const std::optional<Word> word = NumberWord(line, value);
        if (!word)
            return 1.0;  // no such word: nothing to convert
        if (const std::optional<Unit> unit = UnitOfDigit(word->unit()))
            return unit->metresPer;
        return std::nullopt;
    }

    // The method of a line start is the last digit of its code word (the sample books of the
    // DNA03 write "?......2" for BFFB); a digit this reader does not know names none, and the
    // readings then tell the method.
    std::string_view MethodWord(std::string_view line) const override
    {
        if (!IsLineStart(line))
            return {};
        const std::optional<Shape> shape = ShapeOf(line);
        switch (line[shape->start + kDataAt + shape->width - 1]) {
        case '1': return "BF";
        case '2': return "BFFB";
        default: return {};
        }
    }

    bool MakesTexts() const override { return true; }

    bool MakeText(std::string_view line, Field field, std::string& text) const override
    {
        const std::optional<Word> word = NumberWord(line, field);
        if (!word)
            return false;
        std::optional<std::string> decimal = DecimalText(*word);
        if (!decimal)
            return false;
        text = std::move(*decimal);
        return true;
    }

    std::optional<double> NumberOf(std::string_view line, Field field) const override
    {
        const std::optional<Word> word = NumberWord(line, field);
        return word ? NumberOfWord(*word) : std::nullopt;
    }

    // Every word is found in the one search, with the fault if asked for, so a line that takes
    // no part is read whole too.
    void ReadValues(std::string_view line, LineValues& values, bool, LineFault* fault) const override
    {
        LineWords words = ScanWords(line, true, fault != nullptr);
        const std::optional<Word> point = words.WordAtPlace(line, words.point);
        const std::optional<Word> reading = words.WordAtPlace(line, words.reading);
        values.pointNumber = point ? PointName(*point) : std::string_view();
        values.valueType = reading ? CodeOfReading(reading->index) : std::string_view();
        values.reading = ValueOfWord(reading);
        values.distance = ValueOfWord(words.WordAtPlace(line, words.distance));
        values.instrumentHeight = ValueOfWord(words.WordAtPlace(line, words.height));
        values.instrumentLength = ValueOfWord(words.WordAtPlace(line, words.length));
        if (fault)
            *fault = std::move(words.fault);
    }

    LineFault Problem(std::string_view line) const override { return ScanWords(line, false, true).fault; }

    bool KeepsLineEnds() const override { return true; }
    bool WritesEdits() const override { return true; }

    bool WriteEdits(std::string_view line, const GridTexts& fields, std::string& written) const override
    {
        written.assign(line);
        const std::optional<Word> point = WordOf(line, "11");
        if (fields.pointNumber != (point ? PointName(*point) : std::string_view())) {
            const std::string_view name = TrimText(fields.pointNumber);
            if (!point || name.empty() || name.size() > point->data().size())
                return false;
            std::string data(point->data().size() - name.size(), '0');
            data.append(name);
            written.replace(point->at + kDataAt, data.size(), data);
        }
        const std::optional<Word> reading = ReadingWord(line);
        if (fields.valueType != FieldOf(line, Field::valueType)) {
            const std::string_view index = reading ? IndexOfCode(fields.valueType, reading->index) : "";
            if (index.empty())
                return false;
            written.replace(reading->at, reading->index.size(), index);
        }
        std::string made;
        for (const auto& [field, text] : {std::pair{Field::reading, fields.reading},
                                          std::pair{Field::distance, fields.distance}}) {
            const bool madeOne = MakeText(line, field, made);
            if (text == (madeOne ? std::string_view(made) : FieldOf(line, field)))
                continue;
            const std::optional<Word> word = NumberWord(line, field);
            // A sight distance below zero is no distance: its word would take the sign, and the
            // run could no longer be read.
            if (!word || (field == Field::distance && TextToNumber(text) < 0) ||
                !WriteNumber(text, *word, written))
                return false;
        }
        return true;
    }
};

const Layout kGsiLayout;

}  // namespace

const FieldBookLayout& GsiLayout()
{
    return kGsiLayout;
}

}  // namespace velmora
