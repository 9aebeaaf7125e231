#pragma once

#include "core/series_samples.h"
#include "record/reading_store.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kv {

// The rows of a ReadingStore from a first row on, as the points a chart series draws
// (ChartSeries::setSamples), so that a reading is stored once: the view keeps no values or
// times, only what drawing needs besides them, which grows with the breaks and the clock's
// steps back rather than with the rows.
//
// Every row is a point. A reading (ok or unlisted) is drawn at its value; an overload, a
// gap and a unit-change mark break the line and stand at the value of the last reading
// before them. Break rows before the first reading are null points at the rest value, or
// are left out (leadingBreaks()); a unit-change mark there is always left out, as there is
// no line yet to keep apart from. Times are those of the rows, except that a time before
// the latest one so far (a clock set back) is held at it, so that the points stay in time
// order.
//
// The store's owner tells the view when the store grew, or was cleared or replaced; the
// view reads nothing else by itself.
class ReadingStoreView final : public SeriesSamples {
public:
    // How break rows before the first reading show.
    enum class LeadingBreaks {
        shown,  // as null points at the rest value: a live line starts broken
        hidden, // not at all: a recording read from a file starts at its first reading
    };

    explicit ReadingStoreView(const ReadingStore& store);
    ReadingStoreView(const ReadingStoreView&) = delete;
    ReadingStoreView& operator=(const ReadingStoreView&) = delete;

    // --- What it shows
    // The store row the view starts from; rows before it are not shown. Setting it (held
    // to the store's size) makes new points: the generation grows.
    std::size_t firstRow() const { return firstRow_; }
    void setFirstRow(std::size_t row);
    LeadingBreaks leadingBreaks() const { return leading_; }
    void setLeadingBreaks(LeadingBreaks v);
    // Where leading breaks stand (0 unless set).
    double restValue() const { return rest_; }
    void setRestValue(double v);
    // The store row of point index.
    std::size_t rowOf(int index) const { return begin_ + std::size_t(index); }

    // --- What the store's owner tells it
    // The store has rows beyond those the view has seen: they become points.
    void rowsAppended();
    // The store was cleared or replaced: the view starts again from its first row, 0.
    void storeReset();

    // Called after the points changed (rows appended, first row, options, rest value);
    // a chart series drawing them wants ChartSeries::samplesChanged().
    std::function<void()> onChange;

    // Counts rows for tallies to come (see tally), whole groups of blocks, until about
    // `rows` rows are counted; true while full groups are left uncounted. Rows that came in
    // bulk (a file opened) can be counted so in idle moments instead of at the first tally,
    // which would otherwise read them all at once.
    bool countAhead(std::size_t rows);

    // Heap bytes the view holds.
    std::size_t storageBytes() const;

    // --- SeriesSamples
    int count() const override { return count_; }
    double y(int index) const override;
    std::int64_t time(int index) const override;
    int firstAtOrAfterTime(std::int64_t t) const override;
    const std::string& unitAt(int index) const override;
    bool isBreak(int index) const override;
    BreakReason breakReason(int index) const override;
    int breaksIn(int first, int last) const override;
    int breaksIn(int first, int last, BreakReason reason) const override;
    int runStart(int index) const override;
    int runEnd(int index) const override;
    MinMaxIndex::Extremes yExtremes(int first, int last) const override;
    int findFirstY(int first, int last, const MinMaxIndex::BlockTest& test) const override;
    bool hasNaN() const override { return store_.hasNaNValue(); }
    // Unlisted readings are left out, as from every figure of the record. The rows are
    // counted a block at a time, each full block once and kept, so a stretch of millions of
    // readings costs a look at its blocks' distinct values.
    ValueTally tally(int first, int last, const std::string& unit) const override;
    unsigned generation() const override { return generation_; }

private:
    // Consecutive breaks of one reason, with the breaks of each reason before them.
    struct BreakRun {
        int first;
        int last;
        BreakReason reason;
        int before[3];
    };
    // Points first..last whose rows are dated before an earlier point: they take its time.
    struct Hold {
        int first;
        int last;
        TimeMs time;
    };
    // Points per entry of groupTimes_.
    static constexpr int kTimeGroup = 4096;

