// SPDX-License-Identifier: MIT
// The programs' allocation functions: those of the C++ library, except that a large block is
// asked to be backed by huge pages (AllocateLargeBlock). A book of a million lines or a network of
// a million stations fills hundreds of megabytes of vectors once; mapped 4 KiB at a fault, that
// cost the tool more system time than its own work took (adjust on a million stations: 1.9 s
// of CPU, 0.46 s with huge pages). Linked into the programs, not into the libraries, so that the
// tests keep the allocator they run under (the sanitizers' own among them).
#include "fieldbook/HugePages.h"

#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define VELMORA_SANITIZED_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_SANITIZED_ALLOCATOR 1
#endif

#ifndef VELMORA_SANITIZED_ALLOCATOR

namespace {

void* Allocate(std::size_t size)
{
    if (size == 0)
        size = 1;
    for (;;) {
        if (void* block = velmora::AllocateLargeBlock(size))
            return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void* AllocateOrNull(std::size_t size) noexcept
{
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

#endif
