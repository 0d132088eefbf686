// RUN against the simulated pair: the live view, STOP, TEACH and RESET inside
// a run, its faults, and what ends a run from outside.
#include <gtest/gtest.h>
#include <unistd.h>

#include "params/live.h"
#include "plot/stripchart.h"
#include "support/live_script.h"
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

class Run : public ProgramTest {
protected:
    kvorsim::SensorPair& StartRunPair(kvorsim::Options o = {}) {
        if (!o.ramPages) o.ramPages = RunPages();
        auto& pair = StartPair(o);
        StartUp();
        // A second per reply: on a loaded machine (the sanitizer build,
        // suites in parallel) the fixture's 0.3 s could end a run early.
        TIMEOUT = 1.0;
        return pair;
    }
    // Each frame adds the 100-sample history to the chart.
    static long long Frames() { return TestStrip(pHandle, STRIPRaw)->pointsPlotted / STRIP_SAMPLES; }
    static uint64_t LiveRequests(const kvorsim::SensorPair& pair) { return pair.counters().byCommand[8]; }
    static bool Running() { return Frames() >= 2; }
    // Clicks RUN (which returns when the run ends); the script must have run
    // to its end without its safety limit stopping the run.
    static void Go(LiveScript& script) {
        ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
        EXPECT_TRUE(script.finished()) << "waiting at: " << script.pending();
        EXPECT_FALSE(script.limitHit());
    }
    // A run in which `act` happens once, two frames in, then, unless `act`
    // ended the run, STOP `frames` frames later.
    static void RunActing(std::function<void()> act, long long frames = 0) {
        LiveScript script;
        long long mark = Frames();
        script.when("running", [&] { return Frames() >= mark + 2; }, [&] {
            act();
            mark = Frames();
        });
        if (frames > 0) script.when("frames after", [&] { return Frames() >= mark + frames; }, PressStop);
        Go(script);
    }
    // The pair falls silent once running; `then` acts at that moment. The run
    // ends by a time-out.
    static void RunIntoSilence(kvorsim::SensorPair& pair, std::function<void()> then = [] {}) {
        RunActing([&] {
            pair.setSilent(true);
            then();
        });
        EXPECT_EQ(Status(), "Timeout RS232-Line!");
        EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);  // only STOP undims it
    }
};

