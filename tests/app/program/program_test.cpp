// The built program as a user runs it, without a display: its command line, what it prints
// and what it leaves behind. CTest names the program in $KV27500.
#include "meter/meter_protocol.h"
#include "sim/meter_simulator.h"
#include "sim/sim_script.h"
#include "tests/record/strict_csv.h"
#include "tests/support/program_run.h"
#include "tests/support/ratio_pictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

class Program : public ::testing::Test {
protected:
    Program() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            env.remove(v);
        QDir(dir.path()).mkpath("tmp");
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    }

    // The exit status (-1 for a crash or a hang); stdout and stderr land in out and err.
    int run(QStringList args, bool snapshotAfterOneReading = false) {
        if (snapshotAfterOneReading)
            args << "--snapshot" << dir.filePath("w.png") << "--readings"
                 << "1";
        return kv::test::runProgram(program, env, args, err, &out);
    }
    // Starts the program and returns once `file` holds at least `lines` lines.
    bool startUntilLines(QProcess& p, const QStringList& args, const QString& file, int lines) {
        p.setProcessEnvironment(env);
        p.start(program, args);
        for (int i = 0; i < 3000 && p.state() != QProcess::NotRunning; ++i) {
            if (fileText(file).count('\n') >= lines)
                return true;
            QThread::msleep(10);
        }
        return false;
    }
    static QString fileText(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString rememberedPort() const {
        return QSettings(dir.filePath("config/kv27500/kv27500.conf"), QSettings::IniFormat)
            .value("ports/last")
            .toString();
    }

    const QString program = qEnvironmentVariable("KV27500");
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString out, err;
};

TEST_F(Program, AWrongArgumentGetsOneLineAndWhereHelpIsEvenAfterQtOptions) {
    EXPECT_EQ(run({"--frobnicate"}), 2);
    EXPECT_EQ(err, "kv27500: unknown argument: --frobnicate\nTry '" + program + " --help'.\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(run({"-style", "fusion", "--readings", "3"}), 2);
    EXPECT_EQ(err.count('\n'), 2) << err.toStdString();
    EXPECT_EQ(run({"-style", "fusion", "--help"}), 0);
    EXPECT_TRUE(out.contains("F5") && out.contains("Esc") && out.contains("Ctrl+Q"));
}

TEST_F(Program, QtTakesItsOwnOptions) {
    QFile sheet(dir.filePath("red.qss"));
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    sheet.write("QPushButton { background: rgb(255, 0, 0); }");
    sheet.close();
    ASSERT_EQ(run({"-platform", "offscreen", "-style", "fusion", "-stylesheet", sheet.fileName(),
                   "--simulate"},
                  true),
              0)
        << err.toStdString();
    const QColor start = QImage(dir.filePath("w.png")).pixelColor(82, 10);
    EXPECT_TRUE(start.red() > 200 && start.green() < 160 && start.blue() < 160);
}

// Without a display, or on a platform that is not there, one line rather than Qt's page and
// an abort; a picture and the logger need no display.
TEST_F(Program, WithoutADisplayItSaysSoInOneLineAndEndsWithStatusOne) {
    const QString noDisplay = "kv27500: no display: set DISPLAY, or use --no-window / --snapshot\n";
    const QString picture = dir.filePath("w.png");
    const QStringList cases[] = {
        {"--simulate"},
        {"--simulate", "--autostart"},
        {"-platform", "bogus", "--simulate"},
        {"--platform", "bogus", "--simulate", "--snapshot", picture, "--readings", "1"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(run(args), 1);
        EXPECT_EQ(err, noDisplay);
        EXPECT_EQ(out, "");
        EXPECT_FALSE(QFile::exists(picture));
    }
    // Named in the environment, or the display set: a platform named must be there.
    env.insert("DISPLAY", ":97");
    env.insert("QT_QPA_PLATFORM", "bogus");
    EXPECT_EQ(run({"--simulate"}), 1);
    EXPECT_EQ(err, noDisplay);
    // A list of platforms is tried in turn; the first that is there counts.
    env.insert("QT_QPA_PLATFORM", "bogus;offscreen");
    ASSERT_EQ(run({"--simulate"}, true), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(picture));
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    EXPECT_EQ(run({"--no-window", "--simulate", "--log", "-", "--readings", "1"}), 0)
        << err.toStdString();
}

TEST_F(Program, WithoutARuntimeFolderItUsesAPrivateOneQuietlyAndRemovesIt) {
    ASSERT_EQ(run({"--simulate"}, true), 0) << err.toStdString();
    EXPECT_FALSE(err.contains("XDG_RUNTIME_DIR") || err.contains("runtime directory"));
    EXPECT_TRUE(QDir(dir.filePath("tmp")).isEmpty());
}

TEST_F(Program, ThePortThatGaveReadingsIsRememberedButTheSimulatorNever) {
    kv::sim::MeterSimulator meter(kv::sim::demoSteps(), true);
    ASSERT_TRUE(meter.start());
    const QString device = QString::fromStdString(meter.devicePath());
    ASSERT_EQ(run({"--port", device}, true), 0) << err.toStdString();
    EXPECT_EQ(rememberedPort(), "path:" + device);
    ASSERT_EQ(run({"--simulate"}, true), 0) << err.toStdString();
    EXPECT_EQ(rememberedPort(), "path:" + device);
}

TEST_F(Program, ARememberedPortThatTheSystemDoesNotListButThatIsThereIsListedAndRead) {
    kv::sim::MeterSimulator meter(kv::sim::demoSteps(), true);
    const QString device = dir.filePath("rfcomm-like");
    ASSERT_TRUE(meter.start(device.toStdString()));
    QSettings(dir.filePath("config/kv27500/kv27500.conf"), QSettings::IniFormat)
        .setValue("ports/last", "path:" + device);
    ASSERT_EQ(run({}, true), 0) << err.toStdString();
    EXPECT_EQ(rememberedPort(), "path:" + device);
    EXPECT_GT(meter.requestCount(), 0);
}

// The log into a pipe whose reader stops, with the window and without: the polls go on (the
// meter keeps being asked long after the pipe is full), the logger tells how far behind the
// log is, and once the reader reads again every line comes, in order.
TEST_F(Program, AStoppedLogReaderHoldsUpNoPollAndGetsEveryLineInOrderWhenItReadsAgain) {
    kv::sim::MeterSimulator meter(kv::sim::demoSteps(), true);
    ASSERT_TRUE(meter.start());
    const QString device = QString::fromStdString(meter.devicePath());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString fifo = dir.filePath("log.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "with the window" : "without a window");
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        fcntl(reader, F_SETPIPE_SZ, 4096); // full after about seventy lines
        QProcess p;
        p.setProcessEnvironment(env);
        const QStringList common{"--port", device, "--log", fifo, "--readings", "140"};
        p.start(program, window ? common + QStringList{"--snapshot", dir.filePath("w.png")}
                                : QStringList{"--no-window"} + common);
        // Nothing is read meanwhile.
        const int before = meter.requestCount();
        for (int i = 0;
             i < 3000 && meter.requestCount() < before + 110 && p.state() != QProcess::NotRunning;
             ++i)
            QThread::msleep(10);
        EXPECT_GE(meter.requestCount(), before + 110) << "the polls stopped when the pipe was full";

        std::string text;
        fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK);
        char buf[4096];
        for (ssize_t n; (n = ::read(reader, buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<std::size_t>(n));
        ::close(reader);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString told = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), 0) << told.toStdString();
        if (!window) {
            EXPECT_TRUE(QRegularExpression("The log is \\d+ s behind: its reader does not keep up")
                            .match(told)
                            .hasMatch())
                << told.toStdString();
        }
        const auto rows = kv::test::readStrictCsv(text);
        ASSERT_TRUE(rows) << text;
        ASSERT_EQ(rows->size(), 141u) << "the header and every reading";
        for (std::size_t i = 2; i < rows->size(); ++i)
            ASSERT_LT(std::stod((*rows)[i - 1][1]), std::stod((*rows)[i][1]))
                << "in order, line " << i;
    }
    meter.stop();
}

TEST_F(Program, LogOptionsThatCannotWorkTogetherGetOneLineAndStatusTwo) {
    const QString log = dir.filePath("x.csv");
    const QStringList cases[] = {
        {"--no-window", "--simulate"},
        {"--no-window", "--simulate", "--log", log, "--duration", "0"},
        {"--no-window", "--simulate", "--log", log, "--duration", "-1"},
        {"--no-window", "--simulate", "--log", log, "--duration", "abc"},
        {"--no-window", "--simulate", "--log", log, "--snapshot", "w.png", "--readings", "1"},
        {"--no-window", "--log", log},
        {"--simulate", "--log", log, "--readings", "3"},
        {"--simulate", "--log", log, "--duration", "5"},
    };
    for (const QStringList& args : cases) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("kv27500: ") && err.count('\n') == 2) << err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(log));
    ASSERT_EQ(run({"--help"}), 0);
    for (const char* option : {"--log", "--no-window", "--duration", "--readings"})
        EXPECT_TRUE(out.contains(option)) << option;
}

