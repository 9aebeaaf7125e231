#include "app/application.h"

#include "app/error_reporter.h"
#include "format/number_format.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace kv {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (ErrorReporter* r = ErrorReporter::instance())
            r->report(e);
    } catch (...) {
        if (ErrorReporter* r = ErrorReporter::instance())
            r->report(ErrorReporter::tr("Unknown error"));
    }
    return false;
}

char separatorFromSymbol(const QString& symbol, char fallback) {
    if (symbol.isEmpty())
        return fallback;
    const QChar c = symbol.at(0);
    if (c.unicode() < 0x80)
        return static_cast<char>(c.unicode());
    // The number texts are single-byte; a locale grouping with a no-break or narrow space
    // groups with a plain space, anything else non-ASCII takes the fallback.
    if (c.isSpace())
        return ' ';
    return fallback;
}

std::unique_ptr<QTemporaryDir> providePrivateRuntimeDir() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return nullptr;
    // A new folder from mkdtemp is the caller's alone, mode 0700, as Qt requires.
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                               QStringLiteral("/kv27500-runtime-XXXXXX"));
    if (!dir->isValid())
        return nullptr;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    return dir;
}

void applyRegionalSeparators(const QLocale& locale) {
    setDecimalChar(separatorFromSymbol(locale.decimalPoint(), '.'));
    setGroupingChar(separatorFromSymbol(locale.groupSeparator(), ','));
}

} // namespace kv
