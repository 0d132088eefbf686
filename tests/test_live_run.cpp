// RUN against the simulated pair: live values on every display, STOP, the
// time-outs, foreign replies, TEACH and RESET inside a run, and what ends
// a run from outside (another port, a dropped line).
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "acquire/live.h"
#include "plot/stripchart.h"
#include "support/live_script.h"
#include "params/live.h"
#include "support/program_fixture.h"

namespace {

using kvorsim::Memory;
using Span = std::array<double, 2>;

// Evaluation mode 1 on MASTER teach 1000, band +50 / -100, analogue mode 1,
// hardware mode 0, MASTER scale 2.0.
kvorsim::Pages RunPages() {
    kvorsim::Pages p = kvorsim::defaultPages();
    p[0] = {1, 0, 1, 0, 1, 1, 100, 50, 10, 0, 0, 0, 0, 37000, 0};
    p[1][3] = 1000;
    p[1][11] = 2048;
    p[2][3] = 2000;
    return p;
}

class LiveRun : public ProgramTest {
protected:
    kvorsim::SensorPair& StartRunPair(kvorsim::Options o = {}) {
        if (!o.ramPages) o.ramPages = RunPages();
        auto& pair = StartPair(o);
        StartUp();
        // Runs get a second per reply: on a loaded machine (the sanitizer
        // build, suites in parallel) the fixture's 0.3 s could end a run early.
        TIMEOUT = 1.0;
        return pair;
    }
    // Each frame adds the 100-sample history to the chart.
    static long long Frames() { return TestStrip(pHandle, STRIPRaw)->pointsPlotted / STRIP_SAMPLES; }
    static uint64_t LiveRequests(const kvorsim::SensorPair& pair) {
        const auto c = pair.counters();
        const auto it = c.byCommand.find(8);
        return it == c.byCommand.end() ? 0 : it->second;
    }
    static std::function<bool()> FramesFrom(long long& mark, long long more) {
        return [&mark, more] { return Frames() >= mark + more; };
    }
    static bool Running() { return Frames() >= 2; }
    // Clicks RUN (which returns when the run ends); the script must have run
    // to its end without its safety limit stopping the run.
    static void Run(LiveScript& script) {
        ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
        EXPECT_TRUE(script.finished()) << "waiting at: " << script.pending();
        EXPECT_FALSE(script.limitHit());
    }
    static void PressStop() {
        TestPress(pHandle, BTNStop);
        TestRelease(pHandle, BTNStop);
    }
    // A run in which `act` happens once, two frames in.
    static void RunActingOnce(std::function<void()> act) {
        LiveScript script;
        script.when("running", Running, std::move(act));
        Run(script);
    }
    // Makes the pair fall silent once running, doing `then` at that moment.
    static void RunIntoSilence(kvorsim::SensorPair& pair, std::function<void()> then = [] {}) {
        RunActingOnce([&] {
            pair.setSilent(true);
            then();
        });
        EXPECT_EQ(Status(), "Timeout RS232-Line!");
        EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    }
};

// The -60876 µm live value: words 3 and 4 as one signed 32-bit count.
TEST_F(LiveRun, LiveValuesReachIndicatorsColoursBarsAndStripChart) {
    auto& pair = StartRunPair();
    kvorsim::LiveOverrides o;
    o.positionA = 1100;
    o.positionB = 2100;
    o.evaluated = 1051;
    o.micrometres = static_cast<int32_t>(0xFFFF1234u);
    o.maxValue = 1300;
    o.minValue = 900;
    pair.setOverrides(o);
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    std::vector<int> colours;  // NUMMvalue and NUMMeasMM, past the band then inside it
    auto see = [&colours](uint16_t v) {
        return [v, &colours] {
            const bool seen = Val(pHandle, NUMMvalue) == v;
            if (seen)
                for (int ctrl : {NUMMvalue, NUMMeasMM}) colours.push_back(Attr(pHandle, ctrl, ATTR_TEXT_BGCOLOR));
            return seen;
        };
    };
    LiveScript script;
    script.when("see 1051", see(1051), [&pair, o] {
        auto f = o;
        f.evaluated = 1040;
        pair.setOverrides(f);
    });
    // The sensor's teach values reach the editors and the record.
    script.when("see 1040", see(1040), [&pair] {
        auto p1 = pair.page(Memory::Ram, 1);
        p1[3] = 1010;
        pair.setPage(Memory::Ram, 1, p1);
    });
    long long mark = 0;
    script.when("teach shown", [] { return Val(pPara1, NUMTeachA) == 1010; }, [&mark] { mark = Frames(); });
    script.when("two more frames", FramesFrom(mark, 2), [] { PressStop(); });
    Run(script);

    EXPECT_EQ(colours, (std::vector<int>{VAL_RED, VAL_RED, VAL_DK_GREEN, VAL_DK_GREEN}));
    EXPECT_EQ(parameter.teachA, 1010);
    EXPECT_EQ(Val(pPara2, NUMTeachB), 2000);
    EXPECT_EQ((std::array<int, 5>{Val(pHandle, NUMAval), Val(pHandle, NUMBval), Val(pHandle, NUMMvalue),
                                  Val(pHandle, NUMAnaMax), Val(pHandle, NUMAnaMin)}),
              (std::array<int, 5>{1100, 2100, 1040, 1300, 900}));
    EXPECT_EQ(live.umValue, -60876);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -60.876);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), 0.1);
    EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}), (Span{1100, 2100}));
    ASSERT_EQ(Rectangles(GRAPHBarMaster).size(), 2u);  // peak, then the window around the new teach value
    EXPECT_EQ((Span{Rectangles(GRAPHBarMaster)[1]->x1, Rectangles(GRAPHBarMaster)[1]->x2}), (Span{910, 1060}));
    // The latest sample last on the strip chart.
    const StripData& strip = *TestStrip(pHandle, STRIPRaw);
    ASSERT_EQ(strip.traces.size(), 7u);
    const double want[] = {1010, 1040, 1300, 1060, 910, 1100, 2100};
    for (int t = 0; t < 7; ++t) EXPECT_EQ(strip.traces[t].at(strip.traces[t].size() - 1), want[t]) << t;
}

