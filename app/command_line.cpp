#include "app/command_line.h"

#include "publish/mqtt_url.h"
#include "watch/limit_parsing.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kv {

namespace {
// The texts of the command line, translated under one context.
class Text {
    Q_DECLARE_TR_FUNCTIONS(kv::CommandLine)
};

bool isOption(const QString& arg) {
    return arg.startsWith(QLatin1String("--"));
}

CommandLineResult fail(const QString& error) {
    return {std::nullopt, error};
}

// The options QGuiApplication and QApplication document, by whether a value follows.
constexpr const char* kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <std::size_t N> bool isOneOf(const QString& name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}
// "-platform" or "--platform", without "=": one of Qt's options that take a value.
bool isQtOptionWithValue(const QString& arg) {
    if (!arg.startsWith(QLatin1Char('-')) || arg.contains(QLatin1Char('=')))
        return false;
    const QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    return isOneOf(name, kQtOptionsWithValue);
}

// A limit as typed on the command line: a decimal point, or the decimal character of the
// user's regional settings (which the number texts may not have taken yet).
bool parseLimitArgument(QString text, LimitEnd end, std::optional<float>& value, QString& error) {
    const QString regional = QLocale::system().decimalPoint();
    if (regional.size() == 1 && regional != QLatin1String("."))
        text.replace(regional, QStringLiteral("."));
    std::string why;
    if (!parseLimit(text.toStdString(), end, value, why)) {
        error = QString::fromStdString(why);
        return false;
    }
    return true;
}
} // namespace

