#include "publish/mqtt_publisher.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kv {

namespace {
// Where a channel's topics begin.
std::string channelPrefix(const MqttPublisher::Options& options) {
    return options.channel.empty() ? options.url.prefix
                                   : options.url.prefix + '/' + options.channel;
}

// Messages handed to the library and not yet acknowledged; the library's own window.
constexpr int kWindow = 20;
constexpr int kLoopTimeoutMs = 250;
// A broker that comes back is found within the longest pause: readings wait meanwhile, and
// a run that ends before the next attempt would leave them all behind.
constexpr int kFirstRetryMs = 250;
constexpr int kLastRetryMs = 2000;
// A connection attempt that has not finished by then counts as unreachable, though the
// system may go on trying for two minutes.
constexpr TimeMs kStalledConnectMs = 5000;
// One that has not finished by then is given up and made again: the library may wait for
// ever on a TLS handshake begun while the broker went down.
constexpr TimeMs kAbandonConnectMs = 2 * kStalledConnectMs;
// The messages of a lost connection normally come back acknowledged at once after the next
// connect; should the library never report some, new ones go out anyway after this.
constexpr TimeMs kResendMs = 10000;
constexpr int kDisconnectMs = 1000;

TimeMs nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

enum class Kind : std::uint8_t { reading, state, note };

// One waiting message. Readings share their unit and codes through a context table, so a
// waiting reading costs these sixteen bytes.
struct Entry {
    TimeMs time = 0;
    float value = 0;
    std::uint16_t context = 0;
    Kind kind = Kind::reading;
    std::uint8_t code = 0; // the Reading::Status of a reading, the State of a state message
};
static_assert(sizeof(Entry) == 16, "a waiting reading stays compact");

struct Context {
    std::string unit;
    std::uint8_t function = 0;
    std::uint8_t range = 0;
    bool hasCodes = false;
};

constexpr std::size_t kMaxContexts = 0xffff;

const char* stateWord(MqttPublisher::State state) {
    switch (state) {
    case MqttPublisher::State::online:
        return "online";
    case MqttPublisher::State::silent:
        return "silent";
    case MqttPublisher::State::overload:
        return "overload";
    case MqttPublisher::State::stopped:
        return "stopped";
    case MqttPublisher::State::offline:
        return "offline";
    }
    return "offline";
}

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

} // namespace

struct MqttPublisher::Link {
    using Phase = MqttPublisher::Connection;

    Link(Options o, MqttPublisher* publisher);
    ~Link();

    // All below with `mutex` held.
    void setState(State state);
    void enqueue(const Entry& entry);
    void enqueueReading(const Reading& reading);
    void pump();
    void send(const Entry& entry);
    void hand(const std::string& topic, const std::string& payload, bool retain, bool reading);
    std::size_t waitingLocked() const;
    // Waits up to `wait` for what waits to be acknowledged; without a connection, until an
    // attempt made at once has failed.
    void flush(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds wait);
    void notify();

    // The network thread.
    void run();
    // The broker's answer to the connection if it came in this loop, else -1.
    int afterLoop(TimeMs attemptStart);
    void lost(int rc, bool wasConnected, bool refused);
    void disconnect();

    // Acknowledgements, under ackMutex, which is taken last and never held across a call into
    // the library: the library calls onPublish holding its own locks.
    void track(int mid, bool reading);
    void forgetPending();
    void acknowledged(int mid);
    std::size_t inflight() const;
    std::size_t inflightReadings() const;

    static void onConnect(mosquitto*, void* link, int rc);
    static void onPublish(mosquitto*, void* link, int mid);
    static void onLog(mosquitto*, void* link, int level, const char* text);

