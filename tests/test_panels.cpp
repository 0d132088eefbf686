// The record on the real panels, without a line: the binding, the start-up
// state, the live displays driven from `live` and the video curves.
#include <gtest/gtest.h>

#include <iterator>

#include "panel/binding.h"
#include "params/live.h"
#include "plot/bargraph.h"
#include "plot/stripchart.h"
#include "support/program_fixture.h"

namespace {

using Span = std::array<double, 2>;

using Panels = ProgramTest;

TEST_F(Panels, StartValuesComeFromThePanelsAndTheLinesFromInitVars) {
    const auto fromPanels = Record();  // the resource's initial values are the defaults
    DefaultParameters();
    EXPECT_EQ(fromPanels, Record());
    EXPECT_EQ(Status(), "InitVars");
    EXPECT_EQ((std::array<int, 4>{trgBUFA[255], refTHD[0], static_cast<int>(xArrayMVAL[255]), thdArrayA[0]}),
              (std::array<int, 4>{100, 512, 255, 128}));
    EXPECT_EQ(TestTextBoxLines(pPopUp, TEXTRecFile)[0], std::string(proj_dir) + "/KVorRecord.dat");
    // Recorder total of the pop-up's start values: 100 records of 1 s.
    EXPECT_EQ((std::array<int, 2>{Val(pPopUp, NUMRecMin), Val(pPopUp, NUMRecSec)}), (std::array<int, 2>{1, 40}));
}

TEST_F(Panels, RepairedSetIsShownWithMillimetresInTheMasterScale) {
    parameter.evalmode = 7;
    parameter.teachA = parameter.pixbegA = 5000;
    parameter.pvalB = 1001;
    parameter.scaleA = 2048;
    parameter.toleranceLO = 250;
    SetPanelValues();
    EXPECT_EQ(parameter.evalmode, 1);
    EXPECT_EQ((std::array<int, 4>{Val(pPara0, DropEvalMode), Val(pPara1, NUMTeachA), Val(pPara1, NUMPixBegA),
                                  Val(pPara2, NUMPvalB)}), (std::array<int, 4>{1, 2048, 1, 500}));
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolLoMM), 0.5);
}

// The evaluation mode sets the reference, the teach editors' dims and the
// range; hardware modes 1 and 3 dim the band editors, analogue mode 0 hides
// the held values, p-mode 1 dims the p-value: the last three from a refresh
// and from InitGUI alike.
TEST_F(Panels, ModesSetTheReferenceAndDimOrHideTheirControls) {
    parameter.teachA = 1000;
    parameter.teachB = 3000;
    const struct { uint16_t eval, hw, ana, pmodeA, pmodeB; int tval, dimA, dimB, yaxis; } cases[] = {
        {0, 0, 2, 1, 0, 3000, 1, 0, 4096}, {1, 1, 0, 0, 1, 1000, 0, 1, 4096}, {2, 2, 2, 0, 0, 4192, 0, 0, 8192},
        {3, 3, 0, 1, 1, 4096, 1, 1, 8192}, {4, 4, 1, 0, 0, 4096, 0, 0, 8192}};
    for (bool init : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (init ? "InitGUI " : "refresh ") << c.eval);
            parameter.evalmode = c.eval;
            parameter.hwmode = c.hw;
            parameter.anamode = c.ana;
            parameter.pmodeA = c.pmodeA;
            parameter.pmodeB = c.pmodeB;
            init ? InitGUI() : SetPanelValues();
            if (!init) {
                EXPECT_EQ((std::array<int, 6>{tVal, refTHD[0], Attr(pPara1, NUMTeachA, ATTR_DIMMED),
                                              Attr(pPara2, NUMTeachB, ATTR_DIMMED), YAXISMAX,
                                              static_cast<int>(TestStrip(pHandle, STRIPRaw)->yAxis.max)}),
                          (std::array<int, 6>{c.tval, c.tval, c.dimA, c.dimB, c.yaxis, c.yaxis}));
            }
            for (int ctrl : {NUMToleranceUP, NUMToleranceLO})
                EXPECT_EQ(Attr(pPara0, ctrl, ATTR_DIMMED), c.hw == 1 || c.hw == 3);
            for (int ctrl : {NUMAnaMax, NUMAnaMin, ButtonReset}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), c.ana != 0);
            EXPECT_EQ((std::array<int, 2>{Attr(pPara1, NUMPvalA, ATTR_DIMMED), Attr(pPara2, NUMPvalB, ATTR_DIMMED)}),
                      (std::array<int, 2>{c.pmodeA, c.pmodeB}));
        }
    }
    EXPECT_EQ(Attr(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED), 0);
}

