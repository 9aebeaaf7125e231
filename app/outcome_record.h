#pragma once

#include "app/meter_poller.h"
#include "record/recorder.h"

namespace kv {

// Keeps what a poll told in the record: a reading or an overload as a row at the time it
// was read, a silence as the one gap row the record makes for it. True when a reading or an
// overload was kept (the record ignores all three outside a session).
bool recordOutcome(Recorder& recorder, const PollOutcome& outcome);

} // namespace kv
