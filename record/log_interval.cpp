#include "record/log_interval.h"

#include <algorithm>

namespace kv {

namespace {
// Empty intervals told one by one, at most; a clock that jumps further gives one gap row.
constexpr TimeMs kMostEmptyRows = 1000;
} // namespace

void LogInterval::start(TimeMs at) {
    begin_ = at;
    end_ = at + length_;
    started_ = true;
    overload_ = false;
    count_ = 0;
    sum_ = 0;
    context_ = ReadingStore::kNoContext;
}

void LogInterval::add(TimeMs time, Reading::Status status, float value, std::uint32_t context,
                      std::vector<Row>& out) {
    if (!started_)
        return;
    advance(time, out);
    // A silence's gap row adds nothing: an interval without readings is a gap of its own.
    if (status == Reading::Status::gap)
        return;
    if ((count_ > 0 || overload_) && context != context_) {
        close(time, out);
        begin_ = time;
    }
    context_ = context;
    if (status == Reading::Status::overload) {
        overload_ = true;
        return;
    }
    min_ = count_ == 0 ? value : std::min(min_, value);
    max_ = count_ == 0 ? value : std::max(max_, value);
    sum_ += static_cast<double>(value);
    ++count_;
}

void LogInterval::advance(TimeMs now, std::vector<Row>& out) {
    if (!started_ || now < end_)
        return;
    close(end_, out);
    const TimeMs empty = (now - end_) / length_;
    if (empty > kMostEmptyRows) {
        end_ += empty * length_;
        close(end_, out);
    } else {
        for (TimeMs i = 0; i < empty; ++i) {
            end_ += length_;
            close(end_, out);
        }
    }
    begin_ = end_;
    end_ += length_;
}

void LogInterval::finish(TimeMs now, std::vector<Row>& out) {
    if (!started_)
        return;
    advance(now, out);
    if (count_ > 0 || overload_)
        close(std::max(now, begin_), out);
    started_ = false;
}

void LogInterval::close(TimeMs time, std::vector<Row>& out) {
    Row row;
    row.time = time;
    row.context = context_;
    row.count = count_;
    if (count_ > 0) {
        row.mean = sum_ / static_cast<double>(count_);
        row.min = min_;
        row.max = max_;
    }
    row.status = overload_    ? Reading::Status::overload
                 : count_ > 0 ? Reading::Status::ok
                              : Reading::Status::gap;
    out.push_back(row);
    overload_ = false;
    count_ = 0;
    sum_ = 0;
}

} // namespace kv
