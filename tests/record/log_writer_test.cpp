// The log behind a pipe whose reader stops and comes back: nothing waits for it, what does
// not fit is counted, and what fitted arrives in order.
#include "record/log_writer.h"
#include "record_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string line(int n) {
    return "2026-12-08T13:03:07.125+00:00," + std::to_string(n) + ",1.234,V-DC,ok,240,136\n";
}

TEST(LogWriter, AStoppedReaderHoldsUpNoWriteAndGetsTheLinesInOrderWhenItComesBack) {
    test::TempFolder dir;
    const std::string path = dir / "pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    auto file = std::make_unique<CsvFile>(path, CsvFile::Mode::append);
    ASSERT_TRUE(file->ok()) << file->error();
    fcntl(reader, F_SETPIPE_SZ, 4096); // a pipe that fills after a few dozen lines

    // Room for 200 lines in the buffer, past what the pipe holds; the reader reads nothing.
    const std::size_t lineBytes = line(0).size();
    LogWriter log(std::move(file), 200 * lineBytes);
    const auto start = Clock::now();
    int accepted = 0;
    std::string expected = "time,elapsed_s,value,unit,status,function,range\n";
    for (int n = 0; n < 1000; ++n)
        if (log.write(line(n))) {
            ++accepted;
            expected += line(n);
        }
    EXPECT_LT(Clock::now() - start, 500ms) << "a write never waits for the reader";
    std::this_thread::sleep_for(300ms);
    const LogWriter::Backlog stuck = log.backlog();
    EXPECT_GT(stuck.lines, 100u);
    EXPECT_GE(stuck.behind, 250ms);
    EXPECT_EQ(stuck.dropped, static_cast<std::uint64_t>(1000 - accepted));
    EXPECT_GT(stuck.dropped, 700u);

    // The reader comes back and reads until the log is closed.
    std::string got;
    std::thread drain([&] {
        fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK);
        char buf[4096];
        for (ssize_t n; (n = read(reader, buf, sizeof buf)) > 0;)
            got.append(buf, static_cast<std::size_t>(n));
    });
    for (int i = 0; i < 500 && log.backlog().lines > 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(log.backlog().lines, 0u);
    EXPECT_TRUE(log.write(line(1000))) << "room again";
    log.close();
    drain.join();
    close(reader);

    expected += line(1000);
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(log.failed());
}

} // namespace
} // namespace kv
