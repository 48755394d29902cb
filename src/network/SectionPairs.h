// SPDX-License-Identifier: MIT
#pragma once

// Sections levelled more than once (SectionLevellings), found among the network's sections:
// the stations of a run between two nodes.

#include "network/NetworkAdjustment.h"
#include "network/NetworkSections.h"

#include <vector>

namespace velmora {

/// The sections of `network` that join the same two distinct nodes more than once, whichever
/// the direction, in the order of their first levelling; `sections` is FindSections' reading
/// of the network. A loop (a section from a node to itself) and a section that ends at a
/// turning point (a spur, a broken chain) pair with nothing; nor do two consecutive levellings
/// of one run (a run there and back through a node is judged by its misclosure), and a section
/// left without a pair is not listed.
std::vector<SectionLevellings> FindSectionLevellings(const LevellingNetwork& network,
                                                     const NetworkSections& sections);

/// The pair against the limit k·√L, `coefficient` k in metres per √km and L the mean length of
/// the two levellings in km. A difference that is no number passes no limit.
SectionPairVerdict JudgeSectionPair(const SectionPair& pair, double coefficient);

/// The sections of FindSectionLevellings, their pairs not yet judged.
std::vector<SectionCheck> UnjudgedSections(std::vector<SectionLevellings> sections);

/// Judges every pair of every section (JudgeSectionPair).
void JudgeSections(std::vector<SectionCheck>& sections, double coefficient);

/// True when a pair of one of the sections is above its limit.
bool AnySectionAbove(const std::vector<SectionCheck>& sections);

}  // namespace velmora
