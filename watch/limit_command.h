#pragma once

#include "watch/command_run.h"
#include "watch/limit_watch.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace kv {

// Runs the user's command on each limit crossing, without a shell: the command line is split
// as QProcess::splitCommand splits it (blanks part the words, double quotes group them). The
// command gets the program's environment and
//   KV_LIMIT  upper, lower or inside (where the reading went)
//   KV_VALUE  the reading, a plain decimal with a point
//   KV_UNIT   its unit
//   KV_TIME   its time as the CSV writes it
//   KV_CHANNEL the channel's name, when it has one (one of several channels)
// A run never waits for anything, so the readings go on while the command works; a crossing
// that comes while the last run still goes is not started twice. What the command writes
// reaches standard error as CommandRun passes it on; standard output may be the CSV log,
// which a stray line would break.
class LimitCommand : public QObject {
    Q_OBJECT
public:
    explicit LimitCommand(const QString& commandLine, const QString& channel = {},
                          QObject* parent = nullptr);
    // A command still running is ended with the program.
    ~LimitCommand() override;

    // Whether the command line names a program at all.
    bool valid() const { return !words_.isEmpty(); }
    bool running() const { return run_ != nullptr; }

    // Starts the command for `crossing`; false when it still runs from the last crossing
    // (counted, and told once that run ends) or the command line is empty.
    bool run(const LimitCrossing& crossing);
    // Ends a run that still goes, as the program ends, and tells the crossings it skipped.
    void stop();

signals:
    // A run ended: its exit status, and whether it ended normally.
    void finished(int exitCode, bool crashed);
    // One sentence for people, for standard error or the footer: a run failed (exited with
    // a status other than 0, crashed, or could not start), left output out, or skipped
    // crossings while it went. At most one of each per run.
    void told(const QString& text);

private:
    void ended(const CommandRun::Outcome& outcome);
    void tellSkipped();

    QString commandLine_;
    QString channel_;
    QStringList words_;
    std::unique_ptr<CommandRun> run_;
    std::uint64_t generation_ = 0; // of run_, so that the end of an earlier run is not its
    int skipped_ = 0;              // crossings that came while run_ went
};

} // namespace kv
