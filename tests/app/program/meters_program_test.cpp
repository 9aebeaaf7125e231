// Several meters read by the built program at once, with and without windows, on
// pseudo-terminals of the test's own, and the channels derived from them: one log with a
// channel column, the arithmetic in its rows, the gaps of a meter that falls silent, a window
// per channel, the log opened again, limits per channel, and the command lines refused before
// anything starts. CTest names the program in $KV27500.
#include "sim/meter_simulator.h"
#include "sim/sim_script.h"
#include "tests/support/program_run.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

// One line of a log of several channels.
struct Row {
    qint64 time = 0; // ms since the epoch
    QString value, unit, status, function, channel;
};

std::vector<Row> rowsOf(const QString& path, QString* header) {
    QFile f(path);
    std::vector<Row> rows;
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            *header = lines[i];
            continue;
        }
        const QStringList f = lines[i].split(',');
        if (f.size() != 8)
            return {};
        Row r;
        r.time = QDateTime::fromString(f[0], Qt::ISODateWithMs).toMSecsSinceEpoch();
        r.value = f[2];
        r.unit = f[3];
        r.status = f[4];
        r.function = f[5];
        r.channel = f[7];
        rows.push_back(r);
    }
    return rows;
}

// A meter that answers `reply` (function, range and digits) `times` times, or for ever.
std::unique_ptr<kv::sim::MeterSimulator> meterOf(const char* reply, int times = 0) {
    std::string script;
    for (int i = 0; i < std::max(times, 1); ++i)
        script += std::string(reply) + "\n";
    auto meter = std::make_unique<kv::sim::MeterSimulator>(kv::sim::parseSimScript(script).steps,
                                                           times == 0);
    return meter->start() ? std::move(meter) : nullptr;
}

class SeveralMeters : public ::testing::Test {
protected:
    SeveralMeters() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(v);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("TZ", "UTC");
    }
    int run(const QStringList& args) { return kv::test::runProgram(program, env, args, err); }

    const QString program = qEnvironmentVariable("KV27500");
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString err;
};

// 5 V across a load, 2 A through it: 10 W in every row of P, and Q the amp-hours so far.
TEST_F(SeveralMeters, VoltsAmpsWattsAndAmpHoursGoIntoOneLogWithTheirChannels) {
    auto volts = meterOf("240 128 50000");
    auto amps = meterOf("168 128 20000");
    ASSERT_TRUE(volts && amps);
    const QString log = dir.filePath("bench.csv");
    ASSERT_EQ(run({"--no-window", "--meter", "V=" + QString::fromStdString(volts->devicePath()),
                   "--meter", "I=" + QString::fromStdString(amps->devicePath()), "--derive",
                   "P=V*I", "--derive", "Q = integral(I)", "--log", log, "--duration", "4"}),
              0)
        << err.toStdString();
    QString header;
    const std::vector<Row> rows = rowsOf(log, &header);
    EXPECT_EQ(header, "time,elapsed_s,value,unit,status,function,range,channel");
    std::map<QString, int> ok;
    qint64 firstAmps = 0, lastAmps = 0;
    double q = -1;
    for (const Row& r : rows) {
        if (r.status != "ok")
            continue;
        ++ok[r.channel];
        if (r.channel == "P") {
            EXPECT_EQ(r.value.toDouble(), 10.0);
            EXPECT_EQ(r.unit, "W");
            EXPECT_EQ(r.function, "") << "a derived row has no meter codes";
        } else if (r.channel == "I") {
            firstAmps = firstAmps ? firstAmps : r.time;
            lastAmps = r.time;
        } else if (r.channel == "Q") {
            EXPECT_EQ(r.unit, "Ah");
            q = r.value.toDouble();
        }
    }
    for (const char* channel : {"V", "I", "P", "Q"})
        EXPECT_GE(ok[channel], 25) << channel << ": four seconds at ten readings a second";
    const double expected = 2.0 * double(lastAmps - firstAmps) / 1000.0 / 3600.0;
    EXPECT_NEAR(q, expected, expected * 0.02);
    for (const char* channel : {"V: ", "I: ", "P: ", "Q: "})
        EXPECT_TRUE(err.contains(QString("\n") + channel) || err.startsWith(channel))
            << channel << " has its summary line:\n"
            << err.toStdString();
}

