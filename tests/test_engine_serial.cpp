// The RS-232 calls over real pseudo-terminals: the test plays the device on
// the master side.
#include <gtest/gtest.h>

#include <QObject>
#include <QSerialPort>

#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>

#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_io.h"
#include "support/pty.h"

namespace {

using testsupport::Pty;

constexpr int kPort = 7;  // numbers beyond the machine's own ports
constexpr int kOther = 8;

// What the receive function saw. Like the program's, it reads a frame and
// flushes the rest, unless told to leave the queue alone or to close.
struct Notifications {
    int calls = 0, lastMask = 0;
    void* lastData = nullptr;
    bool duringRead = false;  // called while ComRd ran
    bool readAndFlush = true, closeInside = false;
    std::string frames;
};
Notifications* g_note = nullptr;
bool g_inRead = false;

void onReceive(int port, int mask, void* data) {
    Notifications& n = *g_note;
    ++n.calls;
    n.lastMask = mask;
    n.lastData = data;
    n.duringRead = n.duringRead || g_inRead;
    if (n.closeInside) CloseCom(port);
    if (n.closeInside || !n.readAndFlush) return;
    char buf[36];
    const int got = ComRd(port, buf, 36);
    if (got > 0) n.frames.append(buf, static_cast<std::size_t>(got));
    FlushInQ(port);
}

int openPort(int port = kPort) { return OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096); }

std::string frame(char fill) { return std::string(36, fill); }

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        SetComPortPath(kPort, pty.path());
        g_note = &note;
        ASSERT_EQ(openPort(), 0);
    }
    void TearDown() override {
        for (int port : {kPort, kOther}) {
            CloseCom(port);
            SetComPortPath(port, "");
        }
        TestRunEvents(5);  // lets closed ports go
        g_note = nullptr;
    }
    // A read during which the notification must not run.
    int readWatched(char* buf, int count) {
        g_inRead = true;
        const int got = ComRd(kPort, buf, count);
        g_inRead = false;
        return got;
    }
    // Waits for `queued` bytes, then gives a notification time to run.
    void settle(int queued) {
        TestWaitFor([&] { return GetInQLen(kPort) == queued; }, 2000);
        TestRunEvents(30);
    }
    void notifyOn(int count = 36, void* data = nullptr) {
        ASSERT_EQ(InstallComCallback(kPort, LWRS_RECEIVE, count, 0x55, onReceive, data), 0);
    }
    bool notified(int calls) {
        return TestWaitFor([&] { return note.calls == calls; }, 2000);
    }
    Pty pty;
    Notifications note;
};

TEST(SerialPortTable, NumbersWithoutDeviceAndOverrides) {
    for (int bad : {4711, 0, -3}) EXPECT_EQ(openPort(bad), kRS232InvalidPortNum) << bad;
    EXPECT_EQ(ComPortDescription(4711), "COM4711  (none)");
    SetComPortPath(4711, "/dev/pts/99");
    EXPECT_EQ(ComPortDescription(4711), "COM4711  pts/99");
    RefreshComPorts();  // re-reading the system's ports keeps the overrides
    EXPECT_EQ(ComPortDevice(4711), "/dev/pts/99");
    SetComPortPath(4711, "");
    EXPECT_EQ(ComPortDevice(4711), "");
    // The system's own ports are numbered from 1 without gaps.
    int n = 1;
    for (; !ComPortDevice(n).empty(); ++n) EXPECT_EQ(ComPortDescription(n).rfind("COM" + std::to_string(n) + "  ", 0), 0u);
    EXPECT_EQ(ComPortDescription(n), "COM" + std::to_string(n) + "  (none)");
}

