// RS-232 over QSerialPort: the port table, opening and settings, reads and
// writes, and the receive notification.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QList>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/uistate.h"

// After the engine headers: termios defines a CTRL macro of its own.
#include <sys/ioctl.h>

namespace {

// ---------------------------------------------------------------------------
// Port table
// ---------------------------------------------------------------------------
struct SystemPort {
    QString location;     // /dev/ttyUSB0
    QString name;         // ttyUSB0
    QString description;  // "FT232R USB UART", may be empty
    bool present = true;  // false: numbered earlier, not there now
};

// Orders ttyS2 before ttyS10: names compare by their text, numbers by value.
bool naturalLess(const QString& a, const QString& b) {
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ie = i, je = j;
            while (ie < a.size() && a[ie].isDigit()) ++ie;
            while (je < b.size() && b[je].isDigit()) ++je;
            const qulonglong na = a.mid(i, ie - i).toULongLong();
            const qulonglong nb = b.mid(j, je - j).toULongLong();
            if (na != nb) return na < nb;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

struct PortTable {
    bool loaded = false;
    std::map<int, SystemPort> numbered;  // by port number, from 1
    std::map<int, QString> overrides;
    std::set<int> lost;      // the open device went away, not opened again since
    std::set<int> noAccess;  // the last open was refused for want of permission

    // Re-reads the system's devices; numbers stay with their devices.
    void load() {
        QList<SystemPort> now;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            now.append({info.systemLocation(), info.portName(), info.description()});
        std::sort(now.begin(), now.end(),
                  [](const SystemPort& a, const SystemPort& b) { return naturalLess(a.location, b.location); });
        std::map<int, QString> before;
        for (const auto& [n, p] : numbered) before[n] = p.location;
        QStringList locations;
        for (const SystemPort& p : now) locations.append(p.location);
        std::map<int, SystemPort> next;
        for (const auto& [n, location] : engine::numberPorts(before, locations)) {
            auto it = std::find_if(now.begin(), now.end(), [&](const SystemPort& p) { return p.location == location; });
            if (it != now.end()) {
                next[n] = *it;
            } else {
                next[n] = numbered[n];
                next[n].present = false;
            }
        }
        numbered = std::move(next);
        loaded = true;
    }
    const SystemPort* systemPort(int port) {
        if (!loaded) load();
        auto it = numbered.find(port);
        return it == numbered.end() ? nullptr : &it->second;
    }
};

PortTable& table() {
    static PortTable t;
    return t;
}

// ---------------------------------------------------------------------------
// Open ports
// ---------------------------------------------------------------------------
struct Port {
    QSerialPort* serial = nullptr;  // owned; deleted with deleteLater
    double timeout = 10.0;          // seconds, until SetComTime
    // Receive notification.
    ComCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    int eventMask = 0;
    int notifyCount = 0;
    bool armed = true;        // the queue has been below the count since the last call
    bool inCall = false;      // inside ComRd / ComWrt: Qt may emit readyRead there
    bool inCallback = false;  // the program's function is running
    bool checkQueued = false;
    bool lost = false;        // the device went away; closed at the next safe point
    bool resting = false;     // part of the count came; the port is not watched until the rest is due
    QMetaObject::Connection onReadyRead, onError;
    // Test support: the device's output queue simulated as draining at this
    // many bytes a second (below 0: the real queue is asked).
    double drainRate = -1;
    double drainLeft = 0;  // bytes queued at drainMark
    QElapsedTimer drainMark;
    QElapsedTimer lastWrite;  // since the last ComWrt handed bytes on

    void disconnectSignals() {
        QObject::disconnect(onReadyRead);
        QObject::disconnect(onError);
    }
};

std::map<int, std::unique_ptr<Port>>& ports() {
    static std::map<int, std::unique_ptr<Port>> p;
    return p;
}

Port* findPort(int port) {
    auto it = ports().find(port);
    return it == ports().end() ? nullptr : it->second.get();
}

// A port that can be used: open and its device still there.
Port* livePort(int port) {
    Port* p = findPort(port);
    return p && !p->lost ? p : nullptr;
}

// Closes at once, so that the device can be opened again straight away (the
// port drop-down closes and reopens in one callback). This may run inside
// one of the object's own signals (the program's function closing the port,
// or the first error), so the object itself goes only when control is back
// in the event loop.
void dropPort(int port) {
    auto it = ports().find(port);
    if (it == ports().end()) return;
    QSerialPort* s = it->second->serial;
    it->second->disconnectSignals();
    ports().erase(it);
    if (!s) return;
    s->close();
    s->deleteLater();
}

// Bytes written but not yet on the wire: Qt's buffer and the device's
// output queue.
qint64 outputPending(Port* p) {
    qint64 n = p->serial->bytesToWrite();
    if (p->drainRate >= 0) {
        const double left = p->drainLeft - p->drainRate * static_cast<double>(p->drainMark.nsecsElapsed()) / 1e9;
        return n + (left > 0 ? static_cast<qint64>(left + 0.999) : 0);
    }
    int kernel = 0;
    if (ioctl(p->serial->handle(), TIOCOUTQ, &kernel) == 0 && kernel > 0) n += kernel;
    return n;
}

qint64 queueLength(Port* p) {
    qint64 n = p->serial->bytesAvailable();
    int kernel = 0;
    // Bytes the event loop has not yet moved into Qt's buffer.
    if (ioctl(p->serial->handle(), FIONREAD, &kernel) == 0 && kernel > 0) n += kernel;
    return n;
}

void runNotification(int port);

// A reply comes in slices (a UART's FIFO, a USB adapter's packets), and each
// slice would wake the program. Once the first part of the count has come,
// the rest cannot come before its bytes' time on the line: until shortly
// before then (whole milliseconds, never late) the port is not watched, so a
// reply in five slices wakes the program three times. What comes later than
// that is watched for as before; a read turns the watch on too (Qt does).
void restUntilDue(Port* p, qint64 queued) {
    QSerialPort* s = p->serial;
    if (p->resting || s->baudRate() <= 0) return;
    p->resting = true;  // once a reply: after that the rest is already on its way
    const int bitsPerByte = 1 + s->dataBits() + (s->parity() != QSerialPort::NoParity) +
                            (s->stopBits() == QSerialPort::TwoStop ? 2 : 1);
    const qint64 ms = (p->notifyCount - queued) * bitsPerByte * 1000 / s->baudRate();
    if (ms < 2) return;
    for (QSocketNotifier* watch : s->findChildren<QSocketNotifier*>()) {
        if (watch->type() != QSocketNotifier::Read || !watch->isEnabled()) continue;
        watch->setEnabled(false);
        QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, watch, [watch] { watch->setEnabled(true); });
    }
}

// Asks for a look at the queue from the event loop (after ComRd, ComWrt, or
// a nested callback, which must not call the program's function themselves).
void queueCheck(int port, Port* p) {
    if (p->checkQueued || !p->callback) return;
    p->checkQueued = true;
    QSerialPort* s = p->serial;
    QTimer::singleShot(0, s, [port, s] {
        Port* q = findPort(port);
        if (!q || q->serial != s) return;
        q->checkQueued = false;
        runNotification(port);
    });
}

// Calls the program's function when the queue has reached the count and had
// fallen below it since the last call.
void runNotification(int port) {
    Port* p = livePort(port);
    if (!p || !p->callback || p->notifyCount <= 0) return;
    const qint64 n = p->serial->bytesAvailable();
    if (n < p->notifyCount) {
        p->armed = true;
        if (n > 0 && !p->inCall && (p->eventMask & LWRS_RECEIVE)) restUntilDue(p, queueLength(p));
        return;
    }
    p->resting = false;
    // Inside ComRd / ComWrt, or nested in the program's function: looked at
    // again when that returns.
    if (!p->armed || p->inCall || p->inCallback) return;
    p->armed = false;
    if (!(p->eventMask & LWRS_RECEIVE)) return;
    const ComCallbackPtr fn = p->callback;
    void* data = p->callbackData;
    QSerialPort* s = p->serial;
    p->inCallback = true;
    fn(port, LWRS_RECEIVE, data);
    // The function may have closed or reopened the port.
    p = findPort(port);
    if (!p || p->serial != s) return;
    p->inCallback = false;
    if (p->serial->bytesAvailable() < p->notifyCount) p->armed = true;
    if (p->armed) queueCheck(port, p);
}

// After a call that may have emptied the queue or swallowed readyRead.
void afterCall(int port) {
    Port* p = findPort(port);
    if (!p) return;
    p->inCall = false;
    p->resting = false;
    if (p->lost) {
        dropPort(port);
        return;
    }
    if (p->callback && p->serial->bytesAvailable() < p->notifyCount) p->armed = true;
    if (p->armed && p->callback && p->serial->bytesAvailable() >= p->notifyCount) queueCheck(port, p);
}

void onError(int port, QSerialPort* s, QSerialPort::SerialPortError error) {
    // A pty whose far end closed reports ReadError on every pass of the
    // loop; a pulled USB adapter reports ResourceError. Either way the
    // device is gone: stop at the first report.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) return;
    Port* p = findPort(port);
    if (!p || p->serial != s || p->lost) return;
    p->lost = true;
    table().lost.insert(port);
    engine::refreshPortLists();
    // Qt's error text is stale here; name the kind instead.
    std::fprintf(stderr, "kvor: COM%d (%s) went away (%s); port closed\n", port,
                 engine::toProgram(s->portName()).constData(),
                 error == QSerialPort::ResourceError ? "device removed" : "read error, far end closed");
    // Inside ComRd / ComWrt the call notices and closes when it returns.
    if (p->inCall)
        p->disconnectSignals();
    else
        dropPort(port);
}

// Not found, busy (Qt locks the device), refused, not a terminal: the
// program shows one text for all; the reason goes to stderr for whoever
// sets the machine up.
int reportOpenError(int port, const QSerialPort& s) {
    const bool refused = s.error() == QSerialPort::PermissionError;
    const char* hint =
        refused ? " (in use by another program, or no permission: is the user in the dialout group?)" : "";
    if (refused) table().noAccess.insert(port);
    engine::refreshPortLists();
    std::fprintf(stderr, "kvor: COM%d (%s) cannot be opened: %s%s\n", port,
                 engine::toProgram(s.portName()).constData(), engine::toProgram(s.errorString()).constData(), hint);
    return kRS232CannotOpenPort;
}

}  // namespace

