#pragma once

#include "core/reading.h"

#include <cstdint>
#include <string>

namespace kv {

// {"time":"2026-12-08T14:03:07.125+01:00","value":1.234,"unit":"V-DC","status":"ok",
// "function":240,"range":136}: the time and the value written as the CSV writes them, the
// value null without one (or when it is not finite).
// With a `channel` name (a program of several channels) the object ends with
// ,"channel":"NAME".
void appendReadingJson(std::string& out, const Reading& reading, const std::string& channel = {});
// {"time":"2026-12-08T14:03:07.125+01:00","note":"probe moved"}, with ,"channel":"NAME" as
// above: a note attached to the reading of that time.
void appendNoteJson(std::string& out, TimeMs time, const std::string& text,
                    const std::string& channel = {});

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
void appendJsonString(std::string& out, const std::string& text);

} // namespace kv
