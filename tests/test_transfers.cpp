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
    // Requests as "8" or, for blocks, "9:offset:selector", space-separated.
    static std::string Trace(const kvorsim::SensorPair& pair) {
        std::string t;
        for (const auto& r : pair.requests())
            t += " " + std::to_string(r.command) + (r.command != 9 ? "" : ":" + std::to_string(r.argument) + ":" + std::to_string(r.bytes[7]));
        return t.empty() ? t : t.substr(1);
    }
    static void ExpectGetWorks() {
        ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
        EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
    }
    static std::vector<double> Ys(const uint16_t* words, int n) { return {words, words + n}; }
};

// One request a row, with the receive notification off.
TEST_F(Transfers, ABlockRequestStoresItsWordsWhereTheSelectorSays) {
    auto& pair = Started();
    pair.setPacing(true);
    pair.setFifoSlice(0);  // a block is queued whole, after its line time
    const Bytes counting = [] { Bytes b(128); std::iota(b.begin(), b.end(), uint8_t{1}); return b; }();
    uint16_t* const buffers[] = {adcbufA, adcbufB, mvalBUFA, mvalBUFB, mvalBUFAB};
    const auto all = [&] {
        std::vector<uint16_t> v;
        for (uint16_t* b : buffers) v.insert(v.end(), b, b + 256);
        return v;
    };
    // The reply, empty: the sensor's own; stored: where word 0 lands in all(), -1: nowhere.
    struct Row { int offset, selector; Bytes reply; int result; const char *waiting, *status; int stored; };
    const Row rows[] = {
        {0, 0, counting, 1, "Block 0", kReceived, 0},
        {64, 1, {}, 1, "Block 1", kReceived, -1},  // below 128: not SLAVE video
        {192, 1, {}, 1, "Block 3", kReceived, 256 + 64},
        {128, 4, {}, 1, "Block 2", kReceived, 4 * 256 + 128},
        {256, 2, {}, 1, "Block x", kReceived, -1},  // past the buffer's end
        {64, 7, {}, 1, "Block 1", kReceived, -1},
        {0, 3, Bytes(100, 0x11), 0, "Block 0", kBlockTimeout, -1},
        {64, 2, Bytes(130, 0x22), 0, "Block 1", kBlockTimeout, -1},  // no time-out: the text before stays
    };
    RemoveReceiveNotification(com);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.offset << ":" << row.selector);
        if (!row.reply.empty()) pair.setBlockBytesOnce(row.offset, row.reply);
        std::vector<uint16_t> expected = all();
        std::string waiting;
        LiveScript script;
        script.when("waiting", [] { return Status().rfind("Waiting", 0) == 0; }, [&] { waiting = Status(); });
        EXPECT_EQ(ReadData64(row.offset, row.selector), row.result);
        EXPECT_EQ(waiting, std::string("Waiting for Data[64] ") + row.waiting + " ...");
        EXPECT_EQ(Status(), row.status);
        const std::array<uint8_t, 36> frame{0, 0x55, 0, 9, uint8_t(row.offset >> 8), uint8_t(row.offset), 0,
                                            uint8_t(row.selector)};
        EXPECT_EQ(pair.requests().back().bytes, frame);
        const Bytes reply = pair.replies().back().bytes;
        for (int k = 0; row.stored >= 0 && k < 64; ++k) expected[row.stored + k] = reply[2 * k] << 8 | reply[2 * k + 1];
        EXPECT_EQ(all(), expected);
    }
}

