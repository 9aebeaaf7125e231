#include "app/session_publisher.h"

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
            error = QCoreApplication::translate("kv::SessionPublisher",
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

SessionPublisher::SessionPublisher(MeterSession& session, MqttPublisher::Options options,
                                   QObject* parent)
    : QObject(parent), session_(session),
      publisher_(std::make_unique<MqttPublisher>(std::move(options))) {
    last_.hasCodes = false;
    connect(publisher_.get(), &MqttPublisher::statusChanged, this, &SessionPublisher::tellStatus);
    connect(&session_, &MeterSession::started, this, &SessionPublisher::began);
    connect(&session_, &MeterSession::stopped, this, [this] { publisher_->stop(); });
    connect(&session_, &MeterSession::reading, this, [this](const Reading& r) {
        // Codes without a row are shown, not kept: the CSV has no line for them either.
        if (r.status == Reading::Status::ok)
            publishReading(r, Reading::Status::ok);
    });
    connect(&session_, &MeterSession::overload, this,
            [this](const Reading& r) { publishReading(r, Reading::Status::overload); });
    connect(&session_, &MeterSession::silenceBegan, this, [this] { publishGap(); });
    // A silence ends with a reading or an overload, which set the state, or with Stop.
}

SessionPublisher::~SessionPublisher() = default;

bool SessionPublisher::trouble() const {
    const MqttPublisher::Connection c = publisher_->connection();
    return c != MqttPublisher::Connection::connecting && c != MqttPublisher::Connection::publishing;
}

void SessionPublisher::began() {
    // A gap before the first reading carries no unit and no codes.
    last_ = Reading();
    last_.time = wallClockMs();
    last_.hasCodes = false;
    // A port that did not open is not polled, whatever start() did.
    if (session_.isOpen())
        publisher_->start();
}

void SessionPublisher::publishReading(const Reading& r, Reading::Status status) {
    last_.time = r.time;
    last_.status = status;
    last_.value = status == Reading::Status::ok ? r.value : 0.0f;
    last_.unit = r.unit;
    last_.function = static_cast<std::uint8_t>(r.function);
    last_.range = static_cast<std::uint8_t>(r.range);
    last_.hasCodes = true;
    publisher_->publish(last_);
}

void SessionPublisher::publishGap() {
    Reading gap = last_;
    gap.status = Reading::Status::gap;
    gap.value = 0;
    publisher_->publish(gap);
}

void SessionPublisher::tellStatus(const QString& text) {
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
