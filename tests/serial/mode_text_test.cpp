#include "serial/mode_text.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(ModeText, MeterModeTextForEveryReachablePort) {
    EXPECT_EQ(meterModeText(2), "COM2:9600,N,8,1");
    for (int port = 0; port <= 7; ++port) {
        auto mode = parseModeText(meterModeText(port));
        ASSERT_TRUE(mode) << port;
        EXPECT_EQ(mode->port, port);
        EXPECT_EQ(mode->portName(), "COM" + std::to_string(port));
        EXPECT_EQ(mode->baud, 9600);
        EXPECT_EQ(mode->parity, 'N');
        EXPECT_EQ(mode->dataBits, 8);
        EXPECT_EQ(mode->stopBits, 1);
    }
}

TEST(ModeText, AcceptsOtherLineSettings) {
    struct Case {
        const char* text;
        int port, baud;
        char parity;
        int dataBits, stopBits;
    };
    const Case cases[] = {
        {"COM12:115200,E,7,2", 12, 115200, 'E', 7, 2},
        {"com1:1200,o,5,1", 1, 1200, 'O', 5, 1},
        {"COM0:19200,M,6,1", 0, 19200, 'M', 6, 1},
        {"COM3:9600,s,8,2", 3, 9600, 'S', 8, 2},
    };
    for (const Case& c : cases) {
        auto mode = parseModeText(c.text);
        ASSERT_TRUE(mode) << c.text;
        EXPECT_EQ(mode->port, c.port) << c.text;
        EXPECT_EQ(mode->baud, c.baud) << c.text;
        EXPECT_EQ(mode->parity, c.parity) << c.text;
        EXPECT_EQ(mode->dataBits, c.dataBits) << c.text;
        EXPECT_EQ(mode->stopBits, c.stopBits) << c.text;
    }
}

TEST(ModeText, RejectsEverythingElse) {
    const char* bad[] = {
        "",
        "COM",
        "COM2",
        "COM2:",
        "COM:9600,N,8,1",
        "LPT2:9600,N,8,1",
        "COM2:9601,N,8,1", // no such rate
        "COM2:9600,X,8,1", // parity
        "COM2:9600,N,9,1", // data bits
        "COM2:9600,N,4,1",
        "COM2:9600,N,8,3",  // stop bits
        "COM2:9600,N,8,1,", // trailing characters
        "COM2:9600,N,8,1 ",
        " COM2:9600,N,8,1",
        "COM-2:9600,N,8,1",
        "COM2:9600;N;8;1",
        "COM2:9600,N,8",
        "COM99999999999:9600,N,8,1", // port number overflows
    };
    for (const char* text : bad)
        EXPECT_FALSE(parseModeText(text)) << '"' << text << '"';
}

} // namespace
} // namespace kv
