// The built program serving its readings over HTTP, and plain sockets to ask it: what a
// browser, curl or a script on another machine sees. CTest names the program in $KV27500.
#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kv::test {

inline bool waitFor(const std::function<bool()>& done, int ms = 20000) {
    for (int i = 0; i < ms / 20; ++i) {
        if (done())
            return true;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return done();
}

inline qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// A TCP connection of the test's own to `host`:`port`; `receiveBuffer` > 0 makes the
// kernel's buffer that small, for a client that reads little.
class Connection {
public:
    Connection(const std::string& host, int port, int receiveBuffer = 0) {
        fd_ = ::socket(host.find(':') == std::string::npos ? AF_INET : AF_INET6, SOCK_STREAM, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_storage addr{};
        socklen_t len = 0;
        if (host.find(':') == std::string::npos) {
            auto* a = reinterpret_cast<sockaddr_in*>(&addr);
            a->sin_family = AF_INET;
            a->sin_port = htons(static_cast<uint16_t>(port));
            ::inet_pton(AF_INET, host.c_str(), &a->sin_addr);
            len = sizeof *a;
        } else {
            auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
            a->sin6_family = AF_INET6;
            a->sin6_port = htons(static_cast<uint16_t>(port));
            ::inet_pton(AF_INET6, host.c_str(), &a->sin6_addr);
            len = sizeof *a;
        }
        ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), len) == 0;
    }
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return ok_; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Reads what comes within `ms` into received(); false once the peer has closed (or
    // reset) the connection.
    bool read(int ms) {
        const qint64 end = nowMs() + ms;
        for (;;) {
            const qint64 left = std::max<qint64>(0, end - nowMs());
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                return true;
            char buf[16384];
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return false;
            received_.append(buf, static_cast<std::size_t>(n));
        }
    }
    // Reads until the peer closes, at most `ms`.
    std::string readAll(int ms = 10000) {
        const qint64 end = nowMs() + ms;
        while (nowMs() < end && read(50)) {
        }
        return received_;
    }
    std::string& received() { return received_; }

private:
    int fd_ = -1;
    bool ok_ = false;
    std::string received_;
};

struct Response {
    int status = 0;
    std::string head;
    std::string body;
};

inline Response parseResponse(const std::string& raw) {
    Response r;
    const std::size_t end = raw.find("\r\n\r\n");
    r.head = raw.substr(0, end);
    r.body = end == std::string::npos ? std::string() : raw.substr(end + 4);
    if (raw.compare(0, 9, "HTTP/1.1 ") == 0)
        r.status = std::atoi(raw.c_str() + 9);
    return r;
}

// One whole request as written; the reply as the server closes it.
inline Response exchange(const std::string& host, int port, const std::string& request) {
    Connection c(host, port);
    if (!c.ok() || !c.send(request))
        return {};
    return parseResponse(c.readAll());
}

inline Response get(int port, const std::string& target, const std::string& fields = {},
                    const std::string& host = "127.0.0.1") {
    return exchange(host, port, "GET " + target + " HTTP/1.1\r\nHost: x\r\n" + fields + "\r\n");
}

// The events of a stream: each "id: N" with its "data: JSON".
struct Event {
    std::uint64_t id = 0;
    std::string data;
};

inline std::vector<Event> events(const std::string& stream) {
    std::vector<Event> out;
    std::size_t at = stream.find("\r\n\r\n");
    at = at == std::string::npos ? 0 : at + 4;
    Event e;
    bool any = false;
    while (at < stream.size()) {
        const std::size_t eol = stream.find('\n', at);
        if (eol == std::string::npos)
            break; // a line not complete yet
        const std::string line = stream.substr(at, eol - at);
        at = eol + 1;
        if (line.rfind("id: ", 0) == 0) {
            e.id = std::stoull(line.substr(4));
            any = true;
        } else if (line.rfind("data: ", 0) == 0) {
            e.data = line.substr(6);
            any = true;
        } else if (line.empty() && any) {
            out.push_back(e);
            e = Event();
            any = false;
        }
    }
    return out;
}

// The program in a folder of its own, offscreen, in English with a point for decimals.
class ServedProgram : public ::testing::Test {
protected:
    ServedProgram() {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            env.remove(v);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LANGUAGE", "en");
        env.insert("LC_ALL", "C.UTF-8");
        env.insert("TZ", "Europe/Berlin");
        QDir(dir.path()).mkpath("tmp");
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    }
    ~ServedProgram() override {
        if (program_.state() != QProcess::NotRunning) {
            program_.terminate();
            if (!program_.waitForFinished(10000))
                program_.kill();
            program_.waitForFinished(5000);
        }
    }

    QString write(const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    }
    // Starts the program with `args` and waits for its line telling where to look; the
    // port it names, or 0 when it said none (err() then holds what it said).
    int serve(const QStringList& args) {
        program_.setProcessEnvironment(env);
        program_.start(qEnvironmentVariable("KV27500"), args);
        if (!program_.waitForStarted()) {
            err_ = program_.errorString();
            return 0;
        }
        static const QRegularExpression shownAt("shown at http://[^ ]*:(\\d+)/");
        int port = 0;
        waitFor([&] {
            program_.waitForReadyRead(50);
            err_ += QString::fromLocal8Bit(program_.readAllStandardError());
            const auto m = shownAt.match(err_);
            port = m.hasMatch() ? m.captured(1).toInt() : 0;
            return port != 0 || program_.state() == QProcess::NotRunning;
        });
        if (port == 0)
            err_ += QStringLiteral("[status %1, error %2] ")
                        .arg(program_.exitCode())
                        .arg(program_.error());
        return port;
    }
    // Runs the program to its end: the exit status (-1 for a crash or a hang).
    int run(const QStringList& args, int ms = 30000) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("KV27500"), args);
        const bool done = p.waitForFinished(ms);
        p.kill();
        err_ = QString::fromLocal8Bit(p.readAllStandardError());
        return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    const QString& err() const { return err_; }
    qint64 pid() const { return program_.processId(); }
    QProcess& process() { return program_; }

    // The data lines of the CSV log at `path`, header left out.
    QStringList logRows(const QString& path) const {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList rows = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        if (!rows.isEmpty())
            rows.removeFirst();
        return rows;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

private:
    QProcess program_;
    QString err_;
};

// A script of `count` readings 01.000, 01.001, ... of the same function and range, each
// `repeat` polls long.
inline QByteArray rampScript(int count, int repeat = 1, int first = 1000) {
    QByteArray s;
    for (int i = 0; i < count; ++i)
        for (int r = 0; r < repeat; ++r)
            s += "240 136 " + QByteArray::number(first + i).rightJustified(5, '0') + "\n";
    return s;
}

} // namespace kv::test
