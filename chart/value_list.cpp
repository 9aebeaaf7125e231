#include "chart/value_list.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

bool isPlainIndex(double v, std::size_t index) {
    return v == double(index) && !std::signbit(v);
}

} // namespace

// ---------------------------------------------------------------------------------------
// ValueList

ValueList::ValueList(std::string name, ValueListOrder order)
    : name_(std::move(name)), order_(order) {}

void ValueList::setMultiplier(double v) {
    if (v == multiplier_)
        return;
    multiplier_ = v;
    stale_ = true;
    changed();
}

void ValueList::setDateTime(bool v) {
    if (v == dateTime_)
        return;
    dateTime_ = v;
    changed();
}

void ValueList::changed() {
    if (onChange)
        onChange();
}

void ValueList::materialize() {
    if (!implicit_)
        return;
    for (std::size_t i = 0; i < count_; ++i)
        values_.push_back(double(i));
    implicit_ = false;
}

int ValueList::insertSorted(double v) {
    std::size_t index = count_;
    if (order_ == ValueListOrder::loAscending && count_ > 0 && v < storedAt(int(count_ - 1))) {
        while (index > 0 && v < storedAt(int(index - 1)))
            --index;
    } else if (order_ == ValueListOrder::loDescending && count_ > 0 &&
               v > storedAt(int(count_ - 1))) {
        while (index > 0 && v > storedAt(int(index - 1)))
            --index;
    }
    insertAt(int(index), v);
    return int(index);
}

void ValueList::insertAt(int index, double v) {
    const std::size_t at = std::size_t(std::clamp(index, 0, int(count_)));
    const bool atEnd = at == count_;
    if (atEnd && implicit_ && isPlainIndex(v, count_)) {
        ++count_;
    } else {
        materialize();
        values_.insert(at, v);
        ++count_;
    }
    if (std::isnan(v))
        ++nanCount_;
    if (atEnd) {
        if (!stale_)
            applyAppendedToStatistics(scaled(v));
        if (indexBuilt_ && !implicit_ && !hasNaN())
            index_.append(v);
        else
            indexBuilt_ = false;
    } else {
        stale_ = true;
        indexBuilt_ = false;
    }
}

void ValueList::removeAll() {
    values_.clear();
    count_ = 0;
    implicit_ = true;
    nanCount_ = 0;
    stale_ = true;
    index_.clear();
    indexBuilt_ = false;
}

void ValueList::applyAppendedToStatistics(double v) {
    if (count_ == 1) {
        min_ = max_ = total_ = v;
        totalAbs_ = std::fabs(v);
        return;
    }
    if (v < min_)
        min_ = v;
    else if (v > max_)
        max_ = v;
    total_ += v;
    totalAbs_ += std::fabs(v);
}

void ValueList::refreshStatistics() const {
    if (!stale_)
        return;
    if (count_ == 0) {
        min_ = max_ = total_ = totalAbs_ = 0;
    } else {
        const double first = valueAt(0);
        min_ = max_ = total_ = first;
        totalAbs_ = std::fabs(first);
        for (std::size_t i = 1; i < count_; ++i) {
            const double v = valueAt(int(i));
            if (v < min_)
                min_ = v;
            else if (v > max_)
                max_ = v;
            total_ += v;
            totalAbs_ += std::fabs(v);
        }
    }
    stale_ = false;
}

double ValueList::minimum() const {
    refreshStatistics();
    return min_;
}

double ValueList::maximum() const {
    refreshStatistics();
    return max_;
}

double ValueList::total() const {
    refreshStatistics();
    return total_;
}

double ValueList::totalAbs() const {
    refreshStatistics();
    return totalAbs_;
}

const MinMaxIndex& ValueList::index() const {
    if (!indexBuilt_) {
        index_.rebuild(values_, values_.size());
        indexBuilt_ = true;
    }
    return index_;
}

MinMaxIndex::Extremes ValueList::storedExtremes(int first, int last) const {
    if (implicit_)
        return {double(first), double(last)};
    return index().range(values_, std::size_t(first), std::size_t(last));
}

