#include "app/readout_model.h"

namespace kv {

ReadoutModel::ReadoutModel(QObject* parent) : QObject(parent) {}

template <typename T> void ReadoutModel::assign(T& field, const T& value) {
    if (field == value)
        return;
    field = value;
    emit changed();
}

void ReadoutModel::setDigits(const QString& digits) {
    assign(digits_, digits);
}

void ReadoutModel::setUnit(const QString& unit) {
    assign(unit_, unit);
}

void ReadoutModel::setStatus(const QStringList& lines) {
    QStringList kept;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            kept << line;
    assign(status_, kept);
}

void ReadoutModel::setDigitsColor(ColorValue color) {
    assign(digitsColor_, color);
}

void ReadoutModel::setBackground(ColorValue color) {
    assign(background_, color);
}

} // namespace kv
