#include "web/web_server.h"

#include "web/http_request.h"
#include "web/web_feed.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <charconv>

namespace kv {

namespace {

// A stream that had nothing to say for this long gets a comment, so that proxies and phones
// keep the connection and a client that is gone is noticed.
constexpr qint64 kKeepAliveMs = 15000;
// The kernel's share of a stream's buffer: small, so that a client that stops reading is
// noticed after seconds, not after megabytes.
constexpr int kSendBuffer = 8 * 1024;

const char* reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

QByteArray resource(const QString& name) {
    QFile f(QStringLiteral(":/web/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool parseUnsigned(const std::string& text, std::uint64_t& value) {
    if (text.empty())
        return false;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

// ?since= as milliseconds since 1970 or as an ISO 8601 time ("2026-12-08T14:03:07+01:00",
// local time without an offset); empty: the session's start.
bool parseSince(const std::string& text, TimeMs& since) {
    since = 0;
    if (text.empty())
        return true;
    std::uint64_t ms = 0;
    if (parseUnsigned(text, ms)) {
        since = static_cast<TimeMs>(ms);
        return true;
    }
    const QDateTime t = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!t.isValid())
        return false;
    since = t.toMSecsSinceEpoch();
    return true;
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

bool sameToken(const QByteArray& given, const QByteArray& token) {
    // Every byte of the longer is looked at, whatever differs first.
    const qsizetype n = std::max(given.size(), token.size());
    unsigned diff = given.size() == token.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(i < given.size() ? given[i] : 0);
        const auto b = static_cast<unsigned char>(i < token.size() ? token[i] : 0);
        diff |= static_cast<unsigned>(a ^ b);
    }
    return diff == 0 && !token.isEmpty();
}

struct WebServer::Client {
    QTcpSocket* socket = nullptr;
    std::string received;
    qint64 since = 0;      // when it connected, or last wrote to a stream
    bool answered = false; // a reply is written; the connection ends with it
    bool stream = false;
    bool filtered = false;
    std::size_t channel = 0;
    std::uint64_t cursor = 0;     // the last reading handed to its socket
    std::uint64_t progressed = 0; // the newest reading when its socket last took anything
};

WebServer::WebServer(WebFeed& feed, QObject* parent)
    : QObject(parent), feed_(feed), server_(new QTcpServer(this)), sweeper_(new QTimer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &WebServer::accept);
    // A reading goes to the streams as it comes, written into their sockets at once: a
    // write costs a few microseconds, where waking the event loop again for it cost far more.
    // What a full socket could not take is handed on as it drains, or with the next reading.
    connect(&feed_, &WebFeed::appended, this, [this] {
        if (streams_ > 0)
            pumpAll();
    });
    sweeper_->setInterval(1000);
    connect(sweeper_, &QTimer::timeout, this, &WebServer::sweep);
}

WebServer::~WebServer() {
    close();
}

bool WebServer::listen(const QHostAddress& address, quint16 port, const QByteArray& token,
                       QString& error) {
    close();
    server_->setMaxPendingConnections(kMaxPending);
    if (!server_->listen(address, port)) {
        error = tr("cannot listen on %1 port %2: %3")
                    .arg(address.toString())
                    .arg(port)
                    .arg(server_->errorString());
        return false;
    }
    token_ = token;
    sweeper_->start();
    return true;
}

void WebServer::close() {
    sweeper_->stop();
    server_->close();
    const bool hadStreams = streams_ > 0;
    for (auto& c : clients_) {
        c->socket->disconnect(this);
        c->socket->abort();
        c->socket->deleteLater();
    }
    clients_.clear();
    streams_ = 0;
    pending_ = 0;
    if (hadStreams)
        emit streamsChanged();
}

bool WebServer::listening() const {
    return server_->isListening();
}

QString WebServer::url() const {
    if (!listening())
        return {};
    const QHostAddress a = server_->serverAddress();
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(a.toString())
                             : a.toString();
    return QStringLiteral("http://%1:%2/").arg(host).arg(server_->serverPort());
}

void WebServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto client = std::make_unique<Client>();
        Client* c = client.get();
        c->socket = socket;
        c->since = nowMs();
        clients_.push_back(std::move(client));
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        if (pending_ >= kMaxPending) {
            reply(*c, 503, "text/plain; charset=utf-8", "Too many connections\n");
            continue;
        }
        ++pending_;
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { readFrom(*c); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, c] {
            if (!c->stream)
                return;
            c->progressed = feed_.history().lastId();
            if (!pump(*c))
                drop(*c);
        });
    }
}

