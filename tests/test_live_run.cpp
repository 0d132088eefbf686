// RUN against the simulated pair: live values on every display, STOP, the
// time-outs, foreign replies, TEACH and RESET inside a run, and what ends
// a run from outside (closing, another port, a dropped line).
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
#include "support/program_fixture.h"

namespace {

using kvorsim::Memory;

// Evaluation mode 1 on MASTER teach 1000, band +50 / -100, analogue mode 1,
// hardware mode 0 (band from the editors), MASTER scale 2.0.
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
    kvorsim::SensorPair& StartRunPair(kvorsim::Options o = {}, int port = 1) {
        if (!o.ramPages) o.ramPages = RunPages();
        auto& pair = StartPair(o, port);
        StartUp();
        return pair;
    }
    // Frames drawn so far: each adds the 100-sample history to the chart.
    static long long Frames() { return TestStrip(pHandle, STRIPRaw)->pointsPlotted / STRIP_SAMPLES; }
    static uint64_t LiveRequests(const kvorsim::SensorPair& pair) {
        const auto c = pair.counters();
        const auto it = c.byCommand.find(8);
        return it == c.byCommand.end() ? 0 : it->second;
    }
    static const GraphData& Bar(int graph) { return *TestGraph(pHandle, graph); }
    static std::vector<const GraphPlot*> Rectangles(int graph) {
        std::vector<const GraphPlot*> r;
        for (const auto& p : Bar(graph).plots)
            if (p.kind == GraphPlot::Kind::Rectangle) r.push_back(&p);
        return r;
    }
    static std::function<bool()> FramesFrom(long long& mark, long long more) {
        return [&mark, more] { return Frames() >= mark + more; };
    }
    // Clicks RUN (which returns when the run ends) and checks the script ran
    // to its end without the safety limit stopping the run.
    static void Run(LiveScript& script) {
        ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
        EXPECT_TRUE(script.finished()) << "waiting at: " << script.pending();
        EXPECT_FALSE(script.limitHit());
    }
    static void PressStop() {
        TestPress(pHandle, BTNStop);
        TestRelease(pHandle, BTNStop);
    }
};

