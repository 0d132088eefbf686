// The simulated pair's replies, byte for byte, as the program on the other
// end of the line relies on them.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/sensor_pair.h"
#include "support/sim_line.h"

using namespace simtest;
using kvorsim::Memory;

namespace {

kvorsim::Options fast() {
    kvorsim::Options o;
    o.pacing = false;
    return o;
}

class SimProtocol : public ::testing::Test {
protected:
    void open(const kvorsim::Options& o = fast()) {
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
        EXPECT_EQ(wordAt(r, 2), 5);
        EXPECT_EQ(wordAt(r, 6), tag);
    }

    std::unique_ptr<kvorsim::SensorPair> pair;
    std::unique_ptr<Line> line;
};

TEST_F(SimProtocol, EchoCheckAnswersWithReplySyncAndEchoesTheRequest) {
    const Bytes r = line->exchange(request(5, 0, {1, 0, 0, 1, 1, 1, 100, 100, 10}), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(r[0], 0x00);
    EXPECT_EQ(r[1], 0xAA);
    EXPECT_EQ(wordAt(r, 2), 5);
    EXPECT_EQ(words(r, 6, 9), (std::vector<uint16_t>{1, 0, 0, 1, 1, 1, 100, 100, 10}));
}

TEST_F(SimProtocol, HardwareInformationCarriesTenWordsFromByteFour) {
    Bytes r = line->exchange(request(10), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(wordAt(r, 0), 0x00AA);
    EXPECT_EQ(wordAt(r, 2), 10);
    EXPECT_EQ(words(r, 4, 10), (std::vector<uint16_t>{1, 1024, 0, 0, 4096, 4, 1, 1024, 305, 10080}));
    EXPECT_EQ(words(r, 24, 6), std::vector<uint16_t>(6, 0));

    kvorsim::HardwareInfo hw{4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055};
    pair->setHardware(hw);
    r = line->exchange(request(10), 36);
    EXPECT_EQ(words(r, 4, 10), (std::vector<uint16_t>{4, 512, 7, 2, 2048, 4, 3, 509, 304, 10055}));
}

TEST_F(SimProtocol, ParameterPagesStartAtFactoryDefaults) {
    const std::vector<std::vector<uint16_t>> expected = {
        {1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 37000, 0},
        {500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0},
        {500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0},
    };
    for (uint16_t cmd : {2, 4}) {
        for (uint16_t page = 0; page < 3; ++page) {
            const Bytes r = line->exchange(request(cmd, page), 36);
            ASSERT_EQ(r.size(), 36u);
            EXPECT_EQ(wordAt(r, 0), 0x00AA);
            EXPECT_EQ(wordAt(r, 2), cmd);
            EXPECT_EQ(wordAt(r, 4), page);
            EXPECT_EQ(words(r, 6, 15), expected[page]) << "command " << cmd << " page " << page;
        }
    }
}

TEST_F(SimProtocol, PageWrittenToEepromReadsBackWithoutTouchingRam) {
    const std::initializer_list<uint16_t> page1 = {900, 0, 70, 1234, 5, 4000, 1, 60, 11, 12, 13, 4464, 1, 65535, 2};
    const std::vector<uint16_t> want(page1);
    Bytes r = line->exchange(request(3, 1, page1), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(wordAt(r, 2), 3);
    EXPECT_EQ(wordAt(r, 4), 1);

    r = line->exchange(request(4, 1), 36);
    EXPECT_EQ(words(r, 6, 15), want);
    r = line->exchange(request(2, 1), 36);
    EXPECT_EQ(wordAt(r, 12), 512) << "RAM keeps its teach value";

    const kvorsim::Page stored = pair->page(Memory::Eeprom, 1);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), want.begin()));
}

TEST_F(SimProtocol, PageWritesCanGoUnansweredAndBadPagesAreIgnored) {
    pair->setReplyToWrites(false);
    line->send(request(1, 2, {7, 7, 7}));
    line->send(request(2, 3));      // no page 3
    line->send(request(1, 5, {9}));  // nor page 5
    expectNextReplyIsEcho(0x1111);
    EXPECT_EQ(pair->page(Memory::Ram, 2)[0], 7);
    EXPECT_EQ(pair->page(Memory::Eeprom, 2)[0], 500) << "RAM write must not reach EEPROM";
    EXPECT_EQ(pair->counters().suppressed, 3u);
}

TEST_F(SimProtocol, PagesGivenAtStartSeedBothMemories) {
    kvorsim::Options o = fast();
    kvorsim::Pages ram = kvorsim::defaultPages();
    ram[0][0] = 3;
    o.ramPages = ram;
    line.reset();
    pair.reset();
    open(o);
    EXPECT_EQ(wordAt(line->exchange(request(2, 0), 36), 6), 3);
    EXPECT_EQ(wordAt(line->exchange(request(4, 0), 36), 6), 3);
}

TEST_F(SimProtocol, LiveFrameCarriesSixteenWordsInOrderWithSignedMicrometres) {
    kvorsim::LiveOverrides o;
    o.positionA = 1000;
    o.positionB = 3000;
    o.evaluated = 1500;
    o.micrometres = -60876;  // words 0x1234, 0xFFFF
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
    EXPECT_EQ(wordAt(r, 0), 0x00AA);
    EXPECT_EQ(wordAt(r, 2), 8);
    EXPECT_EQ(words(r, 4, 16),
              (std::vector<uint16_t>{1000, 3000, 1500, 0x1234, 0xFFFF, 77, 2, 4, 40, 41, 2100, 900, 512, 512, 14, 15}));
    EXPECT_EQ(int32_t(uint32_t(wordAt(r, 10)) | uint32_t(wordAt(r, 12)) << 16), -60876);
}

TEST_F(SimProtocol, EvaluatedValueAndMicrometresFollowEvaluationModeAndPages) {
    kvorsim::LiveOverrides o;
    o.positionA = 1000;
    o.positionB = 3000;
    pair->setOverrides(o);
    auto live = [&](uint16_t mode) {
        kvorsim::Page p0 = pair->page(Memory::Ram, 0);
        p0[0] = mode;
        pair->setPage(Memory::Ram, 0, p0);
        const Bytes r = line->exchange(request(8), 36);
        return std::pair{wordAt(r, 8), int32_t(uint32_t(wordAt(r, 10)) | uint32_t(wordAt(r, 12)) << 16)};
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
    kvorsim::LiveOverrides o;
    o.positionA = 1111;
    o.positionB = 2222;
    pair->setOverrides(o);
    const Bytes r = line->exchange(request(6, 0, {1, 0, 0, 1}), 36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(wordAt(r, 2), 6);
    EXPECT_EQ(wordAt(line->exchange(request(2, 1), 36), 12), 1111);
    EXPECT_EQ(wordAt(line->exchange(request(2, 2), 36), 12), 2222);
    EXPECT_EQ(pair->page(Memory::Eeprom, 1)[3], 512);
    const Bytes liveFrame = line->exchange(request(8), 36);
    EXPECT_EQ(words(liveFrame, 28, 2), (std::vector<uint16_t>{1111, 2222}));
}

TEST_F(SimProtocol, ResetRestartsHeldMaximumAndMinimum) {
    kvorsim::LiveOverrides o;
    o.positionA = 1000;  // evaluation mode 1: the evaluated value is the MASTER position
    pair->setOverrides(o);
    auto maxMin = [&] { return words(line->exchange(request(8), 36), 24, 2); };
    ASSERT_EQ(line->exchange(request(11), 36).size(), 36u);
    EXPECT_EQ(maxMin(), (std::vector<uint16_t>{1000, 1000}));
    o.positionA = 1500;
    pair->setOverrides(o);
    EXPECT_EQ(maxMin(), (std::vector<uint16_t>{1500, 1000}));
    o.positionA = 800;
    pair->setOverrides(o);
    EXPECT_EQ(maxMin(), (std::vector<uint16_t>{1500, 800}));
    const Bytes r = line->exchange(request(11), 36);
    EXPECT_EQ(wordAt(r, 2), 11);
    EXPECT_EQ(maxMin(), (std::vector<uint16_t>{800, 800}));
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

TEST_F(SimProtocol, VideoBlocksLandMasterThenSlave) {
    for (uint16_t model : {10080, 1024}) {
        kvorsim::HardwareInfo hw;
        hw.model = model;  // 1024: a 10-bit ADC
        pair->setHardware(hw);
        const int fullScale = model == 1024 ? 1024 : 256;
        kvorsim::LiveOverrides o;
        o.positionA = 32 * 30;  // sample 30 of 128 on a 4096-pixel line
        o.positionB = 32 * 100;
        pair->setOverrides(o);
        line->exchange(request(8), 36);  // latches the video the blocks come from

        std::vector<uint16_t> master, slave;
        for (auto [offset, selector] : {std::pair(0, 0), {64, 0}, {128, 1}, {192, 1}}) {
            const Bytes r = line->exchange(request(9, uint16_t(offset), {uint16_t(selector)}), 128);
            ASSERT_EQ(r.size(), 128u);
            const auto w = words(r, 0, 64);
            (selector == 0 ? master : slave).insert((selector == 0 ? master : slave).end(), w.begin(), w.end());
        }
        expectNextReplyIsEcho(2);  // bare 128 bytes, no frame around them
        auto peak = [](const std::vector<uint16_t>& v) { return std::max_element(v.begin(), v.end()) - v.begin(); };
        EXPECT_EQ(peak(master), 30);
        EXPECT_EQ(peak(slave), 100);
        for (const auto* v : {&master, &slave}) {
            EXPECT_GT((*v)[std::size_t(peak(*v))], fullScale / 2);
            EXPECT_LT(*std::max_element(v->begin(), v->end()), fullScale);
            EXPECT_LT((*v)[0], fullScale / 4) << "background away from the line";
        }
    }
}

TEST_F(SimProtocol, MeasurementBuffersEndWithTheLatchedLiveScan) {
    const Bytes liveFrame = line->exchange(request(8), 36);
    for (uint16_t selector : {2, 3, 4}) {
        std::vector<uint16_t> buffer;
        for (uint16_t offset : {0, 64, 128, 192}) {
            const Bytes r = line->exchange(request(9, offset, {selector}), 128);
            ASSERT_EQ(r.size(), 128u);
            const auto w = words(r, 0, 64);
            buffer.insert(buffer.end(), w.begin(), w.end());
        }
        // Oldest scan first: the newest is the one the live frame reported.
        EXPECT_EQ(buffer.back(), wordAt(liveFrame, 4 + 2 * (selector - 2))) << "selector " << selector;
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0), 0);
    }
}

TEST_F(SimProtocol, XFlashUploadOf256FramesIsStoredInOrder) {
    Bytes r = line->exchange(request(101, 0, {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                                                0xAA, 0xAA, 0xAA, 0xAA}),
                             36);
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(wordAt(r, 2), 101);

    std::vector<uint16_t> table(2048);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = uint16_t(i * 37 + 11);
    for (uint16_t page = 2; page <= 9; ++page) {
        for (uint16_t offset = 0; offset < 256; offset += 8) {
            const uint16_t* t = &table[(page - 2) * 256u + offset];
            r = line->exchange(request(102, offset, {page, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]}), 36);
            ASSERT_EQ(r.size(), 36u);
            ASSERT_EQ(wordAt(r, 2), 102);
            ASSERT_EQ(wordAt(r, 6), offset);
            ASSERT_EQ(wordAt(r, 8), page);
        }
    }
    for (int page = 2; page <= 9; ++page)
        EXPECT_TRUE(std::equal(table.begin() + (page - 2) * 256, table.begin() + (page - 1) * 256,
                               pair->xflash(page).begin()))
            << "page " << page;
    EXPECT_EQ(pair->xflash(1), std::vector<uint16_t>(256, 0xFFFF));
    EXPECT_EQ(pair->xflash(10), std::vector<uint16_t>(256, 0xFFFF));

    line->send(request(102, 252, {2, 1, 2, 3, 4, 5, 6, 7, 8}));  // would run past the page
    expectNextReplyIsEcho(3);
    line->exchange(request(101), 36);
    EXPECT_EQ(pair->xflash(5), std::vector<uint16_t>(256, 0xFFFF));
}

TEST_F(SimProtocol, UnknownCommandGetsNoReply) {
    line->send(request(12));
    line->send(request(100, 0, {8}));
    expectNextReplyIsEcho(4);
    EXPECT_EQ(pair->counters().requests, 1u) << "only the echo check is a request";
}

TEST_F(SimProtocol, RecordsHoldEveryRequestAndReplyInOrder) {
    line->exchange(request(10), 36);
    line->exchange(request(2, 1), 36);
    const auto rq = pair->requests();
    const auto rp = pair->replies();
    ASSERT_EQ(rq.size(), 2u);
    ASSERT_EQ(rp.size(), 2u);
    EXPECT_EQ(rq[1].command, 2);
    EXPECT_EQ(rq[1].argument, 1);
    EXPECT_TRUE(std::equal(rq[0].bytes.begin(), rq[0].bytes.end(), request(10).begin()));
    EXPECT_EQ(rp[1].bytes.size(), 36u);
    EXPECT_LE(rq[0].time, rp[0].time);
    EXPECT_LE(rp[0].time, rq[1].time);
    const auto c = pair->counters();
    EXPECT_EQ(c.byCommand.at(10), 1u);
    EXPECT_EQ(c.replies, 2u);
    pair->clearRecords();
    EXPECT_TRUE(pair->requests().empty());
    EXPECT_EQ(pair->counters().requests, 0u);
}

}  // namespace