// A value given twice would have lost one of them unseen; a value given to an option that
// takes none would have been ignored, whatever it said.
TEST_F(Program, ASecondValueOrAValueForAFlagGetsOneLineAndStatusTwoAndNothingRuns) {
    const QString log = dir.filePath("b.csv");
    const std::pair<QStringList, QString> cases[] = {
        {{"--no-window", "--simulate", "--readings", "1", "--log", "-", "--log", log},
         "--log is given twice"},
        {{"--simulate", "--snapshot", dir.filePath("w.png"), "--readings", "1", "--log", log,
          "--simulate", dir.filePath("other.txt")},
         "--simulate is given twice"},
        {{"--simulate", "--log", log, "--readings", "1", "--no-window=no"},
         "--no-window takes no value"},
    };
    for (const auto& [args, line] : cases) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_EQ(err, "kv27500: " + line + "\nTry '" + program + " --help'.\n");
        EXPECT_EQ(out, "");
    }
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_FALSE(QFile::exists(dir.filePath("w.png")));
}

// Half a second a reading is more than an int holds for such counts: the deadline must
// neither go negative (Qt warns and sets none) nor wrap round to a few seconds. The log shows
// the readings still coming in well after those.
TEST_F(Program, ASnapshotOfVeryManyReadingsKeepsWaitingForThem) {
    struct Run {
        QString count;
        QString log;
        QProcess process;
    } runs[2];
    runs[0].count = "5000000";
    runs[1].count = "2147483647";
    for (Run& r : runs) {
        r.log = dir.filePath(r.count + ".csv");
        r.process.setProcessEnvironment(env);
        r.process.start(program, {"--simulate", "--log", r.log, "--snapshot",
                                  dir.filePath(r.count + ".png"), "--readings", r.count});
        ASSERT_TRUE(r.process.waitForStarted());
    }
    auto running = [](QProcess& p) {
        p.waitForFinished(0); // notices an end
        return p.state() == QProcess::Running;
    };
    // Sixty readings: six seconds at ten a second, beyond the wrapped deadline of 4.5 s.
    auto waiting = [&](Run& r) { return running(r.process) && fileText(r.log).count('\n') < 61; };
    for (int i = 0; i < 6000 && (waiting(runs[0]) || waiting(runs[1])); ++i)
        QThread::msleep(10);
    for (Run& r : runs) {
        SCOPED_TRACE(r.count.toStdString());
        EXPECT_TRUE(running(r.process));
        EXPECT_GE(fileText(r.log).count('\n'), 61);
        r.process.kill();
        r.process.waitForFinished();
        const QString told = r.process.readAllStandardError();
        EXPECT_EQ(told, "") << told.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(r.count + ".png")));
    }
}

// The rows a summary line counts: readings, gaps and overloads of every unit.
int rowsCounted(const QString& summary) {
    int n = 0;
    static const QRegularExpression count(QStringLiteral("(\\d+) (reading|gap|overload)"));
    for (const auto& m : count.globalMatch(summary))
        n += m.captured(1).toInt();
    return n;
}

// The rows of a log so far, without its header.
int loggedRowCount(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? std::max(0, static_cast<int>(f.readAll().count('\n')) - 1)
                                       : 0;
}

TEST_F(Program, AnEmptyScriptNameOrAQtOptionWithoutItsValueIsAnsweredAtOnce) {
    env.insert("QT_QPA_PLATFORM", "offscreen"); // a window that shows would be the fault
    for (const QStringList& args : {QStringList{"--simulate", ""}, QStringList{"--simulate="},
                                    QStringList{"--simulate", "-platform"}}) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("kv27500: ") && err.count('\n') == 2) << err.toStdString();
    }
    EXPECT_TRUE(err.contains("-platform")) << err.toStdString();
}

TEST_F(Program, WithoutAWindowATimeShorterThanAPollEndsAfterTheFirstPoll) {
    const QString log = dir.filePath("x.csv");
    ASSERT_EQ(run({"--no-window", "--simulate", "--log", log, "--duration", "1e-9"}), 0)
        << err.toStdString();
    const auto rows = kv::test::readStrictCsv(fileText(log).toStdString());
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->size(), 2u) << "the header and the first poll's reading";
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_EQ(rowsCounted(err), 1) << err.toStdString();
}

