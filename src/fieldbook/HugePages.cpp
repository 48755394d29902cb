// SPDX-License-Identifier: MIT
#include "fieldbook/HugePages.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace velmora {

namespace {

// Asks for huge pages over the whole 2 MiB pages inside [data, data + bytes), whatever its size.
void AdviseWholePages(void* data, std::size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePageBytes - 1) & ~std::uintptr_t{kHugePageBytes - 1};
    const std::uintptr_t last = (begin + bytes) & ~std::uintptr_t{kHugePageBytes - 1};
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

// A block of `bytes` that begins at a huge page, its whole pages advised; null when there is no
// memory. posix_memalign, as the size need be no multiple of the alignment.
void* AdvisedFromAHugePage(std::size_t bytes) noexcept
{
    void* block = nullptr;
    if (posix_memalign(&block, kHugePageBytes, bytes) != 0)
        return nullptr;
    AdviseWholePages(block, bytes);
    return block;
}

}  // namespace

void AdviseHugePages(void* data, std::size_t bytes) noexcept
{
    if (bytes >= kHugePageBlockBytes)
        AdviseWholePages(data, bytes);
}

void* AllocateHugePages(std::size_t pages) noexcept
{
    if (pages == 0 || pages > SIZE_MAX / kHugePageBytes)
        return nullptr;
    return AdvisedFromAHugePage(pages * kHugePageBytes);
}

void* AllocateLargeBlock(std::size_t bytes) noexcept
{
    if (bytes < kHugePageBlockBytes)
        return std::malloc(bytes);
    // Its huge pages begin with it. The last piece, short of a whole page, is left to small
    // ones: a huge page there would be mapped whole for the few bytes of it that are used.
    return AdvisedFromAHugePage(bytes);
}

}  // namespace velmora
