#pragma once

#include <QPoint>
#include <QString>
#include <optional>

namespace kv {

// What is kept of one window between runs: its zoom and where its top-left corner stood.
// Kept in the application settings beside the port (see PortMemory), under the window's
// key: the name of the channel it shows, or the empty string for the program's single
// window. Any key is allowed; names with "/" or other characters of the settings' own are
// kept apart from each other. The settings are read and written when asked.
class WindowMemory {
public:
    explicit WindowMemory(QString key = QString());

    const QString& key() const { return key_; }

    // The zoom last set, 1.0 (100 %) when none was, or when what is kept is no zoom at all
    // (not a number, zero or negative, beyond kMaxZoom).
    double zoom() const;
    // Kept in whole percent; a zoom outside (0, kMaxZoom] is not kept.
    void setZoom(double zoom);

    // The top-left corner last set, in desktop coordinates; none when none was.
    std::optional<QPoint> position() const;
    void setPosition(const QPoint& topLeft);

    static constexpr double kMaxZoom = 10.0;

private:
    QString group() const;

    QString key_;
};

} // namespace kv