// RUN lays out the live view and leaves the other buttons as they were; the
// sensor's words reach indicators, bars, strip chart and, for the teach
// values, the editors and the record (-60876 µm is words 3 and 4 as one
// count); STOP acts on the press alone and undims the buttons.
TEST_F(Run, RunShowsTheLiveFramesAndStopOnThePressEndsIt) {
    auto& pair = StartRunPair();
    pair.setOverrides({.positionA = 1100, .positionB = 2100, .evaluated = 1040,
                       .micrometres = static_cast<int32_t>(0xFFFF1234u), .maxValue = 1300, .minValue = 900});
    // What another mode may have left: video graphs up, trigger view on, buttons dimmed.
    const std::initializer_list<int> videoView = {GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm, SWITCHDataView};
    const std::initializer_list<int> liveView = {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave, SWITCHRawEval};
    const std::initializer_list<int> dimmable = {BTNVideo, BTNData, ButtonTeach, ButtonReset};
    for (int ctrl : videoView) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    for (int ctrl : liveView) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 0);
    for (int ctrl : dimmable) SetCtrlAttribute(pHandle, ctrl, ATTR_DIMMED, 1);
    SetCtrlVal(pHandle, TOGBTN_Trigg, 1);
    DisplayPanel(pTrigg);
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    auto p1 = pair.page(Memory::Ram, 1);
    p1[3] = 1010;
    std::string statusBeforeStop;
    int stopRaised = -1;
    long long mark = 0;
    LiveScript script;
    script.when("running", Running, [&] {
        EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 1);
        EXPECT_EQ(Attr(pPopUp, BTNStartRecord, ATTR_DIMMED), 1);
        EXPECT_EQ(Attrs(liveView, ATTR_VISIBLE), std::vector<int>(4, 1));
        EXPECT_EQ(Attrs(videoView, ATTR_VISIBLE), std::vector<int>(5, 0));
        EXPECT_EQ(Attrs(dimmable, ATTR_DIMMED), std::vector<int>(4, 1));  // RUN leaves them
        EXPECT_EQ(Val(pHandle, TOGBTN_Trigg), 0);
        EXPECT_FALSE(TestPanelDisplayed(pTrigg));
        pair.setPage(Memory::Ram, 1, p1);
        mark = Frames();
    });
    script.when("three frames later", [&] { return Frames() >= mark + 3; }, [&] {
        statusBeforeStop = Status();
        TestPress(pHandle, BTNStop);  // the press alone stops: no release follows
        stopRaised = stop_flag;
    });
    Go(script);
    TestRelease(pHandle, BTNStop);
    EXPECT_EQ(stopRaised, 1);
    EXPECT_EQ(statusBeforeStop, "Line Ok!");
    EXPECT_EQ(Status(), statusBeforeStop);
    for (int ctrl : {BTNVideo, BTNData, BTNRun, ButtonTeach, ButtonReset, BTNStartRecord})
        EXPECT_EQ(Attr(ctrl == BTNStartRecord ? pPopUp : pHandle, ctrl, ATTR_DIMMED), 0) << ctrl;
    EXPECT_EQ(rx_flag + graph_flag, 0);

    EXPECT_EQ((std::array<int, 4>{parameter.teachA, Val(pPara1, NUMTeachA), Val(pPara2, NUMTeachB), live.umValue}),
              (std::array<int, 4>{1010, 1010, 2000, -60876}));
    EXPECT_EQ((std::array<int, 5>{Val(pHandle, NUMAval), Val(pHandle, NUMBval), Val(pHandle, NUMMvalue),
                                  Val(pHandle, NUMAnaMax), Val(pHandle, NUMAnaMin)}),
              (std::array<int, 5>{1100, 2100, 1040, 1300, 900}));
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -60.876);
    EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}), (Span{1100, 2100}));
    const auto& strip = TestStrip(pHandle, STRIPRaw)->traces;  // the newest set point: the new teach value
    EXPECT_EQ(strip.at(0).at(strip[0].size() - 1), 1010);
}

// Help opens during a run for the buttons not dimmed, and the run goes on.
TEST_F(Run, HelpOpensDuringARun) {
    StartRunPair();
    std::vector<std::string> help;
    RunActing([&] {
        TestRightClick(pHandle, BTNRun);  // dimmed: no help
        TestRightClick(pHandle, BTNStop);
        help = TestTextBoxLines(pHandle, HelpText1);
    }, 3);
    EXPECT_EQ(help.at(0), "STOP-BUTTON:");
    EXPECT_EQ(Attr(pHandle, HelpText1, ATTR_VISIBLE), 1);
}

// Silent from the start: the first request's 1.5 s. Falling silent: two
// time-outs after the last request. A TEACH into silence: the teach's 1.5 s
// ends the run. A RESET into silence: its own time-out, the run ends by itself.
TEST_F(Run, TimeoutsEndTheRunAtTheirTime) {
    auto& pair = StartRunPair();
    TIMEOUT = 1.5;
    pair.setSilent(true);
    double t0 = Timer();
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    double took = Timer() - t0;
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Frames(), 0);
    EXPECT_TRUE(took >= 1.5 && took < 3.0) << took;
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
    pair.setSilent(false);

    RunIntoSilence(pair, [&] { t0 = Timer(); });
    took = Timer() - t0;
    EXPECT_TRUE(took >= 3.0 - 0.05 && took < 4.0) << took;  // the last request left no earlier than the last reply
    pair.setSilent(false);

    int stopAfterTeach = -1;
    RunIntoSilence(pair, [&] {
        t0 = Timer();
        TestClick(pHandle, ButtonTeach);
        stopAfterTeach = stop_flag;
    });
    took = Timer() - t0;
    EXPECT_EQ(stopAfterTeach, 1);
    EXPECT_TRUE(took >= 1.5 && took < 2.9) << took;
    EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}),
              (Span{double(parameter.teachA), double(parameter.teachB)}));  // the teach values the record held
    pair.setSilent(false);

    TIMEOUT = 1.0;
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

