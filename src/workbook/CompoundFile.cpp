// SPDX-License-Identifier: MIT
#include "workbook/CompoundFile.h"

#include <algorithm>
#include <cstdint>

namespace velmora {

namespace {

constexpr std::size_t kSectorBytes = 512;
constexpr std::size_t kDirectoryEntryBytes = 128;
constexpr std::size_t kEntriesPerFatSector = kSectorBytes / 4;     // 128
constexpr std::size_t kFatSectorsInHeader = 109;
constexpr std::size_t kFatSectorsPerDifatSector = kEntriesPerFatSector - 1;  // the last links on
constexpr std::size_t kMiniStreamCutoff = 4096;

// Sector numbers with a meaning of their own.
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

constexpr std::uint8_t kStreamObject = 2;
constexpr std::uint8_t kRootStorageObject = 5;
constexpr std::uint8_t kBlack = 1;

void Put16(std::string& out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::size_t CeilDiv(std::size_t a, std::size_t b)
{
    return (a + b - 1) / b;
}

// One 128-byte directory entry at `at`; `name` at most 31 units.
void PutDirectoryEntry(std::string& out, std::size_t at, std::u16string_view name,
                       std::uint8_t type, std::uint32_t child, std::uint32_t startSector,
                       std::uint32_t size)
{
    name = name.substr(0, 31);
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(out, at + 2 * i, name[i]);
    Put16(out, at + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));  // with the NUL
    out[at + 66] = static_cast<char>(type);
    out[at + 67] = static_cast<char>(kBlack);
    Put32(out, at + 68, kNoStream);  // left sibling
    Put32(out, at + 72, kNoStream);  // right sibling
    Put32(out, at + 76, child);
    Put32(out, at + 116, startSector);
    Put32(out, at + 120, size);  // the upper half of the 64-bit size stays 0
}

void PutFreeDirectoryEntry(std::string& out, std::size_t at)
{
    Put32(out, at + 68, kNoStream);
    Put32(out, at + 72, kNoStream);
    Put32(out, at + 76, kNoStream);
}

// Where everything stands. Sectors in order: the stream, one directory sector, the FAT, the
// DIFAT; the header comes before sector 0.
struct SectorPlan {
    std::size_t streamBytes = 0;  // the stream's recorded size, padded to the mini-stream cutoff
    std::size_t streamSectors = 0;
    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    std::size_t directorySector = 0;
    std::size_t firstFatSector = 0;
    std::size_t firstDifatSector = 0;
    std::size_t sectorCount = 0;