// The view and zoom switches take effect between frames of a run.
TEST_F(LiveRun, StripChartViewAndZoomFollowTheSwitchesDuringTheRun) {
    kvorsim::Options opt;
    opt.ramPages = RunPages();
    (*opt.ramPages)[0][6] = (*opt.ramPages)[0][7] = 10;  // band +10 / -10 around 1000
    auto& pair = StartRunPair(opt);
    kvorsim::LiveOverrides o;
    o.evaluated = 1100;
    pair.setOverrides(o);
    SetCtrlVal(pHandle, SWITCHRawEval, 0);
    SetCtrlVal(pHandle, TOGBTN_Zoom, 0);
    long long mark = 0;
    std::vector<Span> axes;
    std::vector<bool> rawShown;  // the MASTER position trace shown, the value not
    auto record = [&] {
        const StripData& s = *TestStrip(pHandle, STRIPRaw);
        axes.push_back({s.yAxis.min, s.yAxis.max});
        rawShown.push_back(s.traces[5].visible && !s.traces[1].visible);
        mark = Frames();
    };
    LiveScript script;
    script.when("raw view", Running, [&] {
        record();
        TestClick(pHandle, SWITCHRawEval);
    });
    script.when("evaluated view", FramesFrom(mark, 2), [&] {
        record();
        TestClick(pHandle, TOGBTN_Zoom);
    });
    script.when("zoomed", FramesFrom(mark, 2), [&] {
        record();
        PressStop();
    });
    Run(script);
    EXPECT_EQ(axes, (std::vector<Span>{{0, 4096}, {0, 4096}, {980, 1140}}));
    EXPECT_EQ(rawShown, (std::vector<bool>{true, false, false}));
}

