// The live displays driven directly from the live variables: bar graphs,
// tolerance colouring, difference marker, strip chart history, views and
// zoom, and the array helpers behind the history.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "acquire/live.h"
#include "plot/arrays.h"
#include "plot/bargraph.h"
#include "plot/stripchart.h"
#include "support/program_fixture.h"

namespace {

class LivePlots : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A fresh program's history; the suite shares one process.
        std::fill(std::begin(arrayNORM), std::end(arrayNORM), 0.0);
        ccdvirtpixel = 4096;
        YAXISMAX = 4096;
        parameter.evalmode = 1;
        parameter.hwmode = 0;
        parameter.anamode = 0;
        parameter.teachA = 1000;
        parameter.teachB = 2000;
        parameter.toleranceUP = 50;
        parameter.toleranceLO = 100;
        parameter.scaleA = 2048;
        Aval = 1000;
        Bval = 2000;
        Mvalue = 1000;
        umValue = 0;
        peakwA = peakwB = 20;
        edcntA = edcntB = 2;
    }

    static int Background(int ctrl) { return Attr(pHandle, ctrl, ATTR_TEXT_BGCOLOR); }
    static const GraphData& Bar(int graph) { return *TestGraph(pHandle, graph); }
    static std::vector<const GraphPlot*> Rectangles(int graph) {
        std::vector<const GraphPlot*> r;
        for (const auto& p : Bar(graph).plots)
            if (p.kind == GraphPlot::Kind::Rectangle) r.push_back(&p);
        return r;
    }
    static const StripData& Strip() { return *TestStrip(pHandle, STRIPRaw); }
    static void Draw() {
        PlotVIDEOBarGraph();
        PlotRAWGraph();
    }
};

TEST_F(LivePlots, LiveWordsSpreadOverTheLiveVariablesAndTheTeachValues) {
    const uint16_t words[16] = {11, 12, 13, 0x1234, 0xFFFF, 15, 16, 17, 18, 19, 20, 21, 1111, 2222, 23, 24};
    std::copy(std::begin(words), std::end(words), pp);
    CopyPPtoRAWVars();
    EXPECT_EQ(umValue, -60876);
    EXPECT_EQ((std::array<uint16_t, 13>{Aval, Bval, Mvalue, poti, edcntA, edcntB, peakwA, peakwB,
                                         anaMax, anaMin, raw15, instate, 0}),
              (std::array<uint16_t, 13>{11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 23, 24, 0}));
    EXPECT_EQ(parameter.teachA, 1111);
    EXPECT_EQ(parameter.teachB, 2222);
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -60.876);
    EXPECT_EQ(Val(pPara1, NUMTeachA), 1111);
    EXPECT_EQ(Val(pPara2, NUMTeachB), 2222);
}

TEST_F(LivePlots, ValuesOnEitherLimitAreInToleranceOnePastIsNot) {
    struct Case {
        uint16_t mode, hw, mvalue;
        int colour;
    };
    // Mode 1: set point teachA 1000, band +50 / -100. Mode 0: teachB 2000.
    // Hardware mode 1: the potentiometer's 7 on both sides.
    const Case cases[] = {
        {1, 0, 1050, VAL_DK_GREEN}, {1, 0, 1051, VAL_RED},   {1, 0, 900, VAL_DK_GREEN},
        {1, 0, 899, VAL_RED},       {0, 0, 2050, VAL_DK_GREEN}, {0, 0, 1899, VAL_RED},
        {1, 1, 1007, VAL_DK_GREEN}, {1, 1, 1008, VAL_RED},   {1, 3, 993, VAL_DK_GREEN},
        {1, 3, 992, VAL_RED},       {1, 2, 1050, VAL_DK_GREEN}, {3, 0, 4096 + 50, VAL_DK_GREEN},
        {3, 0, 4096 - 101, VAL_RED},
    };
    poti = 7;
    for (const Case& c : cases) {
        parameter.evalmode = c.mode;
        parameter.hwmode = c.hw;
        Mvalue = c.mvalue;
        PlotVIDEOBarGraph();
        EXPECT_EQ(Background(NUMMvalue), c.colour) << c.mode << "/" << c.hw << " " << c.mvalue;
        EXPECT_EQ(Background(NUMMeasMM), c.colour) << c.mode << "/" << c.hw << " " << c.mvalue;
    }
    // The band in millimetres uses the MASTER scale (2.0) in every mode.
    parameter.evalmode = 0;
    parameter.hwmode = 0;
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), 0.1);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolLoMM), 0.2);
    parameter.hwmode = 3;
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), Real(pHandle, NUMTolLoMM));
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), 7 * 2048 / 1024000.0);
}

