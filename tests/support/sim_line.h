// The test's own end of the serial line to the simulated pair: a raw port on
// the pty and frames written by hand, so the pair is checked against the
// protocol and not against its own encoder.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "sim/sensor_pair.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;
using W = std::vector<uint16_t>;

// A request frame: sync 0x0055, command, argument, 15 data words, big-endian.
inline Bytes request(uint16_t command, uint16_t argument = 0, const W& data = {}) {
    Bytes f = {0x00, 0x55, uint8_t(command >> 8), uint8_t(command), uint8_t(argument >> 8), uint8_t(argument)};
    for (uint16_t w : data) f.push_back(uint8_t(w >> 8)), f.push_back(uint8_t(w));
    f.resize(36);  // data words beyond 15 do not fit
    return f;
}

inline uint16_t wordAt(const Bytes& b, std::size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }

inline W words(const Bytes& b, std::size_t from, std::size_t count) {
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
class PairTest : public ::testing::Test {
protected:
    void open(const kvorsim::Options& o = {.pacing = false}) {
        line.reset();
        pair = std::make_unique<kvorsim::SensorPair>(o);
        ASSERT_TRUE(pair->start()) << pair->lastError();
        line = std::make_unique<Line>(pair->devicePath());
    }
    void SetUp() override { open(); }

    // An echo check marked with `tag` must be the very next reply: proof that
    // the requests sent before it got no reply, or none beyond what was read.
    void expectNextReplyIsEcho(uint16_t tag) {
        EXPECT_EQ(words(line->exchange(request(5, 0, {tag}), 36), 0, 4), (W{0x00AA, 5, 0, tag}));
    }

    std::unique_ptr<kvorsim::SensorPair> pair;
    std::unique_ptr<Line> line;
};

}  // namespace simtest
