#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/snapshot.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv {
namespace {

class Snapshot : public ::testing::Test {
protected:
    Snapshot() { window.session().poller().setWaitMs(0); }

    // Runs the event loop until the run has finished or `ms` have passed.
    void runFor(SnapshotRun& run, int ms) {
        QElapsedTimer t;
        t.start();
        while (!run.isFinished() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    MemoryMeter link;
    ErrorReporter errors{[](const QString&, const QString&) {}};
    test::TestWindow window{link, {}, errors};
    QTemporaryDir dir;
    std::vector<int> statuses;
};

TEST_F(Snapshot, AfterTheReadingsThePictureOfTheClientAreaIsSavedAndTheRunEndsWithZero) {
    for (int i = 0; i < 10; ++i)
        link.replies.push_back(meterReply(240, 136, "0" + std::to_string(1000 + i * 500)));
    const QString file = dir.filePath("w.png");
    SnapshotRun run(window, window.channel, file, 3, 5000);
    QObject::connect(&run, &SnapshotRun::finished, [this](int s) { statuses.push_back(s); });
    window.show();
    window.openClick();
    runFor(run, 5000);
    ASSERT_EQ(statuses, std::vector<int>{0});
    EXPECT_FALSE(window.session().poller().isActive()) << "the picture is held still";
    EXPECT_EQ(window.readings(), 3);
    const QImage img(file);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(471, 648));
    EXPECT_EQ(img.pixelColor(190, 60), QColor(214, 223, 247));
}

TEST_F(Snapshot, ReadingsThatDoNotComeInTimeEndTheRunWithAnError) {
    link.openResult = 0; // nothing will ever be read
    const QString file = dir.filePath("never.png");
    SnapshotRun run(window, window.channel, file, 3, 150);
    QObject::connect(&run, &SnapshotRun::finished, [this](int s) { statuses.push_back(s); });
    window.openClick();
    runFor(run, 3000);
    ASSERT_EQ(statuses, std::vector<int>{1});
    EXPECT_TRUE(run.error().contains("0 of 3")) << run.error().toStdString();
    EXPECT_TRUE(run.error().endsWith("\nCannot open COM1.")) << "and why";
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(Snapshot, APictureThatCannotBeWrittenEndsTheRunWithAnError) {
    link.replies.push_back(meterReply(240, 136, "01234"));
    SnapshotRun run(window, window.channel, dir.filePath("missing/folder/w.png"), 1, 5000);
    QObject::connect(&run, &SnapshotRun::finished, [this](int s) { statuses.push_back(s); });
    window.openClick();
    runFor(run, 5000);
    ASSERT_EQ(statuses, std::vector<int>{1});
    EXPECT_TRUE(run.error().contains("cannot write"));
}

} // namespace
} // namespace kv
