// SPDX-License-Identifier: MIT
#include "runs/FigureWords.h"

#include "fieldbook/Translation.h"
#include "runs/Rounding.h"

namespace velmora {

double MisclosureMillimetres(double metres)
{
    return RoundTo4(metres) * kMillimetresPerMetre;
}

std::string MisclosureMillimetresText(double metres)
{
    return ForPeople(FixedText(MisclosureMillimetres(metres), kMisclosureMillimetreDecimals));
}

std::string SigmaMillimetresText(double metres)
{
    return ForPeople(FixedText(metres * kMillimetresPerMetre, kSigmaMillimetreDecimals));
}

std::string ChiSquareText(double value)
{
    return ForPeople(FixedText(value, kChiSquareDecimals));
}

std::string InstrumentHeightText(double metres)
{
    return ForPeople(FixedText(metres, kInstrumentHeightDecimals));
}

std::string InstrumentLengthText(double metres)
{
    return ForPeople(FixedText(metres, kInstrumentLengthDecimals));
}

}  // namespace velmora
