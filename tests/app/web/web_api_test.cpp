// The program's HTTP interface as a script or curl sees it: what it serves set against the
// CSV log of the same run, what it refuses, and who it asks for a token.
#include "tests/app/web/served_program.h"

#include <QNetworkInterface>
#include <QTcpServer>
#include <QUrl>

namespace {

using namespace kv::test;

// A CSV row of the log as the JSON a broker gets.
std::string jsonOfRow(const QString& row) {
    const QStringList c = row.split(',');
    auto orNull = [](const QString& s) { return s.isEmpty() ? QString("null") : s; };
    return QString(R"({"time":"%1","value":%2,"unit":"%3","status":"%4","function":%5,"range":%6})")
        .arg(c[0], orNull(c[2]), c[3], c[4], orNull(c[5]), orNull(c[6]))
        .toStdString();
}

QString readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

TEST_F(ServedProgram, TheNewestReadingAndTheRecordAreTheLogsRows) {
    const QString script = write("s.sim", rampScript(30));
    const QString log = dir.filePath("log.csv");
    const int port = serve({"--simulate", script, "--autostart", "--log", log, "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    EXPECT_TRUE(err().contains("shown at http://127.0.0.1:")) << err().toStdString();
    // The script ends: the silence's gap row closes the log.
    ASSERT_TRUE(waitFor([&] { return readFile(log).contains(",gap,"); }))
        << readFile(log).toStdString();
    const QStringList rows = logRows(log);
    ASSERT_EQ(rows.size(), 31);

    const Response all = get(port, "/api/readings.csv");
    EXPECT_EQ(all.status, 200);
    EXPECT_NE(all.head.find("Content-Type: text/csv"), std::string::npos);
    EXPECT_EQ(all.body, readFile(log).toStdString());

    // From a row's own time on, given as the log writes it or in milliseconds.
    const QString tenth = rows[10].section(',', 0, 0);
    QString tail = "time,elapsed_s,value,unit,status,function,range\n";
    for (int i = 10; i < rows.size(); ++i)
        tail += rows[i] + "\n";
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(tenth));
    EXPECT_EQ(get(port, "/api/readings.csv?since=" + encoded.toStdString()).body,
              tail.toStdString());
    const qint64 ms = QDateTime::fromString(tenth, Qt::ISODateWithMs).toMSecsSinceEpoch();
    EXPECT_EQ(get(port, "/api/readings.csv?since=" + std::to_string(ms)).body, tail.toStdString());
    EXPECT_EQ(get(port, "/api/readings.csv?since=" + std::to_string(ms + 1))
                  .body.find(rows[10].toStdString()),
              std::string::npos);
    EXPECT_EQ(get(port, "/api/readings.csv?since=yesterday").status, 400);

    const Response last = get(port, "/api/last");
    EXPECT_EQ(last.status, 200);
    EXPECT_EQ(last.body, jsonOfRow(rows.back()));
    EXPECT_NE(last.body.find("\"status\":\"gap\""), std::string::npos);
    // One channel: naming no channel or the empty name is the same; another is none.
    EXPECT_EQ(get(port, "/api/last?channel=").body, last.body);
    EXPECT_EQ(get(port, "/api/last?channel=B").status, 404);

    const Response state = get(port, "/api/state");
    EXPECT_EQ(state.status, 200);
    EXPECT_NE(state.body.find("\"digits\":\"01.029\""), std::string::npos) << state.body;
    EXPECT_NE(state.body.find("No reply from the meter since"), std::string::npos) << state.body;
    EXPECT_NE(state.body.find("\"silent\":true"), std::string::npos) << state.body;
}

TEST_F(ServedProgram, WhatItDoesNotServeGetsNothingOfTheReadings) {
    const QString script = write("s.sim", rampScript(600));
    const int port = serve({"--simulate", script, "--autostart", "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    ASSERT_TRUE(waitFor([&] { return get(port, "/api/last").status == 200; }));

    struct Case {
        std::string request;
        int status;
    };
    const std::string big(9000, 'a');
    const std::vector<Case> cases = {
        {"GET /nope HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET /api HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET /api/last/../state HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"POST /api/last HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405},
        {"HEAD /api/last HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"DELETE / HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"PUT /api/stream HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"GARBAGE\r\n\r\n", 400},
        {"GET /api/last HTTP/1.1\r\n\r\n", 400},             // no Host
        {"GET /api/last HTTP/2.0\r\nHost: x\r\n\r\n", 400},  // no such version
        {"GET  /api/last HTTP/1.1\r\nHost: x\r\n\r\n", 400}, // two spaces
        {"GET api/last HTTP/1.1\r\nHost: x\r\n\r\n", 400},   // not a path
        {"GET /api/last HTTP/1.1\r\nHost: x\r\nBad Name: 1\r\n\r\n", 400},
        {"GET /api/last HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\n\r\nabcd", 400},
        {"GET /api/last HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", 400},
        {"GET /api/last?channel=%zz HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"GET /api/last?channel=%00 HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"GET /api/last HTTP/1.1\r\nHost: x\r\nX: " + big + "\r\n\r\n", 400},
        {"GET /" + big + " HTTP/1.1\r\n", 400}, // too long before its end
        {"GET /api/last HTTP/1.1\r\nHost: x\r\nHost: y\r\n\r\n", 400},
        {"GET /api/last HTTP/1.1\r\nHost: x\r\n\r\nGET /api/last HTTP/1.1\r\nHost: x\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        const Response r = exchange("127.0.0.1", port, c.request);
        EXPECT_EQ(r.status, c.status) << c.request.substr(0, 80);
        EXPECT_EQ(r.body.find("V-DC"), std::string::npos) << c.request.substr(0, 80);
    }
    // A request that never ends is given up after a while; the server goes on.
    Connection slow("127.0.0.1", port);
    ASSERT_TRUE(slow.send("GET /api/last HTTP/1.1\r\n"));
    const Response late = parseResponse(slow.readAll(15000));
    EXPECT_EQ(late.status, 408);
    EXPECT_EQ(get(port, "/api/last").status, 200);
    // The page and its parts are there, and nothing of them comes from elsewhere.
    const Response page = get(port, "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.head.find("text/html"), std::string::npos);
    EXPECT_EQ(page.body.find("http"), std::string::npos);
    for (const char* part : {"/page.js", "/page.css"}) {
        const Response r = get(port, part);
        EXPECT_EQ(r.status, 200) << part;
        EXPECT_EQ(r.body.find("http://"), std::string::npos) << part;
        EXPECT_EQ(r.body.find("https://"), std::string::npos) << part;
    }
}

TEST_F(ServedProgram, AStreamGivesEachReadingOnceInOrderAndWhatWasMissedAgain) {
    const QString script = write("s.sim", rampScript(120));
    const QString log = dir.filePath("log.csv");
    const int port = serve({"--simulate", script, "--autostart", "--log", log, "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    Connection stream("127.0.0.1", port);
    ASSERT_TRUE(
        stream.send("GET /api/stream HTTP/1.1\r\nHost: x\r\nAccept: text/event-stream\r\n\r\n"));
    // Each event with the time it arrived.
    std::vector<std::pair<Event, qint64>> got;
    std::size_t seen = 0;
    const qint64 end = nowMs() + 30000;
    while (got.size() < 60 && nowMs() < end) {
        ASSERT_TRUE(stream.read(5));
        const std::vector<Event> now = events(stream.received());
        for (; seen < now.size(); ++seen)
            got.emplace_back(now[seen], nowMs());
    }
    const Response head = parseResponse(stream.received());
    EXPECT_EQ(head.status, 200);
    EXPECT_NE(head.head.find("Content-Type: text/event-stream"), std::string::npos);
    ASSERT_GE(got.size(), 60u);
    stream.close();

    ASSERT_TRUE(waitFor([&] { return logRows(log).size() >= 62; }));
    const QStringList rows = logRows(log);
    // The readings in the order the log has them, none twice, none left out, numbered one
    // by one, each within a fifth of a second of its poll.
    const std::string first = got.front().first.data;
    int at = -1;
    for (int i = 0; i < rows.size(); ++i)
        if (jsonOfRow(rows[i]) == first)
            at = i;
    ASSERT_GE(at, 0) << first;
    qint64 slowest = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_LT(at + static_cast<int>(i), rows.size());
        EXPECT_EQ(got[i].first.data, jsonOfRow(rows[at + static_cast<int>(i)])) << i;
        EXPECT_EQ(got[i].first.id, got.front().first.id + i);
        const qint64 polled =
            QDateTime::fromString(QString::fromStdString(got[i].first.data.substr(9, 29)),
                                  Qt::ISODateWithMs)
                .toMSecsSinceEpoch();
        slowest = std::max(slowest, got[i].second - polled);
    }
    EXPECT_LT(slowest, 200);

    // Back with the last one it had: what came since, from the one after it.
    const std::uint64_t had = got[10].first.id;
    Connection again("127.0.0.1", port);
    ASSERT_TRUE(again.send("GET /api/stream HTTP/1.1\r\nHost: x\r\nLast-Event-ID: " +
                           std::to_string(had) + "\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] {
        again.read(20);
        return events(again.received()).size() >= 40;
    }));
    const std::vector<Event> missed = events(again.received());
    for (std::size_t i = 0; i + 11 < got.size() && i < missed.size(); ++i) {
        EXPECT_EQ(missed[i].id, had + 1 + i);
        EXPECT_EQ(missed[i].data, got[i + 11].first.data);
    }
    EXPECT_EQ(get(port, "/api/stream", "Last-Event-ID: x1\r\n").status, 400);
}

TEST_F(ServedProgram, AtMostThirtyTwoStreamsAtOnce) {
    const QString script = write("s.sim", rampScript(600));
    const int port = serve({"--simulate", script, "--autostart", "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    std::vector<std::unique_ptr<Connection>> streams;
    for (int i = 0; i < 32; ++i) {
        streams.push_back(std::make_unique<Connection>("127.0.0.1", port));
        ASSERT_TRUE(streams.back()->send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
        ASSERT_TRUE(waitFor([&] {
            streams.back()->read(10);
            return streams.back()->received().find("\r\n\r\n") != std::string::npos;
        }));
        ASSERT_EQ(parseResponse(streams.back()->received()).status, 200) << i;
    }
    EXPECT_EQ(get(port, "/api/stream").status, 503);
    // Other requests are still answered.
    EXPECT_EQ(get(port, "/api/state").status, 200);
    streams.front()->close();
    EXPECT_TRUE(waitFor([&] {
        Connection c("127.0.0.1", port);
        c.send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n");
        c.read(300);
        return parseResponse(c.received()).status == 200;
    }));
}

// An IPv4 address of this machine that is not a loopback one; empty where there is none.
QString otherAddress() {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
    return {};
}

TEST_F(ServedProgram, AnotherAddressAsksForTheToken) {
    const QString address = otherAddress();
    if (address.isEmpty())
        GTEST_SKIP() << "no address but loopback here";
    const QString token = write("token", "s3cr3t-token\nsecond line\n");
    const QString script = write("s.sim", rampScript(600));
    const int port = serve({"--simulate", script, "--autostart", "--http", address + ":0",
                            "--http-token-file", token});
    ASSERT_NE(port, 0) << err().toStdString();
    EXPECT_TRUE(err().contains("(a token is required)")) << err().toStdString();
    const std::string host = address.toStdString();
    ASSERT_TRUE(waitFor([&] {
        return get(port, "/api/last", "Authorization: Bearer s3cr3t-token\r\n", host).status == 200;
    }));
    for (const std::string target :
         {"/api/last", "/api/state", "/api/readings.csv", "/api/stream"}) {
        EXPECT_EQ(get(port, target, {}, host).status, 401) << target;
        EXPECT_EQ(get(port, target, "Authorization: Bearer s3cr3t-toke\r\n", host).status, 401);
        EXPECT_EQ(get(port, target, "Authorization: Bearer s3cr3t-token2\r\n", host).status, 401);
        EXPECT_EQ(get(port, target, "Authorization: Basic s3cr3t-token\r\n", host).status, 401);
        EXPECT_EQ(get(port, target + "?token=second%20line", {}, host).status, 401);
        EXPECT_EQ(get(port, target + "?token=", {}, host).status, 401);
        EXPECT_EQ(get(port, target + "?token=s3cr3t-token", {}, host).status, 200) << target;
    }
    EXPECT_EQ(get(port, "/api/state", "Authorization: Bearer s3cr3t-token\r\n", host).status, 200);
    // The page asks for the token itself.
    EXPECT_EQ(get(port, "/", {}, host).status, 200);
}

TEST_F(ServedProgram, WrongServingIsOneLineAndStatusTwoWithNothingStarted) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString inUse = QString::number(taken.serverPort());
    const QString empty = write("empty", "\n");
    const QString script = write("s.sim", rampScript(10));
    std::vector<QStringList> wrong = {
        {"--http", "70000"},
        {"--http", "http"},
        {"--http", "-1"},
        {"--http", "127.0.0.1:"},
        {"--http", "[::1]8080"},
        {"--http", "8.8.8.8:8080"},
        {"--http", "no.such.host:8080"},
        {"--http", inUse},
        {"--http", "127.0.0.1:" + inUse},
        {"--http", "0", "--http-token-file", dir.filePath("missing")},
        {"--http", "0", "--http-token-file", empty},
    };
    if (!otherAddress().isEmpty())
        wrong.push_back({"--http", otherAddress() + ":0"});
    for (const bool window : {true, false}) {
        for (const QStringList& args : wrong) {
            const QString log = dir.filePath("never.csv");
            QStringList all = args;
            all << "--simulate" << script << "--log" << log;
            if (window)
                all << "--autostart";
            else
                all << "--no-window";
            EXPECT_EQ(run(all), 2) << args.join(' ').toStdString() << "\n" << err().toStdString();
            EXPECT_EQ(err().count('\n'), 1) << err().toStdString();
            EXPECT_TRUE(err().startsWith("kv27500: ")) << err().toStdString();
            EXPECT_FALSE(QFile::exists(log)) << args.join(' ').toStdString();
        }
    }
    EXPECT_EQ(run({"--http-token-file", empty, "--simulate"}), 2);
}

TEST_F(ServedProgram, SeveralChannelsEachByName) {
    const QString a = write("a.sim", rampScript(600, 1, 1000));
    const QString b = write("b.sim", rampScript(600, 1, 5000));
    const int port = serve({"--meter", "V=sim:" + a, "--meter", "I=sim:" + b, "--derive", "P=V*I",
                            "--autostart", "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    ASSERT_TRUE(waitFor([&] { return get(port, "/api/last?channel=P").status == 200; }));
    const Response v = get(port, "/api/last?channel=V");
    const Response i = get(port, "/api/last?channel=I");
    EXPECT_NE(v.body.find("\"channel\":\"V\""), std::string::npos) << v.body;
    EXPECT_NE(i.body.find("\"channel\":\"I\""), std::string::npos) << i.body;
    EXPECT_NE(i.body.find("\"value\":5"), std::string::npos) << i.body;
    EXPECT_EQ(get(port, "/api/last?channel=W").status, 404);
    const Response state = get(port, "/api/state");
    for (const char* name : {"\"name\":\"V\"", "\"name\":\"I\"", "\"name\":\"P\""})
        EXPECT_NE(state.body.find(name), std::string::npos) << state.body;
    // A stream of one channel has its readings alone.
    Connection one("127.0.0.1", port);
    one.send("GET /api/stream?channel=I HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_TRUE(waitFor([&] {
        one.read(20);
        return events(one.received()).size() >= 10;
    }));
    for (const Event& e : events(one.received()))
        EXPECT_NE(e.data.find("\"channel\":\"I\""), std::string::npos) << e.data;
}

} // namespace
