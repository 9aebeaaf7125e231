#include "channel/status_notes.h"

#include <QCoreApplication>
#include <QDateTime>

namespace kv {

StatusNotes::StatusNotes(QObject* parent) : QObject(parent) {}

QString StatusNotes::whyNoReadings() const {
    for (Slot slot : {Slot::openFailure, Slot::derivation, Slot::garbled, Slot::silence})
        if (!note(slot).isEmpty())
            return note(slot);
    return {};
}

QStringList StatusNotes::all() const {
    QStringList lines;
    for (const QString& n : notes_)
        if (!n.isEmpty())
            lines += n.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines;
}

void StatusNotes::set(Slot slot, const QString& text) {
    QString& note = notes_[index(slot)];
    if (note == text)
        return;
    note = text;
    const QString* winner = nullptr;
    for (const QString& n : notes_)
        if (!n.isEmpty()) {
            winner = &n;
            break;
        }
    const QString now = winner ? *winner : QString();
    if (now == text_)
        return;
    text_ = now;
    emit changed();
}

QString StatusNotes::garbledText() {
    return tr("The meter's replies are garbled: check the cable");
}

QString StatusNotes::silenceText(TimeMs since) {
    return tr("No reply from the meter since %1")
        .arg(QDateTime::fromMSecsSinceEpoch(since).toString(QStringLiteral("HH:mm:ss")));
}

QString StatusNotes::logBehindText(std::int64_t seconds) {
    return tr("The log is %1 s behind: its reader does not keep up").arg(seconds);
}

} // namespace kv
