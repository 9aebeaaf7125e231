#include "app/error_reporter.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>

namespace kv {

namespace {
ErrorReporter* g_instance = nullptr;

void showMessageBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}
} // namespace

ErrorReporter::ErrorReporter(Presenter presenter, QObject* parent)
    : QObject(parent), presenter_(presenter ? std::move(presenter) : Presenter(showMessageBox)) {}

bool ErrorReporter::report(const QString& message) {
    if (busy_) {
        ++dropped_;
        return false;
    }
    busy_ = true;
    const QString text = boxText(message);
    // Queued, so the failing handler unwinds first and the box is shown from the event loop.
    QMetaObject::invokeMethod(
        this, [this, text] { present(text); }, Qt::QueuedConnection);
    return true;
}

bool ErrorReporter::report(const std::exception& error) {
    return report(QString::fromUtf8(error.what()));
}

bool ErrorReporter::guard(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        report(e);
    } catch (...) {
        report(tr("Unknown error"));
    }
    return false;
}

void ErrorReporter::present(const QString& text) {
    ++shown_;
    try {
        presenter_(caption_, text);
    } catch (...) {
        // A presenter that fails must not leave every later report dropped.
    }
    busy_ = false;
}

QString ErrorReporter::titleFromProgramPath(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString ErrorReporter::boxText(const QString& message) {
    if (message.isEmpty())
        return message;
    // Compare whole code points, so a message ending in a non-ASCII letter is treated
    // like one ending in an ASCII letter.
    const QList<uint> codes = message.right(2).toUcs4();
    if (!codes.isEmpty() && codes.last() > uint('.'))
        return message + QLatin1Char('.');
    return message;
}

ErrorReporter* ErrorReporter::instance() {
    return g_instance;
}
void ErrorReporter::setInstance(ErrorReporter* reporter) {
    g_instance = reporter;
}

} // namespace kv