TEST_F(Program, WithoutAWindowAPortOrAFileThatFailsEndsWithTheReasonAndStatusOne) {
    const QString log = dir.filePath("x.csv");
    EXPECT_EQ(run({"--no-window", "--port", dir.filePath("ttyNone"), "--log", log}), 1);
    EXPECT_TRUE(
        err.endsWith("kv27500: Cannot open " + dir.filePath("ttyNone") + ": no such device.\n"))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(log)) << "no file for a port that does not open";
    EXPECT_EQ(run({"--no-window", "--simulate", "--log", "/dev/full", "--duration", "5"}), 1);
    EXPECT_EQ(err, "kv27500: Cannot write /dev/full: no space left on device.\n");
}

// A picture on a port that does not open is given up at once, with the reason, rather than
// after waiting out its time for readings that cannot come.
TEST_F(Program, APictureOnAPortThatIsMissingOrInUseEndsAtOnceWithTheReason) {
    kv::sim::MeterSimulator meter(kv::sim::demoSteps(), true);
    ASSERT_TRUE(meter.start());
    const QString device = QString::fromStdString(meter.devicePath());
    // Held by another program: its lock taken.
    const int holder = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const QString missing = dir.filePath("ttyNone");
    const std::pair<QString, QString> cases[] = {
        {missing, "kv27500: Cannot open " + missing + ": no such device."},
        {device, "kv27500: Cannot open " + device + ": in use by another program."},
    };
    for (const auto& [port, reason] : cases) {
        SCOPED_TRACE(port.toStdString());
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(run({"--port", port, "--snapshot", dir.filePath("w.png"), "--readings", "1"}), 1);
        EXPECT_LT(clock.elapsed(), 4000) << "the picture's 5.5 s were waited out";
        const QStringList lines = err.trimmed().split('\n');
        ASSERT_GE(lines.size(), 2) << err.toStdString();
        EXPECT_EQ(lines[lines.size() - 2],
                  "kv27500: 0 of 1 readings came within 5.5 s; no picture taken");
        EXPECT_EQ(lines.last(), reason);
        EXPECT_FALSE(QFile::exists(dir.filePath("w.png")));
    }
    ::close(holder);
    meter.stop();
}

TEST_F(Program, AKilledLoggerLeavesWholeLinesAndARestartedOneAppendsUntilSigterm) {
    const QString log = dir.filePath("log.csv");
    const QStringList args{"--no-window", "--simulate", "--log", log};
    QProcess killed;
    ASSERT_TRUE(startUntilLines(killed, args, log, 6)) << killed.readAllStandardError().data();
    killed.kill();
    killed.waitForFinished();
    const QString before = fileText(log);
    const auto first = kv::test::readStrictCsv(before.toStdString());
    ASSERT_TRUE(first) << "not whole lines:\n" << before.toStdString();

    QProcess logger;
    ASSERT_TRUE(startUntilLines(logger, args, log, first->size() + 5));
    logger.terminate();
    ASSERT_TRUE(logger.waitForFinished(30000));
    EXPECT_EQ(logger.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(logger.exitCode(), 0);
    const QString summary = logger.readAllStandardError();
    EXPECT_EQ(summary.count('\n'), 1) << summary.toStdString();
    const auto all = kv::test::readStrictCsv(fileText(log).toStdString());
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), first->size() + rowsCounted(summary)) << summary.toStdString();
    for (std::size_t i = 1; i < all->size(); ++i)
        ASSERT_NE((*all)[i][0], "time") << "a header in the middle, line " << i;
}

// A log under a log rotator: moved away, removed (another name keeps it) and reopened on
// SIGHUP. Each file holds its header and whole rows; together they hold every reading, in
// order, each once.
TEST_F(Program, ALogMovedOrRemovedGoesOnInANewFileAtItsNameWithNoRowLostOrTwice) {
    const QString log = dir.filePath("log.csv");
    QProcess p;
    ASSERT_TRUE(startUntilLines(p, {"--no-window", "--simulate", "--log", log}, log, 10));
    auto grows = [&](int rows) {
        for (int i = 0; i < 3000 && p.state() != QProcess::NotRunning; ++i) {
            if (loggedRowCount(log) >= rows)
                return true;
            QThread::msleep(10);
        }
        return false;
    };
    ASSERT_TRUE(QFile::rename(log, log + ".1"));
    ASSERT_TRUE(grows(5)) << "no new file at the name";
    ASSERT_EQ(::link(QFile::encodeName(log).constData(), QFile::encodeName(log + ".2").constData()),
              0);
    ASSERT_TRUE(QFile::remove(log));
    ASSERT_TRUE(grows(5)) << "no new file at the name";
    const int before = loggedRowCount(log);
    ::kill(static_cast<pid_t>(p.processId()), SIGHUP);
    EXPECT_TRUE(grows(before + 5)) << "SIGHUP ended the logger";
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString told = p.readAllStandardError();
    EXPECT_EQ(told.count("kv27500: The log " + log +
                         " was moved, removed or emptied: it goes on at that name, from a new "
                         "header\n"),
              2)
        << told.toStdString();

    std::vector<std::string> times;
    for (const QString& file : {log + ".1", log + ".2", log}) {
        const auto rows = kv::test::readStrictCsv(fileText(file).toStdString());
        ASSERT_TRUE(rows && rows->size() > 5) << file.toStdString();
        EXPECT_EQ((*rows)[0][0], "time") << file.toStdString();
        for (std::size_t i = 1; i < rows->size(); ++i)
            times.push_back((*rows)[i][0]);
    }
    EXPECT_EQ(static_cast<int>(times.size()), rowsCounted(told.trimmed().split('\n').last()))
        << told.toStdString();
    for (std::size_t i = 1; i < times.size(); ++i)
        ASSERT_LT(times[i - 1], times[i]) << "row " << i << " out of order or twice";
}

// A log emptied under the logger, as a rotator that copies it does, gets its header again
// and stays a recording the program can open.
TEST_F(Program, ALogEmptiedUnderTheLoggerGetsItsHeaderAgain) {
    const QString log = dir.filePath("log.csv");
    QProcess p;
    ASSERT_TRUE(startUntilLines(p, {"--no-window", "--simulate", "--log", log}, log, 10));
    QFile(log).resize(0);
    for (int i = 0; i < 3000 && loggedRowCount(log) < 5; ++i)
        QThread::msleep(10);
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("was moved, removed or emptied"));
    const auto rows = kv::test::readStrictCsv(fileText(log).toStdString());
    ASSERT_TRUE(rows && rows->size() > 5) << fileText(log).toStdString();
    EXPECT_EQ((*rows)[0][0], "time");
    for (std::size_t i = 1; i < rows->size(); ++i)
        ASSERT_NE((*rows)[i][0], "time") << "a header in the middle, line " << i;
    EXPECT_EQ(run({log, "--snapshot", dir.filePath("p.png")}), 0) << err.toStdString();
    EXPECT_EQ(rowsCounted(err), static_cast<int>(rows->size()) - 1) << err.toStdString();
}

