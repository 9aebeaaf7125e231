#include "app/record_actions.h"

#include "app/error_reporter.h"
#include "app/note_dialog.h"
#include "app/picture_file.h"
#include "app/save_file_dialog.h"
#include "channel/channel.h"
#include "channel/log_conditions.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QThread>
#include <QWidget>
#include <memory>

namespace kv {

namespace {

// The texts belong to the window, and are asked for when used, so that they come in the
// language installed by then.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}
QString csvFilter() {
    return text(QT_TRANSLATE_NOOP("kv::MainWindow", "CSV files (*.csv)"));
}
QString recordText() {
    return text(QT_TRANSLATE_NOOP("kv::MainWindow", "Record to file..."));
}
QString stopRecordingText() {
    return text(QT_TRANSLATE_NOOP("kv::MainWindow", "Stop recording"));
}

// "kv27500-20261208-140307.csv": a name of its own for every save.
QString suggestedName(const char* suffix) {
    return QStringLiteral("kv27500-%1.%2")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
             QLatin1String(suffix));
}

} // namespace

RecordActions::RecordActions(QWidget& host, Channel& channel, ErrorReporter& errors,
                             std::function<QString()> readingText,
                             std::function<QString(const QString& file)> picture)
    : host_(host), channel_(channel), errors_(errors), readingText_(std::move(readingText)),
      picture_(std::move(picture)) {
    askFile = [this](const FileQuestion& q) { return askForFile(q); };
    recordAction_ =
        add(recordText(), QKeySequence(Qt::CTRL | Qt::Key_R), &RecordActions::recordClick);
    saveReadingsAction_ =
        add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save readings...")),
            QKeySequence(Qt::CTRL | Qt::Key_S), &RecordActions::saveReadingsClick);
    savePictureAction_ =
        add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save picture...")),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &RecordActions::savePictureClick);
    copyAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Copy reading")),
                      QKeySequence(Qt::CTRL | Qt::Key_C), &RecordActions::copyReadingClick);
    noteAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Add note...")),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &RecordActions::noteClick);
    connect(&channel_, &Channel::logChanged, this, &RecordActions::syncRecordAction);
    syncRecordAction();
    connect(this, &RecordActions::savingChanged, &channel_.recording(),
            &RecordingSource::setPaused);
}

void RecordActions::syncRecordAction() {
    recordAction_->setText(channel_.logging() ? stopRecordingText() : recordText());
}

RecordActions::~RecordActions() {
    if (saveThread_) {
        saveThread_->wait();
        delete saveThread_;
    }
}

QAction* RecordActions::add(const QString& text, const QKeySequence& key,
                            void (RecordActions::*command)()) {
    auto* action = new QAction(text, &host_);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this,
            [this, command] { errors_.guard([this, command] { (this->*command)(); }); });
    host_.addAction(action);
    return action;
}

void RecordActions::addMenuTo(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, control](const QPoint& at) { showMenu(control, at); });
    }
    if (controls.size() > 0) {
        tooltipControl_ = *controls.begin();
        tooltipControl_->installEventFilter(this);
    }
}

void RecordActions::copyFrom(QComboBox& portBox) {
    portBox_ = &portBox;
    portBox.installEventFilter(this);
    portBox.lineEdit()->installEventFilter(this);
}