// A reply that is no live frame ends no wait for one: the first request
// then times out. During a run it is drawn nowhere but releases the next
// request.
TEST_F(Run, ForeignReplyIsDrawnNowhereAndReleasesTheNextRequest) {
    auto& pair = StartRunPair();
    pair.setCommandEcho(8, 2);
    LiveScript guard(5.0);  // a run that takes foreign replies for live ones never ends by itself
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    EXPECT_FALSE(guard.limitHit());
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_EQ(Frames(), 0);
    pair.setCommandEcho(8, 8);
    uint64_t requests = 0;
    long long frames = 0;
    LiveScript script;
    script.when("running", Running, [&] {
        pair.setCommandEcho(8, 2);
        requests = LiveRequests(pair);
    });
    // A live reply already on its way may still be drawn.
    script.when("echo 2 in force", [&] { return LiveRequests(pair) >= requests + 2; }, [&] { frames = Frames(); });
    script.when("many foreign replies", [&] { return LiveRequests(pair) >= requests + 20; }, [&] {
        EXPECT_EQ(Frames(), frames);
        pair.setCommandEcho(8, 8);
    });
    script.when("live again", [&] { return Frames() >= frames + 2; }, PressStop);
    Go(script);
    EXPECT_NE(Status(), "Timeout RS232-Line!");
    // Every request after the first carries page 0 of the record.
    const auto req = pair.requests();
    EXPECT_EQ(req.back().command, 8);
    EXPECT_EQ(FrameWords(req.back().bytes), RecordPage(0));
}

// GET and SEND in turn during a paced run, replies whole or in UART slices:
// no live frame is taken for a page, and the run goes on.
TEST_F(Run, GetAndSendDuringAPacedRunNeverTakeALiveFrameForAPage) {
    auto& pair = StartRunPair();
    pair.setPacing(true);
    const auto sensorPages = [&pair] {
        std::vector<kvorsim::Page> pages;
        for (int p = 0; p < 3; ++p) pages.push_back(pair.page(Memory::Ram, p));
        return pages;
    };
    const auto sensor = sensorPages();
    long long mark = 0;
    LiveScript script(120.0);
    for (std::size_t slice : {0, 8}) {
        for (int press = 0; press < 24; ++press) {
            script.when("press " + std::to_string(press), [&] { return Frames() > mark; }, [&, slice, press] {
                pair.setFifoSlice(slice);
                EXPECT_EQ(sensorPages(), sensor) << "slice " << slice << ", press " << press;
                TestClick(pHandle, press % 2 ? BTNSend : BTNGet);
                mark = Frames();
            });
        }
    }
    script.when("run goes on", [&] { return Frames() > mark + 2; }, PressStop);
    Go(script);
    EXPECT_EQ(sensorPages(), sensor);
}

