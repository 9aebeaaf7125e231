#pragma once

#include "app/meter_poller.h"
#include "record/recorder.h"

namespace kv {

// Keeps what a poll told in the record: a reading or an overload as a row at the time it
// was read, a silence as the one gap row the record makes for it, a garbled reply or an
// unlisted pair of codes only in the count of garbled replies. True when a reading or an
// overload was kept (the record ignores them all outside a session).
bool recordOutcome(Recorder& recorder, const PollOutcome& outcome);

} // namespace kv
