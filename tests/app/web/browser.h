// A headless Chromium of the test's own, on 127.0.0.1 with a free port, driven through its
// DevTools protocol: it opens a page, and the test asks the page's JavaScript for what it
// shows.
#pragma once

#include "tests/app/web/served_program.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QWebSocket>
#include <csignal>
#include <sys/prctl.h>

namespace kv::test {

class Browser {
public:
    // Chromium's path; empty where there is none.
    static QString program() {
        for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
            const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!found.isEmpty())
                return found;
        }
        return {};
    }

    // Opens `url` in a window of a phone's size, in `language` ("en", "de").
    Browser(const QString& url, const QString& profile, const QString& language = "en") {
        QDir().mkpath(profile);
        // A group of its own, ended as a whole at the end; and gone with the test should the
        // test be killed.
        process_.setChildProcessModifier([] {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LANGUAGE", language);
        env.insert("LANG", language == "de" ? "de_DE.UTF-8" : "en_US.UTF-8");
        process_.setProcessEnvironment(env);
        process_.start(
            program(),
            {"--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
             "--no-first-run", "--no-default-browser-check", "--remote-debugging-address=127.0.0.1",
             "--remote-debugging-port=0", "--remote-allow-origins=*", "--user-data-dir=" + profile,
             "--lang=" + language, "--accept-lang=" + language, "--window-size=390,844", url});
        if (!process_.waitForStarted())
            return;
        // Chromium names the port it took in its profile.
        int port = 0;
        waitFor([&] {
            QFile f(profile + "/DevToolsActivePort");
            if (f.open(QIODevice::ReadOnly))
                port = f.readLine().trimmed().toInt();
            return port != 0;
        });
        if (port == 0)
            return;
        QString socketUrl;
        waitFor([&] {
            // DevTools answers a Host of an address alone, and names it in its addresses.
            const Response list =
                exchange("127.0.0.1", port,
                         "GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                             "\r\nConnection: close\r\n\r\n");
            const QJsonArray pages =
                QJsonDocument::fromJson(QByteArray::fromStdString(list.body)).array();
            for (const QJsonValue& p : pages)
                if (p.toObject().value("type").toString() == "page")
                    socketUrl = p.toObject().value("webSocketDebuggerUrl").toString();
            return !socketUrl.isEmpty();
        });
        QObject::connect(&socket_, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { replies_.push_back(m); });
        socket_.open(QUrl(socketUrl));
        waitFor([&] { return socket_.state() == QAbstractSocket::ConnectedState; }, 10000);
    }
    ~Browser() {
        socket_.close();
        if (process_.state() != QProcess::NotRunning) {
            ::kill(-static_cast<pid_t>(process_.processId()), SIGKILL);
            process_.waitForFinished(5000);
        }
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    bool ready() const { return socket_.state() == QAbstractSocket::ConnectedState; }

    // The value of `expression` (a string) in the page; empty when it gave none in time.
    QString evaluate(const QString& expression) {
        const int id = ++lastId_;
        QJsonObject params{{"expression", expression}, {"returnByValue", true}};
        QJsonObject call{{"id", id}, {"method", "Runtime.evaluate"}, {"params", params}};
        socket_.sendTextMessage(
            QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
        QString value;
        waitFor(
            [&] {
                for (const QString& m : replies_) {
                    const QJsonObject o = QJsonDocument::fromJson(m.toUtf8()).object();
                    if (o.value("id").toInt() == id) {
                        value = o.value("result")
                                    .toObject()
                                    .value("result")
                                    .toObject()
                                    .value("value")
                                    .toString();
                        return true;
                    }
                }
                return false;
            },
            5000);
        replies_.clear();
        return value;
    }

private:
    QProcess process_;
    QWebSocket socket_;
    std::vector<QString> replies_;
    int lastId_ = 0;
};

} // namespace kv::test
