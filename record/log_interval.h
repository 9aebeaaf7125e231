#pragma once

#include "core/reading.h"
#include "record/reading_store.h"

#include <cstdint>
#include <vector>

namespace kv {

// The readings of a log gathered into one row per interval of a fixed length, counted from
// the session's start: the mean, least and greatest of its readings and how many there
// were, dated to the interval's end. An interval without a reading is a gap; one with an
// overload is an overload carrying the figures of its good readings; a reading in another
// unit ends the interval there, so that no row mixes units.
class LogInterval {
public:
    struct Row {
        TimeMs time = 0; // the interval's end, or where a change of unit cut it short
        Reading::Status status = Reading::Status::gap;
        double mean = 0;
        float min = 0, max = 0;
        std::uint64_t count = 0; // good readings; 0: no figures
        std::uint32_t context = ReadingStore::kNoContext;
    };

    // `lengthMs` above 0.
    explicit LogInterval(TimeMs lengthMs) : length_(lengthMs) {}

    // The first interval begins at `at`; what was gathered goes.
    void start(TimeMs at);
    // A row the record kept (a reading, an overload or a gap), in time order: the rows of the
    // intervals it ends are appended to `out`.
    void add(TimeMs time, Reading::Status status, float value, std::uint32_t context,
             std::vector<Row>& out);
    // The clock has reached `now`: the rows of the intervals that ended by then.
    void advance(TimeMs now, std::vector<Row>& out);
    // The interval under way ends at `now` (the log closes): its row, if it holds anything.
    void finish(TimeMs now, std::vector<Row>& out);

private:
    void close(TimeMs time, std::vector<Row>& out);

    TimeMs length_;
    TimeMs begin_ = 0; // of the interval under way
    TimeMs end_ = 0;   // its regular end
    bool started_ = false;
    bool overload_ = false;
    std::uint64_t count_ = 0;
    double sum_ = 0;
    float min_ = 0, max_ = 0;
    std::uint32_t context_ = ReadingStore::kNoContext; // of its readings, or the last seen
};

} // namespace kv
