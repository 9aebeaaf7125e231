#include "app/recording_actions.h"

#include "app/error_reporter.h"
#include "format/number_format.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>

namespace kv {

namespace {

// The texts belong to the window, and are asked for when used, so that they come in the
// language installed by then.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

// A look at a file being written: often enough for the chart to follow a logger.
constexpr int kFollowIntervalMs = 500;
// The progress dialog shows once a load takes this long.
constexpr int kProgressAfterMs = 500;
constexpr int kProgressSteps = 1000;

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

} // namespace

// A file read in the worker thread. The thread alone touches reader and recording until it
// has finished.
struct RecordingActions::Load {
    std::unique_ptr<CsvReader> reader;
    Recording recording;
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    bool ok = false;
    QThread* thread = nullptr;
};

RecordingActions::RecordingActions(QWidget& host, Recorder& recorder, ErrorReporter& errors)
    : host_(host), recorder_(recorder), errors_(errors) {
    askFile = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(&host_, caption, lastFolder_, filter);
    };
    openAction_ =
        new QAction(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Open readings...")), &host_);
    openAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openAction_->setShortcutContext(Qt::WindowShortcut);
    connect(openAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { openClick(); }); });
    host_.addAction(openAction_);

    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &RecordingActions::showProgress);
    followTimer_.setInterval(kFollowIntervalMs);
    connect(&followTimer_, &QTimer::timeout, this, [this] { errors_.guard([this] { follow(); }); });
}

RecordingActions::~RecordingActions() {
    close();
}

void RecordingActions::openClick() {
    const QString path =
        askFile ? askFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Open readings")),
                          text(QT_TRANSLATE_NOOP("kv::MainWindow", "CSV files (*.csv)")))
                : QString();
    if (path.isEmpty())
        return;
    lastFolder_ = QFileInfo(path).absolutePath();
    QString error;
    if (!open(path, error))
        errors_.report(error);
}

bool RecordingActions::open(const QString& path, QString& error) {
    auto reader = std::make_unique<CsvReader>();
    if (!reader->open(QFile::encodeName(path).toStdString())) {
        error = QString::fromStdString(reader->error());
        return false;
    }
    startLoad(std::move(reader));
    return true;
}

bool RecordingActions::openNow(const QString& path, QString& error) {
    auto reader = std::make_unique<CsvReader>();
    Recording recording;
    if (!reader->open(QFile::encodeName(path).toStdString()) || !recording.read(*reader)) {
        error = QString::fromStdString(reader->error());
        return false;
    }
    reader->finish();
    adopt(std::move(reader), recording, false);
    return true;
}

void RecordingActions::startLoad(std::unique_ptr<CsvReader> reader) {
    // One load at a time: a later choice replaces an earlier one still under way.
    if (load_) {
        load_->cancel = true;
        load_->thread->wait();
        delete load_->thread;
        load_.reset();
    }
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
    connect(load->thread, &QThread::finished, this, &RecordingActions::loadFinished,
            Qt::QueuedConnection);

    if (!progress_) {
        progress_ = new QProgressDialog(&host_);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setRange(0, kProgressSteps);
        connect(progress_, &QProgressDialog::canceled, this, [this] {
            if (load_)
                load_->cancel = true;
        });
    }
    progress_->setLabelText(
        text(QT_TRANSLATE_NOOP("kv::MainWindow", "Reading %1..."))
            .arg(QFileInfo(QString::fromStdString(load->reader->path())).fileName()));
    progress_->setMinimumDuration(kProgressAfterMs);
    progress_->setValue(0);
    progressTimer_.start();
    load->thread->start();
}

void RecordingActions::showProgress() {
    if (!load_ || !progress_)
        return;
    if (progress_->wasCanceled()) {
        load_->cancel = true;
        return;
    }
    const std::uint64_t total = load_->total;
    if (total > 0)
        progress_->setValue(static_cast<int>(load_->done * kProgressSteps / total));
}