TEST_F(LiveRun, RunSetsUpThePanelAndStopOnThePressUndimsTheButtons) {
    StartRunPair();
    // What another mode may have left: video graphs up, trigger view on, buttons dimmed.
    const int videoView[] = {GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm, SWITCHDataView};
    const int liveView[] = {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave, SWITCHRawEval};
    const int dimmable[] = {BTNVideo, BTNData, ButtonTeach, ButtonReset};
    for (int ctrl : videoView) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    for (int ctrl : liveView) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 0);
    for (int ctrl : dimmable) SetCtrlAttribute(pHandle, ctrl, ATTR_DIMMED, 1);
    SetCtrlVal(pHandle, TOGBTN_Trigg, 1);
    DisplayPanel(pTrigg);

    std::string statusBeforeStop;
    int stopRaised = -1;
    RunActingOnce([&] {
        EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 1);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
        for (int ctrl : liveView) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 1) << ctrl;
        for (int ctrl : videoView) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 0) << ctrl;
        for (int ctrl : dimmable) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 1) << ctrl;  // RUN leaves them
        EXPECT_EQ(Val(pHandle, TOGBTN_Trigg), 0);
        EXPECT_FALSE(TestPanelDisplayed(pTrigg));
        statusBeforeStop = Status();
        TestPress(pHandle, BTNStop);  // the press alone stops: no release follows
        stopRaised = stop_flag;
    });
    TestRelease(pHandle, BTNStop);
    EXPECT_EQ(stopRaised, 1);
    EXPECT_EQ(statusBeforeStop, "Line Ok!");
    EXPECT_EQ(Status(), statusBeforeStop);
    for (int ctrl : {BTNVideo, BTNData, BTNRun, ButtonTeach, ButtonReset, BTNStartRecord})
        EXPECT_EQ(Attr(ctrl == BTNStartRecord ? pPopUp : pHandle, ctrl, ATTR_DIMMED), 0) << ctrl;
    EXPECT_EQ(rx_flag, 0);
    EXPECT_EQ(graph_flag, 0);
}

TEST_F(LiveRun, SilentSensorEndsTheRunAfterTheRealTimeout) {
    auto& pair = StartRunPair();
    pair.setSilent(true);
    TIMEOUT = 1.5;
    const double t0 = Timer();
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    const double took = Timer() - t0;
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_GE(took, 1.5);
    EXPECT_LT(took, 3.0);  // the first request's wait, not the loop's 3.0 s
    EXPECT_EQ(Frames(), 0);
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);  // only STOP undims it
    EXPECT_EQ(stop_flag, 1);
}

TEST_F(LiveRun, SensorFallingSilentEndsTheRunTwoTimeoutsAfterTheLastRequest) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.5;
    double silencedAt = 0;
    RunIntoSilence(pair, [&] { silencedAt = Timer(); });
    const double after = Timer() - silencedAt;
    EXPECT_GE(after, 3.0 - 0.05);  // the last request left no earlier than the last reply
    EXPECT_LT(after, 4.0);
    EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
}

TEST_F(LiveRun, TeachWithASilentPairEndsTheRunAtTheTeachTimeout) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.5;
    double pressedAt = 0;
    int stopAfterTeach = -1;
    RunIntoSilence(pair, [&] {
        pressedAt = Timer();
        TestClick(pHandle, ButtonTeach);
        stopAfterTeach = stop_flag;
    });
    const double after = Timer() - pressedAt;
    EXPECT_EQ(stopAfterTeach, 1);
    EXPECT_GE(after, 1.5);
    EXPECT_LT(after, 2.9);  // the loop's own time-out would be 3.0 s after its last request
    // The cursors go to the teach values the record held.
    EXPECT_EQ(Bar(GRAPHBarMaster).cursors[0].x, parameter.teachA);
    EXPECT_EQ(Bar(GRAPHBarSlave).cursors[0].x, parameter.teachB);
}

TEST_F(LiveRun, ResetWithASilentPairTimesOutAndTheRunEndsByItself) {
    auto& pair = StartRunPair();
    std::string status;
    int stopAfterReset = -1;
    RunIntoSilence(pair, [&] {
        TestClick(pHandle, ButtonReset);
        status = Status();
        stopAfterReset = stop_flag;
    });
    EXPECT_EQ(status, "Timeout-RS-232...");
    EXPECT_EQ(stopAfterReset, 0);
}