    Options options;
    MqttPublisher* owner;
    std::string readingTopic, stateTopic, lastTopic, noteTopic;
    std::deque<std::string> noteTexts; // of the notes waiting, in order
    mosquitto* mosq = nullptr;

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Entry> queue;
    std::size_t readingsQueued = 0;
    std::vector<Context> contexts;
    std::unordered_map<std::string, std::uint16_t> contextIds;
    std::string key;     // reused for the context lookup
    std::string payload; // reused for the JSON
    std::uint64_t dropped = 0;
    bool hasState = false;
    State state = State::offline;
    bool hasHandedState = false;
    State handedState = State::offline;
    // The newest state message the bound dropped: the broker learns it before what follows.
    bool hasDroppedState = false;
    State droppedState = State::offline;
    bool connected = false;
    bool ready = false; // connected, and what the last connection left is acknowledged
    bool everReady = false;
    bool quit = false;
    bool retryNow = false;         // flush(): the next attempt goes without its pause
    std::uint64_t failedTries = 0; // connections lost or never made
    Phase phase = Phase::connecting;
    TimeMs downSince = 0;
    TimeMs connectedAt = 0;
    int refusedCode = 0;

    std::atomic<int> connack{-1};
    // The library reported a failed TLS handshake since the last connection attempt; it
    // may end such an attempt with MOSQ_ERR_TLS or with a plain socket error.
    std::atomic<bool> tlsFailed{false};

    mutable std::mutex ackMutex;
    std::unordered_map<int, bool> pending; // mid -> is a reading
    std::unordered_set<int> early;         // acknowledged before track() saw them
    std::size_t pendingReadings = 0;

    std::thread thread;
};

