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
#include "params/live.h"
#include "support/program_fixture.h"

namespace {

using Span = std::array<double, 2>;

class LivePlots : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        std::fill(std::begin(arrayNORM), std::end(arrayNORM), 0.0);  // the suite shares one process
        ccdvirtpixel = YAXISMAX = 4096;
        // Mode 1 on MASTER teach 1000, band +50 / -100, MASTER scale 2.0.
        parameter.evalmode = 1;
        parameter.hwmode = parameter.anamode = 0;
        parameter.teachA = 1000;
        parameter.teachB = 2000;
        parameter.toleranceUP = 50;
        parameter.toleranceLO = 100;
        parameter.scaleA = 2048;
        live.Aval = live.Mvalue = 1000;
        live.Bval = 2000;
        live.umValue = 0;
        live.peakwA = live.peakwB = 20;
        live.edcntA = live.edcntB = 2;
    }
    static int Background(int ctrl) { return Attr(pHandle, ctrl, ATTR_TEXT_BGCOLOR); }
    static const StripData& Strip() { return *TestStrip(pHandle, STRIPRaw); }
    static Span Axis() { return {Strip().yAxis.min, Strip().yAxis.max}; }
    static const double* Newest() { return arrayNORM + STRIP_VALUES - STRIP_TRACES; }
    static void Draw() {
        PlotVIDEOBarGraph();
        PlotRAWGraph();
    }
};

// The -60876 µm live value: words 3 and 4 as one signed count.
TEST_F(LivePlots, LiveWordsSpreadOverTheLiveVariablesAndTheTeachValues) {
    const uint16_t words[16] = {11, 12, 13, 0x1234, 0xFFFF, 15, 16, 17, 18, 19, 20, 21, 1111, 2222, 23, 24};
    std::copy(std::begin(words), std::end(words), pp);
    CopyPPtoRAWVars();
    EXPECT_EQ(live.umValue, -60876);
    EXPECT_EQ((std::array<uint16_t, 12>{live.Aval, live.Bval, live.Mvalue, live.poti, live.edcntA, live.edcntB, live.peakwA, live.peakwB, live.anaMax, live.anaMin,
                                         live.raw15, live.instate}),
              (std::array<uint16_t, 12>{11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 23, 24}));
    PlotVIDEOBarGraph();
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMMeasMM), -60.876);
    EXPECT_EQ((std::array<int, 4>{parameter.teachA, parameter.teachB, Val(pPara1, NUMTeachA), Val(pPara2, NUMTeachB)}),
              (std::array<int, 4>{1111, 2222, 1111, 2222}));
}

TEST_F(LivePlots, ValuesOnEitherLimitAreInToleranceOnePastIsNot) {
    struct Case {
        uint16_t mode, hw, mvalue;
        int colour;
    };
    // Mode 1 around teachA 1000, mode 0 around teachB 2000, mode 3 around the
    // line length; hardware modes 1 and 3 take the potentiometer's 7 as the band.
    const Case cases[] = {
        {1, 0, 1050, VAL_DK_GREEN}, {1, 0, 1051, VAL_RED},      {1, 0, 900, VAL_DK_GREEN},
        {1, 0, 899, VAL_RED},       {0, 0, 2050, VAL_DK_GREEN}, {0, 0, 1899, VAL_RED},
        {1, 1, 1007, VAL_DK_GREEN}, {1, 1, 1008, VAL_RED},      {1, 3, 993, VAL_DK_GREEN},
        {1, 3, 992, VAL_RED},       {1, 2, 1050, VAL_DK_GREEN}, {3, 0, 4096 + 50, VAL_DK_GREEN},
        {3, 0, 4096 - 101, VAL_RED},
    };
    live.poti = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.hw << " " << c.mvalue);
        parameter.evalmode = c.mode;
        parameter.hwmode = c.hw;
        live.Mvalue = c.mvalue;
        PlotVIDEOBarGraph();
        EXPECT_EQ(Background(NUMMvalue), c.colour);
        EXPECT_EQ(Background(NUMMeasMM), c.colour);
    }
    // The band in millimetres uses the MASTER scale (2.0) in every mode.
    parameter.evalmode = parameter.hwmode = 0;
    PlotVIDEOBarGraph();
    EXPECT_EQ((Span{Real(pHandle, NUMTolUpMM), Real(pHandle, NUMTolLoMM)}), (Span{0.1, 0.2}));
    parameter.hwmode = 3;
    PlotVIDEOBarGraph();
    EXPECT_EQ((Span{Real(pHandle, NUMTolUpMM), Real(pHandle, NUMTolLoMM)}),
              (Span{7 * 2048 / 1024000.0, 7 * 2048 / 1024000.0}));
}

