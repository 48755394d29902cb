// SPDX-License-Identifier: MIT
#include "quality/QualityText.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "runs/FigureWords.h"

#include <cmath>

namespace velmora {

namespace {

std::string Metres(double value, int decimals)
{
    return Fill(Tr("{1} m"), {ForPeople(FixedText(value, decimals))});
}

std::string InstrumentHeight(double metres)
{
    return Fill(Tr("{1} m"), {InstrumentHeightText(metres)});
}

std::string InstrumentLength(double metres)
{
    return Fill(Tr("{1} m"), {InstrumentLengthText(metres)});
}

}  // namespace

std::string InstrumentText(const RunQuality& quality)
{
    const RunSights& run = *quality.run;
    std::string text;
    if (quality.instrumentHeightDifference)
        text += Fill(Tr("Sh {1} (ours differ by {2})"),
                     {InstrumentHeight(*run.instrument->heightSum),
                      InstrumentHeight(*quality.instrumentHeightDifference)});
    if (quality.instrumentLengthDifference) {
        if (!text.empty())
            text += ", ";
        text += Fill(Tr("Db+Df {1} (ours differ by {2})"),
                     {InstrumentLength(*run.instrument->length),
                      InstrumentLength(*quality.instrumentLengthDifference)});
    }
    return text.empty() ? Tr("sums: none in the field book") : text;
}

std::string MisclosureText(const LevellingRun& run, double toleranceCoefficient)
{
    switch (run.Status(toleranceCoefficient)) {
    case RunStatus::Empty:
    case RunStatus::Unreadable:
        return {};
    case RunStatus::Open:
        // TRANSLATORS: fh is the misclosure of a levelling run.
        return Tr("fh: the run does not close on its first point");
    case RunStatus::WithinTolerance:
        // TRANSLATORS: fh is the run's misclosure, the allowed one its tolerance, in mm.
        return Fill(Tr("fh {1} mm, allowed fh {2} mm"),
                    {MisclosureMillimetresText(run.heightSum),
                     MisclosureMillimetresText(run.AllowedMisclosure(toleranceCoefficient))});
    case RunStatus::AboveTolerance:
        return Fill(Tr("fh {1} mm, above the allowed fh {2} mm"),
                    {MisclosureMillimetresText(run.heightSum),
                     MisclosureMillimetresText(run.AllowedMisclosure(toleranceCoefficient))});
    }
    return {};
}

std::string RunFiguresText(const RunQuality& quality, std::string_view misclosure)
{
    const RunSights& run = *quality.run;
    // The book's texts are Windows-1251; they meet translated (UTF-8) words here.
    std::string label = Cp1251ToUtf8(run.runNumber);
    if (!run.method.empty())
        label += " " + Cp1251ToUtf8(run.method);
    if (!run.unreadable.empty())
        return Fill(Tr("{1}: unreadable, {2}"), {label, run.unreadable.TextForPeople()});
    if (run.stations.empty())
        return Fill(Tr("{1}: no stations"), {label});

    const std::size_t count = run.stations.size();
    std::string text = label + ": " + Fill(TrPlural("{1} station", "{1} stations", count), {std::to_string(count)});
    text += ", " + Fill(Tr("length {1}"), {Metres(run.distanceSum, kLengthDecimals)});
    if (!misclosure.empty())
        text += ", " + std::string(misclosure);
    text += ", " + Fill(Tr("longest sight {1}"), {Metres(quality.maxSight, kLengthDecimals)});
    text += ", " + Fill(Tr("largest station imbalance {1}"), {Metres(quality.maxStationImbalance, kLengthDecimals)});
    text += ", " + Fill(Tr("cumulative imbalance {1} (largest {2})"),
                        {Metres(quality.cumulativeImbalance, kLengthDecimals),
                         Metres(quality.maxCumulativeImbalance, kLengthDecimals)});
    text += ", ";
    text += quality.maxDoubleReadingDifference
                ? Fill(Tr("two readings differ by up to {1}"),
                       {Metres(*quality.maxDoubleReadingDifference, kHeightDecimals)})
                : std::string(Tr("two readings differ by - (one reading per sight)"));
    text += ", " + Fill(Tr("instrument {1}"), {InstrumentText(quality)});
    return text;
}

std::string ChainBreakText(const Finding& finding)
{
    return Fill(Tr("station {1} begins on {2} where the station before ended on {3}"),
                {std::to_string(finding.station), Cp1251ToUtf8(finding.point), Cp1251ToUtf8(finding.previousPoint)});
}

std::string FindingText(const Finding& finding)
{
    const std::string station = std::to_string(finding.station);
    // The value and its limit, written as the check's kind of figure asks: a length or a height.
    const bool height = finding.check == QualityCheck::DoubleReading || finding.check == QualityCheck::InstrumentHeight;
    const int decimals = height ? kHeightDecimals : kLengthDecimals;
    const std::string figures[] = {Metres(finding.value, decimals), Metres(finding.limit, decimals)};
    switch (finding.check) {
    case QualityCheck::ChainBreak:
        return ChainBreakText(finding);
    case QualityCheck::Sight:
        return Fill(Tr("station {1}: sight {2}, limit {3}"), {station, figures[0], figures[1]});
    case QualityCheck::StationImbalance:
        return Fill(Tr("station {1}: station imbalance {2}, limit {3}"), {station, figures[0], figures[1]});
    case QualityCheck::DoubleReading:
        return Fill(Tr("station {1}: two readings of one sight differ by {2}, limit {3}"),
                    {station, figures[0], figures[1]});
    case QualityCheck::CumulativeImbalance:
        return Fill(Tr("station {1}: cumulative imbalance {2}, limit {3}"), {station, figures[0], figures[1]});
    case QualityCheck::InstrumentHeight:
        return Fill(Tr("instrument: our height sum differs from Sh by {1}, limit {2}"), {figures[0], figures[1]});
    case QualityCheck::InstrumentLength:
        return Fill(Tr("instrument: our length differs from Db+Df by {1}, limit {2}"), {figures[0], figures[1]});
    case QualityCheck::Method:
        if (std::isnan(finding.value))
            return Tr("method: the stations cannot be read");
        return Tr("method: every sight is read once, the class asks for two readings");
    }
    return {};
}

std::string SectionPairText(const SectionCheck& check, std::size_t pair,
                            std::string (*runName)(const SectionLevelling&))
{
    const SectionLevellings& section = check.section;
    const SectionPair& p = section.pairs[pair];
    const SectionLevelling& a = section.levellings[p.first];
    const SectionLevelling& b = section.levellings[p.second];
    const char* pattern = a.reversed != b.reversed
                              ? Tr("section {1}-{2}, runs {3} and {4} there and back: {5} and {6}, d {7} mm, limit {8} mm")
                              : Tr("section {1}-{2}, runs {3} and {4} in one direction: {5} and {6}, d {7} mm, limit {8} mm");
    std::string text = Fill(pattern, {Cp1251ToUtf8(section.from), Cp1251ToUtf8(section.to), runName(a), runName(b),
                                      Metres(a.heightDifference, kHeightDecimals),
                                      Metres(b.heightDifference, kHeightDecimals),
                                      MisclosureMillimetresText(p.discrepancy),
                                      MisclosureMillimetresText(check.verdicts[pair].limit)});
    text += check.verdicts[pair].above ? Tr(": above the limit") : Tr(": within the limit");
    return text;
}

std::string SectionPairDirections(const SectionCheck& check, std::size_t pair)
{
    const SectionPair& p = check.section.pairs[pair];
    return check.section.levellings[p.first].reversed != check.section.levellings[p.second].reversed
               ? Tr("there and back")
               : Tr("one direction");
}

std::string SectionPairVerdictText(const SectionCheck& check, std::size_t pair)
{
    return check.verdicts[pair].above ? Tr("above the limit") : Tr("within the limit");
}

}  // namespace velmora
