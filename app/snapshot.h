#pragma once

#include "app/main_window.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace kv {

class Channel;

// Saves a picture of the window once it has shown a number of readings, then finishes:
// with 0 when the picture was written, with 1 when it could not be written or the readings
// did not come in time (the reason goes to stderr).
class SnapshotRun : public QObject {
    Q_OBJECT
public:
    // The window shows the channel.
    SnapshotRun(MainWindow& window, Channel& channel, QString file, int readings, int timeoutMs,
                QObject* parent = nullptr);

    bool isFinished() const { return finished_; }
    const QString& error() const { return error_; }

    // The window's client area as it is on screen now.
    static QImage capture(MainWindow& window);
    // Saves the window's picture in the format of the file's name (see PictureFormat): a
    // plain PNG is capture(window) in the screen's pixels; the reason, in the user's language,
    // when it cannot, else empty.
    static QString saveImage(MainWindow& window, const QString& file);

signals:
    // Once, with the exit status.
    void finished(int status);

private:
    // Why no picture was taken: the readings that came, and `why` on a line of its own.
    QString noReadingsText(const QString& why) const;
    void readingShown(int count);
    void save();
    void finish(int status, const QString& error);

    MainWindow& window_;
    Channel& channel_;
    QString file_;
    int wanted_;
    int timeoutMs_;
    int base_; // readings shown before the run began
    QTimer timeout_;
    bool finished_ = false;
    QString error_;
};

} // namespace kv
