// kv27500: shows the readings of a VELOMAX KV27500 multimeter read over a serial line.
#include "app/application.h"
#include "app/bench_actions.h"
#include "app/channel_windows.h"
#include "app/chart_actions.h"
#include "app/command_line.h"
#include "app/display_check.h"
#include "app/error_reporter.h"
#include "app/log_run.h"
#include "app/main_window.h"
#include "app/meter_channels.h"
#include "app/port_memory.h"
#include "app/quit_signals.h"
#include "app/record_actions.h"
#include "app/reference_curve.h"
#include "app/simulated_meter.h"
#include "app/snapshot.h"
#include "app/translation.h"
#include "app/web_share.h"
#include "channel/channel.h"
#include "channel/channel_publisher.h"
#include "channel/log_conditions.h"
#include "record/error_output.h"
#include "serial/serial_link.h"
#include "web/web_address.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// One line of the program's own on stderr, after its title.
void printLine(const QString& title, const QString& text) {
    kv::writeErrorLine((title + QStringLiteral(": ") + text).toStdString());
}

// The devices the command line names, in its order, the simulator (started here) first.
// False when the simulator cannot start.
bool namedDevices(const kv::CommandLine& cl, const QString& title,
                  std::unique_ptr<kv::sim::MeterSimulator>& simulator,
                  std::vector<kv::PortEntry>& devices) {
    if (cl.simulate) {
        std::string error;
        simulator = kv::startSimulatedMeter(cl.simulateScript, &error);
        if (!simulator) {
            const QString why = QCoreApplication::translate("kv::Program", "simulator: %1")
                                    .arg(QString::fromStdString(error));
            printLine(title, why);
            return false;
        }
        devices.push_back(kv::simulatedMeterPort(*simulator));
    }
    for (const QString& device : cl.ports) {
        // Still listed (it may be plugged in later), but a typing error should not go unseen.
        if (!QFileInfo::exists(device))
            printLine(title,
                      QCoreApplication::translate("kv::Program", "warning: %1 does not exist")
                          .arg(device));
        devices.push_back(kv::PortTable::describeDevice(device.toStdString()));
    }
    return true;
}

// The publisher's options from the command line, or nothing: with --mqtt, the address and
// password; `refused` tells what is wrong with them (one line, as for a wrong argument).
std::optional<kv::MqttPublisher::Options> mqttOptions(const kv::CommandLine& cl, bool& refused,
                                                      const QString& title,
                                                      const QString& invoked) {
    refused = false;
    if (!cl.mqtt())
        return std::nullopt;
    QString error;
    auto options = kv::publisherOptions(cl.mqttUrl, cl.mqttPasswordFile, error);
    if (!options) {
        refused = true;
        kv::writeErrorLines(kv::usageErrorText(title, invoked, error).toStdString());
    }
    return options;
}

// --http: where to serve, checked before anything starts; `refused` tells why not (one line).
std::optional<kv::WebAddress> httpAddress(const kv::CommandLine& cl, bool& refused,
                                          const QString& title) {
    refused = false;
    if (!cl.web())
        return std::nullopt;
    QString error;
    auto address = kv::webAddress(cl.http, cl.httpTokenFile, error);
    if (!address) {
        refused = true;
        printLine(title, error);
    }
    return address;
}

// The channels served to a browser, at once where the command line asks for it (telling
// where on stderr). Null, with the reason on stderr, when it cannot listen there.
std::unique_ptr<kv::WebShare> shareChannels(const std::vector<kv::Channel*>& channels,
                                            const kv::CommandLine& cl,
                                            const std::optional<kv::WebAddress>& address,
                                            const QString& title) {
    auto share = std::make_unique<kv::WebShare>(channels);
    share->tokenFile = cl.httpTokenFile;
    if (!address)
        return share;
    QString error;
    if (!share->start(*address, error)) {
        printLine(title, error);
        return nullptr;
    }
    printLine(title, share->startLine());
    return share;
}

// "Share in the browser..." in the window's menu, and the streams in its footer's tooltip.
void offerShare(kv::MainWindow& window, kv::WebShare& share) {
    auto* action =
        new QAction(QCoreApplication::translate("kv::Program", "Share in the browser..."), &window);
    QObject::connect(action, &QAction::triggered, &window,
                     [&window, &share] { share.askIn(&window); });
    window.addMenuActions({action}, [&share] { return share.tooltipLine(); });
}

