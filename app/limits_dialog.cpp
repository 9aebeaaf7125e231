#include "app/limits_dialog.h"

#include "watch/limit_parsing.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

LimitsDialog::LimitsDialog(const Limits& current, QWidget* parent)
    : QDialog(parent), limits_(current), lower_(new QLineEdit(this)), upper_(new QLineEdit(this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(QCoreApplication::translate("kv::LimitsDialog", "Limits"));
    lower_->setObjectName(QStringLiteral("lower"));
    upper_->setObjectName(QStringLiteral("upper"));
    error_->setObjectName(QStringLiteral("error"));
    lower_->setText(QString::fromStdString(limitEditText(current.lower)));
    upper_->setText(QString::fromStdString(limitEditText(current.upper)));
    const QString unit = QString::fromStdString(current.unit);
    const QString hint =
        unit.isEmpty()
            ? QCoreApplication::translate("kv::LimitsDialog", "Empty: no limit")
            : QCoreApplication::translate("kv::LimitsDialog", "In %1; empty: no limit").arg(unit);
    lower_->setPlaceholderText(hint);
    upper_->setPlaceholderText(hint);
    error_->setWordWrap(true);
    error_->hide();

    auto* form = new QFormLayout;
    form->addRow(QCoreApplication::translate("kv::LimitsDialog", "&Lower limit:"), lower_);
    form->addRow(QCoreApplication::translate("kv::LimitsDialog", "&Upper limit:"), upper_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &LimitsDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &LimitsDialog::reject);
    // A corrected text takes the complaint away.
    for (QLineEdit* edit : {lower_, upper_})
        connect(edit, &QLineEdit::textEdited, error_, &QLabel::hide);
}

QString LimitsDialog::errorText() const {
    return error_->isHidden() ? QString() : error_->text();
}

void LimitsDialog::accept() {
    std::string error;
    Limits limits = limits_;
    if (!parseLimits(lower_->text().toStdString(), upper_->text().toStdString(), limits, error)) {
        error_->setText(QString::fromStdString(error));
        error_->show();
        return;
    }
    error_->hide();
    limits_ = limits;
    QDialog::accept();
}

} // namespace kv
