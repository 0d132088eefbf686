// The simulated pair's line: faults switched at run time, pacing, noise on
// the line, strict line settings, and the port closed, reopened or lost.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <thread>

#include "support/sim_line.h"

using namespace simtest;
using namespace std::chrono_literals;

namespace {

using SimLine = PairTest;

TEST_F(SimLine, SilenceSuppressesRepliesIncludingOnesAlreadyScheduled) {
    pair->setSilent(true);
    line->send(request(8));
    ASSERT_TRUE(pair->waitForRequests(1, 2000ms));
    EXPECT_TRUE(line->read(1, 100ms).empty());
    pair->setSilent(false);
    EXPECT_EQ(line->exchange(request(8), 36).size(), 36u);
    EXPECT_EQ(pair->counters().suppressed, 1u);

    pair->delayOnce(8, 300ms);
    line->send(request(8));
    ASSERT_TRUE(pair->waitForRequests(3, 2000ms));
    pair->setSilent(true);
    pair->setSilent(false);
    expectNextReplyIsEcho(7);
    EXPECT_TRUE(line->read(1, 500ms).empty()) << "the late live reply must be gone";
}

TEST_F(SimLine, OneShotSilenceLosesOneReply) {
    pair->silenceOnce(10);
    line->send(request(10));
    expectNextReplyIsEcho(1);
    EXPECT_EQ(line->exchange(request(10), 36).size(), 36u) << "only once";

    pair->silenceBlockOnce(64);
    EXPECT_EQ(line->exchange(request(9, 0, {0}), 128).size(), 128u);
    line->send(request(9, 64, {0}));
    expectNextReplyIsEcho(2);
    EXPECT_EQ(line->exchange(request(9, 64, {0}), 128).size(), 128u);
}

TEST_F(SimLine, LateReplyArrivesAfterLaterOnes) {
    pair->delayOnce(2, 150ms);
    line->send(request(2, 0));
    expectNextReplyIsEcho(3);  // answered while the page read still waits
    const Bytes late = line->read(36);
    ASSERT_EQ(late.size(), 36u);
    EXPECT_EQ(wordAt(late, 2), 2);
    EXPECT_EQ(line->exchange(request(2, 0), 36).size(), 36u);
    const auto rp = pair->replies();
    ASSERT_EQ(rp.size(), 3u);
    EXPECT_EQ(rp[0].command, 5);
    EXPECT_GE(rp[1].time - pair->requests()[0].time, 150ms);
}

TEST_F(SimLine, ReplyShapeFaults) {
    pair->setEchoSync(0x55AA);
    Bytes r = line->exchange(request(5), 36);
    EXPECT_EQ(wordAt(r, 0), 0x55AA);
    EXPECT_EQ(wordAt(line->exchange(request(2, 0), 36), 0), 0x00AA) << "only the echo check";

    pair->setCommandEcho(10, 11);
    r = line->exchange(request(10), 36);
    EXPECT_EQ(wordAt(r, 2), 11);
    EXPECT_EQ(wordAt(r, 4), 1) << "the hardware words stay";

    pair->clearFaults();
    pair->setExtraBytes(kvorsim::kAnyCommand, 4);
    r = line->exchange(request(8), 40);  // one 40-byte burst
    ASSERT_EQ(r.size(), 40u);
    EXPECT_EQ(wordAt(r, 2), 8);
    EXPECT_TRUE(line->read(1, 50ms).empty());

    pair->clearFaults();
    pair->setCutReply(8, 20);
    line->send(request(8));
    r = line->read(20);
    EXPECT_EQ(wordAt(r, 2), 8);
    expectNextReplyIsEcho(4);  // nothing of the cut reply's tail in between

    pair->clearFaults();
    for (std::size_t len : {60u, 80u}) {  // firmware text short of or beyond 72 bytes
        pair->setFirmwareLength(len);
        line->send(request(7));
        EXPECT_EQ(line->read(len).size(), len);
        expectNextReplyIsEcho(uint16_t(len));
    }
}

TEST_F(SimLine, PacedExchangesAreNeverFasterThanTheLine) {
    pair->setPacing(true);
    pair->setTurnaround(5ms);
    auto timed = [&](const Bytes& rq, std::size_t n) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(line->exchange(rq, n).size(), n);
        return std::chrono::steady_clock::now() - t0;
    };
    // 10 bit times a byte at 19200 baud, both ways, plus the turnaround.
    const auto bit = std::chrono::nanoseconds(1'000'000'000 / 19200);
    EXPECT_GE(timed(request(8), 36), 720 * bit + 5ms);
    EXPECT_GE(timed(request(9, 0, {2}), 128), 1640 * bit + 5ms);
    pair->setBaud(9600);
    EXPECT_GE(timed(request(8), 36), 1440 * bit + 5ms);
}

// Noise with a false sync before a frame is skipped; a partial frame that stalls is dropped.
TEST_F(SimLine, NoiseAndStalledPartialFramesAreSkipped) {
    kvorsim::Options o = unpaced();
    o.stallTimeout = 30ms;
    open(o);
    Bytes noisy = {0xFF, 0x00, 0x13, 0x55, 0x00, 0x55, 0x12, 0x34, 0x00, 0x00};
    const Bytes rq = request(5, 0, {0xBEEF});
    noisy.insert(noisy.end(), rq.begin(), rq.end());
    line->send(noisy);
    const Bytes r = line->read(36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(wordAt(r, 6), 0xBEEF);
    EXPECT_EQ(pair->counters().garbageBytes, 10u);

    line->send(Bytes(rq.begin(), rq.begin() + 10));
    std::this_thread::sleep_for(100ms);
    expectNextReplyIsEcho(5);
    EXPECT_EQ(pair->counters().stalledFrames, 1u);
    EXPECT_EQ(pair->counters().requests, 2u);
}

TEST_F(SimLine, StrictPairAnswersOnlyTheSensorsLineSettings) {
    pair->setStrict(true);
    // A Linux pty keeps 8 data bits without parity whatever it is told, so
    // speed, stop bits and handshake are what the pair can hold against it.
    line->configure(B9600, CSTOPB);
    const kvorsim::LineSettings seen = pair->lineSettings();
    EXPECT_EQ(seen.baud, 9600u);
    EXPECT_EQ(seen.stopBits, 2);
    line->send(request(8));
    ASSERT_TRUE(pair->waitForRequests(1, 2000ms));
    EXPECT_TRUE(line->read(1, 100ms).empty());
    EXPECT_EQ(pair->requests()[0].line, seen);

    line->configure(B19200, CRTSCTS);
    line->send(request(8));
    ASSERT_TRUE(pair->waitForRequests(2, 2000ms));
    EXPECT_TRUE(line->read(1, 100ms).empty()) << "hardware handshake on";

    line->configure(B19200);
    EXPECT_TRUE(pair->lineSettings().isSensorLine());
    expectNextReplyIsEcho(6);
    EXPECT_EQ(pair->counters().strictRejected, 2u);
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

TEST_F(SimLine, ProgramMayCloseAndReopenThePort) {
    expectNextReplyIsEcho(1);
    line->send(request(10));  // its reply arrives with nobody listening
    ASSERT_TRUE(pair->waitForReplies(2, 2000ms));
    line.reset();
    const double cpu0 = processCpuSeconds();
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(processCpuSeconds() - cpu0, 0.15) << "the pair must not spin on a closed port";
    EXPECT_TRUE(pair->running());

    line = std::make_unique<Line>(pair->devicePath());
    line->flushInput();  // as the program empties its queue after opening
    expectNextReplyIsEcho(2);
    line.reset();
    line = std::make_unique<Line>(pair->devicePath());
    expectNextReplyIsEcho(3);
}

TEST(SimLineDrop, LineComesBackUnderTheSameSymlink) {
    const std::string link = ::testing::TempDir() + "kvor-sim-drop-" + std::to_string(::getpid());
    {
        kvorsim::Options o = unpaced();
        o.symlinkPath = link;
        kvorsim::SensorPair pair(o);
        ASSERT_TRUE(pair.start()) << pair.lastError();
        EXPECT_EQ(pair.devicePath(), link);

        auto line = std::make_unique<Line>(link);
        EXPECT_EQ(line->exchange(request(5), 36).size(), 36u);
        pair.delayOnce(8, 200ms);
        line->send(request(8));
        ASSERT_TRUE(pair.waitForRequests(2, 2000ms));
        pair.dropLine();
        EXPECT_FALSE(pair.lineUp());
        EXPECT_TRUE(line->read(1, 500ms).empty());
        EXPECT_TRUE(line->lost()) << "the program's end sees the line go";
        struct stat st{};
        EXPECT_NE(::lstat(link.c_str(), &st), 0) << "no path to a line that is gone";
        line.reset();

        ASSERT_TRUE(pair.restoreLine());
        EXPECT_EQ(pair.devicePath(), link);
        EXPECT_NE(pair.ptyPath(), "");
        line = std::make_unique<Line>(link);
        const Bytes r = line->exchange(request(5, 0, {42}), 36);
        ASSERT_EQ(r.size(), 36u);
        EXPECT_EQ(wordAt(r, 6), 42) << "the dropped live reply must not come back";
        EXPECT_EQ(pair.counters().linesDropped, 1u);
    }
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "stop removes the symlink";
}

TEST(SimLineDrop, RefusesToReplaceAFileThatIsNotASymlink) {
    const std::string path = ::testing::TempDir() + "kvor-sim-file-" + std::to_string(::getpid());
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    kvorsim::Options o;
    o.symlinkPath = path;
    kvorsim::SensorPair pair(o);
    EXPECT_FALSE(pair.start());
    EXPECT_NE(pair.lastError(), "");
    struct stat st{};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    std::remove(path.c_str());
}

TEST_F(SimLine, SettersFromAnotherThreadWhileRequestsFlow) {
    std::atomic<bool> done{false};
    std::thread fiddler([&] {
        for (uint16_t v = 0; !done; ++v) {
            kvorsim::LiveOverrides ov;
            ov.positionA = v;
            pair->setOverrides(ov);
            pair->setPage(kvorsim::Memory::Ram, 0, kvorsim::defaultPages()[0]);
            (void)pair->counters();
            (void)pair->replies();
        }
    });
    int answered = 0;
    for (int i = 0; i < 200; ++i) answered += line->exchange(request(8), 36).size() == 36;
    done = true;
    fiddler.join();
    EXPECT_EQ(answered, 200);
}

}  // namespace
