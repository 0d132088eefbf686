// The simulated pair's line: faults switched at run time, pacing, strict line
// settings, and the port closed, reopened or lost.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/sim_line.h"

using namespace simtest;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using SimLine = PairTest;

// Faults the program's own suites never switch on: the reply to `rq` is `bytes`
// long, with `command` in its second word when set; a one-shot fault leaves the
// same request answered `again`. Once the faults are cleared the next reply is
// a clean echo check, so nothing of a lost or shaped reply is left on the line.
TEST_F(SimLine, EachFaultShapesTheReply) {
    const struct {
        const char* what;
        void (*fault)(kvorsim::SensorPair&);
        Bytes rq;
        std::size_t bytes, command = 0, again = 0;
    } rows[] = {
        {"silent for one block", [](auto& p) { p.silenceBlockOnce(64); }, request(9, 64, {0}), 0, 0, 128},
        {"silent for another block", [](auto& p) { p.silenceBlockOnce(64); }, request(9, 0, {0}), 128},
        {"extra bytes after any command", [](auto& p) { p.setExtraBytes(kvorsim::kAnyCommand, 4); }, request(8), 40, 8},
        {"short reply", [](auto& p) { p.setCutReply(8, 20); }, request(8), 20, 8},
    };
    uint16_t tag = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.fault(*pair);
        const Bytes r = line->exchange(row.rq, row.bytes);
        EXPECT_EQ(std::pair(r.size(), row.command ? std::size_t(wordAt(r, 2)) : 0), std::pair(row.bytes, row.command));
        EXPECT_EQ(row.again ? line->exchange(row.rq, row.again).size() : 0u, row.again) << "only once";
        pair->clearFaults();
        expectNextReplyIsEcho(++tag);
    }
}

// A late reply lets later ones pass, replies keep the order they fall due in,
// and silence drops a reply already scheduled.
TEST_F(SimLine, LateReplyComesAfterLaterOnesUnlessSilenceDropsIt) {
    pair->delayOnce(2, 150ms);
    line->send(request(2, 0));
    expectNextReplyIsEcho(1);
    EXPECT_EQ(words(line->read(36), 0, 2), (W{0x00AA, 2}));
    line->send(request(2, 0));
    line->send(request(5));
    EXPECT_EQ(wordAt(line->read(72), 2), 2) << "only the first page read is late";

    pair->delayOnce(8, 300ms);
    line->send(request(8));
    ASSERT_TRUE(pair->waitForRequests(5, 2000ms));
    pair->setSilent(true);
    pair->setSilent(false);
    expectNextReplyIsEcho(2);
    EXPECT_TRUE(line->read(1, 500).empty());
}

// 10 bit times a byte at the pair's baud rate, both ways, plus the turnaround;
// a reply handed over in FIFO slices still ends with its last byte.
TEST_F(SimLine, PacedExchangesAreNeverFasterThanTheLine) {
    pair->setPacing(true);
    pair->setTurnaround(5ms);
    for (auto [baud, rq, n] : {std::tuple(19200u, request(9, 0, {2}), 128u), {9600u, request(8), 36u}}) {
        pair->setBaud(baud);
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(line->exchange(rq, n).size(), n);
        EXPECT_GE(std::chrono::steady_clock::now() - t0, (36 + n) * 10'000'000us / baud + 5ms) << n;
    }
    // A reply falling due while another is on the line waits for its end.
    line->send(request(9, 0, {2}));
    Bytes got = line->read(8);
    line->send(request(5, 0, {9}));
    for (uint8_t b : line->read(156)) got.push_back(b);
    EXPECT_EQ(words(got, 128, 4), (W{0x00AA, 5, 0, 9}));
}

TEST_F(SimLine, StrictPairAnswersOnlyTheSensorsLineSettings) {
    pair->setStrict(true);
    // A Linux pty keeps 8 data bits without parity whatever it is told, so
    // speed, stop bits and handshake are what the pair can hold against it.
    std::vector<kvorsim::LineSettings> seen;
    for (auto [speed, flags] : {std::pair(B9600, CSTOPB), {B19200, CRTSCTS}}) {
        line->configure(speed, flags);
        seen.push_back(pair->lineSettings());
        line->send(request(8));
        ASSERT_TRUE(pair->waitForRequests(seen.size(), 2000ms));
        EXPECT_EQ(pair->requests().back().line, seen.back()) << "recorded with the request";
    }
    EXPECT_EQ(std::tuple(seen[0].baud, seen[0].stopBits, seen[1].rtsCts), std::tuple(9600u, 2, true));
    line->configure(B19200);
    EXPECT_TRUE(pair->lineSettings().isSensorLine());
    expectNextReplyIsEcho(6);
    EXPECT_EQ(pair->counters().strictRejected, 2u);
}

TEST_F(SimLine, ProgramMayCloseAndReopenThePort) {
    line->send(request(10));  // its reply arrives with nobody listening
    ASSERT_TRUE(pair->waitForReplies(1, 2000ms));
    line.reset();
    const std::clock_t cpu0 = std::clock();  // all of the process's threads
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(double(std::clock() - cpu0) / CLOCKS_PER_SEC, 0.15) << "the pair must not spin on a closed port";
    EXPECT_TRUE(pair->running());
    line = std::make_unique<Line>(pair->devicePath());
    line->flushInput();  // as the program empties its queue after opening
    expectNextReplyIsEcho(2);
}

TEST_F(SimLine, LineDroppedMidRunComesBackUnderTheSameSymlink) {
    const std::string link = ::testing::TempDir() + "kvor-sim-drop-" + std::to_string(::getpid());
    const kvorsim::Options unpacedLink{.pacing = false, .symlinkPath = link};
    std::ofstream{link};
    kvorsim::SensorPair refused(unpacedLink);
    EXPECT_FALSE(refused.start() || refused.lastError().empty()) << "a file that is not a symlink is not replaced";
    EXPECT_TRUE(fs::is_regular_file(link));
    fs::remove(link);

    open(unpacedLink);
    pair->delayOnce(8, 200ms);
    Bytes rq = request(8);
    rq.resize(46);
    std::copy_n(rq.begin(), 10, rq.begin() + 36);  // and the start of another
    line->send(rq);
    ASSERT_TRUE(pair->waitForRequests(1, 2000ms));
    pair->dropLine();
    EXPECT_FALSE(pair->lineUp());
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "no path to a line that is gone";
    ASSERT_TRUE(pair->restoreLine());
    EXPECT_NE(pair->ptyPath(), "");
    line = std::make_unique<Line>(link);
    expectNextReplyIsEcho(42);  // neither the partial frame nor, by its due time, the dropped reply come back
    EXPECT_TRUE(line->read(1, 500).empty());
    pair.reset();
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "stop removes the symlink";
}

}  // namespace
