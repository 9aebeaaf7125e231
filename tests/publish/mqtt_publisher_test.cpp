#include "publish/mqtt_publisher.h"

#include "broker.h"
#include "support/wait.h"

#include "support/kept_reading.h"
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <thread>

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::Broker;
using test::Subscriber;

constexpr TimeMs kStart = 1796734987000;

MqttPublisher::Options options(int port, const std::string& prefix, bool tls = false) {
    MqttPublisher::Options o;
    o.url.host = "127.0.0.1";
    o.url.port = port;
    o.url.prefix = prefix;
    o.url.tls = tls;
    return o;
}

Reading reading(int i, Reading::Status status = Reading::Status::ok) {
    return test::keptReading(kStart + i * 100, status, status == Reading::Status::ok ? i * 0.5f : 0,
                             "V-DC", 240, 136);
}

// The values of the readings that arrived, in their order (-1 for one without a value).
std::vector<double> valuesOf(const std::vector<std::string>& payloads) {
    std::vector<double> out;
    for (const std::string& p : payloads)
        out.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(p))
                          .object()
                          .value("value")
                          .toDouble(-1));
    return out;
}

// The indices of the readings that arrived, as one line that shows a loss, a repeat or a
// swap at a glance.
std::string indices(const std::vector<double>& values) {
    std::string out;
    for (double v : values)
        out += std::to_string(static_cast<int>(v * 2)) + " ";
    return out;
}

// Whether readings 0 to count - 1 all arrived, each first arrival after the one before it.
// QoS 1 delivers at least once: a message the broker took but could not acknowledge before
// it went down comes again, and so may one it had sent on to the subscriber; such a repeat
// is of one of the last few before the restart, never of an older one.
testing::AssertionResult allInOrder(const std::vector<double>& values, int count) {
    int next = 0;
    int repeats = 0;
    for (double v : values) {
        const int i = static_cast<int>(v * 2);
        if (i == next)
            ++next;
        else if (i < next && i >= next - 40)
            ++repeats;
        else
            return testing::AssertionFailure()
                   << "reading " << i << " after " << next - 1 << " in " << indices(values);
    }
    if (next != count)
        return testing::AssertionFailure()
               << "only up to " << next - 1 << " in " << indices(values);
    return testing::AssertionSuccess() << repeats << " repeats";
}

std::vector<double> range(int from, int to) {
    std::vector<double> out;
    for (int i = from; i < to; ++i)
        out.push_back(i * 0.5);
    return out;
}

bool waitFor(const std::function<bool()>& done) {
    return test::runEventsUntil(done, 30s);
}

