// The built program logging unattended on the simulated meter: one row per interval
// (--every), each row's figures against the script's readings, the gap of a silent interval
// and a change of unit splitting one; a log begun and ended by conditions; a file per day
// across a local midnight; and what is refused. CTest names the program in $KV27500.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

class LoggingEvery : public ::testing::Test {
protected:
    LoggingEvery() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(v);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("LANGUAGE", "en");
    }
    int run(const QStringList& args, const QString& executable = {}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(executable.isEmpty() ? program : executable, args);
        const bool done = p.waitForFinished(60000);
        p.kill();
        err = QString::fromLocal8Bit(p.readAllStandardError());
        out = QString::fromUtf8(p.readAllStandardOutput());
        return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    const QString program = qEnvironmentVariable("KV27500");
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString out, err;
};

// Volts rising by 10 digits a reading, a silence of two and a half seconds, volts again, then
// amps: every value of the script appears once, so a row's min and max say which of the
// script's readings it holds, and its mean and count are worked out from the script.
TEST_F(LoggingEvery, EachRowSumsUpTheReadingsOfItsInterval) {
    QStringList script;
    std::map<QString, std::vector<double>> played; // the script's readings of each unit
    for (int i = 0; i < 30; ++i) {
        script << QString("240 128 %1").arg(10000 + 10 * i, 5, 10, QChar('0'));
        played["V-DC"].push_back((10000 + 10 * i) / 10000.0);
    }
    for (int i = 0; i < 25; ++i)
        script << "silent";
    for (int i = 0; i < 20; ++i) {
        script << QString("240 128 %1").arg(20000 + 10 * i, 5, 10, QChar('0'));
        played["V-DC"].push_back((20000 + 10 * i) / 10000.0);
    }
    for (int i = 0; i < 12; ++i) {
        script << QString("168 128 %1").arg(10000 + 10 * i, 5, 10, QChar('0'));
        played["A - DC"].push_back((10000 + 10 * i) / 10000.0);
    }
    QFile file(dir.filePath("script.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.join('\n').toUtf8() + "\n");
    file.close();

    ASSERT_EQ(run({"--no-window", "--simulate", file.fileName(), "--log", "-", "--every", "1",
                   "--duration", "11"}),
              0)
        << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 9) << out.toStdString();
    EXPECT_EQ(lines[0], "time,elapsed_s,value,unit,status,function,range,min,max,count");
    std::map<QString, int> counted;
    int gaps = 0, units = 0;
    QString lastUnit;
    double lastElapsed = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(',');
        ASSERT_EQ(f.size(), 10) << lines[i].toStdString();
        const double elapsed = f[1].toDouble();
        EXPECT_GT(elapsed, lastElapsed) << "rows in time order";
        // Rows end on the second, unless a change of unit cut one short.
        const QString nextUnit = i + 1 < lines.size() ? lines[i + 1].section(',', 3, 3) : f[3];
        if (nextUnit == f[3] || f[4] == "gap") {
            EXPECT_NEAR(elapsed, std::round(elapsed), 1e-9) << lines[i].toStdString();
        }
        lastElapsed = elapsed;
        if (f[4] == "gap") {
            ++gaps;
            EXPECT_EQ(f[2] + f[7] + f[8], "");
            EXPECT_EQ(f[9], "0");
            continue;
        }
        ASSERT_EQ(f[4], "ok") << lines[i].toStdString();
        if (f[3] != lastUnit)
            ++units;
        lastUnit = f[3];
        const double lo = f[7].toDouble(), hi = f[8].toDouble();
        double sum = 0;
        int n = 0;
        for (double v : played[f[3]])
            if (v >= lo - 1e-9 && v <= hi + 1e-9) {
                sum += v;
                ++n;
            }
        EXPECT_EQ(f[9].toInt(), n) << lines[i].toStdString();
        EXPECT_NEAR(f[2].toDouble(), sum / n, 1e-6) << lines[i].toStdString();
        counted[f[3]] += n;
    }
    EXPECT_GE(gaps, 1) << "the silence holds a whole second\n" << out.toStdString();
    EXPECT_EQ(units, 2) << out.toStdString();
    EXPECT_EQ(counted["V-DC"], 50) << "every reading once";
    EXPECT_EQ(counted["A - DC"], 12);
    // The summary still counts every reading.
    EXPECT_TRUE(err.contains("50 readings, min 1 V-DC, max 2.019 V-DC")) << err.toStdString();
}

