// The simulated pair's replies, byte for byte, as the program on the other
// end of the line relies on them.
#include <gtest/gtest.h>

#include "support/sim_line.h"

using namespace simtest;
using kvorsim::Memory;

namespace {

using SimProtocol = PairTest;

// X-FLASH takes 8 words at a word offset of one page and erases all pages at
// once; writes asked to go unanswered, bad pages and unknown commands get no reply.
TEST_F(SimProtocol, XFlashAndRequestsThatGetNoReply) {
    EXPECT_EQ(words(line->exchange(request(102, 248, {9, 1, 2, 3, 4, 5, 6, 7, 8}), 36), 0, 6),
              (W{0x00AA, 102, 248, 248, 9, 0}));
    W flash(248, 0xFFFF);
    for (uint16_t w = 1; w <= 8; ++w) flash.push_back(w);
    EXPECT_EQ(std::pair(pair->xflash(9), pair->xflash(8)), std::pair(flash, W(256, 0xFFFF)));
    EXPECT_EQ(words(line->exchange(request(101, 0, W(15, 0xAA)), 36), 0, 4), (W{0x00AA, 101, 0, 0}));
    EXPECT_EQ(pair->xflash(9), W(256, 0xFFFF)) << "erased";

    pair->clearRecords();  // the counters below start here
    pair->setReplyToWrites(false);
    line->send(request(1, 2, {7, 7, 7}));
    line->send(request(2, 3));                                   // no page 3
    line->send(request(1, 5, {9}));                              // nor page 5
    line->send(request(102, 252, {2, 1, 2, 3, 4, 5, 6, 7, 8}));  // would run past the X-FLASH page
    line->send(request(12));
    expectNextReplyIsEcho(0x1111);
    EXPECT_EQ(pair->page(Memory::Ram, 2)[0], 7);
    EXPECT_EQ(pair->page(Memory::Eeprom, 2)[0], 500) << "RAM write must not reach EEPROM";
    EXPECT_EQ(pair->xflash(2), W(256, 0xFFFF));
    EXPECT_EQ(pair->counters().suppressed, 4u);
    EXPECT_EQ(pair->counters().requests, 5u) << "the unknown command is no request";
}

TEST_F(SimProtocol, EvaluatedValueAndMicrometresFollowEvaluationModeAndPages) {
    // The held extremes count from a reset and take a forced value at once.
    pair->setOverrides({.positionA = 4000, .positionB = 3000});
    line->exchange(request(11), 36);
    pair->setOverrides({.positionA = 1000, .positionB = 3000});
    EXPECT_EQ(words(line->exchange(request(8), 36), 24, 2), (W{4000, 1000}));
    // Set point 37000 um at the teach value 512, one micrometre per virtual pixel;
    // the last row has scale 2.0 and set point 70000 as 32-bit pairs, low half first.
    const struct { uint16_t mode; W scaleAndSetPoint; uint16_t evaluated; int32_t um; } modes[] = {
        {1, {1024, 0, 37000, 0}, 1000, 37000 + 488},
        {0, {1024, 0, 37000, 0}, 3000, 37000 + 2488},
        {2, {1024, 0, 37000, 0}, 2 * 4096 - 4000, 37000 + 4192 - (8192 - 1024)},
        {3, {1024, 0, 37000, 0}, 4096 + 1000 - 3000, 37000 + 2096 - 4096},
        {4, {1024, 0, 37000, 0}, 4000, 37000 + 4000 - 4096},
        {1, {2048, 0, 4464, 1}, 1000, 70000 + 2 * 488},
    };
    for (const auto& m : modes) {
        kvorsim::Page p0 = pair->page(Memory::Ram, 0), p1 = pair->page(Memory::Ram, 1);
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
TEST_F(SimProtocol, BlocksCarryVideoAndMeasurementBuffers) {
    auto blocks = [&](uint16_t selector, uint16_t from, int count) {
        Bytes all;
        for (int i = 0; i < count; ++i)
            for (uint8_t b : line->exchange(request(9, uint16_t(from + 64 * i), {selector}), 128)) all.push_back(b);
        return words(all, 0, all.size() / 2);
    };
    for (uint16_t model : {10080, 1024}) {  // 1024: a 10-bit ADC
        pair->setHardware({.model = model});
        const int fullScale = model == 1024 ? 1024 : 256;
        pair->setOverrides({.positionA = 32 * 30, .positionB = 32 * 100});  // samples 30 and 100 of 128 on a 4096-pixel line
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

}  // namespace
