#include "app/quit_signals.h"

#include <QCoreApplication>
#include <csignal>
#include <gtest/gtest.h>
#include <vector>

namespace kv {
namespace {

void (*handlerOf(int sig))(int) {
    struct sigaction now {};
    ::sigaction(sig, nullptr, &now);
    return now.sa_handler;
}

TEST(QuitOnSignals, EachSignalEndsTheLoopOnceThenTheDefaultActionReturns) {
    std::vector<int> got;
    {
        QuitOnSignals quit([&](int sig) { got.push_back(sig); });
        ASSERT_TRUE(quit.active());
        ::raise(SIGTERM);
        EXPECT_TRUE(got.empty()) << "handled on the event loop, not inside the signal";
        QCoreApplication::processEvents();
        EXPECT_EQ(got, std::vector<int>{SIGTERM});
        // A second SIGTERM would now end the process at once: the handler was one-shot.
        EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);

        ::raise(SIGINT);
        ::raise(SIGHUP);
        QCoreApplication::processEvents();
        EXPECT_EQ(got, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));

        QuitOnSignals second([](int) {});
        EXPECT_FALSE(second.active()) << "one at a time";
    }
    EXPECT_EQ(handlerOf(SIGINT), SIG_DFL) << "the previous handlers are back";
}

TEST(QuitOnSignals, ASignalIgnoredAtStartStaysIgnored) {
    // As under nohup, or in the background of a script: the program must not end on them.
    ::signal(SIGHUP, SIG_IGN);
    std::vector<int> got;
    {
        QuitOnSignals quit([&](int sig) { got.push_back(sig); });
        ASSERT_TRUE(quit.active());
        EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        QCoreApplication::processEvents();
        EXPECT_EQ(got, std::vector<int>{SIGTERM});
    }
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    ::signal(SIGHUP, SIG_DFL);
}

TEST(QuitOnSignals, WithoutAHandlerTheLoopEndsWithTheShellsStatusForTheSignal) {
    QuitOnSignals quit;
    ASSERT_TRUE(quit.active());
    QMetaObject::invokeMethod(
        qApp, [] { ::raise(SIGINT); }, Qt::QueuedConnection);
    EXPECT_EQ(QCoreApplication::exec(), 128 + SIGINT);
}

} // namespace
} // namespace kv