TEST_F(SerialTest, LineSettingsBusyDevicesAndNonTerminals) {
    EXPECT_EQ(std::tuple(SetComTime(kPort, 1.5), SetCTSMode(kPort, 0), FlushOutQ(kPort)), std::tuple(0, 0, 0));
    EXPECT_EQ(SetComTime(kPort, -1.0), kRS232InvalidParameter);
    EXPECT_EQ(SetCTSMode(kPort, 7), kRS232InvalidParameter);
    char notATty[] = "/tmp/kvor-notatty-XXXXXX";
    ::close(mkstemp(notATty));
    struct Row { std::string path; long baud; int parity, data, stop, result; } rows[] = {
        {pty.path(), 19200, 0, 8, 1, kRS232CannotOpenPort},  // held by the first number
        {notATty, 19200, 0, 8, 1, kRS232CannotOpenPort}, {"/nonexistent/tty", 19200, 0, 8, 1, kRS232CannotOpenPort},
        {pty.path(), 0, 0, 8, 1, kRS232InvalidParameter}, {pty.path(), -19200, 0, 8, 1, kRS232InvalidParameter},
        {pty.path(), 19200, 5, 8, 1, kRS232InvalidParameter}, {pty.path(), 19200, -1, 8, 1, kRS232InvalidParameter},
        {pty.path(), 19200, 0, 9, 1, kRS232InvalidParameter}, {pty.path(), 19200, 0, 4, 1, kRS232InvalidParameter},
        {pty.path(), 19200, 0, 8, 3, kRS232InvalidParameter}, {pty.path(), 19200, 0, 8, 0, kRS232InvalidParameter}};
    for (const Row& r : rows) {
        EXPECT_EQ(OpenComConfig(kOther, r.path.c_str(), r.baud, r.parity, r.data, r.stop, 4096, 4096), r.result)
            << r.path << " " << r.baud << " " << r.parity << " " << r.data << " " << r.stop;
        EXPECT_EQ(GetInQLen(kOther), kRS232PortNotOpen);
    }
    std::remove(notATty);
    // Closing releases the device at once: the drop-down closes and reopens in one go.
    EXPECT_EQ(CloseCom(kPort), 0);
    EXPECT_EQ(CloseCom(kPort), kRS232PortNotOpen);
    SetComPortPath(kOther, pty.path());
    EXPECT_EQ(OpenComConfig(kOther, "", 9600, 2, 7, 2, 512, 512), 0) << "even parity, 7 bits, 2 stop bits";
}

// Bytes come in pieces (one readyRead each) or in a burst with extra bytes:
// the notification fires once the count is queued, and again only after the
// queue has fallen below it.
TEST_F(SerialTest, NotifiesOncePerCrossingOfTheCount) {
    int cookie = 0;
    ASSERT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, &cookie), 0);
    for (int queued = 6; queued <= 36; queued += 6) {
        EXPECT_EQ(note.calls, 0) << queued - 6 << " bytes are not a frame";
        ASSERT_TRUE(pty.send(frame('x').substr(0, 6)));
        TestWaitFor([&] { return note.calls > 0 || GetInQLen(kPort) >= queued; }, 1000);
        TestRunEvents(2);
    }
    ASSERT_TRUE(notified(1));
    EXPECT_EQ(std::tuple(note.lastMask & LWRS_RECEIVE, note.lastData), std::tuple(+LWRS_RECEIVE, (void*)&cookie));
    ASSERT_TRUE(pty.send(frame('b') + "tail"));
    ASSERT_TRUE(notified(2));
    settle(0);
    EXPECT_EQ(note.calls, 2);
    EXPECT_EQ(note.frames, frame('x') + frame('b'));
    EXPECT_EQ(GetInQLen(kPort), 0) << "the function flushed the four extra bytes";

    note.readAndFlush = false;
    ASSERT_TRUE(pty.send(frame('1')));
    ASSERT_TRUE(notified(3));
    ASSERT_TRUE(pty.send(frame('2')));
    settle(72);
    EXPECT_EQ(note.calls, 3) << "the queue never dropped below 36";
    ASSERT_EQ(FlushInQ(kPort), 0);
    ASSERT_TRUE(pty.send(frame('3')));
    ASSERT_TRUE(notified(4));
}

TEST_F(SerialTest, ReopeningOrInstallingWithoutAFunctionEndsTheNotification) {
    notifyOn();
    ASSERT_EQ(openPort(), 0);
    ASSERT_TRUE(pty.send(frame('a')));
    settle(36);
    EXPECT_EQ(note.calls, 0) << "a reopened port carries no notification over";
    ASSERT_EQ(FlushInQ(kPort), 0);
    notifyOn();
    ASSERT_EQ(InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0);
    ASSERT_TRUE(pty.send(std::string(128, 'k')));
    settle(128);
    EXPECT_EQ(note.calls, 0) << "installed without a function";
    char buf[128];
    EXPECT_EQ(ComRd(kPort, buf, 128), 128) << "the block stays queued for the reader";
    notifyOn();  // again, on an empty queue: the next frame notifies
    ASSERT_TRUE(pty.send(frame('n')));
    EXPECT_TRUE(notified(1));
}

TEST_F(SerialTest, ReadsWaitUpToTheTimeOutAndNeverRunTheNotification) {
    ASSERT_EQ(SetComTime(kPort, 0.2), 0);
    notifyOn(5);
    note.readAndFlush = false;
    // Short of the count: what came, after the time-out.
    ASSERT_TRUE(pty.send("0123456789"));
    char buf[64] = {};
    ASSERT_EQ(readWatched(buf, 36), 10);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    // Bytes that arrive while the read waits complete it.
    ASSERT_EQ(SetComTime(kPort, 5.0), 0);
    std::thread late([this] {
        usleep(50 * 1000);
        pty.send(frame('L'));
    });
    const int got = readWatched(buf, 36);
    late.join();
    ASSERT_EQ(got, 36);
    EXPECT_EQ(std::string(buf, 36), frame('L'));
    EXPECT_EQ(note.calls, 0);
    // A read that leaves the count queued hands over to the event loop.
    ASSERT_TRUE(pty.send(frame('M')));
    TestWaitFor([&] { return GetInQLen(kPort) == 36; }, 2000);
    EXPECT_EQ(readWatched(buf, 4), 4);
    EXPECT_TRUE(notified(1));
    EXPECT_FALSE(note.duringRead);
    EXPECT_EQ(ComRd(kPort, buf, -1), kRS232InvalidParameter);
}