TEST_F(LiveRun, ForeignReplyIsDrawnNowhereAndReleasesTheNextRequest) {
    auto& pair = StartRunPair();
    uint64_t requests = 0;
    long long frames = 0;
    LiveScript script;
    script.when("running", Running, [&] {
        pair.setCommandEcho(8, 2);
        requests = LiveRequests(pair);
    });
    // A live reply already on its way may still be drawn.
    script.when("echo 2 in force", [&] { return LiveRequests(pair) >= requests + 2; },
                [&] { frames = Frames(); });
    script.when("many foreign replies", [&] { return LiveRequests(pair) >= requests + 20; }, [&] {
        EXPECT_EQ(Frames(), frames);
        pair.setCommandEcho(8, 8);
    });
    script.when("live again", [&] { return Frames() >= frames + 2; }, [] { PressStop(); });
    Run(script);
    EXPECT_NE(Status(), "Timeout RS232-Line!");
    // Every request after the first carries page 0 of the record.
    const auto req = pair.requests();
    ASSERT_GE(req.size(), 2u);
    EXPECT_EQ(req.back().command, 8);
    EXPECT_EQ(FrameWords(req.back().bytes), RecordPage(0));
}

TEST_F(LiveRun, TeachDuringRunTakesTheSensorsNewTeachValues) {
    auto& pair = StartRunPair();
    kvorsim::LiveOverrides o;
    o.positionA = 1500;
    o.positionB = 2500;
    pair.setOverrides(o);
    TestClick(pHandle, RBTEeprom);  // the read-back still uses RAM
    ASSERT_EQ(target, 2);
    long long mark = 0;
    std::vector<uint16_t> commands;
    std::string statusAfterTeach;
    LiveScript script;
    script.when("running", Running, [&] {
        pair.clearRecords();
        TestClick(pHandle, ButtonTeach);
        commands = Commands(pair);
        // The live request already on the line may be recorded after the clear.
        if (!commands.empty() && commands.front() == 8) commands.erase(commands.begin());
        statusAfterTeach = Status();
        EXPECT_EQ(Bar(GRAPHBarMaster).cursors[0].x, 1500);
        EXPECT_EQ(Bar(GRAPHBarSlave).cursors[0].x, 2500);
        mark = Frames();
    });
    script.when("run goes on", FramesFrom(mark, 3), [] { PressStop(); });
    Run(script);
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(std::vector<uint16_t>(commands.begin(), commands.begin() + 4), (std::vector<uint16_t>{6, 2, 2, 2}));
    EXPECT_EQ(statusAfterTeach, "Parameter-frame received! - Line Ok!");
    EXPECT_EQ((std::array<int, 4>{Val(pPara1, NUMTeachA), Val(pPara2, NUMTeachB), parameter.teachA, parameter.teachB}),
              (std::array<int, 4>{1500, 2500, 1500, 2500}));
    EXPECT_EQ(RecordPage(0), ToVector(RunPages()[0]));  // page 0 untouched by the teach reply
    const auto rm = Rectangles(GRAPHBarMaster);
    ASSERT_EQ(rm.size(), 2u);
    EXPECT_EQ((Span{rm[1]->x1, rm[1]->x2}), (Span{1400, 1550}));
}

