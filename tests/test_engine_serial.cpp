// The RS-232 calls over real pseudo-terminals: the test plays the device on
// the master side.
#include <gtest/gtest.h>

#include <QObject>
#include <QSerialPort>

#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_io.h"
#include "support/pty.h"

namespace {

using testsupport::Pty;

constexpr int kPort = 7;  // numbers beyond the machine's own ports
constexpr int kOther = 8;

struct Notifications {
    int calls = 0;
    int lastMask = 0;
    void* lastData = nullptr;
    bool duringRead = false;   // called while ComRd ran
    bool readAndFlush = true;  // behave like the program's receive function
    bool closeInside = false;
    std::string frames;        // bytes the function read
};
Notifications* g_note = nullptr;
bool g_inRead = false;

void onReceive(int port, int mask, void* data) {
    Notifications& n = *g_note;
    ++n.calls;
    n.lastMask = mask;
    n.lastData = data;
    if (g_inRead) n.duringRead = true;
    if (n.closeInside) {
        CloseCom(port);
        return;
    }
    if (!n.readAndFlush) return;
    char buf[36];
    const int got = ComRd(port, buf, 36);
    if (got > 0) n.frames.append(buf, static_cast<std::size_t>(got));
    FlushInQ(port);
}

int openPort(int port = kPort) { return OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096); }

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        SetComPortPath(kPort, pty.path());
        g_note = &note;
        ASSERT_EQ(openPort(), 0);
    }
    void TearDown() override {
        CloseCom(kPort);
        CloseCom(kOther);
        SetComPortPath(kPort, "");
        SetComPortPath(kOther, "");
        TestRunEvents(5);  // lets closed ports go
        g_note = nullptr;
    }
    // Runs events between pieces as the program's waiting loops do.
    void sendInPieces(const std::string& bytes, std::size_t piece) {
        for (std::size_t i = 0; i < bytes.size(); i += piece) {
            const std::string part = bytes.substr(i, piece);
            const int queued = GetInQLen(kPort) + static_cast<int>(part.size());
            const int calls = note.calls;
            ASSERT_TRUE(pty.send(part));
            // Until the piece is queued, or a notification has taken the frame.
            TestWaitFor([&] { return note.calls > calls || GetInQLen(kPort) >= queued; }, 1000);
            TestRunEvents(2);
        }
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
    Pty pty;
    Notifications note;
};

std::string frame(char fill) { return std::string(36, fill); }

TEST(SerialPortTable, NumbersWithoutDeviceAndDescriptions) {
    EXPECT_EQ(ComPortDevice(4711), "");
    EXPECT_EQ(ComPortDescription(4711), "COM4711  (none)");
    EXPECT_EQ(OpenComConfig(4711, "", 19200, 0, 8, 1, 4096, 4096), kRS232InvalidPortNum);
    EXPECT_EQ(OpenComConfig(0, "", 19200, 0, 8, 1, 4096, 4096), kRS232InvalidPortNum);
    EXPECT_EQ(OpenComConfig(-3, "", 19200, 0, 8, 1, 4096, 4096), kRS232InvalidPortNum);

    SetComPortPath(4711, "/dev/pts/99");
    EXPECT_EQ(ComPortDevice(4711), "/dev/pts/99");
    EXPECT_EQ(ComPortDescription(4711), "COM4711  pts/99");
    RefreshComPorts();  // re-reading the system's ports keeps the overrides
    EXPECT_EQ(ComPortDevice(4711), "/dev/pts/99");
    SetComPortPath(4711, "");
    EXPECT_EQ(ComPortDevice(4711), "");

    // The system's own ports are numbered from 1 without gaps.
    RefreshComPorts();
    int n = 1;
    while (!ComPortDevice(n).empty()) {
        EXPECT_EQ(ComPortDescription(n).rfind("COM" + std::to_string(n) + "  ", 0), 0u);
        ++n;
    }
    EXPECT_EQ(ComPortDescription(n), "COM" + std::to_string(n) + "  (none)");
}

