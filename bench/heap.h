#pragma once

// Bytes the program holds on the heap now: small blocks and those mapped on their own.
#include <cstddef>
#include <malloc.h>

namespace kv::bench {

inline std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace kv::bench