TEST_F(LivePlots, CombinedModeRaisesZeroTolerancesInTheRecord) {
    parameter.evalmode = 2;
    parameter.toleranceUP = parameter.toleranceLO = 0;
    parameter.teachB = 3000;
    live.Mvalue = 4192;
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
    live.Aval = 0;
    live.Bval = 5000;
    live.peakwA = 1;
    live.peakwB = 5;
    PlotVIDEOBarGraph();
    EXPECT_EQ((Span{Bar(GRAPHBarMaster).cursors[0].x, Bar(GRAPHBarSlave).cursors[0].x}), (Span{1, 4096}));
    EXPECT_EQ((Span{static_cast<double>(curposA), static_cast<double>(curposB)}), (Span{1, 4096}));
    const auto ra = Rectangles(GRAPHBarMaster);
    const auto rb = Rectangles(GRAPHBarSlave);
    ASSERT_GE(ra.size(), 1u);
    ASSERT_GE(rb.size(), 1u);
    EXPECT_EQ((std::array<double, 4>{ra[0]->x1, ra[0]->x2, ra[0]->y1, ra[0]->y2}),
              (std::array<double, 4>{0, 0, 0.25, 1.0}));  // width 1: h = 0
    EXPECT_EQ((Span{rb[0]->x1, rb[0]->x2}), (Span{4998, 5002}));
    EXPECT_EQ(ra[0]->fillColor, VAL_RED);
    live.Aval = 3;  // a peak at the start of the line reaches below 0
    live.peakwA = 20;
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
    live.Aval = 990;
    live.Bval = 0;  // cursor 1
    PlotVIDEOBarGraph();
    const auto wa = Rectangles(GRAPHBarMaster);
    ASSERT_EQ(wa.size(), 2u);
    const int32_t h = ((1000 + 2000) - (990 + 1)) / 2;
    EXPECT_EQ((Span{wa[1]->x1, wa[1]->x2}), (Span{990.0 + h - 50, std::min(990.0 + h + 25, 4096.0)}));
}

TEST_F(LivePlots, DifferenceMarkerOfModesThreeAndFour) {
    const int cvp = 4096;
    struct Case {
        uint16_t mode;
        int mvalue, storedBack;
        std::array<int, 2> styles;
        int markerGraph;
        double markerX;
    };
    const Case cases[] = {
        {3, cvp + 10, cvp + 10, {VAL_DOTTED_SOLID_CIRCLE, VAL_NO_POINT}, GRAPHBarMaster, 10},
        {3, 2 * cvp + 7, 2 * cvp, {VAL_DOTTED_SOLID_CIRCLE, VAL_NO_POINT}, GRAPHBarMaster, cvp},
        {4, cvp - 30, cvp - 30, {VAL_NO_POINT, VAL_DOTTED_SOLID_CIRCLE}, GRAPHBarSlave, 30},
        {4, cvp, cvp, {VAL_NO_POINT, VAL_NO_POINT}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.mvalue);
        parameter.evalmode = c.mode;
        live.Mvalue = static_cast<uint16_t>(c.mvalue);
        Draw();
        EXPECT_EQ(live.Mvalue, c.storedBack);  // the strip chart gets the clamped value
        EXPECT_EQ(Newest()[1], c.storedBack);
        EXPECT_EQ((std::array<int, 2>{Bar(GRAPHBarMaster).cursors[1].pointStyle,
                                      Bar(GRAPHBarSlave).cursors[1].pointStyle}),
                  c.styles);
        if (c.markerGraph) {
            EXPECT_EQ(Bar(c.markerGraph).cursors[1].x, c.markerX);
        }
    }
    // Modes 0 to 2 leave the point styles as they are and keep live.Mvalue.
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
        if (i == 1) {  // before 100 samples the older part of the window is zero
            EXPECT_TRUE(std::all_of(static_cast<const double*>(arrayNORM), Newest(), [](double v) { return v == 0.0; }));
        }
    }
    // Set point, value, extra (= value in analogue mode 0), upper and lower
    // limit, MASTER, SLAVE.
    EXPECT_EQ((std::vector<double>(Newest(), Newest() + 7)),
              (std::vector<double>{1000, 2120, 2120, 1050, 900, 120, 1120}));
    EXPECT_EQ(arrayNORM[5], 21.0);  // the oldest kept sample is number 21
    EXPECT_EQ(Strip().pointsPerScreen, 101);
    ASSERT_EQ(Strip().traces.size(), 7u);
    for (int t = 0; t < 7; ++t) {
        const auto v = Strip().traces[t].values();
        ASSERT_EQ(v.size(), 101u);
        for (int k = 0; k < 100; ++k) EXPECT_EQ(v[1 + k], arrayNORM[k * 7 + t]) << t << " " << k;
    }
}

