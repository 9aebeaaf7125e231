#include "record/reading_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

constexpr std::size_t kBlockShift = 12;
constexpr std::size_t kBlockRows = std::size_t{1} << kBlockShift;
// A row's time is kept as a signed 30-bit millisecond offset from its block's time base
// (about six days either way), with the status in the two low bits.
constexpr TimeMs kOffsetLimit = TimeMs{1} << 29;

struct ContextRun {
    std::uint32_t first; // row in the block
    std::uint32_t context;
};

struct TimeBase {
    std::uint32_t first; // row in the block
    TimeMs base;
};

template <typename Run> const Run& runOf(const std::vector<Run>& runs, std::uint32_t row) {
    // Runs are few; the last one whose first row is not after `row`.
    auto it = std::upper_bound(runs.begin(), runs.end(), row,
                               [](std::uint32_t r, const Run& run) { return r < run.first; });
    return *(it - 1);
}

std::string contextKey(std::string_view unit, std::uint8_t function, std::uint8_t range) {
    std::string key;
    key.reserve(unit.size() + 2);
    key += static_cast<char>(function);
    key += static_cast<char>(range);
    key += unit;
    return key;
}

} // namespace

// Left uninitialised on purpose: a new block costs an allocation, not a pass over 32 KiB.
struct ReadingStore::Block {
    std::uint32_t stamps[kBlockRows];
    float values[kBlockRows];
    std::vector<ContextRun> contexts;
    std::vector<TimeBase> bases;
};

ReadingStore::ReadingStore() {
    clear();
}

ReadingStore::~ReadingStore() = default;

Row ReadingStore::operator[](std::size_t index) const {
    const Block& block = *blocks_[index >> kBlockShift];
    const auto row = static_cast<std::uint32_t>(index & (kBlockRows - 1));
    const std::uint32_t stamp = block.stamps[row];
    Row out;
    // The offset sits in the 30 high bits, so an arithmetic shift gives it back with its sign.
    out.time = runOf(block.bases, row).base + (static_cast<std::int32_t>(stamp) >> 2);
    out.status = static_cast<Reading::Status>(stamp & 3u);
    out.value = block.values[row];
    out.context = runOf(block.contexts, row).context;
    return out;
}

std::size_t ReadingStore::memoryBytes() const {
    std::size_t bytes = blocks_.capacity() * sizeof(blocks_[0]);
    for (const auto& block : blocks_)
        bytes += sizeof(Block) + block->contexts.capacity() * sizeof(ContextRun) +
                 block->bases.capacity() * sizeof(TimeBase);
    for (const RowContext& c : contexts_)
        bytes += sizeof(RowContext) + c.unit.capacity();
    return bytes;
}

std::uint32_t ReadingStore::contextOf(std::string_view unit, std::uint8_t function,
                                      std::uint8_t range) {
    auto [it, added] = contextIds_.try_emplace(contextKey(unit, function, range),
                                               static_cast<std::uint32_t>(contexts_.size()));
    if (added)
        contexts_.push_back({std::string(unit), function, range, true});
    return it->second;
}

void ReadingStore::append(TimeMs time, Reading::Status status, float value, std::uint32_t context) {
    const auto row = static_cast<std::uint32_t>(size_ & (kBlockRows - 1));
    if (row == 0)
        blocks_.emplace_back(new Block);
    Block& block = *blocks_.back();
    if (row == 0 || block.contexts.back().context != context)
        block.contexts.push_back({row, context});
    TimeMs offset = row == 0 ? kOffsetLimit : time - block.bases.back().base;
    if (offset < -kOffsetLimit || offset >= kOffsetLimit) {
        block.bases.push_back({row, time});
        offset = 0;
    }
    block.stamps[row] =
        static_cast<std::uint32_t>(offset) << 2 | static_cast<std::uint32_t>(status);
    block.values[row] =
        status == Reading::Status::ok ? value : std::numeric_limits<float>::quiet_NaN();
    ++size_;
}

void ReadingStore::clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
    contexts_.assign(1, RowContext{});
    contextIds_.clear();
}

void ReadingStore::swap(ReadingStore& other) noexcept {
    blocks_.swap(other.blocks_);
    std::swap(size_, other.size_);
    contexts_.swap(other.contexts_);
    contextIds_.swap(other.contextIds_);
}

void ReadingStore::copyFrom(const ReadingStore& other) {
    if (&other == this)
        return;
    clear();
    blocks_.reserve(other.blocks_.size());
    for (std::size_t b = 0; b < other.blocks_.size(); ++b) {
        const Block& from = *other.blocks_[b];
        // Only the rows in use: the rest of the last block was never written.
        const std::size_t rows = std::min(kBlockRows, other.size_ - b * kBlockRows);
        blocks_.emplace_back(new Block);
        Block& to = *blocks_.back();
        std::copy_n(from.stamps, rows, to.stamps);
        std::copy_n(from.values, rows, to.values);
        to.contexts = from.contexts;
        to.bases = from.bases;
    }
    size_ = other.size_;
    contexts_ = other.contexts_;
    contextIds_ = other.contextIds_;
}

} // namespace kv
