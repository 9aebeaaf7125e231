#pragma once

#include <QString>

namespace kv {

// The port number typed or picked in the port box: the text's leading whole number (an
// optional sign, then digits; 0 when there is none), of which only the three lowest bits
// are kept, so the result is always 0 to 7. "11" gives 3, "abc" 0, "2x" 2.
int portNumberFromText(const QString& text);

// The port box entry for a port-table name: the name without its first three characters
// ("COM12" gives "12"); a shorter name gives an empty entry.
QString portEntryFromName(const QString& name);

} // namespace kv
