// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace velmora {

/// The size of a huge page, bytes.
constexpr std::size_t kHugePageBytes = std::size_t{1} << 21;

/// The smallest block that AdviseHugePages and the programs' allocation functions ask huge
/// pages for, bytes: below it a block holds hardly a whole huge page.
constexpr std::size_t kHugePageBlockBytes = std::size_t{4} << 20;

/// Asks the system to back the whole 2 MiB pages that lie inside [data, data + bytes) with huge
/// pages, where it allows that for memory that asks (transparent huge pages in `madvise` mode, as
/// Debian sets them). The first touch of such a page then maps 2 MiB at one page fault instead
/// of 4 KiB at each of 512; on a virtual machine, where a page fault costs microseconds, that is
/// most of the time a large book or network spends on its fresh memory. Only a hint: the
/// memory and its bytes are the same whether it is taken or not. Blocks below
/// kHugePageBlockBytes are left alone.
void AdviseHugePages(void* data, std::size_t bytes) noexcept;

/// `pages` whole huge pages for std::free, beginning at one and advised (AdviseHugePages, the
/// size of the block notwithstanding); null when there is no memory.
void* AllocateHugePages(std::size_t pages) noexcept;

/// A block of `bytes` for std::free, null when there is no memory: from malloc below
/// kHugePageBlockBytes; from there up it begins at a huge page and is advised
/// (AdviseHugePages), so that its first part is not left to 4 KiB pages (up to 511 of them in a
/// block that malloc places anywhere).
void* AllocateLargeBlock(std::size_t bytes) noexcept;

}  // namespace velmora