TEST(MqttPublisher, EveryReadingArrivesOnceInOrderAndTheStateFollowsThePoll) {
    Broker broker;
    Subscriber sub(broker.port(), "kv/bench/#");
    ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));
    std::vector<Reading> sent;
    {
        MqttPublisher publisher(options(broker.port(), "kv/bench"));
        publisher.start();
        for (int i = 0; i < 5; ++i)
            sent.push_back(reading(i));
        sent.push_back(reading(5, Reading::Status::overload));
        for (int i = 6; i < 9; ++i)
            sent.push_back(reading(i));
        sent.push_back(test::keptReading(kStart + 900, Reading::Status::gap, 0, "V-DC", 240, 136));
        for (int i = 10; i < 14; ++i)
            sent.push_back(reading(i));
        for (const Reading& r : sent)
            publisher.publish(r);
        publisher.stop();
        ASSERT_TRUE(waitFor([&] { return sub.live("kv/bench/state").size() == 6; }));
        EXPECT_EQ(publisher.statusText(), "MQTT: publishing to 127.0.0.1 as kv/bench");
    }
    ASSERT_TRUE(waitFor([&] { return sub.live("kv/bench/state").size() == 7; }));
    EXPECT_EQ(sub.live("kv/bench/state"),
              (std::vector<std::string>{"online", "overload", "online", "silent", "online",
                                        "stopped", "offline"}));

    const std::vector<std::string> got = sub.live("kv/bench/reading");
    ASSERT_EQ(got.size(), sent.size());
    const char* status[] = {"ok", "overload", "gap"};
    for (std::size_t i = 0; i < got.size(); ++i) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(got[i])).object();
        const Reading& r = sent[i];
        EXPECT_EQ(
            QDateTime::fromString(o["time"].toString(), Qt::ISODateWithMs).toMSecsSinceEpoch(),
            r.time)
            << got[i];
        EXPECT_EQ(o["status"].toString().toStdString(), status[static_cast<int>(r.status)]);
        if (r.status == Reading::Status::ok)
            EXPECT_EQ(o["value"].toDouble(), r.value) << got[i];
        else
            EXPECT_TRUE(o["value"].isNull()) << got[i];
        EXPECT_EQ(o["unit"].toString(), "V-DC");
        EXPECT_EQ(o["function"].toInt(), 240);
        EXPECT_EQ(o["range"].toInt(), 136);
    }

    // A dashboard that connects later sees the last reading and the state at once.
    Subscriber late(broker.port(), "kv/bench/#", "kv-test-late");
    ASSERT_TRUE(waitFor([&] { return late.all().size() >= 2; }));
    for (const test::Message& m : late.all()) {
        EXPECT_TRUE(m.retained) << m.topic;
        if (m.topic == "kv/bench/last")
            EXPECT_EQ(m.payload, got.back());
        else
            EXPECT_EQ(m.topic + "=" + m.payload, "kv/bench/state=offline");
    }
}

TEST(MqttPublisher, NothingIsLostOrReorderedWhileTheBrokerIsAway) {
    Broker broker;
    Subscriber sub(broker.port(), "kv/soak/#");
    ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));
    MqttPublisher publisher(options(broker.port(), "kv/soak"));
    std::vector<QString> shown;
    QObject::connect(&publisher, &MqttPublisher::statusChanged,
                     [&](const QString& text) { shown.push_back(text); });
    publisher.start();
    for (int i = 0; i < 200; ++i) {
        if (i == 60)
            broker.stop();
        if (i == 140) {
            EXPECT_GT(publisher.waiting(), 0u);
            broker.start();
        }
        publisher.publish(reading(i));
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(i < 60 ? 2 : 30));
    }
    ASSERT_TRUE(waitFor([&] {
        const std::vector<std::string> got = sub.live("kv/soak/reading");
        return !got.empty() && valuesOf({got.back()}) == range(199, 200);
    }));
    ASSERT_TRUE(waitFor([&] { return publisher.idle(); }));
    EXPECT_TRUE(allInOrder(valuesOf(sub.live("kv/soak/reading")), 200));
    EXPECT_EQ(publisher.dropped(), 0u);

    // Told once it was gone, with a count that grew while it was, and told when it was back.
    const QRegularExpression away(
        R"(^MQTT: 127\.0\.0\.1 unreachable since \d\d:\d\d:\d\d, (\d+) readings waiting$)");
    int highest = 0;
    for (const QString& text : shown)
        if (const auto m = away.match(text); m.hasMatch())
            highest = std::max(highest, m.captured(1).toInt());
    EXPECT_GE(highest, 50);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "MQTT: publishing to 127.0.0.1 as kv/soak");
}

