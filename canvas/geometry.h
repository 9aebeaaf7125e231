#pragma once

#include "core/rounding.h"

namespace kv {

// Left, Top, Right, Bottom in pixels. A filled rectangle covers columns Left..Right-1
// and rows Top..Bottom-1.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    // Saturated: a rectangle wider or higher than the int range reports INT_MAX.
    constexpr int width() const { return clampToInt(static_cast<long long>(right) - left); }
    constexpr int height() const { return clampToInt(static_cast<long long>(bottom) - top); }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    constexpr bool operator!=(const Rect& o) const { return !(*this == o); }
};

// r moved in by k on every side (out for a negative k), held to the int range.
constexpr Rect shrinkRect(const Rect& r, long long k) {
    return Rect{clampToInt(r.left + k), clampToInt(r.top + k), clampToInt(r.right - k),
                clampToInt(r.bottom - k)};
}

// The part of a that lies within b; empty (right <= left or bottom <= top) when none does.
constexpr Rect intersected(const Rect& a, const Rect& b) {
    return Rect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

// The smallest rectangle holding both; an empty one adds nothing.
constexpr Rect united(const Rect& a, const Rect& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return Rect{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

struct Point {
    int x = 0, y = 0;
    constexpr bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const Point& o) const { return !(*this == o); }
};

struct Size {
    int width = 0, height = 0;
};

} // namespace kv
