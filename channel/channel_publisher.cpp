#include "channel/channel_publisher.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace kv {

std::optional<MqttPublisher::Options>
publisherOptions(const QString& url, const QString& passwordFile, QString& error) {
    std::string why;
    const std::optional<MqttUrl> parsed = parseMqttUrl(url.toStdString(), why);
    if (!parsed) {
        error = QString::fromStdString(why);
        return std::nullopt;
    }
    MqttPublisher::Options options;
    options.url = *parsed;
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            error = QCoreApplication::translate("kv::ChannelPublisher",
                                                "Cannot read the MQTT password file %1: %2")
                        .arg(passwordFile, file.errorString());
            return std::nullopt;
        }
        // The first line, without its line end; a file that ends without one is whole.
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        options.password = line.toStdString();
    } else {
        options.password = qEnvironmentVariable("KV_MQTT_PASSWORD").toStdString();
    }
    return options;
}

ChannelPublisher::ChannelPublisher(MqttPublisher::Options options, QObject* parent)
    : QObject(parent), publisher_(std::make_unique<MqttPublisher>(std::move(options))) {
    connect(publisher_.get(), &MqttPublisher::statusChanged, this, &ChannelPublisher::tellStatus);
}

ChannelPublisher::~ChannelPublisher() = default;

bool ChannelPublisher::trouble() const {
    const MqttPublisher::Connection c = publisher_->connection();
    return c != MqttPublisher::Connection::connecting && c != MqttPublisher::Connection::publishing;
}

void ChannelPublisher::began(bool polled) {
    // A port that did not open is not polled.
    if (polled)
        publisher_->start();
}

void ChannelPublisher::ended() {
    publisher_->stop();
}

void ChannelPublisher::publish(const Reading& kept) {
    publisher_->publish(kept);
}

void ChannelPublisher::tellStatus(const QString& text) {
    emit statusChanged(text, trouble());
    // The text as it stands for any count of waiting readings: it changes with the
    // connection, not with every reading that waits.
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    QString kind = text;
    kind.remove(digits);
    if (kind == toldKind_)
        return;
    toldKind_ = kind;
    emit connectionChanged(text);
}

} // namespace kv
