// Clients that read slowly or not at all, against the poll of the program serving them.
#include "tests/app/web/served_program.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace kv::test;

// The program's resident memory in kB, from /proc.
long residentKb(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// The times of the log's rows dated within [from, from + ms).
std::vector<qint64> rowTimes(const QStringList& rows, qint64 from, qint64 ms) {
    std::vector<qint64> times;
    for (const QString& row : rows) {
        const qint64 t =
            QDateTime::fromString(row.section(',', 0, 0), Qt::ISODateWithMs).toMSecsSinceEpoch();
        if (t >= from && t < from + ms)
            times.push_back(t);
    }
    return times;
}

// Polls a second, counted from the first to the last row, so that where the window cuts
// the rows does not count.
double pollRate(const std::vector<qint64>& times) {
    if (times.size() < 2)
        return 0;
    return 1000.0 * static_cast<double>(times.size() - 1) /
           static_cast<double>(times.back() - times.front());
}

// The middle one of the times from one row to the next: the poll's own period, which a
// moment the machine gave to another process does not move.
double medianPeriod(const std::vector<qint64>& times) {
    std::vector<qint64> d;
    for (std::size_t i = 1; i < times.size(); ++i)
        d.push_back(times[i] - times[i - 1]);
    if (d.empty())
        return 0;
    std::nth_element(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2), d.end());
    return static_cast<double>(d[d.size() / 2]);
}

TEST_F(ServedProgram, StalledAndSlowClientsCostThePollNothingAndTheStalledOneIsDropped) {
    const QString log = dir.filePath("log.csv");
    const int port =
        serve({"--simulate", "--autostart", "--no-window", "--log", log, "--http", "0"});
    ASSERT_NE(port, 0) << err().toStdString();
    constexpr qint64 kWindowMs = 10000;
    QThread::msleep(1500);
    const long before = residentKb(pid());
    const qint64 alone = nowMs();
    QThread::msleep(kWindowMs);

    // The clients stand for machines elsewhere: on this one they give way to the program.
    ::setpriority(PRIO_PROCESS, 0, 19);
    // One that asks and never reads, with a small window so the server's buffers fill;
    // and 31 that read a little now and then.
    Connection stalled("127.0.0.1", port, 2048);
    ASSERT_TRUE(stalled.send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
    std::vector<std::unique_ptr<Connection>> slow;
    for (int i = 0; i < 31; ++i) {
        slow.push_back(std::make_unique<Connection>("127.0.0.1", port, 4096));
        ASSERT_TRUE(slow.back()->send("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n"));
    }
    const qint64 served = nowMs() + 500;
    while (nowMs() < served + kWindowMs + 500)
        for (auto& c : slow) {
            c->read(0);
            QThread::msleep(10);
        }
    const long after = residentKb(pid());

    const QStringList rows = logRows(log);
    const std::vector<qint64> without = rowTimes(rows, alone, kWindowMs);
    const std::vector<qint64> with = rowTimes(rows, served, kWindowMs);
    ASSERT_GT(pollRate(without), 5.0);
    // The poll's period stays within 2 %; over the whole window, where a busy machine may
    // hold up the odd poll of either, the rate within 5 %.
    EXPECT_LT(std::abs(medianPeriod(with) - medianPeriod(without)) / medianPeriod(without), 0.02)
        << medianPeriod(with) << " ms a poll with the clients against " << medianPeriod(without)
        << " ms without";
    EXPECT_LT(std::abs(pollRate(with) - pollRate(without)) / pollRate(without), 0.05)
        << pollRate(with) << " polls a second with the clients against " << pollRate(without)
        << " without";
    EXPECT_LT(after - before, 16 * 1024) << before << " kB before, " << after << " kB after";
    for (auto& c : slow)
        EXPECT_EQ(parseResponse(c->received()).status, 200);

    // The stalled one is dropped once its queue is full, which takes the server's and the
    // kernel's buffers and then the queue: well within 45 s of its request. Read only
    // after that (reading, it would no longer be stalled), it finds its end.
    while (nowMs() < served + 45000)
        for (auto& c : slow) {
            c->read(0);
            QThread::msleep(10);
        }
    bool open = true;
    const qint64 end = nowMs() + 3000;
    while (open && nowMs() < end)
        open = stalled.read(50);
    EXPECT_FALSE(open);
    // The others were not.
    for (auto& c : slow)
        EXPECT_TRUE(c->read(0));
}

} // namespace