CommandLineResult parseCommandLine(const QStringList& args) {
    CommandLine cl;
    bool readingsGiven = false;
    QString limitTexts[2]; // --lower and --upper as typed
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString inlineValue;
        bool hasInline = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (isOption(arg) && eq > 0) {
            inlineValue = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasInline = true;
        }
        // A value either follows "=" or is the next argument.
        auto takeValue = [&](QString& out) {
            if (hasInline) {
                out = inlineValue;
                return true;
            }
            if (i + 1 < args.size() && !isOption(args[i + 1]) &&
                !isQtOptionWithValue(args[i + 1])) {
                out = args[++i];
                return true;
            }
            return false;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            cl.help = true;
        } else if (arg == QLatin1String("--version")) {
            cl.version = true;
        } else if (arg == QLatin1String("--simulate")) {
            cl.simulate = true;
            // The script is optional: a following option is not taken for it. An empty name
            // names no file, and is not taken for the demo either.
            if (takeValue(cl.simulateScript) && cl.simulateScript.isEmpty())
                return fail(Text::tr("--simulate needs a script file name, or none at all"));
        } else if (arg == QLatin1String("--port")) {
            QString device;
            if (!takeValue(device) || device.isEmpty())
                return fail(Text::tr("--port needs a device"));
            cl.ports << device;
        } else if (arg == QLatin1String("--autostart")) {
            cl.autostart = true;
        } else if (arg == QLatin1String("--snapshot")) {
            if (!takeValue(cl.snapshotFile) || cl.snapshotFile.isEmpty())
                return fail(Text::tr("--snapshot needs a file name"));
        } else if (arg == QLatin1String("--readings")) {
            QString n;
            bool ok = false;
            if (takeValue(n))
                cl.readings = n.toInt(&ok);
            if (!ok || cl.readings < 1)
                return fail(Text::tr("--readings needs a whole number of at least 1"));
            readingsGiven = true;
        } else if (arg == QLatin1String("--log")) {
            if (!takeValue(cl.logFile) || cl.logFile.isEmpty())
                return fail(Text::tr("--log needs a file name, or - for standard output"));
        } else if (arg == QLatin1String("--no-window")) {
            cl.noWindow = true;
        } else if (arg == QLatin1String("--duration")) {
            QString text;
            bool ok = false;
            const double seconds = takeValue(text) ? text.toDouble(&ok) : 0.0;
            if (!ok || !std::isfinite(seconds) || seconds <= 0)
                return fail(Text::tr("--duration needs a number of seconds above 0"));
            // At least a millisecond; at most a few thousand years, which no clock overflows.
            cl.durationMs =
                std::max<std::int64_t>(1, std::llround(std::min(seconds, 1e11) * 1000.0));
        } else if (arg == QLatin1String("--lower") || arg == QLatin1String("--upper")) {
            const bool lower = arg == QLatin1String("--lower");
            QString& text = limitTexts[lower ? 0 : 1];
            QString error;
            if (!takeValue(text) || text.trimmed().isEmpty())
                return fail(lower ? Text::tr("--lower needs a number")
                                  : Text::tr("--upper needs a number"));
            if (!parseLimitArgument(text, lower ? LimitEnd::lower : LimitEnd::upper,
                                    lower ? cl.limits.lower : cl.limits.upper, error))
                return fail(error);
        } else if (arg == QLatin1String("--on-limit")) {
            if (!takeValue(cl.onLimit) || QProcess::splitCommand(cl.onLimit).isEmpty())
                return fail(Text::tr("--on-limit needs a command"));
        } else if (arg == QLatin1String("--mqtt")) {
            if (!takeValue(cl.mqttUrl) || cl.mqttUrl.isEmpty())
                return fail(Text::tr("--mqtt needs an address: mqtt://[USER@]HOST[:PORT]/PREFIX"));
            std::string error;
            if (!parseMqttUrl(cl.mqttUrl.toStdString(), error))
                return fail(QString::fromStdString(error));
        } else if (arg == QLatin1String("--mqtt-password-file")) {
            if (!takeValue(cl.mqttPasswordFile) || cl.mqttPasswordFile.isEmpty())
                return fail(Text::tr("--mqtt-password-file needs a file name"));
        } else if (!isOption(arg) && !arg.startsWith(QLatin1Char('-')) && cl.openFile.isEmpty() &&
                   !arg.isEmpty()) {
            cl.openFile = arg;
        } else if (isQtOptionWithValue(arg)) {
            // Only left here when its value is missing: Qt would wait for one or ignore it.
            return fail(Text::tr("%1 needs a value").arg(arg));
        } else {
            return fail(Text::tr("unknown argument: %1").arg(args[i]));
        }
    }
    if (cl.limits.lower && cl.limits.upper && *cl.limits.lower > *cl.limits.upper)
        // The sentence of the limits' own check, with the numbers as typed.
        return fail(QCoreApplication::translate("kv::Limits",
                                                "The lower limit %1 lies above the upper limit %2.")
                        .arg(limitTexts[0].trimmed(), limitTexts[1].trimmed()));
    if (!cl.onLimit.isEmpty() && !cl.limits.any())
        return fail(Text::tr("--on-limit needs --lower or --upper"));
    if (cl.snapshot() && !readingsGiven && !cl.openRecording())
        return fail(Text::tr("--snapshot needs --readings N"));
    if (cl.noWindow) {
        if (!cl.log() && !cl.mqtt())
            return fail(Text::tr("--no-window needs --log FILE.csv or --mqtt URL"));
        if (cl.snapshot())
            return fail(Text::tr("--snapshot cannot be used with --no-window"));
        if (cl.openRecording())
            return fail(Text::tr("a recording to open cannot be used with --no-window"));
        if (cl.ports.size() + (cl.simulate ? 1 : 0) != 1)
            return fail(Text::tr("--no-window reads one meter: give --port DEVICE once, "
                                 "or --simulate"));
    }
    if (!cl.mqttPasswordFile.isEmpty() && !cl.mqtt())
        return fail(Text::tr("--mqtt-password-file is only used with --mqtt"));
    if (cl.durationMs > 0 && !cl.noWindow)
        return fail(Text::tr("--duration is only used with --no-window"));
    if (readingsGiven && !cl.snapshot() && !cl.noWindow)
        return fail(Text::tr("--readings is only used with --snapshot or --no-window"));
    if (cl.snapshot() && !cl.openRecording())
        cl.autostart = true;
    return {cl, QString()};
}

QStringList withoutQtOptions(const QStringList& args) {
    QStringList ours;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        // Qt takes its options with one dash or two, and a value after "=" or as the next
        // argument, whatever that looks like.
        QString name = arg.startsWith(QLatin1String("--")) ? arg.mid(2)
                       : arg.startsWith(QLatin1Char('-'))  ? arg.mid(1)
                                                           : QString();
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        const bool inlineValue = eq >= 0;
        if (inlineValue)
            name.truncate(eq);
        if (name == QLatin1String("qmljsdebugger") && inlineValue)
            continue;
        if (isOneOf(name, kQtFlags) && !inlineValue)
            continue;
        if (isOneOf(name, kQtOptionsWithValue)) {
            // Without its value it stays, so that it is answered rather than lost.
            if (!inlineValue && i + 1 == args.size())
                ours << arg;
            else if (!inlineValue)
                ++i;
            continue;
        }
        ours << arg;
    }
    return ours;
}

