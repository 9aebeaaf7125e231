#pragma once

#include "core/block_array.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

namespace kv {

// Minimum and maximum of a sequence of numbers, kept per block of values and again per
// group of blocks, so that the extremes of any index range, and the first place where a
// block condition holds, cost a few dozen steps however long the sequence is. Appending
// keeps it current in constant time (a block joins the index when it is full; the values
// after the last full block are read where they are kept); it costs about half a byte per
// value.
//
// Values that are not a number stand for entries without a value (a break in a record) and
// are left out: a range of them alone has no extremes.
//
// The index does not own the values: every call that reads them takes the sequence they are
// kept in, of any type that gives value i as a double through operator[] and a pointer to
// `count` values from `first` through contiguous(first, count) when they lie in one piece
// (nullptr otherwise).
class MinMaxIndex {
public:
    struct Extremes {
        double min = std::numeric_limits<double>::infinity();
        double max = -std::numeric_limits<double>::infinity();
        // No value was taken.
        bool empty() const { return !(min <= max); }
        // Not-a-number fails both comparisons and so is passed over; on a tie the value
        // taken first stays (a zero keeps its sign).
        void take(double lo, double hi) {
            if (lo < min)
                min = lo;
            if (hi > max)
                max = hi;
        }
    };
    // Answers whether a set of values with these extremes may hold what is searched for.
    using BlockTest = std::function<bool(double min, double max)>;

    static constexpr std::size_t kLeaf = 32; // values per leaf block
    static constexpr std::size_t kFan = 8;   // blocks per group on the levels above

    void clear();
    // The value after the last one (not-a-number: one without a value).
    void append(double v);
    template <typename Values> void rebuild(const Values& data, std::size_t count);

    std::size_t count() const { return count_; }

    // Extremes of data[first..last], both inclusive; first <= last < count(). Empty when
    // none of them has a value.
    template <typename Values>
    Extremes range(const Values& data, std::size_t first, std::size_t last) const;

    // The first index in first..last whose value v satisfies test(v, v), where test is
    // also asked about whole blocks and must answer true for a block whenever one of its
    // values would pass. -1 when there is none. Entries without a value never pass.
    template <typename Values>
    long findFirst(const Values& data, std::size_t first, std::size_t last,
                   const BlockTest& test) const;

    std::size_t storageBytes() const;

private:
    std::size_t span(int level) const; // values under one node of `level`
    template <typename Values>
    long findIn(const Values& data, int maxLevel, std::size_t first, std::size_t end,
                const BlockTest& test) const;

    // Level 0 holds one node per full leaf block, each level above one per full group of
    // the level below: only whole blocks are ever looked up.
    std::vector<BlockArray<Extremes>> levels_;
    Extremes pending_; // of the values after the last full leaf block
    std::size_t count_ = 0;
};

template <typename Values> void MinMaxIndex::rebuild(const Values& data, std::size_t count) {
    clear();
    for (std::size_t i = 0; i < count; ++i)
        append(data[i]);
}

template <typename Values>
MinMaxIndex::Extremes MinMaxIndex::range(const Values& data, std::size_t first,
                                         std::size_t last) const {
    Extremes acc;
    if (last - first < 8) {
        // A few values (columns of a short series): no set-up is cheaper than reading them.
        for (std::size_t i = first; i <= last; ++i) {
            const double v = data[i];
            acc.take(v, v);
        }
        return acc;
    }
    std::size_t i = first, j = last + 1;
    // Loose values at both ends, up to the block boundaries. A leaf lies within one piece
    // of the store but for the very first, so these loops run on a plain pointer.
    const std::size_t head = std::min(j, (i + kLeaf - 1) / kLeaf * kLeaf);
    if (const auto* p = data.contiguous(i, head - i)) {
        for (; i < head; ++i, ++p) {
            const double v = *p;
            acc.take(v, v);
        }
    }
    for (; i < head; ++i) {
        const double v = data[i];
        acc.take(v, v);
    }
    const std::size_t tail = std::max(i, j / kLeaf * kLeaf);
    if (const auto* p = data.contiguous(tail, j - tail)) {
        for (p += j - tail; j > tail;) {
            --j;
            --p;
            const double v = *p;
            acc.take(v, v);
        }
    }
    while (j > tail) {
        --j;
        const double v = data[j];
        acc.take(v, v);
    }
    std::size_t bi = i / kLeaf, bj = j / kLeaf;
    for (std::size_t level = 0; bi < bj && level < levels_.size(); ++level) {
        const BlockArray<Extremes>& nodes = levels_[level];
        if (level + 1 == levels_.size()) {
            for (; bi < bj; ++bi)
                acc.take(nodes[bi].min, nodes[bi].max);
            break;
        }
        while (bi < bj && bi % kFan != 0) {
            acc.take(nodes[bi].min, nodes[bi].max);
            ++bi;
        }
        while (bj > bi && bj % kFan != 0) {
            --bj;
            acc.take(nodes[bj].min, nodes[bj].max);
        }
        bi /= kFan;
        bj /= kFan;
    }
    return acc;
}

template <typename Values>
long MinMaxIndex::findFirst(const Values& data, std::size_t first, std::size_t last,
                            const BlockTest& test) const {
    if (first > last || last >= count_)
        return -1;
    return findIn(data, int(levels_.size()) - 1, first, last + 1, test);
}

// Scans first..end-1 from the left, taking whole nodes of at most `maxLevel` where they
// fit and descending into those that pass the test.
template <typename Values>
long MinMaxIndex::findIn(const Values& data, int maxLevel, std::size_t first, std::size_t end,
                         const BlockTest& test) const {
    std::size_t i = first;
    while (i < end) {
        int level = -1;
        for (int l = 0; l <= maxLevel; ++l) {
            const std::size_t s = span(l);
            if (i % s != 0 || i + s > end || i / s >= levels_[std::size_t(l)].size())
                break;
            level = l;
        }
        if (level < 0) {
            const double v = data[i];
            if (v == v && test(v, v))
                return long(i);
            ++i;
            continue;
        }
        const std::size_t s = span(level);
        const Extremes& e = levels_[std::size_t(level)][i / s];
        if (!e.empty() && test(e.min, e.max)) {
            const long found = findIn(data, level - 1, i, i + s, test);
            if (found >= 0)
                return found;
        }
        i += s;
    }
    return -1;
}

} // namespace kv