TEST_F(SerialTest, QueueLengthReadsFlushesAndWritesNeedNoEventLoop) {
    ASSERT_TRUE(pty.send(std::string(20, 'a')));
    settle(20);  // into Qt's buffer
    ASSERT_TRUE(pty.send(std::string(52, 'b')));
    // The firmware read polls like this, running no events.
    int n = 0;
    const double end = Timer() + 2.0;
    while ((n = GetInQLen(kPort)) < 72 && Timer() < end) usleep(1000);
    EXPECT_EQ(n, 72);
    // With no time to wait, a read still takes what the kernel holds.
    ASSERT_EQ(SetComTime(kPort, 0.0), 0);
    char buf[72];
    EXPECT_EQ(ComRd(kPort, buf, 30), 30);
    EXPECT_EQ(std::string(buf + 18, 4), "aabb");
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    EXPECT_EQ(ComRd(kPort, buf, 72), 0);
    // A write is on the line, whole, when it returns.
    std::string out;
    for (int i = 0; i < 36; ++i) out.push_back(static_cast<char>(i * 7));
    EXPECT_EQ(ComWrt(kPort, out.data(), 36), 36);
    EXPECT_EQ(pty.receive(36, 1000), out);
    EXPECT_EQ(ComWrt(kPort, out.data(), 0), 0);
    EXPECT_EQ(ComWrt(kPort, nullptr, 5), kRS232InvalidParameter);
    EXPECT_EQ(ComWrt(kPort, out.data(), -1), kRS232InvalidParameter);
}

TEST_F(SerialTest, ClosingFromInsideTheNotificationIsSafe) {
    note.closeInside = true;
    notifyOn();
    ASSERT_TRUE(pty.send(frame('c') + frame('d')));
    ASSERT_TRUE(notified(1));
    TestRunEvents(20);
    EXPECT_EQ(note.calls, 1);
    EXPECT_EQ(GetInQLen(kPort), kRS232PortNotOpen);
    EXPECT_EQ(openPort(), 0) << "and the device can be opened again";
}

// A far end that closes floods a port left open with errors; the port is
// closed on the first, and every later call fails like a closed port.
TEST_F(SerialTest, VanishedDeviceIsClosedOnceAndCallsFailCleanly) {
    notifyOn();
    int errors = 0;
    auto* serial = qobject_cast<QSerialPort*>(TestSerialPortObject(kPort));
    ASSERT_NE(serial, nullptr);
    const auto watch = QObject::connect(serial, &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError e) {
        errors += e == QSerialPort::ReadError || e == QSerialPort::ResourceError;
    });
    pty.closeSlave();
    pty.closeMaster();
    ASSERT_TRUE(TestWaitFor([] { return TestSerialPortObject(kPort) == nullptr; }, 2000));
    TestRunEvents(200);  // a port left open would report the error thousands of times here
    QObject::disconnect(watch);
    EXPECT_GE(errors, 1);
    EXPECT_LE(errors, 3);

    char buf[36] = {};
    EXPECT_EQ(ComWrt(kPort, buf, 36), kRS232PortNotOpen);
    EXPECT_EQ(ComRd(kPort, buf, 36), kRS232PortNotOpen);
    EXPECT_EQ(GetInQLen(kPort), kRS232PortNotOpen);
    EXPECT_EQ(FlushInQ(kPort), kRS232PortNotOpen);
    EXPECT_EQ(InstallComCallback(kPort, LWRS_RECEIVE, 36, 0x55, onReceive, nullptr), kRS232PortNotOpen);
    EXPECT_EQ(CloseCom(kPort), kRS232PortNotOpen);
    EXPECT_EQ(note.calls, 0);

}

TEST_F(SerialTest, DeviceVanishingDuringAReadEndsTheRead) {
    // Longer than the suite's time limit: a read that sat it out would fail.
    ASSERT_EQ(SetComTime(kPort, 1000.0), 0);
    pty.closeSlave();
    std::thread pull([this] {
        usleep(50 * 1000);
        pty.closeMaster();
    });
    char buf[36];
    const int got = ComRd(kPort, buf, 36);
    pull.join();
    EXPECT_EQ(got, 0);
    EXPECT_EQ(GetInQLen(kPort), kRS232PortNotOpen);
    EXPECT_EQ(TestSerialPortObject(kPort), nullptr);
}

}  // namespace