// The value, unit, status, function and range of each row after the header.
using LoggedRow = std::tuple<std::string, std::string, std::string, std::string, std::string>;
std::vector<LoggedRow> loggedRows(const QString& text) {
    std::vector<LoggedRow> out;
    const auto rows = kv::test::readStrictCsv(text.toStdString());
    if (!rows)
        return out;
    for (std::size_t i = 1; i < rows->size(); ++i) {
        const auto& r = (*rows)[i];
        if (r.size() == 7)
            out.emplace_back(r[2], r[3], r[4], r[5], r[6]);
    }
    return out;
}

TEST_F(Program, GarbledRepliesGiveNoRowsAndTheSummaryCountsThem) {
    const QString script = dir.filePath("garbled.txt");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("240 136 01234\n"
            "raw 137 248 128 0 0 48 49\n"              // short: new codes, no digits
            "raw 136 240 136 0 0 48 49 50 51 52 0 0\n" // does not start with the echo
            "raw 137 224 136 0 0 48\n"                 // a frame split over two polls
            "raw 52 55 48 48 0 0\n"                    //
            "240 160 05678\n"                          // a pair of codes without a row
            "raw 0 137 240 136 0 0 53 53 53 53 53 0\n" // shifted by one byte
            "240 136 01500\n");                        // twelve good bytes after them
    f.close();
    const QString log = dir.filePath("log.csv");
    ASSERT_EQ(run({"--no-window", "--simulate", script, "--log", log, "--readings", "2"}), 0)
        << err.toStdString();
    const std::vector<LoggedRow> expected = {{"1.234", "V-DC", "ok", "240", "136"},
                                             {"1.5", "V-DC", "ok", "240", "136"}};
    EXPECT_EQ(loggedRows(fileText(log)), expected) << fileText(log).toStdString();
    const QStringList lines = err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << err.toStdString();
    EXPECT_TRUE(lines[0].endsWith("The meter's replies are garbled: check the cable"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("2 readings, min 1.234 V-DC")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(", 6 garbled replies")) << lines[1].toStdString();
}

// A device on a pseudo-terminal that answers each request with two values only, but shifts,
// cuts and garbles many of its replies, as a loose connector would.
class GarblingDevice {
public:
    GarblingDevice() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) == 0)
            path_ = name;
        thread_ = std::thread([this] { serve(); });
    }
    ~GarblingDevice() {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        if (master_ >= 0)
            ::close(master_);
    }
    const std::string& path() const { return path_; }
    int replies() const { return replies_; }

private:
    void serve() {
        std::mt19937 random(22);
        std::vector<std::uint8_t> rest; // the cut-off part of the last reply
        while (!done_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) {
                if (p.revents & (POLLHUP | POLLERR))
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            std::uint8_t in[64];
            const ssize_t n = ::read(master_, in, sizeof in);
            if (n <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            std::vector<std::uint8_t> out = rest;
            rest.clear();
            std::vector<std::uint8_t> good = random() % 2 ? kv::meterReply(240, 136, "01234")
                                                          : kv::meterReply(248, 144, "23012");
            switch (random() % 6) {
            case 0: // shifted by a few bytes of noise
                for (unsigned i = 1 + random() % 3; i > 0; --i)
                    out.push_back(static_cast<std::uint8_t>(random()));
                out.insert(out.end(), good.begin(), good.end());
                break;
            case 1: { // cut: the rest comes ahead of the next reply
                const auto cut = good.begin() + 1 + random() % 11;
                out.insert(out.end(), good.begin(), cut);
                rest.assign(cut, good.end());
                break;
            }
            case 2: // noise
                for (unsigned i = 1 + random() % 20; i > 0; --i)
                    out.push_back(static_cast<std::uint8_t>(random()));
                break;
            case 3: // nothing
                break;
            default:
                out.insert(out.end(), good.begin(), good.end());
            }
            if (!out.empty() && ::write(master_, out.data(), out.size()) > 0)
                ++replies_;
        }
    }

    int master_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<int> replies_{0};
};

TEST_F(Program, AShiftingCuttingNoisyDeviceGetsOnlyTheValuesItSentIntoTheLog) {
    GarblingDevice device;
    ASSERT_FALSE(device.path().empty());
    const QString log = dir.filePath("log.csv");
    ASSERT_EQ(run({"--no-window", "--port", QString::fromStdString(device.path()), "--log", log,
                   "--duration", "5"}),
              0)
        << err.toStdString();
    const std::set<LoggedRow> sent = {{"1.234", "V-DC", "ok", "240", "136"},
                                      {"230.12", "V-AC", "ok", "248", "144"}};
    int ok = 0;
    for (const LoggedRow& row : loggedRows(fileText(log))) {
        if (std::get<2>(row) != "ok")
            continue;
        ++ok;
        EXPECT_TRUE(sent.count(row))
            << "a value the device never sent: " << std::get<0>(row) << " " << std::get<1>(row)
            << " " << std::get<3>(row) << "/" << std::get<4>(row);
    }
    EXPECT_GE(ok, 5) << err.toStdString();
    EXPECT_GE(device.replies(), 30);
    EXPECT_NE(err.indexOf(" garbled replies"), -1) << err.toStdString();
}

// A bench run: volts DC that leave the band above, come back and leave it below.
QString benchScript(const QTemporaryDir& dir) {
    const QString path = dir.filePath("bench.txt");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    for (const char* digits : {"01000", "05000", "01000", "00200"})
        for (int i = 0; i < 4; ++i)
            f.write(QByteArray("240 136 ") + digits + "\n");
    return path;
}