bool RecordActions::eventFilter(QObject* watched, QEvent* event) {
    // Asked for only when it shows, so that readings cost nothing for it.
    if (watched == tooltipControl_ && event->type() == QEvent::ToolTip) {
        const QString head = tooltipHead ? tooltipHead() : QString();
        tooltipControl_->setToolTip(
            head.isEmpty() ? statisticsText() : head + QStringLiteral("\n\n") + statisticsText());
    }
    // The port box has Ctrl+C of its own; with nothing selected in it, the reading is copied.
    if (portBox_ && (watched == portBox_ || watched == portBox_->lineEdit()) &&
        event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !portBox_->lineEdit()->hasSelectedText()) {
        copyAction_->trigger();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RecordActions::showMenu(QWidget* control, const QPoint& at) {
    auto* menu = new QMenu(&host_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const QString& line : statisticsText().split(QLatin1Char('\n')))
        menu->addAction(line)->setEnabled(false);
    menu->addSeparator();
    for (QAction* action : otherActions_)
        menu->addAction(action);
    menu->addActions(
        {recordAction_, saveReadingsAction_, savePictureAction_, copyAction_, noteAction_});
    if (!moreActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(moreActions_);
    }
    menu->popup(control->mapToGlobal(at));
}

QString RecordActions::statisticsText() const {
    if (statisticsLines)
        return statisticsLines().join(QLatin1Char('\n'));
    // One line per unit.
    return QString::fromStdString(channel_.record().summary())
        .replace(QStringLiteral("; "), QStringLiteral("\n"));
}

QString RecordActions::askForFile(const FileQuestion& q) {
    const QString folder = lastFolder_.isEmpty() ? QString() : lastFolder_ + QLatin1Char('/');
    const QFileDialog::Options options =
        q.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return askSaveFileName(&host_, q.caption, folder + q.suggested, q.filter, options);
}

QString RecordActions::chooseFile(const QString& caption, const char* suffix, const QString& filter,
                                  bool confirmOverwrite) {
    if (!askFile)
        return {};
    const QString path = askFile({caption, suggestedName(suffix), filter, confirmOverwrite});
    if (!path.isEmpty())
        lastFolder_ = QFileInfo(path).absolutePath();
    return path;
}

void RecordActions::recordClick() {
    if (channel_.logging()) {
        channel_.stopLog();
        return;
    }
    RecordDialog::Choice last = lastRecording_;
    // A name of its own each time, in the folder last chosen.
    last.file = QDir(lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_)
                    .filePath(suggestedName("csv"));
    RecordDialog dialog(
        last,
        [this](const QString& typed) {
            if (!askFile)
                return QString();
            // The file is appended to, so there is nothing to confirm.
            const QString path =
                askFile({text(QT_TRANSLATE_NOOP("kv::MainWindow", "Record to file")),
                         QFileInfo(typed).fileName(), csvFilter(), false});
            if (!path.isEmpty())
                lastFolder_ = QFileInfo(path).absolutePath();
            return path;
        },
        &host_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    lastRecording_ = dialog.choice();
    lastFolder_ = QFileInfo(dialog.choice().file).absolutePath();
    startRecording(dialog.choice());
}

void RecordActions::startRecording(const RecordDialog::Choice& choice) {
    // The last log's conditions go, and what they told with them.
    conditions_.reset();
    channel_.notes().clear(StatusNotes::Slot::logCondition);
    channel_.record().setLogInterval(choice.everyMs);
    if (choice.start || choice.stop)
        conditions_ = std::make_unique<LogConditions>(std::vector<Channel*>{&channel_},
                                                      choice.start, choice.stop);
    if (!channel_.startLog(choice.file)) {
        conditions_.reset();
        return;
    }
    adoptConditions(std::move(conditions_));
}

void RecordActions::adoptConditions(std::unique_ptr<LogConditions> conditions) {
    conditions_ = std::move(conditions);
    if (conditions_)
        // The recording ends; polling goes on, and the footer says why.
        connect(conditions_.get(), &LogConditions::stopMet, &channel_,
                [this] { channel_.stopLog(); });
}

void RecordActions::saveReadingsClick() {
    const QString path = chooseFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save readings")),
                                    "csv", csvFilter(), true);
    if (path.isEmpty())
        return;
    finishSaving();
    const std::string file = QFile::encodeName(path).toStdString();
    const Recorder& record = channel_.record();
    if (record.running()) {
        // The record grows while it is written: what it holds now is copied, which takes a
        // pass over its memory instead of the seconds a month of lines takes, and written
        // in the background like a record that does not change.
        auto copy = std::make_shared<Recording>();
        record.copyTo(*copy);
        saveThread_ = QThread::create([this, file, copy] {
            Recorder snapshot;
            snapshot.adopt(*copy);
            saveOk_ = snapshot.exportCsv(file, saveError_);
        });
    } else {
        saveThread_ = QThread::create(
            [this, file, &record] { saveOk_ = record.exportCsv(file, saveError_); });
    }
    // Queued to this thread: the worker has ended by the time it runs.
    connect(saveThread_, &QThread::finished, this, &RecordActions::saveFinished,
            Qt::QueuedConnection);
    saveThread_->start();
    emit savingChanged(true);
}

void RecordActions::saveFinished() {
    if (!saveThread_ || saveThread_->isRunning())
        return;
    finishSaving();
}

void RecordActions::finishSaving() {
    if (!saveThread_)
        return;
    saveThread_->wait();
    delete saveThread_;
    saveThread_ = nullptr;
    if (!saveOk_)
        errors_.report(QString::fromStdString(saveError_));
    emit savingChanged(false);
}

void RecordActions::savePictureClick() {
    const QString path =
        chooseFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save picture")), "png",
                   text(QT_TRANSLATE_NOOP("kv::MainWindow", "PNG pictures (*.png)")) +
                       QStringLiteral(";;") + vectorPictureFilters(),
                   true);
    if (path.isEmpty())
        return;
    const QString error = picture_ ? picture_(path) : QString();
    if (!error.isEmpty())
        errors_.report(error);
}

void RecordActions::noteClick() {
    NoteDialog dialog(&host_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString why;
    if (!channel_.addNote(dialog.text(), why))
        errors_.report(why);
}

void RecordActions::copyReadingClick() {
    QGuiApplication::clipboard()->setText(readingText_ ? readingText_() : QString());
}

} // namespace kv