TEST(MqttPublisher, BeyondTheBoundTheOldestReadingsAreDroppedAndCounted) {
    Broker broker;
    {
        // The broker keeps this session, so that it receives what comes while it is away.
        Subscriber sub(broker.port(), "kv/bound/#", "kv-test-bound");
        ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));
    }
    broker.stop();
    MqttPublisher::Options o = options(broker.port(), "kv/bound");
    o.queueLimit = 10;
    MqttPublisher publisher(o);
    publisher.start();
    for (int i = 0; i < 25; ++i)
        publisher.publish(reading(i));
    EXPECT_EQ(publisher.dropped(), 15u);
    EXPECT_EQ(publisher.waiting(), 10u);
    ASSERT_TRUE(waitFor([&] { return publisher.statusText().contains("unreachable"); }));
    EXPECT_TRUE(publisher.statusText().endsWith(", 10 readings waiting, the oldest 15 dropped"))
        << publisher.statusText().toStdString();

    broker.start();
    Subscriber sub(broker.port(), "kv/bound/#", "kv-test-bound");
    ASSERT_TRUE(waitFor([&] { return sub.live("kv/bound/reading").size() >= 10; }));
    ASSERT_TRUE(waitFor([&] { return publisher.idle(); }));
    EXPECT_EQ(valuesOf(sub.live("kv/bound/reading")), range(15, 25));
    // The state went with the oldest, yet the broker learns it before the readings.
    EXPECT_EQ(sub.live("kv/bound/state"), std::vector<std::string>{"online"});
}

// The child publisher: its stdout and stderr together once it has told `until` or ended.
struct Child {
    explicit Child(const QStringList& args, const QString& variable = {},
                   const QString& value = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!variable.isEmpty())
            env.insert(variable, value);
        process.setProcessEnvironment(env);
        process.start(KV_PUBLISH_CHILD, args);
    }
    ~Child() {
        process.kill();
        process.waitForFinished();
    }
    bool waitFor(const QString& text) {
        return test::runEventsUntil(
            [&] {
                process.waitForReadyRead(10);
                out += process.readAllStandardOutput();
                out += process.readAllStandardError();
                return out.contains(text.toUtf8());
            },
            30s);
    }
    QProcess process;
    QByteArray out;
};

QString url(int port, const char* prefix, const char* user = nullptr) {
    return "mqtt://" + (user ? QString(user) + "@" : QString()) +
           QString("127.0.0.1:%1/%2").arg(port).arg(prefix);
}

TEST(MqttPublisher, AKilledPublisherLeavesOfflineBehind) {
    Broker broker;
    Subscriber sub(broker.port(), "kv/killed/#");
    ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));
    Child child({url(broker.port(), "kv/killed")});
    ASSERT_TRUE(child.waitFor("published")) << child.out.toStdString();
    child.process.kill();
    ASSERT_TRUE(waitFor([&] { return sub.live("kv/killed/state").size() >= 2; }));
    EXPECT_EQ(sub.live("kv/killed/state"), (std::vector<std::string>{"online", "offline"}));
}

TEST(MqttPublisher, ABrokerWithAPasswordFileTakesTheRightPasswordOnlyAndNoneIsShown) {
    test::Folder folder;
    const std::string passwords = folder / "passwords";
    ASSERT_EQ(std::system(("mosquitto_passwd -c -b " + passwords + " meter Rt7-pass-word").c_str()),
              0);
    Broker broker("password_file " + passwords + "\n");
    Subscriber sub(broker.port(), "kv/pw/#", "kv-test-pw", "meter", "Rt7-pass-word");
    ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));

    Child right({url(broker.port(), "kv/pw", "meter")}, "KV_MQTT_PASSWORD", "Rt7-pass-word");
    ASSERT_TRUE(right.waitFor("published")) << right.out.toStdString();
    EXPECT_TRUE(waitFor([&] { return sub.live("kv/pw/reading").size() == 1; }));
    EXPECT_FALSE(right.out.contains("Rt7")) << right.out.toStdString();

    Child wrong({url(broker.port(), "kv/wrong", "meter")}, "KV_MQTT_PASSWORD", "Wr0ng-secret");
    EXPECT_TRUE(wrong.waitFor("MQTT: the broker refused the connection: not authorised\n"))
        << wrong.out.toStdString();
    EXPECT_TRUE(sub.live("kv/wrong/reading").empty());
    // A refusal is told only while the broker refuses.
    broker.stop();
    EXPECT_TRUE(wrong.waitFor("MQTT: 127.0.0.1 unreachable since ")) << wrong.out.toStdString();
    EXPECT_FALSE(wrong.out.contains("Wr0ng")) << wrong.out.toStdString();
}

