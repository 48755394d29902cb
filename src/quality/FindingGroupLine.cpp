// SPDX-License-Identifier: MIT
#include "quality/FindingGroupLine.h"

#include "fieldbook/Translation.h"
#include "quality/QualityText.h"

#include <cmath>

namespace velmora {

namespace {

const char* CheckTitle(QualityCheck check)
{
    switch (check) {
    case QualityCheck::Sight: return Tr("sight length");
    case QualityCheck::StationImbalance: return Tr("station imbalance");
    case QualityCheck::CumulativeImbalance: return Tr("cumulative imbalance");
    case QualityCheck::DoubleReading: return Tr("two readings of one sight");
    case QualityCheck::InstrumentHeight: return Tr("height sum against the instrument's Sh");
    case QualityCheck::InstrumentLength: return Tr("length against the instrument's Db+Df");
    case QualityCheck::Method: return Tr("method");
    }
    return "";
}

// Heights to 0.01 mm, lengths to the millimetre, as the other texts of the checks.
int DecimalsOf(QualityCheck check)
{
    return check == QualityCheck::DoubleReading || check == QualityCheck::InstrumentHeight
               ? kHeightDecimals
               : kLengthDecimals;
}

std::string Metres(double value, int decimals)
{
    // TRANSLATORS: a length or height in metres.
    return Fill(Tr("{1} m"), {ForPeople(FixedText(value, decimals))});
}

int StationCount(const std::vector<StationRange>& ranges)
{
    int count = 0;
    for (const StationRange& range : ranges)
        count += range.last - range.first + 1;
    return count;
}

}  // namespace

std::string FindingGroupLine(const FindingGroup& group)
{
    const std::string title = CheckTitle(group.check);
    const Finding& largest = group.largest;
    if (group.check == QualityCheck::Method) {
        return Fill(Tr("{1}: {2}"),
                    {title, std::isnan(largest.value)
                                ? Tr("the stations cannot be read")
                                : Tr("every sight is read once, the class asks for two readings")});
    }
    const int decimals = DecimalsOf(group.check);
    const std::string value = Metres(largest.value, decimals);
    const std::string limit = Metres(largest.limit, decimals);
    if (group.stations.empty())
        return Fill(Tr("{1}: {2}, limit {3}"), {title, value, limit});

    const int stations = StationCount(group.stations);
    std::string line = Fill(TrPlural("{1}: station {2}", "{1}: stations {2}",
                                     static_cast<unsigned long>(stations)),
                            {title, StationRangesText(group.stations)});
    if (stations == 1)
        return line + Fill(Tr("; {1}, limit {2}"), {value, limit});
    return line + Fill(Tr("; largest {1} at station {2}, limit {3}"),
                       {value, std::to_string(largest.station), limit});
}

}  // namespace velmora
