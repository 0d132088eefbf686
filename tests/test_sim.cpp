// The simulated pair from the far end of its line: a raw port on the pty and frames
// written by hand, so the pair is checked against the protocol and not against its
// own encoder. Also its request reader on its own, and the kvor-sim command.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "sim/request_reader.h"
#include "sim/sensor_pair.h"

using namespace kvorsim;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
using W = std::vector<uint16_t>;

// A request frame: sync 0x0055, command, argument, 15 data words, big-endian.
Bytes request(uint16_t command, uint16_t argument = 0, const W& data = {}) {
    Bytes f = {0x00, 0x55, uint8_t(command >> 8), uint8_t(command), uint8_t(argument >> 8), uint8_t(argument)};
    for (uint16_t w : data) f.push_back(uint8_t(w >> 8)), f.push_back(uint8_t(w));
    f.resize(36);  // data words beyond 15 do not fit
    return f;
}

uint16_t wordAt(const Bytes& b, std::size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }

W words(const Bytes& b, std::size_t from, std::size_t count) {
    W w;
    while (w.size() < count) w.push_back(wordAt(b, from + 2 * w.size()));
    return w;
}

class Line {
public:
    explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        configure(B19200);
    }
    ~Line() { ::close(fd_); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    void configure(speed_t speed, tcflag_t extraCflag = 0) {
        termios tio{};
        ::tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tio.c_cflag = (tio.c_cflag & ~tcflag_t(CSTOPB | CRTSCTS)) | CLOCAL | CREAD | extraCflag;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    void flushInput() { ::tcflush(fd_, TCIFLUSH); }

    // Frames are far smaller than the pty's buffer: one write takes them whole.
    void send(const Bytes& b) {
        if (::write(fd_, b.data(), b.size()) != ssize_t(b.size())) throw std::runtime_error("write failed");
    }

    // Up to `count` bytes, or fewer when none come for `patienceMs`.
    Bytes read(std::size_t count, int patienceMs = 2000) {
        Bytes got(count);
        std::size_t have = 0;
        for (pollfd p{fd_, POLLIN, 0}; have < count && ::poll(&p, 1, patienceMs) > 0;) {
            const ssize_t n = ::read(fd_, got.data() + have, count - have);
            if (n == 0 || (n < 0 && errno != EAGAIN)) break;  // hang-up or error: the far end has gone
            have += std::size_t(std::max<ssize_t>(n, 0));
        }
        got.resize(have);
        return got;
    }

    Bytes exchange(const Bytes& rq, std::size_t replyBytes) { return send(rq), read(replyBytes); }

private:
    int fd_;
};

// A started pair, unpaced unless told otherwise, and the test's end of its line.
class SimPair : public ::testing::Test {
protected:
    void open(const Options& o = {.pacing = false}) {
        line.reset();
        pair = std::make_unique<SensorPair>(o);
        ASSERT_TRUE(pair->start()) << pair->lastError();
        line = std::make_unique<Line>(pair->devicePath());
    }
    void SetUp() override { open(); }

    // An echo check marked with `tag` must be the very next reply: proof that
    // the requests sent before it got no reply, or none beyond what was read.
    void expectNextReplyIsEcho(uint16_t tag) {
        EXPECT_EQ(words(line->exchange(request(5, 0, {tag}), 36), 0, 4), (W{0x00AA, 5, 0, tag}));
    }

    std::unique_ptr<SensorPair> pair;
    std::unique_ptr<Line> line;
};

const Clock::time_point t0{};

// Feeds `b` arriving at `at`; returns the requests completed. Every byte so far
// must be in a frame, skipped, dropped with a stalled frame, or still pending.
std::vector<Request> feed(RequestReader& r, const Bytes& b, Clock::time_point at, uint64_t& fed) {
    std::vector<Request> got;
    for (uint8_t x : b) {
        Request rq;
        ++fed;
        if (r.push(x, at, rq)) got.push_back(rq);
    }
    EXPECT_EQ(r.frames() * 36 + r.garbageBytes() + r.stalledBytes() + r.pending(), fed);
    return got;
}

TEST(SimReader, FindsTheFrameAfterNoiseFalseSyncsAndStalls) {
    const struct { const char* what; Bytes noise, frame; } cases[] = {
        {"sync with an unknown command", {0x00, 0x55, 0x00, 0x63}, request(8, 0, {7})},
        {"sync, then the next frame's sync inside the command", {0x00, 0x55, 0x00}, request(2, 1, {7})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RequestReader r(100ms);
        uint64_t fed = 0;
        EXPECT_TRUE(feed(r, c.noise, t0, fed).empty());
        const auto got = feed(r, c.frame, t0, fed);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(Bytes(got[0].bytes.begin(), got[0].bytes.end()), c.frame);
        EXPECT_EQ(r.garbageBytes(), c.noise.size());
    }

    RequestReader r(50ms);
    uint64_t fed = 0;
    const Bytes rq = request(10);
    feed(r, Bytes(rq.begin(), rq.begin() + 20), t0, fed);
    EXPECT_EQ(r.expiry(), t0 + 50ms);
    EXPECT_FALSE(r.expire(t0 + 50ms)) << "not before the stall time has passed";
    EXPECT_EQ(feed(r, rq, t0 + 60ms, fed).size(), 1u) << "the stale part is dropped as the new frame starts";
    EXPECT_EQ(r.stalledFrames(), 1u);

    feed(r, Bytes(rq.begin(), rq.begin() + 5), t0 + 100ms, fed);
    EXPECT_TRUE(r.expire(t0 + 151ms));

    // Slow but steady bytes are no stall: the pause counts from the newest byte.
    std::size_t frames = 0;
    for (std::size_t i = 0; i < rq.size(); ++i) frames += feed(r, {rq[i]}, t0 + 200ms + i * 40ms, fed).size();
    EXPECT_EQ(frames, 1u);
}

// The X-FLASH erase clears all pages at once (the upload suite checks the
// writes); writes asked to go unanswered, bad pages and unknown commands get no reply.
TEST_F(SimPair, XFlashEraseAndRequestsThatGetNoReply) {
    line->exchange(request(102, 248, {9, 1, 2, 3, 4, 5, 6, 7, 8}), 36);
    EXPECT_EQ(words(line->exchange(request(101, 0, W(15, 0xAA)), 36), 0, 4), (W{0x00AA, 101, 0, 0}));
    EXPECT_EQ(pair->xflash(9), W(256, 0xFFFF)) << "erased";

    pair->setReplyToWrites(false);
    line->send(request(1, 2, {7, 7, 7}));
    line->send(request(2, 3));                                   // no page 3
    line->send(request(1, 5, {9}));                              // nor page 5
    line->send(request(102, 252, {2, 1, 2, 3, 4, 5, 6, 7, 8}));  // would run past the X-FLASH page
    line->send(request(12));
    expectNextReplyIsEcho(0x1111);
    EXPECT_EQ(pair->counters().suppressed, 4u);
    EXPECT_EQ(pair->counters().requests, 7u) << "the unknown command is no request";
}

TEST_F(SimPair, EvaluatedValueAndMicrometresFollowEvaluationModeAndPages) {
    pair->setOverrides({.positionA = 900});
    pair->setOverrides({.positionA = 1000, .positionB = 3000});
    EXPECT_EQ(wordAt(line->exchange(request(8), 36), 26), 900) << "the held minimum takes a forced value at once";
    // Set point 37000 um at the teach value 512, one micrometre per virtual pixel;
    // the last row has scale 2.0 and set point 70000 as 32-bit pairs, low half first.
    const struct { uint16_t mode; W scaleAndSetPoint; uint16_t evaluated; int32_t um; } modes[] = {
        {0, {1024, 0, 37000, 0}, 3000, 37000 + 2488},
        {2, {1024, 0, 37000, 0}, 2 * 4096 - 4000, 37000 + 4192 - (8192 - 1024)},
        {3, {1024, 0, 37000, 0}, 4096 + 1000 - 3000, 37000 + 2096 - 4096},
        {4, {1024, 0, 37000, 0}, 4000, 37000 + 4000 - 4096},
        {1, {2048, 0, 4464, 1}, 1000, 70000 + 2 * 488},
    };
    for (const auto& m : modes) {
        Page p0 = pair->page(Memory::Ram, 0), p1 = pair->page(Memory::Ram, 1);
        p0[0] = m.mode;
        std::copy(m.scaleAndSetPoint.begin(), m.scaleAndSetPoint.end(), p1.begin() + 11);
        pair->setPage(Memory::Ram, 0, p0);
        pair->setPage(Memory::Ram, 1, p1);
        const Bytes r = line->exchange(request(8), 36);
        EXPECT_EQ(std::pair(wordAt(r, 8), int32_t(uint32_t(wordAt(r, 10)) | uint32_t(wordAt(r, 12)) << 16)),
                  std::pair(m.evaluated, m.um)) << "mode " << m.mode;
    }
}

// 64-word blocks, each a bare 128-byte reply picked by offset and buffer
// selector, all from what the last live request latched.
TEST_F(SimPair, BlocksCarryVideoAndMeasurementBuffers) {
    auto blocks = [&](uint16_t selector, uint16_t from, int count) {
        Bytes all;
        for (int i = 0; i < count; ++i)
            for (uint8_t b : line->exchange(request(9, uint16_t(from + 64 * i), {selector}), 128)) all.push_back(b);
        return words(all, 0, all.size() / 2);
    };
    for (auto [model, fullScale] : {std::pair(10080, 256), {1024, 1024}}) {  // 1024: a 10-bit ADC
        pair->setHardware({.model = uint16_t(model)});
        pair->setOverrides({.positionA = 32 * 30, .positionB = 32 * 100});  // samples 30 and 100, 32 pixels each
        line->exchange(request(8), 36);
        for (auto [selector, from, peakAt] : {std::tuple(0, 0, 30), {1, 128, 100}}) {
            const W v = blocks(uint16_t(selector), uint16_t(from), 2);
            ASSERT_EQ(v.size(), 128u);
            const auto peak = std::max_element(v.begin(), v.end());
            EXPECT_EQ(peak - v.begin(), peakAt) << "model " << model;
            EXPECT_TRUE(*peak > fullScale / 2 && *peak < fullScale) << *peak;
            EXPECT_LT(v[0], fullScale / 4) << "background away from the line";
        }
        expectNextReplyIsEcho(2);  // bare 128 bytes, no frame around them
    }
    pair->setOverrides({});
    const Bytes live = line->exchange(request(8), 36);
    for (uint16_t s : {2, 3, 4}) {
        const W buffer = blocks(s, 0, 4);
        ASSERT_EQ(buffer.size(), 256u);
        // Oldest scan first: the newest is the one the live frame reported.
        EXPECT_EQ(buffer.back(), wordAt(live, 4 + 2 * (s - 2))) << "selector " << s;
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), 0);
    }
}