void RecordingActions::setPaused(bool paused) {
    paused_ = paused;
    if (!paused_ && finishedWhilePaused_) {
        finishedWhilePaused_ = false;
        loadFinished();
    }
}

void RecordingActions::loadFinished() {
    if (!load_ || load_->thread->isRunning())
        return;
    if (paused_) {
        finishedWhilePaused_ = true;
        return;
    }
    load_->thread->wait();
    delete load_->thread;
    std::unique_ptr<Load> load = std::move(load_);
    progressTimer_.stop();
    if (progress_) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
    if (load->cancel) {
        emit loadEnded();
        return;
    }
    if (!load->ok) {
        emit loadEnded();
        errors_.report(QString::fromStdString(load->reader->error()));
        return;
    }
    adopt(std::move(load->reader), load->recording, true);
}

void RecordingActions::adopt(std::unique_ptr<CsvReader> reader, Recording& recording,
                             bool tellProblems) {
    recorder_.adopt(recording);
    reader_ = std::move(reader);
    name_ = QFileInfo(QString::fromStdString(reader_->path())).fileName();
    followTimer_.start();
    emit opened();
    emit changed();
    if (tellProblems)
        reportProblems();
}

void RecordingActions::reportProblems() {
    const QString problems = this->problems();
    if (!problems.isEmpty())
        errors_.report(problems);
}

void RecordingActions::follow() {
    if (!reader_ || load_ || paused_)
        return;
    if (reader_->changedUnderneath()) {
        // Another file now, or a shorter one: read it anew from its first line.
        auto reader = std::make_unique<CsvReader>();
        if (reader->open(reader_->path()))
            startLoad(std::move(reader));
        return;
    }
    const std::size_t before = recorder_.rows().size();
    const std::size_t badBefore = reader_->badLines();
    const bool ok = recorder_.readMore(*reader_);
    if (recorder_.rows().size() > before) {
        emit grew(before);
        emit changed();
    }
    if (!ok && !reader_->changedUnderneath()) {
        // The file has gone: what was read stays shown, and is no longer followed.
        followTimer_.stop();
        errors_.report(QString::fromStdString(reader_->error()));
    } else if (badBefore == 0 && reader_->badLines() > 0) {
        reportProblems();
    }
}

void RecordingActions::close() {
    finishedWhilePaused_ = false;
    followTimer_.stop();
    progressTimer_.stop();
    if (load_) {
        load_->cancel = true;
        load_->thread->wait();
        delete load_->thread;
        load_.reset();
    }
    if (progress_) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
    if (reader_) {
        reader_.reset();
        name_.clear();
        emit changed();
    }
}

QString RecordingActions::problems() const {
    return reader_ ? QString::fromStdString(reader_->problemsText()) : QString();
}

QString RecordingActions::footerText() const {
    if (!reader_)
        return {};
    const RecordStatistics s = recorder_.statistics();
    const std::size_t rows = s.readings + s.gaps + s.overloads;
    const QString count =
        QString::fromStdString(formatNumber("#,##0", static_cast<long double>(s.readings)));
    if (rows == 0)
        return text(QT_TRANSLATE_NOOP("kv::MainWindow", "%1: no readings")).arg(name_);
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(s.first);
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(s.last);
    const QString from = dateText(first) + QLatin1Char(' ') + timeText(first);
    // The end's date only when it is another day.
    const QString to = first.date() == last.date()
                           ? timeText(last)
                           : dateText(last) + QLatin1Char(' ') + timeText(last);
    return (s.readings == 1
                ? text(QT_TRANSLATE_NOOP("kv::MainWindow", "%1: %2 reading from %3 to %4"))
                : text(QT_TRANSLATE_NOOP("kv::MainWindow", "%1: %2 readings from %3 to %4")))
        .arg(name_, count, from, to);
}

} // namespace kv
