// The window with the program's own translations installed as the program installs them:
// its menu speaks the language, the meter's texts on it stay as they are.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/translation.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace kv {
namespace {

// What a person reads on the window after one reading of 1.234 V-DC, under `locale`.
struct WindowTexts {
    QStringList menu;      // "(text)" for a disabled entry, "-" for a separator
    QStringList metersOwn; // the buttons, the port label, the units and the chart's title
};

WindowTexts windowTextsIn(const QLocale& locale) {
    installTranslations(*qApp, locale);
    MemoryMeter link;
    ErrorReporter errors([](const QString&, const QString&) {});
    PortEntry port;
    port.name = "COM1";
    port.path = "/dev/ttyUSB0";
    test::TestWindow window(link, {port}, errors);
    window.session().poller().setWaitMs(0);
    window.show();
    link.replies.push_back(meterReply(240, 136, "01234"));
    window.openClick();
    window.session().poller().stop();
    window.timer1Timer();

    WindowTexts texts;
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window.label2()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(window.label2(), &click);
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* a : menu->actions())
            texts.menu << (a->isSeparator() ? "-"
                           : a->isEnabled() ? a->text()
                                            : "(" + a->text() + ")");
        menu->close();
    }
    texts.metersOwn << window.openButton()->text() << window.stopButton()->text()
                    << window.exitButton()->text() << window.label1()->text()
                    << QString::fromStdString(window.anz()->signalSettings().valueUnit())
                    << QString::fromStdString(window.analog()->signalSettings().valueUnit())
                    << QString::fromStdString(window.chart1()->title().text().at(0));

    // Back to the language the texts are written in.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    return texts;
}

TEST(WindowLanguage, TheContextMenuSpeaksTheLanguageAndTheMetersTextsStay) {
    const WindowTexts english = windowTextsIn(QLocale(QLocale::English, QLocale::UnitedStates));
    const WindowTexts german = windowTextsIn(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(english.menu,
              QStringList({"(1 reading, min 01.234 V-DC, max 01.234 V-DC, mean 01.234 V-DC)",
                           "(Gaps: 0, overloads: 0)",
                           "-",
                           "Open readings...",
                           "Record to file...",
                           "Save readings...",
                           "Save picture...",
                           "Copy reading",
                           "Add note...",
                           "-",
                           "Time axis",
                           "Histogram",
                           "-",
                           "Show all",
                           "Last minute",
                           "Last 10 minutes",
                           "Last hour",
                           "Clear markers",
                           "Save chart...",
                           "-",
                           "Hold",
                           "Relative",
                           "Limits...",
                           "Show statistics",
                           "-",
                           "Compare with...",
                           "(Align at start)",
                           "(Clear reference)",
                           "-",
                           "Size",
                           "Full-screen readout"}));
    EXPECT_EQ(german.menu,
              QStringList({"(1 Messwert, Min. 01.234 V-DC, Max. 01.234 V-DC, Mittel 01.234 V-DC)",
                           "(Lücken: 0, Überlastungen: 0)",
                           "-",
                           "Messwerte öffnen...",
                           "In Datei aufzeichnen...",
                           "Messwerte speichern...",
                           "Bild speichern...",
                           "Messwert kopieren",
                           "Notiz hinzufügen...",
                           "-",
                           "Zeitachse",
                           "Histogramm",
                           "-",
                           "Alles zeigen",
                           "Letzte Minute",
                           "Letzte 10 Minuten",
                           "Letzte Stunde",
                           "Marken löschen",
                           "Diagramm speichern...",
                           "-",
                           "Halten",
                           "Relativ",
                           "Grenzwerte...",
                           "Statistik zeigen",
                           "-",
                           "Vergleichen mit...",
                           "(Am Anfang ausrichten)",
                           "(Vergleich entfernen)",
                           "-",
                           "Größe",
                           "Vollbild-Anzeige"}));
    const QStringList metersOwn = {"Start", "Stop", "Exit",      "COMPORT",
                                   "V-DC",  "V-DC", "TrendChart"};
    EXPECT_EQ(english.metersOwn, metersOwn);
    EXPECT_EQ(german.metersOwn, metersOwn);
}

} // namespace
} // namespace kv