// Faults the program's own suites do not check: the reply to `rq` is `bytes`
// long, with `command` in its second word. Once the faults are cleared the next
// reply is a clean echo check, so nothing of a shaped reply is left on the line.
TEST_F(SimPair, EachFaultShapesTheReply) {
    const struct { const char* what; void (*fault)(SensorPair&); Bytes rq; std::size_t bytes, command; } rows[] = {
        {"extra bytes after any command", [](auto& p) { p.setExtraBytes(kAnyCommand, 4); }, request(8), 40, 8},
        {"extra bytes taken back", [](auto& p) {
             p.setExtraBytes(kAnyCommand, 4);
             p.setExtraBytes(kAnyCommand, 0);
         }, request(8), 36, 8},
        {"short reply", [](auto& p) { p.setCutReply(8, 20); }, request(8), 20, 8},
    };
    uint16_t tag = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.fault(*pair);
        const Bytes r = line->exchange(row.rq, row.bytes);
        EXPECT_EQ(std::pair(r.size(), std::size_t(wordAt(r, 2))), std::pair(row.bytes, row.command));
        pair->clearFaults();
        expectNextReplyIsEcho(++tag);
    }
}

TEST_F(SimPair, RepliesGoOutInTheOrderTheyFallDueAndNeverFasterThanTheLine) {
    // A late reply lets later ones pass, replies keep the order they fall due in,
    // and silence drops a reply already scheduled.
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

    // 10 bit times a byte at the pair's baud rate, both ways, plus the turnaround;
    // a reply handed over in FIFO slices still ends with its last byte.
    pair->setPacing(true);
    pair->setTurnaround(5ms);
    for (auto [baud, rq, n] : {std::tuple(19200u, request(9, 0, {2}), 128u), {9600u, request(8), 36u}}) {
        pair->setBaud(baud);
        const auto start = Clock::now();
        EXPECT_EQ(line->exchange(rq, n).size(), n);
        EXPECT_GE(Clock::now() - start, (36 + n) * 10'000'000us / baud + 5ms) << n;
    }
}