TEST_F(LivePlots, CombinedModeRaisesZeroTolerancesInTheRecord) {
    parameter.evalmode = 2;
    parameter.toleranceUP = 0;
    parameter.toleranceLO = 0;
    parameter.teachA = 1000;
    parameter.teachB = 3000;
    Mvalue = 4192;
    PlotVIDEOBarGraph();
    EXPECT_EQ(tVal, 2 * 4096 - 4000);
    EXPECT_EQ(parameter.toleranceUP, 1);
    EXPECT_EQ(parameter.toleranceLO, 1);
    EXPECT_EQ(Background(NUMMvalue), VAL_DK_GREEN);
    // Other modes leave a zero alone, and an unknown mode keeps the set point.
    parameter.evalmode = 1;
    parameter.toleranceUP = 0;
    PlotVIDEOBarGraph();
    EXPECT_EQ(parameter.toleranceUP, 0);
    parameter.evalmode = 9;
    PlotVIDEOBarGraph();
    EXPECT_EQ(tVal, 1000);
}

TEST_F(LivePlots, CursorsAreClampedWhilePeaksSurroundTheRawPositions) {
    Aval = 0;
    Bval = 5000;
    peakwA = 1;
    peakwB = 5;
    PlotVIDEOBarGraph();
    const GraphData& m = Bar(GRAPHBarMaster);
    const GraphData& s = Bar(GRAPHBarSlave);
    EXPECT_EQ(m.cursors[0].x, 1.0);
    EXPECT_EQ(m.cursors[0].y, 0.75);
    EXPECT_EQ(s.cursors[0].x, 4096.0);
    EXPECT_EQ(curposA, 1);
    EXPECT_EQ(curposB, 4096);
    EXPECT_EQ(m.xAxis.min, 0.0);
    EXPECT_EQ(m.xAxis.max, 4096.0);
    const auto ra = Rectangles(GRAPHBarMaster);
    const auto rb = Rectangles(GRAPHBarSlave);
    ASSERT_GE(ra.size(), 1u);
    ASSERT_GE(rb.size(), 1u);
    EXPECT_EQ((std::array<double, 4>{ra[0]->x1, ra[0]->x2, ra[0]->y1, ra[0]->y2}),
              (std::array<double, 4>{0, 0, 0.25, 1.0}));  // width 1: h = 0
    EXPECT_EQ((std::array<double, 2>{rb[0]->x1, rb[0]->x2}), (std::array<double, 2>{4998, 5002}));
    EXPECT_EQ(ra[0]->fillColor, VAL_RED);
    EXPECT_EQ(ra[0]->frameColor, VAL_RED);
    // A peak at the start of the line reaches below 0.
    Aval = 3;
    peakwA = 20;
    PlotVIDEOBarGraph();
    EXPECT_EQ(Rectangles(GRAPHBarMaster)[0]->x1, -7.0);
}

TEST_F(LivePlots, EachFrameReplacesThePlotsAndEndsWithTheToleranceWindow) {
    for (int i = 0; i < 3; ++i) PlotVIDEOBarGraph();
    // Mode 1: peak and window on the MASTER bar, only the peak on the SLAVE bar.
    const auto ra = Rectangles(GRAPHBarMaster);
    ASSERT_EQ(ra.size(), 2u);
    EXPECT_EQ(ra[1]->fillColor, VAL_GREEN);
    EXPECT_EQ((std::array<double, 4>{ra[1]->x1, ra[1]->x2, ra[1]->y1, ra[1]->y2}),
              (std::array<double, 4>{900, 1050, 0.0, 0.35}));
    EXPECT_EQ(Rectangles(GRAPHBarSlave).size(), 1u);
    // Mode 2 centres the windows on the clamped positions.
    parameter.evalmode = 2;
    Aval = 990;
    Bval = 0;  // cursor 1
    PlotVIDEOBarGraph();
    const auto wa = Rectangles(GRAPHBarMaster);
    ASSERT_EQ(wa.size(), 2u);
    const int32_t h = ((1000 + 2000) - (990 + 1)) / 2;
    EXPECT_EQ(wa[1]->x1, 990 + h - 50);
    EXPECT_EQ(wa[1]->x2, std::min(990 + h + 25, 4096));
}

