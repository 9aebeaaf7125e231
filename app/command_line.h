#pragma once

#include "channel/derived_formula.h"
#include "watch/limit_watch.h"
#include "watch/log_condition.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace kv {

// What the command line asks for. Without options the program behaves as if none existed.
// A simulated meter of its own for --meter: "sim" (the demo) or "sim:SCRIPT".
bool isSimulatedDevice(const QString& device);

struct CommandLine {
    bool simulate = false;
    QString simulateScript; // empty: the built-in demo script
    QStringList ports;      // devices put in front of the port list, in the order given
    bool autostart = false;
    bool histogram = false; // the chart shows the histogram from the start
    QString snapshotFile;
    int readings = 0; // with a snapshot: before the picture; without a window: before the end
    QString logFile;  // "-": standard output; empty: no log
    std::int64_t everyMs = 0; // the log's interval; 0: a row per reading
    // When the log begins and when it ends; none: at the first reading, and never.
    std::optional<LogCondition> startWhen, stopWhen;
    bool noWindow = false;
    std::int64_t durationMs = 0; // without a window: how long it logs; 0: until told to stop
    // The limits of a bench run, in the unit of the first reading, and the command run on
    // each crossing of them; empty: none. `limits` are the first channel's; --lower and
    // --upper NAME:VALUE give those of another, in `channelLimits`.
    Limits limits;
    struct ChannelLimits {
        QString channel;
        Limits limits;
    };
    std::vector<ChannelLimits> channelLimits;
    QString onLimit;
    bool help = false;
    bool version = false;
    QString mqttUrl;          // empty: nothing is published
    QString mqttPasswordFile; // empty: the password comes from $KV_MQTT_PASSWORD, if at all
    // The page in a browser: [ADDRESS:]PORT, and the file of its token; empty: none.
    QString http;
    QString httpTokenFile;
    QString openFile;    // a recording to show instead of a meter; empty: none
    QString compareFile; // a recording laid behind the chart's line; empty: none
    QString note;        // a note on the run's start; empty: none
    // Meters read at once, each a channel of its own, in the order given; empty: the one
    // meter of --port or --simulate.
    struct Meter {
        QString name;   // as given, or A, B, C, ... by its place
        QString device; // a device path, or "sim" / "sim:SCRIPT" for a simulated meter
    };
    std::vector<Meter> meters;
    // Channels computed from the meters' readings, in the order given.
    std::vector<DerivedFormula> derived;

    bool openRecording() const { return !openFile.isEmpty(); }
    // The limits of the channel `name`; the first channel's are `limits`.
    Limits limitsOf(const QString& name, bool first) const {
        Limits found = first ? limits : Limits();
        for (const ChannelLimits& each : channelLimits)
            if (each.channel == name) {
                found.lower = each.limits.lower ? each.limits.lower : found.lower;
                found.upper = each.limits.upper ? each.limits.upper : found.upper;
            }
        return found;
    }

    bool snapshot() const { return !snapshotFile.isEmpty(); }
    bool log() const { return !logFile.isEmpty(); }
    bool mqtt() const { return !mqttUrl.isEmpty(); }
    bool web() const { return !http.isEmpty(); }
    // How long a snapshot run waits for its readings, in milliseconds: five seconds and half
    // a second a reading, but no longer than a timer waits (about 24 days).
    int snapshotTimeoutMs() const {
        return static_cast<int>(std::min<std::int64_t>(5000 + std::int64_t{readings} * 500,
                                                       std::numeric_limits<int>::max()));
    }
};

struct CommandLineResult {
    std::optional<CommandLine> options; // empty when the arguments are wrong
    QString error;                      // why, when they are
};

// Parses the arguments after the program name.
CommandLineResult parseCommandLine(const QStringList& args);

// The arguments without Qt's own options (-style fusion, -platform offscreen, -stylesheet
// FILE, ...), which the application object takes for itself: what is left is ours. Used to
// answer --help, --version and wrong arguments before Qt starts, which needs no display.
QStringList withoutQtOptions(const QStringList& args);

QString usageText(const QString& program);

// What a wrong command line prints: the one error line and where to find help, with the
// program's title and the name it was invoked by.
QString usageErrorText(const QString& title, const QString& invoked, const QString& error);

} // namespace kv
