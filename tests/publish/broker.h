#pragma once

// A Mosquitto broker of the test's own on 127.0.0.1, and a subscriber that records what
// arrives.
#include <mosquitto.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kv::test {

// A private folder, removed afterwards.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/kv27500-mqtt-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A port nobody listens on just now.
inline int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    close(s);
    return ntohs(a.sin_port);
}

inline bool accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

// The Debian broker binary with a configuration file of its own: a plain listener on
// port(), and whatever `extra` adds (a password file, a TLS listener). Sessions and
// retained messages persist across stop() and start().
class Broker {
public:
    explicit Broker(const std::string& extra = {}, bool startNow = true)
        : extra_(extra), port_(freePort()) {
        writeConfiguration();
        if (startNow)
            start();
    }
    ~Broker() { stop(); }

    int port() const { return port_; }
    bool running() const { return pid_ > 0; }
    const Folder& folder() const { return folder_; }

    void start() {
        // Another test may take the free port first; then this broker ends at once and
        // begins again on another (only before any client knows the port).
        for (int attempt = 0; attempt < 5; ++attempt) {
            launch();
            if (pid_ > 0 || started_) {
                started_ = true;
                return;
            }
            port_ = freePort();
            writeConfiguration();
        }
    }
    void stop() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    void writeConfiguration() {
        std::ofstream(folder_ / "broker.conf")
            << "user root\n" // stays who it is when the tests run as root
            << "persistence true\npersistence_location " << (folder_ / "") << "\n"
            << "log_dest file " << (folder_ / "broker.log") << "\n"
            << "max_queued_messages 0\n"
            << "listener " << port_ << " 127.0.0.1\n"
            << (extra_.find("password_file") == std::string::npos ? "allow_anonymous true\n" : "")
            << extra_;
    }

    void launch() {
        pid_ = fork();
        if (pid_ == 0) {
            // Its warnings (running as root) go to its log, not into the test's output.
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl("/usr/sbin/mosquitto", "mosquitto", "-c", (folder_ / "broker.conf").c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!accepts(port_) && std::chrono::steady_clock::now() < end) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1; // it could not listen
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    Folder folder_;
    std::string extra_;
    int port_;
    bool started_ = false;
    pid_t pid_ = -1;
};

struct Message {
    std::string topic;
    std::string payload;
    bool retained = false; // a retained message replayed on subscribing
};

// Subscribes to PREFIX/# with QoS 1 in a session the broker keeps, so that nothing is
// missed while it reconnects after a broker restart.
class Subscriber {
public:
    Subscriber(int port, const std::string& filter, const std::string& id = "kv-test-sub",
               const std::string& user = {}, const std::string& password = {})
        : filter_(filter) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(id.c_str(), false, this);
        if (!user.empty())
            mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            static_cast<Subscriber*>(self)->subscribed_ = true;
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* s = static_cast<Subscriber*>(self);
                std::lock_guard<std::mutex> lock(s->mutex_);
                s->messages_.push_back({m->topic,
                                        std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                                        m->retain});
            });
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_async(mosq_, "127.0.0.1", port, 20);
        mosquitto_loop_start(mosq_);
    }
    ~Subscriber() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }

    bool subscribed() const { return subscribed_; }
    // The payloads that arrived live (not replayed) on `topic`, in their order.
    std::vector<std::string> live(const std::string& topic) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const Message& m : messages_)
            if (m.topic == topic && !m.retained)
                out.push_back(m.payload);
        return out;
    }
    std::vector<Message> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    mosquitto* mosq_;
    std::string filter_;
    std::atomic<bool> subscribed_{false};
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

} // namespace kv::test