TEST_F(LivePlots, DifferenceMarkerOfModesThreeAndFour) {
    const int cvp = 4096;
    auto styles = [&] {
        return std::array<int, 2>{Bar(GRAPHBarMaster).cursors[1].pointStyle,
                                  Bar(GRAPHBarSlave).cursors[1].pointStyle};
    };
    parameter.evalmode = 3;
    Mvalue = cvp + 10;
    PlotVIDEOBarGraph();
    EXPECT_EQ(styles(), (std::array<int, 2>{VAL_DOTTED_SOLID_CIRCLE, VAL_NO_POINT}));
    EXPECT_EQ(Bar(GRAPHBarMaster).cursors[1].x, 10.0);

    Mvalue = 2 * cvp + 7;
    PlotVIDEOBarGraph();
    EXPECT_EQ(Mvalue, 2 * cvp);  // stored back for the strip chart
    EXPECT_EQ(Bar(GRAPHBarMaster).cursors[1].x, cvp);
    PlotRAWGraph();
    EXPECT_EQ(arrayNORM[STRIP_VALUES - STRIP_TRACES + 1], 2.0 * cvp);

    parameter.evalmode = 4;
    Mvalue = cvp - 30;
    PlotVIDEOBarGraph();
    EXPECT_EQ(styles(), (std::array<int, 2>{VAL_NO_POINT, VAL_DOTTED_SOLID_CIRCLE}));
    EXPECT_EQ(Bar(GRAPHBarSlave).cursors[1].x, 30.0);

    Mvalue = cvp;
    PlotVIDEOBarGraph();
    EXPECT_EQ(styles(), (std::array<int, 2>{VAL_NO_POINT, VAL_NO_POINT}));

    // Modes 0 to 2 leave the point styles as they are and keep Mvalue.
    SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_CROSS);
    parameter.evalmode = 1;
    Mvalue = 3 * cvp;
    PlotVIDEOBarGraph();
    EXPECT_EQ(styles(), (std::array<int, 2>{VAL_NO_POINT, VAL_CROSS}));
    EXPECT_EQ(Mvalue, 3 * cvp);
}

TEST_F(LivePlots, HistoryKeepsTheLatestHundredSamplesInTraceOrder) {
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    for (int i = 1; i <= 120; ++i) {
        Aval = static_cast<uint16_t>(i);
        Bval = static_cast<uint16_t>(1000 + i);
        Mvalue = static_cast<uint16_t>(2000 + i);
        Draw();
        if (i == 1) {
            // Before 100 samples the older part of the window is zero.
            EXPECT_TRUE(std::all_of(arrayNORM, arrayNORM + STRIP_VALUES - STRIP_TRACES,
                                    [](double v) { return v == 0.0; }));
        }
    }
    // Newest sample: set point, value, extra (= value in analogue mode 0),
    // upper and lower limit, MASTER, SLAVE.
    const double* last = arrayNORM + STRIP_VALUES - STRIP_TRACES;
    EXPECT_EQ((std::vector<double>(last, last + 7)),
              (std::vector<double>{1000, 2120, 2120, 1050, 900, 120, 1120}));
    EXPECT_EQ(arrayNORM[5], 21.0);  // the oldest kept sample is number 21
    const StripData& s = Strip();
    EXPECT_EQ(s.pointsPerScreen, 101);
    ASSERT_EQ(s.traces.size(), 7u);
    const int colours[] = {VAL_BLACK, VAL_RED, VAL_RED, VAL_DK_GREEN, VAL_DK_GREEN, VAL_DK_GREEN, VAL_BLUE};
    for (int t = 0; t < 7; ++t) {
        EXPECT_EQ(s.traces[t].color, colours[t]) << t;
        const auto v = s.traces[t].values();
        ASSERT_EQ(v.size(), 101u);
        // The screen ends with the whole history of this trace.
        for (int k = 0; k < 100; ++k) EXPECT_EQ(v[1 + k], arrayNORM[k * 7 + t]) << t << " " << k;
    }
}

TEST_F(LivePlots, ExtraTraceFollowsTheAnalogueMode) {
    anaMax = 3000;
    anaMin = 200;
    Mvalue = 1234;
    const double* extra = arrayNORM + STRIP_VALUES - STRIP_TRACES + 2;
    const std::pair<uint16_t, double> cases[] = {{0, 1234}, {1, 3000}, {2, 200}, {3, 3000}, {4, 200}};
    for (const auto& [mode, want] : cases) {
        parameter.anamode = mode;
        Draw();
        EXPECT_EQ(*extra, want) << mode;
    }
    anaMin = static_cast<uint16_t>(YAXISMAX - 1);  // no minimum held yet
    parameter.anamode = 2;
    Draw();
    EXPECT_EQ(*extra, 1.0);
}

