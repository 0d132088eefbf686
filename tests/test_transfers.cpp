// VIDEO and DATA against the simulated pair: the block request and where
// its words land, the video loop with its faults, both DATA views.
#include <gtest/gtest.h>

#include <numeric>

#include "acquire/transfers.h"
#include "link/blocks.h"
#include "params/live.h"
#include "plot/video.h"
#include "support/live_script.h"
#include "support/program_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr const char* kBlockTimeout = "Timeout-RS-232 while reading 64 data-words!";
constexpr const char* kReceived = "Data[64] block received!";

class Transfers : public ProgramTest {
protected:
    kvorsim::SensorPair& Started() {
        auto& pair = StartPair();
        pair.setOverrides({.positionA = 1100, .positionB = 2900});
        StartUp();
        TIMEOUT = 1.0;  // a loaded machine must not fail a block by time
        pair.clearRecords();
        return pair;
    }
    // Requests as "8" or, for blocks, "9:offset:selector".
    static std::vector<std::string> Trace(const kvorsim::SensorPair& pair) {
        std::vector<std::string> t;
        for (const auto& r : pair.requests())
            t.push_back(r.command != 9 ? std::to_string(r.command)
                                       : "9:" + std::to_string(r.argument) + ":" + std::to_string(r.bytes[7]));
        return t;
    }
    // The x of a curve's highest point: where the laser line lies.
    static double PeakX(int graph) {
        const GraphPlot& p = TestGraph(pHandle, graph)->plots.at(0);
        return p.x[std::max_element(p.y.begin(), p.y.end()) - p.y.begin()];
    }
    static std::vector<double> Ys(const uint16_t* words, int n) { return {words, words + n}; }
};

// Each row one request with the receive notification off: the frame on the
// line, the waiting text, the result, and which buffer words changed.
TEST_F(Transfers, ABlockRequestStoresItsWordsWhereTheSelectorSays) {
    auto& pair = Started();
    pair.setPacing(true);
    pair.setFifoSlice(0);  // a block is queued whole, after its line time
    Bytes counting(128);
    std::iota(counting.begin(), counting.end(), uint8_t{1});
    struct Row {
        int offset, selector;
        Bytes reply;  // empty: the sensor's own
        int result;
        const char *waiting, *status;
        uint16_t* stored;  // where word 0 lands, nullptr: nowhere
    };
    const Row rows[] = {
        {0, 0, counting, 1, "Block 0", kReceived, adcbufA},
        {64, 1, {}, 1, "Block 1", kReceived, nullptr},  // below 128: not SLAVE video
        {192, 1, {}, 1, "Block 3", kReceived, adcbufB + 64},
        {128, 4, {}, 1, "Block 2", kReceived, mvalBUFAB + 128},
        {256, 2, {}, 1, "Block x", kReceived, nullptr},  // past the buffer's end
        {64, 7, {}, 1, "Block 1", kReceived, nullptr},
        {0, 3, Bytes(100, 0x11), 0, "Block 0", kBlockTimeout, nullptr},
        {64, 2, Bytes(130, 0x22), 0, "Block 1", kBlockTimeout, nullptr},  // no time-out: the text before stays
    };
    RemoveReceiveNotification(com);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.offset << ":" << row.selector);
        if (!row.reply.empty()) pair.setBlockBytesOnce(row.offset, row.reply);
        const std::vector<uint16_t> before[] = {{adcbufA, adcbufA + 256}, {adcbufB, adcbufB + 256},
                                                {mvalBUFA, mvalBUFA + 256}, {mvalBUFB, mvalBUFB + 256},
                                                {mvalBUFAB, mvalBUFAB + 256}};
        std::string waiting;
        LiveScript script;
        script.when("waiting", [] { return Status().rfind("Waiting", 0) == 0; }, [&] { waiting = Status(); });
        EXPECT_EQ(ReadData64(row.offset, row.selector), row.result);
        EXPECT_EQ(waiting, std::string("Waiting for Data[64] ") + row.waiting + " ...");
        EXPECT_EQ(Status(), row.status);
        const auto frame = pair.requests().back().bytes;
        EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 8),
                  (std::vector<uint8_t>{0, 0x55, 0, 9, uint8_t(row.offset >> 8), uint8_t(row.offset), 0,
                                        uint8_t(row.selector)}));
        EXPECT_TRUE(std::all_of(frame.begin() + 8, frame.end(), [](uint8_t b) { return b == 0; }));

        const Bytes reply = pair.replies().back().bytes;
        int changed = 0;
        for (int b = 0; b < 5; ++b)
            for (int i = 0; i < 256; ++i) {
                uint16_t* word = (b == 0 ? adcbufA : b == 1 ? adcbufB : b == 2 ? mvalBUFA : b == 3 ? mvalBUFB : mvalBUFAB) + i;
                const long k = word - row.stored;
                const bool inBlock = row.stored && k >= 0 && k < 64;
                EXPECT_EQ(*word, inBlock ? reply[2 * k] << 8 | reply[2 * k + 1] : before[b][i]) << b << "/" << i;
                changed += inBlock;
            }
        EXPECT_EQ(changed, row.stored ? 64 : 0);
    }
    EXPECT_EQ(adcbufA[0], 0x0102);
    InstallReceiveNotification(com);
}

