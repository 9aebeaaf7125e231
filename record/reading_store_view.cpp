#include "record/reading_store_view.h"

#include "core/first_where.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kv {

namespace {

using Kind = ReadingStore::Kind;

bool breaks(Kind kind) {
    return kind == Kind::overload || kind == Kind::gap || kind == Kind::unitChange;
}

BreakReason reasonOf(Kind kind) {
    switch (kind) {
    case Kind::overload:
        return BreakReason::brOverload;
    case Kind::unitChange:
        return BreakReason::brUnitChange;
    case Kind::ok:
    case Kind::gap:
    case Kind::unlisted:
        break;
    }
    return BreakReason::brGap;
}

} // namespace

ReadingStoreView::ReadingStoreView(const ReadingStore& store) : store_(store) {
    rebuild();
}

void ReadingStoreView::setFirstRow(std::size_t row) {
    row = std::min(row, store_.size());
    if (row == firstRow_)
        return;
    firstRow_ = row;
    rebuild();
    changed();
}

void ReadingStoreView::setLeadingBreaks(LeadingBreaks v) {
    if (v == leading_)
        return;
    leading_ = v;
    rebuild();
    changed();
}

void ReadingStoreView::setRestValue(double v) {
    if (v == rest_)
        return;
    rest_ = v;
    changed();
}

void ReadingStoreView::rowsAppended() {
    if (store_.size() < seen_) {
        // Emptied without a word: what was seen is gone, as after storeReset().
        firstRow_ = 0;
        rebuild();
    } else if (store_.size() == seen_) {
        return;
    } else {
        const std::size_t fullBefore = seen_ / kTallyBlock;
        take(store_.size());
        countFilledBlocks(fullBefore);
    }
    changed();
}

bool ReadingStoreView::countAhead(std::size_t rows) {
    const std::size_t groups = store_.size() / (kTallyBlock * kTallyGroup);
    std::size_t counted = 0;
    for (; countedAhead_ < groups; ++countedAhead_) {
        if (counted >= rows)
            return true;
        const bool done = countedAhead_ < groupTallies_.size() &&
                          groupTallies_[countedAhead_].counted &&
                          groupTallies_[countedAhead_].blocks == kTallyGroup;
        if (!done) {
            groupTally(countedAhead_, kTallyGroup);
            counted += kTallyBlock * kTallyGroup;
        }
    }
    return false;
}

void ReadingStoreView::countFilledBlocks(std::size_t fullBefore) const {
    // A block filled by readings as they come is counted at once, and its group counted on,
    // which costs a reading next to nothing; a histogram of a long run then finds it all
    // counted. Rows that came in bulk (a file opened) are counted when first asked about.
    const std::size_t full = store_.size() / kTallyBlock;
    if (full == fullBefore || full - fullBefore > 2)
        return;
    for (std::size_t b = fullBefore; b < full; ++b)
        blockTally(b);
    const std::size_t group = (full - 1) / kTallyGroup;
    const std::size_t blocks = full - group * kTallyGroup;
    // A group whose values repeat too little to keep is counted from its rows again, so
    // it is tried again only at twice the blocks.
    const bool dense =
        group < groupTallies_.size() && groupTallies_[group].counted && groupTallies_[group].dense;
    if (!dense || (blocks & (blocks - 1)) == 0)
        groupTally(group, blocks);
}

void ReadingStoreView::storeReset() {
    firstRow_ = 0;
    rebuild();
    changed();
}

void ReadingStoreView::changed() {
    if (onChange)
        onChange();
}

void ReadingStoreView::rebuild() {
    ++generation_;
    begin_ = seen_ = firstRow_;
    begun_ = false;
    count_ = 0;
    latest_ = 0;
    std::vector<BreakRun>().swap(breaks_);
    std::vector<Hold>().swap(holds_);
    std::vector<TimeMs>().swap(groupTimes_);
    // The store may hold other rows now.
    std::vector<BlockTally>().swap(blockTallies_);
    std::vector<BlockTally>().swap(groupTallies_);
    std::vector<std::uint64_t>().swap(valueIds_);
    std::unordered_map<std::uint64_t, std::uint32_t>().swap(idByKey_);
    std::vector<std::uint64_t>().swap(idCounts_);
    countedAhead_ = 0;
    take(store_.size());
}

