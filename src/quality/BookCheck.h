// SPDX-License-Identifier: MIT
#pragma once

#include "quality/BookSights.h"
#include "network/SectionPairs.h"
#include "quality/StationChecks.h"
#include "runs/LevellingRun.h"
#include "runs/RodScale.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

/// The station check of a field book's runs, the one way `check`, the report page and the
/// window's "Контроль станций" make it: each run read into its sights, checked against the
/// limits of a class, with the run as the run list reads it beside it.
///
/// The qualities point into `runs`: the check may be moved, not copied.
struct BookCheck {
    BookCheck() = default;
    BookCheck(const BookCheck&) = delete;
    BookCheck& operator=(const BookCheck&) = delete;
    BookCheck(BookCheck&&) noexcept = default;
    BookCheck& operator=(BookCheck&&) noexcept = default;

    std::vector<RunSights> runs;
    std::vector<RunQuality> qualities;  ///< one per run; each points into `runs`
    RecordedTimes times;                ///< the first and last time the book records
    /// One per run: the run as the run list reads it, for its misclosure and the allowed one.
    std::vector<LevellingRun> listRuns;
    /// The sections between two run ends that the checked runs level more than once, each
    /// pair of levellings against the class's limit. Runs that cannot be read take no part.
    std::vector<SectionCheck> sections;

    bool HasFindings() const;
};

/// Checks the runs of `records` against `limits`: those of `runNumbers` (trimmed) in that
/// order, a number the book does not hold passed over, or every run in book order when none
/// are given. Each run is read once, into its stations and the run list's sums of them (what
/// RunCatalog holds for it), and only one run's stations are walked at a time. The sections
/// levelled twice are those of these runs, their nodes the runs' ends as the adjustment takes
/// them. Every height difference, the misclosures too, is corrected for the rods' `scale`.
///
/// `recordsRead`, when given, is called as soon as the records have been read for the last
/// time: a caller that needs them no longer may let them go then, so that a large book is not
/// held while its sections are found and its findings made.
BookCheck CheckBookRuns(const RecordList& records, const LevellingLimits& limits,
                        const std::optional<std::vector<std::string>>& runNumbers = std::nullopt,
                        RodScale scale = {}, const std::function<void()>& recordsRead = {});

/// The sections that the checked runs of several books level more than once, within one book
/// or across books (SectionLevelling::book the index of its book), judged as CheckBookRuns
/// judges one book's. `checks` are CheckBookRuns of `records`, with the same limits and
/// `scale`, in the same order. None when a run cannot be read into the network.
std::vector<SectionCheck> SectionsOfBooks(const std::vector<const RecordList*>& records,
                                          const std::vector<BookCheck>& checks, const LevellingLimits& limits,
                                          RodScale scale);

}  // namespace velmora
