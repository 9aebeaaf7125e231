#include "app/command_line.h"

#include "record/record_note.h"

#include "record/csv.h"

#include "publish/mqtt_url.h"
#include "watch/limit_parsing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QProcess>
#include <algorithm>
#include <array>
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

// How an option takes its value.
enum class Takes { nothing, value, optionalValue };

// Puts an option's value into the command line. False when the value is unusable, with
// `error` saying why, or left empty for the option's own sentence.
using Apply = bool (*)(CommandLine& cl, const QString& value, QString& error);

// One option: what follows it and what it sets. A new option adds a row.
struct Option {
    const char* name; // without its dashes
    char letter;      // its one-dash short form; 0: none
    Takes takes;
    bool repeatable;   // every value counts; otherwise a second one is refused
    const char* needs; // why a missing, empty or unusable value is refused
    Apply apply;
};

// What most options do: turn on, keep their text, or read a limit.
template <bool CommandLine::*flag> bool turnOn(CommandLine& cl, const QString&, QString&) {
    cl.*flag = true;
    return true;
}
template <QString CommandLine::*field>
bool keepText(CommandLine& cl, const QString& value, QString&) {
    cl.*field = value;
    return true;
}
template <std::optional<LogCondition> CommandLine::*field>
bool keepCondition(CommandLine& cl, const QString& text, QString& error) {
    const char* option = field == &CommandLine::startWhen ? "--start-when" : "--stop-when";
    const ParsedLogCondition parsed = parseLogCondition(text.toStdString(), option);
    if (!parsed.ok()) {
        error = QString::fromStdString(parsed.error);
        return false;
    }
    cl.*field = parsed.condition;
    return true;
}

// A limit's argument: VALUE for the first channel, NAME:VALUE for another. Nothing when it
// names no channel (a value never holds a colon).
std::optional<std::pair<QString, QString>> namedLimit(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    return std::make_pair(text.left(colon).trimmed(), text.mid(colon + 1));
}

template <LimitEnd end> bool keepLimit(CommandLine& cl, const QString& text, QString& error) {
    const char* option = end == LimitEnd::lower ? "--lower" : "--upper";
    Limits* limits = &cl.limits;
    QString value = text;
    if (const auto named = namedLimit(text)) {
        const std::string why = channelNameError(named->first.toStdString());
        if (!why.empty()) {
            error = QString::fromStdString(why);
            return false;
        }
        value = named->second;
        auto found = std::find_if(
            cl.channelLimits.begin(), cl.channelLimits.end(),
            [&](const CommandLine::ChannelLimits& each) { return each.channel == named->first; });
        if (found == cl.channelLimits.end())
            found = cl.channelLimits.insert(found, {named->first, Limits()});
        limits = &found->limits;
    }
    std::optional<float>& limit = end == LimitEnd::lower ? limits->lower : limits->upper;
    if (limit) {
        error = limits == &cl.limits ? Text::tr("%1 is given twice").arg(QLatin1String(option))
                                     : Text::tr("%1 is given twice for %2")
                                           .arg(QLatin1String(option), namedLimit(text)->first);
        return false;
    }
    if (value.trimmed().isEmpty() || !parseLimitArgument(value, end, limit, error))
        return false;
    if (limits->lower && limits->upper && *limits->lower > *limits->upper) {
        error = QCoreApplication::translate("kv::Limits",
                                            "The lower limit %1 lies above the upper limit %2.")
                    .arg(QString::number(double(*limits->lower)),
                         QString::number(double(*limits->upper)));
        return false;
    }
    return true;
}

