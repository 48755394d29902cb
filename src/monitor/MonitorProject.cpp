// SPDX-License-Identifier: MIT
#include "monitor/MonitorProject.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "monitor/Sha256.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE settings(sigma REAL NOT NULL, class TEXT NOT NULL, alpha REAL NOT NULL,
                      named_marks INTEGER NOT NULL);
CREATE TABLE benchmarks(position INTEGER PRIMARY KEY, point BLOB NOT NULL, height REAL);
CREATE TABLE marks(position INTEGER PRIMARY KEY, point BLOB NOT NULL);
CREATE TABLE cycles(id INTEGER PRIMARY KEY, date TEXT NOT NULL, all_runs INTEGER NOT NULL);
CREATE TABLE cycle_runs(cycle INTEGER NOT NULL, position INTEGER NOT NULL, run BLOB NOT NULL);
CREATE TABLE books(cycle INTEGER NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL,
                   bytes BLOB NOT NULL, sha256 TEXT NOT NULL UNIQUE);
)";

// The rods' scale of the cycles levelled with one (schema 2; a project of schema 1 gets the
// table with its first such cycle and has none before).
constexpr const char* kRodScaleTable =
    "CREATE TABLE IF NOT EXISTS cycle_rods(cycle INTEGER PRIMARY KEY, ppm REAL NOT NULL)";

