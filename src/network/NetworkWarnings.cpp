// SPDX-License-Identifier: MIT
#include "network/NetworkWarnings.h"

#include "fieldbook/Translation.h"
#include "runs/FigureWords.h"
#include "runs/Rounding.h"

namespace velmora {

const char* NetworkWarningKindName(NetworkWarning::Kind kind)
{
    switch (kind) {
    case NetworkWarning::Kind::reusedNumber: return "reusedNumber";
    case NetworkWarning::Kind::junction: return "junction";
    case NetworkWarning::Kind::chainBreak: return "chainBreak";
    case NetworkWarning::Kind::repeatedRun: return "repeatedRun";
    case NetworkWarning::Kind::sectionDifference: return "sectionDifference";
    }
    return "";
}

std::string StationListText(const std::vector<std::size_t>& stations)
{
    std::string text;
    for (std::size_t k = 0; k < stations.size(); ++k) {
        if (k > 0)
            text += k + 1 == stations.size() ? Tr(" and ") : ", ";
        text += std::to_string(stations[k]);
    }
    return text;
}

namespace {

// The name of the warning's other book (repeatedRun, sectionDifference).
std::string OtherBook(const LevellingNetwork& network, const NetworkWarning& warning,
                      std::string (*name)(std::string_view))
{
    return warning.otherBook < network.books.size() ? name(network.books[warning.otherBook]) : std::string();
}

// The warnings about runs as a whole: a broken chain, a run given twice, a section whose two
// levellings disagree.
std::string RunWarningText(const LevellingNetwork& network, const NetworkWarning& warning,
                           std::string (*name)(std::string_view), const std::string& book)
{
    const std::string run = name(warning.run);
    const std::string point = name(warning.point);
    const bool severalBooks = network.books.size() > 1;
    if (warning.kind == NetworkWarning::Kind::chainBreak) {
        const char* pattern =
            severalBooks ? Tr("in run {1} of {5}, station {3} begins on {2} where the station before "
                              "ended on {4}: the run is taken as two pieces that do not meet there")
                         : Tr("in run {1}, station {3} begins on {2} where the station before ended on "
                              "{4}: the run is taken as two pieces that do not meet there");
        return Fill(pattern, {run, point, StationListText(warning.stations), name(warning.previousPoint), book});
    }
    if (warning.kind == NetworkWarning::Kind::repeatedRun)
        return Fill(Tr("run {1} of {2} repeats run {3} of {4} station for station: one levelling "
                       "given twice counts every station twice"),
                    {run, book, name(warning.otherRun), OtherBook(network, warning, name)});
    const char* pattern =
        severalBooks ? Tr("section {1}-{2}: run {3} of {6} and run {4} of {7} differ by {5} mm, above the "
                          "limit of {8} mm")
                     : Tr("section {1}-{2}: runs {3} and {4} differ by {5} mm, above the limit of {8} mm");
    return Fill(pattern, {point, name(warning.toPoint), run, name(warning.otherRun),
                          MisclosureMillimetresText(warning.difference), book, OtherBook(network, warning, name),
                          MisclosureMillimetresText(warning.limit)});
}

}  // namespace

std::string NetworkWarningText(const LevellingNetwork& network, const NetworkWarning& warning,
                               std::string (*name)(std::string_view))
{
    const std::string run = name(warning.run);
    const std::string point = name(warning.point);
    const std::string stations = StationListText(warning.stations);
    const bool severalBooks = network.books.size() > 1;
    const std::string book = severalBooks && warning.book < network.books.size()
                                 ? name(network.books[warning.book])
                                 : std::string();
    using Kind = NetworkWarning::Kind;
    if (warning.kind == Kind::chainBreak || warning.kind == Kind::repeatedRun ||
        warning.kind == Kind::sectionDifference)
        return RunWarningText(network, warning, name, book);
    if (warning.kind == NetworkWarning::Kind::junction) {
        const char* pattern =
            severalBooks ? Tr("run {1} of {4} passes node {2} at station {3} and is split there as a "
                              "junction")
                         : Tr("run {1} passes node {2} at station {3} and is split there as a junction");
        return Fill(pattern, {run, point, stations, book});
    }
    const std::size_t places = warning.stations.size();
    const char* pattern =
        severalBooks ? TrPlural("in run {1} of {5}, {2} stands for {3} place (stations {4}), kept apart "
                                "as turning points",
                                "in run {1} of {5}, {2} stands for {3} places (stations {4}), kept apart "
                                "as turning points",
                                places)
                     : TrPlural("in run {1}, {2} stands for {3} place (stations {4}), kept apart as "
                                "turning points",
                                "in run {1}, {2} stands for {3} places (stations {4}), kept apart as "
                                "turning points",
                                places);
    std::string text = Fill(pattern, {run, point, std::to_string(places), stations, book});
    if (warning.instrumentHeightDifference)
        text += Fill(Tr("; the instrument's own heights there are {1} m apart"),
                     {ForPeople(FixedText(*warning.instrumentHeightDifference, 4))});
    else
        text += Tr("; the book records no heights of the instrument to compare");
    return text;
}

std::string UnreachedNamesText(const NetworkAdjustment& result, std::string (*name)(std::string_view))
{
    std::string names;
    for (const std::string& point : result.unreached)
        names += (names.empty() ? "" : ", ") + name(point);
    return names;
}

std::string UnreachedText(const NetworkAdjustment& result, std::string (*name)(std::string_view))
{
    if (result.unreached.empty())
        return {};
    return Fill(Tr("no fixed point reaches {1}; their heights are not computed"),
                {UnreachedNamesText(result, name)});
}

}  // namespace velmora
