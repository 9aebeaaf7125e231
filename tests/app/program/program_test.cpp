// The built program as a user runs it, without a display: its command line, what it prints
// and what it leaves behind. CTest names the program in $KV27500.
#include "sim/meter_simulator.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        const bool done = p.waitForFinished(60000);
        p.kill();
        out = QString::fromLocal8Bit(p.readAllStandardOutput());
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
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

} // namespace
