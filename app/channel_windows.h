#pragma once

#include "serial/port_table.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class Channel;
class ErrorReporter;
class MainWindow;
class SerialLink;

// Where `count` windows of `size` go on `desktop`: side by side in rows, left to right and
// then top to bottom, the whole block in the middle of the desktop. Where the rows do not
// all fit, the windows beyond them step down and to the right from the top left corner,
// each a title bar's height from the last: they cover each other only where the screen
// leaves no choice, and no window's top left corner leaves the desktop.
std::vector<QPoint> sideBySide(const QRect& desktop, const QSize& size, int count);

// A file name for the picture of one channel among several: "shot.png" for channel "A"
// becomes "shot-A.png"; a name without a suffix gets the channel after it.
QString channelPictureName(const QString& file, const QString& channel);

// The windows of several channels, one each, in the order they were added. Exit in one of
// them ends its channel only and closes it; the program ends with the last. Ctrl+Q in any
// ends every channel and with them the program. Each window comes back where it was moved
// to (dragged) and at the size it was zoomed to, remembered by its channel's name (see
// WindowMemory).
class ChannelWindows : public QObject {
    Q_OBJECT
public:
    // The reporter must outlive the windows. With `keptSizes` each window opens at the size it
    // was left at (see WindowZoom), else at the form's own; a size chosen is kept either way.
    explicit ChannelWindows(ErrorReporter& errors, bool keptSizes = true,
                            QObject* parent = nullptr);
    ~ChannelWindows() override;

    // A window on `channel`, which must outlive it, with `ports` in its port box (none for a
    // derived channel), on the port `startPort` (see port_memory.h; empty: the first). It is
    // shown by show().
    MainWindow& add(Channel& channel, std::vector<PortEntry> ports,
                    const std::string& startPort = {});
    // Shows the recording at `path` in the window at `index`, read here and now when `now`
    // (a picture of it), else in the background. A log of several channels shows its first
    // channel there and each other one in a window of its own, which show() places. False,
    // with the reason in `error`, when it cannot be opened.
    bool openRecording(std::size_t index, const QString& path, bool now, QString& error);
    // Shows every window not shown yet; those without a place of their own (one they were
    // dragged to before) stand side by side on the screen.
    void show();

    std::size_t size() const { return windows_.size(); }
    MainWindow& window(std::size_t index) { return *windows_[index]; }
    // Start in every window of a meter, as --autostart asks.
    void startMeters();
    // The name of the picture of the window at `index` for --snapshot FILE: FILE itself while
    // there is one window, else one per channel (channelPictureName()).
    QString pictureName(const QString& file, std::size_t index) const;
    // Saves the pictures of the windows from `from` on. The reason when one cannot be
    // written; else empty.
    QString savePictures(const QString& file, std::size_t from = 0);
    // Each channel's summary on stderr, after its name when there are several.
    void writeSummaries() const;

signals:
    // The last window was closed: the program may end.
    void allClosed();

private:
    // Where the window of `index` is to stand; its top left corner.
    void setPlace(std::size_t index, QPoint topLeft);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The channels `names` of the log at `path` but the first, each in a new window.
    void openOthers(const QString& path, const QStringList& names, bool now);
    // The channel of the window at `index` has ended: its window goes, closed here (Exit,
    // Ctrl+Q) unless it is closing already.
    void ended(std::size_t index, bool close = true);

    ErrorReporter& errors_;
    // The channels of the further windows a log of several channels opened, each with a
    // link to the system's ports of its own, so that it may also read a meter.
    std::vector<std::unique_ptr<SerialLink>> links_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<std::unique_ptr<MainWindow>> windows_;
    std::vector<bool> placed_;
    std::vector<bool> ended_;
    bool keptSizes_;
};

} // namespace kv