    // The readings of a stretch of rows (a block, or a group of blocks), by context and
    // value. A stretch whose readings hardly repeat keeps no entries (dense): its rows are
    // read where they are, as cheaply as its entries would be.
    struct BlockTally {
        struct Entry {
            std::uint32_t id; // of the context and value, see valueIds_
            std::uint32_t count;
        };
        std::vector<Entry> entries;
        std::uint64_t gaps = 0;
        std::uint64_t overloads = 0;
        bool counted = false;
        bool dense = false;
        std::size_t blocks = 0; // of a group: how many of its blocks are counted
    };
    static constexpr std::size_t kTallyBlock = 4096;
    static constexpr std::size_t kTallyGroup = 64; // blocks

    void rebuild();
    // Adds the rows first..last (store rows) to `counter` one by one.
    void tallyRows(std::size_t first, std::size_t last, const std::string& unit,
                   ValueTallier& counter) const;
    // Adds the full blocks first..end-1 to `counter`, whole groups from their own tallies.
    void tallyBlocks(std::size_t first, std::size_t end, const std::string& unit,
                     ValueTallier& counter) const;
    // Adds a stretch's tally: its gaps and overloads to `counter`, its values to
    // idCounts_ (or its rows, when dense, to `counter`).
    void tallyOf(const BlockTally& t, std::size_t block, std::size_t blocks,
                 const std::string& unit, ValueTallier& counter) const;
    // Moves the values added up in idCounts_ into `counter`, those of other units as such.
    void handOverCounts(const std::string& unit, ValueTallier& counter) const;
    const BlockTally& blockTally(std::size_t block) const;
    // Group `group` over its first `blocks` blocks (kTallyGroup when full).
    const BlockTally& groupTally(std::size_t group, std::size_t blocks) const;
    // Counts the blocks filled since `fullBefore` blocks were, when they are few.
    void countFilledBlocks(std::size_t fullBefore) const;
    // Whether the readings of `context` are in `unit` (known for the tally being taken).
    bool ofUnit(std::uint32_t context, const std::string& unit) const;
    // Entries of `keys` (context and value bits, count), each key once with its counts
    // added up; none when more than a quarter of `rows` differ (dense).
    void takeEntries(const std::vector<std::pair<std::uint64_t, std::uint32_t>>& keys,
                     std::size_t rows, BlockTally& t) const;
    std::uint32_t idOf(std::uint64_t key) const;
    void take(std::size_t end);
    void changed();
    // The last run starting at or before index; nullptr when none does.
    const BreakRun* runAtOrBefore(int index) const;
    // Breaks of points 0..index (of `reason`, or of all with reason < 0).
    int breaksThrough(int index, int reason) const;

    const ReadingStore& store_;
    std::size_t firstRow_ = 0;
    std::size_t begin_ = 0; // the row of point 0
    bool begun_ = false;    // point 0 is found: the rows left out before it are past
    std::size_t seen_ = 0;  // rows looked at
    int count_ = 0;
    LeadingBreaks leading_ = LeadingBreaks::shown;
    double rest_ = 0;
    unsigned generation_ = 0;
    std::vector<BreakRun> breaks_;                 // ascending
    std::vector<Hold> holds_;                      // ascending
    std::vector<TimeMs> groupTimes_;               // time of point k * kTimeGroup
    TimeMs latest_ = 0;                            // the latest time so far
    mutable std::vector<BlockTally> blockTallies_; // by store block, full blocks only
    mutable std::vector<BlockTally> groupTallies_; // by group of blocks; the last may be part
    std::size_t countedAhead_ = 0;                 // full groups before it are counted
    mutable std::vector<signed char> unitCounted_; // by context: its unit is the one counted
    // Every context and value the tallies met, numbered: a stretch's counts are added up by
    // number in idCounts_, an index each, instead of being looked up value by value.
    mutable std::vector<std::uint64_t> valueIds_; // key by id
    mutable std::unordered_map<std::uint64_t, std::uint32_t> idByKey_;
    mutable std::vector<std::uint64_t> idCounts_; // by id, while a tally is taken
};

} // namespace kv
