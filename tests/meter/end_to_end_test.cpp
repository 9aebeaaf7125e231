// The poll cycle against the simulated meter over a real pseudo-terminal and serial link.
#include "meter/poll_cycle.h"
#include "meter/reading_decoder.h"
#include "serial/serial_link.h"
#include "sim/meter_simulator.h"

#include "fake_reading.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <thread>
#include <unistd.h>

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class EndToEnd : public ::testing::Test {
protected:
    // The reply wait is shorter than the program's 100 ms to keep the suite quick; the
    // simulator answers within a few milliseconds.
    static constexpr int waitMs = 40;

    void startMeter(const char* scriptText, bool withLink = false) {
        sim::ParsedScript script = sim::parseSimScript(scriptText);
        ASSERT_TRUE(script.ok()) << script.error;
        meter = std::make_unique<sim::MeterSimulator>(std::move(script.steps));
        if (withLink)
            linkPath = ::testing::TempDir() + "kv-e2e-" + std::to_string(::getpid());
        ASSERT_TRUE(meter->start(linkPath));
        PortEntry device;
        device.path = withLink ? linkPath : meter->devicePath();
        link.setPortTable(PortTable({device}, {}));
        // The window's Start sequence.
        const int opened = link.openPort(meterModeText(1));
        link.setRts(1);
        link.setTimeouts(2);
        cycle.openResult = opened;
        ASSERT_EQ(cycle.openResult, 1);
    }

    void TearDown() override {
        link.closePort();
        if (meter)
            meter->stop();
    }

    std::unique_ptr<sim::MeterSimulator> meter;
    std::string linkPath;
    SerialLink link;
    PollCycle cycle{link, [](int ms) {
                        (void)ms;
                        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
                    }};
    Reading& reading = cycle.reading;
};

TEST_F(EndToEnd, NormalReplyBecomesAReading) {
    startMeter("240 136 01234\n248 144 23012\n");
    EXPECT_TRUE(cycle.tick());
    EXPECT_EQ(reading.unit, "V-DC");
    EXPECT_EQ(reading.format, "00.000");
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_TRUE(cycle.tick());
    EXPECT_EQ(reading.unit, "V-AC");
    EXPECT_FLOAT_EQ(reading.value, 230.12f);
    EXPECT_EQ(meter->requestCount(), 2);
    EXPECT_EQ(meter->otherByteCount(), 0) << "nothing but 137 goes out on the line";
}

TEST_F(EndToEnd, ShortReplyIsNotMixedWithTheOldFrame) {
    startMeter("240 136 01234\nraw 137 248 128\n");
    cycle.tick();
    EXPECT_EQ(cycle.poll(), PollResult::Garbled);
    EXPECT_EQ(reading.unit, "V-DC");
    EXPECT_FLOAT_EQ(reading.value, 1.234f) << "no new range on old digits";
}

TEST_F(EndToEnd, LongReplyIsDrainedWhole) {
    startMeter("raw 137 240 136 0 0 48 49 50 51 52 0 0 53 54\nsilent\n");
    EXPECT_TRUE(cycle.tick());
    EXPECT_EQ(cycle.frame.b12, "0");
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_EQ(cycle.poll(), PollResult::NoReply);
    EXPECT_EQ(cycle.frame.b1, "137") << "the two extra bytes did not shift the next frame";
    EXPECT_EQ(link.bytesWaiting(), 0);
}

TEST_F(EndToEnd, SilentMeterGivesNoReading) {
    startMeter("240 136 01234\nsilent\n");
    ASSERT_TRUE(cycle.tick());
    const Reading before = reading;
    EXPECT_EQ(cycle.poll(), PollResult::NoReply);
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_TRUE(test::changes(before, reading).empty());
}

TEST_F(EndToEnd, LateReplyIsReadByTheNextTick) {
    // The program's full wait here, so the reply is late by a clear margin either way.
    startMeter("240 136 01234\ndelay 150 240 136 05678\nsilent\n");
    PollCycle cycle(link);
    const Reading& reading = cycle.reading;
    cycle.openResult = 1;
    ASSERT_TRUE(cycle.tick());
    EXPECT_EQ(cycle.poll(), PollResult::NoReply) << "not there yet";
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_TRUE(cycle.tick());
    EXPECT_FLOAT_EQ(reading.value, 5.678f);
}

TEST_F(EndToEnd, GarbageIsRejectedByTheDigitTest) {
    startMeter("240 136 01234\n"
               "raw 137 248 136 0 0 48 32 50 51 52 0 0\n"
               "raw 13 10 0 7\n");
    ASSERT_TRUE(cycle.tick());
    EXPECT_FALSE(cycle.tick());
    EXPECT_EQ(reading.unit, "V-AC") << "the unit changes before the digit test";
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_EQ(cycle.poll(), PollResult::Garbled);
    EXPECT_EQ(cycle.frame.b1, "137");
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
}