// A certificate authority and two broker certificates signed by it, one for 127.0.0.1 and
// one for another host.
void makeCertificates(const test::Folder& f) {
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string quiet = " 2>/dev/null >/dev/null";
    ASSERT_EQ(std::system(("openssl req -x509" + key + " -days 2 -subj /CN=kv-test-ca -keyout " +
                           (f / "ca.key") + " -out " + (f / "ca.crt") + quiet)
                              .c_str()),
              0);
    for (const auto& [name, san] : {std::pair<std::string, std::string>{"good", "IP:127.0.0.1"},
                                    {"bad", "DNS:wrong.example"}}) {
        std::ofstream(f / (name + ".ext")) << "subjectAltName=" << san << "\n";
        ASSERT_EQ(std::system(("openssl req" + key + " -subj /CN=" + name + " -keyout " +
                               (f / (name + ".key")) + " -out " + (f / (name + ".csr")) + quiet)
                                  .c_str()),
                  0);
        ASSERT_EQ(std::system(("openssl x509 -req -days 2 -in " + (f / (name + ".csr")) + " -CA " +
                               (f / "ca.crt") + " -CAkey " + (f / "ca.key") +
                               " -CAcreateserial -extfile " + (f / (name + ".ext")) + " -out " +
                               (f / (name + ".crt")) + quiet)
                                  .c_str()),
                  0);
    }
}

TEST(MqttPublisher, TlsPublishesToACertifiedBrokerAndRefusesOneCertifiedForAnotherHost) {
    test::Folder f;
    makeCertificates(f);
    const int good = test::freePort();
    const int bad = test::freePort();
    std::string tls;
    for (const auto& [port, name] : {std::pair<int, std::string>{good, "good"}, {bad, "bad"}})
        tls += "listener " + std::to_string(port) + " 127.0.0.1\ncertfile " +
               (f / (name + ".crt")) + "\nkeyfile " + (f / (name + ".key")) + "\n";
    Broker broker(tls);
    Subscriber sub(broker.port(), "kv/tls/#");
    ASSERT_TRUE(waitFor([&] { return sub.subscribed(); }));

    MqttPublisher::Options o = options(good, "kv/tls/good", true);
    o.caFile = f / "ca.crt";
    MqttPublisher certified(o);
    certified.start();
    certified.publish(reading(1));

    o = options(bad, "kv/tls/bad", true);
    o.caFile = f / "ca.crt";
    MqttPublisher otherHost(o);
    otherHost.start();
    // Without the test's authority the system's store knows no one who signed the broker's.
    MqttPublisher unknownAuthority(options(good, "kv/tls/store", true));
    unknownAuthority.start();

    ASSERT_TRUE(waitFor([&] { return sub.live("kv/tls/good/reading").size() == 1; }));
    EXPECT_EQ(valuesOf(sub.live("kv/tls/good/reading")), range(1, 2));
    const QString refused = "MQTT: no secure connection to 127.0.0.1: its certificate was refused, "
                            "or it offers no TLS on port %1";
    EXPECT_TRUE(waitFor([&] { return otherHost.statusText() == refused.arg(bad); }))
        << otherHost.statusText().toStdString();
    EXPECT_TRUE(waitFor([&] { return unknownAuthority.statusText() == refused.arg(good); }))
        << unknownAuthority.statusText().toStdString();

    // The system's store is where OpenSSL's defaults point; here at the test's authority.
    Child system({"mqtts://127.0.0.1:" + QString::number(good) + "/kv/tls/system"}, "SSL_CERT_FILE",
                 QString::fromStdString(f / "ca.crt"));
    ASSERT_TRUE(system.waitFor("published")) << system.out.toStdString();
    for (const test::Message& m : sub.all())
        EXPECT_TRUE(m.topic.rfind("kv/tls/good/", 0) == 0 ||
                    m.topic.rfind("kv/tls/system/", 0) == 0)
            << m.topic;
}

} // namespace
} // namespace kv
