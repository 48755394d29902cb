// SPDX-License-Identifier: MIT
#include "fieldbook/HugePages.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace velmora {

void AdviseHugePages(void* data, std::size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    if (bytes < kHugePageBlockBytes)
        return;
    constexpr std::uintptr_t kHugePage = kHugePageBytes;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void* AllocateHugePages(std::size_t pages) noexcept
{
    if (pages == 0 || pages > SIZE_MAX / kHugePageBytes)
        return nullptr;
    const std::size_t bytes = pages * kHugePageBytes;
    void* block = std::aligned_alloc(kHugePageBytes, bytes);
#ifdef MADV_HUGEPAGE
    if (block)
        madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void* AllocateLargeBlock(std::size_t bytes) noexcept
{
    if (bytes < kHugePageBlockBytes)
        return std::malloc(bytes);
    // Its huge pages begin with it. The last piece, short of a whole page, is left to small
    // ones: a huge page there would be mapped whole for the few bytes of it that are used.
    // posix_memalign, as the size is no multiple of the alignment.
    void* block = nullptr;
    if (posix_memalign(&block, kHugePageBytes, bytes) != 0)
        return nullptr;
    AdviseHugePages(block, bytes);
    return block;
}

}  // namespace velmora
