// SPDX-License-Identifier: MIT
#include "runs/UnreadableCause.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"

namespace velmora {

namespace {

// The cause in words of the current language, with the book's texts passed through `book`.
// Text() and TextForPeople() both word it here, so the English they give is one and the same.
std::string Words(const UnreadableCause& cause, std::string (*book)(std::string_view))
{
    using Kind = UnreadableCause::Kind;
    const std::string station = std::to_string(cause.station);
    const std::string line = std::to_string(cause.line);
    const auto stationText = [&](const char* pattern) {
        return Fill(pattern, {station, book(cause.pattern), book(cause.point), book(cause.expectedPoint)});
    };
    switch (cause.kind) {
    case Kind::None:
        break;
    case Kind::UnknownUnit:
        return Fill(Tr("unknown unit \"{1}\" at point {2}"), {book(cause.unit), book(cause.point)});
    case Kind::NegativeDistance:
        return Fill(Tr("negative distance {1} at point {2}"), {book(cause.word), book(cause.point)});
    case Kind::DistanceNotANumber:
        return Fill(Tr("distance \"{1}\" at point {2} is not a number"), {book(cause.word), book(cause.point)});
    case Kind::FitsNoMethod:
        // TRANSLATORS: {2} is the order of the station's sights so far (B back, F fore: "BFB"),
        // {3} the point it began on.
        return stationText(Tr("station {1} ({2} from point {3}) fits no levelling method"));
    case Kind::DifferentPoints:
        return stationText(Tr("station {1} ({2} from point {3}) has readings on different points"));
    case Kind::NotChained:
        // TRANSLATORS: {4} is the point where the station before ended.
        return stationText(Tr("station {1} ({2} from point {3}) does not begin on {4}"));
    case Kind::Incomplete:
        return stationText(Tr("station {1} ({2} from point {3}) is incomplete"));
    case Kind::ReadingsTakenTwice:
        return Tr("readings taken twice fit no levelling method");
    case Kind::NotANumber:
        return Tr("a reading or distance is not a number");
    case Kind::StationNotANumber:
        return Fill(Tr("station {1} has a reading or distance that is not a number"), {station});
    case Kind::LineFault:
        // A control byte in the word (a CR left in a line) is shown, as \x0D.
        return Fill(Tr(cause.lineFault), {line, book(ControlCharactersShown(cause.word))});
    }
    return {};
}

}  // namespace

std::string UnreadableCause::Text() const
{
    const EnglishTexts english;
    return Words(*this, Cp1251AsIs);
}

std::string UnreadableCause::TextForPeople() const
{
    return Words(*this, Cp1251ToUtf8);
}

}  // namespace velmora
