// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the fuzz targets and the regression tests that replay their findings: an
// input reader, a failure that names the broken invariant, and scratch files.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::fuzz {

/// An invariant that did not hold. The fuzz targets turn it into an abort (a finding); the
/// regression tests report it as a failed test.
struct CheckFailure : std::logic_error {
    using std::logic_error::logic_error;
};

/// Throws CheckFailure with the message.
[[noreturn]] void Fail(const std::string& message);

/// Fails with `message` when `condition` is false; the message is built only then.
#define FUZZ_REQUIRE(condition, message)         \
    do {                                         \
        if (!(condition))                        \
            ::velmora::fuzz::Fail(message);      \
    } while (false)

/// Takes the input apart from the front; past its end every value is zero and every text empty,
/// so any input is a valid one.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    bool empty() const { return data_.empty(); }
    std::size_t remaining() const { return data_.size(); }
    std::uint8_t Byte();
    std::uint16_t Word();
    /// A value from 0 to count − 1 (0 when count is 0).
    std::size_t Pick(std::size_t count) { return count == 0 ? 0 : Byte() % count; }
    bool Flag() { return (Byte() & 1) != 0; }
    /// The next `count` bytes (fewer at the end).
    std::string_view Take(std::size_t count);
    /// A text whose length comes from the input, at most `maxLength` bytes.
    std::string_view Text(std::size_t maxLength);
    std::string_view Rest();

private:
    std::string_view data_;
};

/// A path in this process's scratch folder (made on first use, removed at exit).
std::string ScratchPath(std::string_view fileName);

/// The whole content of a file, or `false` when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);
void WriteWholeFile(const std::string& path, std::string_view content);

/// Printable form of bytes, for failure messages.
std::string Shown(std::string_view bytes);

}  // namespace velmora::fuzz
