#pragma once

#include "core/reading.h"
#include "publish/mqtt_publisher.h"
#include "session/meter_session.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace kv {

// The publisher's options for the address `url` (mqtt://[USER@]HOST[:PORT]/TOPIC/PREFIX or
// mqtts://...), with the password read from `passwordFile` (its first line) when one is
// named, else from $KV_MQTT_PASSWORD. Nothing, with one sentence in `error`, when the address
// is wrong or the file cannot be read; the sentence never holds the password.
std::optional<MqttPublisher::Options> publisherOptions(const QString& url,
                                                       const QString& passwordFile, QString& error);

// Publishes what a meter session tells to an MQTT broker: every reading and overload, a gap
// where a silence began (dated, as in the CSV, to the last reading before it), the state
// online when polling begins on an open port and stopped when it ends. The publisher goes
// with this object, telling the broker offline as it goes; so a program that ends leaves
// stopped followed by offline, a killed one offline by its last will.
class SessionPublisher : public QObject {
    Q_OBJECT
public:
    // The session must outlive this object.
    SessionPublisher(MeterSession& session, MqttPublisher::Options options,
                     QObject* parent = nullptr);
    ~SessionPublisher() override;

    const MqttPublisher& publisher() const { return *publisher_; }
    // The readings that never reached the broker, once those on their way had their time.
    std::uint64_t unpublished() { return publisher_->unpublished(); }
    QString statusText() const { return publisher_->statusText(); }
    // The broker is out of reach, refused us, or gave no secure connection.
    bool trouble() const;

signals:
    // Every change of the publisher's status, for the footer.
    void statusChanged(const QString& text, bool trouble);
    // Only when the connection turns (publishing, unreachable, refused, ...), not for every
    // reading that waits: for stderr.
    void connectionChanged(const QString& text);

private:
    void began();
    void publishReading(const Reading& reading, Reading::Status status);
    void publishGap();
    void tellStatus(const QString& text);

    MeterSession& session_;
    std::unique_ptr<MqttPublisher> publisher_;
    // What a gap carries: the time, unit and codes of the reading before it.
    PublishedReading last_;
    QString toldKind_; // the last text told by connectionChanged, without its numbers
};

} // namespace kv