TEST_F(LiveRun, LiveValuesReachIndicatorsColoursBarsAndStripChart) {
    auto& pair = StartRunPair();
    kvorsim::LiveOverrides o;
    o.positionA = 1100;
    o.positionB = 2100;
    o.evaluated = 1040;
    o.micrometres = static_cast<int32_t>(0xFFFF1234u);  // words 3 and 4
    o.poti = 7;
    o.edgesA = 3;
    o.edgesB = 4;
    o.peakWidthA = 40;
    o.peakWidthB = 41;
    o.maxValue = 1300;
    o.minValue = 900;
    pair.setOverrides(o);
    SetCtrlVal(pHandle, SWITCHRawEval, 1);

    std::vector<std::pair<int, int>> colours;  // NUMMvalue, NUMMeasMM per value
    LiveScript script;
    script.when("first frames", [] { return Frames() >= 2; }, [] {});
    // Limits 900 .. 1050: each end is inside, one past it is not.
    for (uint16_t v : {1050, 1051, 900, 899, 1040}) {
        script.then("force " + std::to_string(v), [&pair, o, v] {
            auto f = o;
            f.evaluated = v;
            pair.setOverrides(f);
        });
        script.when("see " + std::to_string(v), [v] { return Val(pHandle, NUMMvalue) == v; }, [&colours] {
            colours.emplace_back(Attr(pHandle, NUMMvalue, ATTR_TEXT_BGCOLOR),
                                 Attr(pHandle, NUMMeasMM, ATTR_TEXT_BGCOLOR));
        });
    }
    // The sensor's teach values reach the editors and the record.
    script.then("new teach", [&pair] {
        auto p1 = pair.page(Memory::Ram, 1);
        p1[3] = 1010;
        pair.setPage(Memory::Ram, 1, p1);
    });
    script.when("teach shown", [] { return Val(pPara1, NUMTeachA) == 1010; }, [] {});
    long long mark = 0;
    script.then("mark", [&mark] { mark = Frames(); });
    script.when("two more frames", FramesFrom(mark, 2), [] { PressStop(); });
    Run(script);

    const std::vector<std::pair<int, int>> want = {{VAL_DK_GREEN, VAL_DK_GREEN}, {VAL_RED, VAL_RED},
                                                   {VAL_DK_GREEN, VAL_DK_GREEN}, {VAL_RED, VAL_RED},
                                                   {VAL_DK_GREEN, VAL_DK_GREEN}};
    EXPECT_EQ(colours, want);
    EXPECT_EQ(parameter.teachA, 1010);
    EXPECT_EQ(Val(pPara2, NUMTeachB), 2000);

    EXPECT_EQ(Val(pHandle, NUMAval), 1100);
    EXPECT_EQ(Val(pHandle, NUMBval), 2100);
    EXPECT_EQ(Val(pHandle, NUMMvalue), 1040);
    EXPECT_EQ(Val(pHandle, NUMAnaMax), 1300);
    EXPECT_EQ(Val(pHandle, NUMAnaMin), 900);
    EXPECT_EQ(umValue, -60876);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -60.876);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), 0.1);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolLoMM), 0.2);

    const GraphData& m = Bar(GRAPHBarMaster);
    const GraphData& s = Bar(GRAPHBarSlave);
    EXPECT_EQ((std::array<double, 2>{m.cursors[0].x, m.cursors[0].y}), (std::array<double, 2>{1100, 0.75}));
    EXPECT_EQ((std::array<double, 2>{s.cursors[0].x, s.cursors[0].y}), (std::array<double, 2>{2100, 0.75}));
    const auto rm = Rectangles(GRAPHBarMaster);
    const auto rs = Rectangles(GRAPHBarSlave);
    ASSERT_EQ(rm.size(), 2u);  // peak, then the tolerance window
    ASSERT_EQ(rs.size(), 1u);  // mode 1: no SLAVE window
    EXPECT_EQ((std::array<double, 2>{rm[0]->x1, rm[0]->x2}), (std::array<double, 2>{1080, 1120}));
    EXPECT_EQ((std::array<double, 2>{rs[0]->x1, rs[0]->x2}), (std::array<double, 2>{2080, 2120}));
    EXPECT_EQ(rm[1]->fillColor, VAL_GREEN);
    EXPECT_EQ((std::array<double, 2>{rm[1]->x1, rm[1]->x2}), (std::array<double, 2>{910, 1060}));

    // Strip chart: the evaluated view on 0 .. YAXISMAX with the latest sample last.
    const StripData& strip = *TestStrip(pHandle, STRIPRaw);
    EXPECT_EQ(strip.yAxis.min, 0.0);
    EXPECT_EQ(strip.yAxis.max, YAXISMAX);
    ASSERT_EQ(strip.traces.size(), 7u);
    const double want7[] = {1010, 1040, 1300, 1060, 910, 1100, 2100};
    for (int t = 0; t < 7; ++t) {
        EXPECT_EQ(strip.traces[t].at(strip.traces[t].size() - 1), want7[t]) << t;
        EXPECT_EQ(strip.traces[t].visible, t < 5) << t;
    }
}

TEST_F(LiveRun, StripChartViewAndZoomFollowTheSwitchesDuringTheRun) {
    kvorsim::Options opt;
    opt.ramPages = RunPages();
    (*opt.ramPages)[0][6] = 10;  // band +10 / -10 around 1000
    (*opt.ramPages)[0][7] = 10;
    auto& pair = StartRunPair(opt);
    kvorsim::LiveOverrides o;
    o.evaluated = 1005;
    pair.setOverrides(o);
    SetCtrlVal(pHandle, SWITCHRawEval, 0);
    SetCtrlVal(pHandle, TOGBTN_Zoom, 0);
    auto axis = [] {
        const StripData& s = *TestStrip(pHandle, STRIPRaw);
        return std::array<double, 2>{s.yAxis.min, s.yAxis.max};
    };
    auto visible = [] {
        std::vector<bool> v;
        for (const auto& t : TestStrip(pHandle, STRIPRaw)->traces) v.push_back(t.visible);
        return v;
    };
    long long mark = 0;
    std::vector<std::array<double, 2>> axes;
    std::vector<std::vector<bool>> shown;
    auto record = [&] {
        axes.push_back(axis());
        shown.push_back(visible());
        mark = Frames();
    };
    LiveScript script;
    script.when("raw view", [] { return Frames() >= 2; }, [&] {
        record();
        TestClick(pHandle, SWITCHRawEval);
    });
    script.when("evaluated view", FramesFrom(mark, 2), [&] {
        record();
        TestClick(pHandle, TOGBTN_Zoom);
    });
    script.when("zoomed", FramesFrom(mark, 2), [&] {
        record();
        o.evaluated = 1100;
        pair.setOverrides(o);
    });
    script.when("zoom follows the value", [] { return Val(pHandle, NUMMvalue) == 1100; }, [&] {
        record();
        PressStop();
    });
    Run(script);
    ASSERT_EQ(axes.size(), 4u);
    EXPECT_EQ(axes[0], (std::array<double, 2>{0, 4096}));
    EXPECT_EQ(YAXISMAX, 4096);  // mode 1: the line length
    EXPECT_EQ(axes[1], (std::array<double, 2>{0, 4096}));
    EXPECT_EQ(axes[2], (std::array<double, 2>{980, 1020}));
    EXPECT_EQ(axes[3], (std::array<double, 2>{980, 1140}));
    const std::vector<bool> raw = {false, false, false, false, false, true, true};
    const std::vector<bool> evaluated = {true, true, true, true, true, false, false};
    EXPECT_EQ(shown[0], raw);
    EXPECT_EQ(shown[1], evaluated);
    EXPECT_EQ(shown[3], evaluated);
}

