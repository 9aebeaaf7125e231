#pragma once

#include "canvas/color.h"
#include "core/settings_object.h"

#include <QDateTime>

namespace kv {

using Timestamp = QDateTime;

// The minimum and maximum a gauge has seen, with the local time of each capture, and how a
// meter marks them.
class MinMax : public SettingsObject {
public:
    // Reset values: Min starts above and Max below any real value.
    static constexpr float kMinReset = 9999999.0f;
    static constexpr float kMaxReset = -9999999.0f;

    MinMax();

    float max() const { return max_; }
    const Timestamp& maxDateTime() const { return maxDateTime_; }
    float min() const { return min_; }
    const Timestamp& minDateTime() const { return minDateTime_; }
    ColorValue maxColor() const { return maxColor_; }
    ColorValue minColor() const { return minColor_; }
    bool useSectorCol() const { return useSectorCol_; }
    bool minVisible() const { return minVisible_; }
    bool maxVisible() const { return maxVisible_; }

    // Store the value and stamp it with the current local time; no notification, since
    // the gauge captures from inside its own value update.
    void setMax(float v);
    void setMin(float v);
    void setMaxColor(ColorValue v) { assignIfChanged(maxColor_, v); }
    void setMinColor(ColorValue v) { assignIfChanged(minColor_, v); }
    void setUseSectorCol(bool v) { assignIfChanged(useSectorCol_, v); }
    void setMinVisible(bool v) { assignIfChanged(minVisible_, v); }
    void setMaxVisible(bool v) { assignIfChanged(maxVisible_, v); }

    // Min and Max back to their reset values.
    void reset();

private:
    float max_ = kMaxReset;
    Timestamp maxDateTime_;
    float min_ = kMinReset;
    Timestamp minDateTime_;
    ColorValue maxColor_ = clAqua;
    ColorValue minColor_ = clAqua;
    bool useSectorCol_ = true;
    bool minVisible_ = true;
    bool maxVisible_ = true;
};

} // namespace kv