// The amps meter falls silent after 15 readings while the volts go on: P and Q give a gap,
// Q stops growing and keeps its value, and the volts' rows come at their own pace.
TEST_F(SeveralMeters, ASilentMeterGivesGapsInWhatIsDerivedFromItAndSlowsNoOther) {
    auto volts = meterOf("240 128 50000");
    auto amps = meterOf("168 128 20000", 15);
    ASSERT_TRUE(volts && amps);
    const QString log = dir.filePath("bench.csv");
    ASSERT_EQ(run({"--no-window", "--meter", QString::fromStdString(volts->devicePath()), "--meter",
                   QString::fromStdString(amps->devicePath()), "--derive", "P=A*B", "--derive",
                   "Q=integral(B)", "--log", log, "--duration", "5"}),
              0)
        << err.toStdString();
    QString header;
    const std::vector<Row> rows = rowsOf(log, &header);
    ASSERT_FALSE(rows.empty());
    std::map<QString, int> ok;
    double lastQ = -1;
    qint64 firstAmps = 0, lastAmps = 0;
    bool qGapAfterReadings = false, pGapAfterReadings = false;
    for (const Row& r : rows) {
        if (r.status == "ok") {
            ++ok[r.channel];
            if (r.channel == "B") {
                firstAmps = firstAmps ? firstAmps : r.time;
                lastAmps = r.time;
            }
            if (r.channel == "Q") {
                EXPECT_FALSE(qGapAfterReadings) << "no Q reading after the amps fell silent";
                lastQ = r.value.toDouble();
            }
        } else if (r.status == "gap") {
            qGapAfterReadings |= r.channel == "Q" && lastQ > 0;
            pGapAfterReadings |= r.channel == "P" && ok["P"] > 0;
        }
    }
    EXPECT_EQ(ok["B"], 15);
    EXPECT_TRUE(qGapAfterReadings);
    EXPECT_TRUE(pGapAfterReadings);
    const double expected = 2.0 * double(lastAmps - firstAmps) / 1000.0 / 3600.0;
    EXPECT_NEAR(lastQ, expected, expected * 0.02) << "the charge of the 15 readings, no more";
    EXPECT_GE(ok["A"], 40) << "the volts go on at their pace while the amps are silent";
}

TEST_F(SeveralMeters, ABadSetOfChannelsGetsOneLineAndStatusTwoAndNothingStarts) {
    auto meter = meterOf("240 128 50000");
    ASSERT_TRUE(meter);
    const QString dev = QString::fromStdString(meter->devicePath());
    const QString log = dir.filePath("never.csv");
    const QStringList headless{"--no-window", "--log", log};
    const std::vector<QStringList> cases = {
        {"--meter", "V=" + dev, "--derive", "P=V*X"},                      // unknown name
        {"--meter", "V=" + dev, "--derive", "P=Q*V", "--derive", "Q=P*V"}, // a cycle
        {"--meter", "V=" + dev, "--meter", "V=sim"},                       // same name
        {"--meter", "V!=" + dev},                                          // a bad name
        {"--meter", "V=" + dev, "--derive", "P=V**2"},                     // malformed
        {"--meter", "A=" + dev, "--meter", "B=" + dev},                    // one port twice
        {"--meter", "V=" + dev, "--port", dev},                            // and --port
        {"--meter", "V=" + dev, "--lower", "W:1"},                         // no such channel
        {"--meter", "V=" + dev, "--upper", "V:2", "--upper", "V:3"},       // a limit twice
        {"--meter", "V=" + dev, "--lower", "V:2", "--lower", "1"},         // both ways
    };
    // With windows too: nothing is shown, since nothing starts.
    const QStringList windowed{"--snapshot", dir.filePath("never.png"), "--readings", "1"};
    for (const QStringList& args : cases)
        for (const QStringList& how : {headless, windowed}) {
            EXPECT_EQ(run(how + args), 2) << args.join(' ').toStdString();
            EXPECT_EQ(err.count('\n'), 2) << err.toStdString();
            EXPECT_TRUE(err.startsWith("kv27500: ")) << err.toStdString();
        }
    EXPECT_TRUE(QDir(dir.path()).entryList({"never*.png"}).isEmpty());
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_EQ(meter->requestCount(), 0) << "no meter was asked";
}

