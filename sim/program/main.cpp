// kv27500-sim [SCRIPT] [--link PATH] [--loop]
// A simulated meter on a pseudo-terminal, for running the program without the device.
// Prints the device path, then answers requests until interrupted.
#include "sim/meter_simulator.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

int usage(const char* program) {
    std::cerr << "usage: " << program << " [SCRIPT] [--link PATH] [--loop]\n"
              << "Without SCRIPT the built-in demo runs. With --link, PATH becomes a symbolic\n"
              << "link to the device. --loop starts the script over at its end.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string scriptPath, linkPath;
    bool loop = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--loop") {
            loop = true;
        } else if (arg == "--link") {
            if (++i >= argc)
                return usage(argv[0]);
            linkPath = argv[i];
        } else if (arg == "-h" || arg == "--help") {
            usage(argv[0]);
            return 0;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << argv[0] << ": unknown option " << arg << "\n";
            return usage(argv[0]);
        } else if (scriptPath.empty()) {
            scriptPath = arg;
        } else {
            return usage(argv[0]);
        }
    }

    std::string text;
    if (scriptPath.empty()) {
        text = kv::sim::demoScript();
    } else {
        // A folder opens like a file and then reads as nothing, which would pass for an
        // empty script and a meter that never answers.
        std::error_code ec;
        std::ifstream in(scriptPath == "-" ? "/dev/stdin" : scriptPath);
        if (!in || std::filesystem::is_directory(scriptPath, ec)) {
            std::cerr << argv[0] << ": cannot read " << scriptPath << "\n";
            return 1;
        }
        std::ostringstream buf;
        buf << in.rdbuf();
        text = buf.str();
    }
    kv::sim::ParsedScript script = kv::sim::parseSimScript(text);
    if (!script.ok()) {
        std::cerr << argv[0] << ": " << (scriptPath.empty() ? "demo" : scriptPath) << ": "
                  << script.error << "\n";
        return 1;
    }

    // Signals are taken by sigwait below, not by the answering thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    kv::sim::MeterSimulator simulator(std::move(script.steps), loop);
    std::string error;
    if (!simulator.start(linkPath, &error)) {
        std::cerr << argv[0] << ": " << error << "\n";
        return 1;
    }
    std::cout << simulator.devicePath() << std::endl;
    if (!linkPath.empty())
        std::cerr << "linked as " << linkPath << "\n";

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.stop();
    return 0;
}
