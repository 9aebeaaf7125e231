#pragma once

#include "watch/log_condition.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

class Channel;

// The start and stop conditions of the log a channel writes (with several channels, the log
// they share): before the start condition is met no row goes into the log, and the stop
// condition ends it. Each watches the readings of the channel it names, or of the first.
// The record, the displays and the broker get every reading all the while.
class LogConditions : public QObject {
    Q_OBJECT
public:
    // `channels`: every channel, the one writing the log first; they must outlive this.
    LogConditions(const std::vector<Channel*>& channels, std::optional<LogCondition> start,
                  std::optional<LogCondition> stop, QObject* parent = nullptr);
    ~LogConditions() override;

    // What ends the log, "below 3,000 V-DC for 5 s"; empty without a stop condition.
    QString stopText() const;

signals:
    // The stop condition was met: the log is to end (headless, the run), for `reason`.
    void stopMet(const QString& reason);

private:
    Channel* watched(const LogCondition& condition) const;
    void showWaiting();

    std::vector<Channel*> channels_;
    std::unique_ptr<ConditionWatch> start_, stop_;
    QString stopReason_; // why the log ended, once the stop condition was met
};

} // namespace kv
