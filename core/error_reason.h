#pragma once

#include <string>

namespace kv {

// The system's reason for the error number `error`, to stand inside a sentence: "no such
// file or directory".
std::string errorReason(int error);

} // namespace kv
