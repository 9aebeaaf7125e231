#pragma once

#include "canvas/color.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace kv {

// What the full-screen readout shows: the digits and their unit as the window's indicator
// shows them, the channel's status in words (one sentence a line, most important first),
// and the colours: the window's background, the digits' own (grey while the meter is
// silent, the flash colour of the moment while a limit or an overload flashes).
class ReadoutModel : public QObject {
    Q_OBJECT
public:
    explicit ReadoutModel(QObject* parent = nullptr);

    const QString& digits() const { return digits_; }
    const QString& unit() const { return unit_; }
    const QStringList& status() const { return status_; }
    ColorValue digitsColor() const { return digitsColor_; }
    ColorValue background() const { return background_; }

    void setDigits(const QString& digits);
    void setUnit(const QString& unit);
    void setStatus(const QStringList& lines);
    void setDigitsColor(ColorValue color);
    void setBackground(ColorValue color);

signals:
    // Anything shown has changed.
    void changed();

private:
    template <typename T> void assign(T& field, const T& value);

    QString digits_;
    QString unit_;
    QStringList status_;
    ColorValue digitsColor_ = clBlack;
    ColorValue background_ = clWhite;
};

} // namespace kv