// Test support (declared in engine/testing_io.h).
QObject* TestSerialPortObject(int port) {
    Port* p = findPort(port);
    return p ? p->serial : nullptr;
}

void TestSimulateOutputDrain(int port, double bytesPerSecond) {
    if (Port* p = findPort(port)) {
        p->drainRate = bytesPerSecond;
        p->drainLeft = 0;
        p->drainMark.start();
    }
}

// ---------------------------------------------------------------------------
// Port table
// ---------------------------------------------------------------------------
void SetComPortPath(int port, const std::string& devicePath) {
    if (port < 1) return;
    if (devicePath.empty())
        table().overrides.erase(port);
    else
        table().overrides[port] = engine::fromProgram(devicePath.c_str());
}

std::string ComPortDevice(int port) {
    auto it = table().overrides.find(port);
    if (it != table().overrides.end()) return engine::toProgram(it->second).toStdString();
    const SystemPort* sp = table().systemPort(port);
    return sp ? engine::toProgram(sp->location).toStdString() : std::string();
}

std::string ComPortDescription(int port) {
    QString text = QStringLiteral("COM%1  ").arg(port);
    PortTable& t = table();
    bool known = true, present = true;
    auto it = t.overrides.find(port);
    if (it != t.overrides.end()) {
        QString path = it->second;
        present = QFileInfo::exists(path);
        if (path.startsWith(QLatin1String("/dev/"))) path = path.mid(5);
        text += path;
    } else if (const SystemPort* sp = t.systemPort(port)) {
        text += sp->name;
        if (!sp->description.isEmpty()) text += QStringLiteral(" (%1)").arg(sp->description);
        present = sp->present;
    } else {
        text += QStringLiteral("(none)");
        known = false;
    }
    if (t.lost.count(port))
        text += present ? QStringLiteral(" - went away, back now: choose it to reopen")
                        : QStringLiteral(" - went away");
    else if (t.noAccess.count(port))
        text += QStringLiteral(" - no access: add the user to the dialout group");
    else if (known && !present)
        text += QStringLiteral(" - absent");
    return engine::toProgram(text).toStdString();
}

