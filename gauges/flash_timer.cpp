#include "gauges/flash_timer.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

namespace kv {

FlashTimer& FlashTimer::instance() {
    static FlashTimer registry;
    return registry;
}

void FlashTimer::add(const void* key, int rate, Handler handler) {
    clients_[key] = Client{std::clamp(rate, 2, 6), std::move(handler)};
    if (!timer_) {
        timer_ = new QTimer(QCoreApplication::instance());
        timer_->setInterval(kTickMs);
        QObject::connect(timer_, &QTimer::timeout, [this] { tick(); });
    }
    if (!timer_->isActive())
        timer_->start();
}

void FlashTimer::remove(const void* key) {
    clients_.erase(key);
    if (clients_.empty() && timer_)
        timer_->stop();
}

bool FlashTimer::contains(const void* key) const {
    return clients_.count(key) != 0;
}

bool FlashTimer::running() const {
    return timer_ && timer_->isActive();
}

void FlashTimer::tick() {
    const unsigned before = counter_++;
    const unsigned changed = before ^ counter_;
    // A handler may add or remove controls, so walk a snapshot of the keys and skip those that
    // have gone meanwhile.
    std::vector<const void*> keys;
    keys.reserve(clients_.size());
    for (const auto& kv : clients_)
        keys.push_back(kv.first);
    for (const void* key : keys) {
        auto it = clients_.find(key);
        if (it == clients_.end())
            continue;
        const unsigned bit = 1u << it->second.rate;
        if (!(changed & bit))
            continue;
        Handler h = it->second.handler;
        if (h)
            h((counter_ & bit) != 0);
    }
}

} // namespace kv