// One prepared statement; its failures are SQLite's result codes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { code_ = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int code() const { return code_; }
    Statement& Bind(int at, std::string_view bytes)
    {
        Keep(sqlite3_bind_blob64(statement_, at, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& BindText(int at, std::string_view text)
    {
        Keep(sqlite3_bind_text64(statement_, at, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
        return *this;
    }
    Statement& Bind(int at, double value) { Keep(sqlite3_bind_double(statement_, at, value)); return *this; }
    Statement& Bind(int at, long long value) { Keep(sqlite3_bind_int64(statement_, at, value)); return *this; }
    Statement& BindNull(int at) { Keep(sqlite3_bind_null(statement_, at)); return *this; }
    /// True while there is a row; false at the end or on failure (code() then says which).
    bool Row()
    {
        if (code_ != SQLITE_OK && code_ != SQLITE_ROW)
            return false;
        code_ = sqlite3_step(statement_);
        return code_ == SQLITE_ROW;
    }
    /// Runs a statement that gives no rows; its code.
    int Run()
    {
        Row();
        return code_ == SQLITE_DONE ? SQLITE_OK : code_;
    }
    /// The end of the rows was reached without a failure.
    bool Done() const { return code_ == SQLITE_DONE; }
    std::string Bytes(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : "";
    }
    double Number(int column) const { return sqlite3_column_double(statement_, column); }
    long long Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

private:
    void Keep(int code)
    {
        if (code_ == SQLITE_OK)
            code_ = code;
    }
    sqlite3_stmt* statement_ = nullptr;
    int code_ = SQLITE_OK;
};

int Execute(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Ends a transaction that failed; what SQLite said stays the failure.
int RolledBack(sqlite3* db, int code)
{
    Execute(db, "ROLLBACK");
    return code;
}

}  // namespace

std::string ProjectFailure::Text() const
{
    switch (kind) {
    case Kind::CannotOpen:
        return Fill(Tr("cannot open the project {1}: {2}"), {path, detail});
    case Kind::Exists:
        return Fill(Tr("{1} exists already; a new project is not written over it"), {path});
    case Kind::NotAProject:
        return Fill(Tr("{1} is not a monitoring project"), {path});
    case Kind::NewerSchema:
        return Fill(Tr("{1} is a project of a newer version (schema {2}); this program reads up to {3}"),
                    {path, std::to_string(version), std::to_string(kProjectSchemaVersion)});
    case Kind::Busy:
        return Fill(Tr("the project {1} is busy: another program is writing it"), {path});
    case Kind::SameBook:
        return Fill(Tr("{1}: the field book {2} is in the project already"), {path, Cp1251ToUtf8(detail)});
    case Kind::NoCycle:
        return Fill(Tr("{1} has no cycle {2}"), {path, std::to_string(version)});
    case Kind::Database:
        return Fill(Tr("the project {1} cannot be read or written: {2}"), {path, detail});
    case Kind::None:
        break;
    }
    return {};
}

MonitorProject::~MonitorProject()
{
    Close();
}

void MonitorProject::Close()
{
    sqlite3_close(db_);
    db_ = nullptr;
}

bool MonitorProject::Fail(ProjectFailure& failure, int code)
{
    using Kind = ProjectFailure::Kind;
    failure.path = path_;
    const int primary = code & 0xff;
    failure.kind = primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? Kind::Busy
                   : primary == SQLITE_NOTADB                         ? Kind::NotAProject
                                                                      : Kind::Database;
    failure.detail = sqlite3_errstr(code);
    return false;
}

namespace {

int WriteSettings(sqlite3* db, const ProjectSettings& settings)
{
    const MonitorSettings& monitor = settings.monitor;
    Statement row(db, "INSERT INTO settings VALUES (?, ?, ?, ?)");
    row.Bind(1, monitor.sigma).BindText(2, settings.className).Bind(3, monitor.alpha);
    row.Bind(4, static_cast<long long>(monitor.marks.has_value()));
    int code = row.Run();
    for (std::size_t i = 0; code == SQLITE_OK && i < monitor.benchmarks.size(); ++i) {
        Statement benchmark(db, "INSERT INTO benchmarks VALUES (?, ?, ?)");
        benchmark.Bind(1, static_cast<long long>(i)).Bind(2, monitor.benchmarks[i].point);
        if (monitor.benchmarks[i].height)
            benchmark.Bind(3, *monitor.benchmarks[i].height);
        else
            benchmark.BindNull(3);
        code = benchmark.Run();
    }
    const std::vector<std::string> marks = monitor.marks.value_or(std::vector<std::string>{});
    for (std::size_t i = 0; code == SQLITE_OK && i < marks.size(); ++i)
        code = Statement(db, "INSERT INTO marks VALUES (?, ?)").Bind(1, static_cast<long long>(i)).Bind(2, marks[i]).Run();
    return code;
}

int CreateSchema(sqlite3* db, const ProjectSettings& settings)
{
    int code = Execute(db, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK)
        return code;
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kProjectApplicationId) +
                                "; PRAGMA user_version = " + std::to_string(kProjectSchemaVersion) + ";";
    code = Execute(db, pragmas.c_str());
    if (code == SQLITE_OK)
        code = Execute(db, kSchema);
    if (code == SQLITE_OK)
        code = Execute(db, kRodScaleTable);
    if (code == SQLITE_OK)
        code = WriteSettings(db, settings);
    if (code != SQLITE_OK)
        return RolledBack(db, code);
    return Execute(db, "COMMIT");
}

}  // namespace

bool MonitorProject::Create(const std::string& path, const ProjectSettings& settings,
                            ProjectFailure& failure)
{
    Close();
    path_ = path;
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found) {
        failure = {ProjectFailure::Kind::Exists, path, {}, 0};
        return false;
    }
    int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        failure = {ProjectFailure::Kind::CannotOpen, path, sqlite3_errstr(code), 0};
        Close();
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    code = CreateSchema(db_, settings);
    if (code != SQLITE_OK) {
        Fail(failure, code);
        Close();
        // Nothing of a project that was not made stays behind.
        std::filesystem::remove(path, error);
        return false;
    }
    settings_ = settings;
    cycles_.clear();
    cycleIds_.clear();
    return true;
}

bool MonitorProject::Open(const std::string& path, ProjectFailure& failure)
{
    Close();
    path_ = path;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        const bool exists = std::filesystem::exists(path, error);
        failure = {exists ? ProjectFailure::Kind::NotAProject : ProjectFailure::Kind::CannotOpen, path,
                   exists ? "" : std::make_error_code(std::errc::no_such_file_or_directory).message(), 0};
        return false;
    }
    const int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (code != SQLITE_OK) {
        failure = {ProjectFailure::Kind::CannotOpen, path, sqlite3_errstr(code), 0};
        Close();
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    if (!Read(failure)) {
        Close();
        return false;
    }
    return true;
}

// Reads everything in one read transaction, after the file has shown it is a project.
bool MonitorProject::Read(ProjectFailure& failure)
{
    int code = Execute(db_, "BEGIN");
    Statement id(db_, "PRAGMA application_id");
    const bool idRead = id.Row();
    if (!idRead && id.code() != SQLITE_DONE)
        return Fail(failure, RolledBack(db_, id.code()));
    if (!idRead || id.Integer(0) != kProjectApplicationId) {
        Execute(db_, "ROLLBACK");
        failure = {ProjectFailure::Kind::NotAProject, path_, {}, 0};
        return false;
    }
    Statement version(db_, "PRAGMA user_version");
    if (!version.Row())
        return Fail(failure, RolledBack(db_, version.code()));
    if (version.Integer(0) > kProjectSchemaVersion) {
        Execute(db_, "ROLLBACK");
        failure = {ProjectFailure::Kind::NewerSchema, path_, {}, static_cast<int>(version.Integer(0))};
        return false;
    }
    const bool read = ReadSettings(failure) && ReadCycles(failure);
    code = Execute(db_, "COMMIT");
    if (read && code != SQLITE_OK)
        return Fail(failure, code);
    return read;
}

bool MonitorProject::ReadSettings(ProjectFailure& failure)
{
    settings_ = {};
    MonitorSettings& monitor = settings_.monitor;
    Statement row(db_, "SELECT sigma, class, alpha, named_marks FROM settings");
    if (!row.Row())
        return Fail(failure, row.Done() ? SQLITE_CORRUPT : row.code());
    monitor.sigma = row.Number(0);
    settings_.className = row.Bytes(1);
    monitor.alpha = row.Number(2);
    if (row.Integer(3))
        monitor.marks.emplace();
    Statement benchmarks(db_, "SELECT point, height FROM benchmarks ORDER BY position");
    while (benchmarks.Row())
        monitor.benchmarks.push_back({benchmarks.Bytes(0), benchmarks.IsNull(1) ? std::nullopt
                                                                                : std::optional(benchmarks.Number(1))});
    Statement marks(db_, "SELECT point FROM marks ORDER BY position");
    while (marks.Row()) {
        if (monitor.marks)
            monitor.marks->push_back(marks.Bytes(0));
    }
    if (!benchmarks.Done() || !marks.Done())
        return Fail(failure, benchmarks.Done() ? marks.code() : benchmarks.code());
    return true;
}

bool MonitorProject::ReadCycles(ProjectFailure& failure)
{
    cycles_.clear();
    cycleIds_.clear();
    Statement cycles(db_, "SELECT id, date, all_runs FROM cycles ORDER BY id");
    while (cycles.Row()) {
        cycleIds_.push_back(cycles.Integer(0));
        CycleInput cycle{cycles.Bytes(1), {}, std::nullopt};
        if (!cycles.Integer(2))
            cycle.runs.emplace();
        Statement runs(db_, "SELECT run FROM cycle_runs WHERE cycle = ? ORDER BY position");
        runs.Bind(1, cycleIds_.back());
        while (runs.Row()) {
            if (cycle.runs)
                cycle.runs->push_back(runs.Bytes(0));
        }
        Statement books(db_, "SELECT name, bytes FROM books WHERE cycle = ? ORDER BY position");
        books.Bind(1, cycleIds_.back());
        while (books.Row())
            cycle.books.push_back({books.Bytes(0), books.Bytes(1)});
        if (!runs.Done() || !books.Done())
            return Fail(failure, runs.Done() ? books.code() : runs.code());
        cycles_.push_back(std::move(cycle));
    }
    return (cycles.Done() || Fail(failure, cycles.code())) && ReadRodScales(failure);
}

bool MonitorProject::ReadRodScales(ProjectFailure& failure)
{
    Statement table(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'cycle_rods'");
    if (!table.Row())
        return table.Done() || Fail(failure, table.code());
    Statement rods(db_, "SELECT cycle, ppm FROM cycle_rods");
    while (rods.Row()) {
        const auto at = std::find(cycleIds_.begin(), cycleIds_.end(), rods.Integer(0));
        if (at != cycleIds_.end())
            cycles_[static_cast<std::size_t>(at - cycleIds_.begin())].rodScale = {rods.Number(1)};
    }
    return rods.Done() || Fail(failure, rods.code());
}

namespace {

// Writes the cycle's rows; SQLITE_CONSTRAINT when a book's digest is there already.
int WriteCycle(sqlite3* db, const CycleInput& cycle, long long& id)
{
    Statement row(db, "INSERT INTO cycles(date, all_runs) VALUES (?, ?)");
    int code = row.BindText(1, cycle.date).Bind(2, static_cast<long long>(!cycle.runs)).Run();
    id = sqlite3_last_insert_rowid(db);
    const std::vector<std::string> runs = cycle.runs.value_or(std::vector<std::string>{});
    for (std::size_t i = 0; code == SQLITE_OK && i < runs.size(); ++i) {
        Statement run(db, "INSERT INTO cycle_runs VALUES (?, ?, ?)");
        code = run.Bind(1, id).Bind(2, static_cast<long long>(i)).Bind(3, runs[i]).Run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < cycle.books.size(); ++i) {
        const CycleBook& book = cycle.books[i];
        Statement books(db, "INSERT INTO books VALUES (?, ?, ?, ?, ?)");
        books.Bind(1, id).Bind(2, static_cast<long long>(i)).BindText(3, book.name).Bind(4, book.bytes);
        code = books.BindText(5, Sha256Hex(book.bytes)).Run();
    }
    if (code == SQLITE_OK && cycle.rodScale.Corrects()) {
        // A project of schema 1 becomes one of schema 2: an older program refuses it rather
        // than read its cycle without the correction.
        const std::string upgrade =
            std::string(kRodScaleTable) + "; PRAGMA user_version = " + std::to_string(kProjectSchemaVersion) + ";";
        code = Execute(db, upgrade.c_str());
        if (code == SQLITE_OK)
            code = Statement(db, "INSERT INTO cycle_rods VALUES (?, ?)").Bind(1, id).Bind(2, cycle.rodScale.ppm).Run();
    }
    return code;
}

// The name of a book of `cycle` whose bytes the project (or the cycle before it) holds.
std::optional<std::string> BookHeldAlready(sqlite3* db, const CycleInput& cycle)
{
    std::vector<std::string> digests;
    for (const CycleBook& book : cycle.books) {
        const std::string digest = Sha256Hex(book.bytes);
        Statement held(db, "SELECT 1 FROM books WHERE sha256 = ?");
        if (held.BindText(1, digest).Row() ||
            std::find(digests.begin(), digests.end(), digest) != digests.end())
            return book.name;
        digests.push_back(digest);
    }
    return std::nullopt;
}

}  // namespace

bool MonitorProject::AddCycle(const CycleInput& cycle, ProjectFailure& failure)
{
    int code = Execute(db_, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK)
        return Fail(failure, code);
    if (const auto held = BookHeldAlready(db_, cycle)) {
        Execute(db_, "ROLLBACK");
        failure = {ProjectFailure::Kind::SameBook, path_, *held, 0};
        return false;
    }
    long long id = 0;
    code = WriteCycle(db_, cycle, id);
    if (code != SQLITE_OK)
        return Fail(failure, RolledBack(db_, code));
    if (beforeCommit)
        beforeCommit();
    code = Execute(db_, "COMMIT");
    if (code != SQLITE_OK)
        return Fail(failure, RolledBack(db_, code));
    cycles_.push_back(cycle);
    cycleIds_.push_back(id);
    return true;
}

bool MonitorProject::RemoveCycle(int number, ProjectFailure& failure)
{
    const std::vector<std::size_t> order = CycleOrder(cycles_);
    if (number < 1 || static_cast<std::size_t>(number) > order.size()) {
        failure = {ProjectFailure::Kind::NoCycle, path_, {}, number};
        return false;
    }
    const std::size_t at = order[static_cast<std::size_t>(number) - 1];
    int code = Execute(db_, "BEGIN IMMEDIATE");
    if (code == SQLITE_OK)
        code = Execute(db_, kRodScaleTable);
    for (const char* sql : {"DELETE FROM books WHERE cycle = ?", "DELETE FROM cycle_runs WHERE cycle = ?",
                            "DELETE FROM cycle_rods WHERE cycle = ?", "DELETE FROM cycles WHERE id = ?"}) {
        if (code == SQLITE_OK)
            code = Statement(db_, sql).Bind(1, cycleIds_[at]).Run();
    }
    if (code == SQLITE_OK)
        code = Execute(db_, "COMMIT");
    if (code != SQLITE_OK)
        return Fail(failure, RolledBack(db_, code));
    cycles_.erase(cycles_.begin() + static_cast<std::ptrdiff_t>(at));
    cycleIds_.erase(cycleIds_.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

}  // namespace velmora
