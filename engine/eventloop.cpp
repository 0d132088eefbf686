// Engine start and the event loop.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

#include "engine/cvi.h"

namespace {
int g_argc = 0;
QApplication* g_app = nullptr;
QEventLoop* g_loop = nullptr;
int g_quitCode = 0;
bool g_quitRequested = false;
constexpr int kMaxWaitMs = 50;

// Without a display, the window system's plugin would abort the process
// inside the toolkit; say so and fail instead. A platform named on purpose
// (offscreen, vnc, ...) needs none.
bool DisplayMissing() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int InitCVIRTE(int argc, char** argv) {
    if (QCoreApplication::instance()) return 1;
    if (DisplayMissing()) {
        std::fputs("kvor-scope: no display found (DISPLAY is not set); set it, or QT_QPA_PLATFORM=offscreen\n", stderr);
        return 0;
    }
    g_argc = argc;
    g_app = new QApplication(g_argc, argv);
    // Panels are closed by the program's close callbacks, never by Qt.
    QApplication::setQuitOnLastWindowClosed(false);
    return g_app ? 1 : 0;
}

int RunUserInterface() {
    if (!QCoreApplication::instance()) return -1;
    g_quitRequested = false;
    QEventLoop loop;
    g_loop = &loop;
    const int code = loop.exec();
    g_loop = nullptr;
    return g_quitRequested ? g_quitCode : code;
}

int QuitUserInterface(int returnCode) {
    g_quitCode = returnCode;
    g_quitRequested = true;
    if (g_loop) g_loop->exit(returnCode);
    return 0;
}

// Runs what is pending and returns. A caller that comes straight back (a
// wait loop) waits for the next event instead: serial bytes, input, a timer
// or a posted call wake it at once, and it returns after kMaxWaitMs at the
// latest, so a loop that watches the clock still sees it move (the program's
// time-outs are 1.5 s and more). Everything else a wait loop watches arrives
// as an event, so a shorter deadline buys nothing but wake-ups: waking every
// millisecond cost about 0.6 ms of CPU per 37.5 ms live frame, every 10 ms
// still about 0.25 ms; at 50 ms, longer than a frame, a running loop wakes
// for its events alone.
int ProcessSystemEvents() {
    if (!QCoreApplication::instance()) return 0;
    static QElapsedTimer since;
    static QTimer* wake = [] {
        auto* t = new QTimer(QCoreApplication::instance());
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
        return t;
    }();
    const bool polling = since.isValid() && since.nsecsElapsed() < 20000;
    if (polling) {
        wake->start(kMaxWaitMs);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wake->stop();
    } else {
        QCoreApplication::processEvents();
    }
    since.restart();
    return 0;
}
