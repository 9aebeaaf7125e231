#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace kv {

// Asks for a note on the newest reading: a short text, up to 200 characters, Enter accepts.
// OK keeps the dialog open and says why while the text is empty or too long.
class NoteDialog : public QDialog {
    Q_OBJECT
public:
    explicit NoteDialog(QWidget* parent = nullptr);

    // What was accepted.
    const QString& text() const { return text_; }
    // Why the last OK was refused; empty when nothing is wrong.
    QString errorText() const;

    void accept() override;

private:
    QString text_;
    QLineEdit* edit_;
    QLabel* error_;
    QDialogButtonBox* buttons_;
};

} // namespace kv