TEST_F(Program, TheLimitCommandRunsOncePerCrossingWithItsEnvironmentWithAndWithoutAWindow) {
    const QString script = benchScript(dir);
    const QString command = dir.filePath("on-limit.sh");
    QFile sh(command);
    ASSERT_TRUE(sh.open(QIODevice::WriteOnly));
    sh.write("#!/bin/sh\n"
             "echo \"$KV_LIMIT|$KV_VALUE|$KV_UNIT|$KV_TIME\" >> \"$1\"\n"
             "[ \"$KV_LIMIT\" != lower ]\n");
    sh.close();
    sh.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // German settings: the limit may have a decimal comma, the command still gets a point.
    env.insert("LC_ALL", "de_DE.UTF-8");
    env.insert("LANGUAGE", "en");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const bool window : {true, false}) {
        SCOPED_TRACE(window ? "with a window" : "without a window");
        const QString log = dir.filePath(window ? "window.csv" : "headless.csv");
        const QString told = dir.filePath(window ? "window.txt" : "headless.txt");
        QStringList args{
            "--simulate", script,    "--log", log,          "--lower",
            "0,5",        "--upper", "2",     "--on-limit", "\"" + command + "\" " + told};
        args << (window ? QStringList{"--snapshot", dir.filePath("w.png"), "--readings", "16"}
                        : QStringList{"--no-window", "--readings", "16"});
        ASSERT_EQ(run(args), 0) << err.toStdString();
        const auto rows = kv::test::readStrictCsv(fileText(log).toStdString());
        ASSERT_TRUE(rows && rows->size() >= 17) << fileText(log).toStdString();
        const auto time = [&](int row) { return QString::fromStdString((*rows)[row][0]); };
        EXPECT_EQ(fileText(told).split('\n', Qt::SkipEmptyParts),
                  QStringList({"upper|5|V-DC|" + time(5), "inside|1|V-DC|" + time(9),
                               "lower|0.2|V-DC|" + time(13)}));
        EXPECT_EQ(err.count("The limit command"), 1) << err.toStdString();
        EXPECT_TRUE(err.contains("The limit command \"" + command + "\" " + told +
                                 " exited with status 1\n"))
            << err.toStdString();
    }
}

TEST_F(Program, EachBadLimitOptionExitsTwoWithItsLine) {
    const QString log = dir.filePath("x.csv");
    const std::pair<QStringList, QString> cases[] = {
        {{"--lower", "abc"}, "The lower limit is not a number: abc"},
        {{"--upper", "1,5"}, "The upper limit is not a number: 1,5"}, // not the regional one
        {{"--lower", "3", "--upper", "2.5"}, "The lower limit 3 lies above the upper limit 2.5."},
        {{"--lower"}, "--lower needs a number"},
        {{"--upper", "--autostart"}, "--upper needs a number"},
        {{"--on-limit", "true"}, "--on-limit needs --lower or --upper"},
        {{"--upper", "2", "--on-limit", ""}, "--on-limit needs a command"},
        {{"--no-window", "--simulate", "--log", log, "--upper", "x"},
         "The upper limit is not a number: x"},
    };
    env.insert("LC_ALL", "C");
    for (const auto& [args, line] : cases) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_EQ(err, "kv27500: " + line + "\nTry '" + program + " --help'.\n");
    }
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_EQ(run({"--help"}), 0);
    for (const char* listed :
         {"--lower VALUE", "--upper VALUE", "--on-limit COMMAND", "Ctrl+H", "Ctrl+D", "Ctrl+L"})
        EXPECT_TRUE(out.contains(listed)) << listed;
}

// A meter whose every reading crosses a limit of 3: 1 V and 5 V by turns.
std::unique_ptr<kv::sim::MeterSimulator> crossingMeter() {
    auto meter = std::make_unique<kv::sim::MeterSimulator>(
        kv::sim::parseSimScript("240 136 01000\n240 136 05000\n").steps, true);
    return meter->start() ? std::move(meter) : nullptr;
}

