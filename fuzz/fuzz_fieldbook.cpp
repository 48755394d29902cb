// SPDX-License-Identifier: MIT
// Random bytes as a field book: see CheckFieldBook in checks/FieldBookChecks.cpp.
#include "checks/FuzzChecks.h"
#include "checks/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        velmora::fuzz::CheckFieldBook({reinterpret_cast<const char*>(data), size});
    } catch (const velmora::fuzz::CheckFailure& failure) {
        std::fprintf(stderr, "fuzz_fieldbook: %s\n", failure.what());
        std::abort();
    }
    return 0;
}