void ReadingStoreView::take(std::size_t end) {
    // Point indices are ints; rows beyond their reach are not shown.
    end = std::min(end, begin_ + std::size_t(std::numeric_limits<int>::max()));
    for (std::size_t row = seen_; row < end; ++row) {
        const Kind kind = store_.kindAt(row);
        const bool isBreak = breaks(kind);
        if (!begun_) {
            // A unit-change mark before the line starts keeps nothing apart.
            if (kind == Kind::unitChange || (isBreak && leading_ == LeadingBreaks::hidden)) {
                begin_ = row + 1;
                continue;
            }
            begun_ = true;
            begin_ = row;
        }
        const int i = int(row - begin_);
        TimeMs t = store_.timeAt(row);
        if (i > 0 && t < latest_) {
            if (!holds_.empty() && holds_.back().last == i - 1)
                holds_.back().last = i;
            else
                holds_.push_back({i, i, latest_});
            t = latest_;
        }
        latest_ = t;
        if (i % kTimeGroup == 0)
            groupTimes_.push_back(t);
        if (isBreak) {
            const BreakReason reason = reasonOf(kind);
            if (!breaks_.empty() && breaks_.back().last == i - 1 &&
                breaks_.back().reason == reason) {
                breaks_.back().last = i;
            } else {
                BreakRun run{i, i, reason, {0, 0, 0}};
                if (!breaks_.empty()) {
                    const BreakRun& b = breaks_.back();
                    for (int r = 0; r < 3; ++r)
                        run.before[r] = b.before[r];
                    run.before[int(b.reason)] += b.last - b.first + 1;
                }
                breaks_.push_back(run);
            }
        }
        count_ = i + 1;
    }
    seen_ = std::max(seen_, end);
}

std::size_t ReadingStoreView::storageBytes() const {
    return breaks_.capacity() * sizeof(BreakRun) + holds_.capacity() * sizeof(Hold) +
           groupTimes_.capacity() * sizeof(TimeMs);
}

double ReadingStoreView::y(int index) const {
    const float v = store_.valueAt(rowOf(index));
    if (!std::isnan(v) || !isBreak(index))
        return double(v);
    // A break stands where the line was: at the last reading before it.
    const int before = runStart(index) - 1;
    return before >= 0 ? double(store_.valueAt(rowOf(before))) : rest_;
}

std::int64_t ReadingStoreView::time(int index) const {
    if (!holds_.empty()) {
        const auto it = std::upper_bound(holds_.begin(), holds_.end(), index,
                                         [](int i, const Hold& h) { return i < h.first; });
        if (it != holds_.begin() && std::prev(it)->last >= index)
            return std::prev(it)->time;
    }
    return store_.timeAt(rowOf(index));
}

int ReadingStoreView::firstAtOrAfterTime(std::int64_t t) const {
    return firstTimeAtOrAfter(groupTimes_, kTimeGroup, count_, t,
                              [this](int i) { return time(i); });
}

const std::string& ReadingStoreView::unitAt(int index) const {
    return store_.unitInForce(rowOf(index));
}

bool ReadingStoreView::isBreak(int index) const {
    return breaks(store_.kindAt(rowOf(index)));
}

BreakReason ReadingStoreView::breakReason(int index) const {
    return reasonOf(store_.kindAt(rowOf(index)));
}

const ReadingStoreView::BreakRun* ReadingStoreView::runAtOrBefore(int index) const {
    const auto it = std::upper_bound(breaks_.begin(), breaks_.end(), index,
                                     [](int i, const BreakRun& r) { return i < r.first; });
    return it == breaks_.begin() ? nullptr : &*std::prev(it);
}

