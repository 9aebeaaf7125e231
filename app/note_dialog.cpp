#include "app/note_dialog.h"

#include "record/record_note.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

NoteDialog::NoteDialog(QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)), error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(QCoreApplication::translate("kv::NoteDialog", "Add note"));
    edit_->setObjectName(QStringLiteral("note"));
    error_->setObjectName(QStringLiteral("error"));
    edit_->setMinimumWidth(360);
    edit_->setPlaceholderText(
        QCoreApplication::translate("kv::NoteDialog", "What happened, up to %1 characters")
            .arg(kLongestNote));
    error_->setWordWrap(true);
    error_->hide();
    auto* form = new QFormLayout;
    form->addRow(QCoreApplication::translate("kv::NoteDialog", "&Note:"), edit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &NoteDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &NoteDialog::reject);
    connect(edit_, &QLineEdit::textEdited, error_, &QLabel::hide);
}

QString NoteDialog::errorText() const {
    return error_->isHidden() ? QString() : error_->text();
}

void NoteDialog::accept() {
    const QString why = QString::fromStdString(noteProblem(edit_->text().toStdString()));
    if (!why.isEmpty()) {
        error_->setText(why);
        error_->show();
        return;
    }
    error_->hide();
    text_ = edit_->text();
    QDialog::accept();
}

} // namespace kv