    static std::size_t Offset(std::size_t sector) { return (sector + 1) * kSectorBytes; }
};

SectorPlan PlanSectors(std::size_t contentBytes)
{
    SectorPlan plan;
    plan.streamBytes = std::max(contentBytes, kMiniStreamCutoff);
    plan.streamSectors = CeilDiv(plan.streamBytes, kSectorBytes);
    // The FAT maps every sector, its own included; past 109 FAT sectors the header's list of
    // them continues in DIFAT sectors, which the FAT must map as well.
    for (;;) {
        plan.difatSectors = plan.fatSectors > kFatSectorsInHeader
                                ? CeilDiv(plan.fatSectors - kFatSectorsInHeader, kFatSectorsPerDifatSector)
                                : 0;
        if (plan.fatSectors * kEntriesPerFatSector >= plan.streamSectors + 1 + plan.fatSectors + plan.difatSectors)
            break;
        ++plan.fatSectors;
    }
    plan.directorySector = plan.streamSectors;
    plan.firstFatSector = plan.directorySector + 1;
    plan.firstDifatSector = plan.firstFatSector + plan.fatSectors;
    plan.sectorCount = plan.firstDifatSector + plan.difatSectors;
    return plan;
}

void PutHeader(std::string& out, const SectorPlan& plan)
{
    static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(kSignature), std::end(kSignature), out.begin());
    Put16(out, 24, 0x003E);  // minor version
    Put16(out, 26, 0x0003);  // major version: 512-byte sectors
    Put16(out, 28, 0xFFFE);  // little-endian
    Put16(out, 30, 9);       // sector size 2^9
    Put16(out, 32, 6);       // mini sector size 2^6
    Put32(out, 44, static_cast<std::uint32_t>(plan.fatSectors));
    Put32(out, 48, static_cast<std::uint32_t>(plan.directorySector));
    Put32(out, 56, static_cast<std::uint32_t>(kMiniStreamCutoff));
    Put32(out, 60, kEndOfChain);  // no mini FAT
    Put32(out, 68, plan.difatSectors ? static_cast<std::uint32_t>(plan.firstDifatSector) : kEndOfChain);
    Put32(out, 72, static_cast<std::uint32_t>(plan.difatSectors));
    for (std::size_t i = 0; i < kFatSectorsInHeader; ++i) {
        Put32(out, 76 + 4 * i,
              i < plan.fatSectors ? static_cast<std::uint32_t>(plan.firstFatSector + i) : kFreeSector);
    }
}

// The root storage, the stream as its only child, two free entries.
void PutDirectory(std::string& out, const SectorPlan& plan, std::u16string_view streamName)
{
    const std::size_t directory = SectorPlan::Offset(plan.directorySector);
    PutDirectoryEntry(out, directory, u"Root Entry", kRootStorageObject, 1, kEndOfChain, 0);
    PutDirectoryEntry(out, directory + kDirectoryEntryBytes, streamName, kStreamObject, kNoStream,
                      0, static_cast<std::uint32_t>(plan.streamBytes));
    PutFreeDirectoryEntry(out, directory + 2 * kDirectoryEntryBytes);
    PutFreeDirectoryEntry(out, directory + 3 * kDirectoryEntryBytes);
}

void PutFat(std::string& out, const SectorPlan& plan)
{
    const auto setFat = [&](std::size_t sector, std::uint32_t next) {
        Put32(out, SectorPlan::Offset(plan.firstFatSector) + 4 * sector, next);
    };
    for (std::size_t sector = 0; sector < plan.fatSectors * kEntriesPerFatSector; ++sector)
        setFat(sector, kFreeSector);
    for (std::size_t sector = 0; sector + 1 < plan.streamSectors; ++sector)
        setFat(sector, static_cast<std::uint32_t>(sector + 1));
    setFat(plan.streamSectors - 1, kEndOfChain);
    setFat(plan.directorySector, kEndOfChain);
    for (std::size_t i = 0; i < plan.fatSectors; ++i)
        setFat(plan.firstFatSector + i, kFatSector);
    for (std::size_t i = 0; i < plan.difatSectors; ++i)
        setFat(plan.firstDifatSector + i, kDifatSector);
}

// The FAT sectors beyond the header's 109, 127 a sector, each sector linking on.
void PutDifat(std::string& out, const SectorPlan& plan)
{
    for (std::size_t i = 0; i < plan.difatSectors; ++i) {
        const std::size_t at = SectorPlan::Offset(plan.firstDifatSector + i);
        for (std::size_t slot = 0; slot < kFatSectorsPerDifatSector; ++slot) {
            const std::size_t fat = kFatSectorsInHeader + i * kFatSectorsPerDifatSector + slot;
            Put32(out, at + 4 * slot,
                  fat < plan.fatSectors ? static_cast<std::uint32_t>(plan.firstFatSector + fat) : kFreeSector);
        }
        Put32(out, at + 4 * kFatSectorsPerDifatSector,
              i + 1 < plan.difatSectors ? static_cast<std::uint32_t>(plan.firstDifatSector + i + 1)
                                        : kEndOfChain);
    }
}

}  // namespace

std::string CompoundFileWithStream(std::u16string_view streamName, std::string_view content)
{
    const SectorPlan plan = PlanSectors(content.size());
    std::string out((1 + plan.sectorCount) * kSectorBytes, '\0');
    PutHeader(out, plan);
    // The stream, zero-padded to whole sectors.
    std::copy(content.begin(), content.end(), out.begin() + SectorPlan::Offset(0));
    PutDirectory(out, plan, streamName);
    PutFat(out, plan);
    PutDifat(out, plan);
    return out;
}

}  // namespace velmora
