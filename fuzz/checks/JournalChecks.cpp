// SPDX-License-Identifier: MIT
#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include "fieldbook/TextConversions.h"
#include "runs/LevellingRun.h"
#include "runs/RunList.h"
#include "runs/ToleranceClass.h"
#include "state/MainWindowState.h"

#include <array>
#include <string>
#include <vector>

namespace velmora::fuzz {

namespace {

// Pieces of a small plain-layout field book: few runs, few points, readings that are numbers
// with either separator, and some that are not.
constexpr std::string_view kRuns[] = {"1", "2", "3", "12"};
constexpr std::string_view kCodes[] = {"Rb", "Rf", "Rz", "Sh", "Xx"};
constexpr std::string_view kPoints[] = {"A", "B", "C", "TP1"};
constexpr std::string_view kReadings[] = {"1.5", "0.25", "1,75", "x", "", "-2.5", "1e3", "0"};
constexpr std::string_view kDistances[] = {"10", "20.5", "0", "-5", "", "y"};
// What the user types into a cell: untrimmed texts, codes, numbers and non-numbers.
constexpr std::string_view kTyped[] = {"A",   " B ", "TP1", "Rb", "Rf",    " Rz",
                                       "1.5 ", "x",  "",    "  2,5", "\t0.1", "1e400"};

void Put(std::string& line, std::size_t column, std::size_t width, std::string_view text)
{
    // Right-aligned in its columns, as the instrument writes numbers.
    const std::size_t length = std::min(width, text.size());
    line.replace(column + width - length, length, text.substr(0, length));
}

std::string BookFrom(ByteReader& in)
{
    const std::uint8_t head = in.Byte();
    if (head >= 0xF0)  // now and then a book of raw bytes
        return std::string(in.Take(in.Byte()));
    std::string book;
    const std::size_t lines = head % 24;
    for (std::size_t i = 0; i < lines; ++i) {
        const std::uint8_t a = in.Byte();
        const std::uint8_t b = in.Byte();
        std::string line(66, ' ');
        Put(line, 0, 6, std::to_string(i + 1));
        Put(line, 7, 9, kPoints[b & 3]);
        Put(line, 31, 4, kRuns[a & 3]);
        Put(line, 36, 2, kCodes[(a >> 2) % 5]);
        Put(line, 38, 13, kReadings[(b >> 2) & 7]);
        Put(line, 53, 13, kDistances[(b >> 5) % 6]);
        book += line;
        book += "\r\n";
    }
    return book;
}

// What must be equal between a state the user reached and the same journal position rebuilt:
// the runs of the list (their texts when the texts are up to date) and their selection, the
// grid's rows and what their cells hold, the grid fields of every record, the class.
struct Snapshot {
    std::vector<std::string> numbers;
    std::vector<std::string> texts;
    std::vector<bool> selected;
    std::vector<std::size_t> rowRecords;
    std::vector<std::array<std::string, 4>> rowCells;  // trimmed
    std::vector<std::array<std::string, 4>> recordFields;
    double coefficient = 0;
};

Snapshot Take(const MainWindowState& state)
{
    Snapshot shot;
    for (const RunListEntry& entry : state.runList().entries()) {
        shot.numbers.emplace_back(RunNumberOfEntry(entry.text));
        shot.texts.push_back(entry.text);
        shot.selected.push_back(entry.selected);
    }
    shot.rowRecords = state.grid().rowRecords();
    for (std::size_t row = 1; row <= shot.rowRecords.size(); ++row) {
        std::array<std::string, 4> cells;
        for (int column = 0; column < 4; ++column)
            cells[static_cast<std::size_t>(column)] = TrimText(state.GridCell(static_cast<int>(row), column));
        shot.rowCells.push_back(cells);
    }
    for (const MeasurementRecord& record : state.records()) {
        shot.recordFields.push_back({std::string(record.pointNumber()), std::string(record.valueType()),
                                     std::string(record.reading()), std::string(record.distance())});
    }
    shot.coefficient = state.toleranceCoefficient();
    return shot;
}

void Compare(const Snapshot& want, const Snapshot& got, bool texts, const std::string& what)
{
    FUZZ_REQUIRE(want.numbers == got.numbers, what + ": the list holds other runs");
    if (texts) {
        for (std::size_t i = 0; i < want.texts.size(); ++i) {
            FUZZ_REQUIRE(want.texts[i] == got.texts[i], what + ": entry " + std::to_string(i) +
                                                            " was " + Shown(want.texts[i]) +
                                                            ", is " + Shown(got.texts[i]));
        }
    }
    FUZZ_REQUIRE(want.selected == got.selected, what + ": the selection differs");
    FUZZ_REQUIRE(want.rowRecords == got.rowRecords, what + ": the grid shows other records");
    FUZZ_REQUIRE(want.rowCells == got.rowCells, what + ": the grid cells differ");
    FUZZ_REQUIRE(want.recordFields == got.recordFields, what + ": the records' fields differ");
    FUZZ_REQUIRE(want.coefficient == got.coefficient, what + ": the class differs");
}

// Invariants of any state: the journal position, the grid rows of the selected runs, cells
// that agree with their records, and (unless an edit made them stale) list texts that are
// those of the records as they are now.
void CheckState(const MainWindowState& state, bool textsCurrent, const std::string& what)
{
    const ActionJournal& journal = state.journal();
    FUZZ_REQUIRE(journal.position() <= journal.entries().size(), what + ": position past the journal");

    const RunNumberSet selected = state.runList().SelectedRunNumbers();
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < state.records().size(); ++i) {
        const MeasurementRecord& record = state.records()[i];
        if (!record.skipped() && selected.count(std::string(record.runNumber())))
            rows.push_back(i);
    }
    FUZZ_REQUIRE(state.grid().rowRecords() == rows, what + ": the grid rows are not the selected runs");
    for (std::size_t row = 1; row <= rows.size(); ++row) {
        const MeasurementRecord& record = state.records()[rows[row - 1]];
        const std::string_view fields[] = {record.pointNumber(), record.valueType(), record.reading(),
                                           record.distance()};
        for (int column = 0; column < 4; ++column) {
            FUZZ_REQUIRE(TrimText(state.GridCell(static_cast<int>(row), column)) == fields[column],
                         what + ": cell " + std::to_string(row) + "," + std::to_string(column) +
                             " disagrees with its record");
        }
    }
    if (textsCurrent) {
        const RunCatalog catalog(state.records());
        for (const RunListEntry& entry : state.runList().entries()) {
            FUZZ_REQUIRE(entry.text == RunEntryText(catalog, RunNumberOfEntry(entry.text),
                                                    state.toleranceCoefficient()),
                         what + ": entry " + Shown(entry.text) + " is not its run's text");
        }
    }
}

}  // namespace

