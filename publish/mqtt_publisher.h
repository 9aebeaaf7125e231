#pragma once

#include "publish/mqtt_url.h"
#include "publish/reading_json.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kv {

// Publishes a meter's readings to an MQTT broker:
//   PREFIX/reading  every reading, QoS 1, as appendReadingJson() writes it;
//   PREFIX/state    retained: online, silent, overload, stopped, and offline as the last
//                   will and when the publisher goes;
//   PREFIX/last     retained: the newest reading, for a dashboard that connects later;
//   PREFIX/note     a note attached to a reading, QoS 1, as appendNoteJson() writes it.
// The network runs on a thread of its own; no call waits for the broker. While the broker
// is out of reach the messages wait in order, about sixteen bytes a reading, and go out in
// order when it is back; beyond queueLimit the oldest are dropped and counted.
class MqttPublisher : public QObject {
    Q_OBJECT

public:
    enum class State : std::uint8_t { online, silent, overload, stopped, offline };

    // Two hours of readings at ten a second, the fastest the meter is polled.
    static constexpr std::size_t kDefaultQueueLimit = 72000;

    struct Options {
        MqttUrl url;
        // Sent with url.user, which MQTT requires for a password; never printed.
        std::string password;
        // TLS: the certificate authorities to trust instead of the system's store.
        std::string caFile;
        std::size_t queueLimit = kDefaultQueueLimit;
        // The channel of a program of several: its topics go under PREFIX/CHANNEL and each
        // reading's JSON names it. Empty: one channel, the topics right under PREFIX.
        std::string channel;
        int keepAliveSeconds = 20;
    };

    // How long the messages that wait as publishing ends may take to go out.
    static constexpr std::chrono::milliseconds kLastFlush{1000};

    explicit MqttPublisher(Options options, QObject* parent = nullptr);
    // Publishes offline, gives the waiting messages up to kLastFlush to go out while the
    // broker is connected, and disconnects.
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // The poll began: state online.
    void start();
    // One reading; an overload turns the state to overload, a gap to silent, a value back to
    // online.
    void publish(const Reading& reading);
    // A note on the reading of `time`, in order with the readings.
    void publishNote(TimeMs time, const std::string& text);
    // The poll was stopped: state stopped.
    void stop();

    // "MQTT: publishing to HOST as PREFIX" and the like, for the footer or stderr.
    QString statusText() const;
    // Readings not yet acknowledged by the broker.
    std::size_t waiting() const;
    // Readings dropped, oldest first, because more than queueLimit messages waited.
    std::uint64_t dropped() const;
    // Gives what waits up to kLastFlush to reach the broker while it is connected, then
    // tells the readings that never reached it: those still waiting and those dropped.
    std::uint64_t unpublished();
    // True while connected and nothing waits.
    bool idle() const;

    // How the link to the broker stands, as statusText() tells it.
    enum class Connection : std::uint8_t { connecting, publishing, unreachable, refused, insecure };
    Connection connection() const;

signals:
    void statusChanged(const QString& text);

private:
    struct Link;

    void emitStatusIfChanged();

    std::unique_ptr<Link> link_;
    QString shownStatus_;
};

} // namespace kv
