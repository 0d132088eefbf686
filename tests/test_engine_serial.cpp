// The RS-232 calls over real pseudo-terminals; the test plays the device on the master side.
#include <gtest/gtest.h>

#include <QObject>
#include <QSerialPort>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>

#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/testing.h"
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
    ++n.calls, n.lastMask = mask, n.lastData = data, n.duringRead |= g_inRead;
    if (n.closeInside) CloseCom(port);
    if (n.closeInside || !n.readAndFlush) return;
    char buf[36];
    if (const int got = ComRd(port, buf, 36); got > 0) n.frames.append(buf, static_cast<std::size_t>(got));
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
        for (int port : {kPort, kOther}) CloseCom(port), SetComPortPath(port, "");
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
    bool notified(int calls) { return TestWaitFor([&] { return note.calls == calls; }, 2000); }
    bool sendAndNotified(const std::string& bytes, int calls) { return pty.send(bytes) && notified(calls); }
    Pty pty;
    Notifications note;
};

// Closing releases the device at once, so the drop-down closes and reopens
// in one go; overrides survive re-reading the system's ports.
TEST_F(SerialTest, BadArgumentsBusyDevicesAndClosedPortsFailAndPortsAreListed) {
    const char* tty = pty.path().c_str();
    auto open = [](const char* path, long baud, int parity, int data, int stop) {
        return OpenComConfig(kOther, path, baud, parity, data, stop, 4096, 4096);
    };
    char buf[36] = {};
    constexpr int bad = kRS232InvalidParameter, closed = kRS232PortNotOpen;
    EXPECT_CALLS(
        TEST_CALL(openPort(4711), kRS232InvalidPortNum), TEST_CALL(openPort(0), kRS232InvalidPortNum),
        TEST_CALL(SetComTime(kPort, 1.5), 0), TEST_CALL(SetComTime(kPort, -1.0), bad),
        TEST_CALL(SetCTSMode(kPort, 0), 0), TEST_CALL(SetCTSMode(kPort, 7), bad), TEST_CALL(ComRd(kPort, buf, -1), bad),
        TEST_CALL(ComWrt(kPort, buf, 0), 0), TEST_CALL(ComWrt(kPort, nullptr, 5), bad),
        TEST_CALL(ComWrt(kPort, buf, -1), bad), TEST_CALL(FlushOutQ(kPort), 0),
        TEST_CALL(open(tty, 19200, 0, 8, 1), kRS232CannotOpenPort),  // held by the first number
        TEST_CALL(open("/nonexistent/tty", 19200, 0, 8, 1), kRS232CannotOpenPort),
        TEST_CALL(open(tty, 0, 0, 8, 1), bad), TEST_CALL(open(tty, 19200, 5, 8, 1), bad),
        TEST_CALL(open(tty, 19200, -1, 8, 1), bad), TEST_CALL(open(tty, 19200, 0, 9, 1), bad),
        TEST_CALL(open(tty, 19200, 0, 4, 1), bad), TEST_CALL(open(tty, 19200, 0, 8, 3), bad),
        TEST_CALL(open(tty, 19200, 0, 8, 0), bad),
        TEST_CALL(GetInQLen(kOther), closed), TEST_CALL(ComWrt(kOther, buf, 36), closed),
        TEST_CALL(ComRd(kOther, buf, 36), closed), TEST_CALL(FlushInQ(kOther), closed),
        TEST_CALL(InstallComCallback(kOther, LWRS_RECEIVE, 36, 0x55, onReceive, nullptr), closed),
        TEST_CALL(CloseCom(kPort), 0), TEST_CALL(CloseCom(kPort), closed));
    SetComPortPath(kOther, pty.path());
    EXPECT_EQ(OpenComConfig(kOther, "", 9600, 2, 7, 2, 512, 512), 0) << "even parity, 7 bits, 2 stop bits";
    EXPECT_EQ(ComPortDescription(4711), "COM4711  (none)");
    SetComPortPath(4711, "/dev/pts/99");
    RefreshComPorts();  // re-reading the system's ports keeps the overrides; this one names no device now
    EXPECT_EQ(std::pair(ComPortDescription(4711), ComPortDevice(4711)),
              std::pair(std::string("COM4711  pts/99 - absent"), std::string("/dev/pts/99")));
    SetComPortPath(4711, "");
    EXPECT_EQ(ComPortDevice(4711), "");
    // The system's own ports are numbered from 1 without gaps.
    int n = 1;
    for (; !ComPortDevice(n).empty(); ++n) EXPECT_EQ(ComPortDescription(n).rfind("COM" + std::to_string(n) + "  ", 0), 0u);
    EXPECT_EQ(ComPortDescription(n), "COM" + std::to_string(n) + "  (none)");
}

