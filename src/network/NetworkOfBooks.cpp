// SPDX-License-Identifier: MIT
#include "network/NetworkOfBooks.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/RunStretches.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "network/NetworkObservations.h"
#include "runs/Station.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>

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

// Where each of `names` is met in the network: at a station (its back or fore point) or only
// sighted as an intermediate sight. The network is walked once and only the names asked about
// are looked up, so that a few fixed points cost no set of every point.
struct PointsMet {
    std::vector<char> atStation;
    std::vector<char> sighted;
};

template <typename Names, typename NameOf>
PointsMet FindPointsMet(const LevellingNetwork& network, const Names& names, NameOf nameOf)
{
    PointsMet met{std::vector<char>(names.size(), 0), std::vector<char>(names.size(), 0)};
    if (names.empty())
        return met;
    std::unordered_map<std::string_view, std::size_t> index;
    for (std::size_t i = 0; i < names.size(); ++i)
        index.emplace(nameOf(names[i]), i);
    const auto mark = [&index](std::string_view name, std::vector<char>& flags) {
        if (const auto it = index.find(name); it != index.end())
            flags[it->second] = 1;
    };
    for (const LevellingObservation& observation : network.observations) {
        mark(observation.from, met.atStation);
        mark(observation.to, met.atStation);
    }
    for (const IntermediateSight& sight : network.intermediates)
        mark(sight.point, met.sighted);
    // A name given twice is met where its first mention is.
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t first = index.at(nameOf(names[i]));
        met.atStation[i] = met.atStation[first];
        met.sighted[i] = met.sighted[first];
    }
    return met;
}

// The stations of one run of one book: a stretch of the observation list.
struct RunOfBook {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::size_t StationsHash(const LevellingNetwork& network, const RunOfBook& run)
{
    std::size_t hash = run.end - run.begin;
    const auto mix = [&hash](std::size_t value) { hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2); };
    for (std::size_t i = run.begin; i < run.end; ++i) {
        const LevellingObservation& o = network.observations[i];
        mix(std::hash<std::string_view>{}(o.from));
        mix(std::hash<std::string_view>{}(o.to));
        mix(std::bit_cast<std::uint64_t>(o.heightDifference));
        mix(std::bit_cast<std::uint64_t>(o.length));
    }
    return hash;
}

bool SameStations(const LevellingNetwork& network, const RunOfBook& a, const RunOfBook& b)
{
    if (a.end - a.begin != b.end - b.begin)
        return false;
    for (std::size_t k = 0; k < a.end - a.begin; ++k) {
        const LevellingObservation& x = network.observations[a.begin + k];
        const LevellingObservation& y = network.observations[b.begin + k];
        if (x.from != y.from || x.to != y.to || x.heightDifference != y.heightDifference ||
            x.length != y.length)
            return false;
    }
    return true;
}

// The first of `nodes` that is no point of the network's stations, as NodeNotInRuns. A point
// only sighted as an intermediate sight takes no part in the adjustment: naming it a node would
// change nothing, so it is refused as well, saying why.
bool CheckNodes(const LevellingNetwork& network, const std::vector<std::string>& nodes,
                NetworkRefusal& refusal)
{
    const PointsMet met = FindPointsMet(network, nodes, [](const std::string& node) -> std::string_view { return node; });
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string& node = nodes[i];
        if (!met.atStation[i] && !met.sighted[i])
            return Refuse(refusal, NetworkRefusal::Kind::NodeNotInRuns, node,
                          Fill(Tr("node {1} is not in the selected runs"), {Cp1251ToUtf8(node)}));
        if (!met.atStation[i])
            return Refuse(refusal, NetworkRefusal::Kind::NodeNotInRuns, node,
                          Fill(Tr("node {1} is only sighted as an intermediate sight, which takes no part "
                                  "in the adjustment: a node is the back or fore point of a station"),
                               {Cp1251ToUtf8(node)}));
    }
    return true;
}

// A run of a later book that repeats a run of an earlier book station for station (the same
// points, height differences and lengths to the bit) is one levelling given twice: two copies
// of one day's book, say, that would count every station twice.
void WarnRepeatedRuns(LevellingNetwork& network)
{
    if (network.books.size() < 2)
        return;
    const std::vector<LevellingObservation>& observations = network.observations;
    std::vector<RunOfBook> runs;
    for (std::size_t i = 0; i < observations.size(); ++i) {
        if (runs.empty() || observations[i].book != observations[runs.back().begin].book ||
            observations[i].run != observations[runs.back().begin].run)
            runs.push_back({i, i});
        runs.back().end = i + 1;
    }
    std::unordered_multimap<std::size_t, std::size_t> seen;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const std::size_t hash = StationsHash(network, runs[k]);
        const LevellingObservation& first = observations[runs[k].begin];
        const auto [from, to] = seen.equal_range(hash);
        for (auto it = from; it != to; ++it) {
            const LevellingObservation& earlier = observations[runs[it->second].begin];
            if (earlier.book == first.book || !SameStations(network, runs[it->second], runs[k]))
                continue;
            NetworkWarning warning{NetworkWarning::Kind::repeatedRun, first.book, first.run, {}, {}, std::nullopt};
            warning.otherBook = earlier.book;
            warning.otherRun = earlier.run;
            network.readWarnings.push_back(std::move(warning));
            break;
        }
        seen.emplace(hash, k);
    }
}

// A selected run of book `book` takes part when it can be read; else it refuses, naming why:
// no number of a misread station may reach a result.
bool TakesPart(const RunStations& run, std::size_t book, NetworkRefusal& refusal)
{
    return run.Readable() ||
           Refuse(refusal, NetworkRefusal::Kind::UnreadableRun, run.runNumber, UnreadableRunText(run), book);
}

