#pragma once

#include "canvas/color.h"
#include "core/block_array.h"
#include "core/min_max_index.h"

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

enum class ValueListOrder { loNone, loAscending, loDescending };

// One coordinate of a series: a sequence of doubles, read back times Multiplier.
//
// The values are kept in blocks that never move (see BlockArray), so a series of any
// length grows at the same small cost per value and holds little beyond its values. A
// list that only ever received 0, 1, 2, ... at its end (the X list of a series fed by
// appending) keeps no values at all until the first other value arrives.
//
// The statistics (minimum, maximum, sum, sum of magnitudes) follow one fixed rule: a scan
// in index order where the minimum and maximum start at the first value, a value below
// the minimum replaces it and otherwise a value above the maximum replaces that. Adding
// at the end applies the same rule to the new value, so the running figures are exactly
// what a rescan gives; any other change leaves them stale until the next read.
class ValueList {
public:
    explicit ValueList(std::string name = "Y", ValueListOrder order = ValueListOrder::loNone);
    ValueList(const ValueList&) = delete;
    ValueList& operator=(const ValueList&) = delete;

    const std::string& name() const { return name_; }
    void setName(const std::string& v) { name_ = v; }
    ValueListOrder order() const { return order_; }
    void setOrder(ValueListOrder v) { order_ = v; }
    // Every read returns the stored value times this; a change makes the owner repaint.
    double multiplier() const { return multiplier_; }
    void setMultiplier(double v);
    // Axes format their labels as dates when set.
    bool dateTime() const { return dateTime_; }
    void setDateTime(bool v);

    // The value an add writes before the list takes it (see ChartSeries::storePoint).
    double pendingValue() const { return pending_; }
    void setPendingValue(double v) { pending_ = v; }

    int count() const { return int(count_); }
    double valueAt(int index) const { return scaled(storedAt(index)); }
    double storedAt(int index) const {
        return implicit_ ? double(index) : values_[std::size_t(index)];
    }
    // A stored value as valueAt returns it (product taken in extended precision).
    double scaled(double stored) const {
        return double(static_cast<long double>(stored) * multiplier_);
    }

    // Inserts v where Order puts it (at the end for loNone; equal values keep their
    // insertion order) and returns its index.
    int insertSorted(double v);
    // Inserts v at index (0..count()).
    void insertAt(int index, double v);
    // Empties the list and releases its storage.
    void removeAll();

    double minimum() const;
    double maximum() const;
    double total() const;
    double totalAbs() const;
    // True when the next statistics read rescans the list.
    bool statisticsStale() const { return stale_; }

    // Called after a change that alters what the list reads back (Multiplier, DateTime).
    std::function<void()> onChange;

    // --- Range queries over the stored values, for drawing large series quickly.
    // True when a stored value is not a number (range queries are then unusable).
    bool hasNaN() const { return nanCount_ > 0; }
    // Extremes of the stored values first..last (inclusive), without Multiplier.
    MinMaxIndex::Extremes storedExtremes(int first, int last) const;
    // First index in first..last whose stored value v passes test(v, v); test is also
    // asked about whole blocks (see MinMaxIndex::findFirst). -1 when none.
    int findFirstStored(int first, int last, const MinMaxIndex::BlockTest& test) const;

    // Heap bytes held for the values and the index.
    std::size_t storageBytes() const;

private:
    void materialize();
    void applyAppendedToStatistics(double v);
    void refreshStatistics() const;
    const MinMaxIndex& index() const;
    void changed();

    std::string name_;
    ValueListOrder order_;
    double multiplier_ = 1.0;
    bool dateTime_ = false;
    double pending_ = 0;

    BlockArray<double> values_; // empty while implicit_
    std::size_t count_ = 0;
    bool implicit_ = true; // values are 0, 1, ..., count_ - 1
    std::size_t nanCount_ = 0;

    mutable double min_ = 0, max_ = 0, total_ = 0, totalAbs_ = 0;
    mutable bool stale_ = true;
    mutable MinMaxIndex index_;
    mutable bool indexBuilt_ = false;
};

// Point colours of a series, parallel to its value lists, stored as runs of equal
// colours: a series where every point has the same colour costs one run.
class ColorList {
public:
    int count() const { return count_; }
    ColorValue at(int index) const;
    void insertAt(int index, ColorValue c);
    void clear(); // releases the storage
    // The colour of first..last when they all share one.
    bool uniform(int first, int last, ColorValue& c) const;
    // The last index of the run of one colour that holds `index`, with that colour; -1
    // outside the list.
    int runEnd(int index, ColorValue& color) const;
    // The first index of the run that holds `index`; -1 outside the list.
    int runStart(int index) const;
    std::size_t storageBytes() const { return runs_.storageBytes(); }

private:
    struct Run {
        int start;
        ColorValue color;
    };
    std::size_t runOf(int index) const;
    void mergeAround(std::size_t run);

    BlockArray<Run> runs_;
    int count_ = 0;
};

// Point labels of a series: only non-empty labels take storage.
class LabelList {
public:
    int count() const { return count_; }
    const std::string& at(int index) const;
    void insertAt(int index, const std::string& label);
    void clear(); // releases the storage
    std::size_t storageBytes() const;

private:
    std::size_t firstAtOrAfter(int index) const;

    BlockArray<std::pair<int, std::string>> labels_; // ascending by index
    int count_ = 0;
};

} // namespace kv
