// SPDX-License-Identifier: MIT
#include "network/NetworkObservations.h"

#include "FieldBookLines.h"
#include "network/SectionPairs.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::BookOf;
using testing::BookOfText;
using testing::M5Line;
using testing::ReadWholeFile;

// The line on which the instrument records its own height of a point after sighting it.
std::string InstrumentHeightLine(const std::string& point, const std::string& run,
                                 const std::string& height)
{
    std::string line = M5Line({point, run, "Rf", "1.00000", "10.000"});
    for (std::size_t column = 49; column < 117; ++column) {
        if (line[column] != '|')
            line[column] = ' ';
    }
    line.replace(95, 1, "Z");
    line.replace(112 - height.size() - 1, height.size(), height);
    line.replace(112, 1, "m");
    return line;
}

std::vector<const RunStations*> All(const std::vector<RunStations>& runs)
{
    std::vector<const RunStations*> all;
    for (const RunStations& run : runs)
        all.push_back(&run);
    return all;
}

// Run 1 in BF with an intermediate sight on Z from A; run 2 measured BFFB with double readings
// that differ: one observation of the means.
TEST(NetworkObservations, OneObservationPerStationFromTheStationModel)
{
    const RecordList records = BookOf({
        InstrumentHeightLine("A", "1", "100.00000"),
        M5Line({"A", "1", "Rb", "1.50000", "20.000"}),
        M5Line({"Z", "1", "Rz", "1.00000", "10.000"}),
        M5Line({"B", "1", "Rf", "1.20000", "20.000"}),
        InstrumentHeightLine("B", "1", "100.30000"),
        M5Line({"B", "1", "Rb", "1.10000", "15.000"}),
        M5Line({"A", "1", "Rf", "1.39900", "15.000"}),
        M5Line({"C", "2", "Rb", "1.00000", "10.000"}),
        M5Line({"D", "2", "Rf", "0.50000", "10.000"}),
        M5Line({"D", "2", "Rf", "0.50200", "10.200"}),
        M5Line({"C", "2", "Rb", "1.00200", "10.000"}),
    });
    const std::vector<RunStations> runs = WalkAllRuns(records);
    LevellingNetwork network;
    std::string error;
    ASSERT_TRUE(NetworkOfRuns(records, All(runs), 0, network, error)) << error;

    ASSERT_EQ(network.observations.size(), 3u);
    const LevellingObservation& first = network.observations[0];
    EXPECT_EQ(first.run, "1");
    EXPECT_EQ(first.from, "A");
    EXPECT_EQ(first.to, "B");
    EXPECT_NEAR(first.heightDifference, 0.3, 1e-12);
    EXPECT_NEAR(first.length, 40, 1e-12);
    EXPECT_EQ(first.fromInstrumentHeight, 100.0);
    EXPECT_EQ(first.toInstrumentHeight, 100.3);
    EXPECT_FALSE(network.observations[1].fromInstrumentHeight);  // only a run's first point
    EXPECT_FALSE(network.observations[1].toInstrumentHeight);    // no Z line after A
    EXPECT_EQ(network.observations[1].from, "B");
    EXPECT_EQ(network.observations[1].to, "A");
    EXPECT_NEAR(network.observations[1].heightDifference, -0.299, 1e-12);
    const LevellingObservation& doubled = network.observations[2];
    EXPECT_EQ(doubled.run, "2");
    EXPECT_EQ(doubled.from, "C");
    EXPECT_EQ(doubled.to, "D");
    EXPECT_NEAR(doubled.heightDifference, 1.001 - 0.501, 1e-12);
    EXPECT_NEAR(doubled.length, 10 + 10.1, 1e-12);

    ASSERT_EQ(network.intermediates.size(), 1u);
    const IntermediateSight& sight = network.intermediates[0];
    EXPECT_EQ(sight.from, "A");
    EXPECT_EQ(sight.point, "Z");
    EXPECT_NEAR(sight.heightDifference, 0.5, 1e-12);
    EXPECT_NEAR(sight.length, 30, 1e-12);
    EXPECT_EQ(sight.observationsBefore, 0u);
}

TEST(NetworkObservations, UnreadableRunGivesNoObservations)
{
    std::string feet = M5Line({"B", "3", "Rf", "1.20000", "20.000"});
    feet.replace(66, 5, " yd  ");  // a unit the reader does not know
    const RecordList records = BookOf({M5Line({"A", "3", "Rb", "1.50000", "20.000"}), feet});
    const std::vector<RunStations> runs = WalkAllRuns(records);
    LevellingNetwork network;
    std::string error;
    EXPECT_FALSE(NetworkOfRuns(records, All(runs), 0, network, error));
    EXPECT_EQ(error.rfind("run 3 cannot be read: ", 0), 0u) << error;
}

// The sections levelled more than once, in words: each with its levellings' runs and figures.
std::string SectionsLevelledAgain(const LevellingNetwork& network)
{
    std::string text;
    for (const SectionLevellings& section : FindSectionLevellings(network, FindSections(network, {}))) {
        text += section.from + ">" + section.to + ":";
        for (const SectionLevelling& levelling : section.levellings)
            text += " " + std::to_string(levelling.book) + "/" + levelling.run + " " +
                    std::to_string(levelling.heightDifference) + " " + std::to_string(levelling.length);
        text += "\n";
    }
    return text;
}

// The check reads its network of the sections without the instrument's heights and the
// intermediate sights: the sections must be those of the whole network, on the books of
// several days over the same marks and on every other book there is.
TEST(NetworkObservations, SectionsAreTheSameWithoutWhatOnlyTheAdjustmentReads)
{
    std::vector<std::string> books = testing::RealFieldBooks();
    books.push_back(VELMORA_SAMPLES_DIR "/levelling_m5.DAT");
    LevellingNetwork everything;
    LevellingNetwork sectionsOnly;
    for (std::size_t book = 0; book < books.size(); ++book) {
        const RecordList records = BookOfText(ReadWholeFile(books[book]));
        const std::vector<RunStations> runs = WalkAllRuns(records);
        std::vector<const RunStations*> readable;
        for (const RunStations& run : runs) {
            if (run.Readable())
                readable.push_back(&run);
        }
        std::string error;
        ASSERT_TRUE(NetworkOfRuns(records, readable, book, everything, error)) << error;
        ASSERT_TRUE(NetworkOfRuns(records, readable, book, sectionsOnly, error, NetworkReading::sectionsOnly));
    }
    ASSERT_FALSE(everything.intermediates.empty());
    EXPECT_TRUE(sectionsOnly.intermediates.empty());
    const std::string sections = SectionsLevelledAgain(everything);
    EXPECT_EQ(SectionsLevelledAgain(sectionsOnly), sections);
    if (books.size() > 1)
        EXPECT_NE(sections, "");
}

}  // namespace
}  // namespace velmora