MqttPublisher::Link::Link(Options o, MqttPublisher* publisher)
    : options(std::move(o)), owner(publisher),
      readingTopic(channelPrefix(options) + std::string(MqttUrl::kReadingTopic)),
      stateTopic(channelPrefix(options) + std::string(MqttUrl::kStateTopic)),
      lastTopic(channelPrefix(options) + std::string(MqttUrl::kLastTopic)),
      noteTopic(channelPrefix(options) + std::string(MqttUrl::kNoteTopic)) {
    tzset(); // the JSON's local time follows TZ as it is now
    initLibrary();
    downSince = nowMs();
    mosq = mosquitto_new(nullptr, true, this);
    if (!mosq) {
        phase = Phase::unreachable;
        return;
    }
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_threaded_set(mosq, true);
    mosquitto_max_inflight_messages_set(mosq, kWindow);
    mosquitto_connect_callback_set(mosq, &Link::onConnect);
    mosquitto_publish_callback_set(mosq, &Link::onPublish);
    if (options.url.tls)
        mosquitto_log_callback_set(mosq, &Link::onLog);
    static const char kOffline[] = "offline";
    mosquitto_will_set(mosq, stateTopic.c_str(), static_cast<int>(sizeof kOffline - 1), kOffline, 1,
                       true);
    if (!options.url.user.empty())
        mosquitto_username_pw_set(mosq, options.url.user.c_str(),
                                  options.password.empty() ? nullptr : options.password.c_str());
    if (options.url.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (!options.caFile.empty())
            rc =
                mosquitto_tls_set(mosq, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        else
            rc = mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        // The library keeps the TLS context it made for the first connection, but with its
        // defaults on it refuses that context on every reconnect when no CA file was given:
        // the system's store would work once and never again.
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mosquitto_int_option(mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
        if (rc != MOSQ_ERR_SUCCESS) {
            phase = Phase::insecure;
            return;
        }
    }
    thread = std::thread([this] { run(); });
}

MqttPublisher::Link::~Link() {
    if (thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = true;
        }
        wake.notify_all();
        thread.join();
    }
    if (mosq)
        mosquitto_destroy(mosq);
}

void MqttPublisher::Link::setState(State s) {
    if (hasState && state == s)
        return;
    hasState = true;
    state = s;
    Entry e;
    e.kind = Kind::state;
    e.code = static_cast<std::uint8_t>(s);
    e.time = nowMs();
    enqueue(e);
}

void MqttPublisher::Link::enqueue(const Entry& entry) {
    if (options.queueLimit > 0 && queue.size() >= options.queueLimit) {
        const Entry& oldest = queue.front();
        if (oldest.kind == Kind::reading) {
            --readingsQueued;
            ++dropped;
        } else if (oldest.kind == Kind::note) {
            noteTexts.pop_front();
        } else {
            hasDroppedState = true;
            droppedState = static_cast<State>(oldest.code);
        }
        queue.pop_front();
    }
    queue.push_back(entry);
    if (entry.kind == Kind::reading)
        ++readingsQueued;
}

void MqttPublisher::Link::enqueueReading(const Reading& r) {
    if (queue.empty() && contexts.size() > 256) {
        contexts.clear();
        contextIds.clear();
    }
    key.assign(r.unit);
    key += '\0';
    key += static_cast<char>(r.function);
    key += static_cast<char>(r.range);
    key += r.hasCodes ? '1' : '0';
    auto it = contextIds.find(key);
    if (it == contextIds.end()) {
        if (contexts.size() >= kMaxContexts) {
            ++dropped; // as many different units and codes as never occur in one session
            return;
        }
        contexts.push_back({r.unit, static_cast<std::uint8_t>(r.function),
                            static_cast<std::uint8_t>(r.range), r.hasCodes});
        it = contextIds.emplace(key, static_cast<std::uint16_t>(contexts.size() - 1)).first;
    }
    Entry e;
    e.time = r.time;
    e.value = r.value;
    e.context = it->second;
    e.kind = Kind::reading;
    e.code = static_cast<std::uint8_t>(r.status);
    enqueue(e);
}

void MqttPublisher::Link::pump() {
    if (!ready)
        return;
    while (!queue.empty() && inflight() < static_cast<std::size_t>(kWindow)) {
        const Entry e = queue.front();
        queue.pop_front();
        if (e.kind == Kind::reading)
            --readingsQueued;
        send(e);
    }
}

void MqttPublisher::Link::send(const Entry& e) {
    if (e.kind == Kind::state) {
        payload = stateWord(static_cast<State>(e.code));
        hand(stateTopic, payload, true, false);
        hasHandedState = true;
        handedState = static_cast<State>(e.code);
        return;
    }
    if (e.kind == Kind::note) {
        payload.clear();
        appendNoteJson(payload, e.time, noteTexts.front(), options.channel);
        noteTexts.pop_front();
        hand(noteTopic, payload, false, false);
        return;
    }
    const Context& c = contexts[e.context];
    Reading r;
    r.time = e.time;
    r.status = static_cast<Reading::Status>(e.code);
    r.value = e.value;
    r.unit = c.unit;
    r.function = c.function;
    r.range = c.range;
    r.hasCodes = c.hasCodes;
    payload.clear();
    appendReadingJson(payload, r, options.channel);
    hand(readingTopic, payload, false, true);
    if (readingsQueued == 0) // the newest: what a dashboard that connects later shows
        hand(lastTopic, payload, true, false);
}

void MqttPublisher::Link::hand(const std::string& topic, const std::string& text, bool retain,
                               bool reading) {
    int mid = 0;
    const int rc = mosquitto_publish(mosq, &mid, topic.c_str(), static_cast<int>(text.size()),
                                     text.data(), 1, retain);
    // Without a connection the library keeps a QoS 1 message and sends it after the next
    // connect, before anything newer.
    if (rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN)
        track(mid, reading);
    else if (reading)
        ++dropped;
}

std::size_t MqttPublisher::Link::waitingLocked() const {
    return readingsQueued + inflightReadings();
}

void MqttPublisher::Link::flush(std::unique_lock<std::mutex>& lock,
                                std::chrono::milliseconds wait) {
    pump();
    if (queue.empty() && inflight() == 0)
        return;
    const std::uint64_t failedBefore = failedTries;
    retryNow = true;
    wake.notify_all();
    wake.wait_for(lock, wait, [&] {
        return failedTries != failedBefore || (ready && queue.empty() && inflight() == 0);
    });
}

void MqttPublisher::Link::notify() {
    MqttPublisher* o = owner;
    QMetaObject::invokeMethod(
        o, [o] { o->emitStatusIfChanged(); }, Qt::QueuedConnection);
}

void MqttPublisher::Link::track(int mid, bool reading) {
    std::lock_guard<std::mutex> lock(ackMutex);
    if (early.erase(mid))
        return;
    pending[mid] = reading;
    if (reading)
        ++pendingReadings;
}

void MqttPublisher::Link::acknowledged(int mid) {
    std::lock_guard<std::mutex> lock(ackMutex);
    const auto it = pending.find(mid);
    if (it == pending.end()) {
        early.insert(mid);
        return;
    }
    if (it->second)
        --pendingReadings;
    pending.erase(it);
}

void MqttPublisher::Link::forgetPending() {
    std::lock_guard<std::mutex> lock(ackMutex);
    pending.clear();
    early.clear();
    pendingReadings = 0;
}

std::size_t MqttPublisher::Link::inflight() const {
    std::lock_guard<std::mutex> lock(ackMutex);
    return pending.size();
}

std::size_t MqttPublisher::Link::inflightReadings() const {
    std::lock_guard<std::mutex> lock(ackMutex);
    return pendingReadings;
}

void MqttPublisher::Link::onConnect(mosquitto*, void* link, int rc) {
    static_cast<Link*>(link)->connack.store(rc);
}

void MqttPublisher::Link::onPublish(mosquitto*, void* link, int mid) {
    static_cast<Link*>(link)->acknowledged(mid);
}

void MqttPublisher::Link::onLog(mosquitto*, void* link, int level, const char* text) {
    // Only whether it happened is kept: the library's messages are not for people.
    if (level == MOSQ_LOG_ERR && std::strncmp(text, "OpenSSL Error", 13) == 0)
        static_cast<Link*>(link)->tlsFailed.store(true);
}

void MqttPublisher::Link::run() {
    int retryMs = kFirstRetryMs;
    bool initialised = false;
    for (;;) {
        const TimeMs attemptStart = nowMs();
        tlsFailed.store(false);
        // The first call sets the host and port; later ones keep them.
        int rc = initialised ? mosquitto_reconnect_async(mosq)
                             : mosquitto_connect_async(mosq, options.url.host.c_str(),
                                                       options.url.port, options.keepAliveSeconds);
        if (rc != MOSQ_ERR_INVAL)
            initialised = true;
        bool wasConnected = false;
        bool refused = false;
        if (rc == MOSQ_ERR_SUCCESS) {
            for (;;) {
                rc = mosquitto_loop(mosq, kLoopTimeoutMs, 1);
                const int answer = afterLoop(attemptStart);
                wasConnected = wasConnected || answer == 0;
                refused = refused || answer > 0;
                if (rc != MOSQ_ERR_SUCCESS)
                    break;
                if (!wasConnected && !refused && nowMs() - attemptStart > kAbandonConnectMs) {
                    rc = MOSQ_ERR_NO_CONN;
                    break;
                }
                bool stopping, flushed;
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    stopping = quit;
                    flushed = ready && queue.empty() && inflight() == 0;
                }
                if (stopping) {
                    // With messages left, the socket just closes, so that the broker publishes
                    // the last will rather than keep a state that is no longer true.
                    if (flushed)
                        disconnect();
                    return;
                }
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            wasConnected = wasConnected || connected;
        }
        lost(rc, wasConnected, refused);
        if (wasConnected)
            retryMs = kFirstRetryMs;
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait_for(lock, std::chrono::milliseconds(retryMs),
                      [this] { return quit || retryNow; });
        if (quit)
            return;
        retryNow = false;
        retryMs = std::min(retryMs * 2, kLastRetryMs);
    }
}

int MqttPublisher::Link::afterLoop(TimeMs attemptStart) {
    const int code = connack.exchange(-1);
    std::lock_guard<std::mutex> lock(mutex);
    bool changed = false;
    if (code == 0) {
        connected = true;
        connectedAt = nowMs();
        refusedCode = 0;
        phase = Phase::publishing;
        changed = true;
    } else if (code > 0) {
        refusedCode = code;
        phase = Phase::refused;
        changed = true;
    }
    // Messages of the last connection go out again first, in their order; only then new
    // ones, beginning with the newest state the bound dropped, or else the state the broker
    // last had from us (it may since have published the last will).
    if (connected && !ready && (inflight() == 0 || nowMs() - connectedAt > kResendMs)) {
        forgetPending();
        ready = true;
        if (hasDroppedState || (everReady && hasHandedState)) {
            Entry e;
            e.kind = Kind::state;
            e.code = static_cast<std::uint8_t>(hasDroppedState ? droppedState : handedState);
            e.time = nowMs();
            queue.push_front(e);
            hasDroppedState = false;
        }
        everReady = true;
    }
    pump();
    if (!connected && phase == Phase::connecting && nowMs() - attemptStart > kStalledConnectMs) {
        phase = Phase::unreachable;
        changed = true;
    }
    if (changed)
        notify();
    wake.notify_all();
    return code;
}

void MqttPublisher::Link::lost(int rc, bool wasConnected, bool refused) {
    std::lock_guard<std::mutex> lock(mutex);
    connected = false;
    ready = false;
    ++failedTries;
    const Phase before = phase;
    if (wasConnected && phase == Phase::publishing)
        downSince = nowMs();
    if (refused)
        phase = Phase::refused;
    else if (rc == MOSQ_ERR_TLS || tlsFailed.load())
        phase = Phase::insecure;
    else
        phase = Phase::unreachable;
    if (phase != before)
        notify();
    wake.notify_all();
}

void MqttPublisher::Link::disconnect() {
    mosquitto_disconnect(mosq);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDisconnectMs);
    while (mosquitto_socket(mosq) != -1 && std::chrono::steady_clock::now() < end)
        if (mosquitto_loop(mosq, 50, 1) != MOSQ_ERR_SUCCESS)
            break;
}