// --on-limit for every channel; with several, the command is told which in KV_CHANNEL.
void limitCommands(const std::vector<kv::Channel*>& channels, const QString& command) {
    for (kv::Channel* c : channels)
        c->bench().setLimitCommand(command, channels.size() > 1 ? c->name() : QString());
}

// --note with a window: on the record as it first starts, and a log begun before it names the
// note column.
void noteAtStart(kv::Channel& channel, const QString& note) {
    if (note.isEmpty())
        return;
    channel.record().setNoteColumn(true);
    auto done = std::make_shared<bool>(false);
    QObject::connect(&channel, &kv::Channel::recordChanged, &channel, [&channel, note, done] {
        if (*done || !channel.record().running())
            return;
        *done = true;
        QString why;
        channel.addNote(note, why); // read by the command line already
    });
}

// --start-when and --stop-when over the log the first of `channels` writes; none without.
std::unique_ptr<kv::LogConditions> logConditions(const kv::CommandLine& cl,
                                                 const std::vector<kv::Channel*>& channels) {
    if (!cl.log() || (!cl.startWhen && !cl.stopWhen))
        return nullptr;
    return std::make_unique<kv::LogConditions>(channels, cl.startWhen, cl.stopWhen);
}

// What every channel says goes to stderr; with --mqtt each publishes, several under
// PREFIX/CHANNEL, each on a connection of its own. Without a window (`connectionLines`) the
// connection's turns are lines on stderr too; a window's footer tells them.
void tellAndPublish(const std::vector<kv::Channel*>& channels, const QString& title,
                    const std::optional<kv::MqttPublisher::Options>& mqtt, bool connectionLines) {
    const bool several = channels.size() > 1;
    for (kv::Channel* c : channels) {
        QObject::connect(c, &kv::Channel::said,
                         [&title](const QString& line) { printLine(title, line); });
        if (!mqtt)
            continue;
        kv::MqttPublisher::Options options = *mqtt;
        if (several)
            options.channel = c->name().toStdString();
        c->publishTo(options);
        if (!connectionLines)
            continue;
        const QString who = several ? title + QStringLiteral(": ") + c->name() : title;
        QObject::connect(c->publisher(), &kv::ChannelPublisher::connectionChanged,
                         [who](const QString& text) { printLine(who, text); });
    }
}

// --no-window: a core application alone, so that no display is needed or touched.
int logWithoutWindow(int argc, char** argv, const kv::CommandLine& cl, const QString& title) {
    QCoreApplication app(argc, argv);
    app.setApplicationName(title);
    kv::installTranslations(app);
    bool refused = false;
    const auto mqtt = mqttOptions(cl, refused, title, QString::fromLocal8Bit(argv[0]));
    if (refused)
        return 2;
    const auto http = httpAddress(cl, refused, title);
    if (refused)
        return 2;
    std::unique_ptr<kv::sim::MeterSimulator> simulator;
    std::unique_ptr<kv::SerialLink> link;
    std::unique_ptr<kv::Channel> single;
    kv::MeterChannels meters;
    std::vector<kv::Channel*> channels;
    if (cl.meters.empty()) {
        std::vector<kv::PortEntry> devices;
        if (!namedDevices(cl, title, simulator, devices))
            return 1;
        // The command line names one device: the table's first port.
        link = std::make_unique<kv::SerialLink>(kv::PortTable(devices, {}));
        single = std::make_unique<kv::Channel>(*link);
        channels.push_back(single.get());
    } else {
        if (!meters.build(cl)) {
            printLine(title, meters.error());
            return 1;
        }
        channels = meters.channels();
    }
    kv::Channel& channel = *channels.front();
    std::unique_ptr<kv::WebShare> share;
    if (http) {
        share = shareChannels(channels, cl, http, title);
        if (!share) {
            if (simulator)
                simulator->stop();
            return 2;
        }
    }
    for (kv::Channel* c : channels) {
        c->bench().setLimits(cl.limitsOf(c->name(), c == &channel));
        c->record().setLogInterval(cl.everyMs);
    }
    limitCommands(channels, cl.onLimit);
    // Made before the run starts, so that the broker hears of its start.
    tellAndPublish(channels, title, mqtt, true);
    kv::LogRun run(channel,
                   {cl.logFile, cl.readings, cl.durationMs, {channels.begin() + 1, channels.end()}},
                   title);
    // The stop condition ends the run as its limits do, saying why.
    const std::unique_ptr<kv::LogConditions> conditions = logConditions(cl, channels);
    if (conditions)
        QObject::connect(conditions.get(), &kv::LogConditions::stopMet, &run,
                         [&run](const QString& why) { run.finish(0, why); });
    run.setConditions(conditions.get());
    // Queued, so that a run that ends before the event loop runs still ends it.
    QObject::connect(
        &run, &kv::LogRun::finished, &app, [](int status) { QCoreApplication::exit(status); },
        Qt::QueuedConnection);
    // Ctrl-C, a kill or a closed terminal end the log like its limits do; SIGHUP, a log
    // rotator's call, opens a log file anew at its name instead.
    kv::QuitOnSignals quitOnSignals([&run](int signal) {
        if (signal != SIGHUP || !run.reopenLog())
            run.finish(0);
    });
    if (!cl.logFile.isEmpty() && cl.logFile != QLatin1String("-"))
        quitOnSignals.setRepeating(SIGHUP);
    channel.record().setNoteColumn(!cl.note.isEmpty());
    int status = 1;
    if (run.start(1)) {
        QString why;
        if (!cl.note.isEmpty())
            channel.addNote(cl.note, why); // read by the command line already
        status = app.exec();
    } else
        printLine(title, QString::fromStdString(run.error()));
    if (simulator)
        simulator->stop();
    return status;
}

