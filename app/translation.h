#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

namespace kv {

// Installs the translations of the program's own texts, and of Qt's where the system has
// them, for the first language of the regional settings that the program speaks. The
// languages are tried in the order the locale lists them (for the system locale: the
// LANGUAGE list, else LC_ALL, LC_MESSAGES or LANG); English, the language the texts are
// written in, ends the search, so "en:de" stays English. Returns the language installed
// ("de"), or an empty text for English. Needs the application object; the translators live
// as its children.
QString installTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());

} // namespace kv
