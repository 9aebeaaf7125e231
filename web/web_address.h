#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <optional>

namespace kv {

// Where the page is served and what it asks for.
struct WebAddress {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0; // 0: any free port
    QByteArray token; // empty: none asked for
};

// The address of "[ADDRESS:]PORT" ("8080", "192.168.1.5:8080", "[::1]:8080"; 127.0.0.1
// without an address), with the token the first line of `tokenFile` holds. Nothing, with
// one sentence in `error`, when the port is no port, the address is not one of this
// machine's, or the token file cannot be read or has an empty first line. Any address but a
// loopback one needs a token: what is served there can be read by the whole network.
std::optional<WebAddress> webAddress(const QString& given, const QString& tokenFile,
                                     QString& error);

} // namespace kv
