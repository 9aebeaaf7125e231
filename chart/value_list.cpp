#include "chart/value_list.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Smallest growth step of a value array; above it the array grows by an eighth, which
// keeps the unused tail of a long series small.
constexpr std::size_t kMinGrowth = 1024;

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
    std::vector<double> values;
    values.reserve(count_ + std::max(kMinGrowth, count_ / 8));
    for (std::size_t i = 0; i < count_; ++i)
        values.push_back(double(i));
    values_ = std::move(values);
    implicit_ = false;
}

void ValueList::reserveForOneMore() {
    if (values_.size() == values_.capacity())
        values_.reserve(values_.size() + std::max(kMinGrowth, values_.size() / 8));
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
        reserveForOneMore();
        values_.insert(values_.begin() + std::ptrdiff_t(at), v);
        ++count_;
    }
    if (std::isnan(v))
        ++nanCount_;
    if (atEnd) {
        if (!stale_)
            applyAppendedToStatistics(scaled(v));
        if (indexBuilt_ && !implicit_ && !hasNaN())
            index_.append(values_.data(), values_.size());
        else
            indexBuilt_ = false;
    } else {
        stale_ = true;
        indexBuilt_ = false;
    }
}

void ValueList::removeAll() {
    std::vector<double>().swap(values_);
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
        index_.rebuild(values_.data(), values_.size());
        indexBuilt_ = true;
    }
    return index_;
}

MinMaxIndex::Extremes ValueList::storedExtremes(int first, int last) const {
    if (implicit_)
        return {double(first), double(last)};
    return index().range(values_.data(), std::size_t(first), std::size_t(last));
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
    return int(index().findFirst(values_.data(), std::size_t(first), std::size_t(last), test));
}

std::size_t ValueList::storageBytes() const {
    return values_.capacity() * sizeof(double) + (indexBuilt_ ? index_.storageBytes() : 0);
}

// ---------------------------------------------------------------------------------------
// ColorList

std::size_t ColorList::runOf(int index) const {
    // The last run starting at or before index.
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](int i, const Run& r) { return i < r.start; });
    return std::size_t(it - runs_.begin()) - 1;
}

ColorValue ColorList::at(int index) const {
    return runs_[runOf(index)].color;
}

void ColorList::insertAt(int index, ColorValue c) {
    index = std::clamp(index, 0, count_);
    if (index == count_) {
        if (runs_.empty() || runs_.back().color != c)
            runs_.push_back({index, c});
        ++count_;
        return;
    }
    // Split the run holding `index`, put a one-point run in between, shift the rest.
    const std::size_t r = runOf(index);
    std::size_t pos = r;
    if (runs_[r].start < index) {
        runs_.insert(runs_.begin() + std::ptrdiff_t(r + 1), {index, runs_[r].color});
        pos = r + 1;
    }
    for (std::size_t k = pos; k < runs_.size(); ++k)
        ++runs_[k].start;
    runs_.insert(runs_.begin() + std::ptrdiff_t(pos), {index, c});
    ++count_;
    mergeAround(pos);
}

void ColorList::mergeAround(std::size_t run) {
    if (run + 1 < runs_.size() && runs_[run + 1].color == runs_[run].color)
        runs_.erase(runs_.begin() + std::ptrdiff_t(run + 1));
    if (run > 0 && runs_[run - 1].color == runs_[run].color)
        runs_.erase(runs_.begin() + std::ptrdiff_t(run));
}

void ColorList::clear() {
    std::vector<Run>().swap(runs_);
    count_ = 0;
}

bool ColorList::uniform(int first, int last, ColorValue& c) const {
    if (first < 0 || last >= count_ || first > last)
        return false;
    const std::size_t r = runOf(first);
    const int end = r + 1 < runs_.size() ? runs_[r + 1].start : count_;
    if (last >= end)
        return false;
    c = runs_[r].color;
    return true;
}

// ---------------------------------------------------------------------------------------
// LabelList

const std::string& LabelList::at(int index) const {
    static const std::string empty;
    auto it = std::lower_bound(labels_.begin(), labels_.end(), index,
                               [](const auto& l, int i) { return l.first < i; });
    return it != labels_.end() && it->first == index ? it->second : empty;
}

void LabelList::insertAt(int index, const std::string& label) {
    index = std::clamp(index, 0, count_);
    auto it = std::lower_bound(labels_.begin(), labels_.end(), index,
                               [](const auto& l, int i) { return l.first < i; });
    for (auto k = it; k != labels_.end(); ++k)
        ++k->first;
    if (!label.empty())
        labels_.insert(it, {index, label});
    ++count_;
}

void LabelList::clear() {
    std::vector<std::pair<int, std::string>>().swap(labels_);
    count_ = 0;
}

std::size_t LabelList::storageBytes() const {
    std::size_t bytes = labels_.capacity() * sizeof(labels_[0]);
    for (const auto& l : labels_)
        if (l.second.capacity() > 15)
            bytes += l.second.capacity() + 1;
    return bytes;
}

} // namespace kv