// A block that comes only after its time-out (right ahead of the next live
// frame) and a short block each fail one pass: nothing is drawn, the next
// pass starts with a live request whose frame is decoded. STOP ends VIDEO.
TEST_F(Transfers, VideoRefreshesUntilStopAndOutlivesLateAndShortBlocks) {
    auto& pair = Started();
    pair.setPacing(true);
    target = SOURCE_EEPROM;
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);  // what an earlier VIDEO left
    const int earlier = TestGraph(pHandle, GRAPHVideoMaster)->plots.at(0).handle;
    pair.holdBlockOnce(64);
    const auto handle = [] { return TestGraph(pHandle, GRAPHVideoMaster)->plots.at(0).handle; };
    int lastDrawn = earlier;
    LiveScript script;
    // The time-out text stays in szStatus until a block arrives again.
    const auto blockFailed = [] { return std::string(szStatus) == kBlockTimeout; };
    script.when("the held block failed its pass", blockFailed, [&] { EXPECT_EQ(handle(), earlier); });
    script.when("the next pass drew", [&] { return handle() != earlier; }, [&] {
        EXPECT_EQ(Attrs({BTNRun, BTNVideo, BTNData, ButtonTeach}, ATTR_DIMMED), std::vector<int>(4, 1));
        EXPECT_EQ(Attrs({STRIPRaw, GRAPHDataRaw, GRAPHDataNorm, SWITCHRawEval, SWITCHDataView, GRAPHVideoMaster,
                         GRAPHVideoSlave, GRAPHBarMaster, GRAPHBarSlave}, ATTR_VISIBLE),
                  (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1}));
        EXPECT_EQ((std::array<int, 5>{Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), Val(pHandle, RBTRam),
                                      Val(pHandle, RBTEeprom), target, live.Aval}),
                  (std::array<int, 5>{1, 1, 0, SOURCE_RAM, 1100}));  // the recorder stays dimmed until STOP
        pair.setBlockBytesOnce(64, Bytes(100, 0x33));
        CopyText(szStatus, "");
    });
    script.when("the short block failed its pass", blockFailed, [&] { lastDrawn = handle(); });
    script.when("drawn again", [&] { return handle() != lastDrawn; }, PressStop);
    ASSERT_EQ(TestClick(pHandle, BTNVideo), 0);
    EXPECT_TRUE(script.finished()) << script.pending();

    const std::string trace = Trace(pair);
    EXPECT_EQ(trace.rfind("8 9:0:0 9:64:0 8 9:0:0 9:64:0 9:128:1 9:192:1 8", 0), 0u) << trace;
    EXPECT_NE(trace.find("9:64:0 8 9:0:0 9:64:0 9:128:1 9:192:1", 40), std::string::npos) << trace;
    for (const GraphData* g : {TestGraph(pHandle, GRAPHVideoMaster), TestGraph(pHandle, GRAPHVideoSlave)})
        EXPECT_EQ((std::array<double, 2>{g->xAxis.min, g->xAxis.max}), (std::array<double, 2>{1.0, 4096}));
    for (auto [graph, line] : {std::pair(GRAPHVideoMaster, 1100), {GRAPHVideoSlave, 2900}}) {
        const GraphPlot& p = TestGraph(pHandle, graph)->plots.at(0);  // its highest point: the laser line
        EXPECT_NEAR(p.x[std::max_element(p.y.begin(), p.y.end()) - p.y.begin()], line, 64);
    }
    EXPECT_EQ(Attrs({BTNRun, BTNVideo, BTNData, ButtonTeach}, ATTR_DIMMED), std::vector<int>(4, 0));
    ExpectGetWorks();
}

// In the raw view a MASTER chain that stopped early still lets the SLAVE
// chain run and draw. VIDEO ended by a silent pair leaves DATA dimmed until
// STOP; DATA leaves it usable.
TEST_F(Transfers, DataFetchesEachViewAndVideoTimeOutLeavesDataDimmedUntilStop) {
    auto& pair = Started();  // a line of 4096 virtual pixels
    struct Row { int view, evalmode; bool masterFails; const char* requests; int shown, hidden, curves, yMax; };
    const Row rows[] = {
        {1, 2, false, "8 9:0:4 9:64:4 9:128:4 9:192:4", GRAPHDataNorm, GRAPHDataRaw, 4, 8192},
        {1, 1, false, "8 9:0:4 9:64:4 9:128:4 9:192:4", GRAPHDataNorm, GRAPHDataRaw, 4, 4096},
        {0, 2, false, "8 9:0:2 9:64:2 9:128:2 9:192:2 9:0:3 9:64:3 9:128:3 9:192:3", GRAPHDataRaw, GRAPHDataNorm, 2, 4096},
        {0, 1, true, "8 9:0:2 9:64:2 9:0:3 9:64:3 9:128:3 9:192:3", GRAPHDataRaw, GRAPHDataNorm, 2, 4096},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "view " << row.view << " mode " << row.evalmode);
        parameter.evalmode = static_cast<uint16_t>(row.evalmode);
        SetCtrlVal(pHandle, SWITCHDataView, row.view);
        if (row.masterFails) pair.silenceBlockOnce(64);
        pair.clearRecords();
        ASSERT_EQ(TestClick(pHandle, BTNData), 0);
        EXPECT_EQ(Trace(pair), row.requests);
        EXPECT_EQ(Attrs({row.shown, row.hidden}, ATTR_VISIBLE), (std::vector<int>{1, 0}));
        EXPECT_EQ(Attrs({BTNRun, BTNVideo, BTNData, ButtonTeach}, ATTR_DIMMED), std::vector<int>(4, 0));
        const GraphData& g = *TestGraph(pHandle, row.shown);
        EXPECT_EQ((std::array<double, 3>{g.xAxis.min, g.xAxis.max, g.yAxis.max}),
                  (std::array<double, 3>{0, 255, double(row.yMax)}));
        ASSERT_EQ(g.plots.size(), static_cast<std::size_t>(row.curves));
        EXPECT_EQ(g.plots.back().y, row.view ? Ys(mvalBUFAB, 256) : Ys(mvalBUFB, 256));
        if (row.view == 1) EXPECT_EQ(g.plots[0].y, Ys(upTHD, 256));
        ExpectGetWorks();
    }
    EXPECT_EQ((std::array<int, 2>{mvalBUFA[255], mvalBUFB[255]}), (std::array<int, 2>{1100, 2900}));

    pair.setSilent(true);
    ASSERT_EQ(TestClick(pHandle, BTNVideo), 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Attrs({BTNData, BTNRun, BTNVideo, ButtonTeach}, ATTR_DIMMED), (std::vector<int>{1, 0, 0, 0}));
    PressStop();
    EXPECT_EQ(Attr(pHandle, BTNData, ATTR_DIMMED), 0);
    pair.setSilent(false);
    ExpectGetWorks();
}

}  // namespace
