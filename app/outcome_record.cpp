#include "app/outcome_record.h"

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
        // The poller has timed the silence; the record dates its gap row to the last
        // reading, where the silence began.
        recorder.addGap();
        return false;
    case PollOutcome::Kind::Garbled:
    case PollOutcome::Kind::Unlisted:
        // Neither is a value the meter showed: an unlisted pair carries the previous value.
        recorder.addGarbled();
        return false;
    }
    return false;
}

} // namespace kv
