#pragma once

#include "watch/log_condition.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace kv {

// Asks how to record to a file: the file (typed, or chosen with Browse...), the interval of
// its rows ("Every: [ ] s", empty: a row per reading), and the conditions that begin and end
// the log, typed as on the command line ("above 0.5 for 1", "below 3.0"; empty: at once, and
// at Stop). OK keeps the dialog open and says why while a text is not understood.
class RecordDialog : public QDialog {
    Q_OBJECT
public:
    // What was asked for: the texts as typed, and what they mean.
    struct Choice {
        QString file;
        QString every, startWhen, stopWhen;
        TimeMs everyMs = 0; // 0: a row per reading
        std::optional<LogCondition> start, stop;
    };

    // Opens on `last` (the texts of the last recording, with a file name of its own).
    // `browse` asks for a file in the platform's dialog, given the one typed; empty when
    // cancelled.
    RecordDialog(const Choice& last, std::function<QString(const QString& typed)> browse,
                 QWidget* parent = nullptr);

    // What was accepted.
    const Choice& choice() const { return choice_; }
    // Why the last OK was refused; empty when nothing is wrong.
    QString errorText() const;

    void accept() override;

private:
    void refuse(const QString& why);

    Choice choice_;
    std::function<QString(const QString&)> browse_;
    QLineEdit* file_;
    QLineEdit* every_;
    QLineEdit* start_;
    QLineEdit* stop_;
    QLabel* error_;
    QDialogButtonBox* buttons_;
};

} // namespace kv
