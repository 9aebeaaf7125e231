#pragma once

// Heap accounting for a benchmark program: every operator new and delete of the process
// passes through here. Allocations are always counted; while `counting` is on, live and peak
// bytes are kept too. The replacement operators are defined here, so exactly one source file
// of a benchmark program includes this header.
#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace heap {
inline std::atomic<long long> allocations{0};
inline std::atomic<bool> counting{false};
inline std::atomic<long long> live{0};
inline std::atomic<long long> peak{0};

inline void* allocate(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    if (counting.load(std::memory_order_relaxed)) {
        const auto bytes = static_cast<long long>(malloc_usable_size(p));
        const long long now = live.fetch_add(bytes, std::memory_order_relaxed) + bytes;
        long long seen = peak.load(std::memory_order_relaxed);
        while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
        }
    }
    return p;
}

inline void release(void* p) noexcept {
    if (!p)
        return;
    if (counting.load(std::memory_order_relaxed))
        live.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

// Starts counting bytes from zero at the current state of the heap.
inline void startCounting() {
    live = 0;
    peak = 0;
    counting = true;
}
} // namespace heap

void* operator new(std::size_t n) {
    return heap::allocate(n);
}
void* operator new[](std::size_t n) {
    return heap::allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return heap::allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return heap::allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    heap::release(p);
}
void operator delete[](void* p) noexcept {
    heap::release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    heap::release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    heap::release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    heap::release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    heap::release(p);
}