// The live displays: mode 1 on MASTER teach 1000, band +50 / -100, MASTER
// scale 2.0, analogue mode 0.
class LivePlots : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        std::fill(std::begin(arrayNORM), std::end(arrayNORM), 0.0);  // the suite shares one process
        ccdvirtpixel = YAXISMAX = 4096;
        parameter.evalmode = 1;
        parameter.hwmode = parameter.anamode = 0;
        parameter.teachA = 1000;
        parameter.teachB = 2000;
        parameter.toleranceUP = 50;
        parameter.toleranceLO = 100;
        parameter.scaleA = 2048;
        live = {};
        live.Aval = live.Mvalue = 1000;
        live.Bval = 2000;
        live.peakwA = live.peakwB = 20;
        live.edcntA = live.edcntB = 2;
    }
    static const StripData& Strip() { return *TestStrip(pHandle, STRIPRaw); }
    static Span Axis() { return {Strip().yAxis.min, Strip().yAxis.max}; }
    static const double* Newest() { return arrayNORM + STRIP_VALUES - STRIP_TRACES; }
    static void Draw() {
        PlotVIDEOBarGraph();
        PlotRAWGraph();
    }
};

// One frame each: both limits are in tolerance, one past is not; hardware
// modes other than 0 and 2 take the potentiometer's 7 as the band, shown in
// mm with the MASTER scale. Zoomed, the evaluated view spans twice the band
// around the set point (40 counts when a side is under 20), widened past a
// value outside it and clamped to 1 .. YAXISMAX - 1.
TEST_F(LivePlots, ToleranceColouringBandAndZoomWindowInEveryMode) {
    const int G = VAL_DK_GREEN, R = VAL_RED;
    const struct { uint16_t mode, hw, teach, up, lo, mvalue; int colour; double low, high; } cases[] = {
        {1, 0, 1000, 50, 100, 1050, G, 800, 1100},   {1, 0, 1000, 50, 100, 1051, R, 800, 1100},
        {1, 0, 1000, 50, 100, 900, G, 800, 1100},    {1, 0, 1000, 50, 100, 899, R, 800, 1100},
        {0, 0, 1000, 50, 100, 2050, G, 1800, 2100},  {0, 0, 1000, 50, 100, 1899, R, 1800, 2100},
        {1, 1, 1000, 50, 100, 1007, G, 980, 1020},   {1, 1, 1000, 50, 100, 1008, R, 980, 1020},
        {1, 3, 1000, 50, 100, 993, G, 980, 1020},    {1, 4, 1000, 50, 100, 992, R, 980, 1020},
        {1, 2, 1000, 50, 100, 1050, G, 800, 1100},   {3, 0, 1000, 50, 100, 4096 + 50, G, 3896, 4095},
        {3, 0, 1000, 50, 100, 4096 - 101, R, 3896, 4095},
        {1, 0, 1000, 10, 10, 1005, G, 980, 1020},    {1, 0, 1000, 10, 10, 1100, R, 980, 1140},
        {1, 0, 1000, 10, 10, 900, R, 860, 1020},     {1, 0, 1000, 30, 25, 1000, G, 950, 1060},
        {1, 0, 1000, 30, 25, 800, R, 700, 1060},     {1, 0, 1000, 30, 25, 1200, R, 950, 1300},
        {1, 0, 1000, 30, 10, 1000, G, 980, 1020},    {1, 0, 10, 4090, 2000, 10, G, 1, 4095},
    };
    live.poti = 7;
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.hw << " " << c.up << "/" << c.lo << " " << c.mvalue);
        parameter.evalmode = c.mode;
        parameter.hwmode = c.hw;
        parameter.teachA = c.teach;
        parameter.toleranceUP = c.up;
        parameter.toleranceLO = c.lo;
        live.Mvalue = c.mvalue;
        Draw();
        EXPECT_EQ((std::array<int, 2>{Attr(pHandle, NUMMvalue, ATTR_TEXT_BGCOLOR), Attr(pHandle, NUMMeasMM, ATTR_TEXT_BGCOLOR)}),
                  (std::array<int, 2>{c.colour, c.colour}));
        const bool editors = c.hw == 0 || c.hw == 2;
        EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), (editors ? c.up : 7) * 0.002);
        EXPECT_EQ(Axis(), (Span{c.low, c.high}));
    }
    EXPECT_EQ(Newest()[3], 4095.0);  // the limit lines are clamped with the window
    parameter.toleranceLO = 10;
    Draw();
    EXPECT_EQ(Newest()[4], 1.0);  // lower limit exactly 0
    live.umValue = -1500;
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -1.5);
}

