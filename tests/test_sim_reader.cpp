// The simulated pair's request reader: how it finds frames in a disturbed
// byte stream. Frames here are written by hand.
#include <gtest/gtest.h>

#include "sim/request_reader.h"
#include "support/sim_line.h"

using namespace simtest;
using namespace std::chrono_literals;
using namespace kvorsim;

namespace {

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

TEST(SimReader, FindsTheFrameAfterNoiseAndFalseSyncs) {
    const struct { const char* what; Bytes noise, frame; } cases[] = {
        {"no noise, every word decoded", {}, request(102, 248, {9, 1, 2, 3, 0xA0B0})},
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
        const Request& rq = got[0];
        EXPECT_EQ(request(rq.command, rq.argument, W(rq.data.begin(), rq.data.end())), c.frame);
        EXPECT_EQ(Bytes(rq.bytes.begin(), rq.bytes.end()), c.frame);
        EXPECT_EQ(r.garbageBytes(), c.noise.size());
    }
}

TEST(SimReader, StalledPartialFrameGivesWayToTheNextFrame) {
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
    EXPECT_FALSE(r.expiry().has_value());
    EXPECT_EQ(r.stalledBytes(), 25u);

    // Slow but steady bytes are no stall: the pause counts from the newest byte.
    std::size_t frames = 0;
    for (std::size_t i = 0; i < rq.size(); ++i) frames += feed(r, {rq[i]}, t0 + 200ms + i * 40ms, fed).size();
    EXPECT_EQ(frames, 1u);
}

}  // namespace
