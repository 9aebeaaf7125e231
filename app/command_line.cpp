#include "app/command_line.h"

namespace kv {

namespace {
bool isOption(const QString& arg) {
    return arg.startsWith(QLatin1String("--"));
}

CommandLineResult fail(const QString& error) {
    return {std::nullopt, error};
}
} // namespace

CommandLineResult parseCommandLine(const QStringList& args) {
    CommandLine cl;
    bool readingsGiven = false;
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
            if (i + 1 < args.size() && !isOption(args[i + 1])) {
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
            // The script is optional: a following option is not taken for it.
            takeValue(cl.simulateScript);
        } else if (arg == QLatin1String("--port")) {
            QString device;
            if (!takeValue(device) || device.isEmpty())
                return fail(QStringLiteral("--port needs a device"));
            cl.ports << device;
        } else if (arg == QLatin1String("--autostart")) {
            cl.autostart = true;
        } else if (arg == QLatin1String("--snapshot")) {
            if (!takeValue(cl.snapshotFile) || cl.snapshotFile.isEmpty())
                return fail(QStringLiteral("--snapshot needs a file name"));
        } else if (arg == QLatin1String("--readings")) {
            QString n;
            bool ok = false;
            if (takeValue(n))
                cl.readings = n.toInt(&ok);
            if (!ok || cl.readings < 1)
                return fail(QStringLiteral("--readings needs a whole number of at least 1"));
            readingsGiven = true;
        } else {
            return fail(QStringLiteral("unknown argument: %1").arg(args[i]));
        }
    }
    if (cl.snapshot() && !readingsGiven)
        return fail(QStringLiteral("--snapshot needs --readings N"));
    if (readingsGiven && !cl.snapshot())
        return fail(QStringLiteral("--readings is only used with --snapshot"));
    if (cl.snapshot())
        cl.autostart = true;
    return {cl, QString()};
}

QString usageText(const QString& program) {
    return QStringLiteral(
               "Usage: %1 [options]\n"
               "Shows the readings of a VELOMAX KV27500 multimeter on a serial line.\n"
               "\n"
               "Options:\n"
               "  --simulate [SCRIPT]   use the built-in simulated meter, playing SCRIPT or the\n"
               "                        demo script; it is listed first in the port box\n"
               "  --port DEVICE         put DEVICE at the front of the port list (repeatable)\n"
               "  --autostart           press Start once the window is shown\n"
               "  --snapshot FILE.png   with --readings N: after N readings save the window as\n"
               "                        FILE.png and exit (implies --autostart)\n"
               "  --readings N          readings to wait for before the snapshot\n"
               "  --help                show this text\n"
               "  --version             show the version\n")
        .arg(program);
}

} // namespace kv
