// SPDX-License-Identifier: MIT
#include "network/NetworkOfBooks.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkObservations.h"
#include "runs/Station.h"

#include <unordered_set>

namespace velmora {

namespace {

bool Refuse(NetworkRefusal& refusal, NetworkRefusal::Kind kind, std::string subject,
            std::string reason, std::size_t book = 0)
{
    refusal = {kind, book, std::move(subject), std::move(reason)};
    return false;
}

// The runs of one book that `runs` selects, in the book's order; the numbers asked for that it
// holds go into `found`.
std::vector<const RunStations*> SelectedRuns(const std::vector<RunStations>& bookRuns,
                                             const NetworkRunChoice& runs,
                                             std::unordered_set<std::string>& found)
{
    std::vector<const RunStations*> selected;
    for (const RunStations& run : bookRuns) {
        if (!runs) {
            selected.push_back(&run);
            continue;
        }
        for (const std::string& number : *runs) {
            if (TrimText(number) == run.runNumber) {
                selected.push_back(&run);
                found.insert(run.runNumber);
                break;
            }
        }
    }
    return selected;
}

// The points of the network's stations and intermediate sights.
std::unordered_set<std::string_view> NetworkPoints(const LevellingNetwork& network)
{
    std::unordered_set<std::string_view> points;
    for (const LevellingObservation& observation : network.observations) {
        points.insert(observation.from);
        points.insert(observation.to);
    }
    for (const IntermediateSight& sight : network.intermediates)
        points.insert(sight.point);
    return points;
}

}  // namespace

std::string NetworkBookName(std::string_view path, bool pathIsUtf8)
{
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return pathIsUtf8 ? Utf8AsBookText(name) : std::string(name);
}

bool ReadNetworkOfBooks(const std::vector<NetworkBook>& books, const NetworkRunChoice& runs,
                        LevellingNetwork& network, NetworkRefusal& refusal)
{
    network = {};
    network.books.clear();
    std::unordered_set<std::string> found;
    for (const NetworkBook& book : books) {
        const std::vector<RunStations> bookRuns = WalkAllRuns(*book.records);
        network.books.push_back(book.name);
        std::string error;
        if (!NetworkOfRuns(*book.records, SelectedRuns(bookRuns, runs, found),
                           network.books.size() - 1, network, error))
            return Refuse(refusal, NetworkRefusal::Kind::UnreadableRun, {}, error,
                          network.books.size() - 1);
    }
    if (runs) {
        for (const std::string& number : *runs) {
            const std::string run(TrimText(number));
            if (!found.count(run))
                return Refuse(refusal, NetworkRefusal::Kind::RunNotInBooks, run, {});
        }
    }
    refusal = {};
    return true;
}

bool CheckFixedPoints(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                      NetworkRefusal& refusal)
{
    const std::unordered_set<std::string_view> points = NetworkPoints(network);
    for (const FixedHeight& known : fixed) {
        if (!points.count(known.point))
            return Refuse(refusal, NetworkRefusal::Kind::FixedPointNotInRuns, known.point,
                          Fill(Tr("fixed point {1} is not in the selected runs"),
                               {Cp1251ToUtf8(known.point)}));
    }
    refusal = {};
    return true;
}

bool AdjustNetworkOfBooks(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                          double sigma, NetworkAdjustment& result, NetworkRefusal& refusal)
{
    if (fixed.empty())
        return Refuse(refusal, NetworkRefusal::Kind::NotAdjusted, {},
                      Tr("no point is fixed: a network is adjusted on at least one point of known "
                         "height"));
    if (!CheckFixedPoints(network, fixed, refusal))
        return false;
    std::string error;
    if (!AdjustNetwork(network, fixed, sigma, result, error))
        return Refuse(refusal, NetworkRefusal::Kind::NotAdjusted, {}, std::move(error));
    refusal = {};
    return true;
}

NetworkOutcome AdjustBooks(const NetworkRequest& request)
{
    NetworkOutcome outcome;
    if (!ReadNetworkOfBooks(request.books, request.runs, outcome.network, outcome.refusal))
        return outcome;
    outcome.network.nodes = request.nodes;
    AdjustNetworkOfBooks(outcome.network, request.fixed, request.sigma, outcome.adjustment,
                         outcome.refusal);
    return outcome;
}

}  // namespace velmora
