// SPDX-License-Identifier: MIT
// The programs' allocation functions: a large block comes with huge pages asked for, a small one
// as the C library gives it. Read from the kernel's own account of the process's mappings.
#include "fieldbook/HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Whether the mapping that holds `address` is marked for huge pages ("hg" among its VmFlags).
bool AdvisedForHugePages(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(maps, line)) {
        std::uintptr_t begin = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> begin >> dash >> end && dash == '-') {
            inside = begin <= at && at < end;
            continue;
        }
        if (inside && line.starts_with("VmFlags:"))
            return line.find(" hg") != std::string::npos;
    }
    return false;
}

bool HugePagesAvailable()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;  // the programs' allocation functions give way to the sanitizer's
#else
    return access("/sys/kernel/mm/transparent_hugepage/enabled", R_OK) == 0 &&
           access("/proc/self/smaps", R_OK) == 0;
#endif
}

TEST(LargeBlocksTest, ALargeBlockAsksForHugePagesAndASmallOneDoesNot)
{
    if (!HugePagesAvailable())
        GTEST_SKIP() << "no transparent huge pages here";
    const std::size_t large = velmora::kHugePageBlockBytes * 4;
    const std::unique_ptr<char[]> block(new char[large]);
    EXPECT_TRUE(AdvisedForHugePages(block.get() + large / 2));
    const std::unique_ptr<char[]> small(new char[velmora::kHugePageBlockBytes / 64]);
    EXPECT_FALSE(AdvisedForHugePages(small.get()));
}

// Asked for from its first byte to its last whole huge page, whatever its size.
TEST(LargeBlocksTest, ALargeBlockIsAdvisedFromItsFirstByte)
{
    if (!HugePagesAvailable())
        GTEST_SKIP() << "no transparent huge pages here";
    for (const std::size_t size : {velmora::kHugePageBlockBytes, velmora::kHugePageBlockBytes + 1,
                                   3 * velmora::kHugePageBlockBytes + 12345}) {
        SCOPED_TRACE(size);
        const std::unique_ptr<char[]> block(new char[size]);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.get()) % velmora::kHugePageBytes, 0u);
        EXPECT_TRUE(AdvisedForHugePages(block.get()));
        EXPECT_TRUE(AdvisedForHugePages(block.get() + size / velmora::kHugePageBytes * velmora::kHugePageBytes - 1));
    }
}

}  // namespace
