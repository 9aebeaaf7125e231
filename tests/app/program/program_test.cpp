// The built program, run as a user runs it, without a display: what its command line
// accepts, what it prints, and what it leaves behind. CTest names the program in $KV27500.
#include "sim/meter_simulator.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1; // -1: crashed or hung
    QString out, err;
};

class Program : public ::testing::Test {
protected:
    Program() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            env.remove(QString::fromLatin1(v));
        QDir(dir.path()).mkpath("tmp");
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    }

    Outcome run(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        const bool done = p.waitForFinished(60000);
        if (!done)
            p.kill();
        return {done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    // A simulated run that takes its picture after one reading.
    QStringList snapshot(QStringList args) {
        return args << "--snapshot" << dir.filePath("w.png") << "--readings"
                    << "1";
    }
    QString rememberedPort() const {
        const QSettings s(dir.filePath("config/kv27500/kv27500.conf"), QSettings::IniFormat);
        return s.value("ports/last").toString();
    }

    const QString program = qEnvironmentVariable("KV27500");
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

TEST_F(Program, AWrongArgumentGetsOneLineAndWhereHelpIsEvenAfterQtOptions) {
    const Outcome wrong = run({"--frobnicate"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err,
              "kv27500: unknown argument: --frobnicate\nTry '" + program + " --help'.\n");
    EXPECT_EQ(wrong.out, "");

    const Outcome late = run({"-style", "fusion", "--readings", "3"});
    EXPECT_EQ(late.status, 2);
    EXPECT_EQ(late.err.count('\n'), 2) << late.err.toStdString();

    const Outcome help = run({"-style", "fusion", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("F5") && help.out.contains("Esc") && help.out.contains("Ctrl+Q"));
}

TEST_F(Program, QtTakesItsOwnOptions) {
    const QString sheet = dir.filePath("red.qss");
    QFile f(sheet);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("QPushButton { background: rgb(255, 0, 0); }");
    f.close();
    const Outcome r = run(snapshot(
        {"-platform", "offscreen", "-style", "fusion", "-stylesheet", sheet, "--simulate"}));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QColor start = QImage(dir.filePath("w.png")).pixelColor(82, 10);
    EXPECT_TRUE(start.red() > 200 && start.green() < 160 && start.blue() < 160)
        << "the style sheet paints the Start button red";
}

TEST_F(Program, WithoutARuntimeFolderItUsesAPrivateOneQuietlyAndRemovesIt) {
    const Outcome r = run(snapshot({"--simulate"}));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("XDG_RUNTIME_DIR") || r.err.contains("runtime directory"))
        << r.err.toStdString();
    EXPECT_EQ(QDir(dir.filePath("tmp")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

TEST_F(Program, ThePortThatGaveReadingsIsRememberedButTheSimulatorNever) {
    kv::sim::MeterSimulator meter(kv::sim::demoSteps(), true);
    ASSERT_TRUE(meter.start());
    const QString device = QString::fromStdString(meter.devicePath());
    const Outcome onPort = run(snapshot({"--port", device}));
    ASSERT_EQ(onPort.status, 0) << onPort.err.toStdString();
    EXPECT_EQ(rememberedPort(), "path:" + device);

    const Outcome simulated = run(snapshot({"--simulate"}));
    ASSERT_EQ(simulated.status, 0) << simulated.err.toStdString();
    EXPECT_EQ(rememberedPort(), "path:" + device);
}

} // namespace