TEST_F(LivePlots, CombinedModeRaisesZeroTolerancesInTheRecord) {
    parameter.evalmode = 2;
    parameter.toleranceUP = parameter.toleranceLO = 0;
    parameter.teachB = 3000;
    live.Mvalue = 4192;
    PlotVIDEOBarGraph();
    EXPECT_EQ(tVal, 2 * 4096 - 4000);
    EXPECT_EQ((std::array<int, 2>{parameter.toleranceUP, parameter.toleranceLO}), (std::array<int, 2>{1, 1}));
    // Other modes leave a zero alone, and an unknown mode keeps the set point.
    parameter.evalmode = 1;
    parameter.toleranceUP = 0;
    PlotVIDEOBarGraph();
    EXPECT_EQ(parameter.toleranceUP, 0);
    parameter.evalmode = 9;
    PlotVIDEOBarGraph();
    EXPECT_EQ(tVal, 1000);
}

// Cursors are clamped to the line; peaks surround the raw positions; each
// frame replaces the plots and ends with the tolerance window.
TEST_F(LivePlots, BarsShowCursorsPeaksAndTheWindow) {
    live.Aval = 3;  // a peak at the start of the line reaches below 0
    live.Bval = 5000;
    live.peakwB = 5;
    for (int i = 0; i < 3; ++i) PlotVIDEOBarGraph();
    EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}), (Span{3, 4096}));
    const auto ra = Rectangles(GRAPHBarMaster), rb = Rectangles(GRAPHBarSlave);
    ASSERT_EQ(ra.size(), 2u);  // peak, then the window: mode 1 has none on the SLAVE bar
    ASSERT_EQ(rb.size(), 1u);
    EXPECT_EQ((std::array<double, 4>{ra[0]->x1, ra[0]->x2, ra[0]->y1, ra[0]->y2}), (std::array<double, 4>{-7, 13, 0.25, 1.0}));
    EXPECT_EQ((std::array<double, 4>{ra[1]->x1, ra[1]->x2, ra[1]->y1, ra[1]->y2}), (std::array<double, 4>{900, 1050, 0, 0.35}));
    EXPECT_EQ((std::array<int, 2>{ra[0]->fillColor, ra[1]->fillColor}), (std::array<int, 2>{VAL_RED, VAL_GREEN}));
    EXPECT_EQ((Span{rb[0]->x1, rb[0]->x2}), (Span{4998, 5002}));
    // Mode 2 centres the windows on the clamped positions (0 becomes 1).
    parameter.evalmode = 2;
    live.Aval = 990;
    live.Bval = 0;
    PlotVIDEOBarGraph();
    const double h = ((1000 + 2000) - (990 + 1)) / 2;
    EXPECT_EQ((Span{Rectangles(GRAPHBarMaster)[1]->x1, Rectangles(GRAPHBarMaster)[1]->x2}),
              (Span{990 + h - 50, std::min(990 + h + 25, 4096.0)}));
}

TEST_F(LivePlots, DifferenceMarkerOfModesThreeAndFour) {
    const int cvp = 4096;
    const struct { uint16_t mode; int mvalue, storedBack; std::array<int, 2> styles; int markerGraph; double markerX; }
        cases[] = {
        {3, cvp + 10, cvp + 10, {VAL_DOTTED_SOLID_CIRCLE, VAL_NO_POINT}, GRAPHBarMaster, 10},
        {3, 2 * cvp + 7, 2 * cvp, {VAL_DOTTED_SOLID_CIRCLE, VAL_NO_POINT}, GRAPHBarMaster, cvp},
        {4, cvp - 30, cvp - 30, {VAL_NO_POINT, VAL_DOTTED_SOLID_CIRCLE}, GRAPHBarSlave, 30},
        {4, cvp, cvp, {VAL_NO_POINT, VAL_NO_POINT}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.mvalue);
        parameter.evalmode = c.mode;
        live.Mvalue = static_cast<uint16_t>(c.mvalue);
        Draw();
        EXPECT_EQ(live.Mvalue, c.storedBack);  // the strip chart gets the clamped value
        EXPECT_EQ(Newest()[1], c.storedBack);
        EXPECT_EQ((std::array<int, 2>{Bar(GRAPHBarMaster).cursors[1].pointStyle, Bar(GRAPHBarSlave).cursors[1].pointStyle}),
                  c.styles);
        if (c.markerGraph) EXPECT_EQ(Bar(c.markerGraph).cursors[1].x, c.markerX);
    }
    // Modes 0 to 2 leave the point styles as they are and keep Mvalue.
    SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_CROSS);
    parameter.evalmode = 1;
    live.Mvalue = 3 * cvp;
    PlotVIDEOBarGraph();
    EXPECT_EQ(Bar(GRAPHBarSlave).cursors[1].pointStyle, VAL_CROSS);
    EXPECT_EQ(live.Mvalue, 3 * cvp);
}

