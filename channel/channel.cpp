#include "channel/channel.h"

#include "channel/channel_publisher.h"
#include "channel/derivation.h"
#include "channel/derived_units.h"
#include "format/number_format.h"
#include "meter/reading_decoder.h"
#include "session/meter_poller.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <chrono>

namespace kv {

namespace {
QString count(std::int64_t n) {
    return QString::fromStdString(formatNumber("#,##0", static_cast<long double>(n)));
}
} // namespace

Channel::Channel(SerialIo& link, QObject* parent)
    : QObject(parent), session_(std::make_unique<MeterSession>(link)), recording_(record_),
      bench_(record_) {
    connectParts();
    MeterSession& meter = *session_;
    connect(&meter, &MeterSession::reading, this, &Channel::take);
    connect(&meter, &MeterSession::overload, this, &Channel::take);
    connect(&meter, &MeterSession::silenceBegan, this, &Channel::silence);
    connect(&meter, &MeterSession::silenceEnded, this, [this] {
        notes_.clear(StatusNotes::Slot::silence);
        emit silenceEnded();
    });
    connect(&meter, &MeterSession::garbledReply, this, [this] { record_.addGarbled(); });
    connect(&meter, &MeterSession::garbledReplies, this,
            [this] { notes_.set(StatusNotes::Slot::garbled, StatusNotes::garbledText()); });
    connect(&meter, &MeterSession::polled, this, [this] {
        // A log written off this thread tells its failure here, with or without a new row.
        record_.checkLog();
        updateLogNotes();
        record_.tickLog(wallClockMs());
        emit polled();
    });
}

Channel::Channel(const DerivedFormula& formula, const std::vector<Channel*>& inputs,
                 QObject* parent)
    : QObject(parent), derivation_(std::make_unique<Derivation>(formula)), recording_(record_),
      bench_(record_) {
    expression_ = QString::fromStdString(formula.expression);
    connectParts();
    derivation_->onReasonChanged = [this](const std::string& reason) {
        const QString text = QString::fromStdString(reason);
        notes_.set(StatusNotes::Slot::derivation, text);
        if (!text.isEmpty())
            emit said(name_.isEmpty() ? text : name_ + QStringLiteral(": ") + text);
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        // An input named twice (A*A) gives its rows once.
        if (i > 0 && inputs[i] == inputs[0])
            continue;
        connect(inputs[i], &Channel::kept, this, [this, i](const Reading& row) {
            if (const std::optional<Reading> derived = derivation_->feed(i, row))
                take(*derived);
        });
        // A derived channel's log intervals pass with its inputs' polls.
        connect(inputs[i], &Channel::polled, this, [this] {
            record_.tickLog(wallClockMs());
            emit polled();
        });
    }
}

void Channel::connectParts() {
    record_.onLogError = [this](const std::string& reason) {
        logFailed(QString::fromStdString(reason));
    };

    connect(&bench_, &ChannelBench::changed, this, &Channel::updateBenchNote);
    connect(&bench_, &ChannelBench::commandSaid, this, &Channel::said);

    connect(&recording_, &RecordingSource::opened, this, &Channel::showFile);
    connect(&recording_, &RecordingSource::changed, this,
            [this] { notes_.set(StatusNotes::Slot::openedFile, recording_.footerText()); });
}

Channel::~Channel() {
    // The parts go one by one; none is to hear of another's going.
    recording_.disconnect(this);
    record_.onLogError = nullptr;
}

bool Channel::openPort(const std::string& portName) {
    const std::optional<QString> failure = session_->open(portName);
    notes_.set(StatusNotes::Slot::openFailure, failure.value_or(QString()));
    return !failure;
}

void Channel::start() {
    recording_.close();
    bench_.releaseAll();
    record_.start(wallClockMs());
    notes_.clear(StatusNotes::Slot::garbled);
    if (session_) {
        session_->start();
    } else {
        derivation_->reset();
        if (publisher_)
            publisher_->began(true);
    }
    emit recordChanged();
}

bool Channel::start(const std::string& portName) {
    const bool opened = openPort(portName);
    start();
    return opened;
}

void Channel::stop() {
    // A file shown is no longer followed; its rows stay in the record, as a session's do.
    recording_.close();
    record_.stop();
    bench_.releaseAll();
    notes_.clear(StatusNotes::Slot::garbled);
    if (!session_ && publisher_)
        publisher_->ended();
    if (session_) {
        session_->stop();
        // The reading the decoder goes on from is the one the displays now hold: 0.
        Reading rest = session_->current();
        rest.value = 0.0f;
        session_->setCurrent(rest);
    }
    emit stopped();
    emit recordChanged();
}

void Channel::close() {
    if (session_)
        session_->close();
    else if (publisher_)
        publisher_->ended();
    bench_.stopCommand();
}

void Channel::take(const Reading& reading) {
    // The meter answered: a port that would not open is no longer a reason, and a reading
    // or an overload ends a run of garbled replies.
    notes_.clear(StatusNotes::Slot::openFailure);
    if (!session_ || !session_->garbled())
        notes_.clear(StatusNotes::Slot::garbled);
    emit arriving(reading);
    const std::optional<Reading> kept = record_.keep(reading);
    if (kept && logging() && !record_.logHeld())
        ++logged_;
    if (kept && publisher_)
        publisher_->publish(*kept);
    bench_.feed(reading);
    updateLogNotes();
    emit this->reading(reading);
    if (kept)
        emit this->kept(*kept);
}

std::optional<Reading> Channel::lastRecordReading(std::size_t from) const {
    const ReadingStore& rows = record_.rows();
    for (std::size_t i = rows.size(); i > from; --i) {
        const Row row = rows[i - 1];
        if (!keptRow(row) || row.status == Reading::Status::gap)
            continue;
        const RowContext& context = rows.context(row.context);
        Reading last = session_ ? session_->current() : Reading();
        last.status = row.status;
        if (!last.overload())
            last.value = row.value;
        last.unit = context.unit;
        last.function = context.function;
        last.range = context.range;
        last.hasCodes = context.hasCodes;
        if (!context.hasCodes)
            last.format = derivedValueFormat(last.value);
        else if (const RangeRow* r = findRangeRow(context.function, context.range))
            last.format = r->format;
        last.time = row.time;
        return last;
    }
    return std::nullopt;
}

void Channel::silence(qint64 sinceMs) {
    // The record dates its gap row to the last reading, where the silence began.
    if (const std::optional<Reading> gap = record_.keepGap()) {
        if (publisher_)
            publisher_->publish(*gap);
        emit kept(*gap);
    }
    notes_.set(StatusNotes::Slot::silence, StatusNotes::silenceText(sinceMs));
    emit silenceBegan(sinceMs);
}

void Channel::showFile() {
    // The file's rows are the record now: no meter is polled meanwhile.
    if (session_)
        session_->stop();
    notes_.clear(StatusNotes::Slot::openFailure);
    notes_.clear(StatusNotes::Slot::garbled);
    emit stopped();
    emit recordChanged();
}

bool Channel::startLog(const QString& path) {
    const bool ok = record_.openLog(QFile::encodeName(path).toStdString());
    logged_ = 0;
    logFailure_ = ok ? QString() : QString::fromStdString(record_.logError());
    logName_ = !ok                          ? QString()
               : path == QLatin1String("-") ? tr("standard output")
                                            : QFileInfo(path).fileName();
    updateLogNotes();
    emit logChanged();
    return ok;
}

void Channel::stopLog() {
    record_.closeLog();
    logName_.clear();
    updateLogNotes();
    emit logChanged();
}

bool Channel::addNote(const QString& text, QString& why) {
    const std::string note = text.toStdString();
    why = QString::fromStdString(noteProblem(note));
    if (!why.isEmpty())
        return false;
    const std::optional<Reading> last = lastRecordReading(record_.firstRow());
    const TimeMs time = last ? last->time : QDateTime::currentMSecsSinceEpoch();
    record_.addNote(time, note);
    if (publisher_)
        publisher_->publishNote(time, note);
    emit noted();
    return true;
}

void Channel::setLogEnd(const QString& text) {
    if (text == logEnd_)
        return;
    logEnd_ = text;
    updateLogNotes();
}

void Channel::logFailed(const QString& reason) {
    logFailure_ = reason;
    logName_.clear();
    updateLogNotes();
    emit logChanged();
}

void Channel::updateLogNotes() {
    notes_.set(StatusNotes::Slot::logFailure, logFailure_);
    const bool recording = logging();
    const LogWriter::Backlog log = record_.logBacklog();
    QString behind;
    if (recording && log.behind >= StatusNotes::kLogBehindTold) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(log.behind).count();
        behind = log.dropped == 0 ? StatusNotes::logBehindText(seconds)
                                  : tr("The log is %1 s behind and full: %2 lines dropped")
                                        .arg(seconds)
                                        .arg(count(static_cast<std::int64_t>(log.dropped)));
    }
    notes_.set(StatusNotes::Slot::logBehind, behind);
    QString note;
    if (recording) {
        note =
            (logged_ == 1 ? tr("Recording to %1: %2 reading") : tr("Recording to %1: %2 readings"))
                .arg(logName_, count(logged_));
        if (log.dropped > 0)
            note =
                tr("%1, %2 lines dropped").arg(note, count(static_cast<std::int64_t>(log.dropped)));
        if (log.renewed > 0)
            note = tr("%1, begun anew: the file was moved, removed or emptied").arg(note);
        if (!logEnd_.isEmpty())
            note = tr("%1, stops %2").arg(note, logEnd_);
    }
    notes_.set(StatusNotes::Slot::recording, note);
}

void Channel::updateBenchNote() {
    notes_.set(StatusNotes::Slot::bench, bench_.footerNote());
}

void Channel::publishTo(MqttPublisher::Options options) {
    publisher_ = std::make_unique<ChannelPublisher>(std::move(options));
    connect(publisher_.get(), &ChannelPublisher::statusChanged, this,
            [this](const QString& text, bool trouble) {
                notes_.set(StatusNotes::Slot::publishTrouble, trouble ? text : QString());
                notes_.set(StatusNotes::Slot::publishStatus, text);
            });
    if (!session_)
        return;
    connect(session_.get(), &MeterSession::started, publisher_.get(),
            [this] { publisher_->began(session_->isOpen()); });
    connect(session_.get(), &MeterSession::stopped, publisher_.get(),
            [this] { publisher_->ended(); });
}

void shareLog(const std::vector<Channel*>& channels) {
    if (channels.empty())
        return;
    const bool several = channels.size() > 1;
    for (Channel* c : channels) {
        if (c != channels.front())
            c->record().logInto(&channels.front()->record());
        c->record().setLogChannel(several ? c->name().toStdString() : std::string());
    }
}

} // namespace kv
