#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace kv {

// Turns SIGINT, SIGTERM and SIGHUP into an orderly end of the event loop, so the program's
// own clean-up runs (the simulated meter removes its link) instead of the process dying
// where it stands. Each handler fires once and then gives way to the default, unless made
// repeating: a second Ctrl-C ends a program whose loop no longer answers. One instance at a
// time; the previous handlers come back when it is destroyed. A signal ignored at start
// stays ignored.
class QuitOnSignals : public QObject {
    Q_OBJECT
public:
    // Called on the event loop with the signal's number; without it the application exits
    // with 128 + that number, as a shell reports a process ended by the signal.
    explicit QuitOnSignals(std::function<void(int signal)> onSignal = {},
                           QObject* parent = nullptr);
    ~QuitOnSignals() override;
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // False when the pipe or a handler could not be set up; the program then runs as before.
    bool active() const { return active_; }
    // `signal` is handled each time it comes, not only the first: it asks for something other
    // than the end (SIGHUP: open the log anew).
    void setRepeating(int signal);

private:
    void readSignals();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool active_ = false;
};

} // namespace kv
