#include "chart/break_list.h"

#include <algorithm>

namespace kv {

std::size_t BreakList::firstAtOrAfter(int index) const {
    return std::size_t(std::lower_bound(breaks_.begin(), breaks_.end(), index,
                                        [](const Break& b, int i) { return b.index < i; }) -
                       breaks_.begin());
}

void BreakList::insertAt(int index, bool isBreak, BreakReason reason) {
    const std::size_t k = firstAtOrAfter(index);
    for (std::size_t j = k; j < breaks_.size(); ++j)
        ++breaks_[j].index;
    if (isBreak)
        breaks_.insert(breaks_.begin() + std::ptrdiff_t(k), Break{index, reason});
}

void BreakList::setReason(int index, BreakReason reason) {
    const std::size_t k = firstAtOrAfter(index);
    if (k < breaks_.size() && breaks_[k].index == index)
        breaks_[k].reason = reason;
}

bool BreakList::contains(int index) const {
    const std::size_t k = firstAtOrAfter(index);
    return k < breaks_.size() && breaks_[k].index == index;
}

BreakReason BreakList::reasonAt(int index) const {
    const std::size_t k = firstAtOrAfter(index);
    return k < breaks_.size() && breaks_[k].index == index ? breaks_[k].reason : BreakReason::brGap;
}

int BreakList::countIn(int first, int last) const {
    if (first > last)
        return 0;
    return int(firstAtOrAfter(last + 1) - firstAtOrAfter(first));
}

int BreakList::countIn(int first, int last, BreakReason reason) const {
    if (first > last)
        return 0;
    int n = 0;
    for (std::size_t k = firstAtOrAfter(first), end = firstAtOrAfter(last + 1); k < end; ++k)
        n += breaks_[k].reason == reason ? 1 : 0;
    return n;
}

void BreakList::clear() {
    std::vector<Break>().swap(breaks_);
}

// ---------------------------------------------------------------------------------------
// UnitList

const std::string& UnitList::at(int index) const {
    static const std::string none;
    const auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                                     [](int i, const Run& r) { return i < r.start; });
    return it == runs_.begin() ? none : std::prev(it)->unit;
}

void UnitList::startAt(int index, const std::string& unit) {
    // A later start replaces the runs from there on; a run that would repeat the unit
    // before it is not needed.
    while (!runs_.empty() && runs_.back().start >= index)
        runs_.pop_back();
    if (!runs_.empty() && runs_.back().unit == unit)
        return;
    runs_.push_back(Run{index, unit});
}

void UnitList::shiftFrom(int index) {
    for (Run& r : runs_)
        if (r.start > index)
            ++r.start;
}

void UnitList::clear() {
    std::vector<Run>().swap(runs_);
}

std::size_t UnitList::storageBytes() const {
    std::size_t bytes = runs_.capacity() * sizeof(Run);
    for (const Run& r : runs_)
        if (r.unit.capacity() > 15)
            bytes += r.unit.capacity() + 1;
    return bytes;
}

} // namespace kv
