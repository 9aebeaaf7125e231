#pragma once

#include "record/csv_reader.h"
#include "record/recorder.h"
#include "record/recording.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QProgressDialog;
class QThread;
class QWidget;

namespace kv {

class ErrorReporter;

// "Open readings..." (Ctrl+O) in a window: a CSV file of the program's layout becomes the
// record that is shown. The rows are read in a thread of their own, with a progress dialog
// (and its Cancel) once the reading takes half a second; the window keeps what it had until
// the file has been read, and keeps it for good on Cancel or a file that cannot be read.
// While a file is shown it is looked at twice a second: rows a running logger appends come
// in, and a file truncated or replaced is read anew.
class RecordingActions : public QObject {
    Q_OBJECT
public:
    // The command's key works in `host`, whose dialogs they are; the references must outlive
    // the actions.
    RecordingActions(QWidget& host, Recorder& recorder, ErrorReporter& errors);
    ~RecordingActions() override;

    QAction* openAction() const { return openAction_; }
    // While paused the record is left alone: the file is not followed and a load that ends
    // is taken over only once the pause ends (a save reads the record meanwhile).
    void setPaused(bool paused);

    // Opens the file and reads its header at once, then its rows in the background. False,
    // with the reader's sentence in `error`, when the file cannot be opened.
    bool open(const QString& path, QString& error);
    // Reads the whole file here and now and shows it (the command line's picture), leaving
    // its unreadable lines to problems(). False, with the reason in `error`, when it cannot
    // be read.
    bool openNow(const QString& path, QString& error);
    // Ends showing the file (Start takes the record back); a load under way is dropped.
    void close();

    // A file's rows are the record shown.
    bool shown() const { return reader_ != nullptr; }
    bool loading() const { return load_ != nullptr; }
    // "FILE.csv: 1.234 readings from 08.12.2026 14:03 to 15:10"; empty while none is shown.
    QString footerText() const;
    // Unreadable lines of the file shown ("3 lines could not be read; ..."); empty if none.
    QString problems() const;

    // Asks for the file to open; empty when the user cancels. The platform's open dialog,
    // unless replaced.
    std::function<QString(const QString& caption, const QString& filter)> askFile;

signals:
    // The record now holds the file's rows from the first on: whatever showed before goes.
    void opened();
    // Rows from `first` on were added to the record from the growing file.
    void grew(std::size_t first);
    // A load ended without changing the record (Cancel, a read error).
    void loadEnded();
    // What the footer shows of the file has changed.
    void changed();

private:
    struct Load;
    void openClick();
    void startLoad(std::unique_ptr<CsvReader> reader);
    void loadFinished();
    void showProgress();
    void follow();
    // Unreadable lines are reported when `tellProblems`.
    void adopt(std::unique_ptr<CsvReader> reader, Recording& recording, bool tellProblems);
    void reportProblems();

    QWidget& host_;
    Recorder& recorder_;
    ErrorReporter& errors_;
    QAction* openAction_ = nullptr;
    std::unique_ptr<CsvReader> reader_; // of the file shown
    QString name_;                      // its file name
    std::unique_ptr<Load> load_;
    QProgressDialog* progress_ = nullptr;
    QTimer progressTimer_;
    QTimer followTimer_;
    QString lastFolder_;
    bool paused_ = false;
    bool finishedWhilePaused_ = false;
};

} // namespace kv
