#include "channel/channel_bench.h"

#include "record/recorder.h"
#include "watch/limit_command.h"
#include "watch/statistics_text.h"

namespace kv {

ChannelBench::ChannelBench(const Recorder& record, QObject* parent)
    : QObject(parent), record_(record) {
    watch_.limits().onBell = [this] { emit bell(); };
    watch_.limits().onCrossing = [this](const LimitCrossing& crossing) {
        if (command_)
            command_->run(crossing);
    };
}

ChannelBench::~ChannelBench() = default;

void ChannelBench::feed(const Reading& measured) {
    if (measured.kept()) {
        last_ = measured;
        anyReading_ = true;
        watch_.feed(measured);
    }
    emit changed();
}

bool ChannelBench::shaping() const {
    return watch_.display().held || watch_.relative().active();
}

void ChannelBench::toggleHold(TimeMs now) {
    watch_.toggleHold(now);
    emit changed();
}

void ChannelBench::toggleRelative() {
    watch_.toggleRelative();
    emit changed();
}

void ChannelBench::releaseAll() {
    watch_.releaseAll();
    emit changed();
}

void ChannelBench::setLimits(const Limits& limits) {
    watch_.limits().setLimits(limits);
    emit changed();
    emit settingsChanged();
}

void ChannelBench::setLimitCommand(const QString& commandLine, const QString& channel) {
    delete command_;
    command_ = nullptr;
    if (commandLine.isEmpty())
        return;
    command_ = new LimitCommand(commandLine, channel, this);
    connect(command_, &LimitCommand::told, this, &ChannelBench::commandSaid);
}

void ChannelBench::stopCommand() {
    if (command_)
        command_->stop();
}

void ChannelBench::setStatisticsShown(bool shown) {
    if (shown == statisticsShown_)
        return;
    statisticsShown_ = shown;
    emit changed();
    emit settingsChanged();
}

QString ChannelBench::footerNote() const {
    QStringList lines;
    for (const std::string& line : watch_.footerTexts())
        lines << QString::fromStdString(line);
    if (statisticsShown_) {
        const RecordStatistics statistics = record_.statistics();
        lines << QString::fromStdString(anyReading_
                                            ? statisticsText(statistics, last_.unit, last_.format)
                                            : kv::statisticsLines(statistics, {}, {}).front());
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList ChannelBench::statisticsLines() const {
    QStringList lines;
    for (const std::string& line :
         kv::statisticsLines(record_.statistics(), last_.unit, anyReading_ ? last_.format : ""))
        lines << QString::fromStdString(line);
    return lines;
}

} // namespace kv
