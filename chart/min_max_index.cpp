#include "chart/min_max_index.h"

#include <algorithm>

namespace kv {

namespace {

void take(MinMaxIndex::Extremes& acc, double lo, double hi) {
    if (lo < acc.min)
        acc.min = lo;
    if (hi > acc.max)
        acc.max = hi;
}

void take(MinMaxIndex::Extremes& acc, bool& any, double lo, double hi) {
    if (!any) {
        acc = {lo, hi};
        any = true;
        return;
    }
    take(acc, lo, hi);
}

} // namespace

void MinMaxIndex::clear() {
    std::vector<BlockArray<Extremes>>().swap(levels_);
    count_ = 0;
}

void MinMaxIndex::rebuild(const Values& data, std::size_t count) {
    clear();
    for (std::size_t n = 1; n <= count; ++n)
        append(data, n);
}

std::size_t MinMaxIndex::span(int level) const {
    std::size_t s = kLeaf;
    for (int l = 0; l < level; ++l)
        s *= kFan;
    return s;
}

void MinMaxIndex::append(const Values& data, std::size_t count) {
    count_ = count;
    const double v = data[count - 1];
    std::size_t node = (count - 1) / kLeaf;
    if (levels_.empty())
        levels_.emplace_back();
    for (std::size_t level = 0;; ++level) {
        BlockArray<Extremes>& nodes = levels_[level];
        if (node == nodes.size()) {
            nodes.push_back({v, v});
        } else {
            Extremes& e = nodes[node];
            e.min = std::min(e.min, v);
            e.max = std::max(e.max, v);
        }
        if (level + 1 < levels_.size()) {
            node /= kFan;
            continue;
        }
        // The top level keeps a single node; once it has two, a level above joins them.
        if (nodes.size() > 1) {
            BlockArray<Extremes> up;
            for (std::size_t k = 0; k < nodes.size(); k += kFan) {
                Extremes e = nodes[k];
                for (std::size_t c = k + 1; c < std::min(nodes.size(), k + kFan); ++c) {
                    e.min = std::min(e.min, nodes[c].min);
                    e.max = std::max(e.max, nodes[c].max);
                }
                up.push_back(e);
            }
            levels_.push_back(std::move(up));
        }
        break;
    }
}

MinMaxIndex::Extremes MinMaxIndex::range(const Values& data, std::size_t first,
                                         std::size_t last) const {
    if (last - first < 8) {
        // A few values (columns of a short series): no set-up is cheaper than reading them.
        Extremes acc{data[first], data[first]};
        for (std::size_t i = first + 1; i <= last; ++i) {
            const double v = data[i];
            take(acc, v, v);
        }
        return acc;
    }
    Extremes acc;
    bool any = false;
    std::size_t i = first, j = last + 1;
    // Loose values at both ends, up to the block boundaries. A leaf lies within one block
    // of the store but for the very first, so these loops run on a plain pointer.
    const std::size_t head = std::min(j, (i + kLeaf - 1) / kLeaf * kLeaf);
    if (const double* p = data.contiguous(i, head - i)) {
        for (; i < head; ++i, ++p)
            take(acc, any, *p, *p);
    }
    for (; i < head; ++i)
        take(acc, any, data[i], data[i]);
    const std::size_t tail = std::max(i, j / kLeaf * kLeaf);
    if (const double* p = data.contiguous(tail, j - tail)) {
        for (p += j - tail; j > tail;) {
            --j;
            --p;
            take(acc, any, *p, *p);
        }
    }
    while (j > tail) {
        --j;
        take(acc, any, data[j], data[j]);
    }
    std::size_t bi = i / kLeaf, bj = j / kLeaf;
    for (std::size_t level = 0; bi < bj && level < levels_.size(); ++level) {
        const BlockArray<Extremes>& nodes = levels_[level];
        if (level + 1 == levels_.size()) {
            for (; bi < bj; ++bi)
                take(acc, any, nodes[bi].min, nodes[bi].max);
            break;
        }
        while (bi < bj && bi % kFan != 0) {
            take(acc, any, nodes[bi].min, nodes[bi].max);
            ++bi;
        }
        while (bj > bi && bj % kFan != 0) {
            --bj;
            take(acc, any, nodes[bj].min, nodes[bj].max);
        }
        bi /= kFan;
        bj /= kFan;
    }
    return acc;
}

long MinMaxIndex::findFirst(const Values& data, std::size_t first, std::size_t last,
                            const BlockTest& test) const {
    if (first > last || last >= count_)
        return -1;
    return findIn(data, int(levels_.size()) - 1, first, last + 1, test);
}

// Scans first..end-1 from the left, taking whole nodes of at most `maxLevel` where they
// fit and descending into those that pass the test.
long MinMaxIndex::findIn(const Values& data, int maxLevel, std::size_t first, std::size_t end,
                         const BlockTest& test) const {
    std::size_t i = first;
    while (i < end) {
        int level = -1;
        for (int l = 0; l <= maxLevel; ++l) {
            const std::size_t s = span(l);
            if (i % s != 0 || i + s > end || i + s > count_)
                break;
            level = l;
        }
        if (level < 0) {
            if (test(data[i], data[i]))
                return long(i);
            ++i;
            continue;
        }
        const std::size_t s = span(level);
        const Extremes& e = levels_[std::size_t(level)][i / s];
        if (test(e.min, e.max)) {
            const long found = findIn(data, level - 1, i, i + s, test);
            if (found >= 0)
                return found;
        }
        i += s;
    }
    return -1;
}

std::size_t MinMaxIndex::storageBytes() const {
    std::size_t bytes = levels_.capacity() * sizeof(BlockArray<Extremes>);
    for (const auto& l : levels_)
        bytes += l.storageBytes();
    return bytes;
}

} // namespace kv
