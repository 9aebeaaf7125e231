#include "channel/recording_source.h"

#include "format/number_format.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <exception>
#include <sys/stat.h>

namespace kv {

namespace {

// A look at a file being written: often enough for the chart to follow a logger.
constexpr int kFollowIntervalMs = 500;

// The region's short date with the year in full, "08.12.2026" or "12/8/2026".
QString dateText(const QDateTime& t) {
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(t.date(), format);
}
QString timeText(const QDateTime& t) {
    return QLocale().toString(t.time(), QLocale::ShortFormat);
}

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

} // namespace

// A file read in the worker thread. The thread alone touches reader and recording until it
// has finished.
struct RecordingSource::Load {
    std::unique_ptr<CsvReader> reader;
    Recording recording;
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    bool ok = false;
    QThread* thread = nullptr;
};

RecordingSource::RecordingSource(Recorder& record, QObject* parent)
    : QObject(parent), record_(record) {
    followTimer_.setInterval(kFollowIntervalMs);
    connect(&followTimer_, &QTimer::timeout, this, [this] {
        try {
            follow();
        } catch (const std::exception& e) {
            emit failed(QString::fromUtf8(e.what()));
        }
    });
}

RecordingSource::~RecordingSource() {
    close();
}

QStringList RecordingSource::channelsIn(const QString& path) {
    QStringList names;
    for (const std::string& name : CsvReader::channelsIn(QFile::encodeName(path).toStdString()))
        names << QString::fromStdString(name);
    return names;
}

std::unique_ptr<CsvReader> RecordingSource::newReader() const {
    auto reader = std::make_unique<CsvReader>();
    if (!channel_.isEmpty())
        reader->setChannel(channel_.toStdString());
    return reader;
}

bool RecordingSource::open(const QString& path, QString& error, const QString& channel) {
    channel_ = channel;
    auto reader = newReader();
    if (!reader->open(QFile::encodeName(path).toStdString())) {
        error = QString::fromStdString(reader->error());
        return false;
    }
    startLoad(std::move(reader));
    return true;
}

bool RecordingSource::openNow(const QString& path, QString& error, const QString& channel) {
    channel_ = channel;
    auto reader = newReader();
    Recording recording;
    if (!reader->open(QFile::encodeName(path).toStdString()) || !recording.read(*reader)) {
        error = QString::fromStdString(reader->error());
        return false;
    }
    reader->finish();
    adopt(std::move(reader), recording, false);
    return true;
}

void RecordingSource::dropLoad() {
    if (!load_)
        return;
    load_->cancel = true;
    load_->thread->wait();
    delete load_->thread;
    load_.reset();
}

void RecordingSource::startLoad(std::unique_ptr<CsvReader> reader) {
    // One load at a time: a later choice replaces an earlier one still under way.
    dropLoad();
    load_ = std::make_unique<Load>();
    load_->reader = std::move(reader);
    Load* load = load_.get();
    load->thread = QThread::create([load] {
        load->ok = load->recording.read(*load->reader, &load->cancel,
                                        [load](std::uint64_t done, std::uint64_t total) {
                                            load->done = done;
                                            load->total = total;
                                        });
    });
    // Queued to this thread: the worker has ended by the time it runs.
    connect(load->thread, &QThread::finished, this, &RecordingSource::loadFinished,
            Qt::QueuedConnection);
    emit loadStarted();
    load->thread->start();
}

QString RecordingSource::loadingName() const {
    return load_ ? fileName(load_->reader->path()) : QString();
}

std::uint64_t RecordingSource::loadedBytes() const {
    return load_ ? load_->done.load() : 0;
}

std::uint64_t RecordingSource::loadTotalBytes() const {
    return load_ ? load_->total.load() : 0;
}

void RecordingSource::cancelLoad() {
    if (load_)
        load_->cancel = true;
}

void RecordingSource::setPaused(bool paused) {
    paused_ = paused;
    if (!paused_ && finishedWhilePaused_) {
        finishedWhilePaused_ = false;
        loadFinished();
    }
}

void RecordingSource::loadFinished() {
    if (!load_ || load_->thread->isRunning())
        return;
    if (paused_) {
        finishedWhilePaused_ = true;
        return;
    }
    load_->thread->wait();
    delete load_->thread;
    std::unique_ptr<Load> load = std::move(load_);
    if (load->cancel) {
        emit loadEnded();
        return;
    }
    if (!load->ok) {
        emit loadEnded();
        emit failed(QString::fromStdString(load->reader->error()));
        return;
    }
    adopt(std::move(load->reader), load->recording, true);
}

void RecordingSource::adopt(std::unique_ptr<CsvReader> reader, Recording& recording,
                            bool tellProblems) {
    record_.adopt(recording);
    reader_ = std::move(reader);
    name_ = fileName(reader_->path());
    followTimer_.start();
    emit opened();
    emit changed();
    if (tellProblems)
        this->tellProblems();
}

void RecordingSource::tellProblems() {
    const QString problems = this->problems();
    if (!problems.isEmpty())
        emit failed(problems);
}

void RecordingSource::follow() {
    if (!reader_ || load_ || paused_)
        return;
    if (reader_->changedUnderneath()) {
        // Another file now, or a shorter one: read it anew from its first line.
        auto reader = newReader();
        struct stat st {};
        if (reader->open(reader_->path())) {
            startLoad(std::move(reader));
        } else if (::stat(reader_->path().c_str(), &st) == 0 && st.st_size > 0) {
            // Something that is no recording stands at its name: told as an open tells it,
            // once; what was read stays shown, and is no longer followed. (No file, or an
            // empty one, is a logger beginning anew: looked at again.)
            followTimer_.stop();
            emit failed(QString::fromStdString(reader->error()));
        }
        return;
    }
    const std::size_t before = record_.rows().size();
    const std::size_t badBefore = reader_->badLines();
    const bool ok = record_.readMore(*reader_);
    if (record_.rows().size() > before) {
        emit grew(before);
        emit changed();
    }
    if (!ok && !reader_->changedUnderneath()) {
        // The file has gone: what was read stays shown, and is no longer followed.
        followTimer_.stop();
        emit failed(QString::fromStdString(reader_->error()));
    } else if (badBefore == 0 && reader_->badLines() > 0) {
        tellProblems();
    }
}

void RecordingSource::close() {
    finishedWhilePaused_ = false;
    followTimer_.stop();
    const bool wasLoading = load_ != nullptr;
    dropLoad();
    if (wasLoading)
        emit loadEnded();
    if (reader_) {
        reader_.reset();
        name_.clear();
        emit changed();
    }
}

QString RecordingSource::problems() const {
    return reader_ ? QString::fromStdString(reader_->problemsText()) : QString();
}

QString RecordingSource::footerText() const {
    if (!reader_)
        return {};
    const RecordStatistics s = record_.statistics();
    const std::size_t rows = s.readings + s.gaps + s.overloads;
    const QString count =
        QString::fromStdString(formatNumber("#,##0", static_cast<long double>(s.readings)));
    if (rows == 0)
        return tr("%1: no readings").arg(name_);
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(s.first);
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(s.last);
    const QString from = dateText(first) + QLatin1Char(' ') + timeText(first);
    // The end's date only when it is another day.
    const QString to = first.date() == last.date()
                           ? timeText(last)
                           : dateText(last) + QLatin1Char(' ') + timeText(last);
    const QString text =
        (s.readings == 1 ? tr("%1: %2 reading from %3 to %4") : tr("%1: %2 readings from %3 to %4"))
            .arg(name_, count, from, to);
    // Rows dated before a row above them stand at the latest time so far, in the chart as in
    // the end given here: told, so that readings piled up at one time are no riddle.
    if (s.outOfOrder == 0)
        return text;
    if (s.outOfOrder == 1)
        return tr("%1; one row is out of time order").arg(text);
    return tr("%1; %2 rows are out of time order")
        .arg(text,
             QString::fromStdString(formatNumber("#,##0", static_cast<long double>(s.outOfOrder))));
}

} // namespace kv
