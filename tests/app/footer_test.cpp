// The footer as a function of what the session and the record tell, most important first.
#include "app/footer.h"
#include "format/number_format.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;

TEST(Footer, TellsTheMostImportantThingAndALogThatFallsBehindOrDrops) {
    const char grouping = groupingChar(); // counts are shown with the regional grouping
    setGroupingChar(',');
    FooterState s;
    EXPECT_EQ(footerText(s), "") << "nothing to tell: the caption";
    s.recording = true;
    s.recordingName = "log.csv";
    s.recordedReadings = 1234;
    s.log.behind = 2999ms; // a moment's wait is no news
    EXPECT_EQ(footerText(s), "Recording to log.csv: 1,234 readings");
    s.log.behind = 65s;
    EXPECT_EQ(footerText(s), "The log is 65 s behind: its reader does not keep up");
    s.log.dropped = 12000;
    EXPECT_EQ(footerText(s), "The log is 65 s behind and full: 12,000 lines dropped");
    s.log.behind = 0ms; // the reader is back: the loss is still told
    EXPECT_EQ(footerText(s), "Recording to log.csv: 1,234 readings, 12,000 lines dropped");

    s.log.behind = 65s;
    s.overload = true;
    EXPECT_EQ(footerText(s), "Overload: the meter shows OL");
    s.garbled = true;
    EXPECT_EQ(footerText(s), "The meter's replies are garbled: check the cable");
    s.openFailure = "Cannot open COM9.";
    EXPECT_EQ(footerText(s), "Cannot open COM9.");
    EXPECT_EQ(whyNoReadings(s), "Cannot open COM9.");
    setGroupingChar(grouping);
}

// Publishing to a broker: told when nothing else is, and above the recording's count while
// the broker is out of reach, but never above the meter's own news.
TEST(Footer, ThePublishersTroubleRanksAboveTheRecordingItsRoutineBelowEverything) {
    FooterState s;
    s.publishStatus = "MQTT: publishing to broker as lab/kv";
    EXPECT_EQ(footerText(s), "MQTT: publishing to broker as lab/kv");
    s.beyondFullScale = true;
    s.fullScale = 10;
    s.recording = true;
    s.recordingName = "log.csv";
    s.recordedReadings = 2;
    EXPECT_EQ(footerText(s), "Recording to log.csv: 2 readings");
    s.publishStatus = "MQTT: broker unreachable since 14:03:07, 12 readings waiting";
    s.publishTrouble = true;
    EXPECT_EQ(footerText(s), s.publishStatus);
    s.logFailure = "Cannot write log.csv: no space left on device.";
    EXPECT_EQ(footerText(s), s.logFailure);
    s.logFailure.clear();
    s.silent = true;
    EXPECT_EQ(footerText(s).left(26), "No reply from the meter si");
}

bool inRoom(const QString& text, const QFontMetrics& m, const QSize& room) {
    return m.boundingRect(QRect(0, 0, room.width(), 10000), Qt::AlignLeft | Qt::TextWordWrap, text)
               .height() <= room.height();
}

TEST(FittedFooter, WhatFitsStaysWhatDoesNotIsCutAtAWordAndMarked) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    const QFontMetrics m(font);
    const QSize room(356, 3 * m.boundingRect(QStringLiteral("A")).height());

    EXPECT_EQ(fittedFooter("Overload: the meter shows OL", m, room),
              "Overload: the meter shows OL");
    // Short notes share a line rather than leave one out.
    const QString four = "Hold: 1\nRelative to 2\nAbove 3\nStatistics 4";
    const QString shared = fittedFooter(four, m, QSize(room.width(), room.height() / 3 * 2));
    for (const char* note : {"Hold: 1", "Relative to 2", "Above 3", "Statistics 4"})
        EXPECT_TRUE(shared.contains(note)) << note;

    // One reason longer than three lines: its first words, then the mark.
    const QString path = "/dev/serial/by-id/" + QString(300, 'x');
    const QString reason = "Cannot open " + path + ": permission denied, ask for the dialout group";
    const QString cut = fittedFooter(reason, m, room);
    EXPECT_TRUE(inRoom(cut, m, room));
    EXPECT_TRUE(cut.startsWith("Cannot open")) << cut.toStdString();
    EXPECT_TRUE(cut.endsWith(QStringLiteral("\u2026")));
    // Nothing at all fits a room lower than a line: one line, elided.
    EXPECT_LE(m.horizontalAdvance(fittedFooter(reason, m, QSize(room.width(), 2))), 356);
}

} // namespace
} // namespace kv
