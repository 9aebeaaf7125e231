#include "meter/meter_protocol.h"
#include "sim/meter_simulator.h"
#include "support/open_descriptors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kv::sim {
namespace {

using namespace std::chrono_literals;
using Kind = SimStep::Kind;
using Bytes = std::vector<std::uint8_t>;

TEST(SimScript, ParsesEveryKindOfLine) {
    const ParsedScript s = parseSimScript("# a comment line\n"
                                          "240 136 01234\n"
                                          "\n"
                                          "  160 130 1?3 5   # digits with '?' and a space\n"
                                          "raw 1 2 255\n"
                                          "raw\n"
                                          "silent\r\n"
                                          "delay 250 248 128 00000\n"
                                          "unplug 1500\n");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.steps.size(), 7u);
    EXPECT_EQ(s.steps[0].bytes, (Bytes{137, 240, 136, 0, 0, '0', '1', '2', '3', '4', 0, 0}));
    EXPECT_EQ(s.steps[1].bytes, (Bytes{137, 160, 130, 0, 0, '1', '?', '3', ' ', '5', 0, 0}));
    EXPECT_EQ(s.steps[2].bytes, (Bytes{1, 2, 255}));
    EXPECT_EQ(s.steps[3], (SimStep{Kind::Reply, {}, 0, 0})) << "an empty raw reply";
    EXPECT_EQ(s.steps[4].kind, Kind::Silent);
    EXPECT_EQ(s.steps[5].kind, Kind::Reply);
    EXPECT_EQ(s.steps[5].delayMs, 250);
    EXPECT_EQ(s.steps[5].bytes, meterReply(248, 128, "00000"));
    EXPECT_EQ(s.steps[6], (SimStep{Kind::Unplug, {}, 0, 1500}));
}

TEST(SimScript, MalformedLinesNameTheirLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"240 136 0123", "line 1:"},   // four digits
        {"240 136 012345", "line 1:"}, // six
        {"240 136 01a34", "line 1:"},  // a letter
        {"240 136\t01234", "line 1:"}, // the digits follow one space
        {"256 136 01234", "line 1:"},  // code out of range
        {"240 -1 01234", "line 1:"},
        {"x 136 01234", "line 1:"},
        {"\n\n# ok\n240 136 01234\nraw 1 300", "line 5:"},
        {"raw 1 two", "line 1:"},
        {"silent now", "line 1:"},
        {"delay 240 136 01234", "line 1:"}, // no time
        {"delay x 240 136 01234", "line 1:"},
        {"unplug", "line 1:"},
        {"unplug 10 20", "line 1:"},
        {"hello", "line 1:"},
    };
    for (const Case& c : cases) {
        const ParsedScript s = parseSimScript(c.text);
        EXPECT_FALSE(s.ok()) << c.text;
        EXPECT_EQ(s.error.rfind(c.error, 0), 0u) << c.text << " -> " << s.error;
        EXPECT_TRUE(s.steps.empty());
    }
}

TEST(SimScript, DemoIsAMinuteOfReplies) {
    const ParsedScript demo = parseSimScript(demoScript());
    ASSERT_TRUE(demo.ok()) << demo.error;
    EXPECT_GE(demo.steps.size(), 550u);
    EXPECT_LE(demo.steps.size(), 650u);
    EXPECT_EQ(demoSteps(), demo.steps);
    for (const SimStep& s : demo.steps) {
        ASSERT_EQ(s.kind, Kind::Reply);
        ASSERT_EQ(s.bytes.size(), 12u);
        for (int i = 5; i < 10; ++i)
            ASSERT_TRUE(s.bytes[i] >= '0' && s.bytes[i] <= '9');
    }
}

// The program's side of the line: a raw terminal on the simulator's device.
struct Line {
    int fd = -1;
    explicit Line(const std::string& path) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ~Line() {
        if (fd >= 0)
            ::close(fd);
    }
    void send(Bytes bytes) {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), (ssize_t)bytes.size());
    }
    // Everything that arrives within the time.
    Bytes receive(std::chrono::milliseconds within = 80ms) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + within;
        while (std::chrono::steady_clock::now() < end) {
            std::uint8_t buf[256];
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
            std::this_thread::sleep_for(5ms);
        }
        return out;
    }
};

