#include "chart/time_list.h"

#include "core/first_where.h"

#include <algorithm>

namespace kv {

std::int64_t TimeList::append(std::int64_t t) {
    const std::size_t i = offsets_.size();
    if (i > 0)
        t = std::max(t, back());
    if (i % kGroup == 0)
        bases_.push_back(t);
    const std::int64_t base = bases_.back();
    // t >= base: the group's first time is its smallest.
    const auto offset = static_cast<std::uint64_t>(t - base);
    if (offset < kWide) {
        offsets_.push_back(std::uint32_t(offset));
    } else {
        offsets_.push_back(kWide);
        wide_.push_back(Wide{i, t});
    }
    return t;
}

void TimeList::insertAt(int index, std::int64_t t) {
    std::vector<std::int64_t> all;
    all.reserve(offsets_.size() + 1);
    for (int i = 0; i < count(); ++i)
        all.push_back(at(i));
    index = std::clamp(index, 0, count());
    // In order with its neighbours: not before the one ahead of it; the ones after it are
    // held to it by append.
    if (index > 0)
        t = std::max(t, all[std::size_t(index) - 1]);
    all.insert(all.begin() + index, t);
    clear();
    for (std::int64_t v : all)
        append(v);
}

void TimeList::clear() {
    offsets_.clear();
    std::vector<std::int64_t>().swap(bases_);
    std::vector<Wide>().swap(wide_);
}

std::int64_t TimeList::wideAt(std::size_t index) const {
    const auto it = std::lower_bound(wide_.begin(), wide_.end(), index,
                                     [](const Wide& w, std::size_t i) { return w.index < i; });
    return it->time;
}

int TimeList::firstAtOrAfter(std::int64_t t) const {
    // A group's base is its first time.
    return firstTimeAtOrAfter(bases_, int(kGroup), count(), t, [this](int i) { return at(i); });
}

std::size_t TimeList::storageBytes() const {
    return offsets_.storageBytes() + bases_.capacity() * sizeof(std::int64_t) +
           wide_.capacity() * sizeof(Wide);
}

} // namespace kv
