#pragma once

#include "chart/block_array.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace kv {

// Minimum and maximum of a sequence of doubles, kept per block of values and again per
// group of blocks, so that the extremes of any index range, and the first place where a
// block condition holds, cost a few dozen steps however long the sequence is. Appending
// keeps it current in constant time (its levels grow in blocks like the values); it costs
// about half a byte per value. The index does not own the values: every call that reads
// them takes the array they are kept in.
// Not-a-number values must not be present (callers check before using it).
class MinMaxIndex {
public:
    struct Extremes {
        double min = 0;
        double max = 0;
    };
    // Answers whether a set of values with these extremes may hold what is searched for.
    using BlockTest = std::function<bool(double min, double max)>;

    static constexpr std::size_t kLeaf = 32; // values per leaf block
    static constexpr std::size_t kFan = 8;   // blocks per group on the levels above

    using Values = BlockArray<double>;

    void clear();
    void rebuild(const Values& data, std::size_t count);
    // data[count - 1] was just appended.
    void append(const Values& data, std::size_t count);

    std::size_t count() const { return count_; }

    // Extremes of data[first..last], both inclusive; first <= last < count().
    Extremes range(const Values& data, std::size_t first, std::size_t last) const;

    // The first index in first..last whose value v satisfies test(v, v), where test is
    // also asked about whole blocks and must answer true for a block whenever one of its
    // values would pass. -1 when there is none.
    long findFirst(const Values& data, std::size_t first, std::size_t last,
                   const BlockTest& test) const;

    std::size_t storageBytes() const;

private:
    std::size_t span(int level) const; // values under one node of `level`
    long findIn(const Values& data, int maxLevel, std::size_t first, std::size_t end,
                const BlockTest& test) const;

    std::vector<BlockArray<Extremes>> levels_;
    std::size_t count_ = 0;
};

} // namespace kv
