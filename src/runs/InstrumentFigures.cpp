// SPDX-License-Identifier: MIT
#include "runs/InstrumentFigures.h"

#include "runs/Limit.h"

#include <cmath>

namespace velmora {

namespace {

// Written so that NaN gives false: a sum that could not be computed cannot vouch for the run.
bool Within(double ours, double instruments, double agreement)
{
    const double difference = std::fabs(ours - instruments);
    return !std::isnan(difference) && !ExceedsLimit(difference, agreement);
}

}  // namespace

bool InstrumentFigures::HeightAgrees(double ourHeightSum) const
{
    return !heightSum || Within(ourHeightSum, *heightSum, kInstrumentHeightAgreement);
}

bool InstrumentFigures::LengthAgrees(double ourLength) const
{
    return !length || Within(ourLength, *length, kInstrumentLengthAgreement);
}

}  // namespace velmora
