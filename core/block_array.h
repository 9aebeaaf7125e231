#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace kv {

namespace blocks {
constexpr std::size_t floorLog2(std::size_t v) {
    std::size_t r = 0;
    while (v > 1) {
        v >>= 1;
        ++r;
    }
    return r;
}
} // namespace blocks

// A sequence that grows in blocks which stay where they were put: growing never copies or
// moves what is stored, so the cost of an append does not depend on the length, and the
// memory held is the elements plus at most one partly filled block. A block is allocated
// raw; an element is built when it is added, so a new block's pages are touched one by
// one as it fills, not all at once.
//
// The first blocks double in size (a short list holds a few elements' worth), from
// kBlock elements on every block has that size; an element is found by index in a few
// steps either way. Inserting or erasing in the middle shifts the elements behind it by
// one, block by block.
template <typename T> class BlockArray {
public:
    // Elements in the first block, and in every block once they stop growing: about 32
    // bytes and 64 KiB, in powers of two.
    static constexpr std::size_t kFirst =
        std::size_t(1) << blocks::floorLog2(std::max<std::size_t>(1, 32 / sizeof(T)));
    static constexpr std::size_t kBlock =
        std::size_t(1) << blocks::floorLog2(std::max<std::size_t>(1, 65536 / sizeof(T)));

    BlockArray() = default;
    ~BlockArray() { clear(); }
    BlockArray(BlockArray&& o) noexcept
        : blocks_(std::move(o.blocks_)), size_(o.size_), capacity_(o.capacity_) {
        o.forget();
    }
    BlockArray& operator=(BlockArray&& o) noexcept {
        if (this != &o) {
            clear();
            blocks_ = std::move(o.blocks_);
            size_ = o.size_;
            capacity_ = o.capacity_;
            o.forget();
        }
        return *this;
    }
    BlockArray(const BlockArray&) = delete;
    BlockArray& operator=(const BlockArray&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    const T& operator[](std::size_t i) const { return *slot(i); }
    T& operator[](std::size_t i) { return *slot(i); }
    // Elements first..first+count-1 through one pointer, when they lie in one block;
    // nullptr when they do not (or count is 0). For loops over short runs that must not pay the
    // lookup for every element.
    const T* contiguous(std::size_t first, std::size_t count) const {
        if (count == 0)
            return nullptr;
        const std::size_t block = blockOf(first), start = blockStart(block);
        return first + count <= start + blockSize(block) ? blocks_[block] + (first - start)
                                                         : nullptr;
    }
    const T& back() const { return (*this)[size_ - 1]; }
    T& back() { return (*this)[size_ - 1]; }

    // The first index whose element fails pred, for elements where every one that passes
    // comes before every one that fails (as std::partition_point); size() when all pass.
    template <typename Pred> std::size_t partitionPoint(Pred pred) const {
        std::size_t lo = 0, hi = size_;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (pred((*this)[mid]))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    void push_back(T v) {
        if (size_ == capacity_) {
            const std::size_t n = blockSize(blocks_.size());
            blocks_.push_back(nullptr);
            try {
                blocks_.back() = std::allocator<T>().allocate(n);
            } catch (...) {
                blocks_.pop_back();
                throw;
            }
            capacity_ += n;
        }
        ::new (static_cast<void*>(slot(size_))) T(std::move(v));
        ++size_;
    }

    void pop_back() {
        --size_;
        slot(size_)->~T();
    }

    // Inserts v before index at (at == size() appends).
    void insert(std::size_t at, T v) {
        if (at >= size_) {
            push_back(std::move(v));
            return;
        }
        push_back(std::move(back()));
        // The elements from at to the old last but one move up by one, block by block
        // from the end.
        std::size_t p = size_ - 2;
        while (p > at) {
            const std::size_t block = blockOf(p);
            T* base = blocks_[block];
            const std::size_t start = blockStart(block);
            const std::size_t offset = p - start;
            if (start > at) {
                std::move_backward(base, base + offset, base + offset + 1);
                base[0] = std::move((*this)[start - 1]);
                p = start - 1;
            } else {
                std::move_backward(base + (at - start), base + offset, base + offset + 1);
                p = at;
            }
        }
        (*this)[at] = std::move(v);
    }

    // Removes the element at index at; the elements behind it move down by one.
    void erase(std::size_t at) {
        std::size_t p = at;
        while (p + 1 < size_) {
            const std::size_t block = blockOf(p);
            T* base = blocks_[block];
            const std::size_t start = blockStart(block);
            const std::size_t last = std::min(size_, start + blockSize(block)) - 1;
            std::move(base + (p - start) + 1, base + (last - start) + 1, base + (p - start));
            if (last + 1 >= size_)
                break;
            base[last - start] = std::move((*this)[last + 1]);
            p = last + 1;
        }
        pop_back();
    }

    // Empties the array and gives back every block.
    void clear() {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            for (std::size_t i = 0; i < size_; ++i)
                slot(i)->~T();
        }
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            std::allocator<T>().deallocate(blocks_[b], blockSize(b));
        std::vector<T*>().swap(blocks_);
        size_ = capacity_ = 0;
    }

    // Heap bytes of the blocks and of the table that points to them.
    std::size_t storageBytes() const {
        return capacity_ * sizeof(T) + blocks_.capacity() * sizeof(T*);
    }

private:
    static std::size_t blockSize(std::size_t block) {
        if (block == 0)
            return kFirst;
        return block < kGrowing ? kFirst << (block - 1) : kBlock;
    }
    static std::size_t blockStart(std::size_t block) {
        if (block == 0)
            return 0;
        return block < kGrowing ? kFirst << (block - 1) : (block - kGrowing + 1) * kBlock;
    }
    static std::size_t blockOf(std::size_t i) {
        if (i >= kBlock)
            return kGrowing - 1 + (i >> kBlockBits);
        if (i < kFirst)
            return 0;
        return highestBit(i >> kFirstBits) + 1;
    }
    static std::size_t highestBit(std::size_t v) {
        return sizeof(v) * 8 - 1 - std::size_t(__builtin_clzll(static_cast<unsigned long long>(v)));
    }
    T* slot(std::size_t i) const {
        if (i >= kBlock)
            return blocks_[kGrowing - 1 + (i >> kBlockBits)] + (i & (kBlock - 1));
        if (i < kFirst)
            return blocks_[0] + i;
        const std::size_t block = highestBit(i >> kFirstBits) + 1;
        return blocks_[block] + (i - (kFirst << (block - 1)));
    }
    void forget() {
        blocks_.clear();
        size_ = capacity_ = 0;
    }

    static constexpr std::size_t kFirstBits = blocks::floorLog2(kFirst);
    static constexpr std::size_t kBlockBits = blocks::floorLog2(kBlock);
    // Blocks before the first of full size: one of kFirst, then doubling up to kBlock / 2.
    static constexpr std::size_t kGrowing = kBlockBits - kFirstBits + 1;

    std::vector<T*> blocks_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace kv