TEST_F(SerialTest, OpensWithLineSettingsAndRejectsBadOnes) {
    EXPECT_EQ(SetComTime(kPort, 1.5), 0);
    EXPECT_EQ(SetCTSMode(kPort, 0), 0);
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(FlushOutQ(kPort), 0);
    EXPECT_EQ(CloseCom(kPort), 0);
    EXPECT_EQ(CloseCom(kPort), kRS232PortNotOpen);

    EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096), 0);
    EXPECT_EQ(OpenComConfig(kPort, "", 9600, 2, 7, 2, 512, 512), 0) << "even parity, 7 bits, 2 stop bits";
    struct Bad { long baud; int parity, data, stop; } bad[] = {
        {0, 0, 8, 1}, {-19200, 0, 8, 1}, {19200, 5, 8, 1}, {19200, -1, 8, 1},
        {19200, 0, 9, 1}, {19200, 0, 4, 1}, {19200, 0, 8, 3}, {19200, 0, 8, 0}};
    for (const Bad& b : bad) {
        EXPECT_EQ(OpenComConfig(kOther, pty.path().c_str(), b.baud, b.parity, b.data, b.stop, 4096, 4096),
                  kRS232InvalidParameter)
            << b.baud << " " << b.parity << " " << b.data << " " << b.stop;
        EXPECT_EQ(GetInQLen(kOther), kRS232PortNotOpen);
    }
    EXPECT_EQ(SetComTime(kPort, -1.0), kRS232InvalidParameter);
    EXPECT_EQ(SetCTSMode(kPort, 7), kRS232InvalidParameter);
}

TEST_F(SerialTest, BusyDevicesAndNonTerminalsCannotBeOpened) {
    SetComPortPath(kOther, pty.path());
    EXPECT_EQ(openPort(kOther), kRS232CannotOpenPort) << "the device is held by the first number";
    // Closing releases it at once: the drop-down closes and reopens in one go.
    EXPECT_EQ(CloseCom(kPort), 0);
    EXPECT_EQ(openPort(kOther), 0);
    EXPECT_EQ(CloseCom(kOther), 0);

    char tmpl[] = "/tmp/kvor-notatty-XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    SetComPortPath(kOther, tmpl);
    EXPECT_EQ(openPort(kOther), kRS232CannotOpenPort);
    SetComPortPath(kOther, "/nonexistent/ttyNothing");
    EXPECT_EQ(openPort(kOther), kRS232CannotOpenPort);
    std::remove(tmpl);
}

TEST_F(SerialTest, NotifiesOncePerFrameWhenBytesArriveInPieces) {
    int cookie = 0;
    ASSERT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, &cookie), 0);

    sendInPieces(frame('x').substr(0, 30), 6);
    EXPECT_EQ(note.calls, 0) << "30 bytes are not a frame";
    sendInPieces(frame('x').substr(30), 6);
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 1; }, 2000));
    EXPECT_TRUE(note.lastMask & LWRS_RECEIVE);
    EXPECT_EQ(note.lastData, &cookie);
    EXPECT_EQ(note.frames, frame('x'));

    sendInPieces(frame('y'), 6);
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 2; }, 2000));
    settle(0);
    EXPECT_EQ(note.calls, 2);
    EXPECT_EQ(note.frames, frame('x') + frame('y'));
    EXPECT_FALSE(note.duringRead);
}

// The 40-byte burst (a frame and 4 extra bytes) notifies once; a queue that
// stays at or above the count does not notify again until it fell below.
TEST_F(SerialTest, NotifiesOncePerCrossingOfTheCount) {
    notifyOn();
    ASSERT_TRUE(pty.send(frame('b') + "tail"));
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 1; }, 2000));
    settle(0);
    EXPECT_EQ(note.calls, 1);
    EXPECT_EQ(note.frames, frame('b'));
    EXPECT_EQ(GetInQLen(kPort), 0) << "the function flushed the four extra bytes";

    note.readAndFlush = false;
    ASSERT_TRUE(pty.send(frame('1')));
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 2; }, 2000));
    ASSERT_TRUE(pty.send(frame('2')));
    settle(72);
    EXPECT_EQ(note.calls, 2) << "the queue never dropped below 36";
    ASSERT_EQ(FlushInQ(kPort), 0);
    ASSERT_TRUE(pty.send(frame('3')));
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 3; }, 2000));
}

TEST_F(SerialTest, ReopeningOrInstallingWithoutAFunctionEndsTheNotification) {
    notifyOn();
    ASSERT_EQ(openPort(), 0);
    ASSERT_TRUE(pty.send(frame('a')));
    settle(36);
    EXPECT_EQ(note.calls, 0) << "a reopened port carries no notification over";
    EXPECT_EQ(GetInQLen(kPort), 36);
    ASSERT_EQ(FlushInQ(kPort), 0);

    ASSERT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, nullptr), 0);
    ASSERT_EQ(InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0);
    ASSERT_TRUE(pty.send(std::string(128, 'k')));
    settle(128);
    EXPECT_EQ(note.calls, 0) << "installed without a function";
    char buf[128];
    EXPECT_EQ(ComRd(kPort, buf, 128), 128) << "the block stays queued for the reader";

    // Installed again on an empty queue: the next frame notifies.
    ASSERT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, nullptr), 0);
    ASSERT_TRUE(pty.send(frame('n')));
    EXPECT_TRUE(TestWaitFor([&] { return note.calls == 1; }, 2000));
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
    EXPECT_EQ(note.calls, 0);

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

    // A read that leaves the count queued hands over to the event loop.
    ASSERT_TRUE(pty.send(frame('M')));
    TestWaitFor([&] { return GetInQLen(kPort) == 36; }, 2000);
    EXPECT_EQ(readWatched(buf, 4), 4);
    EXPECT_TRUE(TestWaitFor([&] { return note.calls == 1; }, 2000));
    EXPECT_FALSE(note.duringRead);
    EXPECT_EQ(ComRd(kPort, buf, -1), kRS232InvalidParameter);
}