void RefreshComPorts() { table().load(); }

namespace engine {

std::map<int, QString> numberPorts(const std::map<int, QString>& before, const QStringList& now) {
    std::map<int, QString> out = before;
    for (const QString& location : now) {
        const bool numbered =
            std::any_of(out.begin(), out.end(), [&](const auto& entry) { return entry.second == location; });
        if (numbered) continue;
        int n = 1;
        while (out.count(n)) ++n;
        out[n] = location;
    }
    return out;
}

}  // namespace engine

// ---------------------------------------------------------------------------
// Opening and settings
// ---------------------------------------------------------------------------
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize) {
    if (port < 1) return kRS232InvalidPortNum;
    const QString device = deviceName && *deviceName ? engine::fromProgram(deviceName)
                                                     : engine::fromProgram(ComPortDevice(port).c_str());
    if (device.isEmpty()) return kRS232InvalidPortNum;

    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    if (baudRate <= 0 || baudRate > 4000000 || parity < 0 || parity > 4 || dataBits < 5 || dataBits > 8 ||
        (stopBits != 1 && stopBits != 2) || inputQueueSize < 0 || outputQueueSize < 0)
        return kRS232InvalidParameter;

    // Opening a number that is open starts it afresh.
    if (findPort(port)) dropPort(port);

    auto* s = new QSerialPort;
    s->setPortName(device);
    if (!s->open(QIODevice::ReadWrite)) {
        const int code = reportOpenError(port, *s);
        delete s;
        return code;
    }
    // A pty keeps only some line settings (7 data bits or a parity are
    // refused as unsupported); a real port takes them all. Unsupported is
    // noted, not fatal; any other refusal is a bad setting.
    bool bad = false;
    auto apply = [&](const char* what, bool ok) {
        if (ok || bad) return;
        if (s->error() == QSerialPort::UnsupportedOperationError) {
            std::fprintf(stderr, "kvor: COM%d (%s) does not support its %s setting; kept as it was\n", port,
                         engine::toProgram(s->portName()).constData(), what);
            s->clearError();
            return;
        }
        std::fprintf(stderr, "kvor: COM%d (%s) refused its %s setting: %s\n", port,
                     engine::toProgram(s->portName()).constData(), what,
                     engine::toProgram(s->errorString()).constData());
        bad = true;
    };
    apply("baud rate", s->setBaudRate(static_cast<qint32>(baudRate)));
    apply("data bits", s->setDataBits(static_cast<QSerialPort::DataBits>(dataBits)));
    apply("parity", s->setParity(parities[parity]));
    apply("stop bits", s->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop));
    apply("handshake", s->setFlowControl(QSerialPort::NoFlowControl));
    if (bad) {
        s->close();
        delete s;
        return kRS232InvalidParameter;
    }
    s->clearError();

    auto p = std::make_unique<Port>();
    p->serial = s;
    p->onReadyRead = QObject::connect(s, &QSerialPort::readyRead, s, [port] { runNotification(port); });
    p->onError = QObject::connect(s, &QSerialPort::errorOccurred, s,
                                  [port, s](QSerialPort::SerialPortError e) { onError(port, s, e); });
    ports()[port] = std::move(p);
    // Open again: the port list drops what it said about the device.
    PortTable& t = table();
    if (t.lost.erase(port) + t.noAccess.erase(port) > 0) {
        std::fprintf(stderr, "kvor: COM%d (%s) open again\n", port, engine::toProgram(device).constData());
        engine::refreshPortLists();
    }
    return 0;
}

