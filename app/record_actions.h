#pragma once

#include "app/record_dialog.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QPoint;
class QThread;
class QWidget;

namespace kv {

class Channel;
class ErrorReporter;
class LogConditions;

// The commands of a channel's record in a window: record to a file, save the readings, save
// a picture and copy the reading, each with its key, and a context menu on the controls given
// to it that shows them below the session's statistics.
class RecordActions : public QObject {
    Q_OBJECT
public:
    // What is asked when a file is needed.
    struct FileQuestion {
        QString caption;
        QString suggested; // a file name, in the folder last chosen
        QString filter;    // "CSV files (*.csv)"
        // False where the file is appended to: nothing in it is replaced.
        bool confirmOverwrite = true;
    };

    // The keys work in `host`, whose dialogs they are; all references must outlive the
    // actions. `readingText` gives the reading as shown ("01,234 V-DC"); `savePicture` writes
    // the window's picture to a file (its format from the name, see PictureFormat) and
    // tells why it could not.
    RecordActions(QWidget& host, Channel& channel, ErrorReporter& errors,
                  std::function<QString()> readingText,
                  std::function<QString(const QString& file)> savePicture);
    // Waits for a save under way.
    ~RecordActions() override;

    // A right click on these shows the menu; the first also shows the statistics as its
    // tooltip. The port box's Ctrl+C copies the reading while nothing is selected in it.
    void addMenuTo(std::initializer_list<QWidget*> controls);
    void copyFrom(QComboBox& portBox);
    // Shows `action` in the menu too, above the record's commands.
    void addToMenu(QAction* action) { otherActions_.push_back(action); }
    // Further entries for the menu, shown below the record's own after a separator.
    void addMenuActions(const QList<QAction*>& actions) { moreActions_ << actions; }

    // The menu's and the tooltip's statistics, one line each; unset: the record's summary.
    std::function<QStringList()> statisticsLines;
    // What the tooltip tells before the statistics (the footer's whole note where the footer
    // shows only part of it); unset or empty: the statistics alone.
    std::function<QString()> tooltipHead;
    // Save readings of a record that does not change (after Stop, or a file shown) writes in
    // a thread of its own, so that the window goes on meanwhile; the record must stay as it
    // is until the save has ended (savingChanged).
    bool saving() const { return saveThread_ != nullptr; }
    // Waits for a save under way to end, and tells how it went.
    void finishSaving();

    // Asks for a file; empty when the user cancels. The platform's save dialog, which has an
    // existing file confirmed, unless replaced.
    std::function<QString(const FileQuestion& question)> askFile;

    // The conditions of the log begun from the command line, which end it here; a recording
    // begun from the window replaces them with its own.
    void adoptConditions(std::unique_ptr<LogConditions> conditions);

signals:
    // A save in the background began (true) or ended (false).
    void savingChanged(bool saving);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* add(const QString& text, const QKeySequence& key, void (RecordActions::*command)());
    void showMenu(QWidget* control, const QPoint& at);
    QString statisticsText() const;
    QString askForFile(const FileQuestion& question);
    // askFile with a suggested name; remembers the folder chosen.
    QString chooseFile(const QString& caption, const char* suffix, const QString& filter,
                       bool confirmOverwrite);
    void recordClick();
    void startRecording(const RecordDialog::Choice& choice);
    void saveReadingsClick();
    void savePictureClick();
    void copyReadingClick();
    void noteClick();
    void saveFinished();

    void syncRecordAction();

    QWidget& host_;
    Channel& channel_;
    ErrorReporter& errors_;
    std::function<QString()> readingText_;
    std::function<QString(const QString& file)> picture_;
    QAction* recordAction_ = nullptr;
    QAction* saveReadingsAction_ = nullptr;
    QAction* savePictureAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* noteAction_ = nullptr;
    QWidget* tooltipControl_ = nullptr;
    QComboBox* portBox_ = nullptr;
    QList<QAction*> moreActions_;

    QString lastFolder_;                 // where the last file was chosen
    RecordDialog::Choice lastRecording_; // what the Record dialog opens on
    std::unique_ptr<LogConditions> conditions_;
    std::vector<QAction*> otherActions_;
    QThread* saveThread_ = nullptr;
    bool saveOk_ = false;
    std::string saveError_;
};

} // namespace kv
