// SPDX-License-Identifier: MIT
#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include "export/Adjustment.h"
#include "fieldbook/MeasurementFile.h"
#include "fieldbook/RunStretches.h"
#include "runs/Station.h"
#include "fieldbook/TextConversions.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::fuzz {

namespace {

// Point names of a small alphabet, so that runs meet; some differ only by blanks around them.
constexpr std::string_view kPoints[] = {"A", "B", "C", "D", "E", "RP1", " A", "B "};
constexpr std::string_view kCodes[] = {"Rb", "Rf", "Rz", "Rb", "Rf", "Sh", "Db", "Rf"};
constexpr std::string_view kNumbers[] = {"1.5",   "0.25", "1,75", "0",     "-0",    "-2.5",
                                         "12.345", "x",    "",     "1e308", "-1e308", "3e-7",
                                         "100",   "0.001", "7,5",  "1.2.3"};
constexpr std::string_view kRuns[] = {"1", "2", "3", "4", "5", "17"};

void Put(std::string& line, std::size_t column, std::size_t width, std::string_view text)
{
    const std::size_t length = std::min(width, text.size());
    line.replace(column + width - length, length, text.substr(0, length));
}

// The point names a run gives in record order: its first backsight, every foresight and every
// intermediate sight. `beginsWithBacksight` tells whether the first of them is the backsight,
// so that the first point stands at relative height 0; `intermediate` marks the intermediate
// sights among them.
std::vector<std::string> PointNames(const RecordList& records, std::string_view run,
                                    bool& beginsWithBacksight, double& largestNumber,
                                    std::vector<bool>& intermediate)
{
    intermediate.clear();
    std::vector<std::string> names;
    bool begun = false;
    beginsWithBacksight = false;
    largestNumber = 0;
    for (const MeasurementRecord& record : records) {
        if (record.skipped() || record.runNumber() != run)
            continue;
        const std::string_view code = record.valueType();
        for (const double number : {TextToNumber(record.reading()), TextToNumber(record.distance())}) {
            if (!std::isnan(number))
                largestNumber = std::max(largestNumber, std::fabs(number));
        }
        const bool first = code == "Rb" && !begun;
        if (code == "Rb")
            begun = true;
        if (first || code == "Rf" || code == "Rz") {
            if (names.empty())
                beginsWithBacksight = first;
            names.emplace_back(TrimText(record.pointNumber()));
            intermediate.push_back(code == "Rz");
        }
    }
    return names;
}

}  // namespace

