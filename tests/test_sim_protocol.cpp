// The simulated pair's replies, byte for byte, as the program on the other
// end of the line relies on them.
#include <gtest/gtest.h>

#include "support/sim_line.h"

using namespace simtest;
using kvorsim::Memory;

namespace {

using SimProtocol = PairTest;

kvorsim::LiveOverrides positions(uint16_t a, std::optional<uint16_t> b = std::nullopt) {
    kvorsim::LiveOverrides o;
    o.positionA = a;
    o.positionB = b;
    return o;
}

// A conversation in order: before a request the MASTER line may be moved
// (the SLAVE's stays at 2222); its reply holds `want` from byte `at` on.
TEST_F(SimProtocol, FrameRepliesOfEachCommand) {
    kvorsim::Options o = unpaced();
    o.ramPages = kvorsim::defaultPages();
    (*o.ramPages)[0][9] = 66;
    (*o.ramPages)[2][9] = 77;
    open(o);
    pair->setHardware({4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055});
    const W page1 = {900, 0, 70, 1234, 5, 4000, 1, 60, 11, 12, 13, 4464, 1, 65535, 2};
    W readBack = {4, 1};
    readBack.insert(readBack.end(), page1.begin(), page1.end());
    const struct {
        const char* what;
        Bytes rq;
        std::size_t at;
        W want;
        uint16_t master = 1111;
    } steps[] = {
        {"echo check", request(5, 9, {1, 0, 0, 1, 1, 1, 100, 100, 10}), 0,
         {0x00AA, 5, 9, 1, 0, 0, 1, 1, 1, 100, 100, 10, 0}},
        {"hardware words from byte 4", request(10), 0, {0x00AA, 10, 4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055, 0, 0}},
        {"RAM as given at start", request(2, 2), 24, {77}},
        {"EEPROM seeded from RAM", request(4, 0), 24, {66}},
        {"EEPROM write echoes the page", request(3, 1, page1), 0, {0x00AA, 3, 1, 900, 0, 70, 1234}},
        {"EEPROM read", request(4, 1), 2, readBack},
        {"RAM keeps its teach value", request(2, 1), 12, {512}},
        {"teach answers the positions", request(6, 0, {1, 0, 0, 1}), 0, {0x00AA, 6, 0, 1111, 2222}},
        {"teach reaches MASTER RAM", request(2, 1), 12, {1111}},
        {"teach reaches SLAVE RAM", request(2, 2), 12, {2222}},
        {"not EEPROM", request(4, 1), 12, {1234}},
        {"live frame teach words", request(8), 28, {1111, 2222}},
        {"reset answers the evaluated value", request(11), 0, {0x00AA, 11, 0, 1111, 1111}},
        {"held maximum", request(8), 24, {1500, 1111}, 1500},
        {"held minimum", request(8), 24, {1500, 800}, 800},
        {"both held", request(8), 24, {1500, 800}, 1200},
        {"reset restarts both", request(11), 6, {1200, 1200}, 1200},
        {"held from the reset on", request(8), 24, {1300, 1200}, 1300},
        {"X-FLASH write, 8 words at a word offset", request(102, 248, {9, 1, 2, 3, 4, 5, 6, 7, 8}), 2, {102, 248, 248, 9}},
    };
    for (const auto& s : steps) {
        pair->setOverrides(positions(s.master, 2222));
        const Bytes r = line->exchange(s.rq, 36);
        ASSERT_EQ(r.size(), 36u) << s.what;
        EXPECT_EQ(words(r, s.at, s.want.size()), s.want) << s.what;
    }
    const kvorsim::Page stored = pair->page(Memory::Eeprom, 1);
    EXPECT_EQ(W(stored.begin(), stored.end()), page1);
    W flash(248, 0xFFFF);
    for (uint16_t w = 1; w <= 8; ++w) flash.push_back(w);
    EXPECT_EQ(pair->xflash(9), flash);
    EXPECT_EQ(pair->xflash(8), W(256, 0xFFFF));
    EXPECT_EQ(words(line->exchange(request(101, 0, W(15, 0xAA)), 36), 0, 4), (W{0x00AA, 101, 0, 0}));
    EXPECT_EQ(pair->xflash(9), W(256, 0xFFFF)) << "erased";
}

TEST_F(SimProtocol, UnansweredWritesUnknownCommandsAndBadPagesGetNoReply) {
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
    pair->clearRecords();
    EXPECT_TRUE(pair->requests().empty() && pair->replies().empty() && pair->counters().suppressed == 0);
}

TEST_F(SimProtocol, LiveFrameCarriesSixteenWordsInOrderWithSignedMicrometres) {
    kvorsim::LiveOverrides o = positions(1000, 3000);
    std::tie(o.evaluated, o.micrometres, o.poti, o.edgesA, o.edgesB) = std::tuple(1500, -60876, 77, 2, 4);
    std::tie(o.peakWidthA, o.peakWidthB, o.maxValue, o.minValue, o.word14, o.word15) =
        std::tuple(40, 41, 2100, 900, 14, 15);
    pair->setOverrides(o);
    // -60876 um is the word pair 0x1234, 0xFFFF, low half first.
    EXPECT_EQ(words(line->exchange(request(8), 36), 0, 18),
              (W{0x00AA, 8, 1000, 3000, 1500, 0x1234, 0xFFFF, 77, 2, 4, 40, 41, 2100, 900, 512, 512, 14, 15}));
}

TEST_F(SimProtocol, EvaluatedValueAndMicrometresFollowEvaluationModeAndPages) {
    pair->setOverrides(positions(1000, 3000));
    // Set point 37000 um at the teach value 512, one micrometre per virtual pixel;
    // the last row has scale 2.0 and set point 70000 as 32-bit pairs, low half first.
    const struct {
        uint16_t mode;
        W scaleAndSetPoint;
        uint16_t evaluated;
        int32_t um;
    } modes[] = {
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
        EXPECT_EQ(wordAt(r, 8), m.evaluated) << "mode " << m.mode;
        EXPECT_EQ(int32_t(uint32_t(wordAt(r, 10)) | uint32_t(wordAt(r, 12)) << 16), m.um) << "mode " << m.mode;
    }
}

// Board type 0; plain bytes (board type 1) are the command's own case.
TEST_F(SimProtocol, FirmwareTextIsOneCharacterAWord) {
    pair->setFirmwareText("FW 3.05");
    const Bytes r = line->exchange(request(7), 72);
    std::string wide;  // the low byte of each of 36 words, blank-filled
    for (char c : "FW 3.05" + std::string(29, ' ')) wide += {'\0', c};
    EXPECT_EQ(std::string(r.begin(), r.end()), wide);
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
    for (uint16_t model : {10080, 1024}) {
        kvorsim::HardwareInfo hw;
        hw.model = model;  // 1024: a 10-bit ADC
        pair->setHardware(hw);
        const int fullScale = model == 1024 ? 1024 : 256;
        pair->setOverrides(positions(32 * 30, 32 * 100));  // samples 30 and 100 of 128 on a 4096-pixel line
        line->exchange(request(8), 36);
        const W sides[] = {blocks(0, 0, 2), blocks(1, 128, 2)};
        expectNextReplyIsEcho(2);  // bare 128 bytes, no frame around them
        for (int side = 0; side < 2; ++side) {
            const W& v = sides[side];
            ASSERT_EQ(v.size(), 128u);
            const auto peak = std::max_element(v.begin(), v.end());
            EXPECT_EQ(peak - v.begin(), side == 0 ? 30 : 100) << "model " << model;
            EXPECT_TRUE(*peak > fullScale / 2 && *peak < fullScale) << *peak;
            EXPECT_LT(v[0], fullScale / 4) << "background away from the line";
        }
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