MqttPublisher::MqttPublisher(Options options, QObject* parent)
    : QObject(parent), link_(std::make_unique<Link>(std::move(options), this)) {
    // The first status comes from the event loop, once whoever made the publisher has
    // connected to statusChanged.
    link_->notify();
}

MqttPublisher::~MqttPublisher() {
    {
        std::unique_lock<std::mutex> lock(link_->mutex);
        link_->setState(State::offline);
        link_->flush(lock, kLastFlush);
    }
    link_.reset();
}

void MqttPublisher::start() {
    std::lock_guard<std::mutex> lock(link_->mutex);
    link_->setState(State::online);
    link_->pump();
}

void MqttPublisher::publish(const Reading& reading) {
    bool down;
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        switch (reading.status) {
        case Reading::Status::ok:
            link_->setState(State::online);
            break;
        case Reading::Status::overload:
            link_->setState(State::overload);
            break;
        case Reading::Status::gap:
            link_->setState(State::silent);
            break;
        case Reading::Status::unlisted: // shown, never kept
            break;
        }
        link_->enqueueReading(reading);
        link_->pump();
        down = link_->phase != Link::Phase::publishing;
    }
    if (down)
        emitStatusIfChanged();
}

void MqttPublisher::publishNote(TimeMs time, const std::string& text) {
    std::lock_guard<std::mutex> lock(link_->mutex);
    Entry e;
    e.kind = Kind::note;
    e.time = time;
    link_->noteTexts.push_back(text);
    link_->enqueue(e);
    link_->pump();
}

