#include "app/translation.h"

#include "core/translated.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace kv {

namespace {
// The program's own translations, embedded at build time (see translations/).
const QString kOwnDirectory = QStringLiteral(":/i18n");

// Loads file_LANGUAGE.qm from dir into a translator of app's and installs it; false when
// there is none for that language.
bool install(QCoreApplication& app, const QString& file, const QString& language,
             const QString& dir) {
    // The exact language, then its base ("de_AT", then "de"); never a file without one.
    const QString base = language.section(QLatin1Char('_'), 0, 0);
    for (const QString& name : {language, base}) {
        const QString path = dir + QLatin1Char('/') + file + QLatin1Char('_') + name + ".qm";
        if (!QFileInfo::exists(path))
            continue;
        auto* translator = new QTranslator(&app);
        if (translator->load(path) && QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}
} // namespace

QString installTranslations(QCoreApplication& app, const QLocale& locale) {
    // The plain layers' texts go through the same translators.
    setTranslation([](const char* context, const char* text) {
        return QCoreApplication::translate(context, text).toStdString();
    });
    for (QString name : locale.uiLanguages()) {
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::English)
            return {};
        if (language == QLocale::C || language == QLocale::AnyLanguage)
            continue;
        if (install(app, QStringLiteral("kv27500"), name, kOwnDirectory)) {
            install(app, QStringLiteral("qtbase"), name,
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            return name.section(QLatin1Char('_'), 0, 0);
        }
    }
    return {};
}

} // namespace kv
