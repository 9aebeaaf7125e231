#pragma once

#include "channel/channel.h"
#include "meter/meter_protocol.h"
#include "session/meter_session.h"
#include "sim/memory_meter.h"

#include <string>

namespace kv::bench {

// A channel on the in-memory meter, whose readings climb through 9000 values in volts, the
// reply wait 0: its polls are driven by hand, one pollOnce() a reading.
struct TickedChannel {
    MemoryMeter meter{[step = 0]() mutable {
        step = (step + 37) % 9000;
        return meterReply(240, 136, "0" + std::to_string(1000 + step));
    }};
    Channel channel{meter};
    MeterSession& session = channel.session();

    // Opens the meter's port; false when it cannot.
    bool open() {
        session.poller().setWaitMs(0);
        return channel.openPort("COM1");
    }
    // Starts polling, the polls then driven here.
    void start() {
        channel.start();
        session.poller().stop();
    }
};

} // namespace kv::bench
