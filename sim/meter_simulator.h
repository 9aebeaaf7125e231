#pragma once

#include "sim/sim_script.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kv::sim {

// A meter on a pseudo-terminal. The serial link opens devicePath() (or the link path) like
// any serial device; every request byte 137 that arrives is answered with the next step of
// the script, other bytes are ignored. At the end of the script the meter falls silent, or
// starts over when looping. Runs on its own thread between start() and stop().
class MeterSimulator {
public:
    explicit MeterSimulator(std::vector<SimStep> steps, bool loop = false);
    ~MeterSimulator();
    MeterSimulator(const MeterSimulator&) = delete;
    MeterSimulator& operator=(const MeterSimulator&) = delete;

    // Opens the pseudo-terminal and starts answering. With a link path, that path becomes
    // a symbolic link to the device and follows it across unplugging; an existing file
    // there is replaced only when it is a symbolic link itself. Returns false with a
    // reason in *error when the device or the link cannot be made.
    bool start(const std::string& linkPath = {}, std::string* error = nullptr);
    // start() with the link in a directory of its own under $TMPDIR (or /tmp), readable
    // only by this user and removed again by stop(). For a program that runs the meter
    // in-process: the pseudo-terminal's own path changes when it comes back from
    // unplugging (and its old number may go to someone's terminal); the link's does not.
    bool startWithPrivateLink(std::string* error = nullptr);
    // Stops the thread, closes the device and removes the link. Safe to call twice.
    void stop();

    bool running() const { return thread_.joinable(); }
    // The device path in use; it changes when the device comes back from unplugging.
    std::string devicePath() const;
    const std::string& linkPath() const { return linkPath_; }
    // Request bytes (137) and other bytes received so far.
    int requestCount() const { return requests_.load(); }
    int otherByteCount() const { return otherBytes_.load(); }
    // Whether the device is away (unplugged) right now.
    bool unplugged() const { return unplugged_.load(); }

private:
    bool openDevice(std::string* error);
    void closeDevice();
    bool placeLink(std::string* error);
    void removePrivateDir();
    void run();

    std::vector<SimStep> steps_;
    bool loop_;
    std::string linkPath_;
    std::string privateDir_; // made by startWithPrivateLink(), empty otherwise
    int master_ = -1;
    int slave_ = -1; // held open so the master never sees a hang-up while no one listens
    int wake_[2] = {-1, -1};
    mutable std::mutex pathMutex_;
    std::string devicePath_;
    std::thread thread_;
    std::atomic<int> requests_{0};
    std::atomic<int> otherBytes_{0};
    std::atomic<bool> unplugged_{false};
};

} // namespace kv::sim
