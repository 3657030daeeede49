#include "LargestAllocation.h"

#include <atomic>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define MARLUNE_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MARLUNE_OWN_ALLOCATOR 1
#endif

namespace {

std::atomic<bool> g_watching{false};
std::atomic<std::size_t> g_largest{0};

// Unused where a sanitizer brings its own allocator (then nothing is watched).
[[maybe_unused]] void Note(std::size_t bytes) {
    if (!g_watching.load(std::memory_order_relaxed)) {
        return;
    }
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (bytes > seen && !g_largest.compare_exchange_weak(seen, bytes, std::memory_order_relaxed)) {
    }
}

} // namespace

#ifndef MARLUNE_OWN_ALLOCATOR
// The C library's allocator under its own names: these definitions take the place of
// malloc, calloc and realloc for the whole program (shared libraries such as libpng
// included), note the size and pass the call on. free stays the C library's.
extern "C" {
void* __libc_malloc(std::size_t size) noexcept;
void* __libc_calloc(std::size_t count, std::size_t size) noexcept;
void* __libc_realloc(void* pointer, std::size_t size) noexcept;

void* malloc(std::size_t size) noexcept {
    Note(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    Note(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) noexcept {
    Note(size);
    return __libc_realloc(pointer, size);
}
}
#endif

namespace marlune::test {

LargestAllocation::LargestAllocation() {
    g_largest.store(0);
    g_watching.store(true);
}

LargestAllocation::~LargestAllocation() {
    g_watching.store(false);
}

std::size_t LargestAllocation::Bytes() const {
    return g_largest.load();
}

bool LargestAllocation::Available() {
#ifdef MARLUNE_OWN_ALLOCATOR
    return false;
#else
    return true;
#endif
}

} // namespace marlune::test