TEST_F(LivePlots, HistoryKeepsTheLatestHundredSamplesInTraceOrder) {
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    for (int i = 1; i <= 120; ++i) {
        live.Aval = static_cast<uint16_t>(i);
        live.Bval = static_cast<uint16_t>(1000 + i);
        live.Mvalue = static_cast<uint16_t>(2000 + i);
        Draw();
        if (i == 1)  // before 100 samples the older part of the window is zero
            EXPECT_TRUE(std::all_of(static_cast<const double*>(arrayNORM), Newest(), [](double v) { return v == 0.0; }));
    }
    // Set point, value, extra (= value in analogue mode 0), limits, MASTER, SLAVE.
    EXPECT_EQ((std::vector<double>(Newest(), Newest() + 7)), (std::vector<double>{1000, 2120, 2120, 1050, 900, 120, 1120}));
    EXPECT_EQ(arrayNORM[5], 21.0);  // the oldest kept sample is number 21
    EXPECT_EQ(Strip().pointsPerScreen, 101);  // one more than samples: the whole history is one window
    const auto slave = Strip().traces.at(6).values();  // the chart shows samples 21..120
    for (int k = 0; k < 100; ++k) EXPECT_EQ(slave.at(slave.size() - 100 + k), 1021 + k) << k;
    // The third trace follows the analogue mode; a minimum of YAXISMAX - 1
    // (none held yet) is drawn as 1.
    live.anaMax = 3000;
    const struct { uint16_t mode, anaMin; double want; } extra[] = {
        {1, 200, 3000}, {2, 200, 200}, {3, 200, 3000}, {4, 200, 200}, {2, 4095, 1}};
    for (const auto& c : extra) {
        parameter.anamode = c.mode;
        live.anaMin = c.anaMin;
        Draw();
        EXPECT_EQ(Newest()[2], c.want) << c.mode << " " << c.anaMin;
    }
}

// Zoom off: the full range, evaluated traces only. Raw view: only the
// positions, on the CCD line, whatever the zoom says.
TEST_F(LivePlots, EvaluatedAndRawViews) {
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    Draw();
    EXPECT_EQ(Axis(), (Span{0, 4096}));
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t < 5) << t;
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    SetCtrlVal(pHandle, SWITCHRawEval, 0);
    ccdvirtpixel = 2048;
    Draw();
    EXPECT_EQ(Axis(), (Span{0, 2048}));
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t >= 5) << t;
}

// A slide sets its threshold line in percent of the ADC and redraws its
// graph; a panel refresh draws both graphs from the record.
TEST_F(Panels, VideoCurvesAndTheirThresholdSlides) {
    auto expectCurves = [](int graph, const uint16_t* video, uint16_t level, double adcFull) {
        const GraphData& g = *TestGraph(pHandle, graph);
        ASSERT_EQ(g.plots.size(), 2u);  // the old curves are gone
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ((std::array<double, 4>{g.plots[0].x[i], g.plots[1].x[i], g.plots[0].y[i], g.plots[1].y[i]}),
                      (std::array<double, 4>{xArray128[i], xArray128[i], double(video[i]), double(level)})) << i;
        EXPECT_EQ((std::array<double, 3>{g.yAxis.min, g.yAxis.max, g.y2Axis.max}), (std::array<double, 3>{0, adcFull, adcFull}));
    };
    for (int i = 0; i < 128; ++i) {
        adcbufA[i] = static_cast<uint16_t>(i * 2);
        adcbufB[i] = static_cast<uint16_t>(255 - i);
        xArray128[i] = 32.0 * i;
    }
    parameter.videothdB = 75;
    SetPanelValues();
    expectCurves(GRAPHVideoSlave, adcbufB, 192, 256);
    InitGUI();  // the slides are usable once laid out
    ASSERT_EQ(TestDragSlide(pPara1, SLIDEVideoTHD_A, {20, 33}), 0);  // 84.48 truncated
    expectCurves(GRAPHVideoMaster, adcbufA, 84, 256);
    EXPECT_EQ(parameter.videothdA, 50);  // the slide changes the line, not the record
    ADCMAX = 1024;
    ASSERT_EQ(TestDragSlide(pPara2, SLIDEVideoTHD_B, {10, 100}), 0);
    expectCurves(GRAPHVideoSlave, adcbufB, 1024, 1024);
    EXPECT_EQ(thdArrayB[127], 1024);
    EXPECT_EQ(thdArrayB[128], 192);  // the slide fills the 128 drawn entries only
}

}  // namespace
