#pragma once

#include "core/min_max_index.h"
#include "core/reading.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// What rows were measured with. Rows share these: they change only when the meter's
// function switch or its range does.
struct RowContext {
    std::string unit; // UTF-8; empty for a gap before the session's first reading
    std::uint8_t function = 0;
    std::uint8_t range = 0;
    bool hasCodes = false; // false only for that gap's context
};

struct Row {
    TimeMs time = 0;
    // For a unit-change mark: gap, as the line breaks there too.
    Reading::Status status = Reading::Status::ok;
    float value = 0;           // NaN for overload, gap and unit-change rows
    std::uint32_t context = 0; // ReadingStore::context(context)
    // Not a reading but the place where the unit changes: the line of the readings is
    // broken there, and nothing else sees it.
    bool unitChange = false;
};

// Whether a row is one of the record's readings: ok, overload or gap. A reading whose codes
// have no row in the meter's table (unlisted) is shown but never kept, and a unit-change
// mark is no reading at all; neither has a CSV line, a place in the statistics or a count.
// Every reader of the record asks this.
inline bool keptRow(const Row& row) {
    return !row.unitChange && row.status != Reading::Status::unlisted;
}

// The rows of one session, eight bytes each, in fixed blocks that are never moved or copied
// as the store grows, so appending costs the same at the first row and at the
// ten-millionth. Each block keeps a short list of the rows where the context changes and of
// the rare rows whose time lies more than three days from the block's time base.
//
// Beside the rows: a min/max index over their values (rows without one left out), kept up
// as rows arrive, for drawing millions of rows quickly.
//
// A row with codes whose unit differs from the unit in force (that of the last row with
// codes: none at first, and clear() keeps it, as the readings to come are still measured in
// it) is preceded by a unit-change mark, dated and measured like the row before it, unless
// the store is empty: a line through the rows must not join two units.
class ReadingStore {
public:
    static constexpr std::uint32_t kNoContext = 0; // no unit, no codes

    // What a row is: a reading's status, or a unit-change mark.
    enum class Kind : std::uint8_t { ok, overload, gap, unlisted, unitChange };

    ReadingStore();
    ~ReadingStore();
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Row operator[](std::size_t index) const; // index < size()
    const RowContext& context(std::uint32_t id) const { return contexts_[id]; }
    // Heap bytes held for rows, contexts and the index.
    std::size_t memoryBytes() const;

    // Parts of row `index` (< size()), for readers that need no whole Row.
    TimeMs timeAt(std::size_t index) const;
    Kind kindAt(std::size_t index) const { return Kind(stampAt(index) & kKindMask); }
    // NaN where the row has no value.
    float valueAt(std::size_t index) const {
        return heads_[index >> kBlockShift].values[index & (kBlockRows - 1)];
    }
    // The unit of the last row with codes at or before `index`: the unit the readings are
    // taken in there. Empty when there is none.
    const std::string& unitInForce(std::size_t index) const;

    // Extremes of the values of rows first..last (inclusive, last < size()), rows without a
    // value left out: empty when none has one.
    MinMaxIndex::Extremes valueExtremes(std::size_t first, std::size_t last) const;
    // The first row in first..last with a value v for which test(v, v) holds (see
    // MinMaxIndex::findFirst); -1 when there is none.
    long findFirstValue(std::size_t first, std::size_t last,
                        const MinMaxIndex::BlockTest& test) const;
    // True when a row that should have a value (ok, unlisted) holds not-a-number instead.
    bool hasNaNValue() const { return nanValues_ > 0; }

    // The id of a context, made on first use. Ids stay valid until clear().
    // A context without codes (hasCodes false: a derived channel's unit) has function and
    // range 0.
    std::uint32_t contextOf(std::string_view unit, std::uint8_t function, std::uint8_t range,
                            bool hasCodes = true);
    // Appends a row (after a unit-change mark where the unit changes, see above). An
    // overload or a gap keeps no value.
    void append(TimeMs time, Reading::Status status, float value, std::uint32_t context);
    // Drops every row and context and gives their memory back.
    void clear();
    // Exchanges the rows and contexts of two stores; nothing is copied.
    void swap(ReadingStore& other) noexcept;
    // Makes this store a copy of `other`: a pass over its memory, far quicker than
    // writing its rows out.
    void copyFrom(const ReadingStore& other);

private:
    static constexpr std::size_t kBlockShift = 12;
    static constexpr std::size_t kBlockRows = std::size_t{1} << kBlockShift;
    // A row's time is kept as a signed 29-bit millisecond offset from its block's time base
    // (about three days either way), with the kind of row in the three low bits.
    static constexpr int kKindBits = 3;
    static constexpr std::uint32_t kKindMask = (1u << kKindBits) - 1;

    struct Block;
    // What reading a row needs of its block, apart from the blocks: a search over millions
    // of rows touches the rows' own memory and little else.
    struct BlockHead {
        const std::uint32_t* stamps;
        const float* values;
        TimeMs base;  // the time base of the block's first row
        bool oneBase; // ... and of all its rows
    };
    std::uint32_t stampAt(std::size_t index) const {
        return heads_[index >> kBlockShift].stamps[index & (kBlockRows - 1)];
    }
    TimeMs baseOf(std::size_t index) const;
    // The values as the index reads them.
    struct Values {
        const ReadingStore* store;
        double operator[](std::size_t index) const { return store->valueAt(index); }
        const float* contiguous(std::size_t first, std::size_t count) const {
            if (count == 0 || (first >> kBlockShift) != ((first + count - 1) >> kBlockShift))
                return nullptr;
            return store->heads_[first >> kBlockShift].values + (first & (kBlockRows - 1));
        }
    };
    void appendRow(TimeMs time, Kind kind, float value, std::uint32_t context);

    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<BlockHead> heads_; // one per block
    std::size_t size_ = 0;
    std::vector<RowContext> contexts_;
    std::unordered_map<std::string, std::uint32_t> contextIds_;
    MinMaxIndex index_;
    std::size_t nanValues_ = 0;
    // The last row's time and context, and the context of the last row with codes.
    TimeMs lastTime_ = 0;
    std::uint32_t lastContext_ = kNoContext;
    std::uint32_t lastCoded_ = kNoContext;
    std::string lastUnit_; // of the last row with codes; kept by clear()
};

inline TimeMs ReadingStore::timeAt(std::size_t index) const {
    const BlockHead& head = heads_[index >> kBlockShift];
    // The offset sits in the high bits, so an arithmetic shift gives it back with its sign.
    const std::int32_t offset =
        static_cast<std::int32_t>(head.stamps[index & (kBlockRows - 1)]) >> kKindBits;
    return (head.oneBase ? head.base : baseOf(index)) + offset;
}

} // namespace kv