// A command that writes far more than anyone reads, into a standard error nobody reads: the
// readings go on at the meter's pace, and SIGTERM ends the run at once with a whole log.
TEST_F(Program, AChattyLimitCommandHoldsUpNoPollWhenNobodyReadsStandardError) {
    const QString fifo = dir.filePath("stderr.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    fcntl(reader, F_SETPIPE_SZ, 4096); // full after the first run's first lines
    const QString log = dir.filePath("log.csv");
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(fifo);
    p.start(program, {"--no-window", "--simulate", "--log", log, "--upper", "3", "--on-limit",
                      "seq 1 100000"});
    ASSERT_TRUE(p.waitForStarted());
    // The demo crosses 3 V after about twenty readings.
    for (int i = 0; i < 1000 && loggedRowCount(log) < 30; ++i)
        QThread::msleep(10);
    const int before = loggedRowCount(log);
    QThread::msleep(5000);
    const int during = loggedRowCount(log) - before;
    EXPECT_GE(during, 38) << "readings in five seconds; the demo meter gives 9.8 a second";
    p.terminate();
    const bool ended = p.waitForFinished(5000);
    EXPECT_TRUE(ended) << "SIGTERM was not heeded";
    p.kill();
    p.waitForFinished();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const auto rows = kv::test::readStrictCsv(fileText(log).toStdString());
    ASSERT_TRUE(rows) << "not whole lines";
    EXPECT_GE(rows->size(), static_cast<std::size_t>(before + during));
    char buf[4096];
    EXPECT_GT(::read(reader, buf, sizeof buf), 0) << "the command's output came";
    ::close(reader);
}

// Each run's output reaches standard error up to its first 64 KiB in whole lines, and one
// line tells how much more there was.
TEST_F(Program, ALimitCommandsOutputIsCutAtItsFirst64KiBWithOneLineForTheRest) {
    // What seq 1 3000000 writes, and the lines of it that fit in 64 KiB.
    std::uint64_t total = 0, kept = 0;
    int keptLines = 0;
    for (int i = 1; i <= 3000000; ++i) {
        const std::uint64_t line = std::to_string(i).size() + 1;
        total += line;
        if (kept + line <= 64 * 1024 && keptLines == i - 1) {
            kept += line;
            keptLines = i;
        }
    }
    const QString told = dir.filePath("stderr.txt");
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(told);
    p.start(program, {"--no-window", "--simulate", "--log", dir.filePath("log.csv"), "--upper", "3",
                      "--on-limit", "seq 1 3000000", "--duration", "6"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    ASSERT_LT(QFileInfo(told).size(), 1 << 20) << "the output was not cut";
    const QStringList lines = fileText(told).split('\n', Qt::SkipEmptyParts);
    const QString leftOut = QString("kv27500: The limit command seq 1 3000000 wrote %1 bytes "
                                    "more, which were left out")
                                .arg(total - kept);
    int runs = 0, i = 0;
    while (i < lines.size() && lines[i] == "1") {
        for (int n = 1; n <= keptLines; ++n, ++i)
            ASSERT_EQ(lines.value(i), QString::number(n)) << "run " << runs << ", line " << i;
        ASSERT_EQ(lines.value(i++), leftOut);
        ++runs;
        if (lines.value(i).contains("was still running at"))
            ++i;
    }
    EXPECT_GE(runs, 1);
    EXPECT_EQ(i, lines.size() - 1) << lines.value(i).toStdString();
    EXPECT_EQ(rowsCounted(lines.value(i)), loggedRowCount(dir.filePath("log.csv")));
}

// Whatever the command does (not start, end at once, take its time), the program holds the
// same descriptors from one crossing to the next.
TEST_F(Program, TheLimitCommandLeavesNoDescriptorBehindWhateverItDoes) {
    const auto meter = crossingMeter();
    ASSERT_TRUE(meter);
    const QString device = QString::fromStdString(meter->devicePath());
    for (const char* command : {"/nonexistent/kv-limit-command", "seq 1 100", "sleep 0.3"}) {
        SCOPED_TRACE(command);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {"--no-window", "--port", device, "--log", dir.filePath("log.csv"),
                          "--upper", "3", "--on-limit", command});
        ASSERT_TRUE(p.waitForStarted());
        // The fewest over a moment: a run that goes holds the end of its output pipe, and
        // may still go at every look.
        auto descriptors = [&] {
            int fewest = 1 << 20;
            for (int i = 0; i < 40; ++i) {
                const QDir fds(QString("/proc/%1/fd").arg(p.processId()));
                fewest = std::min(fewest,
                                  static_cast<int>(fds.entryList(QDir::AllEntries | QDir::System |
                                                                 QDir::NoDotAndDotDot)
                                                       .size()));
                QThread::msleep(15);
            }
            return fewest;
        };
        QThread::msleep(1000);
        const int early = descriptors();
        QThread::msleep(2500);
        const int later = descriptors();
        EXPECT_LE(later, early + 1) << "after about 25 more crossings";
        p.terminate();
        EXPECT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().right(300).toStdString();
    }
}

// A command that takes longer than the readings take to cross: it is run once at a time, and
// each run tells once, as it ends, how many crossings came meanwhile.
TEST_F(Program, ALimitCommandStillRunningIsToldOncePerRunWithTheCrossingsItSkipped) {
    const auto meter = crossingMeter();
    ASSERT_TRUE(meter);
    const QString runs = dir.filePath("runs.txt"), log = dir.filePath("log.csv");
    ASSERT_EQ(run({"--no-window", "--port", QString::fromStdString(meter->devicePath()), "--log",
                   log, "--readings", "40", "--upper", "3", "--on-limit",
                   "sh -c \"echo run >> " + runs + "; sleep 1\""}),
              0)
        << err.toStdString();
    const auto rows = kv::test::readStrictCsv(fileText(log).toStdString());
    ASSERT_TRUE(rows && rows->size() == 41);
    int crossings = 0;
    for (std::size_t i = 1; i < rows->size(); ++i) {
        const bool above = std::stod((*rows)[i][2]) > 3;
        const bool before = i > 1 && std::stod((*rows)[i - 1][2]) > 3;
        crossings += above != before;
    }
    const int started = fileText(runs).count("run\n");
    int skipped = 0, toldLines = 0;
    static const QRegularExpression still(
        "The limit command sh -c \"echo run >> .*; sleep 1\" was still running at (one|\\d+) "
        "more crossings?, which started no second run");
    for (const QString& line : err.split('\n', Qt::SkipEmptyParts)) {
        const auto m = still.match(line);
        if (!line.contains("still running"))
            continue;
        ++toldLines;
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        skipped += m.captured(1) == "one" ? 1 : m.captured(1).toInt();
    }
    EXPECT_GE(started, 2);
    EXPECT_LE(toldLines, started + 1) << err.toStdString();
    // A run begun by the last reading may end with the program before it says so itself.
    EXPECT_GE(started + skipped, crossings - 1) << err.toStdString();
    EXPECT_LE(started + skipped, crossings) << err.toStdString();
}

// The dial's band in a picture of the window.
int bandPixels(const QImage& shot) {
    int n = 0;
    for (int y = 80; y < 328; ++y)
        for (int x = 8; x < 464; ++x)
            if (shot.pixelColor(x, y) == QColor(152, 220, 152))
                ++n;
    return n;
}

TEST_F(Program, RememberedLimitsComeBackAndNoneLeaveTheDialAsItWas) {
    const QString script = benchScript(dir);
    const QStringList args{"--simulate",          script,       "--snapshot",
                           dir.filePath("w.png"), "--readings", "6"};
    ASSERT_EQ(run(args), 0) << err.toStdString();
    EXPECT_EQ(bandPixels(QImage(dir.filePath("w.png"))), 0);
    QSettings memory(dir.filePath("config/kv27500/kv27500.conf"), QSettings::IniFormat);
    memory.setValue("bench/upper", 2.0);
    memory.setValue("bench/unit", "V-DC");
    memory.sync();
    ASSERT_EQ(run(args), 0) << err.toStdString();
    EXPECT_GT(bandPixels(QImage(dir.filePath("w.png"))), 500);
}

// Dark pixels in the chart's plot: the line of the readings (the grid is grey).
int linePixels(const QImage& picture) {
    int dark = 0;
    for (int y = 372; y < 560; ++y)
        for (int x = 50; x < 445; ++x) {
            const QColor c = picture.pixelColor(x, y);
            dark += c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    return dark;
}

TEST_F(Program, ALogOpensToAPictureWithTheLineAndTheLoggersOwnSummary) {
    const QString log = dir.filePath("log.csv");
    ASSERT_EQ(run({"--no-window", "--simulate", "--log", log, "--readings", "30"}), 0)
        << err.toStdString();
    const QString loggersSummary = err.trimmed().split('\n').last();
    ASSERT_TRUE(loggersSummary.startsWith("30 readings")) << err.toStdString();

    const QString picture = dir.filePath("log.png");
    ASSERT_EQ(run({log, "--snapshot", picture}), 0) << err.toStdString();
    EXPECT_EQ(err, loggersSummary + "\n");
    EXPECT_GT(linePixels(QImage(picture)), 100);
}

// A recording to compare with lies grey under the line, live or read from a file; one in
// another unit than the file shown, or one that cannot be read, ends the program with one line.
TEST_F(Program, ARecordingComparedWithLiesGreyUnderTheLineAndAnotherUnitIsRefused) {
    const auto script = [&](const char* name, int step) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 10; ++i)
            f.write(QString("240 128 %1\n").arg(1000 + step * i, 5, 10, QChar('0')).toUtf8());
        return f.fileName();
    };
    const QString reference = dir.filePath("reference.csv");
    ASSERT_EQ(run({"--no-window", "--simulate", script("steep.sim", 800), "--log", reference,
                   "--readings", "10"}),
              0)
        << err.toStdString();
    const auto grey = [](const QImage& picture) {
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += (picture.pixel(x, y) & 0xffffff) == 0x808080;
        return n;
    };
    const QString flat = script("flat.sim", 100);
    const QString alone = dir.filePath("alone.png"), compared = dir.filePath("compared.png");
    ASSERT_EQ(run({"--simulate", flat, "--snapshot", alone, "--readings", "10"}), 0);
    ASSERT_EQ(run({"--simulate", flat, "--compare", reference, "--snapshot", compared, "--readings",
                   "10"}),
              0)
        << err.toStdString();
    EXPECT_GT(grey(QImage(compared)), grey(QImage(alone)) + 100) << "the grid alone is grey";

    // Under a recording shown, with the units to compare.
    QFile alternating(dir.filePath("ac.csv"));
    ASSERT_TRUE(alternating.open(QIODevice::WriteOnly));
    alternating.write("time,elapsed_s,value,unit,status,function,range\n"
                      "2026-12-08T14:03:00.000+01:00,0.000,1.5,V-AC,ok,240,136\n");
    alternating.close();
    const QString picture = dir.filePath("p.png");
    EXPECT_EQ(run({reference, "--compare", alternating.fileName(), "--snapshot", picture}), 1);
    EXPECT_EQ(err, "kv27500: ac.csv is in V-AC and the readings are in V-DC: there is nothing to "
                   "compare.\n");
    EXPECT_FALSE(QFile::exists(picture));
    const QString missing = dir.filePath("missing.csv");
    EXPECT_EQ(run({reference, "--compare", missing, "--snapshot", picture}), 1);
    EXPECT_EQ(err, "kv27500: " + missing + " cannot be opened: no such file or directory\n");
    EXPECT_EQ(run({"--no-window", "--simulate", "--log", "-", "--compare", reference}), 2);
    EXPECT_TRUE(err.contains("--compare cannot be used with --no-window")) << err.toStdString();
}

TEST_F(Program, ANoteThatIsEmptyOrTooLongGetsOneLineAndStatusTwo) {
    const QString log = dir.filePath("never.csv");
    EXPECT_EQ(run({"--no-window", "--simulate", "--log", log, "--note", "  "}), 2);
    EXPECT_TRUE(err.startsWith("kv27500: --note: A note needs a text\n")) << err.toStdString();
    EXPECT_EQ(run({"--no-window", "--simulate", "--log", log, "--note", QString(201, 'x')}), 2);
    EXPECT_TRUE(
        err.startsWith("kv27500: --note: A note holds at most 200 characters; this one has 201\n"))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(log)) << "nothing started";
}

