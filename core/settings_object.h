#pragma once

#include "core/rounding.h"

#include <functional>
#include <utility>

namespace kv {

// Base of every settings object. A setter stores a value only when it differs and then
// calls change(); the owning control installs its handler in onChange when loading ends,
// so a settings object never knows its owner otherwise.
class SettingsObject {
public:
    SettingsObject() = default;
    virtual ~SettingsObject() = default;
    SettingsObject(const SettingsObject&) = delete;
    SettingsObject& operator=(const SettingsObject&) = delete;

    // Called with the object that changed; never called when empty.
    std::function<void(SettingsObject&)> onChange;

    // Subclasses recompute derived values here before calling the base.
    virtual void change() {
        if (onChange)
            onChange(*this);
    }

protected:
    // The common setter rule: store and notify only when the value differs.
    template <typename T, typename U> bool assignIfChanged(T& field, U&& value) {
        if (field == value)
            return false;
        field = std::forward<U>(value);
        change();
        return true;
    }
};

// Four margins, all 0 by default. Applied to a rectangle, positive values shrink it.
class EdgeOffset : public SettingsObject {
public:
    int top() const { return top_; }
    int left() const { return left_; }
    int right() const { return right_; }
    int bottom() const { return bottom_; }
    void setTop(int v) { assignIfChanged(top_, v); }
    void setLeft(int v) { assignIfChanged(left_, v); }
    void setRight(int v) { assignIfChanged(right_, v); }
    void setBottom(int v) { assignIfChanged(bottom_, v); }

    // Copies the four values and notifies once.
    void assign(const EdgeOffset& o) {
        top_ = o.top_;
        left_ = o.left_;
        right_ = o.right_;
        bottom_ = o.bottom_;
        change();
    }

    // Rect is any type with int left/top/right/bottom members; each edge is held to the int
    // range.
    template <typename Rect> Rect apply(Rect r) const {
        r.left = clampToInt(static_cast<long long>(r.left) + left_);
        r.top = clampToInt(static_cast<long long>(r.top) + top_);
        r.right = clampToInt(static_cast<long long>(r.right) - right_);
        r.bottom = clampToInt(static_cast<long long>(r.bottom) - bottom_);
        return r;
    }

private:
    int top_ = 0, left_ = 0, right_ = 0, bottom_ = 0;
};

} // namespace kv