TEST_F(LivePlots, ExtraTraceFollowsTheAnalogueMode) {
    live.anaMax = 3000;
    live.Mvalue = 1234;
    // YAXISMAX - 1 as the minimum: none held yet, drawn as 1.
    const struct {
        uint16_t mode, anaMin;
        double want;
    } cases[] = {{0, 200, 1234}, {1, 200, 3000}, {2, 200, 200}, {3, 200, 3000}, {4, 200, 200}, {2, 4095, 1}};
    for (const auto& c : cases) {
        parameter.anamode = c.mode;
        live.anaMin = c.anaMin;
        Draw();
        EXPECT_EQ(Newest()[2], c.want) << c.mode << " " << c.anaMin;
    }
}

TEST_F(LivePlots, ViewsAndZoomWindow) {
    struct Case {
        uint16_t teach, up, lo, mvalue;
        double low, high;
    };
    const Case cases[] = {
        {1000, 10, 10, 1005, 980, 1020}, {1000, 10, 10, 1100, 980, 1140}, {1000, 10, 10, 900, 860, 1020},
        {1000, 30, 25, 1000, 950, 1060}, {1000, 30, 25, 800, 700, 1060},  {1000, 30, 25, 1200, 950, 1300},
        {1000, 30, 10, 1000, 980, 1020},  // one side under 20 takes the narrow window
        {10, 4090, 2000, 10, 1, 4095},    // clamped to 1 .. YAXISMAX - 1
    };
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    for (const Case& c : cases) {
        parameter.teachA = c.teach;
        parameter.toleranceUP = c.up;
        parameter.toleranceLO = c.lo;
        live.Mvalue = c.mvalue;
        Draw();
        EXPECT_EQ(Axis(), (Span{c.low, c.high})) << c.up << "/" << c.lo << " " << c.mvalue;
    }
    EXPECT_EQ(Newest()[3], 4095.0);  // the limit lines are clamped with it
    parameter.toleranceLO = 10;
    Draw();
    EXPECT_EQ(Newest()[4], 1.0);  // lower limit exactly 0

    // Zoom off: the full range, evaluated traces only.
    SetCtrlVal(pHandle, TOGBTN_Zoom, 0);
    Draw();
    EXPECT_EQ(Axis(), (Span{0, 4096}));
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t < 5) << t;
    // Raw view: only the positions, on the CCD line, whatever the zoom says.
    SetCtrlVal(pHandle, TOGBTN_Zoom, 1);
    SetCtrlVal(pHandle, SWITCHRawEval, 0);
    ccdvirtpixel = 2048;
    Draw();
    EXPECT_EQ(Axis(), (Span{0, 2048}));
    for (int t = 0; t < 7; ++t) EXPECT_EQ(Strip().traces[t].visible, t >= 5) << t;
}

TEST(LiveArrays, ShiftMovesFillsAndRefusesBadSizes) {
    using V = std::vector<double>;
    const V a{1, 2, 3, 4, 5};
    const struct {
        int by;
        bool inPlace;
        V want;
    } cases[] = {{-2, false, {3, 4, 5, 0, 0}}, {2, false, {0, 0, 1, 2, 3}}, {0, false, a},
                 {-1, true, {2, 3, 4, 5, 0}},  {3, true, {0, 0, 0, 1, 2}}};
    for (const auto& c : cases) {
        V in = a, out(5, -1);
        EXPECT_EQ(Shift(in.data(), 5, c.by, c.inPlace ? in.data() : out.data()), ARRAY_OK) << c.by;
        EXPECT_EQ(c.inPlace ? in : out, c.want) << c.by;
    }
    // Errors leave the output alone.
    V keep(5, 7);
    for (int by : {5, -5, INT32_MIN}) EXPECT_EQ(Shift(a.data(), 5, by, keep.data()), ARRAY_SHIFT_ERR) << by;
    EXPECT_EQ(Shift(a.data(), 0, 0, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(Copy1D(a.data(), -1, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(keep, V(5, 7));
}

}  // namespace
