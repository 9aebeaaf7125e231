#include "app/outcome_record.h"

#include <algorithm>
#include <cstdint>

namespace kv {

bool recordOutcome(Recorder& recorder, const PollOutcome& outcome) {
    const auto function = static_cast<std::uint8_t>(outcome.function);
    const auto range = static_cast<std::uint8_t>(outcome.range);
    switch (outcome.kind) {
    case PollOutcome::Kind::Reading:
        return recorder.addReading(outcome.timeMs, outcome.value, outcome.unit, function, range);
    case PollOutcome::Kind::Overload:
        return recorder.addOverload(outcome.timeMs, outcome.unit, function, range);
    case PollOutcome::Kind::Silence:
        // The record wants the time the silence is told at and dates its gap back to the last
        // reading itself, which is where the poller's silence began: the next request follows
        // the last reply at once. Told the beginning instead, it would find the silence too
        // short and keep no gap. The poller has already timed the second on a steady clock, so
        // a wall clock set back meanwhile must not lose the gap either.
        recorder.noteSilence(std::max(wallClockMs(), outcome.timeMs + Recorder::kSilenceMs));
        return false;
    }
    return false;
}

} // namespace kv