std::vector<SimStep> script(const char* text) {
    ParsedScript s = parseSimScript(text);
    EXPECT_TRUE(s.ok()) << s.error;
    return s.steps;
}

TEST(MeterSimulator, AnswersEachRequestWithTheNextReply) {
    MeterSimulator meter(script("raw 1\nsilent\nraw 2 3\n"));
    ASSERT_TRUE(meter.start());
    Line line(meter.devicePath());
    line.send({10, 13, 0, 255}); // not requests
    EXPECT_EQ(line.receive(), Bytes{});
    line.send({137});
    EXPECT_EQ(line.receive(), Bytes{1});
    line.send({137});
    EXPECT_EQ(line.receive(), Bytes{}) << "silent";
    line.send({137});
    EXPECT_EQ(line.receive(), (Bytes{2, 3}));
    line.send({137, 137});
    EXPECT_EQ(line.receive(), Bytes{}) << "silent after the end";
    EXPECT_EQ(meter.requestCount(), 5);
    EXPECT_EQ(meter.otherByteCount(), 4);
}

TEST(MeterSimulator, LoopStartsOver) {
    MeterSimulator meter(script("raw 1\nraw 2\n"), true);
    ASSERT_TRUE(meter.start());
    Line line(meter.devicePath());
    line.send({137, 137, 137});
    EXPECT_EQ(line.receive(), (Bytes{1, 2, 1}));
}

TEST(MeterSimulator, DelayedReplyComesLate) {
    MeterSimulator meter(script("delay 150 240 136 01234\nraw 9\n"));
    ASSERT_TRUE(meter.start());
    Line line(meter.devicePath());
    line.send({137});
    EXPECT_EQ(line.receive(60ms), Bytes{});
    line.send({137}); // answered at once, ahead of the late one
    EXPECT_EQ(line.receive(300ms), (Bytes{9, 137, 240, 136, 0, 0, '0', '1', '2', '3', '4', 0, 0}));
}

