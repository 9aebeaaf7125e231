#include "app/quit_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];

// Only what is safe inside a signal handler: one write to a non-blocking pipe.
void onSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitOnSignals::QuitOnSignals(std::function<void(int)> handler, QObject* parent)
    : QObject(parent), onSignal_(std::move(handler)) {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readSignals(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &g_previous[i]);
        // Whoever started us ignoring it (nohup, a script's background job) wants it so.
        if (g_previous[i].sa_handler != SIG_IGN)
            ::sigaction(kSignals[i], &action, nullptr);
    }
    active_ = true;
}

void QuitOnSignals::setRepeating(int signal) {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (!active_ || kSignals[i] != signal || g_previous[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

QuitOnSignals::~QuitOnSignals() {
    if (!active_)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QuitOnSignals::readSignals() {
    unsigned char byte;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        const int sig = byte;
        if (onSignal_)
            onSignal_(sig);
        else
            QCoreApplication::exit(128 + sig);
    }
}

} // namespace kv