TEST_F(Program, AFileThatCannotBeReadEndsWithOneLineSayingWhyAndNoPicture) {
    const QString picture = dir.filePath("p.png");
    auto write = [&](const char* name, const char* text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = dir.filePath("missing.csv");
    const QString empty = write("empty.csv", "");
    const QString script = write("script.sh", "#!/bin/sh\necho hello\n");
    const QString noValue = write("novalue.csv", "time,unit\n2026-12-08T14:03:00.000+01:00,V\n");
    const std::pair<QString, QString> cases[] = {
        {missing, missing + " cannot be opened: no such file or directory"},
        {dir.path(), dir.path() + " is a folder, not a file"},
        {empty, empty + " is empty"},
        {script, script + " is not a recording of readings: its first line does not name the "
                          "columns time and value"},
        {noValue, "The header of " + noValue + " has no column 'value'"},
    };
    for (const auto& [file, sentence] : cases) {
        EXPECT_EQ(run({file, "--snapshot", picture}), 1) << file.toStdString();
        EXPECT_EQ(err, "kv27500: " + sentence + "\n");
        EXPECT_FALSE(QFile::exists(picture));
    }
    // A pipe has no writer: told at once rather than waited for.
    EXPECT_EQ(run({fifo, "--snapshot", picture}), 1);
    EXPECT_TRUE(err.startsWith("kv27500: " + fifo + " cannot be read: ")) << err.toStdString();
}

TEST_F(Program, UnreadableLinesAreSkippedAndToldBeforeTheSummary) {
    QFile f(dir.filePath("bad.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // Reordered by a spreadsheet, with a column of its own.
    f.write("value,note,time,unit\n"
            "1.5,a,2026-12-08T14:03:00.000+01:00,V-DC\n"
            "abc,b,2026-12-08T14:03:00.100+01:00,V-DC\n"
            "2.5,c,2026-12-08T14:03:00.200+01:00,V-DC\n");
    f.close();
    ASSERT_EQ(run({f.fileName(), "--snapshot", dir.filePath("p.png")}), 0) << err.toStdString();
    const QStringList lines = err.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << err.toStdString();
    EXPECT_EQ(lines[0], "kv27500: One line could not be read: line 3: the value 'abc' is not a "
                        "number");
    EXPECT_TRUE(lines[1].startsWith("2 readings, min 1.5 V-DC, max 2.5 V-DC")) << err.toStdString();
}

// Values are kept as 32-bit floats: a value that would show other digits than the file's, or
// that no float holds, is refused by its line; the readings kept are shown as written.
TEST_F(Program, ValuesThatAFloatWouldChangeAreRefusedByTheirLines) {
    const std::pair<const char*, const char*> refused[] = {
        {"123456789", "the value '123456789' would be kept as 123456792 (values are kept as "
                      "32-bit floats)"},
        {"1e30", "the value '1e30' would be kept as 1000000015047466219876688855040 (values are "
                 "kept as 32-bit floats)"},
        {"0.30000000000000004", "the value '0.30000000000000004' would be kept as "
                                "0.30000001192092896 (values are kept as 32-bit floats)"},
        {"1e300", "the value '1e300' is beyond the range of the values kept (32-bit floats)"},
        {"-1e-60", "the value '-1e-60' is beyond the range of the values kept (32-bit floats)"},
    };
    for (const auto& [value, reason] : refused) {
        SCOPED_TRACE(value);
        QFile f(dir.filePath("values.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("time,value,unit\n"
                           "2026-12-08T14:03:00.000+01:00,16777216,V-DC\n"
                           "2026-12-08T14:03:00.100+01:00,") +
                value +
                ",V-DC\n"
                "2026-12-08T14:03:00.200+01:00,0.1,V-DC\n");
        f.close();
        ASSERT_EQ(run({f.fileName(), "--snapshot", dir.filePath("p.png")}), 0) << err.toStdString();
        const QStringList lines = err.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 2) << err.toStdString();
        EXPECT_EQ(lines[0], QString("kv27500: One line could not be read: line 3: ") + reason);
        EXPECT_TRUE(lines[1].startsWith("2 readings, min 0.1 V-DC, max 16777216 V-DC"))
            << err.toStdString();
    }
    // What a float holds exactly, however written, is read.
    QFile f(dir.filePath("exact.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("time,value,unit\n"
            "2026-12-08T14:03:00.000+01:00,123456792,V-DC\n"
            "2026-12-08T14:03:00.100+01:00,1.2500000000000000000000,V-DC\n"
            "2026-12-08T14:03:00.200+01:00,-25e-2,V-DC\n"
            "2026-12-08T14:03:00.300+01:00,3.14159274,V-DC\n");
    f.close();
    ASSERT_EQ(run({f.fileName(), "--snapshot", dir.filePath("p.png")}), 0) << err.toStdString();
    EXPECT_TRUE(err.startsWith("4 readings, min -0.25 V-DC, max 123456792 V-DC"))
        << err.toStdString();
}

// A header is the whole first line, however long, and with or without its line end.
TEST_F(Program, AHeaderWithoutItsLineEndOrLongerThanARowIsRead) {
    auto write = [&](const char* name, const std::string& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return f.fileName();
    };
    const QString picture = dir.filePath("p.png");
    for (const char* header : {"time,value", "time,elapsed_s,value,unit,status,function,range"}) {
        ASSERT_EQ(run({write("bare.csv", header), "--snapshot", picture}), 0) << header;
        EXPECT_EQ(err.toStdString(), "0 readings, 0 gaps, 0 overloads\n") << header;
    }
    // A spreadsheet's own columns ahead of ours, seven kilobytes of names; the rows stay short.
    std::string wide, empties;
    for (int i = 0; i < 500; ++i) {
        wide += "comment_" + std::to_string(i) + ",";
        empties += ",";
    }
    const QString file =
        write("wide.csv", wide + "time,value,unit\n" + empties +
                              "2026-12-08T14:03:00.000+01:00,1.5,V-DC\n" + empties +
                              "2026-12-08T14:03:00.100+01:00,2.5,V-DC\n");
    ASSERT_EQ(run({file, "--snapshot", picture}), 0) << err.toStdString();
    EXPECT_TRUE(err.startsWith("2 readings, min 1.5 V-DC, max 2.5 V-DC, mean 2 V-DC"))
        << err.toStdString();
    EXPECT_GT(linePixels(QImage(picture)), 100);
}

// A recording without the unit and the codes holds readings all the same, in an empty unit;
// only a row marked gap is a gap.
TEST_F(Program, RowsWithoutAUnitAreReadingsAndOnlyAGapRowIsAGap) {
    const std::pair<const char*, const char*> cases[] = {
        {"time,value\n"
         "2026-12-08T14:03:00.000+01:00,1.5\n"
         "2026-12-08T14:03:00.100+01:00,2.5\n",
         "2 readings, min 1.5, max 2.5, mean 2, 0 gaps, 0 overloads\n"},
        {"time,value,status\n"
         "2026-12-08T14:03:00.000+01:00,,gap\n"
         "2026-12-08T14:03:00.100+01:00,1.5,ok\n"
         "2026-12-08T14:03:01.300+01:00,,gap\n"
         "2026-12-08T14:03:01.400+01:00,,overload\n"
         "2026-12-08T14:03:01.500+01:00,3.5,ok\n",
         "2 readings, min 1.5, max 3.5, mean 2.5, 2 gaps, 1 overload\n"},
    };
    for (const auto& [text, summary] : cases) {
        QFile f(dir.filePath("plain.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        ASSERT_EQ(run({f.fileName(), "--snapshot", dir.filePath("p.png")}), 0) << text;
        EXPECT_EQ(err.toStdString(), summary);
    }
}

} // namespace

namespace {

// The time axis left on in the settings comes back at the next start: the plot's frame
// rises to make room for the clock labels under it.
TEST_F(Program, TheTimeAxisLeftOnInTheSettingsComesBackAtTheNextStart) {
    // The lowest row of the chart (client rows 344 to 606) that is dark all across the plot.
    auto frameBottom = [](const QImage& img) {
        for (int y = 606; y > 344; --y) {
            int dark = 0;
            for (int x = 60; x < 440; ++x)
                dark += qGray(img.pixel(x, y)) < 80 ? 1 : 0;
            if (dark > 360)
                return y;
        }
        return -1;
    };
    const QStringList args{"--simulate", "--snapshot", dir.filePath("w.png"), "--readings", "20"};
    ASSERT_EQ(run(args), 0) << err.toStdString();
    const int indexChart = frameBottom(QImage(dir.filePath("w.png")));
    QSettings(dir.filePath("config/kv27500/kv27500.conf"), QSettings::IniFormat)
        .setValue("chart/timeAxis", true);
    ASSERT_EQ(run(args), 0) << err.toStdString();
    const int clockChart = frameBottom(QImage(dir.filePath("w.png")));
    EXPECT_GT(indexChart, 590);
    EXPECT_LT(clockChart, indexChart - 20) << "room for two lines of labels";
}

// On a desktop scaled to 200 % the picture has four pixels for each of the window's, and the
// indicator's digits, the meter's dial and the chart are drawn at that resolution, not
// enlarged.
TEST_F(Program, APictureAtTwoHundredPercentShowsTheFacesDrawnAtThatResolution) {
    env.insert("QT_QPA_PLATFORM", "offscreen");
    ASSERT_EQ(run({"--simulate"}, true), 0) << err.toStdString();
    const QImage one(dir.filePath("w.png"));
    ASSERT_EQ(one.size(), QSize(471, 648));
    env.insert("QT_SCALE_FACTOR", "2");
    ASSERT_EQ(run({"--simulate"}, true), 0) << err.toStdString();
    const QImage two(dir.filePath("w.png"));
    ASSERT_EQ(two.size(), QSize(942, 1296));
    // Each face with the smoothed blocks its drawing shows at least: the chart of one
    // reading has little more than its title and labels.
    const std::pair<QRect, int> faces[] = {{QRect(225, 1, 246, 75), 500},
                                           {QRect(8, 80, 456, 248), 500},
                                           {QRect(8, 344, 456, 263), 200}};
    for (const auto& [face, smoothed] : faces) {
        const QRect there(face.topLeft() * 2, face.size() * 2);
        EXPECT_GT(kv::test::unevenBlocks(two, 2, there), smoothed) << face.y();
        EXPECT_EQ(kv::test::unevenBlocks(one.scaled(one.size() * 2), 2, there), 0);
        EXPECT_LT(kv::test::differingFromOneToOne(one.copy(face), two.copy(there)),
                  face.width() * face.height() / 50)
            << face.y();
    }
}

} // namespace
