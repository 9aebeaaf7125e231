#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>

namespace kv {

// One ticking timer shared by every flashing control of the process. A control registers with
// a rate d (2..6) and is then told the state of bit d of a running tick counter each time that
// bit changes, so with d = 4 its colour changes every 16 ticks. The timer only runs while
// someone is registered.
class FlashTimer {
public:
    using Handler = std::function<void(bool on)>;

    // Milliseconds between ticks: with rate 4 a pointer changes colour about four times a
    // second, a steady blink that is easy to notice without being restless.
    static constexpr int kTickMs = 15;

    static FlashTimer& instance();

    // Registers key (or replaces its handler and rate) and starts the timer.
    void add(const void* key, int rate, Handler handler);
    // Stops the notifications for key; the timer stops with the last one.
    void remove(const void* key);
    bool contains(const void* key) const;
    bool running() const;

    // One tick: advances the counter and notifies every control whose bit changed.
    void tick();

private:
    FlashTimer() = default;
    struct Client {
        int rate;
        Handler handler;
    };
    std::map<const void*, Client> clients_;
    // Owned by the application object, so it goes before the event loop it runs on.
    QPointer<QTimer> timer_;
    unsigned counter_ = 0;
};

} // namespace kv
