#pragma once

#include "core/block_array.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

// The times of a series' points, in milliseconds since the epoch, at about four bytes a
// point: each group of kGroup points keeps the time of its first point, and each point
// its offset from that in 32 bits. An offset too large for that (a silence of seven weeks
// inside one group) is kept aside in full, so no time is ever rounded.
//
// The times never go back: a time earlier than the one before it (a clock set back) is
// kept as that earlier point's time, so that the points stay in time order, which the
// drawing and the searches rely on.
class TimeList {
public:
    static constexpr std::size_t kGroup = 4096;

    int count() const { return int(offsets_.size()); }
    bool empty() const { return offsets_.empty(); }
    std::int64_t at(int index) const {
        const std::size_t i = std::size_t(index);
        const std::uint32_t offset = offsets_[i];
        if (offset == kWide)
            return wideAt(i);
        return bases_[i / kGroup] + std::int64_t(offset);
    }
    std::int64_t front() const { return at(0); }
    std::int64_t back() const { return at(count() - 1); }

    // Appends t (held at the last time when it lies before it) and returns what was kept.
    std::int64_t append(std::int64_t t);
    // Inserts t before index (0..count()); times around it are held in order. Costs a pass
    // over the list: the chart only ever appends.
    void insertAt(int index, std::int64_t t);
    // Empties the list and releases its storage.
    void clear();

    // The first index whose time is not before t; count() when there is none.
    int firstAtOrAfter(std::int64_t t) const;

    std::size_t storageBytes() const;

private:
    static constexpr std::uint32_t kWide = 0xFFFFFFFFu;
    struct Wide {
        std::size_t index;
        std::int64_t time;
    };
    std::int64_t wideAt(std::size_t index) const;

    BlockArray<std::uint32_t> offsets_;
    std::vector<std::int64_t> bases_; // one per group
    std::vector<Wide> wide_;          // ascending by index
};

} // namespace kv
