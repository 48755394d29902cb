// SPDX-License-Identifier: MIT
#include "MethodRewriter.h"

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/RecordList.h"
#include "fieldbook/TextConversions.h"
#include "runs/Station.h"

#include <cstdio>
#include <map>

namespace velmora::testing {

namespace {

constexpr std::size_t kM5Reading = 51;
constexpr std::size_t kM5Distance = 74;
constexpr std::size_t kM5NumberWidth = 15;
constexpr std::size_t kM5ReadingUnit = 66;
constexpr std::size_t kM5DistanceUnit = 89;
constexpr std::size_t kM5Code = 49;
constexpr std::size_t kPlainCode = 36;
constexpr std::size_t kM5ErrorFlag = 118;

bool IsM5(std::string_view line)
{
    return line.substr(0, 3) == "For";
}

// The order of the readings at station k (counted from 0) of a run measured with `method`.
std::string PatternOf(std::string_view method, std::size_t station)
{
    const bool alternate = !method.empty() && method.front() == 'a';
    const std::string_view base = alternate ? method.substr(1) : method;
    if (!alternate || station % 2 == 0)
        return std::string(base);
    std::string reversed(base);
    for (char& c : reversed)
        c = c == 'B' ? 'F' : 'B';
    return reversed;
}

// The start-of-line record's method word in the same language as `original` ("ZV" → Czech).
std::string Translated(std::string_view method, std::string_view original)
{
    char back = 'B';
    char fore = 'F';
    if (original.find('Z') != std::string_view::npos) {
        back = 'Z';
        fore = 'V';
    } else if (original.find('R') != std::string_view::npos) {
        back = 'R';
        fore = 'V';
    }
    std::string word(method);
    for (char& c : word)
        c = c == 'B' ? back : c == 'F' ? fore : c;
    return word;
}

// The method word of a start-of-line record and where it stands in the line, if it has one.
bool FindMethodWord(const std::string& line, std::size_t& first, std::size_t& end)
{
    const std::size_t textFirst = IsM5(line) ? 21 : 7;
    const std::size_t textEnd = IsM5(line) ? 44 : 31;
    if (line.size() < textEnd)
        return false;
    end = line.find_last_not_of(' ', textEnd - 1);
    if (end == std::string::npos || end < textFirst)
        return false;
    ++end;
    first = line.find_last_of(' ', end - 1);
    if (first == std::string::npos || first < textFirst)
        return false;
    ++first;
    return MethodOfWord(std::string_view(line).substr(first, end - first)).has_value();
}

std::string FeetText(std::string_view metres)
{
    // As many decimals as the 15 columns of the field hold.
    char text[64];
    for (int decimals = 11; decimals >= 0; --decimals) {
        const int length = std::snprintf(text, sizeof text, "%.*f", decimals,
                                         TextToNumber(metres) / kMetresPerFoot);
        if (length >= 0 && static_cast<std::size_t>(length) <= kM5NumberWidth)
            break;
    }
    return text;
}

void PutRight(std::string& line, std::size_t first, std::size_t count, std::string_view value)
{
    line.replace(first, count, std::string(count - value.size(), ' ') + std::string(value));
}

class Writer {
public:
    Writer(const RewriteOptions& options, std::vector<std::string>& out)
        : options_(options), out_(out)
    {
    }

    void Line(std::string line)
    {
        const MeasurementRecord record = ParseLine(line);
        const std::string_view code = record.valueType();
        if (options_.germanCodes && (code == "Rb" || code == "Rf" || code == "Rz")) {
            const char* german = code == "Rb" ? "Lr" : code == "Rf" ? "Lv" : "Lz";
            line.replace(IsM5(line) ? kM5Code : kPlainCode, 2, german);
        }
        if (options_.feet && IsM5(line) && (code == "Rb" || code == "Rf" || code == "Rz")) {
            PutRight(line, kM5Reading, kM5NumberWidth, FeetText(record.reading()));
            PutRight(line, kM5Distance, kM5NumberWidth, FeetText(record.distance()));
            line.replace(kM5ReadingUnit + 1, 2, "ft");
            line.replace(kM5DistanceUnit + 1, 2, "ft");
        }
        out_.push_back(line);
    }

    // The station's readings in the order of `pattern`, then (when asked) a failed reading.
    void Station(const std::string& back, const std::string& fore, const std::string& pattern)
    {
        for (const char c : pattern) {
            Line(c == 'B' ? back : fore);
            if (c == 'F' && options_.errorLines && IsM5(fore)) {
                std::string failed = fore;
                PutRight(failed, kM5Reading, kM5NumberWidth, "9.87654");
                failed[kM5ErrorFlag] = 'e';
                Line(failed);
            }
        }
    }

private:
    const RewriteOptions& options_;
    std::vector<std::string>& out_;
};

}  // namespace

std::vector<std::string> SplitBookLines(std::string_view text)
{
    std::vector<std::string> lines;
    RecordList records;
    ParseMeasurementText(text, records);
    for (const MeasurementRecord& record : records)
        lines.emplace_back(record.lineText());
    return lines;
}

std::vector<std::string> RewriteBook(const std::vector<std::string>& lines,
                                     const RewriteOptions& options)
{
    // Pair each backsight with the foresight that completes its BF station.
    std::map<std::size_t, std::size_t> foreOfBack;
    std::map<std::size_t, std::size_t> backOfFore;
    std::map<std::size_t, std::size_t> stationOfBack;
    {
        std::map<std::string, std::size_t> openBack;
        std::map<std::string, std::size_t> stationCount;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            MeasurementRecord record = ParseLine(lines[i]);
            if (IsSkippedLine(record))
                continue;
            const std::string run(TrimText(record.runNumber()));
            if (record.valueType() == "Rb") {
                openBack[run] = i;
            } else if (record.valueType() == "Rf" && openBack.count(run)) {
                const std::size_t back = openBack[run];
                foreOfBack[back] = i;
                backOfFore[i] = back;
                stationOfBack[back] = stationCount[run]++;
                openBack.erase(run);
            }
        }
    }

    std::vector<std::string> out;
    Writer writer(options, out);
    std::map<std::size_t, std::string> deferred;  // by foresight line: the pattern's rest
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        std::size_t wordFirst = 0;
        std::size_t wordEnd = 0;
        if (ParseLine(line).valueType().empty() && FindMethodWord(line, wordFirst, wordEnd)) {
            if (!options.keepStartRecord)
                continue;
            const std::string word =
                Translated(options.method, std::string_view(line).substr(wordFirst, wordEnd - wordFirst));
            const std::size_t first = wordEnd - word.size();
            line.replace(first, word.size(), word);
            out.push_back(line);
            continue;
        }
        if (const auto fore = foreOfBack.find(i); fore != foreOfBack.end()) {
            const std::string pattern = PatternOf(options.method, stationOfBack[i]);
            if (pattern.front() == 'B') {
                writer.Station(line, lines[fore->second], "B");
                deferred[fore->second] = pattern.substr(1);
            } else {
                writer.Station(line, lines[fore->second], pattern);
                deferred[fore->second] = "";
            }
            continue;
        }
        if (const auto back = backOfFore.find(i); back != backOfFore.end()) {
            writer.Station(lines[back->second], line, deferred[i]);
            continue;
        }
        writer.Line(line);
    }
    return out;
}

}  // namespace velmora::testing
