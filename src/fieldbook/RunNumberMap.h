// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/RunNumberSet.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace velmora {

/// A map from run numbers (trimmed texts, compared byte by byte) to values of T.
///
/// Numbers of up to seven bytes, the usual ones, are kept by a key packed from their bytes and
/// their length, so that equal numbers and only they give equal keys: they are found without
/// hashing a text, and an entry holds no string (a book has one entry per run, so this is most
/// of what the map costs). Longer numbers are kept by their text.
template <typename T>
class RunNumberMap {
public:
    void reserve(std::size_t count) { shortRuns_.reserve(count); }

    /// The value of that number, value-initialised first when there is none.
    T& operator[](std::string_view runNumber)
    {
        if (const std::optional<std::uint64_t> key = ShortKey(runNumber))
            return shortRuns_[*key];
        auto found = longRuns_.find(runNumber);
        if (found == longRuns_.end())
            found = longRuns_.try_emplace(std::string(runNumber)).first;
        return found->second;
    }

    /// The value of that number, or null when there is none.
    const T* Find(std::string_view runNumber) const
    {
        if (const std::optional<std::uint64_t> key = ShortKey(runNumber)) {
            const auto found = shortRuns_.find(*key);
            return found == shortRuns_.end() ? nullptr : &found->second;
        }
        const auto found = longRuns_.find(runNumber);
        return found == longRuns_.end() ? nullptr : &found->second;
    }
    T* Find(std::string_view runNumber) { return const_cast<T*>(std::as_const(*this).Find(runNumber)); }

private:
    static std::optional<std::uint64_t> ShortKey(std::string_view runNumber)
    {
        constexpr std::size_t kMaxBytes = 7;
        if (runNumber.size() > kMaxBytes)
            return std::nullopt;
        std::uint64_t key = runNumber.size();
        for (const char c : runNumber)
            key = (key << 8) | static_cast<unsigned char>(c);
        return key;
    }

    std::unordered_map<std::uint64_t, T> shortRuns_;
    std::unordered_map<std::string, T, TextHash, std::equal_to<>> longRuns_;
};

}  // namespace velmora
