#include "app/recording_actions.h"

#include "app/error_reporter.h"
#include "app/reference_curve.h"
#include "channel/recording_source.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QWidget>

namespace kv {

namespace {

// The texts belong to the window, and are asked for when used, so that they come in the
// language installed by then.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

// The progress dialog shows once a load takes this long.
constexpr int kProgressAfterMs = 500;
constexpr int kProgressSteps = 1000;

} // namespace

RecordingActions::RecordingActions(QWidget& host, RecordingSource& source, ErrorReporter& errors)
    : host_(host), source_(source), errors_(errors) {
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
    connect(&source_, &RecordingSource::loadStarted, this, &RecordingActions::loadStarted);
    connect(&source_, &RecordingSource::opened, this, &RecordingActions::endProgress);
    connect(&source_, &RecordingSource::loadEnded, this, &RecordingActions::endProgress);
    connect(&source_, &RecordingSource::failed, this,
            [this](const QString& message) { errors_.report(message); });
}

RecordingActions::~RecordingActions() {
    endProgress();
}

void RecordingActions::openClick() {
    const QString path =
        askFile ? askFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Open readings")),
                          text(QT_TRANSLATE_NOOP("kv::MainWindow", "CSV files (*.csv)")))
                : QString();
    if (path.isEmpty())
        return;
    lastFolder_ = QFileInfo(path).absolutePath();
    const QStringList names = RecordingSource::channelsIn(path);
    QString error;
    if (!source_.open(path, error, names.size() > 1 ? names.front() : QString())) {
        errors_.report(error);
        return;
    }
    if (names.size() > 1)
        emit severalChannels(path, names);
}

void RecordingActions::compareOn(ReferenceCurve& curve) {
    reference_ = &curve;
    compareAction_ =
        new QAction(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Compare with...")), &host_);
    compareAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    compareAction_->setShortcutContext(Qt::WindowShortcut);
    connect(compareAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { compareClick(); }); });
    host_.addAction(compareAction_);
    alignAction_ = new QAction(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Align at start")), &host_);
    alignAction_->setCheckable(true);
    alignAction_->setChecked(curve.alignAtStart());
    connect(alignAction_, &QAction::toggled, &curve, &ReferenceCurve::setAlignAtStart);
    clearReferenceAction_ =
        new QAction(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Clear reference")), &host_);
    connect(clearReferenceAction_, &QAction::triggered, &curve, &ReferenceCurve::clear);
    const auto sync = [this] {
        alignAction_->setEnabled(reference_->shown());
        clearReferenceAction_->setEnabled(reference_->shown());
        alignAction_->setChecked(reference_->alignAtStart());
    };
    connect(&curve, &ReferenceCurve::changed, this, sync);
    sync();
}

QList<QAction*> RecordingActions::referenceActions() const {
    if (!compareAction_)
        return {};
    return {compareAction_, alignAction_, clearReferenceAction_};
}

void RecordingActions::compareClick() {
    if (!reference_)
        return;
    const QString path =
        askFile ? askFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Compare with")),
                          text(QT_TRANSLATE_NOOP("kv::MainWindow", "CSV files (*.csv)")))
                : QString();
    if (path.isEmpty())
        return;
    lastFolder_ = QFileInfo(path).absolutePath();
    QString error;
    if (!reference_->open(path, error))
        errors_.report(error);
}

void RecordingActions::loadStarted() {
    if (!progress_) {
        progress_ = new QProgressDialog(&host_);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setRange(0, kProgressSteps);
        connect(progress_, &QProgressDialog::canceled, &source_, &RecordingSource::cancelLoad);
    }
    progress_->setLabelText(
        text(QT_TRANSLATE_NOOP("kv::MainWindow", "Reading %1...")).arg(source_.loadingName()));
    progress_->setMinimumDuration(kProgressAfterMs);
    progress_->setValue(0);
    progressTimer_.start();
}

void RecordingActions::showProgress() {
    if (!source_.loading() || !progress_)
        return;
    if (progress_->wasCanceled()) {
        source_.cancelLoad();
        return;
    }
    const std::uint64_t total = source_.loadTotalBytes();
    if (total > 0)
        progress_->setValue(static_cast<int>(source_.loadedBytes() * kProgressSteps / total));
}

void RecordingActions::endProgress() {
    progressTimer_.stop();
    if (progress_) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

} // namespace kv
