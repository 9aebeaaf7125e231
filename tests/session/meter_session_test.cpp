// The meter session on the in-memory meter: the port opened as the meter wants it, and
// readings, overloads and silences told in the order the meter gave them.
#include "session/meter_session.h"

#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/wait.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;

// Everything the session tells, in words.
struct Heard {
    explicit Heard(MeterSession& s) {
        QObject::connect(&s, &MeterSession::reading, [this](const Reading& r) {
            said.push_back("reading " + r.unit);
            readings.push_back(r);
        });
        QObject::connect(&s, &MeterSession::overload, [this](const Reading& r) {
            said.push_back("overload " + r.unit);
            readings.push_back(r);
        });
        QObject::connect(&s, &MeterSession::silenceBegan, [this](qint64 since) {
            said.push_back("silence");
            silenceSince = since;
            silenceToldAt = QDateTime::currentMSecsSinceEpoch();
        });
        QObject::connect(&s, &MeterSession::silenceEnded, [this] { said.push_back("spoken"); });
        QObject::connect(&s, &MeterSession::openFailed,
                         [this](const QString& why) { said.push_back(why.toStdString()); });
    }
    std::vector<std::string> said;
    std::vector<Reading> readings;
    qint64 silenceSince = 0;
    qint64 silenceToldAt = 0;
};

TEST(MeterSession, OpensThePortAsTheMeterWantsItOrSaysWhyNot) {
    MemoryMeter link;
    MeterSession session(link);
    Heard heard(session);
    EXPECT_EQ(session.open("COM3"), std::nullopt);
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(link.calls,
              (std::vector<std::string>{"open COM3:9600,N,8,1", "rts 1", "timeouts 2"}));

    link.openResult = 0;
    EXPECT_EQ(session.open("COM12"), QString("Cannot open COM12."));
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(heard.said, std::vector<std::string>{"Cannot open COM12."});
    session.start();
    test::runEventsUntil([] { return false; }, 250ms);
    EXPECT_TRUE(link.sent.empty()) << "nothing is asked of a port that is not open";
}

TEST(MeterSession, ASilenceIsToldOnceASecondAfterItBeganAndEndsWithTheNextReading) {
    MemoryMeter link;
    link.replies.push_back(meterReply(240, 136, "01234"));
    for (int i = 0; i < 80; ++i)
        link.replies.push_back({}); // unanswered
    link.replies.push_back(meterReply(160, 230, "0?000"));
    link.replies.push_back(meterReply(224, 136, "04700"));
    MeterSession session(link);
    session.poller().setWaitMs(20);
    Heard heard(session);
    ASSERT_EQ(session.open("COM1"), std::nullopt);
    session.start();
    ASSERT_TRUE(test::runEventsUntil([&] { return heard.readings.size() == 3; }, 20s));
    session.stop();

    EXPECT_EQ(heard.said, (std::vector<std::string>{"reading V-DC", "silence", "spoken",
                                                    "overload Hz", "reading KOhm"}));
    const Reading& first = heard.readings[0];
    EXPECT_FLOAT_EQ(first.value, 1.234f);
    EXPECT_EQ(first.format, "00.000");
    EXPECT_TRUE(heard.readings[1].overload());
    EXPECT_FLOAT_EQ(heard.readings[1].value, 1.234f) << "an overload has no value of its own";
    EXPECT_EQ(heard.readings[1].function, 160);
    EXPECT_EQ(heard.readings[1].range, 230);
    EXPECT_GT(heard.readings[2].monotonicNs, first.monotonicNs);
    // Dated to the first request that went unanswered, and told a second later.
    EXPECT_LT(std::abs(heard.silenceSince - first.time), 100);
    EXPECT_GE(heard.silenceToldAt - heard.silenceSince, MeterSession::kSilenceMs);
}

} // namespace
} // namespace kv
