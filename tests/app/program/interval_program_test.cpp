// The built program logging one row per interval (--every) on the simulated meter: each row's
// figures against the script's readings, the gap of a silent interval, a change of unit
// splitting an interval, and the values refused. CTest names the program in $KV27500.
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    int run(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
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

} // namespace