// The teach finds the loop's live request unanswered: the late live reply
// counts as the teach's reply, and the teach's own reply comes after it.
TEST_F(LiveRun, TeachAfterALateLiveReplyKeepsItsOwnReplyOutOfThePageRead) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.0;  // room for the delayed replies below
    kvorsim::LiveOverrides o;
    o.positionA = 1500;
    pair.setOverrides(o);
    uint64_t before = 0, seen = 0;
    double steadySince = 0;
    long long mark = 0;
    LiveScript script;
    script.when("running", Running, [&] {
        before = LiveRequests(pair);
        pair.delayOnce(8, std::chrono::milliseconds(150));
    });
    // The delayed request is out when the request count stands still.
    script.when("live request outstanding", [&] {
        const uint64_t n = LiveRequests(pair);
        if (n != seen) {
            seen = n;
            steadySince = Timer();
            return false;
        }
        return n > before && Timer() - steadySince > 0.02;
    }, [&] {
        pair.delayOnce(6, std::chrono::milliseconds(300));
        pair.delayOnce(2, std::chrono::milliseconds(600));
        TestClick(pHandle, ButtonTeach);
        mark = Frames();
    });
    script.when("run goes on", FramesFrom(mark, 2), [] { PressStop(); });
    Run(script);
    EXPECT_EQ(RecordPage(0), ToVector(RunPages()[0]));
    EXPECT_EQ(parameter.teachA, 1500);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 1);
}

TEST_F(LiveRun, ResetDuringRunRestartsTheHeldValues) {
    auto& pair = StartRunPair();
    kvorsim::LiveOverrides o;
    o.evaluated = 1000;
    pair.setOverrides(o);
    std::string status;
    std::pair<int, int> heldBefore;
    LiveScript script;
    script.when("at 1000", Running, [&] {
        o.evaluated = 1200;
        pair.setOverrides(o);
    });
    script.when("at 1200", [] { return Val(pHandle, NUMMvalue) == 1200; }, [&] {
        heldBefore = {Val(pHandle, NUMAnaMax), Val(pHandle, NUMAnaMin)};
        TestClick(pHandle, ButtonReset);
        status = Status();
    });
    script.when("held values restarted",
                [] { return Val(pHandle, NUMAnaMin) == 1200 && Val(pHandle, NUMAnaMax) == 1200; },
                [] { PressStop(); });
    Run(script);
    EXPECT_GE(heldBefore.first, 1200);  // held since the pair started
    EXPECT_LE(heldBefore.second, 1000);
    EXPECT_EQ(status, "Reset Max/Min OK!");
}

// Another port closes the old one, stops the run and starts the new pair up.
TEST_F(LiveRun, ChoosingAnotherPortStopsTheRunAndStartsTheNewPair) {
    StartRunPair();
    kvorsim::Options o;
    o.ramPages = SensorPages();
    auto& second = StartPair(o, 2);
    RunActingOnce([] { ChoosePort(2); });
    EXPECT_EQ(com, 2);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_EQ(Commands(second), (std::vector<uint16_t>{5, 10, 2, 2, 2, 7}));  // no live request
    EXPECT_EQ(Record(), (std::vector<std::vector<uint16_t>>{ToVector(o.ramPages->at(0)), ToVector(o.ramPages->at(1)),
                                                           ToVector(o.ramPages->at(2))}));
    EXPECT_LT(GetInQLen(1), 0);
    EXPECT_GE(GetInQLen(2), 0);
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
}

// The far end vanishing: the run ends, the port closes, and it reopens
// once the device is back.
TEST_F(LiveRun, DroppedLineEndsTheRunAndThePortReopensOnceTheDeviceIsBack) {
    kvorsim::Options opt;
    opt.symlinkPath = "/tmp/kvor-live-" + std::to_string(getpid());
    auto& pair = StartRunPair(opt);
    ASSERT_EQ(pair.devicePath(), opt.symlinkPath);
    RunActingOnce([&] { pair.dropLine(); });
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    EXPECT_LT(GetInQLen(com), 0);

    // Still responsive: a second RUN on the dead port ends by its time-out.
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");

    ASSERT_TRUE(pair.restoreLine());
    ASSERT_EQ(ChoosePort(1), 0);
    EXPECT_GE(GetInQLen(com), 0);
    EXPECT_EQ(StatusTrimmed(), "K-VOR-QX-MS FIRMWARE V3.05");
    const long long before = Frames();
    LiveScript again;
    again.when("running again", [before] { return Frames() >= before + 2; }, [] { PressStop(); });
    Run(again);
}

}  // namespace
