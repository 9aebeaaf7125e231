#pragma once

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace kv::test {

// Polls `done` until it holds or `cap` has passed, running `between` after each failed
// poll; true when `done` held. The cap is generous on purpose: it only bounds a test that
// is failing, so a loaded machine never fails a test that is merely slow.
template <typename Done, typename Between>
bool waitUntil(Done done, std::chrono::milliseconds cap, Between between) {
    const auto end = std::chrono::steady_clock::now() + cap;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        between();
    }
    return true;
}

// The same, with a short pause between the polls.
template <typename Done> bool waitUntil(Done done, std::chrono::milliseconds cap) {
    return waitUntil(done, cap, [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

// Runs the event loop until `done` holds, for at most `cap`.
template <typename Done> bool runEventsUntil(Done done, std::chrono::milliseconds cap) {
    return waitUntil(done, cap, [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
}

} // namespace kv::test