void CheckJournal(std::string_view input)
{
    ByteReader in(input);
    const std::string book = BookFrom(in);
    const std::string path = ScratchPath("journal.DAT");
    WriteWholeFile(path, book);

    MainWindowState state;
    FUZZ_REQUIRE(state.OpenAtStart(path), "the book does not open");
    // A cell edit leaves the list texts as they were until a recomputation (a class command,
    // or Back/Forward, which rebuild every text from the records).
    bool textsCurrent = true;
    CheckState(state, textsCurrent, "after opening");

    for (int step = 0; step < 48 && !in.empty(); ++step) {
        const std::size_t listSize = state.runList().size();
        const std::size_t before = state.journal().position();
        std::string what;
        switch (in.Pick(9)) {
        case 0: {
            const std::size_t index = in.Pick(listSize);
            const bool on = in.Flag();
            what = "select " + std::to_string(index) + (on ? " on" : " off");
            if (listSize > 0)
                state.SetSelected(index, on);
            state.ClickCheck();
            break;
        }
        case 1: {
            const std::uint16_t bits = in.Word();
            std::vector<bool> selection;
            for (std::size_t i = 0; i < listSize; ++i)
                selection.push_back(((bits >> (i % 16)) & 1) != 0);
            what = "selection " + std::to_string(bits);
            state.SetSelection(selection);
            state.ClickCheck();
            break;
        }
        case 2: what = "select all"; state.SelectAllRuns(true); break;
        case 3: what = "select none"; state.SelectAllRuns(false); break;
        case 4: what = "delete"; state.DeleteSelectedRuns(); break;
        case 5: {
            const ToleranceClass toleranceClass = kAllClasses[in.Pick(4)];
            what = "class " + ClassName(toleranceClass);
            state.ChooseClass(toleranceClass);
            textsCurrent = true;
            break;
        }
        case 6: {
            const int row = static_cast<int>(in.Pick(static_cast<std::size_t>(state.grid().dataRowCount()) + 2));
            const int column = static_cast<int>(in.Pick(5));
            const std::string_view text = kTyped[in.Pick(std::size(kTyped))];
            what = "edit " + std::to_string(row) + "," + std::to_string(column) + " " + Shown(text);
            const std::size_t entries = state.journal().entries().size();
            state.OnSetEditText(row, column, std::string(text));
            if (state.journal().entries().size() != entries || state.journal().position() != before)
                textsCurrent = false;
            break;
        }
        case 7:
            what = "back";
            state.Back();
            if (state.journal().position() != before)
                textsCurrent = true;
            break;
        default:
            what = "forward";
            state.Forward();
            if (state.journal().position() != before)
                textsCurrent = true;
            break;
        }
        CheckState(state, textsCurrent, "step " + std::to_string(step) + " (" + what + ")");
    }

    // Back then Forward rebuilds the state from the file and the journal.
    const Snapshot reached = Take(state);
    const std::size_t position = state.journal().position();
    Snapshot replayed = reached;
    if (position > 0) {
        state.Back();
        state.Forward();
        FUZZ_REQUIRE(state.journal().position() == position, "back and forward moved the position");
        CheckState(state, true, "after back and forward");
        replayed = Take(state);
        // The texts too, unless a cell edit changed a run's sums after the list was last
        // computed: the list shows the old text until a recomputation, while Back and Forward
        // rebuild every text from the file and the journal.
        Compare(reached, replayed, textsCurrent, "back and forward");
    }

    // All the way back is the file as opened.
    while (state.journal().position() > 0)
        state.Back();
    CheckState(state, true, "at the start of the journal");
    MainWindowState fresh;
    FUZZ_REQUIRE(fresh.OpenAtStart(path), "the book does not open a second time");
    Compare(Take(fresh), Take(state), true, "back to the start");

    // All the way forward is the last state again.
    while (state.journal().position() < state.journal().entries().size())
        state.Forward();
    CheckState(state, true, "at the end of the journal");
    if (state.journal().position() == position)
        Compare(replayed, Take(state), true, "forward to the end");
}

}  // namespace velmora::fuzz
