#pragma once

#include "record/csv_reader.h"
#include "record/recorder.h"
#include "record/recording.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class QThread;

namespace kv {

// A CSV file of the program's layout as the source of a channel's record. The rows are read
// in a thread of their own; the record keeps what it had until the file has been read, and
// keeps it for good on cancel() or a file that cannot be read. While a file is shown it is
// looked at twice a second: rows a running logger appends come in, and a file truncated or
// replaced is read anew; one replaced by what is no recording is told once, and the rows
// read stay shown.
class RecordingSource : public QObject {
    Q_OBJECT
public:
    // The record takes the file's rows; it must outlive the source.
    explicit RecordingSource(Recorder& record, QObject* parent = nullptr);
    ~RecordingSource() override;

    // The channels a log of several names, in the order they first come; none for the log
    // of one channel (see CsvReader::channelsIn).
    static QStringList channelsIn(const QString& path);

    // Opens the file and reads its header at once, then its rows in the background. False,
    // with the reader's sentence in `error`, when the file cannot be opened. Of a log of
    // several channels, only the rows of `channel` are read; empty: every row.
    bool open(const QString& path, QString& error, const QString& channel = {});
    // Reads the whole file here and now (the command line's picture), leaving its unreadable
    // lines to problems(). False, with the reason in `error`, when it cannot be read.
    bool openNow(const QString& path, QString& error, const QString& channel = {});
    // Ends showing the file; a load under way is dropped.
    void close();
    // While paused the record is left alone: the file is not followed and a load that ends
    // is taken over only once the pause ends (a save reads the record meanwhile).
    void setPaused(bool paused);

    // A file's rows are the record.
    bool shown() const { return reader_ != nullptr; }
    bool loading() const { return load_ != nullptr; }
    // The load under way: its file's name, and how far it has come.
    QString loadingName() const;
    std::uint64_t loadedBytes() const;
    std::uint64_t loadTotalBytes() const;
    // Ends the load under way without changing the record.
    void cancelLoad();

    // "FILE.csv: 1.234 readings from 08.12.2026 14:03 to 15:10"; empty while none is shown.
    QString footerText() const;
    // Unreadable lines of the file shown ("3 lines could not be read; ..."); empty if none.
    QString problems() const;

signals:
    // A load began: worth a progress dialog once it takes a while.
    void loadStarted();
    // The record now holds the file's rows from the first on: whatever showed before goes.
    void opened();
    // Rows from `first` on were added to the record from the growing file.
    void grew(std::size_t first);
    // A load ended without changing the record (cancel, a read error).
    void loadEnded();
    // What footerText() says has changed.
    void changed();
    // Something went wrong that the user is to be told: the file could not be read, it has
    // gone, lines of it could not be read.
    void failed(const QString& message);

private:
    struct Load;
    std::unique_ptr<CsvReader> newReader() const;
    void startLoad(std::unique_ptr<CsvReader> reader);
    void loadFinished();
    void follow();
    // Unreadable lines are told when `tellProblems`.
    void adopt(std::unique_ptr<CsvReader> reader, Recording& recording, bool tellProblems);
    void tellProblems();
    void dropLoad();

    Recorder& record_;
    std::unique_ptr<CsvReader> reader_; // of the file shown
    QString name_;                      // its file name
    QString channel_;                   // the channel read from a log of several; empty: all
    std::unique_ptr<Load> load_;
    QTimer followTimer_;
    bool paused_ = false;
    bool finishedWhilePaused_ = false;
};

} // namespace kv