// Bytes come in pieces (one readyRead each) or in a burst with extra bytes:
// the notification fires once the count is queued, and again only after the
// queue has fallen below it.
TEST_F(SerialTest, NotifiesOncePerCrossingOfTheCount) {
    int cookie = 0;
    ASSERT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, &cookie), 0);
    for (int queued = 6; queued <= 36; queued += 6, TestRunEvents(2)) {
        EXPECT_EQ(note.calls, 0) << queued - 6 << " bytes are not a frame";
        ASSERT_TRUE(pty.send(frame('x').substr(0, 6)));
        TestWaitFor([&] { return note.calls > 0 || GetInQLen(kPort) >= queued; }, 1000);
    }
    ASSERT_TRUE(notified(1));
    EXPECT_EQ(std::tuple(note.lastMask & LWRS_RECEIVE, note.lastData), std::tuple(+LWRS_RECEIVE, (void*)&cookie));
    ASSERT_TRUE(sendAndNotified(frame('b') + "tail", 2));
    settle(0);  // the function flushed the four extra bytes
    EXPECT_EQ(std::tuple(note.calls, note.frames, GetInQLen(kPort)), std::tuple(2, frame('x') + frame('b'), 0));

    note.readAndFlush = false;
    ASSERT_TRUE(sendAndNotified(frame('1'), 3));
    ASSERT_TRUE(pty.send(frame('2')));
    settle(72);
    EXPECT_EQ(std::pair(note.calls, FlushInQ(kPort)), std::pair(3, 0)) << "the queue never dropped below 36";
    ASSERT_TRUE(sendAndNotified(frame('3'), 4));
}

// A reply in slices at the line's pace (36 bytes at 19200 baud in 8-byte
// slices) wakes the program fewer times than it has slices and is announced
// whole; slices slower than the line are each waited for.
TEST_F(SerialTest, SlicesAtTheLinesPaceWakeTheProgramLessOften) {
    int wakes = 0;
    QObject::connect(qobject_cast<QSerialPort*>(TestSerialPortObject(kPort)), &QSerialPort::readyRead, [&] { ++wakes; });
    notifyOn();
    for (auto [fill, gap] : {std::pair{'x', std::chrono::microseconds(4167)}, {'y', std::chrono::milliseconds(30)}}) {
        wakes = 0;
        std::thread device([&, fill = fill, gap = gap] {
            auto at = std::chrono::steady_clock::now();
            for (int slice = 0; slice < 5; ++slice, std::this_thread::sleep_until(at += gap))
                pty.send(std::string(slice < 4 ? 8 : 4, fill));
        });
        const bool announced = notified(fill == 'x' ? 1 : 2);
        device.join();
        ASSERT_TRUE(announced);
        EXPECT_EQ(note.frames, frame('x') + (fill == 'y' ? frame('y') : ""));
        if (fill == 'x') {
            EXPECT_LT(wakes, 5);
        }
    }
}

TEST_F(SerialTest, ReopeningInstallingWithoutAFunctionOrClosingEndsTheNotification) {
    notifyOn();
    ASSERT_EQ(openPort(), 0);
    ASSERT_TRUE(pty.send(frame('a')));
    settle(36);
    EXPECT_CALLS(TEST_CALL(note.calls, 0),  // a reopened port carries no notification over
                 TEST_CALL(FlushInQ(kPort), 0),
                 TEST_CALL(InstallComCallback(kPort, LWRS_RECEIVE, 36, 0x55, onReceive, nullptr), 0),
                 TEST_CALL(InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0),
                 TEST_CALL(pty.send(std::string(128, 'k')), 1));
    settle(128);
    char buf[128];
    EXPECT_CALLS(TEST_CALL(note.calls, 0),  // installed without a function
                 TEST_CALL(ComRd(kPort, buf, 128), 128));  // the block stays queued for the reader
    notifyOn();  // again, on an empty queue: the next frame notifies
    note.closeInside = true;
    ASSERT_TRUE(sendAndNotified(frame('c') + frame('d'), 1));
    TestRunEvents(20);
    EXPECT_EQ(std::pair(note.calls, GetInQLen(kPort)), std::pair(1, +kRS232PortNotOpen));
    EXPECT_EQ(openPort(), 0) << "and the device can be opened again";
}