QString usageErrorText(const QString& title, const QString& invoked, const QString& error) {
    return Text::tr("%1: %2\nTry '%3 --help'.\n").arg(title, error, invoked);
}

QString usageText(const QString& program) {
    return Text::tr(
               "Usage: %1 [options] [FILE.csv]\n"
               "Shows the readings of a VELOMAX KV27500 multimeter on a serial line.\n"
               "\n"
               "Options:\n"
               "  --simulate [SCRIPT]   use the built-in simulated meter, playing SCRIPT or the\n"
               "                        demo script; it is listed first in the port box\n"
               "  --port DEVICE         put DEVICE at the front of the port list (repeatable)\n"
               "  --autostart           press Start once the window is shown\n"
               "  --snapshot FILE.png   with --readings N: after N readings save the window as\n"
               "                        FILE.png and exit (implies --autostart)\n"
               "  --readings N          readings to wait for before the snapshot, or to log\n"
               "                        before the end with --no-window (an overload counts)\n"
               "  --log FILE.csv        record every reading from the first on, appended to\n"
               "                        FILE.csv (- for standard output); the header goes only\n"
               "                        into a new or empty file\n"
               "  --no-window           with --log: show nothing and need no display; poll the\n"
               "                        --port DEVICE (or the --simulate meter), end after\n"
               "                        --readings N, after --duration, on Ctrl-C or on kill,\n"
               "                        and print a summary line on stderr\n"
               "  --duration SECONDS    with --no-window: log this long, then end\n"
               "  --lower VALUE         the lower limit in the unit of the first reading (a\n"
               "                        decimal point or the regional character)\n"
               "  --upper VALUE         the upper limit, likewise\n"
               "  --on-limit COMMAND    run COMMAND (no shell) once per crossing out of the\n"
               "                        limits and once per return, with KV_LIMIT (upper,\n"
               "                        lower or inside), KV_VALUE, KV_UNIT and KV_TIME\n"
               "  FILE.csv              show the recording FILE.csv (as Open readings, Ctrl+O,\n"
               "                        does) and follow it while it grows; with --snapshot\n"
               "                        FILE.png: its picture, its summary line on stderr, exit\n"
               "  --help                show this text\n"
               "  --version             show the version\n"
               "Qt's own options (-style NAME, -platform NAME, -stylesheet FILE, ...) work too.\n"
               "\n"
               "Keys in the window: F5 Start, Esc Stop, Ctrl+Q Exit, Ctrl+R record to a file,\n"
               "Ctrl+S save the readings, Ctrl+Shift+S save a picture, Ctrl+C copy the\n"
               "reading, Ctrl+H hold, Ctrl+D relative, Ctrl+L limits; a right click on the\n"
               "digits, the meter, the bar or the footer shows them with the session's\n"
               "statistics and \"Show statistics\" for the footer.\n"
               "Chart: Ctrl+T time axis, Ctrl+0 all readings, Ctrl+1 the last minute, Ctrl+2\n"
               "the last 10 minutes, Ctrl+3 the last hour; a click sets a marker, Delete\n"
               "clears the markers; Ctrl+C over the plot copies the readout or the markers.\n")
               .arg(program) +
           Text::tr("\n"
                    "Publishing to an MQTT broker:\n"
                    "  --mqtt URL            publish every reading to the broker at\n"
                    "                        mqtt://[USER@]HOST[:PORT]/PREFIX (mqtts:// for TLS)\n"
                    "                        under PREFIX/reading, PREFIX/state and PREFIX/last;\n"
                    "                        with the window or with --no-window, with --log or\n"
                    "                        without; the password comes from $KV_MQTT_PASSWORD\n"
                    "  --mqtt-password-file FILE\n"
                    "                        with --mqtt: read the password from the first line\n"
                    "                        of FILE instead\n");
}

} // namespace kv
