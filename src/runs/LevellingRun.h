// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RunNumberSet.h"
#include "runs/Station.h"
#include "runs/ToleranceClass.h"

#include <memory>
#include <optional>
#include <string>

namespace velmora {

enum class RunStatus {
    Empty,            ///< fewer than two points: "R // ****"
    Open,             ///< ends on another point than it began: "R // ----"
    WithinTolerance,  ///< "R // M"
    AboveTolerance,   ///< "R // M " (one trailing blank)
    Unreadable,       ///< a station that fits no method, an unknown unit, or a closed run with a
                      ///< reading or distance that is no number: "R // ???? "
};

/// The sums of one run, station by station in record order.
///
/// A station's height difference is added as heightSum := (heightSum + back) − fore and its
/// length as distanceSum := (distanceSum + backDistance) + foreDistance, in exactly this order,
/// with back, fore and the distances the station's means: misclosures that fall on a rounding
/// tie come out differently if the order changes.
struct LevellingRun {
    std::string firstPoint;  ///< trimmed point number of the first point
    long pointCount = 0;     ///< the first backsight's point plus one per completed station
    double heightSum = 0;    ///< sum of (backsight − foresight) over the stations, metres
    double distanceSum = 0;  ///< sum of back and fore sight distances, metres
    LevellingMethod method = LevellingMethod::BF;  ///< how the stations were measured
    bool endsOnFirstPoint = false;  ///< the last point counted is the first point (trimmed
                                    ///< numbers compared): the run closes
    std::optional<InstrumentFigures> instrument;  ///< the book's own sums for the run

    /// Why the run cannot be read (its stations); empty when it can.
    const std::string& reason() const;
    /// The same as a cause with its evidence; empty (Kind::None) when the run can be read.
    const UnreadableCause& cause() const;

    /// The sums of a run read into stations. The heights start again from 0 at the station
    /// of the run's first backsight; a station without foresight adds nothing.
    static LevellingRun Of(const RunStations& stations);

    /// Adds the next station of the run; `opening` marks the station of its first backsight.
    void AddStation(const Station& station, bool opening);

    /// Takes the method, the reason and the instrument's figures of a run read into stations;
    /// a run that cannot be read keeps no sums.
    void TakeHeader(const RunStations& stations);

    /// Allowed misclosure in metres of a run of distanceSum (AllowedMisclosure).
    double AllowedMisclosure(double toleranceCoefficient) const;

    RunStatus Status(double toleranceCoefficient) const;

    /// Why Status gives Unreadable: the stations' reason, or numbers that are not numbers.
    /// Empty for a run of any other status.
    std::string UnreadableReason(double toleranceCoefficient) const;
    /// The same as a cause; empty (Kind::None) for a run of any other status.
    UnreadableCause UnreadableCauseOf(double toleranceCoefficient) const;

    /// Whether our sums agree with the instrument's figures (InstrumentFigures::Agrees);
    /// nothing when the book has no figures for the run or the run cannot be read.
    std::optional<bool> AgreesWithInstrument() const;

private:
    // Few runs cannot be read, and a catalogue holds one LevellingRun per run of a book: the
    // why of an unread run is kept apart, so that a readable run costs one pointer for it.
    struct Unread {
        std::string reason;
        UnreadableCause cause;
    };
    // Copied with the run, as a field would be.
    struct UnreadPart {
        std::unique_ptr<const Unread> unread;

        UnreadPart() = default;
        UnreadPart(const UnreadPart& other) : unread(Copy(other)) {}
        UnreadPart& operator=(const UnreadPart& other)
        {
            unread = Copy(other);
            return *this;
        }
        UnreadPart(UnreadPart&&) noexcept = default;
        UnreadPart& operator=(UnreadPart&&) noexcept = default;
        static std::unique_ptr<const Unread> Copy(const UnreadPart& other)
        {
            return other.unread ? std::make_unique<const Unread>(*other.unread) : nullptr;
        }
    };
    UnreadPart unread_;
};

}  // namespace velmora
