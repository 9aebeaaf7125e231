#include "app/web_share.h"

#include "channel/channel.h"
#include "web/web_feed.h"
#include "web/web_server.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QUrl>

namespace kv {

WebShare::WebShare(const std::vector<Channel*>& channels, QObject* parent)
    : QObject(parent), channels_(channels), feed_(std::make_unique<WebFeed>(channels)),
      server_(std::make_unique<WebServer>(*feed_)) {
    connect(server_.get(), &WebServer::streamsChanged, this, &WebShare::changed);
}

WebShare::~WebShare() {
    server_.reset();
    for (Channel* c : channels_)
        c->notes().clear(StatusNotes::Slot::share);
}

bool WebShare::start(const WebAddress& address, QString& error) {
    address_ = address;
    if (!server_->listen(address.address, address.port, address.token, error)) {
        note();
        emit changed();
        return false;
    }
    // The port actually given, so that the dialog offers it again.
    address_.port = static_cast<quint16>(QUrl(server_->url()).port());
    failure_.clear();
    note();
    emit changed();
    return true;
}

void WebShare::stop() {
    server_->close();
    failure_.clear();
    note();
    emit changed();
}

bool WebShare::serving() const {
    return server_->listening();
}

QString WebShare::url() const {
    return server_->url();
}

QString WebShare::startLine() const {
    return server_->tokenRequired()
               ? tr("the readings are shown at %1 (a token is required)").arg(url())
               : tr("the readings are shown at %1").arg(url());
}

QString WebShare::tooltipLine() const {
    if (!serving())
        return {};
    return tr("Browser: %1 open, %2 dropped for not reading")
        .arg(server_->streams())
        .arg(server_->dropped());
}

void WebShare::tellFailure(const QString& reason) {
    failure_ = reason;
    note();
}

void WebShare::note() {
    QString text = failure_;
    if (text.isEmpty() && serving())
        text = server_->tokenRequired() ? tr("In the browser: %1 (token required)").arg(url())
                                        : tr("In the browser: %1").arg(url());
    for (Channel* c : channels_)
        c->notes().set(StatusNotes::Slot::share, text);
}

void WebShare::askIn(QWidget* window) {
    QDialog dialog(window);
    dialog.setWindowTitle(tr("Share in the browser"));
    auto* form = new QFormLayout(&dialog);
    auto* on = new QCheckBox(tr("Serve a read-only page of the readings"), &dialog);
    on->setChecked(serving());
    auto* host = new QLineEdit(address_.address.toString(), &dialog);
    auto* port = new QSpinBox(&dialog);
    port->setRange(0, 65535);
    port->setValue(address_.port);
    port->setSpecialValueText(tr("any free port"));
    auto* open = new QLabel(serving() ? url() : QString(), &dialog);
    open->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(on);
    form->addRow(tr("Address:"), host);
    form->addRow(tr("Port:"), port);
    form->addRow(tr("Open:"), open);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!on->isChecked()) {
        stop();
        return;
    }
    QString given = host->text().trimmed();
    if (given.contains(QLatin1Char(':')) && !given.startsWith(QLatin1Char('[')))
        given = QLatin1Char('[') + given + QLatin1Char(']');
    given =
        (given.isEmpty() ? QString() : given + QLatin1Char(':')) + QString::number(port->value());
    QString error;
    const auto address = webAddress(given, tokenFile, error);
    if (!address || !start(*address, error)) {
        // Polling goes on; the footer tells why nothing is served.
        server_->close();
        tellFailure(error);
        emit changed();
    }
}

} // namespace kv
