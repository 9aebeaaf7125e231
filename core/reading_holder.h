#pragma once

#include <string>

namespace kv {

// What the reading decoder writes the current reading into. AnalogGauge implements it
// (picture format and unit of its signal settings, and its value); tests fake it.
// Texts are UTF-8.
class ReadingHolder {
public:
    virtual ~ReadingHolder() = default;
    virtual void setReadingFormat(const std::string& pictureFormat) = 0;
    virtual void setReadingUnit(const std::string& unit) = 0;
    virtual void setReadingValue(float value) = 0;
};

} // namespace kv
