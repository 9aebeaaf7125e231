// Entry point of the gauges' screen tests: the offscreen platform with the two screens of
// two_screens.json, the second scaled to 200 % as a desktop scales a screen of four times
// the pixels, fixed before the application starts.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + KV_TWO_SCREENS_CONFIG);
    qputenv("QT_SCREEN_SCALE_FACTORS", "plain=1;doubled=2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