void WebServer::forget(QTcpSocket* socket) {
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if ((*it)->socket != socket)
            continue;
        const bool stream = (*it)->stream;
        if (!stream && !(*it)->answered)
            --pending_;
        clients_.erase(it);
        socket->deleteLater();
        if (stream) {
            --streams_;
            emit streamsChanged();
        }
        return;
    }
}

void WebServer::readFrom(Client& c) {
    if (c.stream || c.answered) {
        // Nothing more is read from a client once it has asked.
        c.socket->skip(c.socket->bytesAvailable());
        return;
    }
    const QByteArray bytes = c.socket->read(HttpRequestParser::kMaxHead + 1);
    c.received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    HttpRequestParser parser;
    switch (parser.parse(c.received)) {
    case HttpRequestParser::State::incomplete:
        return;
    case HttpRequestParser::State::bad:
        --pending_;
        reply(c, 400, "text/plain; charset=utf-8", "Bad request\n");
        return;
    case HttpRequestParser::State::complete:
        --pending_;
        respond(c, parser.request());
        return;
    }
}

bool WebServer::authorized(const HttpRequest& request) const {
    if (token_.isEmpty())
        return true;
    const std::string header = request.field("authorization");
    static const std::string kBearer = "Bearer ";
    if (header.size() > kBearer.size() && header.compare(0, kBearer.size(), kBearer) == 0 &&
        sameToken(QByteArray::fromStdString(header.substr(kBearer.size())), token_))
        return true;
    return sameToken(QByteArray::fromStdString(request.queryValue("token")), token_);
}

void WebServer::respond(Client& c, const HttpRequest& request) {
    static const char* const kPage[][3] = {
        {"/", "index.html", "text/html; charset=utf-8"},
        {"/index.html", "index.html", "text/html; charset=utf-8"},
        {"/page.js", "page.js", "text/javascript; charset=utf-8"},
        {"/page.css", "page.css", "text/css; charset=utf-8"},
    };
    const std::string& path = request.path;
    const char* const* page = nullptr;
    for (const auto& p : kPage)
        if (path == p[0])
            page = p;
    const bool api = path == "/api/state" || path == "/api/last" || path == "/api/readings.csv" ||
                     path == "/api/stream";
    if (!page && !api) {
        reply(c, 404, "text/plain; charset=utf-8", "Not found\n");
        return;
    }
    if (request.method != "GET") {
        reply(c, 405, "text/plain; charset=utf-8", "Only GET\n", "Allow: GET\r\n");
        return;
    }
    // The page itself holds nothing of the readings: it is what asks for the token.
    if (page) {
        reply(c, 200, page[2], resource(QString::fromLatin1(page[1])));
        return;
    }
    if (!authorized(request)) {
        reply(c, 401, "text/plain; charset=utf-8", "Token required\n",
              "WWW-Authenticate: Bearer realm=\"kv27500\"\r\n");
        return;
    }
    std::size_t channel = 0;
    const bool filtered = request.query.count("channel") > 0;
    if (filtered) {
        const auto found = feed_.channelIndex(request.queryValue("channel"));
        if (!found) {
            reply(c, 404, "text/plain; charset=utf-8", "No such channel\n");
            return;
        }
        channel = *found;
    }
    if (path == "/api/state") {
        reply(c, 200, "application/json", QByteArray::fromStdString(feed_.stateJson()));
    } else if (path == "/api/last") {
        const std::string& last = feed_.history().last(channel);
        if (last.empty())
            reply(c, 204, {}, {});
        else
            reply(c, 200, "application/json", QByteArray::fromStdString(last));
    } else if (path == "/api/readings.csv") {
        TimeMs since = 0;
        if (!parseSince(request.queryValue("since"), since)) {
            reply(c, 400, "text/plain; charset=utf-8", "Bad since\n");
            return;
        }
        reply(c, 200, "text/csv; charset=utf-8",
              QByteArray::fromStdString(feed_.csv(channel, since)));
    } else {
        c.filtered = filtered;
        c.channel = channel;
        startStream(c, request);
    }
}