TEST_F(SerialTest, QueueLengthReadsAndWritesNeedNoEventLoop) {
    ASSERT_TRUE(pty.send(std::string(72, 'q')));
    // The firmware read polls like this, running no events.
    int n = 0;
    const double end = Timer() + 2.0;
    while ((n = GetInQLen(kPort)) < 72 && Timer() < end) usleep(1000);
    EXPECT_EQ(n, 72);
    // With no time to wait, a read still takes what the kernel holds.
    ASSERT_EQ(SetComTime(kPort, 0.0), 0);
    char buf[72];
    EXPECT_EQ(ComRd(kPort, buf, 72), 72);
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

TEST_F(SerialTest, FlushInEmptiesQtsBufferAndTheKernelQueue) {
    ASSERT_TRUE(pty.send(std::string(20, 'a')));
    settle(20);  // into Qt's buffer
    ASSERT_TRUE(pty.send(std::string(10, 'b')));
    TestWaitFor([&] { return GetInQLen(kPort) == 30; }, 2000);
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    ASSERT_EQ(SetComTime(kPort, 0.05), 0);
    char buf[8];
    EXPECT_EQ(ComRd(kPort, buf, 8), 0);
}

TEST_F(SerialTest, ClosingFromInsideTheNotificationIsSafe) {
    note.closeInside = true;
    notifyOn();
    ASSERT_TRUE(pty.send(frame('c') + frame('d')));
    ASSERT_TRUE(TestWaitFor([&] { return note.calls == 1; }, 2000));
    TestRunEvents(20);
    EXPECT_EQ(note.calls, 1);
    EXPECT_EQ(GetInQLen(kPort), kRS232PortNotOpen);
    EXPECT_EQ(openPort(), 0) << "and the device can be opened again";
}

// Counts the error signals of an open port from the outside.
struct ErrorWatch {
    int errors = 0;
    QMetaObject::Connection connection;
    explicit ErrorWatch(int port) {
        auto* serial = qobject_cast<QSerialPort*>(TestSerialPortObject(port));
        if (serial)
            connection = QObject::connect(serial, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
                if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError) ++errors;
            });
    }
    ~ErrorWatch() { QObject::disconnect(connection); }
};

TEST_F(SerialTest, VanishedDeviceIsClosedOnceAndCallsFailCleanly) {
    notifyOn();
    ErrorWatch watch(kPort);
    ASSERT_TRUE(watch.connection);

    pty.closeSlave();
    pty.closeMaster();
    ASSERT_TRUE(TestWaitFor([] { return TestSerialPortObject(kPort) == nullptr; }, 2000));
    TestRunEvents(200);  // a port left open would report the error thousands of times here
    EXPECT_GE(watch.errors, 1);
    EXPECT_LE(watch.errors, 3);

    char buf[36] = {};
    EXPECT_EQ(ComWrt(kPort, buf, 36), kRS232PortNotOpen);
    EXPECT_EQ(ComRd(kPort, buf, 36), kRS232PortNotOpen);
    EXPECT_EQ(GetInQLen(kPort), kRS232PortNotOpen);
    EXPECT_EQ(FlushInQ(kPort), kRS232PortNotOpen);
    EXPECT_EQ(InstallComCallback(kPort, LWRS_RECEIVE, 36, 0x55, onReceive, nullptr), kRS232PortNotOpen);
    EXPECT_EQ(CloseCom(kPort), kRS232PortNotOpen);
    EXPECT_EQ(note.calls, 0);

    // A new device under the same number opens and works.
    Pty fresh;
    ASSERT_TRUE(fresh.ok());
    SetComPortPath(kPort, fresh.path());
    ASSERT_EQ(openPort(), 0);
    EXPECT_EQ(ComWrt(kPort, "hello", 5), 5);
    EXPECT_EQ(fresh.receive(5, 1000), "hello");
    CloseCom(kPort);
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