int CloseCom(int port) {
    if (!findPort(port)) return kRS232PortNotOpen;
    dropPort(port);
    return 0;
}

int SetComTime(int port, double timeoutSeconds) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    if (!(timeoutSeconds >= 0) || timeoutSeconds > 1e6) return kRS232InvalidParameter;
    p->timeout = timeoutSeconds;
    return 0;
}

int SetCTSMode(int port, int mode) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    if (mode != 0 && mode != 1) return kRS232InvalidParameter;
    const bool ok = p->serial->setFlowControl(mode ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
    if (!ok && p->serial->error() != QSerialPort::UnsupportedOperationError) return kRS232InvalidParameter;
    return 0;
}

int InstallComCallback(int port, int eventMask, int notifyCount, int /*eventCharacter*/, ComCallbackPtr callback,
                       void* callbackData) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    if (callback && (eventMask & LWRS_RECEIVE) && notifyCount < 1) return kRS232InvalidParameter;
    p->callback = callback;
    p->callbackData = callbackData;
    p->eventMask = eventMask;
    p->notifyCount = notifyCount;
    p->armed = true;
    // A queue that already holds the count is announced at the next pass.
    if (callback && !p->inCall && p->serial->bytesAvailable() >= notifyCount) queueCheck(port, p);
    return 0;
}

