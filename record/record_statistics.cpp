#include "record/record_statistics.h"

#include "core/translated.h"
#include "record/csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kv {

namespace {

constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

void appendMean(std::string& out, double mean, std::size_t decimals) {
    char buf[128];
    const auto res = std::to_chars(buf, buf + sizeof buf, mean, std::chars_format::fixed,
                                   static_cast<int>(decimals));
    std::string text(buf, res.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    out += text;
}

// "1 reading", "2 readings": English and German both tell one from many.
std::string count(std::size_t n, const std::string& one, const std::string& many) {
    return withArguments(n == 1 ? one : many, {std::to_string(n)});
}

// The number with its unit, when it has one.
std::string valueText(const std::string& number, const std::string& unit) {
    return unit.empty() ? number : number + ' ' + unit;
}

void appendPart(std::string& out, const UnitStatistics& s) {
    const std::string readings = count(s.readings, translated("kv::RecordStatistics", "%1 reading"),
                                       translated("kv::RecordStatistics", "%1 readings"));
    const std::string gaps = count(s.gaps, translated("kv::RecordStatistics", "%1 gap"),
                                   translated("kv::RecordStatistics", "%1 gaps"));
    const std::string overloads =
        count(s.overloads, translated("kv::RecordStatistics", "%1 overload"),
              translated("kv::RecordStatistics", "%1 overloads"));
    if (s.readings == 0) {
        out += readings + ", " + gaps + ", " + overloads;
        return;
    }
    std::string minimum, maximum, mean;
    appendDecimal(minimum, s.minimum);
    appendDecimal(maximum, s.maximum);
    appendMean(mean, s.mean, std::max(decimalsOf(s.minimum), decimalsOf(s.maximum)) + 1);
    out += withArguments(translated("kv::RecordStatistics", "%1, min %2, max %3, mean %4, %5, %6"),
                         {readings, valueText(minimum, s.unit), valueText(maximum, s.unit),
                          valueText(mean, s.unit), gaps, overloads});
}

} // namespace

std::string summaryLine(const RecordStatistics& statistics) {
    std::string out;
    if (statistics.units.size() <= 1) {
        UnitStatistics all = statistics.units.empty() ? UnitStatistics{} : statistics.units[0];
        all.gaps = statistics.gaps;
        all.overloads = statistics.overloads;
        appendPart(out, all);
    } else {
        for (const UnitStatistics& s : statistics.units) {
            if (!out.empty())
                out += "; ";
            appendPart(out, s);
        }
    }
    if (statistics.garbled > 0) {
        out += ", ";
        out += count(statistics.garbled, translated("kv::RecordStatistics", "%1 garbled reply"),
                     translated("kv::RecordStatistics", "%1 garbled replies"));
    }
    return out;
}

void StatisticsTally::add(const Row& row, const RowContext& context) {
    if (!keptRow(row))
        return;
    if (totals_.readings + totals_.gaps + totals_.overloads == 0)
        totals_.first = totals_.last = row.time;
    else if (row.time < totals_.last)
        ++totals_.outOfOrder;
    totals_.last = std::max(totals_.last, row.time);
    const std::size_t group = groupOf(row, context);
    if (group == kNoGroup) {
        if (unitlessGaps_++ == 0)
            firstUnitless_ = row.time;
        ++totals_.gaps;
        return;
    }
    Group& g = groups_[group];
    UnitStatistics& s = g.stats;
    if (s.readings + s.gaps + s.overloads == 0)
        s.first = s.last = row.time;
    s.last = std::max(s.last, row.time);
    switch (row.status) {
    case Reading::Status::ok:
        s.minimum = s.readings == 0 ? row.value : std::min(s.minimum, row.value);
        s.maximum = s.readings == 0 ? row.value : std::max(s.maximum, row.value);
        g.sum += row.value;
        ++s.readings;
        ++totals_.readings;
        break;
    case Reading::Status::overload:
        ++s.overloads;
        ++totals_.overloads;
        break;
    case Reading::Status::gap:
        ++s.gaps;
        ++totals_.gaps;
        break;
    case Reading::Status::unlisted: // shown, never kept
        break;
    }
}

void StatisticsTally::clear() {
    *this = StatisticsTally{};
}

RecordStatistics StatisticsTally::result() const {
    RecordStatistics out = totals_;
    for (const Group& g : groups_) {
        out.units.push_back(g.stats);
        if (g.stats.readings > 0)
            out.units.back().mean = g.sum / static_cast<double>(g.stats.readings);
    }
    if (unitlessGaps_ > 0 && !out.units.empty()) {
        out.units[0].gaps += unitlessGaps_;
        out.units[0].first = firstUnitless_;
    }
    return out;
}

std::size_t StatisticsTally::groupOf(const Row& row, const RowContext& context) {
    // Only a gap before the first reading has neither unit nor codes; a recording without
    // those columns has readings in an empty unit.
    if (!context.hasCodes && row.status == Reading::Status::gap)
        return kNoGroup;
    if (row.context < groupOfContext_.size() && groupOfContext_[row.context] != kNoGroup)
        return groupOfContext_[row.context];
    auto it = std::find_if(groups_.begin(), groups_.end(),
                           [&](const Group& g) { return g.stats.unit == context.unit; });
    if (it == groups_.end()) {
        groups_.push_back({});
        groups_.back().stats.unit = context.unit;
        it = groups_.end() - 1;
    }
    if (groupOfContext_.size() <= row.context)
        groupOfContext_.resize(row.context + 1, kNoGroup);
    groupOfContext_[row.context] = static_cast<std::size_t>(it - groups_.begin());
    return groupOfContext_[row.context];
}

} // namespace kv
