#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace kv {

struct HttpRequest;
class WebFeed;

// A read-only HTTP server of the feed: the page, its script and style, the state of the
// channels, the newest reading, the record as CSV and a stream of Server-Sent Events with
// every reading. One request per connection, parsed strictly (HttpRequestParser); the
// streams are fed from the feed's history, each client from its own place in it, so a
// client that reads slowly or not at all costs the others nothing: whatever its socket does
// not take waits in the history, not in a queue of its own, and once `kQueue` readings have
// come while its socket took nothing it is dropped.
class WebServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxStreams = 32;
    // Connections still sending their request, beyond which new ones are refused.
    static constexpr int kMaxPending = 64;
    static constexpr int kQueue = 64;
    // What a client's socket may hold before its stream waits in the history.
    static constexpr qint64 kSocketLimit = 8 * 1024;
    // A request not complete by then is answered 408 and closed.
    static constexpr int kRequestMs = 10000;

    // The feed must outlive the server.
    explicit WebServer(WebFeed& feed, QObject* parent = nullptr);
    ~WebServer() override;

    // Listens on `address`:`port` (0: a free port), asking for `token` (empty: none) before
    // anything of the readings is given. False, with one sentence in `error`, when it
    // cannot. Listening anew closes every connection of the last.
    bool listen(const QHostAddress& address, quint16 port, const QByteArray& token, QString& error);
    void close();
    bool listening() const;
    // The address to open: "http://127.0.0.1:8080/"; empty while not listening.
    QString url() const;
    bool tokenRequired() const { return !token_.isEmpty(); }

    // Streams open now, and dropped since the server began because their clients did not
    // read.
    int streams() const { return streams_; }
    std::uint64_t dropped() const { return dropped_; }

signals:
    // A stream opened, ended or was dropped.
    void streamsChanged();

private:
    struct Client;
    void accept();
    void readFrom(Client& c);
    void respond(Client& c, const HttpRequest& request);
    void startStream(Client& c, const HttpRequest& request);
    // Writes what the client's socket takes of the history after its place; false when
    // the history no longer holds what it has yet to get.
    bool pump(Client& c);
    void pumpAll();
    void sweep();
    void reply(Client& c, int status, const QByteArray& type, const QByteArray& body,
               const QByteArray& extraHeaders = {});
    void drop(Client& c);
    void forget(QTcpSocket* socket);
    bool authorized(const HttpRequest& request) const;

    WebFeed& feed_;
    QTcpServer* server_;
    QTimer* sweeper_;
    QByteArray token_;
    std::list<std::unique_ptr<Client>> clients_;
    int streams_ = 0;
    int pending_ = 0;
    std::uint64_t dropped_ = 0;
};

// Whether `given` equals `token`, in a time that depends on their lengths alone.
bool sameToken(const QByteArray& given, const QByteArray& token);

} // namespace kv
