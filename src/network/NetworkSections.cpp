// SPDX-License-Identifier: MIT
#include "network/NetworkSections.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace velmora {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// The observations [begin, end) of each run, in order.
std::vector<std::pair<std::size_t, std::size_t>> RunRanges(const LevellingNetwork& network)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const std::vector<LevellingObservation>& observations = network.observations;
    for (std::size_t i = 0; i < observations.size(); ++i) {
        if (i == 0 || observations[i].book != observations[i - 1].book ||
            observations[i].run != observations[i - 1].run)
            ranges.emplace_back(i, i);
        ranges.back().second = i + 1;
    }
    return ranges;
}

constexpr int kNoPlace = -1;

// FNV-1a, folded: a point number is a few characters, too short for the library's hash to pay.
std::size_t NameHash(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

// The nodes' names, each with its place once it has one, in open addressing over one array: most
// names looked up are turning points', which are not there, and a miss costs a hash and a probe
// or two instead of a walk through a bucket's list.
class NodeNames {
public:
    // Adds `name` without a place, unless it is there already.
    void Add(std::string_view name)
    {
        if (2 * (count_ + 1) > slots_.size())
            Grow();
        const std::size_t hash = NameHash(name);
        Slot& slot = Probe(name, hash);
        if (!slot.used) {
            slot = {name, hash, kNoPlace, true};
            ++count_;
        }
    }

    // The place of `name` (kNoPlace until it has one), or null when it is no node's name;
    // `hash` is NameHash(name).
    int* Find(std::string_view name, std::size_t hash)
    {
        if (slots_.empty())
            return nullptr;
        Slot& slot = Probe(name, hash);
        return slot.used ? &slot.place : nullptr;
    }

private:
    struct Slot {
        std::string_view name;
        std::size_t hash = 0;
        int place = kNoPlace;
        bool used = false;
    };

    Slot& Probe(std::string_view name, std::size_t hash)
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.used || (slot.hash == hash && slot.name == name))
                return slot;
        }
    }

    void Grow()
    {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<std::size_t>(64, 2 * old.size()), Slot{});
        for (const Slot& slot : old) {
            if (slot.used)
                Probe(slot.name, slot.hash) = slot;
        }
    }

    std::vector<Slot> slots_;  // a power of two, at most half used
    std::size_t count_ = 0;
};

// Names and places while the runs are walked.
class PlaceBuilder {
public:
    PlaceBuilder(const LevellingNetwork& network, const std::vector<FixedHeight>& fixedHeights,
                 const std::vector<std::pair<std::size_t, std::size_t>>& runs,
                 NetworkSections& sections)
        : sections_(sections)
    {
        for (const auto& [begin, end] : runs) {
            nodeNames_.Add(network.observations[begin].from);
            nodeNames_.Add(network.observations[end - 1].to);
        }
        for (const FixedHeight& known : fixedHeights) {
            nodeNames_.Add(known.point);
            declared_.insert(known.point);
        }
        for (const std::string& node : network.nodes) {
            nodeNames_.Add(node);
            declared_.insert(node);
        }
    }

    // A node that the user fixed or named: a run passing through it is split without a word.
    bool IsDeclared(std::string_view name) const { return declared_.count(name) != 0; }

    // The place of the node `name`, made when it is first met; kNoPlace when `name` is no node.
    // One look-up a name, whether or not it is a node; `hash` is NameHash(name).
    int NodeOrNone(const std::string& name, std::size_t hash)
    {
        int* place = nodeNames_.Find(name, hash);
        if (!place)
            return kNoPlace;
        if (*place == kNoPlace) {
            *place = static_cast<int>(sections_.places.size());
            sections_.places.push_back({&name, 0, true, false});
        }
        return *place;
    }

    int Turning(const std::string& name, std::size_t observation, bool asBackPoint)
    {
        sections_.places.push_back({&name, observation, false, asBackPoint});
        return static_cast<int>(sections_.places.size()) - 1;
    }

private:
    NetworkSections& sections_;
    NodeNames nodeNames_;
    std::unordered_set<std::string_view> declared_;
};

struct TurningUse {
    std::string_view name;
    std::size_t hash;  // NameHash(name)
    int place;
    std::size_t station;
    std::optional<double> instrumentHeight;
};

