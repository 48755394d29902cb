// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

/// A RecordList keeps its records in blocks of this many bytes, aligned to their size, so
/// that a record finds its block from its own address. A block begins with its header.
inline constexpr std::size_t kRecordBlockBytes = std::size_t{1} << 18;

/// The head of a block: the base from which the block's records count where their lines stand.
struct RecordBlockHeader {
    const char* base = nullptr;
};

/// The base of the block that holds the record at `record`.
inline const char* RecordBlockBase(const void* record)
{
    const auto block = reinterpret_cast<std::uintptr_t>(record) & ~std::uintptr_t{kRecordBlockBytes - 1};
    return reinterpret_cast<const RecordBlockHeader*>(block)->base;
}

/// Where `at` stands in `text` (its end included), or nothing when it points elsewhere. The
/// addresses are compared as integers: `at` may point into another object (a record's own
/// copy of its line), and pointers into different objects have no order.
inline std::optional<std::size_t> PlaceIn(std::string_view text, const char* at)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
    const auto place = reinterpret_cast<std::uintptr_t>(at);
    if (!at || !text.data() || place < begin || place - begin > text.size())
        return std::nullopt;
    return static_cast<std::size_t>(place - begin);
}

}  // namespace velmora
