// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>

namespace velmora {

/// Stack, in bytes, of the thread a library call runs on: the zip writer beneath the
/// spreadsheet library keeps a 64 KiB buffer on its stack, more than a process started with a
/// small stack limit (ulimit -s 64) has left.
inline constexpr std::size_t kLibraryStackBytes = std::size_t{1} << 20;

/// Runs `call`, which calls into a C library, so that the library can neither run out of stack
/// nor write to the terminal: on a thread of its own with kLibraryStackBytes of stack, whatever
/// the process's stack limit, and with the C library's `stderr` pointed at a stream that drops
/// what is written to it while the call runs (the library prints its own diagnostics there;
/// the failure it reports is ours to word). Neither needs a file descriptor. One call at a time
/// in the process; the caller waits for it. An exception thrown by `call` reaches the caller.
///
/// False, with `code` the errno value (EAGAIN, ENOMEM), when the thread cannot be started:
/// `call` has not run.
bool CallLibrary(const std::function<void()>& call, int& code);

}  // namespace velmora
