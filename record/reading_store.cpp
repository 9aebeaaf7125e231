#include "record/reading_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

struct ContextRun {
    std::uint32_t first; // row in the block
    std::uint32_t context;
};

struct TimeBase {
    std::uint32_t first; // row in the block
    TimeMs base;
};

template <typename Run>
typename std::vector<Run>::const_iterator runOf(const std::vector<Run>& runs, std::uint32_t row) {
    // Runs are few; the last one whose first row is not after `row`.
    return std::upper_bound(runs.begin(), runs.end(), row,
                            [](std::uint32_t r, const Run& run) { return r < run.first; }) -
           1;
}

std::string contextKey(std::string_view unit, std::uint8_t function, std::uint8_t range,
                       bool hasCodes) {
    std::string key;
    key.reserve(unit.size() + 3);
    key += hasCodes ? 'c' : 'u';
    key += static_cast<char>(function);
    key += static_cast<char>(range);
    key += unit;
    return key;
}

bool hasValue(ReadingStore::Kind kind) {
    return kind == ReadingStore::Kind::ok || kind == ReadingStore::Kind::unlisted;
}

} // namespace

// The reach of a time offset: 29 bits with their sign, beside the three of the kind.
constexpr TimeMs kOffsetLimit = TimeMs{1} << 28;

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
    Row out;
    out.time = timeAt(index);
    const Kind kind = kindAt(index);
    out.unitChange = kind == Kind::unitChange;
    out.status = out.unitChange ? Reading::Status::gap : static_cast<Reading::Status>(kind);
    out.value = block.values[row];
    out.context = runOf(block.contexts, row)->context;
    return out;
}

TimeMs ReadingStore::baseOf(std::size_t index) const {
    const Block& block = *blocks_[index >> kBlockShift];
    return runOf(block.bases, static_cast<std::uint32_t>(index & (kBlockRows - 1)))->base;
}

const std::string& ReadingStore::unitInForce(std::size_t index) const {
    static const std::string none;
    // Rows without codes (a silence before the first reading of a session) are rare, so
    // the walk back over the context runs is short.
    std::size_t b = index >> kBlockShift;
    auto runs = &blocks_[b]->contexts;
    auto it = runOf(*runs, static_cast<std::uint32_t>(index & (kBlockRows - 1)));
    for (;;) {
        const RowContext& c = contexts_[it->context];
        if (c.hasCodes)
            return c.unit;
        if (it != runs->begin()) {
            --it;
            continue;
        }
        if (b == 0)
            return none;
        runs = &blocks_[--b]->contexts;
        it = runs->end() - 1;
    }
}

MinMaxIndex::Extremes ReadingStore::valueExtremes(std::size_t first, std::size_t last) const {
    return index_.range(Values{this}, first, last);
}

long ReadingStore::findFirstValue(std::size_t first, std::size_t last,
                                  const MinMaxIndex::BlockTest& test) const {
    return index_.findFirst(Values{this}, first, last, test);
}

std::size_t ReadingStore::memoryBytes() const {
    std::size_t bytes =
        blocks_.capacity() * sizeof(blocks_[0]) + heads_.capacity() * sizeof(BlockHead);
    for (const auto& block : blocks_)
        bytes += sizeof(Block) + block->contexts.capacity() * sizeof(ContextRun) +
                 block->bases.capacity() * sizeof(TimeBase);
    for (const RowContext& c : contexts_)
        bytes += sizeof(RowContext) + c.unit.capacity();
    return bytes + index_.storageBytes();
}

std::uint32_t ReadingStore::contextOf(std::string_view unit, std::uint8_t function,
                                      std::uint8_t range, bool hasCodes) {
    if (!hasCodes)
        function = range = 0;
    auto [it, added] = contextIds_.try_emplace(contextKey(unit, function, range, hasCodes),
                                               static_cast<std::uint32_t>(contexts_.size()));
    if (added)
        contexts_.push_back({std::string(unit), function, range, hasCodes});
    return it->second;
}

void ReadingStore::append(TimeMs time, Reading::Status status, float value, std::uint32_t context) {
    const RowContext& c = contexts_[context];
    // The one place where a change of unit breaks the line. Only rows with codes say what
    // the meter measures; a context seen last time needs no comparison of units.
    if (c.hasCodes && context != lastCoded_) {
        if (c.unit != lastUnit_) {
            if (size_ > 0)
                appendRow(lastTime_, Kind::unitChange, kNoValue, lastContext_);
            lastUnit_ = c.unit;
        }
        lastCoded_ = context;
    }
    const auto kind = static_cast<Kind>(status);
    appendRow(time, kind, hasValue(kind) ? value : kNoValue, context);
}

void ReadingStore::appendRow(TimeMs time, Kind kind, float value, std::uint32_t context) {
    const auto row = static_cast<std::uint32_t>(size_ & (kBlockRows - 1));
    if (row == 0) {
        blocks_.emplace_back(new Block);
        heads_.push_back({blocks_.back()->stamps, blocks_.back()->values, time, true});
    }
    Block& block = *blocks_.back();
    if (row == 0 || block.contexts.back().context != context)
        block.contexts.push_back({row, context});
    TimeMs offset = row == 0 ? kOffsetLimit : time - block.bases.back().base;
    if (offset < -kOffsetLimit || offset >= kOffsetLimit) {
        block.bases.push_back({row, time});
        heads_.back().oneBase = block.bases.size() == 1;
        offset = 0;
    }
    block.stamps[row] =
        static_cast<std::uint32_t>(offset) << kKindBits | static_cast<std::uint32_t>(kind);
    block.values[row] = value;
    index_.append(value);
    if (std::isnan(value) && hasValue(kind))
        ++nanValues_;
    lastTime_ = time;
    lastContext_ = context;
    ++size_;
}

void ReadingStore::clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    std::vector<BlockHead>().swap(heads_);
    size_ = 0;
    contexts_.assign(1, RowContext{});
    contextIds_.clear();
    index_.clear();
    nanValues_ = 0;
    lastTime_ = 0;
    lastContext_ = kNoContext;
    // The unit stays: the rows that follow are still measured in it, and a change from it
    // still breaks their line.
    lastCoded_ = kNoContext;
}

void ReadingStore::swap(ReadingStore& other) noexcept {
    blocks_.swap(other.blocks_);
    heads_.swap(other.heads_);
    std::swap(size_, other.size_);
    contexts_.swap(other.contexts_);
    contextIds_.swap(other.contextIds_);
    std::swap(index_, other.index_);
    std::swap(nanValues_, other.nanValues_);
    std::swap(lastTime_, other.lastTime_);
    std::swap(lastContext_, other.lastContext_);
    std::swap(lastCoded_, other.lastCoded_);
    lastUnit_.swap(other.lastUnit_);
}

void ReadingStore::copyFrom(const ReadingStore& other) {
    if (&other == this)
        return;
    clear();
    blocks_.reserve(other.blocks_.size());
    heads_.reserve(other.heads_.size());
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
        heads_.push_back({to.stamps, to.values, other.heads_[b].base, other.heads_[b].oneBase});
    }
    size_ = other.size_;
    contexts_ = other.contexts_;
    contextIds_ = other.contextIds_;
    index_.rebuild(Values{this}, size_);
    nanValues_ = other.nanValues_;
    lastTime_ = other.lastTime_;
    lastContext_ = other.lastContext_;
    lastCoded_ = other.lastCoded_;
    lastUnit_ = other.lastUnit_;
}

} // namespace kv