TEST_F(LiveRun, RunSetsUpThePanelAndStopOnThePressUndimsTheButtons) {
    StartRunPair();
    // What another mode may have left: video graphs up, trigger view on,
    // buttons dimmed.
    for (int ctrl : {GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm, SWITCHDataView})
        SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    for (int ctrl : {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave, SWITCHRawEval})
        SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 0);
    SetCtrlVal(pHandle, TOGBTN_Trigg, 1);
    DisplayPanel(pTrigg);
    for (int ctrl : {BTNVideo, BTNData, ButtonTeach, ButtonReset})
        SetCtrlAttribute(pHandle, ctrl, ATTR_DIMMED, 1);

    std::string statusBeforeStop;
    int stopRaised = -1;
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] {
        EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 1);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
        for (int ctrl : {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave, SWITCHRawEval})
            EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 1) << ctrl;
        for (int ctrl : {GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm, SWITCHDataView})
            EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), 0) << ctrl;
        EXPECT_EQ(Val(pHandle, TOGBTN_Trigg), 0);
        EXPECT_FALSE(TestPanelDisplayed(pTrigg));
        for (int ctrl : {BTNVideo, BTNData, ButtonTeach, ButtonReset})
            EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 1) << ctrl;  // RUN leaves them
        statusBeforeStop = Status();
        // The press alone stops: no release follows.
        TestPress(pHandle, BTNStop);
        stopRaised = stop_flag;
    });
    Run(script);
    TestRelease(pHandle, BTNStop);
    EXPECT_EQ(stopRaised, 1);
    EXPECT_EQ(statusBeforeStop, "Line Ok!");
    EXPECT_EQ(Status(), statusBeforeStop);
    for (int ctrl : {BTNVideo, BTNData, BTNRun, ButtonTeach, ButtonReset})
        EXPECT_EQ(Attr(pHandle, ctrl, ATTR_DIMMED), 0) << ctrl;
    EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 0);
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
    LiveScript script;
    script.when("running", [] { return Frames() >= 3; }, [&] {
        pair.setSilent(true);
        silencedAt = Timer();
    });
    Run(script);
    const double after = Timer() - silencedAt;
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    // The last request went out no earlier than the last reply before the
    // silence.
    EXPECT_GE(after, 3.0 - 0.05);
    EXPECT_LT(after, 4.0);
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
}

TEST_F(LiveRun, ForeignReplyIsDrawnNowhereAndReleasesTheNextRequest) {
    auto& pair = StartRunPair();
    uint64_t requests = 0;
    long long frames = 0;
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] {
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
    script.when("running", [] { return Frames() >= 2; }, [&] {
        pair.clearRecords();
        TestClick(pHandle, ButtonTeach);
        commands = Commands(pair);
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
    EXPECT_EQ(Val(pPara1, NUMTeachA), 1500);
    EXPECT_EQ(Val(pPara2, NUMTeachB), 2500);
    EXPECT_EQ(parameter.teachA, 1500);
    EXPECT_EQ(parameter.teachB, 2500);
    EXPECT_EQ(RecordPage(0), ToVector(RunPages()[0]));  // page 0 untouched by the teach reply
    const auto rm = Rectangles(GRAPHBarMaster);
    ASSERT_EQ(rm.size(), 2u);
    EXPECT_EQ((std::array<double, 2>{rm[1]->x1, rm[1]->x2}), (std::array<double, 2>{1400, 1550}));
}

// The teach finds the loop's live request unanswered: the late live reply
// counts as the teach's reply, and the teach's own reply comes after it.
TEST_F(LiveRun, TeachAfterALateLiveReplyKeepsItsOwnReplyOutOfThePageRead) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.0;  // room for the delayed replies below
    kvorsim::LiveOverrides o;
    o.positionA = 1500;
    o.positionB = 2500;
    pair.setOverrides(o);
    uint64_t before = 0, seen = 0;
    double steadySince = 0;
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] {
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
    });
    long long mark = 0;
    script.then("mark", [&] { mark = Frames(); });
    script.when("run goes on", FramesFrom(mark, 2), [] { PressStop(); });
    Run(script);
    EXPECT_EQ(RecordPage(0), ToVector(RunPages()[0]));
    EXPECT_EQ(parameter.teachA, 1500);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 1);
}