TEST_F(SerialTest, ReadsWaitUpToTheTimeOutAndNeverRunTheNotification) {
    ASSERT_EQ(SetComTime(kPort, 0.2), 0);
    notifyOn(5);
    note.readAndFlush = false;
    // Short of the count: what came, after the time-out.
    ASSERT_TRUE(pty.send("0123456789"));
    char buf[64] = {};
    EXPECT_EQ(readWatched(buf, 36), 10);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    // Bytes that arrive while the read waits complete it.
    ASSERT_EQ(SetComTime(kPort, 5.0), 0);
    std::thread late([this] { usleep(50 * 1000), pty.send(frame('L')); });
    const int got = readWatched(buf, 36);
    late.join();
    EXPECT_EQ(std::tuple(got, std::string(buf, 36), note.calls), std::tuple(36, frame('L'), 0));
    // A read that leaves the count queued hands over to the event loop.
    ASSERT_TRUE(pty.send(frame('M')));
    TestWaitFor([&] { return GetInQLen(kPort) == 36; }, 2000);
    EXPECT_EQ(readWatched(buf, 4), 4);
    EXPECT_TRUE(notified(1) && !note.duringRead);
}

// The firmware read polls the queue length like this, running no events; with
// no time to wait, a read still takes what the kernel holds.
TEST_F(SerialTest, AReadWithNoTimeToWaitTakesWhatTheKernelHolds) {
    ASSERT_TRUE(pty.send(std::string(20, 'a')));
    settle(20);  // into Qt's buffer
    ASSERT_TRUE(pty.send(std::string(52, 'b')));
    int n = 0;
    for (const double end = Timer() + 2.0; (n = GetInQLen(kPort)) < 72 && Timer() < end;) usleep(1000);
    char buf[30];
    EXPECT_CALLS(TEST_CALL(n, 72), TEST_CALL(SetComTime(kPort, 0.0), 0), TEST_CALL(ComRd(kPort, buf, 30), 30),
                 TEST_CALL(std::string(buf + 18, 4) == "aabb", 1));
}

// A frame still leaving when the output queue is flushed goes out whole (36
// bytes at 19200 baud take 18.75 ms); a device that takes nothing holds the
// flush no longer than a frame time and a margin.
TEST_F(SerialTest, OutputFlushLetsAFrameLeaveWholeWithinItsBound) {
    for (double rate : {1920.0, 0.0}) {
        TestSimulateOutputDrain(kPort, rate);
        ASSERT_EQ(ComWrt(kPort, frame('w').data(), 36), 36);
        const double t0 = Timer();
        EXPECT_EQ(FlushOutQ(kPort), 0);
        const double took = Timer() - t0;
        EXPECT_TRUE(took >= 0.018 && took < 0.1) << rate << ": " << took;
    }
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
    EXPECT_TRUE(errors >= 1 && errors <= 3) << errors;
    char buf[36] = {};
    EXPECT_EQ(std::tuple(ComWrt(kPort, buf, 36), CloseCom(kPort), note.calls),
              std::tuple(+kRS232PortNotOpen, +kRS232PortNotOpen, 0));
}

TEST_F(SerialTest, DeviceVanishingDuringAReadEndsTheRead) {
    // Longer than the suite's time limit: a read that sat it out would fail.
    ASSERT_EQ(SetComTime(kPort, 1000.0), 0);
    pty.closeSlave();
    std::thread pull([this] { usleep(50 * 1000), pty.closeMaster(); });
    char buf[36];
    const int got = ComRd(kPort, buf, 36);
    pull.join();
    EXPECT_EQ(std::tuple(got, GetInQLen(kPort), TestSerialPortObject(kPort)), std::tuple(0, +kRS232PortNotOpen, nullptr));
}

}  // namespace

// A device keeps its number while the program runs, also while unplugged;
// one plugged in later takes the lowest number no device holds.
TEST(PortNumbers, DevicesKeepTheirNumbersAndNewOnesTakeTheLowestFree) {
    using Numbers = std::map<int, QString>;
    const QString s0 = "/dev/ttyS0", usb0 = "/dev/ttyUSB0", acm0 = "/dev/ttyACM0";
    Numbers n = engine::numberPorts({}, {s0, usb0});
    EXPECT_EQ(n, (Numbers{{1, s0}, {2, usb0}}));
    n = engine::numberPorts(n, {s0});
    EXPECT_EQ(n, (Numbers{{1, s0}, {2, usb0}}));
    for (const QStringList& now : {QStringList{acm0, s0}, QStringList{acm0, s0, usb0}}) {
        n = engine::numberPorts(n, now);
        EXPECT_EQ(n, (Numbers{{1, s0}, {2, usb0}, {3, acm0}}));
    }
}
