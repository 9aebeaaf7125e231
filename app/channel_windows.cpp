#include "app/channel_windows.h"

#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/snapshot.h"
#include "app/window_memory.h"
#include "app/window_zoom.h"
#include "channel/channel.h"
#include "channel/recording_source.h"
#include "record/error_output.h"
#include "serial/serial_link.h"

#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {
// How far each window that does not fit steps from the last: about a title bar.
constexpr int kCascadeStep = 32;
} // namespace

std::vector<QPoint> sideBySide(const QRect& desktop, const QSize& size, int count) {
    std::vector<QPoint> places;
    if (count <= 0 || size.isEmpty())
        return places;
    const int perRow = std::max(1, desktop.width() / size.width());
    const int rows = std::max(1, desktop.height() / size.height());
    const int fitting = std::min(count, perRow * rows);
    const int used = std::min(fitting, perRow);
    const int usedRows = (fitting + perRow - 1) / perRow;
    const int left = desktop.left() + std::max(0, (desktop.width() - used * size.width()) / 2);
    const int top = desktop.top() + std::max(0, (desktop.height() - usedRows * size.height()) / 2);
    for (int i = 0; i < fitting; ++i)
        places.emplace_back(left + (i % perRow) * size.width(), top + (i / perRow) * size.height());
    // The rest step down from the top left, starting again where they would leave the desktop.
    // A window larger than the desktop steps as far as its corner stays on it.
    const auto stepsIn = [](int total, int length) {
        const int room = length <= total ? total - length : total - 1;
        return std::max(1, room / kCascadeStep + 1);
    };
    const int steps =
        std::min(stepsIn(desktop.width(), size.width()), stepsIn(desktop.height(), size.height()));
    for (int i = fitting; i < count; ++i) {
        const int step = (i - fitting + 1) % steps;
        places.emplace_back(desktop.left() + step * kCascadeStep,
                            desktop.top() + step * kCascadeStep);
    }
    return places;
}

QString channelPictureName(const QString& file, const QString& channel) {
    const QFileInfo info(file);
    QString suffix = info.suffix();
    if (suffix.isEmpty())
        return file + QLatin1Char('-') + channel;
    // The ratio of a PNG ("@2x.png") stays at the end of the name, where it is looked for.
    for (const char* ratio : {"@2x.", "@3x."})
        if (file.endsWith(QLatin1String(ratio) + suffix, Qt::CaseInsensitive))
            suffix = file.right(suffix.size() + 4);
    const QString dot = suffix.startsWith(QLatin1Char('@')) ? QString() : QStringLiteral(".");
    return file.left(file.size() - suffix.size() - dot.size()) + QLatin1Char('-') + channel + dot +
           suffix;
}

ChannelWindows::ChannelWindows(ErrorReporter& errors, bool keptSizes, QObject* parent)
    : QObject(parent), errors_(errors), keptSizes_(keptSizes) {}

ChannelWindows::~ChannelWindows() {
    // Derived channels' windows go before those of the meters they read.
    while (!windows_.empty())
        windows_.pop_back();
}

MainWindow& ChannelWindows::add(Channel& channel, std::vector<PortEntry> ports,
                                const std::string& startPort) {
    windows_.push_back(std::make_unique<MainWindow>(channel, std::move(ports), startPort, errors_));
    placed_.push_back(false);
    ended_.push_back(false);
    const std::size_t index = windows_.size() - 1;
    MainWindow& window = *windows_.back();
    window.installEventFilter(this);
    connect(&window, &MainWindow::exitRequested, this, [this, index] { ended(index); });
    connect(&window, &MainWindow::severalChannels, this,
            [this, index](const QString& path, const QStringList& names) {
                Channel& shown = windows_[index]->channel();
                if (shown.name().isEmpty())
                    shown.setName(names.front());
                openOthers(path, names, false);
                show();
            });
    connect(&window, &MainWindow::quitRequested, this, [this] {
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (!ended_[i])
                windows_[i]->button2Click();
    });
    for (auto& each : windows_)
        each->setOneOfSeveral(windows_.size() > 1);
    // The size as it was left, as far as the screen allows, and where the user left it, when
    // that is still on a screen.
    if (keptSizes_)
        window.zoom().setPercent(
            static_cast<int>(std::lround(WindowMemory(channel.name()).zoom() * 100)));
    connect(&window.zoom(), &WindowZoom::zoomChanged, this,
            [&window](double zoom) { WindowMemory(window.channel().name()).setZoom(zoom); });
    connect(&window, &MainWindow::dragged, this,
            [&window] { WindowMemory(window.channel().name()).setPosition(window.pos()); });
    if (const std::optional<QPoint> place = WindowMemory(channel.name()).position())
        if (QGuiApplication::screenAt(*place))
            setPlace(index, *place);
    return window;
}