// The log of four channels, opened as a user opens it, is four windows: a picture each,
// and each channel's summary the same as when its readings were taken.
TEST_F(SeveralMeters, TheLogOfFourChannelsOpensInFourWindowsWithTheSameReadings) {
    auto volts = meterOf("240 128 50000");
    auto amps = meterOf("168 128 20000");
    ASSERT_TRUE(volts && amps);
    const QString log = dir.filePath("bench.csv");
    ASSERT_EQ(run({"--no-window", "--meter", "V=" + QString::fromStdString(volts->devicePath()),
                   "--meter", "I=" + QString::fromStdString(amps->devicePath()), "--derive",
                   "P=V*I", "--derive", "Q=integral(I)", "--log", log, "--duration", "2"}),
              0)
        << err.toStdString();
    QStringList taken = err.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^[VIPQ]: "));
    ASSERT_EQ(taken.size(), 4) << err.toStdString();

    env.insert("QT_QPA_PLATFORM", "offscreen");
    ASSERT_EQ(run({log, "--snapshot", dir.filePath("shot.png")}), 0) << err.toStdString();
    QStringList shown = err.split('\n', Qt::SkipEmptyParts);
    taken.sort();
    shown.sort();
    EXPECT_EQ(shown, taken);
    for (const char* channel : {"V", "I", "P", "Q"}) {
        const QImage picture(dir.filePath(QString("shot-%1.png").arg(channel)));
        EXPECT_EQ(picture.size(), QSize(471, 648)) << channel;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("shot.png")));
}

// Windows on two meters and their product: a picture of each once the first has its
// readings, each footer naming its channel.
TEST_F(SeveralMeters, EachChannelHasAWindowOfItsOwn) {
    auto volts = meterOf("240 128 50000");
    auto amps = meterOf("168 128 20000");
    ASSERT_TRUE(volts && amps);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    ASSERT_EQ(run({"--meter", "V=" + QString::fromStdString(volts->devicePath()), "--meter",
                   "I=" + QString::fromStdString(amps->devicePath()), "--derive", "P=V*I",
                   "--snapshot", dir.filePath("shot.png"), "--readings", "5"}),
              0)
        << err.toStdString();
    EXPECT_TRUE(err.contains(QRegularExpression("(^|\n)V: \\d+ readings, min 5 V-DC")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QRegularExpression("(^|\n)P: \\d+ readings, min 10 W, max 10 W")))
        << err.toStdString();
    const QImage v(dir.filePath("shot-V.png")), p(dir.filePath("shot-P.png"));
    ASSERT_EQ(v.size(), QSize(471, 648));
    ASSERT_EQ(p.size(), QSize(471, 648));
    EXPECT_NE(v, p) << "each window shows its own channel";
}

// --lower NAME:VALUE watches that channel; the command hears which one crossed.
TEST_F(SeveralMeters, ALimitOfAChannelRunsTheCommandWithItsName) {
    auto volts = meterOf("240 128 50000");
    auto amps = meterOf("168 128 20000");
    ASSERT_TRUE(volts && amps);
    const QString told = dir.filePath("told.txt");
    const QString command = dir.filePath("on-limit.sh");
    QFile sh(command);
    ASSERT_TRUE(sh.open(QIODevice::WriteOnly));
    sh.write("#!/bin/sh\necho \"$KV_CHANNEL $KV_LIMIT $KV_VALUE\" >> \"$1\"\n");
    sh.close();
    sh.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(run({"--no-window", "--meter", "V=" + QString::fromStdString(volts->devicePath()),
                   "--meter", "I=" + QString::fromStdString(amps->devicePath()), "--derive",
                   "P=V*I", "--upper", "6", "--lower", "I:2.5", "--upper", "P:9", "--on-limit",
                   command + " " + told, "--log", dir.filePath("bench.csv"), "--duration", "2"}),
              0)
        << err.toStdString();
    QFile file(told);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << err.toStdString();
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, QStringList({"I lower 2", "P upper 10"})) << "V stays inside its limit";
}