int ValueList::findFirstStored(int first, int last, const MinMaxIndex::BlockTest& test) const {
    if (first > last)
        return -1;
    if (implicit_) {
        // Values equal their indices: halve the range while its ends allow a hit.
        std::function<int(int, int)> find = [&](int a, int b) -> int {
            if (!test(double(a), double(b)))
                return -1;
            if (a == b)
                return a;
            const int mid = a + (b - a) / 2;
            const int left = find(a, mid);
            return left >= 0 ? left : find(mid + 1, b);
        };
        return find(first, last);
    }
    return int(index().findFirst(values_, std::size_t(first), std::size_t(last), test));
}

std::size_t ValueList::storageBytes() const {
    return values_.storageBytes() + (indexBuilt_ ? index_.storageBytes() : 0);
}

// ---------------------------------------------------------------------------------------
// ColorList

std::size_t ColorList::runOf(int index) const {
    // The last run starting at or before index.
    return runs_.partitionPoint([index](const Run& r) { return r.start <= index; }) - 1;
}

ColorValue ColorList::at(int index) const {
    return runs_[runOf(index)].color;
}

void ColorList::insertAt(int index, ColorValue c) {
    index = std::clamp(index, 0, count_);
    if (index == count_) {
        if (runs_.empty() || runs_.back().color != c)
            runs_.push_back(Run{index, c});
        ++count_;
        return;
    }
    // Split the run holding `index`, put a one-point run in between, shift the rest.
    const std::size_t r = runOf(index);
    std::size_t pos = r;
    if (runs_[r].start < index) {
        runs_.insert(r + 1, Run{index, runs_[r].color});
        pos = r + 1;
    }
    for (std::size_t k = pos; k < runs_.size(); ++k)
        ++runs_[k].start;
    runs_.insert(pos, Run{index, c});
    ++count_;
    mergeAround(pos);
}

void ColorList::mergeAround(std::size_t run) {
    if (run + 1 < runs_.size() && runs_[run + 1].color == runs_[run].color)
        runs_.erase(run + 1);
    if (run > 0 && runs_[run - 1].color == runs_[run].color)
        runs_.erase(run);
}

void ColorList::clear() {
    runs_.clear();
    count_ = 0;
}

bool ColorList::uniform(int first, int last, ColorValue& c) const {
    ColorValue color = 0;
    if (first < 0 || first > last || last >= count_ || runEnd(first, color) < last)
        return false;
    c = color;
    return true;
}

int ColorList::runEnd(int index, ColorValue& color) const {
    if (index < 0 || index >= count_)
        return -1;
    const std::size_t r = runOf(index);
    color = runs_[r].color;
    return (r + 1 < runs_.size() ? runs_[r + 1].start : count_) - 1;
}

int ColorList::runStart(int index) const {
    if (index < 0 || index >= count_)
        return -1;
    return runs_[runOf(index)].start;
}

// ---------------------------------------------------------------------------------------
// LabelList

std::size_t LabelList::firstAtOrAfter(int index) const {
    return labels_.partitionPoint([index](const auto& l) { return l.first < index; });
}

const std::string& LabelList::at(int index) const {
    static const std::string empty;
    const std::size_t k = firstAtOrAfter(index);
    return k < labels_.size() && labels_[k].first == index ? labels_[k].second : empty;
}

void LabelList::insertAt(int index, const std::string& label) {
    index = std::clamp(index, 0, count_);
    const std::size_t k = firstAtOrAfter(index);
    for (std::size_t j = k; j < labels_.size(); ++j)
        ++labels_[j].first;
    if (!label.empty())
        labels_.insert(k, {index, label});
    ++count_;
}

void LabelList::clear() {
    labels_.clear();
    count_ = 0;
}

std::size_t LabelList::storageBytes() const {
    std::size_t bytes = labels_.storageBytes();
    for (std::size_t k = 0; k < labels_.size(); ++k)
        if (labels_[k].second.capacity() > 15)
            bytes += labels_[k].second.capacity() + 1;
    return bytes;
}

} // namespace kv