// VIDEO draws both sensors' video after each pass of one live frame and four
// blocks. A block that comes only after its time-out (right ahead of the
// next live frame) and a short block each fail one pass: nothing is drawn,
// the next pass starts with a live request, and its frame is decoded. STOP
// ends the loop; GET then works with the receive notification back.
TEST_F(Transfers, VideoRefreshesUntilStopAndOutlivesLateAndShortBlocks) {
    auto& pair = Started();
    pair.setPacing(true);
    target = SOURCE_EEPROM;
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);  // what an earlier VIDEO left
    const int earlier = TestGraph(pHandle, GRAPHVideoMaster)->plots.at(0).handle;
    pair.holdBlockOnce(64);
    const auto handle = [] { return TestGraph(pHandle, GRAPHVideoMaster)->plots.at(0).handle; };
    std::vector<std::string> failures;
    int lastDrawn = earlier;
    LiveScript script;
    // The time-out text stays in szStatus until a block arrives again.
    const auto blockFailed = [] { return std::string(szStatus) == kBlockTimeout; };
    script.when("the held block failed its pass", blockFailed, [&] {
        failures.push_back(szStatus);
        EXPECT_EQ(handle(), earlier);  // the curves stay
    });
    script.when("the next pass drew", [&] { return handle() != earlier; }, [&] {
        for (int ctrl : {BTNRun, BTNVideo, BTNData, ButtonTeach}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 1);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
        for (int ctrl : {STRIPRaw, GRAPHDataRaw, GRAPHDataNorm, SWITCHRawEval, SWITCHDataView})
            EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 0);
        for (int ctrl : {GRAPHVideoMaster, GRAPHVideoSlave, GRAPHBarMaster, GRAPHBarSlave})
            EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 1);
        EXPECT_EQ((std::array<int, 4>{Val(pHandle, RBTRam), Val(pHandle, RBTEeprom), target, live.Aval}),
                  (std::array<int, 4>{1, 0, SOURCE_RAM, 1100}));
        pair.setBlockBytesOnce(64, Bytes(100, 0x33));
        CopyText(szStatus, "");
    });
    script.when("the short block failed its pass", blockFailed, [&] {
        failures.push_back(szStatus);
        lastDrawn = handle();
    });
    script.when("drawn again", [&] { return handle() != lastDrawn; }, [] {
        TestPress(pHandle, BTNStop);
        TestRelease(pHandle, BTNStop);
    });
    ASSERT_EQ(TestClick(pHandle, BTNVideo), 0);
    EXPECT_TRUE(script.finished()) << script.pending();
    EXPECT_EQ(failures.size(), 2u);

    const auto trace = Trace(pair);
    const std::vector<std::string> start(trace.begin(), trace.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::string>{"8", "9:0:0", "9:64:0", "8", "9:0:0", "9:64:0", "9:128:1", "9:192:1"}));
    for (std::size_t i = 0; i + 1 < trace.size(); ++i)
        if (trace[i] == "9:64:0" && trace[i + 1] != "9:128:1") EXPECT_EQ(trace[i + 1], "8") << i;
    EXPECT_EQ(live.Aval, 1100);
    for (int graph : {GRAPHVideoMaster, GRAPHVideoSlave}) {
        const GraphData& g = *TestGraph(pHandle, graph);
        ASSERT_EQ(g.plots.size(), 2u);
        EXPECT_EQ((std::array<double, 4>{g.xAxis.min, g.xAxis.max, g.yAxis.max, g.y2Axis.max}),
                  (std::array<double, 4>{1.0, ccdvirtpixel, double(ADCMAX), double(ADCMAX)}));
        EXPECT_EQ(g.plots[0].x, std::vector<double>(xArray128, xArray128 + 128));
        EXPECT_EQ(g.plots[1].y, Ys(graph == GRAPHVideoMaster ? thdArrayA : thdArrayB, 128));
    }
    EXPECT_NEAR(PeakX(GRAPHVideoMaster), 1100, 64);
    EXPECT_NEAR(PeakX(GRAPHVideoSlave), 2900, 64);
    for (int ctrl : {BTNRun, BTNVideo, BTNData, ButtonTeach}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 0);

    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
}

