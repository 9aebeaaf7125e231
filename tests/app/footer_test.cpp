// The footer's note fitted to its three lines.
#include "app/footer.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

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