// Three windows on a real X server, as a user's desktop shows them: side by side in the middle
// of the screen, each titled with its channel; one dragged by its background with the mouse
// comes back there at the next start, the others where they were.
TEST_F(SeveralMeters, ThreeWindowsUnderXStandSideBySideAndComeBackWhereDragged) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xvfb.isEmpty() || xwininfo.isEmpty() || xdotool.isEmpty())
        GTEST_SKIP() << "Xvfb, xwininfo and xdotool are needed";
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForReadyRead(20000));
    const QString display = ":" + QString::fromLatin1(server.readLine()).trimmed();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    QProcessEnvironment xEnv = QProcessEnvironment::systemEnvironment();
    xEnv.insert("DISPLAY", display);
    const auto x = [&](const QString& tool, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(xEnv);
        p.start(tool, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    // The windows of the channels as the X server has them, once all three are there.
    const auto windowsOnScreen = [&] {
        std::map<QString, QRect> windows;
        const QRegularExpression line(
            "\"VELOMAX KV27500 \u2013 ([ABP])\".* (\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+) ");
        for (int tries = 0; tries < 100 && windows.size() < 3; ++tries) {
            QThread::msleep(200);
            windows.clear();
            for (const QString& text : x(xwininfo, {"-root", "-tree"}).split('\n')) {
                const QRegularExpressionMatch m = line.match(text);
                if (m.hasMatch())
                    windows[m.captured(1)] = QRect(m.captured(4).toInt(), m.captured(5).toInt(),
                                                   m.captured(2).toInt(), m.captured(3).toInt());
            }
        }
        return windows;
    };
    const QStringList args{"--meter",  "A=sim", "--meter",    "B=sim",
                           "--derive", "P=A*B", "--autostart"};

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, args);
    std::map<QString, QRect> windows = windowsOnScreen();
    ASSERT_EQ(windows.size(), 3u)
        << QString::fromLocal8Bit(first.readAllStandardError()).toStdString();
    // (1920 - 3 * 471) / 2 = 253 across, (1080 - 648) / 2 = 216 down.
    EXPECT_EQ(windows["A"], QRect(253, 216, 471, 648));
    EXPECT_EQ(windows["B"], QRect(724, 216, 471, 648));
    EXPECT_EQ(windows["P"], QRect(1195, 216, 471, 648));
    // B by its footer, 60 to the right and 120 down; then the chart of A, which scrolls
    // instead.
    const auto drag = [&](QPoint from, QPoint by) {
        x(xdotool, {"mousemove", QString::number(from.x()), QString::number(from.y())});
        x(xdotool, {"mousedown", "1"});
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = from + by * step / 4;
            x(xdotool, {"mousemove", QString::number(at.x()), QString::number(at.y())});
        }
        x(xdotool, {"mouseup", "1"});
    };
    drag(QPoint(724 + 60, 216 + 625), QPoint(60, 120));
    drag(QPoint(253 + 200, 216 + 450), QPoint(-100, -100));
    QThread::msleep(500);
    windows = windowsOnScreen();
    EXPECT_EQ(windows["B"].topLeft(), QPoint(784, 336));
    EXPECT_EQ(windows["A"].topLeft(), QPoint(253, 216)) << "the chart is no handle";
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(20000));
    // A kill ends it cleanly, as the status of a terminated program says.
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 128 + 15);

    QProcess next;
    next.setProcessEnvironment(env);
    next.start(program, args);
    windows = windowsOnScreen();
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(20000));
    server.kill();
    server.waitForFinished();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows["A"].topLeft(), QPoint(253, 216));
    EXPECT_EQ(windows["B"].topLeft(), QPoint(784, 336));
    EXPECT_EQ(windows["P"].topLeft(), QPoint(1195, 216));
}

} // namespace
