#include "format/number_format.h"

#include <atomic>

namespace kv {

namespace {
// Set once at start-up but read from anywhere, so keep the accesses race-free.
std::atomic<char> gDecimalChar{'.'};
std::atomic<char> gGroupingChar{','};
} // namespace

char decimalChar() {
    return gDecimalChar.load(std::memory_order_relaxed);
}
char groupingChar() {
    return gGroupingChar.load(std::memory_order_relaxed);
}
void setDecimalChar(char c) {
    gDecimalChar.store(c, std::memory_order_relaxed);
}
void setGroupingChar(char c) {
    gGroupingChar.store(c, std::memory_order_relaxed);
}

} // namespace kv