constexpr Option kOptions[] = {
    {"help", 'h', Takes::nothing, false, nullptr, turnOn<&CommandLine::help>},
    {"version", 0, Takes::nothing, false, nullptr, turnOn<&CommandLine::version>},
    // An empty name names no file, and is not taken for the demo either: it is refused
    // before it gets here, where an empty value stands for no script.
    {"simulate", 0, Takes::optionalValue, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--simulate needs a script file name, or none at all"),
     [](CommandLine& cl, const QString& script, QString&) {
         cl.simulate = true;
         cl.simulateScript = script;
         return true;
     }},
    {"port", 0, Takes::value, true, QT_TRANSLATE_NOOP("kv::CommandLine", "--port needs a device"),
     [](CommandLine& cl, const QString& device, QString&) {
         cl.ports << device;
         return true;
     }},
    {"autostart", 0, Takes::nothing, false, nullptr, turnOn<&CommandLine::autostart>},
    {"histogram", 0, Takes::nothing, false, nullptr, turnOn<&CommandLine::histogram>},
    {"snapshot", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--snapshot needs a file name"),
     keepText<&CommandLine::snapshotFile>},
    {"note", 0, Takes::value, false, QT_TRANSLATE_NOOP("kv::CommandLine", "--note needs a text"),
     [](CommandLine& cl, const QString& text, QString& error) {
         const std::string problem = noteProblem(text.toStdString());
         if (!problem.empty()) {
             error = QStringLiteral("--note: %1").arg(QString::fromStdString(problem));
             return false;
         }
         cl.note = text;
         return true;
     }},
    {"compare", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--compare needs a file name"),
     keepText<&CommandLine::compareFile>},
    {"readings", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--readings needs a whole number of at least 1"),
     [](CommandLine& cl, const QString& n, QString&) {
         bool ok = false;
         cl.readings = n.toInt(&ok);
         return ok && cl.readings >= 1;
     }},
    {"log", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--log needs a file name, or - for standard output"),
     keepText<&CommandLine::logFile>},
    {"no-window", 0, Takes::nothing, false, nullptr, turnOn<&CommandLine::noWindow>},
    {"duration", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--duration needs a number of seconds above 0"),
     [](CommandLine& cl, const QString& text, QString&) {
         bool ok = false;
         const double seconds = text.toDouble(&ok);
         if (!ok || !std::isfinite(seconds) || seconds <= 0)
             return false;
         // At least a millisecond; at most a few thousand years, which no clock overflows.
         cl.durationMs = std::max<std::int64_t>(1, std::llround(std::min(seconds, 1e11) * 1000.0));
         return true;
     }},
    {"every", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--every needs a number of seconds from 0.5 to 86400"),
     [](CommandLine& cl, const QString& given, QString&) {
         // A point, or the regional decimal character.
         QString text = given;
         const QString regional = QLocale::system().decimalPoint();
         if (regional.size() == 1 && regional != QLatin1String("."))
             text.replace(regional, QStringLiteral("."));
         const std::optional<TimeMs> every = parseLogEvery(text.trimmed().toStdString());
         if (!every)
             return false;
         cl.everyMs = *every;
         return true;
     }},
    {"start-when", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--start-when needs a condition"),
     keepCondition<&CommandLine::startWhen>},
    {"stop-when", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--stop-when needs a condition"),
     keepCondition<&CommandLine::stopWhen>},
    {"lower", 0, Takes::value, true, QT_TRANSLATE_NOOP("kv::CommandLine", "--lower needs a number"),
     keepLimit<LimitEnd::lower>},
    {"upper", 0, Takes::value, true, QT_TRANSLATE_NOOP("kv::CommandLine", "--upper needs a number"),
     keepLimit<LimitEnd::upper>},
    {"on-limit", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--on-limit needs a command"),
     [](CommandLine& cl, const QString& command, QString&) {
         cl.onLimit = command;
         return !QProcess::splitCommand(command).isEmpty();
     }},
    {"mqtt", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine",
                       "--mqtt needs an address: mqtt://[USER@]HOST[:PORT]/PREFIX"),
     [](CommandLine& cl, const QString& url, QString& error) {
         cl.mqttUrl = url;
         std::string why;
         if (parseMqttUrl(url.toStdString(), why))
             return true;
         error = QString::fromStdString(why);
         return false;
     }},
    {"meter", 0, Takes::value, true,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--meter needs [NAME=]DEVICE"),
     [](CommandLine& cl, const QString& text, QString& error) {
         const qsizetype eq = text.indexOf(QLatin1Char('='));
         CommandLine::Meter meter;
         meter.device = eq >= 0 ? text.mid(eq + 1) : text;
         if (eq >= 0) {
             meter.name = text.left(eq);
             error = QString::fromStdString(channelNameError(meter.name.toStdString()));
             if (!error.isEmpty())
                 return false;
         } else {
             meter.name =
                 QString(QLatin1Char(char('A' + std::min<std::size_t>(cl.meters.size(), 25))));
         }
         cl.meters.push_back(meter);
         return !meter.device.isEmpty();
     }},
    {"derive", 0, Takes::value, true,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--derive needs NAME=EXPRESSION"),
     [](CommandLine& cl, const QString& text, QString& error) {
         const QString regional = QLocale::system().decimalPoint();
         const char decimal = regional.size() == 1 ? regional.at(0).toLatin1() : '.';
         const ParsedDerivation parsed =
             parseDerivation(text.toStdString(), decimal ? decimal : '.');
         error = QString::fromStdString(parsed.error);
         if (!parsed.ok())
             return false;
         cl.derived.push_back(parsed.formula);
         return true;
     }},
    {"mqtt-password-file", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--mqtt-password-file needs a file name"),
     keepText<&CommandLine::mqttPasswordFile>},
    {"http", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--http needs [ADDRESS:]PORT"),
     keepText<&CommandLine::http>},
    {"http-token-file", 0, Takes::value, false,
     QT_TRANSLATE_NOOP("kv::CommandLine", "--http-token-file needs a file name"),
     keepText<&CommandLine::httpTokenFile>},
};

