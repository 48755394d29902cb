// SPDX-License-Identifier: MIT
#include "network/FixedHeights.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

namespace velmora {

namespace {

bool Fail(FixedHeightsFailure& failure, FixedHeightsFailure::Kind kind, int line,
          std::string point, std::string text)
{
    failure = {kind, line, std::move(point), std::move(text)};
    return false;
}

}  // namespace

bool AddFixedHeight(FixedHeight known, std::vector<FixedHeight>& fixed, FixedHeightsFailure& failure)
{
    using Kind = FixedHeightsFailure::Kind;
    if (known.point.empty())
        return Fail(failure, Kind::NoPoint, 0, {}, {});
    if (!std::isfinite(known.height))
        return Fail(failure, Kind::NoNumber, 0, known.point, {});
    for (const FixedHeight& other : fixed) {
        if (other.point != known.point)
            continue;
        if (other.height == known.height)
            return true;
        return Fail(failure, Kind::FixedTwice, 0, known.point, {});
    }
    fixed.push_back(std::move(known));
    return true;
}

bool ReadFixedHeights(std::istream& lines, std::vector<FixedHeight>& fixed, FixedHeightsFailure& failure)
{
    using Kind = FixedHeightsFailure::Kind;
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        // A list saved as "UTF-8 with BOM" by an editor begins with the mark: no part of a name.
        constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
        if (number == 1 && std::string_view(line).substr(0, kByteOrderMark.size()) == kByteOrderMark)
            line.erase(0, kByteOrderMark.size());
        line = line.substr(0, line.find('#'));
        std::replace_if(line.begin(), line.end(),
                        [](char c) { return c == ';' || c == '\t' || c == '\r'; }, ' ');
        std::istringstream words(Utf8AsBookText(line));
        std::string point, height, extra;
        if (!(words >> point))
            continue;
        if (!(words >> height) || (words >> extra))
            return Fail(failure, Kind::NotPointHeight, number, point, {});
        const double value = TextToNumber(height);
        if (!std::isfinite(value))
            return Fail(failure, Kind::NoNumber, number, point, height);
        if (!AddFixedHeight({point, value}, fixed, failure)) {
            failure.line = number;
            return false;
        }
    }
    if (lines.bad())
        return Fail(failure, Kind::CannotRead, 0, {}, {});
    return true;
}

bool ReadFixedHeightsFile(const std::string& path, std::vector<FixedHeight>& fixed,
                          FixedHeightsFailure& failure)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Fail(failure, FixedHeightsFailure::Kind::CannotRead, 0, {}, {});
    return ReadFixedHeights(file, fixed, failure);
}

std::string FixedHeightsFailureText(const FixedHeightsFailure& failure, std::string_view source)
{
    using Kind = FixedHeightsFailure::Kind;
    const std::string point = Cp1251ToUtf8(failure.point);
    const std::string line = std::to_string(failure.line);
    std::string text;
    switch (failure.kind) {
    case Kind::None:
        return {};
    case Kind::NoPoint:
        text = Tr("a fixed height names no point");
        break;
    case Kind::NoNumber:
        text = failure.text.empty()
                   ? Fill(Tr("the height of fixed point {1} is no number"), {point})
                   : Fill(Tr("the height of fixed point {1} is no number: \"{2}\""),
                          {point, Cp1251ToUtf8(failure.text)});
        break;
    case Kind::FixedTwice:
        text = Fill(Tr("point {1} is fixed twice at different heights"), {point});
        break;
    case Kind::CannotRead:
        return Fill(Tr("{1} cannot be read"), {source});
    case Kind::NotPointHeight:
        text = Tr("the line is not POINT HEIGHT");
        break;
    }
    if (failure.line == 0)
        return text;
    // TRANSLATORS: {1} is a file, {2} a line number, {3} what is wrong with the line.
    return Fill(Tr("{1}, line {2}: {3}"), {source, line, text});
}

}  // namespace velmora
