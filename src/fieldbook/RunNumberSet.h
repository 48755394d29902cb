// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace velmora {

/// Hash for text keys that can be searched with a string_view as well as a string.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept
    {
        return std::hash<std::string_view>{}(text);
    }
};

/// A set of run numbers (trimmed texts, compared byte by byte).
using RunNumberSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

}  // namespace velmora
