#include "watch/limit_command.h"

#include "record/csv.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <string>
#include <vector>

namespace kv {

LimitCommand::LimitCommand(const QString& commandLine, const QString& channel, QObject* parent)
    : QObject(parent), commandLine_(commandLine), channel_(channel),
      words_(QProcess::splitCommand(commandLine)) {}

LimitCommand::~LimitCommand() = default;

bool LimitCommand::run(const LimitCrossing& crossing) {
    if (!valid())
        return false;
    if (running()) {
        ++skipped_;
        return false;
    }
    const Reading& r = crossing.reading;
    std::string value, time;
    appendDecimal(value, r.value);
    appendLocalTime(time, r.time);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KV_LIMIT"), QString::fromLatin1(limitSideName(crossing.side)));
    env.insert(QStringLiteral("KV_VALUE"), QString::fromStdString(value));
    env.insert(QStringLiteral("KV_UNIT"), QString::fromStdString(r.unit));
    env.insert(QStringLiteral("KV_TIME"), QString::fromStdString(time));
    if (!channel_.isEmpty())
        env.insert(QStringLiteral("KV_CHANNEL"), channel_);
    std::vector<std::string> environment;
    for (const QString& entry : env.toStringList())
        environment.push_back(entry.toStdString());
    std::vector<std::string> arguments;
    for (const QString& word : words_.mid(1))
        arguments.push_back(word.toStdString());

    // The run calls back on its own thread; its end is taken up on this object's, and only
    // while it is still the run that goes (stop() may have ended it, another begun).
    const std::uint64_t generation = ++generation_;
    run_ = std::make_unique<CommandRun>(words_.first().toStdString(), arguments, environment,
                                        [this, generation](const CommandRun::Outcome& outcome) {
                                            QMetaObject::invokeMethod(
                                                this,
                                                [this, generation, outcome] {
                                                    if (generation_ == generation && run_)
                                                        ended(outcome);
                                                },
                                                Qt::QueuedConnection);
                                        });
    if (!run_->startError().empty()) {
        const QString why = QString::fromStdString(run_->startError());
        run_.reset();
        emit told(QCoreApplication::translate("kv::LimitCommand",
                                              "The limit command %1 could not be started: %2")
                      .arg(commandLine_, why));
    }
    return true;
}

void LimitCommand::stop() {
    if (!run_)
        return;
    run_.reset();
    tellSkipped();
}

void LimitCommand::ended(const CommandRun::Outcome& outcome) {
    run_.reset();
    if (outcome.leftOut > 0)
        emit told(
            QCoreApplication::translate(
                "kv::LimitCommand", "The limit command %1 wrote %2 bytes more, which were left out")
                .arg(commandLine_)
                .arg(outcome.leftOut));
    if (outcome.crashed)
        emit told(QCoreApplication::translate("kv::LimitCommand", "The limit command %1 crashed")
                      .arg(commandLine_));
    else if (outcome.exitCode != 0)
        emit told(QCoreApplication::translate("kv::LimitCommand",
                                              "The limit command %1 exited with status %2")
                      .arg(commandLine_)
                      .arg(outcome.exitCode));
    tellSkipped();
    emit finished(outcome.exitCode, outcome.crashed);
}

void LimitCommand::tellSkipped() {
    const int skipped = skipped_;
    skipped_ = 0;
    if (skipped == 1)
        emit told(QCoreApplication::translate("kv::LimitCommand",
                                              "The limit command %1 was still running at one "
                                              "more crossing, which started no second run")
                      .arg(commandLine_));
    else if (skipped > 1)
        emit told(QCoreApplication::translate("kv::LimitCommand",
                                              "The limit command %1 was still running at %2 "
                                              "more crossings, which started no second run")
                      .arg(commandLine_)
                      .arg(skipped));
}

} // namespace kv