TEST_F(EndToEnd, VanishedMeterComesBackWithoutANewStart) {
    startMeter("240 136 01234\nunplug 250\n240 136 05678\n", true);
    ASSERT_TRUE(cycle.tick());
    // While the meter is away every tick ends quickly, without a reading.
    const auto start = Clock::now();
    Clock::time_point backAt{};
    bool sawItAway = false;
    while (Clock::now() - start < 3s && reading.value != 5.678f) {
        const auto tickStart = Clock::now();
        const PollResult result = cycle.poll();
        EXPECT_LT(Clock::now() - tickStart, 300ms);
        if (meter->unplugged()) {
            sawItAway = true;
            EXPECT_EQ(result, PollResult::NoReply);
        } else if (sawItAway && backAt == Clock::time_point{}) {
            backAt = Clock::now();
        }
        if (reading.value != 5.678f) {
            EXPECT_FLOAT_EQ(reading.value, 1.234f);
        }
    }
    EXPECT_TRUE(sawItAway);
    ASSERT_FLOAT_EQ(reading.value, 5.678f);
    EXPECT_LT(Clock::now() - backAt, 1000ms) << "back within a second of the device";
    EXPECT_EQ(cycle.openResult, 1);
}

// A broken device that never stops sending noise: every tick still ends soon, takes at most
// its share of the bytes, and nothing but digits reaches the reading.
TEST(HostileDevice, EndlessNoiseOverARealLine) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char name[128];
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    PortEntry device;
    device.path = name;
    SerialLink link(PortTable({device}, {}));
    ASSERT_EQ(link.openPort(meterModeText(1)), 1);
    link.setTimeouts(2);

    std::atomic<bool> done{false};
    std::thread noise([&] {
        std::mt19937 random(137);
        std::uint8_t buf[512];
        while (!done) {
            for (auto& b : buf)
                b = static_cast<std::uint8_t>(random());
            pollfd p{master, POLLOUT, 0};
            if (::poll(&p, 1, 20) > 0 && ::write(master, buf, sizeof buf) < 0)
                std::this_thread::sleep_for(1ms);
        }
    });

    PollCycle cycle(link, [](int) { std::this_thread::sleep_for(20ms); });
    const Reading& reading = cycle.reading;
    cycle.openResult = 1;
    for (int tick = 0; tick < 20; ++tick) {
        const auto start = Clock::now();
        PollResult result = PollResult::NotOpen;
        ASSERT_NO_THROW(result = cycle.poll());
        EXPECT_LT(Clock::now() - start, 1000ms);
        for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n) {
            if (result == PollResult::Reading) {
                EXPECT_GE(cycle.frame.slotValue(n), '0');
                EXPECT_LE(cycle.frame.slotValue(n), '9');
            }
        }
        EXPECT_TRUE(std::isfinite(reading.value));
    }
    EXPECT_TRUE(link.isConnected());
    done = true;
    noise.join();
    link.closePort();
    ::close(master);
}

TEST(DemoScript, EveryReplyDecodesThroughAllFunctions) {
    sim::ParsedScript demo = sim::parseSimScript(sim::demoScript());
    ASSERT_TRUE(demo.ok());
    Reading reading;
    std::string text;
    std::vector<int> functions;
    std::vector<std::string> units;
    float lowest = 1e9f, highest = 0;
    for (const sim::SimStep& step : demo.steps) {
        const ReplyFrame f = test::frameOf(step.bytes);
        ASSERT_NE(findRangeRow(f.slotValue(2), f.slotValue(3)), nullptr) << f.b2 << "/" << f.b3;
        ASSERT_EQ(decodeReading(f, text, reading), Decoded::Reading);
        if (functions.empty() || functions.back() != f.slotValue(2))
            functions.push_back(f.slotValue(2));
        if (units.empty() || units.back() != reading.unit)
            units.push_back(reading.unit);
        lowest = std::min(lowest, reading.value);
        highest = std::max(highest, reading.value);
    }
    EXPECT_EQ(functions,
              (std::vector<int>{240, 248, 232, 168, 169, 176, 177, 224, 226, 160, 192, 216, 234}))
        << "each of the thirteen functions once";
    // Resistance and frequency climb through their ranges into the next unit prefix.
    EXPECT_EQ(units, (std::vector<std::string>{"V-DC", "V-AC", "mVolt", "A - DC", "A - AC",
                                               "mA - DC", "mA - AC", "Ohm", "KOhm", "MOhm", "Hz",
                                               "KHz", "°C", "Diodentest", "dBm"}));
    EXPECT_LT(lowest, 1.0f);
    EXPECT_GT(highest, 100.0f) << "the demo crosses decades";
}

} // namespace
} // namespace kv
