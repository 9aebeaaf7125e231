// A channel on the in-memory meter with no window anywhere: what it keeps, publishes and
// tells, in the order the meter said it.
#include "channel/channel.h"

#include "meter/meter_protocol.h"
#include "record/csv_reader.h"
#include "sim/memory_meter.h"
#include "support/wait.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace kv {
namespace {

using namespace std::chrono_literals;
using Slot = StatusNotes::Slot;

const MemoryMeter::Reply kGarbled{137, 248, 128, 0, 0, '5', '6'};

// A channel whose polls a test runs one at a time.
class ChannelOnMemoryMeter : public ::testing::Test {
protected:
    ChannelOnMemoryMeter() {
        channel.session().poller().setWaitMs(0);
        QObject::connect(&channel, &Channel::reading,
                         [this](const Reading& r) { shown.push_back(r); });
        QObject::connect(&channel, &Channel::kept, [this](const Reading& r) { kept.push_back(r); });
    }

    void start() {
        ASSERT_TRUE(channel.start("COM1"));
        channel.session().poller().stop(); // polls by hand
    }
    void poll(const MemoryMeter::Reply& reply) {
        link.replies.push_back(reply);
        channel.session().poller().pollOnce();
    }
    // The record's readings; the store also holds what is only shown (unlisted readings,
    // the marks where the unit changes).
    std::vector<Reading::Status> rows() const {
        std::vector<Reading::Status> out;
        const ReadingStore& store = channel.record().rows();
        for (std::size_t i = 0; i < store.size(); ++i)
            if (keptRow(store[i]))
                out.push_back(store[i].status);
        return out;
    }

    MemoryMeter link;
    Channel channel{link};
    std::vector<Reading> shown;
    std::vector<Reading> kept;
};

TEST_F(ChannelOnMemoryMeter, KeepsWhatTheMeterMeasuredShowsEverythingAndTellsWhyNothingComes) {
    start();
    poll(meterReply(240, 136, "01234"));
    for (int i = 0; i < MeterSession::kGarbledRunTold; ++i)
        poll(kGarbled);
    EXPECT_EQ(channel.notes().text(), StatusNotes::garbledText());
    poll(meterReply(240, 160, "05678")); // codes without a row: shown, never kept
    EXPECT_EQ(channel.notes().text(), StatusNotes::garbledText())
        << "a reading that is not the meter's ends no run of garbled replies";
    poll(meterReply(160, 230, "0?000"));
    EXPECT_EQ(channel.notes().text(), "") << "an overload ends it";
    poll(meterReply(240, 136, "02000"));

    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1].status, Reading::Status::unlisted);
    EXPECT_EQ(rows(), (std::vector<Reading::Status>{Reading::Status::ok, Reading::Status::overload,
                                                    Reading::Status::ok}));
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[1].unit, "Hz");
    EXPECT_FLOAT_EQ(kept[2].value, 2.0f);
    EXPECT_EQ(channel.record().statistics().garbled, 6u) << "five garbled, one unlisted";

    // Stop keeps the record for saving; the next Start empties it.
    QSignalSpy stopped(&channel, &Channel::stopped);
    channel.stop();
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_FLOAT_EQ(channel.session().current().value, 0.0f) << "the decoder goes on from 0";
    start();
    EXPECT_EQ(channel.record().rows().size(), 0u);
}

TEST_F(ChannelOnMemoryMeter, APortThatWillNotOpenIsTheReasonTillTheMeterAnswers) {
    link.openResult = 0;
    EXPECT_FALSE(channel.start("COM7"));
    EXPECT_EQ(channel.notes().whyNoReadings(), "Cannot open COM7.");
    link.openResult = 1;
    start();
    EXPECT_EQ(channel.notes().text(), "");
}

TEST_F(ChannelOnMemoryMeter, ASilenceIsAGapAtTheReadingBeforeItAndANoteTillTheNextReading) {
    link.replies.push_back(meterReply(240, 136, "01234"));
    for (int i = 0; i < 80; ++i)
        link.replies.push_back({});
    link.replies.push_back(meterReply(240, 136, "01500"));
    channel.session().poller().setWaitMs(20);
    ASSERT_TRUE(channel.start("COM1"));
    ASSERT_TRUE(test::runEventsUntil([&] { return kept.size() == 2; }, 20s));
    EXPECT_TRUE(channel.notes().text().startsWith("No reply from the meter since"));
    ASSERT_TRUE(test::runEventsUntil([&] { return kept.size() == 3; }, 20s));
    channel.stop();
    EXPECT_EQ(kept[1].status, Reading::Status::gap);
    EXPECT_EQ(kept[1].time, kept[0].time) << "dated to the last reading, where it began";
    EXPECT_EQ(kept[1].unit, "V-DC");
    EXPECT_EQ(channel.notes().text(), "");
}

TEST_F(ChannelOnMemoryMeter, ALogGetsEveryKeptReadingAndTheNotesCountThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.csv");
    ASSERT_TRUE(channel.startLog(path));
    start();
    poll(meterReply(240, 136, "01234"));
    poll(meterReply(240, 160, "05678"));
    poll(meterReply(240, 136, "01235"));
    EXPECT_EQ(channel.notes().text(), "Recording to bench.csv: 2 readings");
    channel.stopLog();
    EXPECT_EQ(channel.notes().text(), "");

    CsvReader reader;
    ASSERT_TRUE(reader.open(path.toStdString()));
    ReadingStore store;
    ASSERT_TRUE(reader.readAvailable(store));
    ASSERT_EQ(store.size(), 2u);
    EXPECT_FLOAT_EQ(store[1].value, 1.235f);

    EXPECT_FALSE(channel.startLog(dir.filePath("no/such/folder/x.csv")));
    EXPECT_FALSE(channel.logFailure().isEmpty());
    EXPECT_EQ(channel.notes().text(), channel.logFailure());
}

TEST_F(ChannelOnMemoryMeter, TheBenchWatchesTheMeasuredReadingsAndSaysSoInTheNotes) {
    Limits limits;
    limits.upper = 2.0f;
    channel.bench().setLimits(limits);
    QSignalSpy bells(&channel.bench(), &ChannelBench::bell);
    start();
    poll(meterReply(240, 136, "01234"));
    EXPECT_EQ(bells.count(), 0);
    poll(meterReply(240, 136, "02500"));
    EXPECT_EQ(bells.count(), 1);
    EXPECT_TRUE(channel.notes().text().startsWith("Above the upper limit"))
        << channel.notes().text().toStdString();
    channel.bench().toggleRelative();
    poll(meterReply(240, 136, "02600"));
    EXPECT_TRUE(channel.bench().shaping());
    EXPECT_NEAR(channel.bench().display().digits.value, 0.1f, 1e-6);
    EXPECT_FLOAT_EQ(channel.record().rows()[2].value, 2.6f) << "the record keeps the measured";
}

} // namespace
} // namespace kv
