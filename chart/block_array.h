#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
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
// memory held is the elements plus at most one partly filled block.
//
// The first blocks double in size (a short list holds a few elements' worth), from
// kBlock elements on every block has that size; an element is found by index in a few
// steps either way. Inserting or erasing in the middle shifts the elements behind it by
// one, block by block. T must be default-constructible.
template <typename T> class BlockArray {
public:
    // Elements in the first block, and in every block once they stop growing: about 32
    // bytes and 64 KiB, in powers of two.
    static constexpr std::size_t kFirst =
        std::size_t(1) << blocks::floorLog2(std::max<std::size_t>(1, 32 / sizeof(T)));
    static constexpr std::size_t kBlock =
        std::size_t(1) << blocks::floorLog2(std::max<std::size_t>(1, 65536 / sizeof(T)));

    BlockArray() = default;
    BlockArray(BlockArray&&) noexcept = default;
    BlockArray& operator=(BlockArray&&) noexcept = default;
    BlockArray(const BlockArray&) = delete;
    BlockArray& operator=(const BlockArray&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    const T& operator[](std::size_t i) const {
        if (i >= kBlock)
            return blocks_[kGrowing - 1 + (i >> kBlockBits)][i & (kBlock - 1)];
        return smallAt(i);
    }
    T& operator[](std::size_t i) {
        return const_cast<T&>(static_cast<const BlockArray&>(*this)[i]);
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
            blocks_.emplace_back(new T[n]);
            capacity_ += n;
        }
        (*this)[size_++] = std::move(v);
    }

    void pop_back() {
        --size_;
        (*this)[size_] = T(); // gives back what the element holds (a string's memory)
    }

    // Inserts v before index at (at == size() appends).
    void insert(std::size_t at, T v) {
        if (at >= size_) {
            push_back(std::move(v));
            return;
        }
        push_back(T());
        // Every element from at on moves up by one, block by block from the end.
        std::size_t p = size_ - 1;
        while (p > at) {
            std::size_t offset = 0;
            T* block = locate(p, offset);
            const std::size_t start = p - offset;
            if (start > at) {
                std::move_backward(block, block + offset, block + offset + 1);
                block[0] = std::move((*this)[start - 1]);
                p = start - 1;
            } else {
                std::move_backward(block + (at - start), block + offset, block + offset + 1);
                p = at;
            }
        }
        (*this)[at] = std::move(v);
    }

    // Removes the element at index at; the elements behind it move down by one.
    void erase(std::size_t at) {
        std::size_t p = at;
        while (p + 1 < size_) {
            std::size_t offset = 0;
            T* block = locate(p, offset);
            const std::size_t start = p - offset;
            const std::size_t last = std::min(size_, start + blockSize(blockOf(p))) - 1;
            std::move(block + offset + 1, block + (last - start) + 1, block + offset);
            if (last + 1 >= size_)
                break;
            block[last - start] = std::move((*this)[last + 1]);
            p = last + 1;
        }
        pop_back();
    }

    // Empties the array and gives back every block.
    void clear() {
        std::vector<std::unique_ptr<T[]>>().swap(blocks_);
        size_ = capacity_ = 0;
    }

    // Heap bytes of the blocks and of the table that points to them.
    std::size_t storageBytes() const {
        return capacity_ * sizeof(T) + blocks_.capacity() * sizeof(blocks_[0]);
    }

private:
    static std::size_t blockSize(std::size_t block) {
        if (block == 0)
            return kFirst;
        return block < kGrowing ? kFirst << (block - 1) : kBlock;
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
    const T& smallAt(std::size_t i) const {
        if (i < kFirst)
            return blocks_[0][i];
        const std::size_t block = highestBit(i >> kFirstBits) + 1;
        return blocks_[block][i - (kFirst << (block - 1))];
    }
    // The block holding index i, and i's offset in it.
    T* locate(std::size_t i, std::size_t& offset) {
        const std::size_t block = blockOf(i);
        offset = block == 0 ? i
                            : i - (block < kGrowing ? kFirst << (block - 1)
                                                    : (block - kGrowing + 1) * kBlock);
        return blocks_[block].get();
    }

    static constexpr std::size_t kFirstBits = blocks::floorLog2(kFirst);
    static constexpr std::size_t kBlockBits = blocks::floorLog2(kBlock);
    // Blocks before the first of full size: one of kFirst, then doubling up to kBlock / 2.
    static constexpr std::size_t kGrowing = kBlockBits - kFirstBits + 1;

    std::vector<std::unique_ptr<T[]>> blocks_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace kv