int ReadingStoreView::breaksThrough(int index, int reason) const {
    const BreakRun* r = runAtOrBefore(index);
    if (!r)
        return 0;
    const int inRun = std::min(index, r->last) - r->first + 1;
    if (reason >= 0)
        return r->before[reason] + (int(r->reason) == reason ? inRun : 0);
    return r->before[0] + r->before[1] + r->before[2] + inRun;
}

int ReadingStoreView::breaksIn(int first, int last) const {
    if (first > last)
        return 0;
    return breaksThrough(last, -1) - breaksThrough(first - 1, -1);
}

int ReadingStoreView::breaksIn(int first, int last, BreakReason reason) const {
    if (first > last)
        return 0;
    return breaksThrough(last, int(reason)) - breaksThrough(first - 1, int(reason));
}

int ReadingStoreView::runStart(int index) const {
    if (index < 0 || index >= count_)
        return -1;
    const BreakRun* r = runAtOrBefore(index);
    if (!r)
        return 0;
    if (r->last < index)
        return r->last + 1; // a reading: its run starts after the breaks before it
    // Runs of other reasons may join this one.
    while (r != breaks_.data() && (r - 1)->last + 1 == r->first)
        --r;
    return r->first;
}

int ReadingStoreView::runEnd(int index) const {
    if (index < 0 || index >= count_)
        return -1;
    const BreakRun* r = runAtOrBefore(index);
    const BreakRun* end = breaks_.data() + breaks_.size();
    if (!r || r->last < index) {
        const BreakRun* next = r ? r + 1 : breaks_.data();
        return next != end ? next->first - 1 : count_ - 1;
    }
    while (r + 1 != end && r->last + 1 == (r + 1)->first)
        ++r;
    return r->last;
}

MinMaxIndex::Extremes ReadingStoreView::yExtremes(int first, int last) const {
    MinMaxIndex::Extremes e = store_.valueExtremes(rowOf(first), rowOf(last));
    // Breaks stand at readings inside the range, but for those before its first reading,
    // which stand where the first point does. A reading has a value.
    if (std::isnan(store_.valueAt(rowOf(first))) && isBreak(first)) {
        const double v = y(first);
        e.take(v, v);
    }
    return e;
}

int ReadingStoreView::findFirstY(int first, int last, const MinMaxIndex::BlockTest& test) const {
    if (first > last)
        return -1;
    // As in yExtremes: only breaks before the range's first reading stand at a value of
    // their own, that of the first point.
    if (std::isnan(store_.valueAt(rowOf(first))) && isBreak(first)) {
        const double v = y(first);
        if (test(v, v))
            return first;
    }
    const long row = store_.findFirstValue(rowOf(first), rowOf(last), test);
    return row < 0 ? -1 : int(std::size_t(row) - begin_);
}

} // namespace kv

