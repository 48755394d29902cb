// SPDX-License-Identifier: MIT
#pragma once

// Field books adjusted as one levelling network: the one way `adjust`, `report` and the window
// "Уравнивание сети" turn books, a choice of runs and fixed heights into a network and its
// adjustment. Nothing here prints; what went wrong is returned with its reason in words.

#include "fieldbook/RecordList.h"
#include "network/NetworkAdjustment.h"
#include "network/SectionPairs.h"
#include "runs/RodScale.h"
#include "runs/Station.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// One field book given to the adjustment.
struct NetworkBook {
    const RecordList* records = nullptr;  ///< its records; they must live while it is read
    std::string name;  ///< its name in the results and messages (NetworkBookName)
};

/// The name of a field book in the results, the messages and the workbook: the file name of
/// `path` without folders, in the field book's own encoding (Utf8AsBookText when `pathIsUtf8`,
/// the bytes as they are otherwise). "/data/KO220304.DAT" → "KO220304.DAT"; "-" stays "-".
std::string NetworkBookName(std::string_view path, bool pathIsUtf8);

/// The names of field books read together, one for each of `paths`, so that no two are the
/// same: each is the shortest end of its path, folder by folder, that ends no other path
/// ("day1/book.DAT" and "day2/book.DAT"; a book whose file name no other book has is named
/// as NetworkBookName names it). Empty folder names and "." are passed over; a path that is
/// wholly the end of another keeps all of itself ("book.DAT" beside "day2/book.DAT"), an
/// absolute one its leading "/".
std::vector<std::string> NetworkBookNames(const std::vector<std::string>& paths, bool pathsAreUtf8);

/// Why books were not adjusted.
struct NetworkRefusal {
    enum class Kind {
        None,
        UnreadableRun,     ///< a selected run of book `book` cannot be read
        RunNotInBooks,     ///< the run `subject` was asked for and no book holds it
        FixedPointNotInRuns,  ///< the fixed point `subject` is no point of the selected runs
        NodeNotInRuns,     ///< the node `subject` asked for is no point of the selected runs
        NotAdjusted,       ///< the adjustment itself failed (no fixed point, no redundancy, …)
    };
    Kind kind = Kind::None;
    std::size_t book = 0;  ///< UnreadableRun: index of the book among those given
    std::string subject;   ///< the run or point concerned, field-book bytes (Windows-1251)
    /// Why, in the user's language (UTF-8), with the names of the books. Empty for
    /// RunNotInBooks, which only the caller can word: it knows where the books came from.
    std::string reason;
};

/// The runs to adjust: their numbers (trimmed when compared), each found in every book that
/// holds it, or "BOOK:RUN" for run RUN of the book named BOOK alone (the name the results give
/// it, NetworkBookNames); none given: every run of every book.
using NetworkRunChoice = std::optional<std::vector<std::string>>;

/// The one rule that picks the runs of several books (NetworkRunChoice): every job that reads
/// several books together (the adjustment, monitoring's cycles) selects through it, book by
/// book, and then asks whether every run asked for was found.
class RunSelection {
public:
    explicit RunSelection(const NetworkRunChoice& runs)
        : runs_(runs), found_(runs ? runs->size() : 0, false)
    {
    }

    /// Whether the run `runNumber` (trimmed) of the book named `bookName` is selected; each run
    /// asked for that names it is noted as found.
    bool Wants(std::string_view runNumber, std::string_view bookName);

    /// The runs of one book's walk (WalkAllRuns) that are selected, in the book's order;
    /// `bookName` is the book's name in the results, for "BOOK:RUN". False with `refusal`
    /// (UnreadableRun, `book` its index, the reason in the user's language) when one of them
    /// cannot be read: no number of a misread station may reach a result.
    bool Select(const std::vector<RunStations>& bookRuns, std::size_t book, std::string_view bookName,
                std::vector<const RunStations*>& selected, NetworkRefusal& refusal);

    /// Once every book is selected: false with `refusal` (RunNotInBooks) naming the first run
    /// asked for that no book holds.
    bool Complete(NetworkRefusal& refusal) const;

private:
    const NetworkRunChoice& runs_;
    std::vector<bool> found_;  ///< per run asked for: a book holds it
};

/// Reads the selected runs of `books`, in the books' order and each book's run order, into
/// `network` (NetworkOfRuns; the books' names in `network.books`). False with `refusal`
/// (UnreadableRun, RunNotInBooks) when a selected run cannot be read or a run asked for is in
/// none of the books; the first such run counts. RunNotInBooks comes once every book is read:
/// `network` is then whole. The readings are corrected for the rods' `scale` (CorrectReadings).
bool ReadNetworkOfBooks(const std::vector<NetworkBook>& books, const NetworkRunChoice& runs,
                        LevellingNetwork& network, NetworkRefusal& refusal, RodScale scale = {});

/// The rule for fixed points: one is taken when it is a point of the selected runs that the
/// network holds, the back or fore point of a station or a point sighted as an intermediate
/// sight; a point only of runs not selected, or of no run, is refused. Every place that takes
/// fixed heights (typed, from a file, on the command line) asks here. False with `refusal`
/// (FixedPointNotInRuns) naming the first point refused.
bool CheckFixedPoints(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                      NetworkRefusal& refusal);

/// Adjusts `network` holding `fixed` (AdjustNetwork, σ of 1 km `sigma` in metres) once the
/// fixed points pass CheckFixedPoints, and judges the sections levelled more than once against
/// k·√L (`maxSectionDifference` k, metres per √km; none: not judged): a pair above its limit is
/// the first of the warnings (sectionDifference). False with `refusal` when no point is fixed (NotAdjusted), a
/// fixed point is refused, or the adjustment fails (NotAdjusted).
bool AdjustNetworkOfBooks(const LevellingNetwork& network, const std::vector<FixedHeight>& fixed,
                          double sigma, NetworkAdjustment& result, NetworkRefusal& refusal,
                          std::optional<double> maxSectionDifference);

/// Everything the adjustment of books takes.
struct NetworkRequest {
    std::vector<NetworkBook> books;
    NetworkRunChoice runs;
    std::vector<FixedHeight> fixed;
    std::vector<std::string> nodes;  ///< points declared nodes besides the runs' ends (--nodes)
    double sigma = 0;                ///< a-priori σ of 1 km, metres
    /// k of the limit k·√L on two levellings of one section, metres per √km
    /// (LevellingLimits::maxSectionDifference of the class in force); none: not judged.
    std::optional<double> maxSectionDifference;
    RodScale rodScale;  ///< of the rods every book was levelled with
    /// Called once the books are read into the network, before it is adjusted: the adjustment
    /// reads no book after that, so a caller that needs them for nothing else may let them go
    /// and spare the peak of a large network their memory. None: nothing is called.
    std::function<void()> booksRead;
};

/// The adjusted network of books, or why there is none. Its warnings are
/// `adjustment.warnings` and `adjustment.unreached` (NetworkWarnings.h words them).
struct NetworkOutcome {
    LevellingNetwork network;
    NetworkAdjustment adjustment;
    NetworkRefusal refusal;
    bool adjusted() const { return refusal.kind == NetworkRefusal::Kind::None; }
};

/// Reads the books' selected runs, declares `nodes` and adjusts: ReadNetworkOfBooks, then
/// AdjustNetworkOfBooks. A node that is no back or fore point of a station of the selected runs
/// (one only sighted as an intermediate sight included) is refused as NodeNotInRuns before the
/// adjustment.
NetworkOutcome AdjustBooks(const NetworkRequest& request);

}  // namespace velmora
