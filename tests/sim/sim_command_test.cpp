// The kv27500-sim command as a user runs it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs the command through the shell with stderr folded into the output.
CommandResult runCommand(const std::string& args, const std::string& prefix = {}) {
    CommandResult run;
    const std::string command = prefix + KV_SIM_COMMAND + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    char buf[256];
    while (std::fgets(buf, sizeof buf, pipe))
        run.output += buf;
    run.status = ::pclose(pipe);
    return run;
}

std::string tempFile(const char* name, const std::string& content) {
    const std::string path = ::testing::TempDir() + name + std::to_string(::getpid());
    std::ofstream(path) << content;
    return path;
}

TEST(SimCommand, MalformedScriptIsReportedWithItsLine) {
    const std::string script = tempFile("kv-sim-bad-", "240 136 01234\n# fine\nraw 1 999\n");
    const CommandResult run = runCommand(script);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("line 3"), std::string::npos) << run.output;
    std::filesystem::remove(script);
}

TEST(SimCommand, UnreadableScriptAndBadOptionsFail) {
    EXPECT_NE(runCommand("/nonexistent/script").status, 0);
    // A folder opens like a file but reads as nothing: no silent meter in its place.
    const CommandResult folder = runCommand("--loop " + ::testing::TempDir(), "timeout 5 ");
    EXPECT_NE(folder.status, 0);
    EXPECT_NE(folder.output.find("cannot read"), std::string::npos) << folder.output;
    EXPECT_NE(runCommand("--frobnicate").status, 0);
    EXPECT_NE(runCommand("--link").status, 0);
}

TEST(SimCommand, PrintsTheDeviceAndLinksIt) {
    const std::string link = ::testing::TempDir() + "kv-sim-cmd-" + std::to_string(::getpid());
    const std::string out = link + ".out";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen(out.c_str(), "w", stdout);
        ::execl(KV_SIM_COMMAND, KV_SIM_COMMAND, "--loop", "--link", link.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The link is made before the path is printed: wait for both.
    std::string printed;
    for (int i = 0; i < 200 && printed.empty(); ++i) {
        std::this_thread::sleep_for(10ms);
        std::ifstream in(out);
        if (!std::getline(in, printed) || in.eof())
            printed.clear(); // no complete line yet
    }
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), printed);
    EXPECT_EQ(printed.rfind("/dev/pts/", 0), 0u) << printed;

    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)))
        << "the link goes with the simulator";
    std::filesystem::remove(out);
}

} // namespace
