#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QAction;
class QProgressDialog;
class QWidget;

namespace kv {

class ErrorReporter;
class RecordingSource;
class ReferenceCurve;

// "Open readings..." (Ctrl+O) in a window: a CSV file of the program's layout becomes the
// record the channel shows, read in the background by the channel's recording source, with
// a progress dialog (and its Cancel) once the reading takes half a second; of a log of
// several channels, the first. Whatever goes wrong is reported.
class RecordingActions : public QObject {
    Q_OBJECT
public:
    // The command's key works in `host`, whose dialogs they are; the references must outlive
    // the actions.
    RecordingActions(QWidget& host, RecordingSource& source, ErrorReporter& errors);
    ~RecordingActions() override;

    QAction* openAction() const { return openAction_; }
    // "Compare with..." (Ctrl+Shift+O): a recording laid behind the chart's line, "Align at
    // start" (checked: its start at the line's) and "Clear reference". The curve must outlive
    // the actions.
    void compareOn(ReferenceCurve& curve);
    // The three, for a menu; empty before compareOn().
    QList<QAction*> referenceActions() const;

    // Asks for the file to open; empty when the user cancels. The platform's open dialog,
    // unless replaced.
    std::function<QString(const QString& caption, const QString& filter)> askFile;

signals:
    // A log of several channels was opened: its first channel, names.front(), is shown here;
    // the others are for windows of their own.
    void severalChannels(const QString& path, const QStringList& names);

private:
    void openClick();
    void compareClick();
    void loadStarted();
    void showProgress();
    void endProgress();

    QWidget& host_;
    RecordingSource& source_;
    ErrorReporter& errors_;
    QAction* openAction_ = nullptr;
    ReferenceCurve* reference_ = nullptr;
    QAction* compareAction_ = nullptr;
    QAction* alignAction_ = nullptr;
    QAction* clearReferenceAction_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    QTimer progressTimer_;
    QString lastFolder_;
};

} // namespace kv
