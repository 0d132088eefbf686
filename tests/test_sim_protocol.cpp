// The simulated pair's replies, byte for byte, as the program on the other
// end of the line relies on them.
#include <gtest/gtest.h>

#include "support/sim_line.h"

using namespace simtest;
using kvorsim::Memory;

namespace {

using SimProtocol = PairTest;
using W = std::vector<uint16_t>;

kvorsim::LiveOverrides positions(uint16_t a, std::optional<uint16_t> b = std::nullopt) {
    kvorsim::LiveOverrides o;
    o.positionA = a;
    o.positionB = b;
    return o;
}

int32_t micrometres(const Bytes& live) { return int32_t(uint32_t(wordAt(live, 10)) | uint32_t(wordAt(live, 12)) << 16); }

TEST_F(SimProtocol, EchoCheckAnswersWithReplySyncAndEchoesTheRequest) {
    const Bytes r = line->exchange(request(5, 0, {1, 0, 0, 1, 1, 1, 100, 100, 10}), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(words(r, 0, 2), (W{0x00AA, 5}));
    EXPECT_EQ(words(r, 6, 9), (W{1, 0, 0, 1, 1, 1, 100, 100, 10}));
}

TEST_F(SimProtocol, HardwareInformationCarriesTenWordsFromByteFour) {
    Bytes r = line->exchange(request(10), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(words(r, 0, 2), (W{0x00AA, 10}));
    EXPECT_EQ(words(r, 4, 10), (W{1, 1024, 0, 0, 4096, 4, 1, 1024, 305, 10080}));
    EXPECT_EQ(words(r, 24, 6), W(6, 0));
    pair->setHardware({4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055});
    EXPECT_EQ(words(line->exchange(request(10), 36), 4, 10), (W{4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055}));
}

// Both page reads, RAM (2) and EEPROM (4), echo command and page around the page's words.
TEST_F(SimProtocol, ParameterPagesStartAtFactoryDefaults) {
    const kvorsim::Pages defaults = kvorsim::defaultPages();
    for (uint16_t cmd : {2, 4})
        for (uint16_t page = 0; page < 3; ++page) {
            const Bytes r = line->exchange(request(cmd, page), 36);
            ASSERT_EQ(r.size(), 36u);
            EXPECT_EQ(words(r, 0, 3), (W{0x00AA, cmd, page}));
            EXPECT_EQ(words(r, 6, 15), W(defaults[page].begin(), defaults[page].end()))
                << "command " << cmd << " page " << page;
        }
}

TEST_F(SimProtocol, PageWrittenToEepromReadsBackWithoutTouchingRam) {
    const W page1 = {900, 0, 70, 1234, 5, 4000, 1, 60, 11, 12, 13, 4464, 1, 65535, 2};
    EXPECT_EQ(words(line->exchange(request(3, 1, page1), 36), 2, 2), (W{3, 1}));
    EXPECT_EQ(words(line->exchange(request(4, 1), 36), 6, 15), page1);
    EXPECT_EQ(wordAt(line->exchange(request(2, 1), 36), 12), 512) << "RAM keeps its teach value";
    const kvorsim::Page stored = pair->page(Memory::Eeprom, 1);
    EXPECT_EQ(W(stored.begin(), stored.end()), page1);
}

TEST_F(SimProtocol, UnansweredWritesUnknownCommandsAndBadPagesGetNoReply) {
    pair->setReplyToWrites(false);
    line->send(request(1, 2, {7, 7, 7}));
    line->send(request(2, 3));       // no page 3
    line->send(request(1, 5, {9}));  // nor page 5
    expectNextReplyIsEcho(0x1111);
    EXPECT_EQ(pair->page(Memory::Ram, 2)[0], 7);
    EXPECT_EQ(pair->page(Memory::Eeprom, 2)[0], 500) << "RAM write must not reach EEPROM";
    EXPECT_EQ(pair->counters().suppressed, 3u);

    pair->clearRecords();
    line->send(request(12));
    line->send(request(100, 0, {8}));
    expectNextReplyIsEcho(4);
    EXPECT_EQ(pair->counters().requests, 1u) << "only the echo check is a request";
}

TEST_F(SimProtocol, PagesGivenAtStartSeedBothMemories) {
    kvorsim::Options o = unpaced();
    o.ramPages = kvorsim::defaultPages();
    (*o.ramPages)[0][0] = 3;
    open(o);
    EXPECT_EQ(wordAt(line->exchange(request(2, 0), 36), 6), 3);
    EXPECT_EQ(wordAt(line->exchange(request(4, 0), 36), 6), 3);
}

TEST_F(SimProtocol, LiveFrameCarriesSixteenWordsInOrderWithSignedMicrometres) {
    kvorsim::LiveOverrides o = positions(1000, 3000);
    o.evaluated = 1500;
    o.micrometres = -60876;
    o.poti = 77;
    o.edgesA = 2;
    o.edgesB = 4;
    o.peakWidthA = 40;
    o.peakWidthB = 41;
    o.maxValue = 2100;
    o.minValue = 900;
    o.word14 = 14;
    o.word15 = 15;
    pair->setOverrides(o);
    const Bytes r = line->exchange(request(8), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(words(r, 0, 2), (W{0x00AA, 8}));
    // -60876 um is the word pair 0x1234, 0xFFFF, low half first.
    EXPECT_EQ(words(r, 4, 16), (W{1000, 3000, 1500, 0x1234, 0xFFFF, 77, 2, 4, 40, 41, 2100, 900, 512, 512, 14, 15}));
    EXPECT_EQ(micrometres(r), -60876);
}

TEST_F(SimProtocol, EvaluatedValueAndMicrometresFollowEvaluationModeAndPages) {
    pair->setOverrides(positions(1000, 3000));
    auto live = [&](uint16_t mode) {
        kvorsim::Page p0 = pair->page(Memory::Ram, 0);
        p0[0] = mode;
        pair->setPage(Memory::Ram, 0, p0);
        const Bytes r = line->exchange(request(8), 36);
        return std::pair{wordAt(r, 8), micrometres(r)};
    };
    // Set point 37000 um at the teach value 512, one micrometre per virtual pixel.
    EXPECT_EQ(live(1), std::pair(uint16_t(1000), 37000 + 488));
    EXPECT_EQ(live(0), std::pair(uint16_t(3000), 37000 + 2488));
    EXPECT_EQ(live(2), std::pair(uint16_t(2 * 4096 - 4000), 37000 + (4192 - (8192 - 1024))));
    EXPECT_EQ(live(3).first, 4096 + 1000 - 3000);

    kvorsim::Page p1 = pair->page(Memory::Ram, 1);
    p1[11] = 2048;  // scale 2.0 as a 32-bit pair, low half first
    p1[12] = 0;
    p1[13] = 4464;  // set point 70000
    p1[14] = 1;
    pair->setPage(Memory::Ram, 1, p1);
    EXPECT_EQ(live(1).second, 70000 + 2 * 488);
}

TEST_F(SimProtocol, TeachTakesCurrentPositionsIntoRamOnly) {
    pair->setOverrides(positions(1111, 2222));
    EXPECT_EQ(wordAt(line->exchange(request(6, 0, {1, 0, 0, 1}), 36), 2), 6);
    EXPECT_EQ(wordAt(line->exchange(request(2, 1), 36), 12), 1111);
    EXPECT_EQ(wordAt(line->exchange(request(2, 2), 36), 12), 2222);
    EXPECT_EQ(pair->page(Memory::Eeprom, 1)[3], 512);
    EXPECT_EQ(words(line->exchange(request(8), 36), 28, 2), (W{1111, 2222}));
}

TEST_F(SimProtocol, ResetRestartsHeldMaximumAndMinimum) {
    // Evaluation mode 1: the evaluated value is the MASTER position.
    auto maxMinAt = [&](uint16_t position) {
        pair->setOverrides(positions(position));
        return words(line->exchange(request(8), 36), 24, 2);
    };
    pair->setOverrides(positions(1000));
    ASSERT_EQ(line->exchange(request(11), 36).size(), 36u);
    EXPECT_EQ(maxMinAt(1000), (W{1000, 1000}));
    EXPECT_EQ(maxMinAt(1500), (W{1500, 1000}));
    EXPECT_EQ(maxMinAt(800), (W{1500, 800}));
    EXPECT_EQ(wordAt(line->exchange(request(11), 36), 2), 11);
    EXPECT_EQ(maxMinAt(800), (W{800, 800}));
}

TEST_F(SimProtocol, FirmwareTextIs72BytesLaidOutByBoardType) {
    pair->setFirmwareText("FW 3.05");
    Bytes r = line->exchange(request(7), 72);
    ASSERT_EQ(r.size(), 72u);
    std::string text;
    for (std::size_t i = 0; i < 36; ++i) {
        EXPECT_EQ(r[2 * i], 0) << "high byte of word " << i;
        text += char(r[2 * i + 1]);
    }
    EXPECT_EQ(text, "FW 3.05" + std::string(29, ' '));

    kvorsim::HardwareInfo hw;
    hw.boardType = 1;
    pair->setHardware(hw);
    r = line->exchange(request(7), 72);
    ASSERT_EQ(r.size(), 72u);
    EXPECT_EQ(std::string(r.begin(), r.begin() + 7), "FW 3.05");
    EXPECT_EQ(std::count(r.begin() + 7, r.end(), 0), 65);
    expectNextReplyIsEcho(1);  // exactly 72 bytes, nothing after them
}

// 64-word blocks, each a bare 128-byte reply, picked by offset and buffer selector.
W readBlocks(Line& line, std::initializer_list<std::pair<uint16_t, uint16_t>> blocks) {
    W all;
    for (auto [offset, selector] : blocks) {
        const Bytes r = line.exchange(request(9, offset, {selector}), 128);
        EXPECT_EQ(r.size(), 128u);
        const W w = words(r, 0, r.size() / 2);
        all.insert(all.end(), w.begin(), w.end());
    }
    return all;
}

TEST_F(SimProtocol, VideoBlocksLandMasterThenSlave) {
    for (uint16_t model : {10080, 1024}) {
        kvorsim::HardwareInfo hw;
        hw.model = model;  // 1024: a 10-bit ADC
        pair->setHardware(hw);
        const int fullScale = model == 1024 ? 1024 : 256;
        // Samples 30 and 100 of 128 on a 4096-pixel line.
        pair->setOverrides(positions(32 * 30, 32 * 100));
        line->exchange(request(8), 36);  // latches the video the blocks come from
        const W sides[] = {readBlocks(*line, {{0, 0}, {64, 0}}), readBlocks(*line, {{128, 1}, {192, 1}})};
        expectNextReplyIsEcho(2);  // bare 128 bytes, no frame around them
        for (int side = 0; side < 2; ++side) {
            const W& v = sides[side];
            ASSERT_EQ(v.size(), 128u);
            const auto peak = std::max_element(v.begin(), v.end());
            EXPECT_EQ(peak - v.begin(), side == 0 ? 30 : 100) << "model " << model;
            EXPECT_GT(*peak, fullScale / 2);
            EXPECT_LT(*peak, fullScale);
            EXPECT_LT(v[0], fullScale / 4) << "background away from the line";
        }
    }
}

TEST_F(SimProtocol, MeasurementBuffersEndWithTheLatchedLiveScan) {
    const Bytes liveFrame = line->exchange(request(8), 36);
    for (uint16_t s : {2, 3, 4}) {
        const W buffer = readBlocks(*line, {{0, s}, {64, s}, {128, s}, {192, s}});
        ASSERT_EQ(buffer.size(), 256u);
        // Oldest scan first: the newest is the one the live frame reported.
        EXPECT_EQ(buffer.back(), wordAt(liveFrame, 4 + 2 * (s - 2))) << "selector " << s;
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), 0);
    }
}

TEST_F(SimProtocol, XFlashUploadOf256FramesIsStoredInOrder) {
    EXPECT_EQ(wordAt(line->exchange(request(101, 0, W(15, 0xAA)), 36), 2), 101);
    W table(2048);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = uint16_t(i * 37 + 11);
    for (uint16_t page = 2; page <= 9; ++page)
        for (uint16_t offset = 0; offset < 256; offset += 8) {
            W data = {page};
            const auto from = table.begin() + (page - 2) * 256 + offset;
            data.insert(data.end(), from, from + 8);
            const Bytes r = line->exchange(request(102, offset, data), 36);
            ASSERT_EQ(r.size(), 36u);
            ASSERT_EQ(wordAt(r, 2), 102);
            ASSERT_EQ(words(r, 6, 2), (W{offset, page}));
        }
    for (int page = 2; page <= 9; ++page)
        EXPECT_EQ(pair->xflash(page), W(table.begin() + (page - 2) * 256, table.begin() + (page - 1) * 256))
            << "page " << page;
    EXPECT_EQ(pair->xflash(1), W(256, 0xFFFF));
    EXPECT_EQ(pair->xflash(10), W(256, 0xFFFF));

    line->send(request(102, 252, {2, 1, 2, 3, 4, 5, 6, 7, 8}));  // would run past the page
    expectNextReplyIsEcho(3);
    line->exchange(request(101), 36);
    EXPECT_EQ(pair->xflash(5), W(256, 0xFFFF));
}

TEST_F(SimProtocol, RecordsHoldEveryRequestAndReplyInOrder) {
    line->exchange(request(10), 36);
    line->exchange(request(2, 1), 36);
    const auto rq = pair->requests();
    const auto rp = pair->replies();
    ASSERT_EQ(rq.size(), 2u);
    ASSERT_EQ(rp.size(), 2u);
    EXPECT_EQ(std::pair(rq[1].command, rq[1].argument), std::pair(uint16_t(2), uint16_t(1)));
    EXPECT_TRUE(std::equal(rq[0].bytes.begin(), rq[0].bytes.end(), request(10).begin()));
    EXPECT_EQ(rp[1].bytes.size(), 36u);
    EXPECT_LE(rq[0].time, rp[0].time);
    EXPECT_LE(rp[0].time, rq[1].time);
    EXPECT_EQ(pair->counters().byCommand.at(10), 1u);
    EXPECT_EQ(pair->counters().replies, 2u);
    pair->clearRecords();
    EXPECT_TRUE(pair->requests().empty());
    EXPECT_EQ(pair->counters().requests, 0u);
}

}  // namespace
