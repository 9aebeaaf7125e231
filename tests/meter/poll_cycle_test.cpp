#include "meter/poll_cycle.h"

#include "fake_reading.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <iterator>
#include <random>

namespace kv {
namespace {

using test::changes;

// The in-memory meter, and two broken devices: one that never stops sending and one
// that reports bytes but has none left after `lostAfter` reads.
struct FakePort : MemoryMeter {
    bool endless = false;
    int lostAfter = -1;

    int bytesWaiting() override {
        if (endless || lostAfter >= 0)
            return 1000;
        return MemoryMeter::bytesWaiting();
    }
    int readByte() override {
        if (endless) {
            ++reads;
            return 'A';
        }
        if (lostAfter >= 0 && reads >= lostAfter) {
            ++reads;
            return -1;
        }
        return MemoryMeter::readByte();
    }
};

std::vector<std::string> slots(const ReplyFrame& f) {
    std::vector<std::string> out;
    for (int n = 1; n <= kReplyLength; ++n)
        out.push_back(f.slot(n));
    return out;
}

struct PollCycleTest : ::testing::Test {
    FakePort port;
    std::vector<int> sleeps;
    PollCycle cycle{port, [this](int ms) { sleeps.push_back(ms); }};
    Reading& reading = cycle.reading;
    Reading mark; // the reading before the poll a test looks at
    void SetUp() override {
        cycle.openResult = 1;
        reading = test::restingReading();
        mark = reading;
    }
};

TEST(ReplyFrame, SlotsStartAtZeroAndMapToTheirBoxes) {
    ReplyFrame f;
    EXPECT_EQ(slots(f), std::vector<std::string>(12, "0"));
    f.slot(1) = "137";
    f.slot(12) = "7";
    EXPECT_EQ(f.b1, "137");
    EXPECT_EQ(f.b12, "7");
    f.b6 = "48";
    EXPECT_EQ(f.slotValue(6), 48);
    f.b7 = "";
    EXPECT_EQ(f.slotValue(7), 0);
    EXPECT_THROW(f.slot(0), std::out_of_range);
    EXPECT_THROW(f.slot(13), std::out_of_range);
}

TEST_F(PollCycleTest, ClosedPortDoesNothing) {
    for (int result : {0, 2, -1}) {
        cycle.openResult = result;
        EXPECT_FALSE(cycle.tick());
    }
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(sleeps.empty());
    EXPECT_TRUE(changes(mark, reading).empty());
}

TEST_F(PollCycleTest, EveryRequestIs137ThenWait) {
    for (int i = 0; i < 3; ++i) {
        cycle.tick();
        EXPECT_EQ(cycle.requestValue, 0);
    }
    EXPECT_EQ(port.sent, (std::vector<int>{137, 137, 137}));
    EXPECT_EQ(sleeps, (std::vector<int>{100, 100, 100}));
    // A request built on a leftover value would exceed a byte and is clamped.
    cycle.requestValue = 5;
    cycle.poll();
    EXPECT_EQ(port.sent.back(), 255);
    EXPECT_EQ(cycle.requestValue, 0);
}

TEST_F(PollCycleTest, TwelveByteReplyFillsEverySlot) {
    port.replies = {{137, 240, 136, 4, 5, '0', '1', '2', '3', '4', 11, 12}};
    EXPECT_TRUE(cycle.tick());
    EXPECT_EQ(slots(cycle.frame), (std::vector<std::string>{"137", "240", "136", "4", "5", "48",
                                                            "49", "50", "51", "52", "11", "12"}));
    EXPECT_EQ(reading.unit, "V-DC");
    EXPECT_EQ(reading.format, "00.000");
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_EQ(cycle.label7, "01,234");
    EXPECT_EQ(port.readsWhileEmpty, 0) << "no read after an empty count";
}

TEST_F(PollCycleTest, LongReplyLosesItsTail) {
    auto r = meterReply(240, 136, "01234");
    r.push_back(99);
    r.push_back(98);
    port.replies = {r};
    EXPECT_TRUE(cycle.tick());
    EXPECT_EQ(cycle.frame.b11, "0");
    EXPECT_EQ(cycle.frame.b12, "0");
    EXPECT_TRUE(port.rx.empty()) << "the two extra bytes are read and dropped";
}

// Only a whole reply that starts with the echoed request byte reaches the frame; the rest
// would pair new codes with older digits.
TEST_F(PollCycleTest, GarbledRepliesLeaveTheFrameAndTheReadingAlone) {
    port.replies = {meterReply(240, 136, "01234")};
    ASSERT_EQ(cycle.poll(), PollResult::Reading);
    const std::vector<std::string> before = slots(cycle.frame);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } garbled[] = {
        {"short", {137, 248, 128, 0, 0, '0', '1', '2'}},
        {"one byte short", {137, 248, 128, 0, 0, '0', '1', '2', '3', '4', 0}},
        {"not the echo", {136, 248, 128, 0, 0, '0', '1', '2', '3', '4', 0, 0}},
        {"shifted", {0, 137, 248, 128, 0, 0, '0', '1', '2', '3', '4', 0, 0}},
        {"a tail", {'3', '4', 0, 0}},
    };
    for (const auto& g : garbled) {
        SCOPED_TRACE(g.what);
        port.replies = {g.bytes};
        mark = reading;
        EXPECT_EQ(cycle.poll(), PollResult::Garbled);
        EXPECT_TRUE(changes(mark, reading).empty());
        EXPECT_EQ(slots(cycle.frame), before);
        EXPECT_EQ(cycle.label7, "01,234");
        EXPECT_TRUE(port.rx.empty()) << "the garbled bytes are drained";
    }
    port.replies = {meterReply(248, 128, "01289")};
    EXPECT_EQ(cycle.poll(), PollResult::Reading) << "twelve good bytes after garbled ones";
    EXPECT_EQ(reading.unit, "V-AC");
    EXPECT_FLOAT_EQ(reading.value, 0.1289f);
}

TEST_F(PollCycleTest, UnlistedPairGoesToTheDisplaysAsItsOwnResult) {
    port.replies = {meterReply(240, 136, "01234"), meterReply(240, 160, "05678")};
    ASSERT_EQ(cycle.poll(), PollResult::Reading);
    EXPECT_EQ(cycle.poll(), PollResult::Unlisted);
    EXPECT_FLOAT_EQ(reading.value, 1.234f) << "the previous value, as the decoder leaves it";
    port.replies = {meterReply(240, 160, "05678")};
    EXPECT_TRUE(cycle.tick()) << "the displays still show it";
}

TEST_F(PollCycleTest, NoReplyDecodesNothingAndKeepsTheFrame) {
    port.replies = {meterReply(240, 136, "01234")};
    EXPECT_TRUE(cycle.tick());
    mark = reading;
    EXPECT_EQ(cycle.poll(), PollResult::NoReply);
    EXPECT_FALSE(cycle.tick());
    EXPECT_TRUE(changes(mark, reading).empty()) << "an old frame is not handed on as a new reading";
    EXPECT_EQ(cycle.frame.b6, "48");
    EXPECT_EQ(cycle.label7, "01,234");
    EXPECT_EQ(port.sent.size(), 3u) << "every poll still asks";
}

TEST_F(PollCycleTest, FirstTickWithoutReplyShowsNothing) {
    EXPECT_FALSE(cycle.tick());
    EXPECT_TRUE(changes(mark, reading).empty());
    EXPECT_EQ(reading.value, 50.0f);
}

TEST_F(PollCycleTest, DigitsAboveNineAreAnOverloadNotAZero) {
    port.replies = {meterReply(240, 136, "01234"),
                    {137, 248, 136, 0, 0, '1', '?', '2', 255, ':', 0, 0},
                    {137, 224, 136, 0, 0, '0', '?', 32, '0', '0', 0, 0}};
    ASSERT_EQ(cycle.poll(), PollResult::Reading);
    mark = reading;
    EXPECT_EQ(cycle.poll(), PollResult::Overload);
    EXPECT_EQ(changes(mark, reading), (std::vector<std::string>{"unit V-AC"}))
        << "the function's unit, and no value";
    EXPECT_FLOAT_EQ(reading.value, 1.234f);
    EXPECT_EQ(cycle.frame.b7, "63") << "the frame keeps what the meter sent";
    // A byte below '0' rejects the frame, whatever else the digits hold.
    EXPECT_EQ(cycle.poll(), PollResult::Rejected);
}

TEST_F(PollCycleTest, SpaceOrMinusInADigitSlotEndsTheTick) {
    port.replies = {meterReply(240, 136, "01234"), meterReply(248, 136, "1 234"),
                    meterReply(240, 136, "-1234")};
    EXPECT_TRUE(cycle.tick());
    for (const char* expectedUnit : {"V-AC", "V-DC"}) {
        mark = reading;
        EXPECT_FALSE(cycle.tick());
        EXPECT_EQ(changes(mark, reading),
                  (std::vector<std::string>{std::string("unit ") + expectedUnit}));
        EXPECT_FLOAT_EQ(reading.value, 1.234f);
        EXPECT_EQ(reading.format, "00.000");
    }
    EXPECT_EQ(cycle.frame.b6, "45") << "the clean-up leaves characters below '0' alone";
}

TEST_F(PollCycleTest, EndlessSenderCannotHoldTheTick) {
    port.endless = true;
    cycle.tick();
    EXPECT_EQ(port.reads, PollCycle::kMaxDrainBytes);
    cycle.tick();
    EXPECT_EQ(port.reads, 2 * PollCycle::kMaxDrainBytes) << "the next tick goes on draining";
    EXPECT_EQ(cycle.frame.b1, "0") << "noise without the echo never reaches the frame";
}

TEST_F(PollCycleTest, DeviceLostDuringTheDrainEndsIt) {
    port.lostAfter = 3;
    port.rx = {137, 240, 136, 0, 0};
    EXPECT_EQ(cycle.poll(), PollResult::Garbled);
    EXPECT_EQ(port.reads, 4);
    EXPECT_EQ(cycle.frame.b1, "0") << "three bytes are not a reply";
}

// Whatever a broken or hostile device sends, a tick ends normally, reads no more than its
// share, and a reading it hands on comes from five digits.
TEST(PollCycleRobustness, RandomBytesNeverBreakATick) {
    {
        std::mt19937 random(27500);
        FakePort port;
        PollCycle cycle(port, [](int) {});
        Reading& reading = cycle.reading;
        cycle.openResult = 1;
        const int codes[] = {160, 168, 176, 192, 193, 208, 216, 224, 225, 226, 232, 240, 250};
        for (int tick = 0; tick < 3000; ++tick) {
            std::vector<std::uint8_t> bytes(random() % 20);
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random() % 256);
            // Often a plausible frame with noise in it, so the decoding runs deep.
            if (random() % 2 && bytes.size() >= 10) {
                bytes[1] = static_cast<std::uint8_t>(codes[random() % std::size(codes)]);
                bytes[2] = static_cast<std::uint8_t>(128 + random() % 128);
                for (int i = 5; i < 10; ++i)
                    if (random() % 8)
                        bytes[static_cast<std::size_t>(i)] =
                            static_cast<std::uint8_t>('0' + random() % 10);
            }
            port.replies = {bytes};
            port.reads = 0;
            const float before = reading.value;
            const std::vector<std::string> frameBefore = slots(cycle.frame);
            PollResult result = PollResult::NotOpen;
            ASSERT_NO_THROW(result = cycle.poll()) << "tick " << tick;
            ASSERT_LE(port.reads, static_cast<int>(bytes.size()));
            if (bytes.empty()) {
                ASSERT_EQ(result, PollResult::NoReply);
            }
            if (result == PollResult::Garbled) {
                ASSERT_EQ(slots(cycle.frame), frameBefore) << "tick " << tick;
            }
            if (result != PollResult::Reading && result != PollResult::Unlisted) {
                ASSERT_EQ(reading.value, before) << "only a reading changes the value";
            }
            for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n) {
                if (result == PollResult::Reading) {
                    ASSERT_GE(cycle.frame.slotValue(n), '0');
                    ASSERT_LE(cycle.frame.slotValue(n), '9');
                }
            }
            ASSERT_TRUE(std::isfinite(reading.value));
            ASSERT_GE(reading.value, 0.0f);
            ASSERT_LE(reading.value, 99999.0f);
        }
    }
}

} // namespace
} // namespace kv