// ---------------------------------------------------------------------------
// Reads and writes
// ---------------------------------------------------------------------------
int ComWrt(int port, const char* buffer, int count) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    if (count < 0 || (count > 0 && !buffer)) return kRS232InvalidParameter;
    if (count == 0) return 0;
    p->inCall = true;
    QSerialPort* s = p->serial;
    qint64 queued = s->write(buffer, count);
    if (queued < 0) queued = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 budget = static_cast<qint64>(p->timeout * 1000.0);
    // Every successful wait has written something; a time-out of 0 still
    // writes what the line takes at once.
    while (s->bytesToWrite() > 0 && !p->lost) {
        const qint64 left = std::clamp<qint64>(budget - clock.elapsed(), 0, 1 << 30);
        if (!s->waitForBytesWritten(static_cast<int>(left))) break;
    }
    // Report what went on the line; what could not go in time is dropped
    // rather than sent later behind the caller's back.
    const qint64 stuck = s->bytesToWrite();
    if (stuck > 0 && !p->lost) s->clear(QSerialPort::Output);
    const qint64 written = std::max<qint64>(0, queued - stuck);
    if (written > 0) p->lastWrite.start();
    if (p->drainRate >= 0) {
        p->drainLeft = static_cast<double>(outputPending(p) - s->bytesToWrite() + written);
        p->drainMark.restart();
    }
    const bool lost = p->lost;
    afterCall(port);
    if (lost) return kRS232UnknownIOErr;
    return static_cast<int>(std::min<qint64>(written, count));
}

int ComRd(int port, char* buffer, int count) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    if (count < 0 || (count > 0 && !buffer)) return kRS232InvalidParameter;
    p->inCall = true;
    QSerialPort* s = p->serial;
    qint64 got = 0;
    QElapsedTimer clock;
    clock.start();
    const qint64 budget = static_cast<qint64>(p->timeout * 1000.0);
    while (got < count) {
        const qint64 n = s->read(buffer + got, count - got);
        if (n > 0) got += n;
        if (got >= count || p->lost) break;
        // Also with no time left: bytes still in the kernel count as queued.
        const qint64 left = std::clamp<qint64>(budget - clock.elapsed(), 0, 1 << 30);
        // Emits readyRead inside; runNotification sees inCall and waits.
        if (!s->waitForReadyRead(static_cast<int>(left)) && (left == 0 || s->error() != QSerialPort::TimeoutError))
            break;
    }
    afterCall(port);
    return static_cast<int>(got);
}

int FlushInQ(int port) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    p->serial->clear(QSerialPort::Input);
    // clear() reports a vanished device at once, and that drops the port.
    if (Port* q = livePort(port)) {
        q->armed = true;
        q->resting = false;
    }
    return 0;
}

int FlushOutQ(int port) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    // A frame that has started to leave is let finish: cut short, the far
    // end would drop the fragment. At most until the time a 36-byte frame
    // takes and a margin has passed since the last write, so that an adapter
    // that takes nothing cannot hold the program (and a frame written long
    // ago costs no look at the queue); then whatever never left is dropped.
    const qint64 limitNs = static_cast<qint64>(360.0 / std::max<qint32>(p->serial->baudRate(), 1) * 1e9) + 10'000'000;
    while (p->lastWrite.isValid() && p->lastWrite.nsecsElapsed() < limitNs && outputPending(p) > 0)
        QThread::usleep(500);
    p->serial->clear(QSerialPort::Output);
    if (p->drainRate >= 0) p->drainLeft = 0;
    return 0;
}

int GetInQLen(int port) {
    Port* p = livePort(port);
    if (!p) return kRS232PortNotOpen;
    return static_cast<int>(std::min<qint64>(queueLength(p), 1 << 30));
}
