#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

// The first index in lo..hi-1 where pred turns true (pred false, then true along the
// points); hi when it never does. A binary search: the cost does not grow with the points.
template <typename Pred> int firstWhere(int lo, int hi, Pred pred) {
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The first of `count` times that is not before t (count when there is none), for times that
// never go back and come in groups of `group`, the first time of each in `groupFirsts`:
// every group from the first whose first time is not before t lies wholly at or after t, so
// the answer is in the group before it, or is that group's first time. Only that group's
// times are read, through timeAt(index).
template <typename TimeAt>
int firstTimeAtOrAfter(const std::vector<std::int64_t>& groupFirsts, int group, int count,
                       std::int64_t t, TimeAt timeAt) {
    const auto g = std::size_t(std::lower_bound(groupFirsts.begin(), groupFirsts.end(), t) -
                               groupFirsts.begin());
    if (g == 0)
        return 0;
    const int lo = int(g - 1) * group;
    const int hi = int(std::min<long long>(count, (long long)g * group));
    return firstWhere(lo, hi, [&](int i) { return !(timeAt(i) < t); });
}

} // namespace kv
