#pragma once

#include <QApplication>
#include <QLocale>

namespace kv {

// The program's application object. An exception that escapes an event handler is caught
// here, before it can cross Qt's event loop, and handed to the installed ErrorReporter.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The first character of a regional symbol when it is a single byte; a space for the
// no-break and narrow spaces some locales group with; otherwise the fallback.
char separatorFromSymbol(const QString& symbol, char fallback);

// Takes the decimal and grouping characters from the user's regional settings: the first
// character of each symbol, "." and "," where the locale gives none.
void applyRegionalSeparators(const QLocale& locale);

} // namespace kv
