#pragma once

#include "core/reading.h"
#include "publish/mqtt_publisher.h"

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

// Publishes what a channel keeps to an MQTT broker: every reading, overload and gap as the
// record keeps it, the state online when polling begins on an open port and stopped when it
// ends. The publisher goes with this object, telling the broker offline as it goes; so a
// program that ends leaves stopped followed by offline, a killed one offline by its last will.
class ChannelPublisher : public QObject {
    Q_OBJECT
public:
    explicit ChannelPublisher(MqttPublisher::Options options, QObject* parent = nullptr);
    ~ChannelPublisher() override;

    // Polling began (on a port that opened: `polled`), or ended.
    void began(bool polled);
    void ended();
    // A reading the record kept.
    void publish(const Reading& kept);
    // A note the record was given, on the reading of `time`.
    void publishNote(TimeMs time, const std::string& text) { publisher_->publishNote(time, text); }

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
    void tellStatus(const QString& text);

    std::unique_ptr<MqttPublisher> publisher_;
    QString toldKind_; // the last text told by connectionChanged, without its numbers
};

} // namespace kv