// Whether two of `uses` carry one name. A short run's few turning points are compared with each
// other; a long run's are left to the sort that groups them.
bool AnyNameTwice(const std::vector<TurningUse>& uses)
{
    constexpr std::size_t kComparedPairwise = 32;
    if (uses.size() > kComparedPairwise)
        return true;
    for (std::size_t a = 0; a < uses.size(); ++a) {
        for (std::size_t b = a + 1; b < uses.size(); ++b) {
            if (uses[a].hash == uses[b].hash && uses[a].name == uses[b].name)
                return true;
        }
    }
    return false;
}

// Numbers that stand for two or more turning points of one run.
void WarnReusedNumbers(std::vector<TurningUse>& uses, const LevellingObservation& first,
                       std::vector<NetworkWarning>& warnings)
{
    if (!AnyNameTwice(uses))
        return;
    std::stable_sort(uses.begin(), uses.end(),
                     [](const TurningUse& a, const TurningUse& b) { return a.name < b.name; });
    std::vector<NetworkWarning> found;
    for (std::size_t a = 0; a < uses.size();) {
        std::size_t b = a;
        while (b < uses.size() && uses[b].name == uses[a].name)
            ++b;
        if (b - a > 1) {
            NetworkWarning warning{NetworkWarning::Kind::reusedNumber, first.book, first.run,
                                   std::string(uses[a].name), {}, std::nullopt};
            std::optional<double> low, high;
            for (std::size_t k = a; k < b; ++k) {
                warning.stations.push_back(uses[k].station);
                if (const auto z = uses[k].instrumentHeight) {
                    low = std::min(low.value_or(*z), *z);
                    high = std::max(high.value_or(*z), *z);
                }
            }
            if (low && high && std::count_if(uses.begin() + a, uses.begin() + b,
                                             [](const TurningUse& u) {
                                                 return u.instrumentHeight.has_value();
                                             }) > 1)
                warning.instrumentHeightDifference = *high - *low;
            std::sort(warning.stations.begin(), warning.stations.end());
            found.push_back(std::move(warning));
        }
        a = b;
    }
    std::sort(found.begin(), found.end(), [](const NetworkWarning& a, const NetworkWarning& b) {
        return a.stations.front() < b.stations.front();
    });
    warnings.insert(warnings.end(), found.begin(), found.end());
}

// Gives the back and fore point of every station of one run its place; `turning` is room for
// the run's turning points, kept from run to run.
void WalkRunPlaces(const LevellingNetwork& network, std::size_t begin, std::size_t end,
                   PlaceBuilder& builder, NetworkSections& sections, std::vector<TurningUse>& turning)
{
    const std::vector<LevellingObservation>& observations = network.observations;
    turning.clear();
    for (std::size_t i = begin; i < end; ++i) {
        const LevellingObservation& o = observations[i];
        const std::size_t station = i - begin + 1;
        sections.stationInRun[i] = station;
        // A back point that carries the name of the fore point before it is that place, node
        // or not (a node's name has one place): no look-up needed.
        const bool followsOn = i > begin && o.from == observations[i - 1].to;
        const std::size_t fromHash = followsOn ? 0 : NameHash(o.from);
        int from = followsOn ? sections.to[i - 1] : builder.NodeOrNone(o.from, fromHash);
        if (from == kNoPlace) {
            if (i > begin && o.from == observations[i - 1].from) {
                from = sections.from[i - 1];
            } else {
                from = builder.Turning(o.from, i, true);
                turning.push_back({o.from, fromHash, from, station, o.fromInstrumentHeight});
            }
        }
        const std::size_t toHash = NameHash(o.to);
        int to = builder.NodeOrNone(o.to, toHash);
        if (to != kNoPlace) {
            if (i + 1 < end && !builder.IsDeclared(o.to))
                sections.warnings.push_back(
                    {NetworkWarning::Kind::junction, o.book, o.run, o.to, {station}, std::nullopt});
        } else if (o.to == o.from) {
            to = from;
        } else {
            to = builder.Turning(o.to, i, false);
            turning.push_back({o.to, toHash, to, station, o.toInstrumentHeight});
        }
        sections.from[i] = from;
        sections.to[i] = to;
    }
    WarnReusedNumbers(turning, observations[begin], sections.warnings);
}

