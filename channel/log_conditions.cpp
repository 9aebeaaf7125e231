#include "channel/log_conditions.h"

#include "channel/channel.h"
#include "watch/reading_text.h"

namespace kv {

LogConditions::LogConditions(const std::vector<Channel*>& channels,
                             std::optional<LogCondition> start, std::optional<LogCondition> stop,
                             QObject* parent)
    : QObject(parent), channels_(channels) {
    Channel& host = *channels_.front();
    if (start) {
        start_ = std::make_unique<ConditionWatch>(*start);
        host.record().holdLog(true);
        // Before the record keeps it: the reading that meets the condition is the log's first.
        connect(watched(*start), &Channel::arriving, this, [this, &host](const Reading& reading) {
            if (!start_ || start_->met())
                return;
            if (start_->feed(reading)) {
                host.record().holdLog(false);
                host.notes().clear(StatusNotes::Slot::logCondition);
            } else {
                showWaiting();
            }
        });
        showWaiting();
    }
    if (stop) {
        stop_ = std::make_unique<ConditionWatch>(*stop);
        host.setLogEnd(stopText());
        // After the record kept it: the reading that meets the condition is the log's last.
        connect(watched(*stop), &Channel::reading, this, [this, &host](const Reading& reading) {
            // The stop condition counts once the log has begun.
            if (!stopReason_.isEmpty() || (start_ && !start_->met()))
                return;
            if (!stop_->feed(reading)) {
                // In the digits of the readings once the first has come.
                host.setLogEnd(stopText());
                return;
            }
            host.setLogEnd({});
            stopReason_ = tr("stopped: %1 at %2")
                              .arg(QString::fromStdString(stop_->text()),
                                   QString::fromStdString(clockText(stop_->metAt())));
            host.notes().set(StatusNotes::Slot::logCondition, tr("Recording %1").arg(stopReason_));
            emit stopMet(stopReason_);
        });
    }
}

LogConditions::~LogConditions() {
    // A log begun afterwards is not held back by a start this one waited for, nor told of a
    // stop it no longer has; why a stop was met stays told.
    Channel& host = *channels_.front();
    if (start_ && !start_->met()) {
        host.record().holdLog(false);
        host.notes().clear(StatusNotes::Slot::logCondition);
    }
    host.setLogEnd({});
}

QString LogConditions::stopText() const {
    return stop_ ? QString::fromStdString(stop_->text()) : QString();
}

Channel* LogConditions::watched(const LogCondition& condition) const {
    for (Channel* c : channels_)
        if (c->name().toStdString() == condition.channel)
            return c;
    return channels_.front();
}

void LogConditions::showWaiting() {
    channels_.front()->notes().set(StatusNotes::Slot::logCondition,
                                   tr("Waiting: logging starts when the reading is %1")
                                       .arg(QString::fromStdString(start_->text())));
}

} // namespace kv