TEST_F(LivePlots, ViewsAndZoomWindow) {
    struct Case {
        uint16_t up, lo, mvalue;
        double low, high;
    };
    // tVal 1000 (mode 1, teachA).
    const Case cases[] = {
        {10, 10, 1005, 980, 1020}, {10, 10, 1100, 980, 1140}, {10, 10, 900, 860, 1020},
        {30, 25, 1000, 950, 1060}, {30, 25, 800, 700, 1060}, {30, 25, 1200, 950, 1300},
        {30, 10, 1000, 980, 1020},  // one side under 20 takes the narrow window
    };
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    for (const Case& c : cases) {
        parameter.toleranceUP = c.up;
        parameter.toleranceLO = c.lo;
        Mvalue = c.mvalue;
        Draw();
        EXPECT_EQ(Strip().yAxis.min, c.low) << c.up << "/" << c.lo << " " << c.mvalue;
        EXPECT_EQ(Strip().yAxis.max, c.high) << c.up << "/" << c.lo << " " << c.mvalue;
    }
    // Clamped to 1 .. YAXISMAX - 1, and the limit lines with them.
    parameter.teachA = 10;
    Mvalue = 10;
    parameter.toleranceUP = 4090;
    parameter.toleranceLO = 2000;
    Draw();
    EXPECT_EQ(Strip().yAxis.min, 1.0);
    EXPECT_EQ(Strip().yAxis.max, 4095.0);
    const double* last = arrayNORM + STRIP_VALUES - STRIP_TRACES;
    EXPECT_EQ(last[3], 4095.0);
    parameter.toleranceLO = 10;
    Draw();
    EXPECT_EQ(last[4], 1.0);  // lower limit exactly 0

    // Zoom off: the full range; evaluated traces only.
    SetCtrlVal(pHandle, TOGBTN_Zoom, 0);
    Draw();
    EXPECT_EQ(Strip().yAxis.min, 0.0);
    EXPECT_EQ(Strip().yAxis.max, 4096.0);
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t < 5) << t;

    // Raw view: only the positions, on the CCD line, whatever the zoom says.
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    SetCtrlVal(pHandle, SWITCHRawEval, 0);
    ccdvirtpixel = 2048;
    Draw();
    EXPECT_EQ(Strip().yAxis.min, 0.0);
    EXPECT_EQ(Strip().yAxis.max, 2048.0);
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t >= 5) << t;
}

TEST(LiveArrays, ShiftMovesFillsAndRefusesBadSizes) {
    std::vector<double> a{1, 2, 3, 4, 5};
    std::vector<double> out(5, -1);
    EXPECT_EQ(Shift(a.data(), 5, -2, out.data()), ARRAY_OK);
    EXPECT_EQ(out, (std::vector<double>{3, 4, 5, 0, 0}));
    EXPECT_EQ(Shift(a.data(), 5, 2, out.data()), ARRAY_OK);
    EXPECT_EQ(out, (std::vector<double>{0, 0, 1, 2, 3}));
    EXPECT_EQ(Shift(a.data(), 5, 0, out.data()), ARRAY_OK);
    EXPECT_EQ(out, a);
    // In place, both ways.
    std::vector<double> b = a;
    EXPECT_EQ(Shift(b.data(), 5, -1, b.data()), ARRAY_OK);
    EXPECT_EQ(b, (std::vector<double>{2, 3, 4, 5, 0}));
    EXPECT_EQ(Shift(b.data(), 5, 3, b.data()), ARRAY_OK);
    EXPECT_EQ(b, (std::vector<double>{0, 0, 0, 2, 3}));
    // Errors leave the output alone.
    std::vector<double> keep(5, 7);
    EXPECT_EQ(Shift(a.data(), 5, 5, keep.data()), ARRAY_SHIFT_ERR);
    EXPECT_EQ(Shift(a.data(), 5, -5, keep.data()), ARRAY_SHIFT_ERR);
    EXPECT_EQ(Shift(a.data(), 5, INT32_MIN, keep.data()), ARRAY_SHIFT_ERR);
    EXPECT_EQ(Shift(a.data(), 0, 0, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(Copy1D(a.data(), -1, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(keep, std::vector<double>(5, 7));
}

}  // namespace