TEST_F(SimPair, StrictPairAnswersOnlyTheSensorsLineSettingsAndOutlivesClosedPortsAndDroppedLines) {
    pair->setStrict(true);
    // A Linux pty keeps 8 data bits without parity whatever it is told, so
    // speed, stop bits and handshake are what the pair can hold against it.
    std::vector<LineSettings> seen;
    for (auto [speed, flags] : {std::pair(B9600, CSTOPB), {B19200, CRTSCTS}}) {
        line->configure(speed, flags);
        seen.push_back(pair->lineSettings());
        line->send(request(8));
        ASSERT_TRUE(pair->waitForRequests(seen.size(), 2000ms));
    }
    EXPECT_EQ(std::tuple(seen[0].baud, seen[0].stopBits, seen[1].rtsCts), std::tuple(9600u, 2, true));
    line->configure(B19200);
    expectNextReplyIsEcho(6);
    EXPECT_EQ(pair->counters().strictRejected, 2u);

    const std::string link = ::testing::TempDir() + "kvor-sim-drop-" + std::to_string(::getpid());
    const Options unpacedLink{.pacing = false, .symlinkPath = link};
    std::ofstream{link};
    SensorPair refused(unpacedLink);
    EXPECT_FALSE(refused.start() || refused.lastError().empty()) << "a file that is not a symlink is not replaced";
    fs::remove(link);

    open(unpacedLink);
    line->send(request(10));  // its reply arrives with nobody listening
    ASSERT_TRUE(pair->waitForReplies(1, 2000ms));
    line.reset();
    const std::clock_t cpu0 = std::clock();  // all of the process's threads
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(double(std::clock() - cpu0) / CLOCKS_PER_SEC, 0.15) << "the pair must not spin on a closed port";
    EXPECT_TRUE(pair->running());
    line = std::make_unique<Line>(pair->ptyPath());
    line->flushInput();  // as the program empties its queue after opening
    pair->delayOnce(8, 200ms);
    Bytes rq = request(8);
    rq.resize(46);
    std::copy_n(rq.begin(), 10, rq.begin() + 36);  // and the start of another
    line->send(rq);
    ASSERT_TRUE(pair->waitForRequests(2, 2000ms)) << "heard on the reopened port";
    pair->dropLine();
    EXPECT_FALSE(pair->lineUp());
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "no path to a line that is gone";
    ASSERT_TRUE(pair->restoreLine());
    line = std::make_unique<Line>(link);
    expectNextReplyIsEcho(42);  // neither the partial frame nor, by its due time, the dropped reply come back
    EXPECT_TRUE(line->read(1, 500).empty());
}