TEST(MeterSimulator, UnplugTakesTheLinkAwayAndBringsItBack) {
    const std::string link = ::testing::TempDir() + "kv-sim-unplug-" + std::to_string(::getpid());
    MeterSimulator meter(script("unplug 200\nraw 7\n"));
    ASSERT_TRUE(meter.start(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), meter.devicePath());
    {
        Line line(link);
        line.send({137});
        std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(meter.unplugged());
        EXPECT_FALSE(std::filesystem::is_symlink(link));
        std::uint8_t b;
        EXPECT_LE(::read(line.fd, &b, 1), 0) << "the line is hung up";
    }
    std::this_thread::sleep_for(300ms);
    ASSERT_FALSE(meter.unplugged());
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    Line again(link);
    again.send({137});
    EXPECT_EQ(again.receive(), Bytes{7});
    meter.stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(MeterSimulator, NeverReplacesAFileThatIsNotALink) {
    const std::string path = ::testing::TempDir() + "kv-sim-file-" + std::to_string(::getpid());
    std::ofstream(path) << "keep me";
    MeterSimulator meter(script("raw 1\n"));
    std::string error;
    EXPECT_FALSE(meter.start(path, &error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
    std::ifstream in(path);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
    std::filesystem::remove(path);
}

// The threads of this process, by their ids.
std::vector<std::string> ownThreads() {
    std::vector<std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.push_back(entry.path().filename().string());
    return ids;
}

// How often a thread of this process gave up the processor to wait.
long waitsOf(const std::string& thread) {
    std::ifstream status("/proc/self/task/" + thread + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

// Left alone between requests for hours, the simulator's thread must not wake on its own.
TEST(MeterSimulator, SleepsWhileNothingIsAskedOrDue) {
    const std::vector<std::string> before = ownThreads();
    MeterSimulator meter(script("raw 1\n"), true);
    ASSERT_TRUE(meter.start());
    std::string thread;
    for (const std::string& id : ownThreads())
        if (std::find(before.begin(), before.end(), id) == before.end())
            thread = id;
    ASSERT_FALSE(thread.empty()) << "the simulator runs no thread of its own";
    Line line(meter.devicePath());
    line.send({137});
    EXPECT_EQ(line.receive(), Bytes{1});
    const long waits = waitsOf(thread);
    std::this_thread::sleep_for(600ms);
    EXPECT_LE(waitsOf(thread) - waits, 1) << "woke without a request";
    line.send({137});
    EXPECT_EQ(line.receive(), Bytes{1}) << "and still answers";
}

using test::openDescriptors;

TEST(MeterSimulator, StartsAndStopsCleanly) {
    const int before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        MeterSimulator meter(script("raw 1\n"));
        ASSERT_TRUE(meter.start());
        EXPECT_TRUE(meter.running());
        meter.stop();
        meter.stop();
        EXPECT_FALSE(meter.running());
    }
    {
        MeterSimulator dropped(script("raw 1\n"));
        ASSERT_TRUE(dropped.start());
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(MeterSimulator, BlockedLinkPathOnReturnLeaksNothingAndIsRetried) {
    const std::string link = ::testing::TempDir() + "kv-sim-blocked-" + std::to_string(::getpid());
    const int before = openDescriptors();
    {
        MeterSimulator meter(script("unplug 600\nraw 7\n"));
        ASSERT_TRUE(meter.start(link));
        {
            Line line(link);
            line.send({137});
            for (int i = 0; i < 200 && !meter.unplugged(); ++i)
                std::this_thread::sleep_for(5ms);
            ASSERT_TRUE(meter.unplugged());
        }
        // Someone puts a file where the link was: the meter cannot come back there.
        std::ofstream(link) << "not a link";
        const int away = openDescriptors();
        std::this_thread::sleep_for(1100ms); // several tries to return
        EXPECT_LE(openDescriptors(), away + 2) << "each failed return closes its device";
        EXPECT_TRUE(meter.unplugged());

        std::filesystem::remove(link);
        for (int i = 0; i < 300 && meter.unplugged(); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(meter.unplugged());
        ASSERT_TRUE(std::filesystem::is_symlink(link));
        Line again(link);
        again.send({137});
        EXPECT_EQ(again.receive(), Bytes{7});
    }
    EXPECT_EQ(openDescriptors(), before);
    std::filesystem::remove(link);
}

TEST(MeterSimulator, PrivateLinkLivesInADirectoryOfItsOwn) {
    std::string dir;
    {
        MeterSimulator meter(script("unplug 100\nraw 7\n"));
        ASSERT_TRUE(meter.startWithPrivateLink());
        const std::filesystem::path link = meter.linkPath();
        ASSERT_FALSE(link.empty());
        dir = link.parent_path();
        EXPECT_EQ(std::filesystem::read_symlink(link), meter.devicePath());
        struct stat st {};
        ASSERT_EQ(::stat(dir.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << "nobody else may swap the link";
        EXPECT_EQ(st.st_uid, ::getuid());

        // Across unplugging the link keeps its path and follows the device.
        {
            Line line(link);
            line.send({137});
            for (int i = 0; i < 200 && !meter.unplugged(); ++i)
                std::this_thread::sleep_for(5ms);
        }
        for (int i = 0; i < 300 && meter.unplugged(); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(meter.unplugged());
        EXPECT_EQ(meter.linkPath(), link);
        Line again(link);
        again.send({137});
        EXPECT_EQ(again.receive(), Bytes{7});

        meter.stop();
        EXPECT_FALSE(std::filesystem::exists(dir)) << "stop() takes the directory away";
        MeterSimulator dropped(script("raw 1\n"));
        ASSERT_TRUE(dropped.startWithPrivateLink());
        dir = std::filesystem::path(dropped.linkPath()).parent_path();
    }
    EXPECT_FALSE(std::filesystem::exists(dir)) << "and so does the destructor";
}

TEST(MeterSimulator, UnpluggingSendsNoSignalToItsProcess) {
    // A program started in a session of its own, without a terminal, must not take the
    // meter's device as its terminal: unplugging would then hang its session up.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setsid();
        MeterSimulator meter(script("unplug 50\nraw 1\n"));
        if (!meter.start())
            ::_exit(2);
        {
            Line line(meter.devicePath());
            line.send({137});
            std::this_thread::sleep_for(200ms);
        }
        meter.stop();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
} // namespace kv::sim