TEST_F(LiveRun, TeachWithASilentPairEndsTheRunAtTheTeachTimeout) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.5;
    double pressedAt = 0;
    int stopAfterTeach = -1;
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] {
        pair.setSilent(true);
        pressedAt = Timer();
        TestClick(pHandle, ButtonTeach);
        stopAfterTeach = stop_flag;
    });
    Run(script);
    const double after = Timer() - pressedAt;
    EXPECT_EQ(stopAfterTeach, 1);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_GE(after, 1.5);
    EXPECT_LT(after, 2.9);  // the loop's own time-out would be 3.0 s after its last request
    // The cursors go to the teach values the record held.
    EXPECT_EQ(Bar(GRAPHBarMaster).cursors[0].x, parameter.teachA);
    EXPECT_EQ(Bar(GRAPHBarSlave).cursors[0].x, parameter.teachB);
}

TEST_F(LiveRun, ResetDuringRunRestartsTheHeldValues) {
    auto& pair = StartRunPair();
    kvorsim::LiveOverrides o;
    o.evaluated = 1000;
    pair.setOverrides(o);
    std::string status;
    std::pair<int, int> heldBefore;
    LiveScript script;
    script.when("at 1000", [] { return Frames() >= 2; }, [&] {
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

TEST_F(LiveRun, ResetWithASilentPairTimesOutAndTheRunEndsByItself) {
    auto& pair = StartRunPair();
    std::string status;
    int stopAfterReset = -1;
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] {
        pair.setSilent(true);
        TestClick(pHandle, ButtonReset);
        status = Status();
        stopAfterReset = stop_flag;
    });
    Run(script);
    EXPECT_EQ(status, "Timeout-RS-232...");
    EXPECT_EQ(stopAfterReset, 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
}

TEST_F(LiveRun, ChoosingAnotherPortStopsTheRun) {
    StartRunPair();
    auto& second = StartPair({}, 2);
    int index = -1;
    const auto items = TestListItems(pHandle, DropDCom);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].second == 2) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] { TestChooseItem(pHandle, DropDCom, index); });
    Run(script);
    EXPECT_EQ(com, 2);
    EXPECT_EQ(Commands(second), (std::vector<uint16_t>{5, 10, 2, 2, 2, 7}));  // no live request
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
}

TEST_F(LiveRun, DroppedLineEndsTheRunAndThePortReopensOnceTheDeviceIsBack) {
    kvorsim::Options opt;
    const std::string link = "/tmp/kvor-live-" + std::to_string(getpid());
    opt.symlinkPath = link;
    auto& pair = StartRunPair(opt);
    ASSERT_EQ(pair.devicePath(), link);
    LiveScript script;
    script.when("running", [] { return Frames() >= 2; }, [&] { pair.dropLine(); });
    Run(script);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    EXPECT_LT(GetInQLen(com), 0);  // the port closed itself on the error

    // Still responsive: a second RUN on the dead port ends by its time-out.
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");

    ASSERT_TRUE(pair.restoreLine());
    int index = -1;
    const auto items = TestListItems(pHandle, DropDCom);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].second == 1) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    ASSERT_EQ(TestChooseItem(pHandle, DropDCom, index), 0);
    EXPECT_GE(GetInQLen(com), 0);
    EXPECT_EQ(StatusTrimmed(), "K-VOR-QX-MS FIRMWARE V3.05");
    const long long before = Frames();
    LiveScript again;
    again.when("running again", [before] { return Frames() >= before + 2; }, [] { PressStop(); });
    Run(again);
}

}  // namespace
