// Clients that read slowly or not at all, against the poll of the program serving them.
#include "tests/app/web/served_program.h"

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

// Polls a second in the log's rows dated within [from, from + ms): counted from the first to
// the last of them, so that where the window cuts the rows does not count.
double pollRate(const QStringList& rows, qint64 from, qint64 ms) {
    std::vector<qint64> times;
    for (const QString& row : rows) {
        const qint64 t =
            QDateTime::fromString(row.section(',', 0, 0), Qt::ISODateWithMs).toMSecsSinceEpoch();
        if (t >= from && t < from + ms)
            times.push_back(t);
    }
    if (times.size() < 2)
        return 0;
    return 1000.0 * static_cast<double>(times.size() - 1) /
           static_cast<double>(times.back() - times.front());
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
    const double without = pollRate(rows, alone, kWindowMs);
    const double with = pollRate(rows, served, kWindowMs);
    ASSERT_GT(without, 5.0);
    EXPECT_LT(std::abs(with - without) / without, 0.02)
        << with << " polls a second with the clients against " << without << " without";
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