// DATA in both views: four or eight blocks in the table's order, the curves
// in the graph of the view, its axis by evaluation mode. In the raw view a
// MASTER chain that stopped early still lets the SLAVE chain run and draw.
// DATA leaves its buttons usable; VIDEO ended by a silent pair leaves DATA
// dimmed until STOP. GET works after each.
TEST_F(Transfers, DataFetchesEachViewAndVideoTimeOutLeavesDataDimmedUntilStop) {
    auto& pair = Started();
    ccdvirtpixel = 4096;
    struct Row {
        int view, evalmode;
        bool masterFails;
        std::vector<std::string> blocks;
        int shown, hidden, curves;
        double yMax;
    };
    const Row rows[] = {
        {1, 2, false, {"9:0:4", "9:64:4", "9:128:4", "9:192:4"}, GRAPHDataNorm, GRAPHDataRaw, 4, 8192},
        {1, 1, false, {"9:0:4", "9:64:4", "9:128:4", "9:192:4"}, GRAPHDataNorm, GRAPHDataRaw, 4, 4096},
        {0, 2, false, {"9:0:2", "9:64:2", "9:128:2", "9:192:2", "9:0:3", "9:64:3", "9:128:3", "9:192:3"},
         GRAPHDataRaw, GRAPHDataNorm, 2, 4096},
        {0, 1, true, {"9:0:2", "9:64:2", "9:0:3", "9:64:3", "9:128:3", "9:192:3"}, GRAPHDataRaw, GRAPHDataNorm, 2,
         4096},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "view " << row.view << " mode " << row.evalmode);
        parameter.evalmode = static_cast<uint16_t>(row.evalmode);
        SetCtrlVal(pHandle, SWITCHDataView, row.view);
        if (row.masterFails) pair.silenceBlockOnce(64);
        pair.clearRecords();
        ASSERT_EQ(TestClick(pHandle, BTNData), 0);
        auto trace = Trace(pair);
        EXPECT_EQ(trace.at(0), "8");
        EXPECT_EQ(std::vector<std::string>(trace.begin() + 1, trace.end()), row.blocks);
        EXPECT_EQ(Attr(pHandle, row.shown, ATTR_VISIBLE), 1);
        EXPECT_EQ(Attr(pHandle, row.hidden, ATTR_VISIBLE), 0);
        const GraphData& g = *TestGraph(pHandle, row.shown);
        EXPECT_EQ(g.yAxis.max, row.yMax);
        ASSERT_EQ(g.plots.size(), static_cast<std::size_t>(row.curves));
        EXPECT_EQ(g.plots.back().y, row.view ? Ys(mvalBUFAB, 256) : Ys(mvalBUFB, 256));
        EXPECT_EQ(g.plots.back().x, std::vector<double>(xArrayMVAL, xArrayMVAL + 256));
        EXPECT_TRUE(g.xAxis.min <= 0 && g.xAxis.max >= 255);
        if (row.view == 1) EXPECT_EQ(g.plots[0].y, Ys(upTHD, 256));
        for (int ctrl : {BTNRun, BTNVideo, BTNData, ButtonTeach}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 0);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
        ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
        EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
    }
    EXPECT_NEAR(mvalBUFA[255], 1100, 4);
    EXPECT_NEAR(mvalBUFB[255], 2900, 4);

    pair.setSilent(true);
    ASSERT_EQ(TestClick(pHandle, BTNVideo), 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Attr(pHandle, BTNData, ATTR_DIMMED), 1);
    for (int ctrl : {BTNRun, BTNVideo, ButtonTeach}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 0);
    TestPress(pHandle, BTNStop);
    TestRelease(pHandle, BTNStop);
    EXPECT_EQ(Attr(pHandle, BTNData, ATTR_DIMMED), 0);
    pair.setSilent(false);
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
}

}  // namespace
