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
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/sensor_pair.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

// A request frame: sync 0x0055, command, argument, 15 data words, big-endian.
inline Bytes request(uint16_t command, uint16_t argument = 0, const std::vector<uint16_t>& data = {}) {
    Bytes f(36, 0);
    f[1] = 0x55;
    std::size_t at = 2;
    for (uint16_t w : {command, argument}) f[at++] = uint8_t(w >> 8), f[at++] = uint8_t(w);
    for (uint16_t w : data) f.at(at++) = uint8_t(w >> 8), f.at(at++) = uint8_t(w);
    return f;
}

inline uint16_t wordAt(const Bytes& b, std::size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }

inline std::vector<uint16_t> words(const Bytes& b, std::size_t from, std::size_t count) {
    std::vector<uint16_t> w;
    for (std::size_t i = 0; i < count; ++i) w.push_back(wordAt(b, from + 2 * i));
    return w;
}

class Line {
public:
    explicit Line(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
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
        tio.c_cflag &= ~tcflag_t(CSTOPB | CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD | extraCflag;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    void flushInput() { ::tcflush(fd_, TCIFLUSH); }

    void send(const Bytes& b) {
        std::size_t done = 0;
        while (done < b.size()) {
            const ssize_t n = ::write(fd_, b.data() + done, b.size() - done);
            if (n > 0) done += std::size_t(n);
            else if (errno != EAGAIN && errno != EINTR) throw std::runtime_error("write failed");
        }
    }

    // Up to `count` bytes, or fewer when none come for `patience`.
    Bytes read(std::size_t count, std::chrono::milliseconds patience = std::chrono::milliseconds(2000)) {
        Bytes got;
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(patience.count())) <= 0) break;
            uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) continue;
                lost_ = true;  // hang-up or error: the far end has gone
                break;
            }
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    Bytes exchange(const Bytes& rq, std::size_t replyBytes) {
        send(rq);
        return read(replyBytes);
    }

    bool lost() const { return lost_; }

private:
    int fd_ = -1;
    bool lost_ = false;
};

inline kvorsim::Options unpaced() {
    kvorsim::Options o;
    o.pacing = false;
    return o;
}

// A started pair, unpaced unless told otherwise, and the test's end of its line.
class PairTest : public ::testing::Test {
protected:
    void open(const kvorsim::Options& o = unpaced()) {
        line.reset();
        pair = std::make_unique<kvorsim::SensorPair>(o);
        ASSERT_TRUE(pair->start()) << pair->lastError();
        line = std::make_unique<Line>(pair->devicePath());
    }
    void SetUp() override { open(); }
    void TearDown() override {
        line.reset();
        pair.reset();
    }

    // An echo check marked with `tag` must be the very next reply: proof that
    // the requests sent before it got no reply.
    void expectNextReplyIsEcho(uint16_t tag) {
        const Bytes r = line->exchange(request(5, 0, {tag}), 36);
        ASSERT_EQ(r.size(), 36u);
        EXPECT_EQ(words(r, 0, 2), (std::vector<uint16_t>{0x00AA, 5}));
        EXPECT_EQ(wordAt(r, 6), tag);
    }

    std::unique_ptr<kvorsim::SensorPair> pair;
    std::unique_ptr<Line> line;
};

}  // namespace simtest
