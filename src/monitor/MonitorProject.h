// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/Monitoring.h"

#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace velmora {

/// The schema of the project files this program writes; a file of a higher one is refused.
inline constexpr int kProjectSchemaVersion = 2;
/// The SQLite application_id that marks a file as a monitoring project ("VTMP").
inline constexpr int kProjectApplicationId = 0x56544D50;

/// Why a project could not be opened, created or changed.
struct ProjectFailure {
    enum class Kind {
        None,
        CannotOpen,    ///< no such file, no permission, …: `detail` says what the system said
        Exists,        ///< create: the file is there already
        NotAProject,   ///< a field book, another database, anything else
        NewerSchema,   ///< `version` is the file's schema
        Busy,          ///< another process is writing it
        SameBook,      ///< add: `detail` names a book whose bytes the project holds already
        NoCycle,       ///< remove: `version` is the cycle number that is not there
        Database,      ///< SQLite failed otherwise: `detail` says how
    };
    Kind kind = Kind::None;
    std::string path;    ///< the project file
    std::string detail;
    int version = 0;

    /// In the user's language (UTF-8), naming the file.
    std::string Text() const;
};

/// The settings of a project as kept: the monitoring settings and the class whose tolerance
/// gave σ (empty when σ was given).
struct ProjectSettings {
    MonitorSettings monitor;
    std::string className;
};

/// A monitoring project: one SQLite file with the settings and the cycles (date, books with
/// their bytes and SHA-256, selected runs), nothing derived. Every change is one transaction
/// (BEGIN IMMEDIATE … COMMIT; rollback journal, so the project stays one file): a process
/// killed in its middle leaves the project as it was. A project another process is writing is
/// waited for `kBusyMilliseconds`, then refused as busy.
class MonitorProject {
public:
    static constexpr int kBusyMilliseconds = 2000;

    MonitorProject() = default;
    ~MonitorProject();
    MonitorProject(const MonitorProject&) = delete;
    MonitorProject& operator=(const MonitorProject&) = delete;

    /// Creates a new project file at `path` (refused when a file is there) with `settings`.
    bool Create(const std::string& path, const ProjectSettings& settings, ProjectFailure& failure);
    /// Opens an existing project and reads it.
    bool Open(const std::string& path, ProjectFailure& failure);

    const ProjectSettings& settings() const { return settings_; }
    /// The cycles in the order they were added.
    const std::vector<CycleInput>& cycles() const { return cycles_; }

    /// Stores a cycle; refused when one of its books' bytes is in the project already.
    bool AddCycle(const CycleInput& cycle, ProjectFailure& failure);
    /// Removes the cycle of this number (1, 2, … in date order, equal dates in the order added).
    bool RemoveCycle(int number, ProjectFailure& failure);

    /// Called inside AddCycle's transaction after everything is written, before the commit: for
    /// the test of a process killed in the middle.
    std::function<void()> beforeCommit;

private:
    bool Read(ProjectFailure& failure);
    bool ReadSettings(ProjectFailure& failure);
    bool ReadCycles(ProjectFailure& failure);
    /// The rods' scale of the cycles that have one.
    bool ReadRodScales(ProjectFailure& failure);
    bool Fail(ProjectFailure& failure, int code);
    void Close();

    sqlite3* db_ = nullptr;
    std::string path_;
    ProjectSettings settings_;
    std::vector<CycleInput> cycles_;
    std::vector<long long> cycleIds_;  // per cycle in cycles_
};

}  // namespace velmora
