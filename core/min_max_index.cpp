#include "core/min_max_index.h"

namespace kv {

void MinMaxIndex::clear() {
    std::vector<BlockArray<Extremes>>().swap(levels_);
    pending_ = Extremes{};
    count_ = 0;
}

std::size_t MinMaxIndex::span(int level) const {
    std::size_t s = kLeaf;
    for (int l = 0; l < level; ++l)
        s *= kFan;
    return s;
}

void MinMaxIndex::append(double v) {
    pending_.take(v, v);
    ++count_;
    if (count_ % kLeaf != 0)
        return;
    // A leaf block is full: it joins level 0, and every group it completes joins the level
    // above.
    Extremes node = pending_;
    pending_ = Extremes{};
    for (std::size_t level = 0;; ++level) {
        if (level == levels_.size())
            levels_.emplace_back();
        BlockArray<Extremes>& nodes = levels_[level];
        nodes.push_back(node);
        if (nodes.size() % kFan != 0)
            break;
        node = Extremes{};
        for (std::size_t k = nodes.size() - kFan; k < nodes.size(); ++k)
            node.take(nodes[k].min, nodes[k].max);
    }
}

std::size_t MinMaxIndex::storageBytes() const {
    std::size_t bytes = levels_.capacity() * sizeof(BlockArray<Extremes>);
    for (const auto& l : levels_)
        bytes += l.storageBytes();
    return bytes;
}

} // namespace kv
