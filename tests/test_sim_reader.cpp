// The simulated pair's request reader: how it finds frames in a disturbed
// byte stream. Frames here are written by hand.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "sim/request_reader.h"
#include "support/sim_line.h"

using namespace simtest;
using kvorsim::Clock;
using kvorsim::Request;
using kvorsim::RequestReader;
using namespace std::chrono_literals;

namespace {

struct Fed {
    std::vector<Request> frames;
    uint64_t bytes = 0;
};

void feed(RequestReader& r, const Bytes& b, Clock::time_point at, Fed& fed) {
    for (uint8_t x : b) {
        Request rq;
        ++fed.bytes;
        if (r.push(x, at, rq)) fed.frames.push_back(rq);
    }
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

void expectAccounted(const RequestReader& r, const Fed& fed) {
    EXPECT_EQ(r.frames() * 36 + r.garbageBytes() + r.stalledBytes() + r.pending(), fed.bytes);
}

const Clock::time_point t0{};

TEST(SimReader, DecodesBackToBackFrames) {
    const Bytes stream = cat({request(2, 1, {0x0102, 0xA0B0}), request(102, 248, {9, 1, 2, 3})});
    RequestReader r(100ms);
    Fed fed;
    feed(r, stream, t0, fed);
    ASSERT_EQ(fed.frames.size(), 2u);
    const Request& a = fed.frames[0];
    const Request& b = fed.frames[1];
    EXPECT_EQ(std::tuple(a.command, a.argument, a.data[0], a.data[1]), std::tuple(2, 1, 0x0102, 0xA0B0));
    EXPECT_EQ(std::tuple(b.command, b.argument, b.data[0]), std::tuple(102, 248, 9));
    EXPECT_TRUE(std::equal(stream.begin() + 36, stream.end(), b.bytes.begin()));
    expectAccounted(r, fed);
}

TEST(SimReader, ResynchronisesOnNoiseAndFalseSyncs) {
    struct Case {
        const char* what;
        Bytes noise;
    } cases[] = {
        {"plain noise", {0x12, 0xFF, 0x55, 0xAA}},
        {"repeated zero before the sync", {0x00, 0x00, 0x00}},
        {"sync with an unknown command", {0x00, 0x55, 0x00, 0x63}},
        {"sync, then the next frame's sync inside the command", {0x00, 0x55, 0x00}},
        {"a reply frame echoed back", {0x00, 0xAA, 0x00, 0x08}},
    };
    for (const auto& c : cases) {
        RequestReader r(100ms);
        Fed fed;
        feed(r, cat({c.noise, request(8, 0, {7})}), t0, fed);
        SCOPED_TRACE(c.what);
        ASSERT_EQ(fed.frames.size(), 1u);
        EXPECT_EQ(std::pair(fed.frames[0].command, fed.frames[0].data[0]), std::pair(uint16_t(8), uint16_t(7)));
        EXPECT_EQ(r.garbageBytes(), c.noise.size());
        expectAccounted(r, fed);
    }
}

TEST(SimReader, StalledPartialFrameGivesWayToTheNextFrame) {
    RequestReader r(50ms);
    Fed fed;
    const Bytes rq = request(10);
    feed(r, Bytes(rq.begin(), rq.begin() + 20), t0, fed);
    EXPECT_EQ(r.expiry(), t0 + 50ms);
    EXPECT_FALSE(r.expire(t0 + 50ms)) << "not before the stall time has passed";
    feed(r, rq, t0 + 60ms, fed);  // the stale part is dropped as the new frame starts
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(r.stalledFrames(), 1u);
    EXPECT_EQ(r.stalledBytes(), 20u);

    feed(r, Bytes(rq.begin(), rq.begin() + 5), t0 + 100ms, fed);
    EXPECT_TRUE(r.expire(t0 + 151ms));
    EXPECT_EQ(r.pending(), 0u);
    EXPECT_FALSE(r.expiry().has_value());
    expectAccounted(r, fed);
}

TEST(SimReader, SlowButSteadyBytesAreNotAStall) {
    RequestReader r(5ms);
    Fed fed;
    const Bytes rq = request(5);
    for (std::size_t i = 0; i < rq.size(); ++i) feed(r, {rq[i]}, t0 + i * 4ms, fed);
    EXPECT_EQ(fed.frames.size(), 1u);
}

TEST(SimReader, EveryByteIsAccountedForInRandomTraffic) {
    std::mt19937 rng(7);
    RequestReader r(10ms);
    Fed fed;
    Clock::time_point t = t0;
    std::size_t sent = 0;
    for (int i = 0; i < 2000; ++i) {
        Bytes noise(rng() % 6);
        for (auto& b : noise) b = uint8_t(rng() % 3 == 0 ? 0 : rng());
        const uint16_t cmd = uint16_t(std::array{1, 2, 8, 9, 102}[rng() % 5]);
        const bool clean = rng() % 4 != 0;  // noise right before a frame may swallow it
        feed(r, clean ? request(cmd, uint16_t(i)) : cat({noise, request(cmd, uint16_t(i))}), t, fed);
        sent += 1;
        t += (rng() % 10 == 0) ? 20ms : 1ms;
        if (clean) {
            ASSERT_FALSE(fed.frames.empty());
            EXPECT_EQ(fed.frames.back().argument, uint16_t(i)) << "a clean frame after any noise is found";
        }
    }
    EXPECT_LE(fed.frames.size(), sent);
    expectAccounted(r, fed);
}

}  // namespace