TEST_F(LoggingEvery, AnIntervalOutOfReachIsRefusedWithOneLine) {
    for (const char* every : {"0", "-1", "0.4", "86401", "x", "", "nan"}) {
        EXPECT_EQ(run({"--no-window", "--simulate", "--log", "-", "--every", every}), 2) << every;
        EXPECT_TRUE(err.startsWith("kv27500: --every needs a number of seconds from 0.5 to 86400"))
            << err.toStdString();
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(run({"--simulate", "--every", "1"}), 2);
    EXPECT_TRUE(err.startsWith("kv27500: --every is only used with --log")) << err.toStdString();
}

// Rising from 0.1 V to 0.9 V and falling again, a tenth a reading: the log begins with the
// reading that has been above 0.5 for a second and ends with the first below 0.3 after it.
TEST_F(LoggingEvery, ALogBeginsAndEndsOnItsConditions) {
    QStringList script;
    std::vector<double> played;
    for (int v : {1, 2, 3, 4, 5})
        played.push_back(v / 10.0);
    for (int i = 0; i < 20; ++i)
        played.push_back(0.6 + 0.01 * i); // above 0.5 for two seconds
    for (int v : {8, 7, 6, 5, 4, 3, 2, 1})
        played.push_back(v / 10.0);
    for (double v : played)
        script << QString("240 128 %1").arg(qRound(v * 10000), 5, 10, QChar('0'));
    QFile file(dir.filePath("script.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.join('\n').toUtf8() + "\n");
    file.close();
    ASSERT_EQ(run({"--no-window", "--simulate", file.fileName(), "--log", "-", "--start-when",
                   "above 0.5 for 1", "--stop-when", "below 0.3"}),
              0)
        << err.toStdString();
    QStringList values;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts).mid(1))
        values << line.section(',', 2, 2);
    ASSERT_FALSE(values.isEmpty()) << out.toStdString();
    // The first above 0.5 is the sixth reading (index 5); ten readings a second later the
    // condition has held a second.
    const int first =
        int(std::find_if(played.begin(), played.end(),
                         [&](double v) { return QString::number(v, 'g', 6) == values.front(); }) -
            played.begin());
    EXPECT_GE(first, 5 + 9) << values.join(' ').toStdString();
    EXPECT_LE(first, 5 + 12) << values.join(' ').toStdString();
    QStringList expected;
    for (std::size_t i = std::size_t(first); i < played.size(); ++i) {
        expected << QString::number(played[i], 'g', 6);
        if (played[i] < 0.3)
            break;
    }
    EXPECT_EQ(values, expected) << "every reading from the first to the one that stopped it";
    EXPECT_TRUE(err.contains(", stopped: below 0.3000 V-DC at ")) << err.toStdString();
}

// Local midnight three seconds after the start: yesterday's file ends, today's begins with
// its header, and the two hold every reading once, in order.
TEST_F(LoggingEvery, ALogPerDayChangesFilesAtMidnightLosingNoRow) {
    const qint64 now = QDateTime::currentSecsSinceEpoch() % 86400;
    // POSIX zones count west of Greenwich: local time is UTC less the offset.
    const qint64 offset = ((now - (86400 - 3)) % 86400 + 86400) % 86400;
    env.insert("TZ", QString("KVT+%1:%2:%3")
                         .arg(offset / 3600)
                         .arg(offset / 60 % 60, 2, 10, QChar('0'))
                         .arg(offset % 60, 2, 10, QChar('0')));
    const QString pattern = dir.filePath("bench-%Y-%m-%d.csv");
    ASSERT_EQ(run({"--no-window", "--simulate", "--log", pattern, "--duration", "6"}), 0)
        << err.toStdString();
    const QStringList files = QDir(dir.path()).entryList({"bench-*.csv"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << err.toStdString();
    int rows = 0;
    double lastElapsed = 0;
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.front(), "time,elapsed_s,value,unit,status,function,range")
            << name.toStdString();
        for (const QString& line : lines.mid(1)) {
            const double elapsed = line.section(',', 1, 1).toDouble();
            EXPECT_GT(elapsed, lastElapsed) << "in order, none twice: " << line.toStdString();
            EXPECT_LT(elapsed - lastElapsed, 0.5) << "none lost: " << line.toStdString();
            lastElapsed = elapsed;
            // Each row lies in its file's day.
            EXPECT_EQ(line.left(10), name.mid(6, 10)) << line.toStdString();
            ++rows;
        }
    }
    EXPECT_GE(rows, 40);
    // The summary counts every reading, one part per unit.
    int summed = 0;
    for (const QRegularExpressionMatch& m : QRegularExpression("(\\d+) readings").globalMatch(err))
        summed += m.captured(1).toInt();
    EXPECT_EQ(summed, rows) << err.toStdString();
    EXPECT_TRUE(err.contains(files[0]) && err.contains(files[1])) << "the summary names both files";
}

TEST_F(LoggingEvery, ABadConditionOrPatternIsRefusedWithOneLine) {
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--start-when", "above"}, "--start-when: above needs a value"},
        {{"--stop-when", "outside 3 1"}, "--stop-when: outside's LOW 3 lies above its HIGH 1"},
        {{"--stop-when", "below 3 for"}, "--stop-when: for needs a number of seconds"},
        {{"--stop-when", "below x"}, "--stop-when: 'x' is not a number"},
        {{"--start-when", "rising 3"}, "--start-when begins with 'rising'"},
        {{"--stop-when", "V:below 3"}, "the condition names the channel V, which is not given"},
        {{"--log", "bench-%M.csv"}, "--log: %M is none of %Y, %m, %d and %H"},
    };
    for (const auto& [args, line] : cases) {
        QStringList all{"--no-window", "--simulate"};
        if (!args.contains("--log"))
            all << "--log" << dir.filePath("x.csv");
        EXPECT_EQ(run(all + args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("kv27500: " + line)) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 2) << err.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.csv"}).isEmpty()) << "nothing started";
}

// With a window the stop condition ends the recording, not the polling: the picture comes
// after readings the log no longer has.
TEST_F(LoggingEvery, WithAWindowTheStopConditionEndsTheRecordingAndPollingGoesOn) {
    QStringList script;
    for (int i = 0; i < 40; ++i)
        script << QString("240 128 %1")
                      .arg(i < 10 ? 9000 - 100 * i : 2000 + 10 * i, 5, 10, QChar('0'));
    QFile file(dir.filePath("script.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.join('\n').toUtf8() + "\n");
    file.close();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString log = dir.filePath("w.csv");
    ASSERT_EQ(run({"--simulate", file.fileName(), "--log", log, "--stop-when", "below 0.3",
                   "--snapshot", dir.filePath("w.png"), "--readings", "25"}),
              0)
        << err.toStdString();
    QFile written(log);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(written.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 11) << "ten readings above, the one below that stopped it";
    EXPECT_EQ(lines.back().section(',', 2, 2), "0.21");
    EXPECT_TRUE(QFile::exists(dir.filePath("w.png")));
}

// On a terminal a run with an end says how far it is, on one line rewritten once a second
// and cleared before the summary; into a pipe it says nothing of the kind.
TEST_F(LoggingEvery, OnATerminalTheRunTellsHowFarItIs) {
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        GTEST_SKIP() << "script (util-linux) gives the program a terminal";
    const QString log = dir.filePath("run.csv");
    const QString command = QString("%1 --no-window --simulate --log %2 --duration 3.5 "
                                    "--stop-when 'above 5000'")
                                .arg(program, log);
    ASSERT_EQ(run({"-qfec", command, "/dev/null"}, script), 0) << out.toStdString();
    // script gives the terminal's output, stderr with it, on its standard output.
    EXPECT_TRUE(out.contains(QRegularExpression(
        "\r\x1b\\[KLogging to run.csv: \\d+ readings, 3 s left, stops above 5000.0000 V-DC")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(", 1 s left, stops above 5000.0000 V-DC")) << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("\r\x1b\\[K\\d+ readings, min "))) << "cleared";

    ASSERT_EQ(run({"--no-window", "--simulate", "--log", log, "--duration", "1.5"}), 0);
    EXPECT_FALSE(err.contains("Logging to")) << err.toStdString();
    EXPECT_FALSE(err.contains('\r'));
}

} // namespace
