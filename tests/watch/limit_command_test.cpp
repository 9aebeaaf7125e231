#include "watch/limit_command.h"
#include "watch/limit_watch.h"
#include "watch_fixture.h"

#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::reading;

// A target in a folder with a blank in its name, so the command line needs its quotes: it
// appends its environment to the file named by its first argument, waits as long as the file
// named by its second argument exists, and exits with the status given third.
class CommandTarget {
public:
    CommandTarget() : folder_(dir_.filePath(QStringLiteral("limit command"))) {
        QDir().mkpath(folder_);
        QFile script(folder_ + QStringLiteral("/target.sh"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "echo \"$KV_LIMIT|$KV_VALUE|$KV_UNIT|$KV_TIME\" >> \"$1\"\n"
                     "while [ -e \"$2\" ]; do sleep 0.01; done\n"
                     "exit \"$3\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QString commandLine(int status = 0) const {
        return QStringLiteral("\"%1/target.sh\" \"%2\" \"%3\" %4")
            .arg(folder_, log(), gate())
            .arg(status);
    }
    QString log() const { return folder_ + QStringLiteral("/env.txt"); }
    QString gate() const { return folder_ + QStringLiteral("/gate"); }
    void closeGate() const {
        QFile f(gate());
        f.open(QIODevice::WriteOnly);
    }
    void openGate() const { QFile::remove(gate()); }

    QStringList lines() const {
        QFile f(log());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString folder_;
};

bool finishes(LimitCommand& command) {
    return test::runEventsUntil([&] { return !command.running(); }, 20s);
}

TEST(LimitCommandRuns, OncePerCrossingWithTheCrossingsEnvironment) {
    test::InUtc utc;
    CommandTarget target;
    LimitCommand command(target.commandLine());
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    watch.onCrossing = [&](const LimitCrossing& c) {
        EXPECT_TRUE(command.run(c));
        EXPECT_TRUE(finishes(command));
    };
    for (float v : {5.0f, 12.5f, 13.0f, 14.0f, 5.0f, 0.25f})
        watch.feed(reading(v));
    EXPECT_EQ(target.lines(), (QStringList{
                                  "upper|12.5|V-DC|2026-12-08T14:03:07.125+00:00",
                                  "inside|5|V-DC|2026-12-08T14:03:07.125+00:00",
                                  "lower|0.25|V-DC|2026-12-08T14:03:07.125+00:00",
                              }));
}

TEST(LimitCommandRuns, NotStartedTwiceWhileTheLastRunGoesOnAndToldSoOnceItEnds) {
    CommandTarget target;
    LimitCommand command(target.commandLine());
    QSignalSpy told(&command, &LimitCommand::told);
    target.closeGate();
    // run() comes back while the command waits: it never blocks the readings.
    EXPECT_TRUE(command.run({LimitSide::above, reading(13)}));
    EXPECT_TRUE(command.running());
    ASSERT_TRUE(test::runEventsUntil([&] { return target.lines().size() == 1; }, 20s));
    EXPECT_FALSE(command.run({LimitSide::inside, reading(5)}));
    EXPECT_FALSE(command.run({LimitSide::above, reading(14)}));
    EXPECT_EQ(told.size(), 0) << "said once the run ends, not at every crossing";
    target.openGate();
    ASSERT_TRUE(finishes(command));
    EXPECT_EQ(target.lines().size(), 1);
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0][0].toString(),
              QStringLiteral("The limit command %1 was still running at 2 more crossings, which "
                             "started no second run")
                  .arg(target.commandLine()));
    // Once it has ended, the next crossing runs it again.
    EXPECT_TRUE(command.run({LimitSide::below, reading(0)}));
    ASSERT_TRUE(finishes(command));
    EXPECT_EQ(target.lines().size(), 2);
    EXPECT_EQ(told.size(), 1);
}

TEST(LimitCommandFailures, AStatusOtherThanZeroAndAMissingProgramAreTold) {
    CommandTarget target;
    for (int status : {0, 3}) {
        LimitCommand command(target.commandLine(status));
        QSignalSpy failed(&command, &LimitCommand::told);
        command.run({LimitSide::above, reading(13)});
        ASSERT_TRUE(finishes(command));
        const QStringList expected =
            status == 0 ? QStringList()
                        : QStringList{QStringLiteral("The limit command %1 exited with status 3")
                                          .arg(target.commandLine(status))};
        QStringList told;
        for (const QList<QVariant>& args : failed)
            told << args[0].toString();
        EXPECT_EQ(told, expected);
    }

    LimitCommand missing(QStringLiteral("/nonexistent/kv-limit-target"));
    QSignalSpy notStarted(&missing, &LimitCommand::told);
    missing.run({LimitSide::above, reading(13)});
    ASSERT_TRUE(test::runEventsUntil([&] { return notStarted.size() > 0; }, 20s));
    EXPECT_TRUE(notStarted[0][0].toString().startsWith(
        "The limit command /nonexistent/kv-limit-target could not be started: "));
    EXPECT_FALSE(LimitCommand(QStringLiteral("  ")).run({LimitSide::above, reading(13)}));
}

} // namespace
} // namespace kv
