// A small publishing program for the tests that need a process of their own: publishes one
// reading to the URL in argv[1] (the CA file in argv[2], if given; the password from
// KV_MQTT_PASSWORD, as the program takes it), writes each status to stderr and
// "published" to stdout once the broker has everything, and then keeps running.
#include "publish/mqtt_publisher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    std::string error;
    const auto url = kv::parseMqttUrl(argv[1], error);
    if (!url) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    kv::MqttPublisher::Options options;
    options.url = *url;
    if (const char* password = std::getenv("KV_MQTT_PASSWORD"))
        options.password = password;
    if (argc > 2)
        options.caFile = argv[2];
    kv::MqttPublisher publisher(options);
    QObject::connect(&publisher, &kv::MqttPublisher::statusChanged, [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::fflush(stderr);
    });
    publisher.start();
    kv::Reading reading;
    reading.time = QDateTime::currentMSecsSinceEpoch();
    reading.value = 1.5f;
    reading.unit = "V-DC";
    reading.function = 240;
    reading.range = 136;
    publisher.publish(reading);
    QTimer poll;
    bool told = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!told && publisher.idle()) {
            told = true;
            std::printf("published\n");
            std::fflush(stdout);
        }
    });
    poll.start(10);
    return app.exec();
}