// kvor-sim from the tests' own directory, its stdout on a pipe; the shell
// prints its pid first, then becomes the command. Killed and reaped on scope exit.
struct Sim {
    explicit Sim(const std::string& args) {
        const auto dir = fs::read_symlink("/proc/self/exe").parent_path();
        out = ::popen(("echo $$; exec '" + (dir / "kvor-sim").string() + "' " + args).c_str(), "r");
        pid = out ? std::atoi(line().c_str()) : 0;
    }
    ~Sim() {
        if (pid > 0) ::kill(pid, SIGKILL);
        if (out) ::pclose(out);
    }
    std::string line() {
        std::string text;
        for (int c; (c = std::fgetc(out)) != EOF && c != '\n';) text += char(c);
        return text;
    }
    // The exit status, or -1 when it ended by a signal.
    int wait(int sig = 0) {
        if (sig) ::kill(pid, sig);
        const int status = ::pclose(std::exchange(out, nullptr));
        pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    FILE* out;
    pid_t pid;
};

TEST(SimCli, HelpSucceedsBadOptionsAreUsageErrorsAndTheConfiguredPairIsServedUntilTerminated) {
    Sim help("--help");
    EXPECT_EQ(help.line(), "Usage: kvor-sim [options]") << "build kvor-sim next to the tests";
    EXPECT_EQ(help.wait(), 0);
    for (const char* args : {"--bogus", "--model 70000", "--cut-reply 8", "stray"})
        EXPECT_EQ(Sim(std::string(args) + " 2>/dev/null").wait(), 2) << args;

    const std::string link = ::testing::TempDir() + "kvor-sim-cli-" + std::to_string(::getpid());
    Sim sim("--no-pacing --symlink '" + link +
            "' --model 1024 --firmware 304 --board 1 --firmware-text HELLO --echo-sync 0x55AA");
    ASSERT_EQ(sim.line(), link);
    Line line(link);
    // Board type, firmware and model words; the firmware text as plain bytes.
    const Bytes hw = line.exchange(request(10), 36);
    EXPECT_EQ((W{wordAt(hw, 10), wordAt(hw, 20), wordAt(hw, 22)}), (W{1, 304, 1024}));
    const Bytes r = line.exchange(request(7), 72);
    EXPECT_EQ(std::string(r.begin(), r.end()), "HELLO" + std::string(67, '\0'));
    EXPECT_EQ(wordAt(line.exchange(request(5), 36), 0), 0x55AA);
    EXPECT_EQ(sim.wait(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the symlink goes with the command";
}

}  // namespace