// The selected runs of one book into `network`, in the book's order, one run read at a time so
// that no book's stations are all held at once, their readings corrected for the rods' `scale`.
// The first selected run that cannot be read refuses, as RunSelection::Select does.
bool ReadSelectedRuns(const NetworkBook& book, std::size_t index, RunSelection& selection,
                      RodScale scale, LevellingNetwork& network, NetworkRefusal& refusal)
{
    const RunStretches stretches(*book.records);
    for (std::uint32_t i = 0; i < stretches.runs().size(); ++i) {
        if (!selection.Wants(stretches.runs()[i].number, book.name))
            continue;
        RunStations run = WalkRunOf(*book.records, stretches, i);
        CorrectReadings(run, scale);
        if (!TakesPart(run, index, refusal))
            return false;
        std::string error;
        if (!NetworkOfRuns(*book.records, {&run}, index, network, error))
            return Refuse(refusal, NetworkRefusal::Kind::UnreadableRun, {}, error, index);
    }
    return true;
}

// Judges the sections levelled more than once; a pair above its limit is what the outliers of
// its section come from: said before every other warning.
void WarnSectionDifferences(NetworkAdjustment& result, double coefficient)
{
    JudgeSections(result.repeatedSections, coefficient);
    std::vector<NetworkWarning> above;
    for (const SectionCheck& check : result.repeatedSections) {
        for (std::size_t k = 0; k < check.section.pairs.size(); ++k) {
            if (!check.verdicts[k].above)
                continue;
            const SectionPair& pair = check.section.pairs[k];
            const SectionLevelling& a = check.section.levellings[pair.first];
            const SectionLevelling& b = check.section.levellings[pair.second];
            NetworkWarning warning{NetworkWarning::Kind::sectionDifference, a.book, a.run, check.section.from, {},
                                   std::nullopt};
            warning.otherBook = b.book;
            warning.otherRun = b.run;
            warning.toPoint = check.section.to;
            warning.difference = pair.discrepancy;
            warning.limit = check.verdicts[k].limit;
            above.push_back(std::move(warning));
        }
    }
    result.warnings.insert(result.warnings.begin(), above.begin(), above.end());
}

}  // namespace

std::string NetworkBookName(std::string_view path, bool pathIsUtf8)
{
    const auto slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return pathIsUtf8 ? Utf8AsBookText(name) : std::string(name);
}

bool RunSelection::Wants(std::string_view runNumber, std::string_view bookName)
{
    bool wanted = !runs_;
    for (std::size_t i = 0; runs_ && i < runs_->size(); ++i) {
        if (RunNamedIn((*runs_)[i], bookName) == runNumber) {
            wanted = true;
            found_[i] = true;
        }
    }
    return wanted;
}

bool RunSelection::Select(const std::vector<RunStations>& bookRuns, std::size_t book,
                          std::string_view bookName, std::vector<const RunStations*>& selected,
                          NetworkRefusal& refusal)
{
    selected.clear();
    for (const RunStations& run : bookRuns) {
        if (!Wants(run.runNumber, bookName))
            continue;
        if (!TakesPart(run, book, refusal))
            return false;
        selected.push_back(&run);
    }
    refusal = {};
    return true;
}

bool RunSelection::Complete(NetworkRefusal& refusal) const
{
    for (std::size_t i = 0; runs_ && i < runs_->size(); ++i) {
        if (i >= found_.size() || !found_[i])
            return Refuse(refusal, NetworkRefusal::Kind::RunNotInBooks, std::string(TrimText((*runs_)[i])), {});
    }
    refusal = {};
    return true;
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
                        LevellingNetwork& network, NetworkRefusal& refusal, RodScale scale)
{
    network = {};
    network.rodScale = scale;
    network.books.clear();
    RunSelection selection(runs);
    for (const NetworkBook& book : books) {
        network.books.push_back(book.name);
        if (!ReadSelectedRuns(book, network.books.size() - 1, selection, scale, network, refusal))
            return false;
    }
    WarnRepeatedRuns(network);
    return selection.Complete(refusal);
}

bool CheckFixedPoints(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                      NetworkRefusal& refusal)
{
    const PointsMet met =
        FindPointsMet(network, fixed, [](const FixedHeight& known) -> std::string_view { return known.point; });
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        const FixedHeight& known = fixed[i];
        if (!met.atStation[i] && !met.sighted[i])
            return Refuse(refusal, NetworkRefusal::Kind::FixedPointNotInRuns, known.point,
                          Fill(Tr("fixed point {1} is not in the selected runs"),
                               {Cp1251ToUtf8(known.point)}));
    }
    refusal = {};
    return true;
}

bool AdjustNetworkOfBooks(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                          double sigma, NetworkAdjustment& result, NetworkRefusal& refusal,
                          std::optional<double> maxSectionDifference)
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
    if (maxSectionDifference)
        WarnSectionDifferences(result, *maxSectionDifference);
    refusal = {};
    return true;
}

NetworkOutcome AdjustBooks(const NetworkRequest& request)
{
    NetworkOutcome outcome;
    if (!ReadNetworkOfBooks(request.books, request.runs, outcome.network, outcome.refusal, request.rodScale))
        return outcome;
    if (request.booksRead)
        request.booksRead();
    if (!CheckNodes(outcome.network, request.nodes, outcome.refusal))
        return outcome;
    outcome.network.nodes = request.nodes;
    AdjustNetworkOfBooks(outcome.network, request.fixed, request.sigma, outcome.adjustment,
                         outcome.refusal, request.maxSectionDifference);
    return outcome;
}

}  // namespace velmora
