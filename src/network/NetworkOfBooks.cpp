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

// The run that the run choice `given` names in the book `bookName`: what follows "BOOK:" when
// it begins with this book's name, the whole text (a run of every book) otherwise.
std::string_view RunNamedIn(std::string_view given, std::string_view bookName)
{
    const std::string_view text = TrimText(given);
    if (text.size() > bookName.size() && text.substr(0, bookName.size()) == bookName &&
        text[bookName.size()] == ':')
        return TrimText(text.substr(bookName.size() + 1));
    return text;
}

// The runs of one book that `runs` selects, in the book's order; the choices that it holds are
// marked in `found`.
std::vector<const RunStations*> SelectedRuns(const std::vector<RunStations>& bookRuns,
                                             std::string_view bookName, const NetworkRunChoice& runs,
                                             std::vector<bool>& found)
{
    std::vector<const RunStations*> selected;
    for (const RunStations& run : bookRuns) {
        if (!runs) {
            selected.push_back(&run);
            continue;
        }
        bool taken = false;
        for (std::size_t i = 0; i < runs->size(); ++i) {
            if (RunNamedIn((*runs)[i], bookName) != run.runNumber)
                continue;
            if (!taken)
                selected.push_back(&run);
            taken = true;
            found[i] = true;
        }
    }
    return selected;
}

// A path's folder names and file name; empty names and "." pass over.
std::vector<std::string_view> PathParts(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(begin, end - begin);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        begin = end + 1;
    }
    return parts;
}

// The last `count` parts of `path` joined by "/"; all of them, and the leading "/" of an
// absolute path, when there are no more than `count`.
std::string PathEnd(std::string_view path, const std::vector<std::string_view>& parts, std::size_t count)
{
    const bool whole = count >= parts.size();
    const std::size_t first = whole ? 0 : parts.size() - count;
    std::string end = whole && !path.empty() && path.front() == '/' ? "/" : "";
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (i > first)
            end += '/';
        end += parts[i];
    }
    return end;
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

// The first of `nodes` that is no point of the network, as NodeNotInRuns.
bool CheckNodes(const LevellingNetwork& network, const std::vector<std::string>& nodes,
                NetworkRefusal& refusal)
{
    const std::unordered_set<std::string_view> points = NetworkPoints(network);
    for (const std::string& node : nodes) {
        if (!points.count(node))
            return Refuse(refusal, NetworkRefusal::Kind::NodeNotInRuns, node,
                          Fill(Tr("node {1} is not in the selected runs"), {Cp1251ToUtf8(node)}));
    }
    return true;
}

}  // namespace

std::string NetworkBookName(std::string_view path, bool pathIsUtf8)
{
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return pathIsUtf8 ? Utf8AsBookText(name) : std::string(name);
}

std::vector<std::string> NetworkBookNames(const std::vector<std::string>& paths, bool pathsAreUtf8)
{
    std::vector<std::vector<std::string_view>> parts;
    for (const std::string& path : paths)
        parts.push_back(PathParts(path));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i] == "-" || parts[i].empty()) {
            names.push_back(NetworkBookName(paths[i], pathsAreUtf8));
            continue;
        }
        // One folder more until no other path ends the same way.
        std::string name;
        for (std::size_t count = 1; count <= parts[i].size(); ++count) {
            name = PathEnd(paths[i], parts[i], count);
            bool shared = false;
            for (std::size_t j = 0; j < paths.size() && !shared; ++j)
                shared = j != i && PathEnd(paths[j], parts[j], count) == name;
            if (!shared)
                break;
        }
        names.push_back(pathsAreUtf8 ? Utf8AsBookText(name) : name);
    }
    return names;
}

bool ReadNetworkOfBooks(const std::vector<NetworkBook>& books, const NetworkRunChoice& runs,
                        LevellingNetwork& network, NetworkRefusal& refusal)
{
    network = {};
    network.books.clear();
    std::vector<bool> found(runs ? runs->size() : 0, false);
    for (const NetworkBook& book : books) {
        const std::vector<RunStations> bookRuns = WalkAllRuns(*book.records);
        network.books.push_back(book.name);
        std::string error;
        if (!NetworkOfRuns(*book.records, SelectedRuns(bookRuns, book.name, runs, found),
                           network.books.size() - 1, network, error))
            return Refuse(refusal, NetworkRefusal::Kind::UnreadableRun, {}, error,
                          network.books.size() - 1);
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!found[i])
            return Refuse(refusal, NetworkRefusal::Kind::RunNotInBooks, std::string(TrimText((*runs)[i])), {});
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
    if (!CheckNodes(outcome.network, request.nodes, outcome.refusal))
        return outcome;
    outcome.network.nodes = request.nodes;
    AdjustNetworkOfBooks(outcome.network, request.fixed, request.sigma, outcome.adjustment,
                         outcome.refusal);
    return outcome;
}

}  // namespace velmora
