#include "app/port_text.h"

namespace kv {

int portNumberFromText(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // Only the value modulo 8 survives the mask, so it is all we accumulate: any number of
    // digits is read without overflow.
    int low = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        low = (low * 10 + (c.unicode() - '0')) & 7;
    }
    return negative ? (8 - low) & 7 : low;
}

QString portEntryFromName(const QString& name) {
    return name.size() < 4 ? QString() : name.mid(3);
}

} // namespace kv
