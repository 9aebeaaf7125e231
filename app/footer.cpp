#include "app/footer.h"

#include "format/number_format.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

namespace kv {

namespace {
// The footer's texts belong to the window.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

QString count(std::int64_t n) {
    return QString::fromStdString(formatNumber("#,##0", static_cast<long double>(n)));
}
} // namespace

QString whyNoReadings(const FooterState& s) {
    if (!s.openFailure.isEmpty())
        return s.openFailure;
    if (s.garbled)
        return text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                      "The meter's replies are garbled: check the cable"));
    if (s.silent)
        return text(QT_TRANSLATE_NOOP("kv::MainWindow", "No reply from the meter since %1"))
            .arg(QDateTime::fromMSecsSinceEpoch(s.silentSinceMs)
                     .toString(QStringLiteral("HH:mm:ss")));
    return {};
}

QString footerText(const FooterState& s) {
    // A file shown is what the window is about: no meter is polled meanwhile.
    if (!s.openedFile.isEmpty())
        return s.openedFile;
    QString note = whyNoReadings(s);
    if (note.isEmpty() && s.overload)
        note = text(QT_TRANSLATE_NOOP("kv::MainWindow", "Overload: the meter shows OL"));
    if (note.isEmpty())
        note = s.logFailure;
    if (note.isEmpty() && s.publishTrouble)
        note = s.publishStatus;
    if (note.isEmpty() && s.recording && s.log.behind >= kLogBehindTold) {
        const QString seconds =
            QString::number(std::chrono::duration_cast<std::chrono::seconds>(s.log.behind).count());
        note = s.log.dropped == 0
                   ? text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                            "The log is %1 s behind: its reader does not keep up"))
                         .arg(seconds)
                   : text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                            "The log is %1 s behind and full: %2 lines dropped"))
                         .arg(seconds, count(static_cast<std::int64_t>(s.log.dropped)));
    }
    if (note.isEmpty())
        note = s.bench;
    if (note.isEmpty() && s.recording) {
        note = (s.recordedReadings == 1
                    ? text(QT_TRANSLATE_NOOP("kv::MainWindow", "Recording to %1: %2 reading"))
                    : text(QT_TRANSLATE_NOOP("kv::MainWindow", "Recording to %1: %2 readings")))
                   .arg(s.recordingName, count(s.recordedReadings));
        if (s.log.dropped > 0)
            note = text(QT_TRANSLATE_NOOP("kv::MainWindow", "%1, %2 lines dropped"))
                       .arg(note, count(static_cast<std::int64_t>(s.log.dropped)));
        if (s.log.renewed > 0)
            note = text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                          "%1, begun anew: the file was moved, removed or "
                                          "emptied"))
                       .arg(note);
    }
    if (note.isEmpty() && s.beyondFullScale)
        note = text(QT_TRANSLATE_NOOP("kv::MainWindow", "Beyond the needle's full scale of %1"))
                   .arg(QString::fromStdString(formatNumber("0.###", s.fullScale)));
    if (note.isEmpty())
        note = s.publishStatus;
    return note;
}

namespace {
// Between notes that share a line.
const QString kBetween = QStringLiteral("  \u00b7  ");

bool fits(const QString& text, const QFontMetrics& metrics, const QSize& room) {
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20),
                                              Qt::AlignLeft | Qt::TextWordWrap, text);
    return needed.height() <= room.height();
}

// The notes side by side where two go on one line, in their order.
QStringList packed(const QStringList& notes, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& note : notes) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.back() + kBetween + note) <= width)
            lines.back() += kBetween + note;
        else
            lines << note;
    }
    return lines;
}
} // namespace

QString fittedFooter(const QString& note, const QFontMetrics& metrics, const QSize& room,
                     bool* cut) {
    if (cut)
        *cut = false;
    if (fits(note, metrics, room))
        return note;
    const auto joined = [](const QStringList& lines) { return lines.join(QLatin1Char('\n')); };
    // The longest start of `line` that goes below `above` with the mark of what went; empty
    // when not even its first word does. A shorter start never needs more room, so the
    // number of words is found by halving.
    const auto fittingStart = [&](const QStringList& above, const QString& line) {
        const QStringList words = line.split(QLatin1Char(' '));
        const auto start = [&](int n) {
            return QStringList(words.mid(0, n)).join(QLatin1Char(' ')) + QStringLiteral(" \u2026");
        };
        if (!fits(joined(above + QStringList{start(1)}), metrics, room))
            return QString();
        int fitting = 1;
        int tooMany = int(words.size());
        while (tooMany - fitting > 1) {
            const int n = fitting + (tooMany - fitting) / 2;
            if (fits(joined(above + QStringList{start(n)}), metrics, room))
                fitting = n;
            else
                tooMany = n;
        }
        return start(fitting);
    };

    QStringList kept;
    for (const QString& line : packed(note.split(QLatin1Char('\n')), metrics, room.width())) {
        if (fits(joined(kept + QStringList{line}), metrics, room)) {
            kept << line;
            continue;
        }
        if (cut)
            *cut = true;
        const QString start = fittingStart(kept, line);
        if (!start.isEmpty()) {
            kept << start;
            return joined(kept);
        }
        // Not a word of it goes: the line above ends with the mark instead.
        if (kept.isEmpty())
            return metrics.elidedText(line, Qt::ElideRight, room.width());
        const QString last = kept.takeLast();
        const QString lastStart = fittingStart(kept, last);
        kept << (lastStart.isEmpty() ? metrics.elidedText(last, Qt::ElideRight, room.width())
                                     : lastStart);
        return joined(kept);
    }
    return joined(kept);
}

} // namespace kv
