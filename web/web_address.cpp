#include "web/web_address.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkInterface>

namespace kv {

namespace {

bool onThisMachine(const QHostAddress& a) {
    if (a.isLoopback() || a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6 ||
        a == QHostAddress::Any)
        return true;
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    for (const QHostAddress& mine : own)
        if (mine.isEqual(a, QHostAddress::TolerantConversion))
            return true;
    return false;
}

} // namespace

std::optional<WebAddress> webAddress(const QString& given, const QString& tokenFile,
                                     QString& error) {
    WebAddress out;
    QString host, port = given;
    if (given.startsWith(QLatin1Char('['))) {
        const int close = given.indexOf(QLatin1String("]:"));
        if (close < 0) {
            error = QCoreApplication::translate(
                "kv::WebAddress",
                "--http wants [ADDRESS:]PORT, an IPv6 address in brackets: [::1]:8080");
            return std::nullopt;
        }
        host = given.mid(1, close - 1);
        port = given.mid(close + 2);
    } else if (const int colon = given.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = given.left(colon);
        port = given.mid(colon + 1);
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535 || port.startsWith(QLatin1Char('+'))) {
        error =
            QCoreApplication::translate("kv::WebAddress", "--http: \"%1\" is no port (0 to 65535)")
                .arg(port);
        return std::nullopt;
    }
    out.port = static_cast<quint16>(number);
    if (!host.isEmpty()) {
        if (host == QLatin1String("localhost"))
            host = QStringLiteral("127.0.0.1");
        if (!out.address.setAddress(host)) {
            error = QCoreApplication::translate("kv::WebAddress", "--http: \"%1\" is no address")
                        .arg(host);
            return std::nullopt;
        }
        if (!onThisMachine(out.address)) {
            error = QCoreApplication::translate("kv::WebAddress",
                                                "--http: %1 is not an address of this machine")
                        .arg(host);
            return std::nullopt;
        }
    }
    if (!tokenFile.isEmpty()) {
        QFile f(tokenFile);
        if (!f.open(QIODevice::ReadOnly)) {
            error = QCoreApplication::translate("kv::WebAddress",
                                                "--http-token-file: cannot read %1: %2")
                        .arg(tokenFile, f.errorString());
            return std::nullopt;
        }
        out.token = f.readLine(4096).trimmed();
        if (out.token.isEmpty()) {
            error = QCoreApplication::translate("kv::WebAddress",
                                                "--http-token-file: the first line of %1 is empty")
                        .arg(tokenFile);
            return std::nullopt;
        }
    } else if (!out.address.isLoopback()) {
        error = QCoreApplication::translate(
            "kv::WebAddress", "--http on an address other than 127.0.0.1 needs --http-token-file");
        return std::nullopt;
    }
    return out;
}

} // namespace kv
