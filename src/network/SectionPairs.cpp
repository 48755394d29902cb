// SPDX-License-Identifier: MIT
#include "network/SectionPairs.h"

#include "runs/Limit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace velmora {

std::vector<SectionLevellings> FindSectionLevellings(const LevellingNetwork& network,
                                                     const NetworkSections& sections)
{
    struct Group {
        int from = 0;  // place of the first levelling's start
        SectionLevellings levellings;
    };
    std::vector<Group> groups;
    // Keyed by the section's two places, the lower one first.
    std::unordered_map<std::uint64_t, std::size_t> groupOf;
    for (const NetworkSection& section : sections.sections) {
        if (section.from == section.to || section.observations.empty())
            continue;
        if (!sections.places[section.from].node || !sections.places[section.to].node)
            continue;
        const std::uint64_t key = static_cast<std::uint64_t>(std::min(section.from, section.to)) << 32 |
                                  static_cast<std::uint32_t>(std::max(section.from, section.to));
        const auto [at, added] = groupOf.emplace(key, groups.size());
        if (added) {
            Group group;
            group.from = section.from;
            group.levellings.from = *sections.places[section.from].name;
            group.levellings.to = *sections.places[section.to].name;
            groups.push_back(std::move(group));
        }
        Group& group = groups[at->second];
        const LevellingObservation& first = network.observations[section.observations.front()];
        group.levellings.levellings.push_back(
            {first.book, first.run, section.heightDifference, section.length, section.from != group.from});
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