namespace kv {

void ReadingStoreView::tallyRows(std::size_t first, std::size_t last, const std::string& unit,
                                 ValueTallier& counter) const {
    for (std::size_t row = first; row <= last; ++row) {
        switch (store_.kindAt(row)) {
        case Kind::ok: {
            const Row r = store_[row];
            if (ofUnit(r.context, unit))
                counter.add(double(r.value));
            else
                counter.addOtherUnit();
            break;
        }
        case Kind::gap:
            counter.addGap();
            break;
        case Kind::overload:
            counter.addOverload();
            break;
        case Kind::unlisted:
        case Kind::unitChange:
            break;
        }
    }
}

namespace {

using BlockEntry = std::pair<std::uint64_t, std::uint32_t>; // context and value bits, count

std::uint64_t keyOf(std::uint32_t context, float v) {
    if (v == 0)
        v = 0; // one zero
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return std::uint64_t(context) << 32 | bits;
}

float valueOfKey(std::uint64_t key) {
    const std::uint32_t bits = std::uint32_t(key);
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint32_t contextOfKey(std::uint64_t key) {
    return std::uint32_t(key >> 32);
}

} // namespace

std::uint32_t ReadingStoreView::idOf(std::uint64_t key) const {
    const auto [at, added] = idByKey_.try_emplace(key, std::uint32_t(valueIds_.size()));
    if (added)
        valueIds_.push_back(key);
    return at->second;
}

void ReadingStoreView::takeEntries(const std::vector<BlockEntry>& keys, std::size_t rows,
                                   BlockTally& t) const {
    // An open-addressed table, as large as the entries a stretch may keep.
    constexpr std::uint64_t kFree = ~std::uint64_t{0}; // no context reaches 2^32 - 1
    const std::size_t most = rows / 4;
    int bits = 4;
    while ((std::size_t{1} << bits) < 2 * std::min(keys.size(), most + 1))
        ++bits;
    const std::size_t slots = std::size_t{1} << bits;
    std::vector<std::uint64_t> slotKeys(slots, kFree);
    std::vector<std::uint64_t> slotCounts(slots, 0);
    std::size_t used = 0;
    for (const auto& [key, n] : keys) {
        std::size_t at = std::size_t((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
        while (slotKeys[at] != kFree && slotKeys[at] != key)
            at = (at + 1) & (slots - 1);
        if (slotKeys[at] == kFree) {
            if (++used > most) {
                t.dense = true;
                return;
            }
            slotKeys[at] = key;
        }
        slotCounts[at] += n;
    }
    t.entries.reserve(used);
    for (std::size_t i = 0; i < slots; ++i)
        if (slotKeys[i] != kFree)
            t.entries.push_back({idOf(slotKeys[i]), std::uint32_t(slotCounts[i])});
    // In order of their numbers, so that adding them up walks idCounts_ forwards.
    std::sort(t.entries.begin(), t.entries.end(),
              [](const BlockTally::Entry& a, const BlockTally::Entry& b) { return a.id < b.id; });
}

const ReadingStoreView::BlockTally& ReadingStoreView::blockTally(std::size_t block) const {
    if (blockTallies_.size() <= block)
        blockTallies_.resize(block + 1);
    BlockTally& t = blockTallies_[block];
    if (t.counted)
        return t;
    std::vector<BlockEntry> keys;
    keys.reserve(kTallyBlock);
    const std::size_t first = block * kTallyBlock;
    for (std::size_t row = first; row < first + kTallyBlock; ++row) {
        switch (store_.kindAt(row)) {
        case Kind::ok:
            keys.push_back({keyOf(store_[row].context, store_.valueAt(row)), 1});
            break;
        case Kind::gap:
            ++t.gaps;
            break;
        case Kind::overload:
            ++t.overloads;
            break;
        case Kind::unlisted:
        case Kind::unitChange:
            break;
        }
    }
    takeEntries(keys, kTallyBlock, t);
    t.counted = true;
    return t;
}

const ReadingStoreView::BlockTally& ReadingStoreView::groupTally(std::size_t group,
                                                                 std::size_t blocks) const {
    if (groupTallies_.size() <= group)
        groupTallies_.resize(group + 1);
    BlockTally& g = groupTallies_[group];
    if (g.counted && g.blocks == blocks)
        return g;
    // A group still filling is counted on from where it was, unless it was dense: more
    // rows may repeat more.
    BlockTally next;
    std::vector<BlockEntry> keys;
    std::size_t b = group * kTallyGroup;
    if (g.counted && g.blocks < blocks && !g.dense) {
        next.gaps = g.gaps;
        next.overloads = g.overloads;
        for (const BlockTally::Entry& e : g.entries)
            keys.push_back({valueIds_[e.id], e.count});
        b += g.blocks;
    }
    for (; b < group * kTallyGroup + blocks; ++b) {
        const BlockTally& t = blockTally(b);
        next.gaps += t.gaps;
        next.overloads += t.overloads;
        if (!t.dense) {
            for (const BlockTally::Entry& e : t.entries)
                keys.push_back({valueIds_[e.id], e.count});
            continue;
        }
        for (std::size_t row = b * kTallyBlock; row < (b + 1) * kTallyBlock; ++row)
            if (store_.kindAt(row) == Kind::ok) {
                const Row r = store_[row];
                keys.push_back({keyOf(r.context, r.value), 1});
            }
    }
    takeEntries(keys, blocks * kTallyBlock, next);
    next.counted = true;
    next.blocks = blocks;
    g = std::move(next);
    return g;
}

void ReadingStoreView::tallyOf(const BlockTally& t, std::size_t block, std::size_t blocks,
                               const std::string& unit, ValueTallier& counter) const {
    if (t.dense) {
        // The rows' gaps and overloads are counted with them.
        tallyRows(block * kTallyBlock, (block + blocks) * kTallyBlock - 1, unit, counter);
        return;
    }
    counter.addGap(t.gaps);
    counter.addOverload(t.overloads);
    if (idCounts_.size() < valueIds_.size())
        idCounts_.resize(valueIds_.size(), 0);
    for (const BlockTally::Entry& e : t.entries)
        idCounts_[e.id] += e.count;
}

bool ReadingStoreView::ofUnit(std::uint32_t context, const std::string& unit) const {
    if (unitCounted_.size() <= context)
        unitCounted_.resize(context + 1, -1);
    signed char& known = unitCounted_[context];
    if (known < 0)
        known = store_.context(context).unit == unit ? 1 : 0;
    return known;
}

void ReadingStoreView::handOverCounts(const std::string& unit, ValueTallier& counter) const {
    for (std::size_t id = 0; id < idCounts_.size(); ++id) {
        const std::uint64_t n = idCounts_[id];
        if (n == 0)
            continue;
        idCounts_[id] = 0;
        if (ofUnit(contextOfKey(valueIds_[id]), unit))
            counter.add(double(valueOfKey(valueIds_[id])), n);
        else
            counter.addOtherUnit(n);
    }
}

void ReadingStoreView::tallyBlocks(std::size_t first, std::size_t end, const std::string& unit,
                                   ValueTallier& counter) const {
    const std::size_t fullBlocks = store_.size() / kTallyBlock;
    std::size_t b = first;
    while (b < end) {
        if (b % kTallyGroup == 0) {
            // The last group, still filling, is taken as far as it goes when the stretch
            // runs to the newest full block, as while live readings are followed.
            const std::size_t n = std::min(kTallyGroup, end - b);
            if (n == kTallyGroup || (end == fullBlocks && n > 1)) {
                const BlockTally& g = groupTally(b / kTallyGroup, n);
                if (!g.dense) {
                    tallyOf(g, b, n, unit, counter);
                    b += n;
                    continue;
                }
            }
        }
        tallyOf(blockTally(b), b, 1, unit, counter);
        ++b;
    }
}

ValueTally ReadingStoreView::tally(int first, int last, const std::string& unit) const {
    ValueTallier counter;
    if (first < 0 || last < first || last >= count_)
        return counter.take();
    // Which contexts are of the unit is found anew for each unit asked about.
    std::vector<signed char>().swap(unitCounted_);
    const std::size_t from = rowOf(first), to = rowOf(last);
    // Whole blocks lie between the first block boundary at or after `from` and the last
    // one at or before to + 1; only full blocks of the store are kept.
    const std::size_t firstBlock = (from + kTallyBlock - 1) / kTallyBlock;
    const std::size_t endBlock = std::min((to + 1) / kTallyBlock, store_.size() / kTallyBlock);
    if (firstBlock >= endBlock) {
        tallyRows(from, to, unit, counter);
        return counter.take();
    }
    if (from < firstBlock * kTallyBlock)
        tallyRows(from, firstBlock * kTallyBlock - 1, unit, counter);
    tallyBlocks(firstBlock, endBlock, unit, counter);
    handOverCounts(unit, counter);
    if (endBlock * kTallyBlock <= to)
        tallyRows(endBlock * kTallyBlock, to, unit, counter);
    return counter.take();
}

} // namespace kv
