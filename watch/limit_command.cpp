#include "watch/limit_command.h"

#include "record/csv.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <cstdio>

namespace kv {

LimitCommand::LimitCommand(const QString& commandLine, QObject* parent)
    : QObject(parent), commandLine_(commandLine), words_(QProcess::splitCommand(commandLine)) {}

LimitCommand::~LimitCommand() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
}

bool LimitCommand::running() const {
    return process_ && process_->state() != QProcess::NotRunning;
}

bool LimitCommand::run(const LimitCrossing& crossing) {
    if (!valid())
        return false;
    if (running()) {
        emit skipped(QCoreApplication::translate(
                         "kv::LimitCommand",
                         "The limit command %1 is still running: this crossing starts no "
                         "second one")
                         .arg(commandLine_));
        return false;
    }
    if (!process_) {
        process_ = new QProcess(this);
        // The command's messages reach the user on standard error, its output too: standard
        // output may be the CSV log, which a stray line would break. It reads nothing.
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_->setStandardInputFile(QProcess::nullDevice());
        connect(process_, &QProcess::readyReadStandardOutput, this, [this] {
            const QByteArray out = process_->readAllStandardOutput();
            std::fwrite(out.constData(), 1, std::size_t(out.size()), stderr);
            std::fflush(stderr);
        });
        connect(process_, &QProcess::finished, this, &LimitCommand::onFinished);
        connect(process_, &QProcess::errorOccurred, this, &LimitCommand::onError);
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
    process_->setProcessEnvironment(env);
    process_->start(words_.first(), words_.mid(1));
    return true;
}

void LimitCommand::onFinished(int exitCode, QProcess::ExitStatus status) {
    const bool crashed = status == QProcess::CrashExit;
    if (crashed)
        emit failed(QCoreApplication::translate("kv::LimitCommand", "The limit command %1 crashed")
                        .arg(commandLine_));
    else if (exitCode != 0)
        emit failed(QCoreApplication::translate("kv::LimitCommand",
                                                "The limit command %1 exited with status %2")
                        .arg(commandLine_)
                        .arg(exitCode));
    emit finished(exitCode, crashed);
}

void LimitCommand::onError(QProcess::ProcessError error) {
    // A crash also ends in finished(); only a start that failed ends here alone.
    if (error != QProcess::FailedToStart)
        return;
    emit failed(QCoreApplication::translate("kv::LimitCommand",
                                            "The limit command %1 could not be started: %2")
                    .arg(commandLine_, process_->errorString()));
}

} // namespace kv