// TEACH and RESET during a paced run, a live request out: its live frame is
// never their reply. The teach reads the pages back from RAM whatever the
// source buttons say, the reset restarts the held values; unanswered, the
// reset times out and the run goes on (even when the live request before it
// got no answer either: the sensor answers in order, so the run asks again),
// the teach ends the run unread.
TEST_F(Run, TeachAndResetDuringRunTakeTheirOwnReplyOrTimeOut) {
    auto& pair = StartRunPair();
    pair.setPacing(true);
    kvorsim::LiveOverrides o{.positionA = 1500, .positionB = 2500, .evaluated = 1000};
    pair.setOverrides(o);
    TestClick(pHandle, RBTEeprom);
    TIMEOUT = 1.5;
    std::vector<uint16_t> teachCommands, silentTeachCommands;
    std::string teachStatus, resetStatus, silentResetStatus;
    std::pair<int, int> heldBefore;
    double took = 0;
    long long mark = 0;
    LiveScript script(30.0);
    script.when("running", Running, [&] { pair.silenceOnce(8); });
    script.when("a live request unanswered", [&] { return pair.counters().suppressed >= 1; }, [&] {
        pair.silenceOnce(11);
        TestClick(pHandle, ButtonReset);
        silentResetStatus = Status();
        mark = Frames();
    });
    script.when("running after the reset", [&] { return Frames() >= mark + 2; }, [&] {
        pair.delayOnce(6, std::chrono::milliseconds(300));
        pair.delayOnce(2, std::chrono::milliseconds(600));
        pair.clearRecords();
        TestClick(pHandle, ButtonTeach);
        teachCommands = Commands(pair);
        teachStatus = Status();
        EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}), (Span{1500, 2500}));
        o.evaluated = 1200;
        pair.setOverrides(o);
    });
    script.when("at 1200", [] { return Val(pHandle, NUMMvalue) == 1200; }, [&] {
        heldBefore = {Val(pHandle, NUMAnaMax), Val(pHandle, NUMAnaMin)};
        TestClick(pHandle, ButtonReset);
        resetStatus = Status();
    });
    script.when("held values restarted",
                [] { return Val(pHandle, NUMAnaMin) == 1200 && Val(pHandle, NUMAnaMax) == 1200; }, [&] {
        pair.silenceOnce(6);
        pair.clearRecords();
        const double t0 = Timer();
        TestClick(pHandle, ButtonTeach);
        took = Timer() - t0;
        silentTeachCommands = Commands(pair);
    });
    Go(script);
    // The live request already on the line may be recorded after the clear.
    teachCommands.erase(std::remove(teachCommands.begin(), teachCommands.end(), 8), teachCommands.end());
    EXPECT_EQ(teachCommands, (std::vector<uint16_t>{6, 2, 2, 2}));
    EXPECT_EQ(teachStatus, "Parameter-frame received! - Line Ok!");
    EXPECT_EQ((std::array<int, 4>{Val(pPara1, NUMTeachA), Val(pPara2, NUMTeachB), parameter.teachA, parameter.teachB}),
              (std::array<int, 4>{1500, 2500, 1500, 2500}));
    EXPECT_EQ(RecordPage(0), ToVector(RunPages()[0]));
    EXPECT_EQ((std::array<std::string, 2>{silentResetStatus, resetStatus}),
              (std::array<std::string, 2>{"Timeout-RS-232...", "Reset Max/Min OK!"}));
    EXPECT_GE(heldBefore.first, 1200);  // held since the pair started
    EXPECT_LE(heldBefore.second, 1000);
    EXPECT_EQ((std::array<int, 2>{stop_flag, std::count(silentTeachCommands.begin(), silentTeachCommands.end(), 2)}),
              (std::array<int, 2>{1, 0}));  // no page read
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_TRUE(took >= 1.5 && took < 2.5) << took;
}

// The sensor answers in order: a live reply that comes late, together with
// the reply of the TEACH or RESET sent after it, is dropped and the reply
// right behind it taken.
TEST_F(Run, AReplyRightBehindALateLiveFrameIsTaken) {
    auto& pair = StartRunPair();
    pair.setPacing(false);  // both replies arrive at once
    TIMEOUT = 1.5;
    std::vector<std::string> statuses;
    long long mark = 0;
    LiveScript script(20.0);
    for (int button : {ButtonTeach, ButtonReset}) {
        script.when("running", [&] { return Frames() >= mark + 2; }, [&] { pair.holdOnce(8); });
        script.when("a live reply held", [&] { return pair.counters().held == 1; }, [&, button] {
            pair.clearRecords();
            TestClick(pHandle, button);
            statuses.push_back(Status());
            mark = Frames();
        });
    }
    script.when("running on", [&] { return Frames() >= mark + 2; }, PressStop);
    Go(script);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Parameter-frame received! - Line Ok!", "Reset Max/Min OK!"}));
}

