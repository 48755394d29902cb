// SPDX-License-Identifier: MIT
#include "network/SectionPairs.h"

#include "runs/Limit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace velmora {

namespace {

// The sections between two distinct nodes that join the same two nodes as another, as lists of
// section indices in order, the lists in order of their first section. Keyed by the two places,
// the lower one first, and sorted: most sections of a network are levelled once, and those make
// no group.
std::vector<std::vector<std::size_t>> RepeatedSections(const NetworkSections& sections)
{
    std::vector<std::pair<std::uint64_t, std::size_t>> keyed;
    for (std::size_t k = 0; k < sections.sections.size(); ++k) {
        const NetworkSection& section = sections.sections[k];
        if (section.from == section.to || section.observations.empty())
            continue;
        if (!sections.places[section.from].node || !sections.places[section.to].node)
            continue;
        keyed.emplace_back(static_cast<std::uint64_t>(std::min(section.from, section.to)) << 32 |
                               static_cast<std::uint32_t>(std::max(section.from, section.to)),
                           k);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t a = 0; a < keyed.size();) {
        std::size_t b = a + 1;
        while (b < keyed.size() && keyed[b].first == keyed[a].first)
            ++b;
        if (b - a > 1) {
            groups.emplace_back();
            for (std::size_t k = a; k < b; ++k)
                groups.back().push_back(keyed[k].second);
        }
        a = b;
    }
    std::sort(groups.begin(), groups.end(),
              [](const auto& x, const auto& y) { return x.front() < y.front(); });
    return groups;
}

}  // namespace

std::vector<SectionLevellings> FindSectionLevellings(const LevellingNetwork& network,
                                                     const NetworkSections& sections)
{
    struct Group {
        int from = 0;  // place of the first levelling's start
        SectionLevellings levellings;
    };
    std::vector<Group> groups;
    for (const std::vector<std::size_t>& indices : RepeatedSections(sections)) {
        Group& group = groups.emplace_back();
        const NetworkSection& first = sections.sections[indices.front()];
        group.from = first.from;
        group.levellings.from = *sections.places[first.from].name;
        group.levellings.to = *sections.places[first.to].name;
        for (const std::size_t k : indices) {
            const NetworkSection& section = sections.sections[k];
            const LevellingObservation& station = network.observations[section.observations.front()];
            group.levellings.levellings.push_back({station.book, station.run, section.heightDifference,
                                                   section.length, section.from != group.from});
        }
    }

    std::vector<SectionLevellings> result;
    for (Group& group : groups) {
        SectionLevellings& section = group.levellings;
        const std::vector<SectionLevelling>& levellings = section.levellings;
        if (levellings.size() < 2)
            continue;
        double sum = 0;
        for (const SectionLevelling& levelling : levellings)
            sum += levelling.Forward();
        section.mean = sum / static_cast<double>(levellings.size());
        for (std::size_t k = 0; k + 1 < levellings.size(); ++k) {
            const SectionLevelling& a = levellings[k];
            const SectionLevelling& b = levellings[k + 1];
            // A run that goes there and back through a node closes on itself: its misclosure is
            // the run list's to judge, not a pair's.
            if (a.book == b.book && a.run == b.run)
                continue;
            // Opposite directions: h₁ + h₂ as levelled; the same direction: h₁ − h₂.
            const double discrepancy = a.reversed == b.reversed ? a.heightDifference - b.heightDifference
                                                                : a.heightDifference + b.heightDifference;
            section.pairs.push_back({k, k + 1, discrepancy, (a.length + b.length) / 2});
        }
        if (!section.pairs.empty())
            result.push_back(std::move(section));
    }
    return result;
}

SectionPairVerdict JudgeSectionPair(const SectionPair& pair, double coefficient)
{
    const double limit = coefficient * std::sqrt(pair.length / 1000);
    return {limit, ExceedsLimit(std::fabs(pair.discrepancy), limit) || !std::isfinite(pair.discrepancy)};
}

std::vector<SectionCheck> UnjudgedSections(std::vector<SectionLevellings> sections)
{
    std::vector<SectionCheck> checks;
    checks.reserve(sections.size());
    for (SectionLevellings& section : sections)
        checks.push_back({std::move(section), {}});
    return checks;
}

void JudgeSections(std::vector<SectionCheck>& sections, double coefficient)
{
    for (SectionCheck& check : sections) {
        check.verdicts.clear();
        for (const SectionPair& pair : check.section.pairs)
            check.verdicts.push_back(JudgeSectionPair(pair, coefficient));
    }
}

bool AnySectionAbove(const std::vector<SectionCheck>& sections)
{
    return std::any_of(sections.begin(), sections.end(), [](const SectionCheck& check) {
        return std::any_of(check.verdicts.begin(), check.verdicts.end(),
                           [](const SectionPairVerdict& verdict) { return verdict.above; });
    });
}

}  // namespace velmora