void CheckAdjustment(std::string_view input)
{
    ByteReader in(input);

    // The field book: runs of backsights, foresights and intermediate sights.
    std::string book;
    const std::size_t lines = in.Pick(40);
    for (std::size_t i = 0; i < lines; ++i) {
        const std::uint8_t a = in.Byte();
        const std::uint8_t b = in.Byte();
        std::string line(66, ' ');
        Put(line, 0, 6, std::to_string(i + 1));
        Put(line, 7, 9, kPoints[a & 7]);
        Put(line, 31, 4, kRuns[(a >> 3) % 6]);
        Put(line, 36, 2, kCodes[(a >> 5) & 7]);
        Put(line, 38, 13, kNumbers[b & 15]);
        Put(line, 53, 13, kNumbers[b >> 4]);
        book += line + "\r\n";
    }
    RecordList records;
    ParseMeasurementText(book, records);

    // The selection: run numbers in list order, some twice, some that no record has.
    std::vector<std::string> selected;
    const std::size_t count = in.Pick(8);
    for (std::size_t i = 0; i < count; ++i)
        selected.emplace_back(kRuns[in.Pick(6)]);
    const std::string startPoint(kPoints[in.Pick(8)]);
    const std::uint8_t heightChoice = in.Byte();
    const double heights[] = {0, 100.25, -3.5, 1e300, -0.0};
    const double startHeight = heights[heightChoice % 5];
    const double coefficient = (heightChoice & 0x80) ? 0.002 : 0.02;

    // What the doc says happens, worked out on names alone: again and again the first pending
    // run, in list order, with two points or more and a point of known height goes.
    std::vector<std::vector<std::string>> names;
    std::vector<std::vector<bool>> intermediates;
    std::vector<bool> regular;
    std::vector<bool> ordinary;
    for (const std::string& run : selected) {
        bool beginsWithBacksight = false;
        double largestNumber = 0;
        intermediates.emplace_back();
        names.push_back(PointNames(records, run, beginsWithBacksight, largestNumber, intermediates.back()));
        // The model above is the BF one. A run whose readings fit a double-reading or
        // alternating method is read that way: its points are the station model's. One that
        // cannot be read ends the export before anything is written.
        const RunStations stations = WalkRun(records, RunStretches(records).RecordsOf(run));
        if (!stations.Readable()) {
            names.back().clear();
            intermediates.back().clear();
        } else if (stations.method != LevellingMethod::BF) {
            names.back().clear();
            intermediates.back().clear();
            for (const PointEntry& entry : CollectRunPoints(stations, {}).points) {
                names.back().emplace_back(TrimText(entry.point));
                intermediates.back().push_back(entry.intermediate);
            }
            beginsWithBacksight = true;
        }
        // Readings of 1e308 cancel to nothing against a height of 100: such runs are checked
        // only for finite results.
        regular.push_back(beginsWithBacksight && largestNumber < 1e6);
        ordinary.push_back(largestNumber < 1e6);
    }
    std::set<std::string> known = {std::string(TrimText(startPoint))};
    std::vector<bool> pendingModel(selected.size(), true);
    std::vector<std::size_t> order;
    for (;;) {
        std::size_t next = selected.size();
        for (std::size_t slot = 0; slot < selected.size() && next == selected.size(); ++slot) {
            if (!pendingModel[slot] || names[slot].size() < 2)
                continue;
            for (const std::string& name : names[slot]) {
                if (known.count(name)) {
                    next = slot;
                    break;
                }
            }
        }
        if (next == selected.size())
            break;
        order.push_back(next);
        pendingModel[next] = false;
        known.insert(names[next].begin(), names[next].end());
    }

    std::vector<std::string> pending = selected;
    std::vector<AdjustedRun> written;
    std::map<std::string, double> heightsKnown = {{std::string(TrimText(startPoint)), startHeight}};
    bool failed = false;
    try {
        ExportRuns(records, pending, startPoint, startHeight, coefficient, [&](const AdjustedRun& run) {
            written.push_back(run);
        });
    } catch (const ExportError&) {
        failed = true;
    }

    // The runs written are those of the model, in its order (a prefix of it when the export
    // stopped with an error).
    FUZZ_REQUIRE(written.size() <= order.size(), "more runs written than can be linked");
    FUZZ_REQUIRE(failed || written.size() == order.size(),
                 "export wrote " + std::to_string(written.size()) + " runs, " +
                     std::to_string(order.size()) + " can be linked");
    for (std::size_t i = 0; i < written.size(); ++i) {
        const AdjustedRun& run = written[i];
        const std::size_t slot = order[i];
        FUZZ_REQUIRE(run.runNumber == selected[slot],
                     "run " + std::to_string(i + 1) + " written is " + Shown(run.runNumber) +
                         ", expected " + Shown(selected[slot]));

        // Every height and every number of the run is finite.
        FUZZ_REQUIRE(std::isfinite(run.misclosure) && std::isfinite(run.allowedMisclosure) &&
                         std::isfinite(run.largestCorrection),
                     "run " + Shown(run.runNumber) + " written with a number that is not finite");
        for (const PointEntry& point : run.points)
            FUZZ_REQUIRE(std::isfinite(point.height), "run " + Shown(run.runNumber) + " has a height that is not finite");

        // The points are the run's, less the closing one of a closed run with a misclosure: its
        // last point that is no intermediate sight (the closing station's intermediate sights
        // recorded after its foresight stay).
        std::vector<std::string> got;
        for (const PointEntry& point : run.points)
            got.emplace_back(TrimText(point.point));
        std::vector<std::string> want = names[slot];
        std::size_t closing = want.size();
        if (run.misclosure != 0) {
            closing = want.size() - 1;
            while (closing > 0 && intermediates[slot][closing])
                --closing;
            want.erase(want.begin() + static_cast<std::ptrdiff_t>(closing));
        }
        FUZZ_REQUIRE(got == want, "run " + Shown(run.runNumber) + " written with other points");
        // The run's first point is, as the run list counts points, its first that is no
        // intermediate sight.
        std::size_t first = 0;
        while (first < intermediates[slot].size() && intermediates[slot][first])
            ++first;
        FUZZ_REQUIRE(run.misclosure == 0 || (first < closing && names[slot][first] == names[slot][closing]),
                     "an open run has a misclosure");

        // The run stands on the known level. (A run that begins with a foresight or an
        // intermediate sight has a first point below or above 0 and a misclosure that counts
        // that sight, as the run list shows it; its closed form is not checked here.)
        // An open run (or one that closes exactly) is moved
        // so that its link entry, the first whose point had a known height, keeps that height;
        // a closed run with a misclosure so that the last occurrence of the link point does,
        // which is the first point again when the link point is the closing one (an entry after
        // the closing one stands one place earlier once that is removed).
        std::size_t link = names[slot].size();
        for (std::size_t k = 0; k < names[slot].size() && link == names[slot].size(); ++k) {
            if (heightsKnown.count(names[slot][k]))
                link = k;
        }
        FUZZ_REQUIRE(link < names[slot].size(), "run " + Shown(run.runNumber) + " has no known point");
        const std::string& linkName = names[slot][link];
        const double linkHeight = heightsKnown.at(linkName);
        std::size_t kept = link;
        if (run.misclosure != 0) {
            for (std::size_t k = 0; k < names[slot].size(); ++k) {
                if (names[slot][k] == linkName)
                    kept = k;
            }
            if (kept == closing)
                kept = first;
            else if (kept > closing)
                --kept;
        }
        // The distribution of the misclosure sums to it only up to rounding, which grows with
        // the distances' magnitudes against the run's length.
        double scale = std::fabs(linkHeight) + 1;
        double absoluteDistances = 0;
        double remaining = 0;
        for (const PointEntry& point : run.points) {
            scale = std::max(scale, std::fabs(point.height));
            absoluteDistances += std::fabs(point.stationDistance);
            remaining += point.stationDistance;
        }
        double length = 0;
        if (run.misclosure != 0 && run.allowedMisclosure > 0 && coefficient > 0) {
            const double root = run.allowedMisclosure / coefficient;
            length = root * root / 0.001;
            absoluteDistances += std::fabs(length - remaining);
            scale += std::fabs(run.misclosure) * std::max(1.0, absoluteDistances / length);
        }
        const bool measurable = ordinary[slot] && (run.misclosure == 0 || (length > 0 && regular[slot]));
        if (measurable && scale < 1e6 && kept < run.points.size()) {
            FUZZ_REQUIRE(std::fabs(run.points[kept].height - linkHeight) <= 1e-7 * scale,
                         "run " + Shown(run.runNumber) + " does not keep the height of its link point " +
                             Shown(linkName) + ": " + std::to_string(run.points[kept].height) +
                             " for " + std::to_string(linkHeight));
        }
        for (const PointEntry& point : run.points)
            heightsKnown[std::string(TrimText(point.point))] = point.height;
    }

    // Pending and written together are the selection, slot by slot.
    if (!failed) {
        std::vector<std::string> unlinked;
        for (std::size_t slot = 0; slot < selected.size(); ++slot) {
            if (pendingModel[slot])
                unlinked.push_back(selected[slot]);
        }
        FUZZ_REQUIRE(pending == unlinked, "the runs left pending are not the unlinked ones");
    }
}

}  // namespace velmora::fuzz
