// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

/// A RecordList keeps its records in blocks of this many bytes, aligned to their size, so
/// that a record finds its block from its own address. A block begins with its header.
inline constexpr std::size_t kRecordBlockBytes = std::size_t{1} << 18;

/// What the records of a block keep that does not stand in their lines: the run numbers that
/// a layout made or carried over from the line before (a word-based book names its run once),
/// once for each stretch of records that share one, and the texts a layout makes of a line's
/// fields (FieldBookLayout::MakeText), made when first asked for. Nothing here moves once
/// added, so views of it stay valid for the block's life.
struct RecordBlockTexts {
    /// Where in the block (PlaceInRecordBlock) the records of each kept run number begin, in
    /// order; a record that keeps its run number here has the last that begins at or before it.
    std::vector<std::uint32_t> runFrom;
    std::deque<std::string> runs;  ///< the run number of each entry of runFrom
    /// Keyed by the record's place in its block and the field.
    std::unordered_map<std::uint64_t, std::string> made;
};

/// The head of a block: the base from which the block's records count where their lines
/// stand, and the texts its records keep apart (null while none does).
struct RecordBlockHeader {
    const char* base = nullptr;
    std::unique_ptr<RecordBlockTexts> texts;
};

/// The base of the block that holds the record at `record`.
inline const char* RecordBlockBase(const void* record)
{
    const auto block = reinterpret_cast<std::uintptr_t>(record) & ~std::uintptr_t{kRecordBlockBytes - 1};
    return reinterpret_cast<const RecordBlockHeader*>(block)->base;
}

/// Where the record at `record` stands in its block, in bytes from the block's start.
inline std::uint32_t PlaceInRecordBlock(const void* record)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record) & (kRecordBlockBytes - 1));
}

/// The header of the block that holds the record at `record`. Its texts are filled as they are
/// asked for, from records that are otherwise only read; the block belongs to the list.
inline RecordBlockHeader& RecordBlockHeaderOf(const void* record)
{
    const auto block = reinterpret_cast<std::uintptr_t>(record) & ~std::uintptr_t{kRecordBlockBytes - 1};
    return *reinterpret_cast<RecordBlockHeader*>(block);
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
