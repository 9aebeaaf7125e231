#pragma once

#include "watch/limit_watch.h"

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace kv {

// Asks for the limits of a bench run: a lower and an upper limit in the unit the meter shows,
// either of which may stay empty, typed with a decimal point or the regional decimal
// character. OK keeps the dialog open and says why while a text is no number or the lower
// limit lies above the upper one; with both empty it asks for no limits at all.
class LimitsDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on `current` (its unit is the one the new limits are in).
    explicit LimitsDialog(const Limits& current, QWidget* parent = nullptr);

    // What was accepted; the unit is the one the dialog opened with.
    const Limits& limits() const { return limits_; }
    // Why the last OK was refused; empty when nothing is wrong.
    QString errorText() const;

    void accept() override;

private:
    Limits limits_;
    QLineEdit* lower_;
    QLineEdit* upper_;
    QLabel* error_;
    QDialogButtonBox* buttons_;
};

} // namespace kv
