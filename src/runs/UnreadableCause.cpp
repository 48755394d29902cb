// SPDX-License-Identifier: MIT
#include "runs/UnreadableCause.h"

namespace velmora {

std::string UnreadableCause::Text() const
{
    const std::string station = "station " + std::to_string(this->station) + " (" + pattern +
                                " from point " + point + ") ";
    switch (kind) {
    case Kind::None:
        break;
    case Kind::UnknownUnit:
        return "unknown unit \"" + unit + "\" at point " + point;
    case Kind::FitsNoMethod:
        return station + "fits no levelling method";
    case Kind::DifferentPoints:
        return station + "has readings on different points";
    case Kind::NotChained:
        return station + "does not begin on " + expectedPoint;
    case Kind::Incomplete:
        return station + "is incomplete";
    case Kind::ReadingsTakenTwice:
        return "readings taken twice fit no levelling method";
    case Kind::NotANumber:
        return "a reading or distance is not a number";
    case Kind::LineProblem:
        return problem + " in line " + std::to_string(line);
    }
    return {};
}

}  // namespace velmora
