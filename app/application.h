#pragma once

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>

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

// Qt wants a runtime folder of the user's own and warns on every start where XDG_RUNTIME_DIR
// is unset (as for root, or in a bare login shell). Then this makes a private folder (mode
// 0700) and points the variable at it, before the application object is made; the folder
// goes with the returned object. Null when the variable is set, or when no folder could be
// made (Qt then warns as it would have).
std::unique_ptr<QTemporaryDir> providePrivateRuntimeDir();

// Takes the decimal and grouping characters from the user's regional settings: the first
// character of each symbol, "." and "," where the locale gives none.
void applyRegionalSeparators(const QLocale& locale);

} // namespace kv
