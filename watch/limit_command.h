#pragma once

#include "watch/limit_watch.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kv {

// Runs the user's command on each limit crossing, without a shell: the command line is split
// as QProcess::splitCommand splits it (blanks part the words, double quotes group them). The
// command gets the program's environment and
//   KV_LIMIT  upper, lower or inside (where the reading went)
//   KV_VALUE  the reading, a plain decimal with a point
//   KV_UNIT   its unit
//   KV_TIME   its time as the CSV writes it
// A run never waits for anything, so the readings go on while the command works; a crossing
// that comes while the last run still goes is not started twice.
class LimitCommand : public QObject {
    Q_OBJECT
public:
    explicit LimitCommand(const QString& commandLine, QObject* parent = nullptr);
    // A command still running is ended with the program.
    ~LimitCommand() override;

    // Whether the command line names a program at all.
    bool valid() const { return !words_.isEmpty(); }
    bool running() const;

    // Starts the command for `crossing`; false when it still runs from the last crossing
    // (skipped() tells so) or the command line is empty.
    bool run(const LimitCrossing& crossing);

signals:
    // A run ended: its exit status, and whether it ended normally.
    void finished(int exitCode, bool crashed);
    // A run failed: exited with a status other than 0, crashed, or could not start. One
    // sentence for people, for standard error or the footer.
    void failed(const QString& text);
    // A crossing came while the last run still went, so no run was started for it.
    void skipped(const QString& text);

private:
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);

    QString commandLine_;
    QStringList words_;
    QProcess* process_ = nullptr;
};

} // namespace kv