// The recording to open, counted among the options in the rules below.
constexpr char kRecording[] = "FILE.csv";

// What a rule asks of the others when its option is given.
enum class Asks { oneOf, noneOf, exactlyOne };

// Which options go together: checked in this order once every argument is read. A new
// option adds a row.
struct Rule {
    const char* option;
    Asks asks;
    std::array<const char*, 2> others; // counted by how often each is given
    const char* sentence;
    const char* unless = nullptr; // an option that, given, makes the rule void
};

constexpr Rule kRules[] = {
    {"on-limit",
     Asks::oneOf,
     {"lower", "upper"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--on-limit needs --lower or --upper")},
    {"snapshot",
     Asks::oneOf,
     {"readings", kRecording},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--snapshot needs --readings N")},
    {"no-window",
     Asks::oneOf,
     {"log", "mqtt"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--no-window needs --log FILE.csv or --mqtt URL")},
    {"no-window",
     Asks::noneOf,
     {"snapshot"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--snapshot cannot be used with --no-window")},
    {"no-window",
     Asks::noneOf,
     {"histogram"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--histogram cannot be used with --no-window")},
    {"no-window",
     Asks::noneOf,
     {kRecording},
     QT_TRANSLATE_NOOP("kv::CommandLine", "a recording to open cannot be used with --no-window")},
    {"no-window",
     Asks::noneOf,
     {"compare"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--compare cannot be used with --no-window")},
    {"meter",
     Asks::noneOf,
     {"port", "simulate"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--meter cannot be used with --port or --simulate")},
    {"meter",
     Asks::noneOf,
     {kRecording},
     QT_TRANSLATE_NOOP("kv::CommandLine", "a recording to open cannot be used with --meter")},
    {"derive",
     Asks::oneOf,
     {"meter"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--derive needs --meter")},
    {"no-window",
     Asks::exactlyOne,
     {"port", "simulate"},
     QT_TRANSLATE_NOOP("kv::CommandLine",
                       "--no-window reads one meter: give --port DEVICE once, or --simulate"),
     "meter"},
    {"mqtt-password-file",
     Asks::oneOf,
     {"mqtt"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--mqtt-password-file is only used with --mqtt")},
    {"http-token-file",
     Asks::oneOf,
     {"http"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--http-token-file is only used with --http")},
    {"start-when",
     Asks::oneOf,
     {"log"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--start-when is only used with --log")},
    {"stop-when",
     Asks::oneOf,
     {"log"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--stop-when is only used with --log")},
    {"every",
     Asks::oneOf,
     {"log"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--every is only used with --log")},
    {"duration",
     Asks::oneOf,
     {"no-window"},
     QT_TRANSLATE_NOOP("kv::CommandLine", "--duration is only used with --no-window")},
    {"readings",
     Asks::oneOf,
     {"snapshot", "no-window"},
     QT_TRANSLATE_NOOP("kv::CommandLine",
                       "--readings is only used with --snapshot or --no-window")},
};

QString text(const char* sentence) {
    return QCoreApplication::translate("kv::CommandLine", sentence);
}

const Option* findOption(const QString& name) {
    for (const Option& option : kOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

// "-h" and the like.
const Option* findLetter(const QString& arg) {
    if (arg.size() != 2 || arg[0] != QLatin1Char('-'))
        return nullptr;
    for (const Option& option : kOptions)
        if (option.letter && arg[1] == QLatin1Char(option.letter))
            return &option;
    return nullptr;
}

bool keeps(const Rule& rule, const QHash<QString, int>& given) {
    if (given.value(QLatin1String(rule.option)) == 0 ||
        (rule.unless && given.value(QLatin1String(rule.unless)) > 0))
        return true;
    int others = 0;
    for (const char* other : rule.others)
        if (other)
            others += given.value(QLatin1String(other));
    switch (rule.asks) {
    case Asks::oneOf:
        return others > 0;
    case Asks::noneOf:
        return others == 0;
    case Asks::exactlyOne:
        return others == 1;
    }
    return false;
}

// The arguments as QCommandLineParser is to read them: every option by its long name with
// its value after "=", the recording to open after "--". Qt's parser takes whatever follows
// an option for its value, even another option, and knows no optional value; this pass
// decides what a value is, and stops at the first argument it cannot take.
struct Arguments {
    QStringList normalised;
    QString fault; // why that argument is wrong; empty when every one was taken
};

Arguments normalise(const QStringList& args) {
    Arguments out;
    out.normalised << QStringLiteral("kv27500"); // where the parser expects the program
    QString recording;
    auto unknown = [&out](const QString& arg, const QString& name) {
        // Qt's own options are only left here when their value is missing: Qt would wait
        // for one or ignore them.
        out.fault = isQtOptionWithValue(name) ? Text::tr("%1 needs a value").arg(name)
                                              : Text::tr("unknown argument: %1").arg(arg);
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!isOption(arg)) {
            if (const Option* option = findLetter(arg)) {
                out.normalised << QLatin1String("--") + QLatin1String(option->name);
            } else if (!arg.startsWith(QLatin1Char('-')) && !arg.isEmpty() && recording.isEmpty()) {
                recording = arg;
            } else {
                unknown(arg, arg);
                break;
            }
            continue;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq > 0 ? arg.left(eq) : arg;
        const Option* option = findOption(name.mid(2));
        if (!option) {
            unknown(arg, name);
            break;
        }
        if (option->takes == Takes::nothing) {
            if (eq > 0) {
                out.fault = Text::tr("%1 takes no value").arg(name);
                break;
            }
            out.normalised << name;
            continue;
        }
        // A value either follows "=" or is the next argument, unless that looks like an
        // option.
        bool given = eq > 0;
        QString value = given ? arg.mid(eq + 1) : QString();
        if (!given && i + 1 < args.size() && !isOption(args[i + 1]) &&
            !isQtOptionWithValue(args[i + 1])) {
            value = args[++i];
            given = true;
        }
        if (given ? value.isEmpty() : option->takes == Takes::value) {
            out.fault = text(option->needs);
            break;
        }
        out.normalised << name + QLatin1Char('=') + value;
    }
    if (!recording.isEmpty())
        out.normalised << QStringLiteral("--") << recording;
    return out;
}
// The channels as a set: their names and what the derived ones use (see checkChannels), and
// no two meters on one device. Empty when they are sound.
QString checkMeters(const CommandLine& cl) {
    std::vector<std::string> names;
    for (const CommandLine::Meter& meter : cl.meters)
        names.push_back(meter.name.toStdString());
    if (const std::string error = checkChannels(names, cl.derived); !error.empty())
        return QString::fromStdString(error);
    for (const DerivedFormula& formula : cl.derived)
        names.push_back(formula.name);
    for (const std::optional<LogCondition>* condition : {&cl.startWhen, &cl.stopWhen})
        if (*condition && !(*condition)->channel.empty() &&
            std::find(names.begin(), names.end(), (*condition)->channel) == names.end())
            return Text::tr("the condition names the channel %1, which is not given")
                .arg(QString::fromStdString((*condition)->channel));
    for (const CommandLine::ChannelLimits& each : cl.channelLimits) {
        if (std::find(names.begin(), names.end(), each.channel.toStdString()) == names.end())
            return Text::tr("the limits name the channel %1, which is not given").arg(each.channel);
        // The first channel's limits given both ways are given twice.
        if (each.channel.toStdString() == names.front() &&
            ((each.limits.lower && cl.limits.lower) || (each.limits.upper && cl.limits.upper)))
            return Text::tr("the limits of %1 are given twice").arg(each.channel);
    }
    // Several channels publish under PREFIX/CHANNEL: the prefix leaves room for the longest.
    if (cl.mqtt() && names.size() > 1) {
        std::size_t longest = 0;
        for (const std::string& name : names)
            longest = std::max(longest, name.size());
        std::string why;
        if (!parseMqttUrl(cl.mqttUrl.toStdString(), why, 1 + longest))
            return QString::fromStdString(why);
    }
    QStringList devices;
    for (const CommandLine::Meter& meter : cl.meters) {
        if (isSimulatedDevice(meter.device))
            continue; // each its own
        const QString canonical = QFileInfo(meter.device).canonicalFilePath();
        const QString device = canonical.isEmpty() ? meter.device : canonical;
        if (devices.contains(device))
            return Text::tr("two meters on one port: %1").arg(meter.device);
        devices << device;
    }
    return {};
}
} // namespace

CommandLineResult parseCommandLine(const QStringList& args) {
    const Arguments arguments = normalise(args);
    QCommandLineParser parser;
    for (const Option& option : kOptions)
        parser.addOption(QCommandLineOption(
            QString::fromLatin1(option.name), QString(),
            option.takes == Takes::nothing ? QString() : QStringLiteral("value")));
    // Cannot fail: every name is known, every value attached. Its English messages are
    // never shown.
    const bool read = parser.parse(arguments.normalised);
    Q_ASSERT(read);
    Q_UNUSED(read);

    // The options in the order given: the first wrong one is the one told.
    CommandLine cl;
    QHash<QString, int> given; // how often each option came, and the recording to open
    for (const QString& name : parser.optionNames()) {
        const Option& option = *findOption(name);
        const int earlier = given[name]++;
        const bool valued = option.takes != Takes::nothing;
        if (earlier > 0 && valued && !option.repeatable)
            return fail(Text::tr("%1 is given twice").arg(QLatin1String("--") + name));
        QString error;
        if (!option.apply(cl, valued ? parser.values(name).at(earlier) : QString(), error))
            return fail(error.isEmpty() ? text(option.needs) : error);
    }
    if (!arguments.fault.isEmpty())
        return fail(arguments.fault);
    if (!parser.positionalArguments().isEmpty()) {
        cl.openFile = parser.positionalArguments().constFirst();
        given[QLatin1String(kRecording)] = 1;
    }

    // A log per day or hour: only the patterns the log's name can change by.
    if (const std::string pattern = unknownLogPattern(cl.logFile.toStdString()); !pattern.empty())
        return fail(Text::tr("--log: %1 is none of %Y, %m, %d and %H")
                        .arg(QString::fromStdString(pattern)));
    for (const Rule& rule : kRules)
        if (!keeps(rule, given))
            return fail(text(rule.sentence));
    if (const QString error = checkMeters(cl); !error.isEmpty())
        return fail(error);
    if (cl.snapshot() && !cl.openRecording())
        cl.autostart = true;
    return {cl, QString()};
}

bool isSimulatedDevice(const QString& device) {
    return device == QLatin1String("sim") || device.startsWith(QLatin1String("sim:"));
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
               "                        FILE.png and exit (implies --autostart); FILE.svg or\n"
               "                        FILE.pdf give a vector drawing, FILE@2x.png or\n"
               "                        FILE@3x.png a PNG of twice or three times the pixels\n"
               "  --histogram           show the chart as a histogram of its readings (Ctrl+G)\n"
               "  --readings N          readings to wait for before the snapshot, or to log\n"
               "                        before the end with --no-window (an overload counts)\n"
               "  --log FILE.csv        record every reading from the first on, appended to\n"
               "                        FILE.csv (- for standard output); the header goes only\n"
               "                        into a new or empty file\n"
               "  --every SECONDS       with --log: one row per interval (0.5 to 86400 s), its\n"
               "                        mean, min, max and count, instead of every reading\n"
               "  --start-when CONDITION, --stop-when CONDITION\n"
               "                        with --log: begin the log once CONDITION holds, end it\n"
               "                        when it does: above VALUE, below VALUE or outside LOW\n"
               "                        HIGH, each optionally with for SECONDS\n"
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
               "  --note TEXT           a note on the start of the run, in the record and the\n"
               "                        log (up to 200 characters)\n"
               "  --compare FILE.csv    lay the recording FILE.csv in grey behind the chart's\n"
               "                        line, its start at the line's (as Compare with...)\n"
               "  --help                show this text\n"
               "  --version             show the version\n"
               "Qt's own options (-style NAME, -platform NAME, -stylesheet FILE, ...) work too.\n"
               "\n"
               "Keys in the window: F5 Start, Esc Stop, Ctrl+Q Exit, Ctrl+R record to a file,\n"
               "Ctrl+S save the readings, Ctrl+Shift+S save a picture, Ctrl+C copy the\n"
               "reading, Ctrl+H hold, Ctrl+D relative, Ctrl+L limits; a right click on the\n"
               "digits, the meter, the bar or the footer shows them with the session's\n"
               "statistics and \"Show statistics\" for the footer. Ctrl+Plus and Ctrl+Minus\n"
               "size the window from 100 % to 300 %, Ctrl+Shift+0 back to 100 %; F11 shows the\n"
               "reading across the whole screen, F11 or Esc return.\n"
               "Chart: Ctrl+T time axis, Ctrl+G histogram, Ctrl+0 all readings, Ctrl+1 the\n"
               "last minute, Ctrl+2 the last 10 minutes, Ctrl+3 the last hour; a click sets a\n"
               "marker, Delete clears the markers; Ctrl+C over the plot copies the readout or\n"
               "the markers; \"Save chart...\" in the menu saves the chart alone.\n")
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
                    "                        of FILE instead\n") +
           Text::tr("\n"
                    "Watching from a browser (read-only):\n"
                    "  --http [ADDRESS:]PORT serve a page with the digits, the notes and a trend\n"
                    "                        of the last 10 minutes at http://ADDRESS:PORT/\n"
                    "                        (127.0.0.1 unless ADDRESS is given; port 0: any\n"
                    "                        free one), with /api/stream (Server-Sent Events),\n"
                    "                        /api/last and /api/readings.csv?since=TIME, each\n"
                    "                        with ?channel=NAME for one of several channels\n"
                    "  --http-token-file FILE\n"
                    "                        ask for the token on the first line of FILE\n"
                    "                        (Authorization: Bearer TOKEN or ?token=TOKEN);\n"
                    "                        needed for any address but a loopback one\n") +
           Text::tr("\n"
                    "Several meters, a window each or with --no-window:\n"
                    "  --meter [NAME=]DEVICE read a meter on DEVICE (a port, or sim or sim:SCRIPT\n"
                    "                        for a simulated one) as the channel NAME, or A, B,\n"
                    "                        C, ... by its place; once per meter\n"
                    "  --derive NAME=EXPRESSION\n"
                    "                        a channel computed from others: X*Y, X/Y, X+Y, X-Y,\n"
                    "                        X*NUMBER, X/NUMBER or integral(X); the log gets a\n"
                    "                        channel column\n"
                    "  --lower NAME:VALUE, --upper NAME:VALUE\n"
                    "                        the limits of the channel NAME; --on-limit gets its\n"
                    "                        name in KV_CHANNEL\n"
                    "Exit closes the window of one channel, Ctrl+Q ends them all; --snapshot\n"
                    "FILE.png saves FILE-NAME.png of each channel.\n");
}

} // namespace kv