bool ChannelWindows::openRecording(std::size_t index, const QString& path, bool now,
                                   QString& error) {
    const QStringList names = RecordingSource::channelsIn(path);
    const QString first = names.size() > 1 ? names.front() : QString();
    Channel& channel = windows_[index]->channel();
    RecordingSource& recording = channel.recording();
    if (!(now ? recording.openNow(path, error, first) : recording.open(path, error, first)))
        return false;
    if (names.size() > 1) {
        if (channel.name().isEmpty())
            channel.setName(first);
        openOthers(path, names, now);
    }
    return true;
}

void ChannelWindows::openOthers(const QString& path, const QStringList& names, bool now) {
    for (int i = 1; i < names.size(); ++i) {
        const PortTable table({}, PortTable::systemPorts());
        links_.push_back(std::make_unique<SerialLink>(table));
        channels_.push_back(std::make_unique<Channel>(*links_.back()));
        Channel& channel = *channels_.back();
        channel.setName(names[i]);
        add(channel, table.entries());
        QString error;
        RecordingSource& recording = channel.recording();
        if (!(now ? recording.openNow(path, error, names[i])
                  : recording.open(path, error, names[i])))
            errors_.report(error);
    }
}

void ChannelWindows::setPlace(std::size_t index, QPoint topLeft) {
    windows_[index]->move(topLeft);
    placed_[index] = true;
}

void ChannelWindows::show() {
    if (windows_.empty())
        return;
    // Each window without a place of its own takes its slot among all of them.
    const QScreen* screen = windows_.front()->screen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect();
    // Slots as large as the largest window, which a zoom may have made larger than the rest.
    QSize slot;
    for (const auto& window : windows_)
        slot = slot.expandedTo(window->frameGeometry().size());
    const std::vector<QPoint> places = sideBySide(desktop, slot, int(windows_.size()));
    for (std::size_t i = 0; i < places.size(); ++i)
        if (!placed_[i])
            windows_[i]->move(places[i]);
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        placed_[i] = true;
        if (!ended_[i])
            windows_[i]->show();
    }
}

void ChannelWindows::startMeters() {
    for (auto& window : windows_)
        if (!window->channel().derived())
            window->openClick();
}

QString ChannelWindows::pictureName(const QString& file, std::size_t index) const {
    if (windows_.size() < 2)
        return file;
    return channelPictureName(file, windows_[index]->channel().name());
}

QString ChannelWindows::savePictures(const QString& file, std::size_t from) {
    for (std::size_t i = from; i < windows_.size(); ++i) {
        const QString error = SnapshotRun::saveImage(*windows_[i], pictureName(file, i));
        if (!error.isEmpty())
            return error;
    }
    return {};
}

void ChannelWindows::writeSummaries() const {
    for (const auto& window : windows_) {
        const Channel& channel = window->channel();
        QString line = QString::fromStdString(channel.record().summary());
        if (windows_.size() > 1)
            line = channel.name() + QStringLiteral(": ") + line;
        writeErrorLine(line.toStdString());
    }
}

bool ChannelWindows::eventFilter(QObject* watched, QEvent* event) {
    // A window closed by the desktop (its close button, Alt+F4) ends its channel as Exit does.
    if (event->type() == QEvent::Close)
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (windows_[i].get() == watched && !ended_[i]) {
                windows_[i]->channel().close();
                ended(i, false);
            }
    return QObject::eventFilter(watched, event);
}

void ChannelWindows::ended(std::size_t index, bool close) {
    if (ended_[index])
        return;
    ended_[index] = true;
    if (close)
        windows_[index]->close();
    if (std::all_of(ended_.begin(), ended_.end(), [](bool e) { return e; }))
        emit allClosed();
}

} // namespace kv
