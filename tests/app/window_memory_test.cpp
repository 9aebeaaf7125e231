// A window's zoom and place, kept in a private settings folder across memory objects as the
// program's runs keep them, each window under its own key.
#include "app/window_memory.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

class WindowMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(settings_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    }
    QString settingsFile() const { return settings_.path() + "/kv27500/kv27500.conf"; }

    QTemporaryDir settings_;
};

TEST_F(WindowMemoryTest, KeepsZoomAndPlaceForTheNextRun) {
    EXPECT_EQ(WindowMemory().zoom(), 1.0);
    EXPECT_FALSE(WindowMemory().position());
    {
        WindowMemory first;
        first.setZoom(1.25);
        first.setPosition(QPoint(-40, 1200));
    }
    const WindowMemory next;
    EXPECT_EQ(next.zoom(), 1.25);
    ASSERT_TRUE(next.position());
    EXPECT_EQ(*next.position(), QPoint(-40, 1200));
}

TEST_F(WindowMemoryTest, KeepsEachWindowApartWhateverItsName) {
    const QString keys[] = {"", "window", "a/b", "a", "Ü ohm", "%2F"};
    int percent = 100;
    for (const QString& key : keys) {
        percent += 25;
        WindowMemory(key).setZoom(percent / 100.0);
        WindowMemory(key).setPosition(QPoint(percent, -percent));
    }
    percent = 100;
    for (const QString& key : keys) {
        percent += 25;
        EXPECT_EQ(WindowMemory(key).zoom(), percent / 100.0) << key.toStdString();
        EXPECT_EQ(WindowMemory(key).position(), QPoint(percent, -percent)) << key.toStdString();
    }
    EXPECT_EQ(WindowMemory("b").zoom(), 1.0);
}

TEST_F(WindowMemoryTest, RefusesWhatIsNoZoom) {
    WindowMemory m("meter");
    m.setZoom(1.5);
    for (double wrong : {0.0, -1.0, 11.0, std::nan(""), 1e308})
        m.setZoom(wrong);
    EXPECT_EQ(m.zoom(), 1.5);

    // A settings file edited by hand, or written by something else.
    for (const char* kept : {"abc", "0", "-125", "5000", "1.5"}) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "kv27500", "kv27500");
        s.setValue("windows/meter/zoomPercent", kept);
        s.setValue("windows/meter/left", "x");
        s.sync();
        EXPECT_EQ(m.zoom(), 1.0) << kept;
        EXPECT_FALSE(m.position()) << kept;
    }
}

} // namespace
} // namespace kv
