#pragma once

#include "format/separators.h"
#include "watch/reading_text.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kv::test {

// 2026-12-08 14:03:07.125 UTC.
constexpr TimeMs kAt140307 = 1796738587125;

// Runs a test in UTC, so the clock texts are known, and puts back the zone it found.
class InUtc {
public:
    InUtc() {
        if (const char* tz = std::getenv("TZ"))
            saved_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~InUtc() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    InUtc(const InUtc&) = delete;
    InUtc& operator=(const InUtc&) = delete;

private:
    std::optional<std::string> saved_;
};

inline Reading reading(float value, const char* unit = "V-DC", const char* format = "0.000",
                       TimeMs time = kAt140307) {
    Reading r;
    r.value = value;
    r.unit = unit;
    r.format = format;
    r.time = time;
    return r;
}

inline Reading overload(const char* unit = "V-DC") {
    Reading r = reading(0, unit);
    r.status = Reading::Status::overload;
    return r;
}

} // namespace kv::test
