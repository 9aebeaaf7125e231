#include "app/record_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QString text(const char* source) {
    return QCoreApplication::translate("kv::RecordDialog", source);
}

} // namespace

RecordDialog::RecordDialog(const Choice& last, std::function<QString(const QString&)> browse,
                           QWidget* parent)
    : QDialog(parent), choice_(last), browse_(std::move(browse)), file_(new QLineEdit(this)),
      every_(new QLineEdit(this)), start_(new QLineEdit(this)), stop_(new QLineEdit(this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "Record to file")));
    file_->setObjectName(QStringLiteral("file"));
    every_->setObjectName(QStringLiteral("every"));
    start_->setObjectName(QStringLiteral("start"));
    stop_->setObjectName(QStringLiteral("stop"));
    error_->setObjectName(QStringLiteral("error"));
    file_->setText(last.file);
    every_->setText(last.every);
    start_->setText(last.startWhen);
    stop_->setText(last.stopWhen);
    file_->setMinimumWidth(320);
    every_->setPlaceholderText(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "every reading")));
    start_->setPlaceholderText(
        text(QT_TRANSLATE_NOOP("kv::RecordDialog", "at once; or above 0.5 for 1")));
    stop_->setPlaceholderText(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "at Stop; or below 3.0")));
    error_->setWordWrap(true);
    error_->hide();

    auto* browseButton =
        new QPushButton(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "&Browse...")), this);
    browseButton->setObjectName(QStringLiteral("browse"));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString chosen = browse_ ? browse_(file_->text()) : QString();
        if (!chosen.isEmpty())
            file_->setText(chosen);
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browseButton);
    auto* everyRow = new QHBoxLayout;
    every_->setMaximumWidth(120);
    everyRow->addWidget(every_);
    everyRow->addWidget(new QLabel(QStringLiteral("s"), this));
    everyRow->addStretch(1);

    auto* form = new QFormLayout;
    // A row whose field is a layout gets its label's key only with the label's buddy set.
    const auto label = [this](const char* source, QWidget* buddy) {
        auto* l = new QLabel(text(source), this);
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label(QT_TRANSLATE_NOOP("kv::RecordDialog", "&File:"), file_), fileRow);
    form->addRow(label(QT_TRANSLATE_NOOP("kv::RecordDialog", "&Every:"), every_), everyRow);
    form->addRow(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "S&tart when:")), start_);
    form->addRow(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "St&op when:")), stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &RecordDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &RecordDialog::reject);
    // A corrected text takes the complaint away.
    for (QLineEdit* edit : {file_, every_, start_, stop_})
        connect(edit, &QLineEdit::textEdited, error_, &QLabel::hide);
}

QString RecordDialog::errorText() const {
    return error_->isHidden() ? QString() : error_->text();
}

void RecordDialog::refuse(const QString& why) {
    error_->setText(why);
    error_->show();
}

void RecordDialog::accept() {
    Choice c;
    c.file = file_->text().trimmed();
    c.every = every_->text().trimmed();
    c.startWhen = start_->text().trimmed();
    c.stopWhen = stop_->text().trimmed();
    if (c.file.isEmpty())
        return refuse(text(QT_TRANSLATE_NOOP("kv::RecordDialog", "Which file? Type its name or "
                                                                 "choose it with Browse...")));
    if (!c.every.isEmpty()) {
        const std::optional<TimeMs> every = parseLogEvery(c.every.toStdString());
        if (!every)
            return refuse(text(QT_TRANSLATE_NOOP("kv::RecordDialog",
                                                 "Every needs a number of seconds from 0.5 to "
                                                 "86400, or nothing for every reading")));
        c.everyMs = *every;
    }
    const auto condition = [&](const QString& typed, const char* label,
                               std::optional<LogCondition>& out) {
        if (typed.isEmpty())
            return true;
        const ParsedLogCondition parsed = parseLogCondition(
            typed.toStdString(),
            text(label).remove(QLatin1Char('&')).remove(QLatin1Char(':')).toStdString());
        if (!parsed.ok()) {
            refuse(QString::fromStdString(parsed.error));
            return false;
        }
        if (!parsed.condition.channel.empty()) {
            refuse(text(QT_TRANSLATE_NOOP("kv::RecordDialog",
                                          "%1 names a channel: a window records its own, so "
                                          "leave the name out"))
                       .arg(typed));
            return false;
        }
        out = parsed.condition;
        return true;
    };
    if (!condition(c.startWhen, QT_TRANSLATE_NOOP("kv::RecordDialog", "S&tart when:"), c.start) ||
        !condition(c.stopWhen, QT_TRANSLATE_NOOP("kv::RecordDialog", "St&op when:"), c.stop))
        return;
    error_->hide();
    choice_ = c;
    QDialog::accept();
}

} // namespace kv