void WebServer::startStream(Client& c, const HttpRequest& request) {
    if (streams_ >= kMaxStreams) {
        reply(c, 503, "text/plain; charset=utf-8", "Too many streams\n", "Retry-After: 10\r\n");
        return;
    }
    const ReadingHistory& history = feed_.history();
    // A client coming back names the last reading it has; a new one starts with the next.
    std::string last = request.field("last-event-id");
    if (last.empty())
        last = request.queryValue("lastEventId");
    std::uint64_t cursor = history.lastId();
    if (!last.empty()) {
        std::uint64_t id = 0;
        if (!parseUnsigned(last, id)) {
            reply(c, 400, "text/plain; charset=utf-8", "Bad Last-Event-ID\n");
            return;
        }
        cursor = std::min(id, history.lastId());
        // What is no longer kept cannot be sent: it goes on from the oldest kept.
        if (!history.keeps(cursor)) {
            const ReadingHistory::Entry* oldest = history.after(0);
            cursor = oldest ? oldest->id - 1 : history.lastId();
        }
    }
    c.stream = true;
    c.cursor = cursor;
    c.progressed = history.lastId();
    c.since = nowMs();
    c.socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBuffer);
    ++streams_;
    c.socket->write("HTTP/1.1 200 OK\r\n"
                    "Content-Type: text/event-stream; charset=utf-8\r\n"
                    "Cache-Control: no-store\r\n"
                    "X-Content-Type-Options: nosniff\r\n"
                    "X-Accel-Buffering: no\r\n"
                    "Connection: keep-alive\r\n"
                    "\r\n"
                    "retry: 2000\n\n");
    emit streamsChanged();
    if (!pump(c))
        drop(c);
}

bool WebServer::pump(Client& c) {
    const ReadingHistory& history = feed_.history();
    // False when it fell so far behind that readings it has not had are gone.
    if (!history.keeps(c.cursor))
        return false;
    QByteArray chunk;
    char id[24];
    while (c.socket->bytesToWrite() + chunk.size() < kSocketLimit) {
        const ReadingHistory::Entry* e = history.after(c.cursor);
        if (!e)
            break;
        c.cursor = e->id;
        if (c.filtered && e->channel != c.channel)
            continue;
        const auto res = std::to_chars(id, id + sizeof id, e->id);
        chunk += "id: ";
        chunk.append(id, res.ptr - id);
        chunk += "\ndata: ";
        chunk.append(e->json.data(), static_cast<qsizetype>(e->json.size()));
        chunk += "\n\n";
    }
    if (chunk.isEmpty())
        return true;
    c.socket->write(chunk);
    // Into the kernel now, as far as it takes it, not on the event loop's next round.
    c.socket->flush();
    c.since = nowMs();
    return true;
}

void WebServer::pumpAll() {
    const std::uint64_t newest = feed_.history().lastId();
    // Dropping changes the list: the clients to drop are gathered first.
    std::vector<Client*> slow;
    for (auto& c : clients_) {
        if (!c->stream)
            continue;
        // Room in its socket: it took what it had, however much has come since.
        if (c->socket->bytesToWrite() < kSocketLimit)
            c->progressed = newest;
        if (!pump(*c))
            slow.push_back(c.get());
        else if (c->cursor < newest && c->socket->bytesToWrite() >= kSocketLimit &&
                 newest - c->progressed > static_cast<std::uint64_t>(kQueue))
            slow.push_back(c.get());
    }
    for (Client* c : slow)
        drop(*c);
}

void WebServer::drop(Client& c) {
    if (!c.stream)
        return;
    ++dropped_;
    QTcpSocket* socket = c.socket;
    // abort() tells disconnected, which forgets the client and counts the stream off.
    socket->abort();
    emit streamsChanged();
}

void WebServer::sweep() {
    const qint64 now = nowMs();
    std::vector<Client*> late;
    for (auto& c : clients_) {
        if (c->stream) {
            if (now - c->since >= kKeepAliveMs && c->socket->bytesToWrite() < kSocketLimit) {
                c->socket->write(":\n\n");
                c->since = now;
            }
        } else if (!c->answered && now - c->since >= kRequestMs) {
            late.push_back(c.get());
        }
    }
    for (Client* c : late) {
        --pending_;
        reply(*c, 408, "text/plain; charset=utf-8", "Request timeout\n");
    }
}

void WebServer::reply(Client& c, int status, const QByteArray& type, const QByteArray& body,
                      const QByteArray& extraHeaders) {
    c.answered = true;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    if (!type.isEmpty())
        head += "Content-Type: " + type + "\r\n";
    if (status != 204)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Cache-Control: no-store\r\n"
            "X-Content-Type-Options: nosniff\r\n"
            "Referrer-Policy: no-referrer\r\n"
            "Content-Security-Policy: default-src 'self'; img-src 'self' data:\r\n"
            "Connection: close\r\n";
    head += extraHeaders;
    head += "\r\n";
    c.socket->write(head);
    if (status != 204)
        c.socket->write(body);
    // Closed once what is written has gone out.
    c.socket->disconnectFromHost();
}

} // namespace kv
