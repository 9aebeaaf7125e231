#include "app/footer.h"

#include "format/number_format.h"

#include <QCoreApplication>
#include <QDateTime>

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
    }
    if (note.isEmpty() && s.beyondFullScale)
        note = text(QT_TRANSLATE_NOOP("kv::MainWindow", "Beyond the needle's full scale of %1"))
                   .arg(QString::fromStdString(formatNumber("0.###", s.fullScale)));
    if (note.isEmpty())
        note = s.publishStatus;
    return note;
}

} // namespace kv