// Cuts one run's stations into sections: a section goes on through a turning point that has
// exactly one station into it and the next station of the run out of it. `counts` is room for
// the stations of the run's sections, kept from run to run.
void CutRunIntoSections(const LevellingNetwork& network, std::size_t begin, std::size_t end,
                        const std::vector<char>& inner, NetworkSections& sections,
                        std::vector<std::size_t>& counts)
{
    const std::size_t first = sections.sections.size();
    std::size_t open = kNone;
    for (std::size_t i = begin; i < end; ++i) {
        const int from = sections.from[i];
        const int to = sections.to[i];
        if (from == to) {
            sections.sectionOf[i] = sections.sections.size();
            sections.sections.push_back({from, to, {}, 0, 0});
            continue;
        }
        if (open == kNone || sections.sections[open].to != from || !inner[from]) {
            open = sections.sections.size();
            sections.sections.push_back({from, to, {}, 0, 0});
        }
        sections.sections[open].to = to;
        sections.sectionOf[i] = open;
        if (!inner[to])
            open = kNone;
    }
    // Each section's list of stations made at its size.
    counts.assign(sections.sections.size() - first, 0);
    for (std::size_t i = begin; i < end; ++i)
        ++counts[sections.sectionOf[i] - first];
    for (std::size_t k = first; k < sections.sections.size(); ++k)
        sections.sections[k].observations.reserve(counts[k - first]);
    for (std::size_t i = begin; i < end; ++i) {
        NetworkSection& section = sections.sections[sections.sectionOf[i]];
        section.observations.push_back(i);
    }
    for (std::size_t k = first; k < sections.sections.size(); ++k) {
        NetworkSection& section = sections.sections[k];
        for (const std::size_t i : section.observations) {
            section.heightDifference += network.observations[i].heightDifference;
            section.length += network.observations[i].length;
        }
    }
}

// Turning points inside a section: one station in, and the next station of the run (self-checks
// aside) out.
std::vector<char> InnerPlaces(const NetworkSections& sections, std::size_t observationCount,
                              const std::vector<std::pair<std::size_t, std::size_t>>& runs)
{
    const std::size_t placeCount = sections.places.size();
    // Stations into and out of each place, counted up to two.
    std::vector<unsigned char> in(placeCount, 0), out(placeCount, 0);
    for (std::size_t i = 0; i < observationCount; ++i) {
        if (sections.from[i] == sections.to[i])
            continue;
        out[sections.from[i]] = std::min(out[sections.from[i]] + 1, 2);
        in[sections.to[i]] = std::min(in[sections.to[i]] + 1, 2);
    }
    // The places that a station leads into and the run's next station leads out of.
    std::vector<char> inner(placeCount, 0);
    for (const auto& [begin, end] : runs) {
        std::size_t previous = kNone;
        for (std::size_t i = begin; i < end; ++i) {
            if (sections.from[i] == sections.to[i])
                continue;
            if (previous != kNone && sections.from[i] == sections.to[previous])
                inner[sections.from[i]] = 1;
            previous = i;
        }
    }
    for (std::size_t p = 0; p < placeCount; ++p)
        inner[p] = inner[p] && !sections.places[p].node && in[p] == 1 && out[p] == 1;
    return inner;
}

}  // namespace

NetworkSections FindSections(const LevellingNetwork& network,
                             const std::vector<FixedHeight>& fixedHeights)
{
    NetworkSections sections;
    const std::size_t count = network.observations.size();
    sections.from.assign(count, 0);
    sections.to.assign(count, 0);
    sections.sectionOf.assign(count, 0);
    sections.stationInRun.assign(count, 0);
    sections.places.reserve(count + 1);
    const auto runs = RunRanges(network);
    {
        PlaceBuilder builder(network, fixedHeights, runs, sections);
        std::vector<TurningUse> turning;
        for (const auto& [begin, end] : runs)
            WalkRunPlaces(network, begin, end, builder, sections, turning);
    }
    const std::vector<char> inner = InnerPlaces(sections, count, runs);
    std::vector<std::size_t> counts;
    for (const auto& [begin, end] : runs)
        CutRunIntoSections(network, begin, end, inner, sections, counts);
    return sections;
}

}  // namespace velmora
