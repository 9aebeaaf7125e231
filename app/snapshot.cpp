#include "app/snapshot.h"

#include "app/chart_actions.h"
#include "app/main_form.h"
#include "app/picture_file.h"
#include "channel/channel.h"
#include "record/error_output.h"
#include "session/meter_session.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace kv {

SnapshotRun::SnapshotRun(MainWindow& window, Channel& channel, QString file, int readings,
                         int timeoutMs, QObject* parent)
    : QObject(parent), window_(window), channel_(channel), file_(std::move(file)),
      wanted_(readings), timeoutMs_(timeoutMs), base_(window.readings()) {
    connect(&window_, &MainWindow::readingShown, this, &SnapshotRun::readingShown);
    timeout_.setSingleShot(true);
    // The window's reason, on a line of its own: the port that would not open, or the
    // meter's silence.
    connect(&timeout_, &QTimer::timeout, this,
            [this] { finish(1, noReadingsText(channel_.notes().whyNoReadings())); });
    // A port that does not open gives no reading however long the run waits.
    connect(&channel_.session(), &MeterSession::openFailed, this,
            [this](const QString& reason) { finish(1, noReadingsText(reason)); });
    timeout_.start(timeoutMs_);
}

QString SnapshotRun::noReadingsText(const QString& why) const {
    QString text = tr("%1 of %2 readings came within %3 s; no picture taken")
                       .arg(window_.readings() - base_)
                       .arg(wanted_)
                       .arg(timeoutMs_ / 1000.0);
    if (!why.isEmpty())
        text += QLatin1Char('\n') + why;
    return text;
}

void SnapshotRun::readingShown(int count) {
    if (finished_)
        return;
    if (count - base_ < wanted_)
        return;
    // Hold the picture still: no further polls, nothing reset.
    channel_.session().poller().stop();
    timeout_.stop();
    // Queued, so the paints the last reading asked for run before the picture is taken.
    QMetaObject::invokeMethod(
        this, [this] { save(); }, Qt::QueuedConnection);
}

QImage SnapshotRun::capture(MainWindow& window) {
    window.chartActions().bringUpToDate();
    window.repaint();
    return window.grab(QRect(0, 0, mainform::kClientWidth, mainform::kClientHeight)).toImage();
}

QString SnapshotRun::saveImage(MainWindow& window, const QString& file) {
    const QSize size(mainform::kClientWidth, mainform::kClientHeight);
    const PictureFormat format = PictureFormat::of(file);
    if (format.vectors() || format.ratio != 1) {
        window.chartActions().bringUpToDate();
        return writePicture(file, size, [&window](QPainter& p) { paintWidgetTree(p, window); });
    }
    // The window as the screen shows it, in the screen's own pixels.
    return writePicture(file, capture(window));
}

void SnapshotRun::save() {
    if (finished_)
        return;
    const QString error = saveImage(window_, file_);
    finish(error.isEmpty() ? 0 : 1, error);
}

void SnapshotRun::finish(int status, const QString& error) {
    if (finished_)
        return;
    finished_ = true;
    error_ = error;
    timeout_.stop();
    if (!error.isEmpty())
        for (const QString& line : error.split(QLatin1Char('\n')))
            writeErrorLine(QStringLiteral("kv27500: %1").arg(line).toStdString());
    emit finished(status);
}

} // namespace kv
