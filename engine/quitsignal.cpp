// SIGTERM / SIGINT delivered to the program as a call on the UI thread: the
// handler only writes a byte into a pipe (async-signal-safe); a socket
// notifier on the other end calls the program during event processing.
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "engine/cvi.h"

namespace {

int g_pipe[2] = {-1, -1};
void (*g_fn)() = nullptr;
QSocketNotifier* g_notifier = nullptr;

void OnSignal(int) {
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = saved;
}

void SetHandlers(void (*handler)(int)) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace

int InstallQuitSignalCallback(void (*fn)()) {
    if (!fn) {
        SetHandlers(SIG_DFL);
        g_fn = nullptr;
        if (g_notifier) g_notifier->setEnabled(false);
        return 0;
    }
    if (!QCoreApplication::instance()) return -1;
    if (g_pipe[0] < 0) {
        if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
        g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read,
                                         QCoreApplication::instance());
        QObject::connect(g_notifier, &QSocketNotifier::activated, [] {
            char buf[64];
            while (read(g_pipe[0], buf, sizeof buf) > 0) {
            }
            if (g_fn) g_fn();
        });
    }
    g_fn = fn;
    g_notifier->setEnabled(true);
    SetHandlers(OnSignal);
    return 0;
}