void MqttPublisher::stop() {
    std::lock_guard<std::mutex> lock(link_->mutex);
    link_->setState(State::stopped);
    link_->pump();
}

namespace {

// The texts name their context in full (the class's, as tr() would) so that lupdate finds
// it however it reads the headers.

// The broker's reasons for a refusal in MQTT 3.1.1.
QString refusal(int code) {
    switch (code) {
    case 1:
        return QCoreApplication::translate("kv::MqttPublisher",
                                           "it does not accept this protocol version");
    case 2:
        return QCoreApplication::translate("kv::MqttPublisher",
                                           "it rejected the client identifier");
    case 3:
        return QCoreApplication::translate("kv::MqttPublisher", "the service is unavailable");
    case 4:
        return QCoreApplication::translate("kv::MqttPublisher", "bad user name or password");
    case 5:
        return QCoreApplication::translate("kv::MqttPublisher", "not authorised");
    default:
        return QCoreApplication::translate("kv::MqttPublisher", "reason %1").arg(code);
    }
}

} // namespace

QString MqttPublisher::statusText() const {
    std::lock_guard<std::mutex> lock(link_->mutex);
    const QString host = QString::fromStdString(link_->options.url.host);
    const QString prefix = QString::fromStdString(link_->options.url.prefix);
    switch (link_->phase) {
    case Link::Phase::connecting:
        return QCoreApplication::translate("kv::MqttPublisher", "MQTT: connecting to %1 as %2")
            .arg(host, prefix);
    case Link::Phase::publishing:
        return QCoreApplication::translate("kv::MqttPublisher", "MQTT: publishing to %1 as %2")
            .arg(host, prefix);
    case Link::Phase::unreachable: {
        const QLocale locale;
        const QString since =
            QDateTime::fromMSecsSinceEpoch(link_->downSince).toString(QStringLiteral("HH:mm:ss"));
        const QString waiting = locale.toString(static_cast<qulonglong>(link_->waitingLocked()));
        if (link_->dropped == 0)
            return QCoreApplication::translate("kv::MqttPublisher",
                                               "MQTT: %1 unreachable since %2, %3 readings waiting")
                .arg(host, since, waiting);
        return QCoreApplication::translate(
                   "kv::MqttPublisher",
                   "MQTT: %1 unreachable since %2, %3 readings waiting, the oldest %4 dropped")
            .arg(host, since, waiting, locale.toString(static_cast<qulonglong>(link_->dropped)));
    }
    case Link::Phase::refused:
        return QCoreApplication::translate("kv::MqttPublisher",
                                           "MQTT: the broker refused the connection: %1")
            .arg(refusal(link_->refusedCode));
    case Link::Phase::insecure:
        return QCoreApplication::translate(
                   "kv::MqttPublisher",
                   "MQTT: no secure connection to %1: its certificate was refused, or it offers "
                   "no TLS on port %2")
            .arg(host)
            .arg(link_->options.url.port);
    }
    return {};
}

std::size_t MqttPublisher::waiting() const {
    std::lock_guard<std::mutex> lock(link_->mutex);
    return link_->waitingLocked();
}

std::uint64_t MqttPublisher::dropped() const {
    std::lock_guard<std::mutex> lock(link_->mutex);
    return link_->dropped;
}

std::uint64_t MqttPublisher::unpublished() {
    std::unique_lock<std::mutex> lock(link_->mutex);
    link_->flush(lock, kLastFlush);
    return link_->waitingLocked() + link_->dropped;
}

bool MqttPublisher::idle() const {
    std::lock_guard<std::mutex> lock(link_->mutex);
    return link_->ready && link_->queue.empty() && link_->inflight() == 0;
}

MqttPublisher::Connection MqttPublisher::connection() const {
    std::lock_guard<std::mutex> lock(link_->mutex);
    return link_->phase;
}

void MqttPublisher::emitStatusIfChanged() {
    const QString text = statusText();
    if (text == shownStatus_)
        return;
    shownStatus_ = text;
    emit statusChanged(text);
}

} // namespace kv