// The far end vanishing: the run ends, the port closes and its entry in the
// drop-down says so, a second RUN ends by its time-out, and the port reopens
// once the device is back. Choosing
// another port during a run then stops it, closes the old port and starts
// the new pair up.
TEST_F(Run, DroppedLineAndAnotherPortEndTheRun) {
    auto& pair = StartRunPair({.symlinkPath = "/tmp/kvor-live-" + std::to_string(getpid())});
    RunActing([&] { pair.dropLine(); });
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_LT(GetInQLen(com), 0);
    const auto com1 = [] { return TestListItems(pHandle, DropDCom).at(0).first; };
    EXPECT_NE(com1().find(" - went away"), std::string::npos) << com1();
    ASSERT_EQ(TestClick(pHandle, BTNRun), 0);
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    ASSERT_TRUE(pair.restoreLine());
    ASSERT_EQ(ChoosePort(1), 0);
    EXPECT_EQ(StatusTrimmed(), "K-VOR-QX-MS FIRMWARE V3.05");
    EXPECT_EQ(com1().find(" - "), std::string::npos) << com1();

    auto& second = StartPair({.ramPages = SensorPages()}, 2);
    RunActing([] { ChoosePort(2); });
    EXPECT_EQ((std::array<int, 2>{com, stop_flag}), (std::array<int, 2>{2, 1}));
    EXPECT_EQ(Commands(second), (std::vector<uint16_t>{5, 10, 2, 2, 2, 7}));  // no live request
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(SensorPages()[p]));
    EXPECT_LT(GetInQLen(1), 0);
    EXPECT_GE(GetInQLen(2), 0);
    EXPECT_EQ(Attr(pHandle, BTNRun, ATTR_DIMMED), 0);
}

// ProgramMain reaches its event loop and ends cleanly with the port closed:
// closed by the user during RUN (the loop ends before the panels go), or
// asked to quit the way a desktop session does on a silent line. Without
// its resource file it ends with -1.
using RunProgram = ProgramMainTest;
TEST_F(RunProgram, EndsCleanlyWhenClosedDuringRunOrTerminated) {
    Pair();
    int runDimmedAfter = -1, attrResultAfter = -1;
    // The click on RUN returns only when the run ends; what happens meanwhile
    // is a second script with its own timer.
    LiveScript during(15.0);
    during.when("running", [] {
        const StripData* s = pHandle > 0 ? TestStrip(pHandle, STRIPRaw) : nullptr;
        return s && s->pointsPlotted >= 3 * STRIP_SAMPLES;
    }, [] { TestClosePanel(pHandle); });
    LiveScript outer(15.0);
    outer.when("event loop", QuitHandlerInstalled, [&] {
        TestClick(pHandle, BTNRun);
        attrResultAfter = GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &runDimmedAfter);  // panels still there
    });
    EXPECT_EQ(ProgramMain(), 0);
    EXPECT_TRUE(outer.finished() && during.finished() && !during.limitHit());
    EXPECT_EQ((std::array<int, 3>{attrResultAfter, runDimmedAfter, stop_flag}), (std::array<int, 3>{0, 0, 1}));
    int v = 0;
    EXPECT_EQ(GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &v), UIEBadPanel);  // afterwards gone
    EXPECT_LT(GetInQLen(com), 0);

    Pair().setSilent(true);
    LiveScript quit(15.0);
    quit.when("event loop", QuitHandlerInstalled, [] { kill(getpid(), SIGTERM); });
    EXPECT_EQ(ProgramMain(), 0);
    EXPECT_TRUE(quit.finished());
    EXPECT_EQ((std::array<int, 2>{stop_flag, GetInQLen(1) < 0}), (std::array<int, 2>{1, 1}));
    EXPECT_EQ(std::string(szStatus), "Timeout-RS-232...");

    char tmpl[] = "/tmp/kvor-nores-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    SetProjectDir(tmpl);
    EXPECT_EQ(ProgramMain(), -1);
    rmdir(tmpl);
}

}  // namespace