// --meter: a window for each channel, meter or derived, side by side. Returns the exit status.
int showSeveral(const kv::CommandLine& cl, const QString& title, kv::ErrorReporter& errors,
                const std::optional<kv::MqttPublisher::Options>& mqtt,
                const std::optional<kv::WebAddress>& http) {
    kv::MeterChannels meters;
    if (!meters.build(cl)) {
        printLine(title, meters.error());
        return 1;
    }
    const std::vector<kv::Channel*>& channels = meters.channels();
    const std::unique_ptr<kv::WebShare> share = shareChannels(channels, cl, http, title);
    if (!share)
        return 2;
    kv::Channel& first = *channels.front();
    // The first window's limits are remembered as a single window's are.
    kv::BenchMemory::attach(first.bench(), cl.limitsOf(first.name(), true));
    for (kv::Channel* c : channels) {
        c->record().setLogInterval(cl.everyMs);
        if (c != &first)
            c->bench().setLimits(cl.limitsOf(c->name(), false));
    }
    limitCommands(channels, cl.onLimit);
    tellAndPublish(channels, title, mqtt, false);
    kv::shareLog(channels);
    noteAtStart(first, cl.note);
    if (cl.log() && !first.startLog(cl.logFile)) {
        printLine(title, first.logFailure());
        return 1;
    }
    kv::ChannelWindows windows(errors, !cl.snapshot());
    for (std::size_t i = 0; i < channels.size(); ++i)
        offerShare(windows.add(*channels[i], meters.ports()[i]), *share);
    // With a window the log ends where the stop condition is met; polling goes on.
    windows.window(0).recordActions().adoptConditions(logConditions(cl, channels));
    // The recording to compare with, behind the first window's line.
    if (!cl.compareFile.isEmpty()) {
        QString error;
        if (!windows.window(0).reference().open(cl.compareFile, error)) {
            printLine(title, error);
            return 1;
        }
    }
    kv::ChartMemory chartMemory;
    kv::rememberChartChoices(windows.window(0).chartActions(), chartMemory);
    for (std::size_t i = 0; i < windows.size(); ++i)
        windows.window(i).chartActions().setHistogram(cl.histogram);
    QObject::connect(&windows, &kv::ChannelWindows::allClosed, qApp, &QCoreApplication::quit);
    // A derived channel's record runs from the start: its inputs' rows make its own.
    for (kv::Channel* c : channels)
        if (c->derived())
            c->start();
    windows.show();

    std::unique_ptr<kv::SnapshotRun> snapshot;
    if (cl.snapshot()) {
        kv::MainWindow& window = windows.window(0);
        snapshot = std::make_unique<kv::SnapshotRun>(window, first,
                                                     windows.pictureName(cl.snapshotFile, 0),
                                                     cl.readings, cl.snapshotTimeoutMs());
        // The first channel's picture is taken once it has its readings; the others' with it.
        QObject::connect(
            snapshot.get(), &kv::SnapshotRun::finished, qApp,
            [&windows, &cl, &title](int status) {
                if (status == 0) {
                    const QString error = windows.savePictures(cl.snapshotFile, 1);
                    if (!error.isEmpty()) {
                        printLine(title, error);
                        status = 1;
                    }
                }
                windows.writeSummaries();
                QCoreApplication::exit(status);
            },
            Qt::QueuedConnection);
    }
    if (cl.autostart)
        QTimer::singleShot(0, &windows, [&windows] { windows.startMeters(); });
    const int status = qApp->exec();
    // Polling ends with the program, as after Stop: the broker hears stopped, then offline.
    for (kv::Channel* c : channels)
        if (!c->derived())
            c->session().stop();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString invoked = QString::fromLocal8Bit(argv[0]);
    const QString title = kv::ErrorReporter::titleFromProgramPath(invoked);
    auto refuse = [&](const kv::CommandLineResult& wrong) {
        kv::writeErrorLines(kv::usageErrorText(title, invoked, wrong.error).toStdString());
        return 2;
    };

    // Answered before any window system is touched, so they also work without a display;
    // Qt's own options are left for the application object. The texts are asked for again
    // under a core application, which the translations need and which needs no display.
    const QStringList ours = kv::withoutQtOptions(args);
    kv::CommandLineResult early = kv::parseCommandLine(ours);
    if (!early.options || early.options->help) {
        QCoreApplication core(argc, argv);
        kv::installTranslations(core);
        early = kv::parseCommandLine(ours);
        if (!early.options)
            return refuse(early);
        std::fputs(qPrintable(kv::usageText(title)), stdout);
        return 0;
    }
    if (early.options->version) {
        std::printf("kv27500 %s\n", KV_VERSION);
        return 0;
    }

    if (early.options->noWindow)
        return logWithoutWindow(argc, argv, *early.options, title);

    // A snapshot needs no screen: without a display it is taken offscreen.
    if (early.options->snapshot() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt aborts with a page of its own where its platform cannot start; one line instead.
    if (!kv::displayAvailable(args)) {
        QCoreApplication core(argc, argv);
        kv::installTranslations(core);
        printLine(title,
                  QCoreApplication::translate(
                      "kv::Program", "no display: set DISPLAY, or use --no-window / --snapshot"));
        return 1;
    }

    const std::unique_ptr<QTemporaryDir> runtimeDir = kv::providePrivateRuntimeDir();
    kv::Application app(argc, argv);
    kv::installTranslations(app);
    // What Qt has left of the arguments is what counts.
    const kv::CommandLineResult parsed = kv::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!parsed.options)
        return refuse(parsed);
    const kv::CommandLine& cl = *parsed.options;
    bool refused = false;
    const auto mqtt = mqttOptions(cl, refused, title, invoked);
    if (refused)
        return 2;
    const auto http = httpAddress(cl, refused, title);
    if (refused)
        return 2;
    app.setApplicationName(title);
    app.setApplicationVersion(QStringLiteral(KV_VERSION));
    app.setWindowIcon(QIcon(QStringLiteral(":/kv27500/kv27500.png")));

    // Ctrl-C or a kill ends the loop like a closed window, so the clean-up below runs.
    kv::QuitOnSignals quitOnSignals;

    kv::ErrorReporter errors;
    errors.setCaption(title);
    kv::ErrorReporter::setInstance(&errors);

    kv::applyRegionalSeparators(QLocale::system());

    if (!cl.meters.empty()) {
        const int status = showSeveral(cl, title, errors, mqtt, http);
        kv::ErrorReporter::setInstance(nullptr);
        return status;
    }

    std::vector<kv::PortEntry> explicitDevices;
    std::unique_ptr<kv::sim::MeterSimulator> simulator;
    if (!namedDevices(cl, title, simulator, explicitDevices))
        return 1;
    const std::string simulatorPath = simulator ? explicitDevices.front().path : std::string();

    // Devices named on the command line come first and are selected; otherwise the port
    // that last gave readings is, wherever it is listed now, and in front, as a device named
    // on the command line, when the system's list lacks it but it is there. The simulator's
    // private link is never remembered: it is gone once the program ends.
    kv::PortMemory portMemory;
    const std::string startPort = explicitDevices.empty() ? portMemory.lastPort() : std::string();
    const std::vector<kv::PortEntry> systemPorts = kv::PortTable::systemPorts();
    if (const auto remembered = kv::unlistedRememberedPort(systemPorts, startPort))
        explicitDevices.push_back(*remembered);
    const kv::PortTable table(explicitDevices, systemPorts);
    kv::SerialLink link(table);
    kv::Channel channel(link);
    const std::unique_ptr<kv::WebShare> share = shareChannels({&channel}, cl, http, title);
    if (!share) {
        kv::ErrorReporter::setInstance(nullptr);
        if (simulator)
            simulator->stop();
        return 2;
    }
    // A picture taken with --snapshot is of the form's own size, whatever was left.
    kv::ChannelWindows windows(errors, !cl.snapshot());
    kv::MainWindow& window = windows.add(channel, table.entries(), startPort);
    offerShare(window, *share);
    QObject::connect(&window, &kv::MainWindow::portConfirmed,
                     [&portMemory, &simulatorPath](const kv::PortEntry& port) {
                         if (simulatorPath.empty() || port.path != simulatorPath)
                             portMemory.setLastPort(kv::portIdentity(port));
                     });
    QObject::connect(&windows, &kv::ChannelWindows::allClosed, &app, &QCoreApplication::quit);
    // The time axis as it was left.
    kv::ChartMemory chartMemory;
    kv::rememberChartChoices(window.chartActions(), chartMemory);
    window.chartActions().setHistogram(cl.histogram);
    // The limits and the statistics switch as last left, unless the command line gives
    // limits for this run; what the user changes is kept.
    kv::BenchMemory::attach(channel.bench(), cl.limits);
    channel.bench().setLimitCommand(cl.onLimit);
    // The broker's status shows in the footer.
    tellAndPublish({&channel}, title, mqtt, false);
    channel.record().setLogInterval(cl.everyMs);
    noteAtStart(channel, cl.note);
    // Recording from the first reading on, as if Record had been chosen; a log that cannot
    // be opened ends the program before it shows anything.
    if (cl.log() && !channel.startLog(cl.logFile)) {
        printLine(title, channel.logFailure());
        if (simulator)
            simulator->stop();
        return 1;
    }
    window.recordActions().adoptConditions(logConditions(cl, {&channel}));
    // A recording named on the command line is what the window shows (a log of several
    // channels, one window each); a picture of it is taken of the whole file, read here and
    // now.
    if (cl.openRecording()) {
        QString error;
        if (!windows.openRecording(0, cl.openFile, cl.snapshot(), error)) {
            printLine(title, error);
            if (simulator)
                simulator->stop();
            return 1;
        }
        if (cl.snapshot() && !channel.recording().problems().isEmpty())
            printLine(title, channel.recording().problems());
    }
    // The recording to compare with, behind the line.
    if (!cl.compareFile.isEmpty()) {
        QString error;
        if (!window.reference().open(cl.compareFile, error)) {
            printLine(title, error);
            if (simulator)
                simulator->stop();
            return 1;
        }
    }
    windows.show();
    if (cl.openRecording() && cl.snapshot()) {
        // Queued, so that the windows have laid themselves out and painted once.
        QTimer::singleShot(0, &windows, [&windows, &cl, &title] {
            const QString error = windows.savePictures(cl.snapshotFile);
            if (!error.isEmpty()) {
                printLine(title, error);
                QCoreApplication::exit(1);
                return;
            }
            windows.writeSummaries();
            QCoreApplication::exit(0);
        });
    }

    std::unique_ptr<kv::SnapshotRun> snapshot;
    if (cl.snapshot() && !cl.openRecording())
        snapshot = std::make_unique<kv::SnapshotRun>(window, channel, cl.snapshotFile, cl.readings,
                                                     cl.snapshotTimeoutMs());
    if (snapshot)
        QObject::connect(
            snapshot.get(), &kv::SnapshotRun::finished, &app,
            [](int status) { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    if (cl.autostart)
        QTimer::singleShot(0, &window, [&window] { window.openClick(); });

    const int status = app.exec();
    // Polling ends with the program, as after Stop: the broker hears stopped, then offline.
    channel.session().stop();
    kv::ErrorReporter::setInstance(nullptr);
    if (simulator)
        simulator->stop();
    return status;
}
