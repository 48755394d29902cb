// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace velmora {

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

}  // namespace velmora
