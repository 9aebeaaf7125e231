#pragma once

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

} // namespace kv
