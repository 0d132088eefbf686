// Video curves and their threshold slides.
#include <gtest/gtest.h>

#include "plot/video.h"
#include "params/thresholds.h"
#include "support/program_fixture.h"

namespace {

using VideoCurves = ProgramTest;

void ExpectCurves(int graph, const uint16_t* video, uint16_t level, double adcFull) {
    const GraphData* g = TestGraph(pHandle, graph);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->plots.size(), 2u);  // the old curves are gone
    const GraphPlot& signal = g->plots[0];
    const GraphPlot& threshold = g->plots[1];
    for (const GraphPlot* p : {&signal, &threshold}) {
        EXPECT_EQ(p->kind, GraphPlot::Kind::Curve);
        ASSERT_EQ(p->x.size(), 128u);
        ASSERT_EQ(p->y.size(), 128u);
    }
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(signal.x[i], xArray128[i]) << i;
        ASSERT_EQ(threshold.x[i], xArray128[i]) << i;
        ASSERT_EQ(signal.y[i], video[i]) << i;
        ASSERT_EQ(threshold.y[i], level) << i;
    }
    EXPECT_EQ((std::array<double, 3>{g->yAxis.min, g->yAxis.max, g->y2Axis.max}),
              (std::array<double, 3>{0, adcFull, adcFull}));
    EXPECT_FALSE(g->yAxis.autoscale);
}

TEST_F(VideoCurves, SlideSetsThresholdInPercentOfTheAdcAndRedrawsItsGraph) {
    InitGUI();  // the slides are usable once laid out
    for (int i = 0; i < 128; ++i) {
        adcbufA[i] = static_cast<uint16_t>(i * 2);
        adcbufB[i] = static_cast<uint16_t>(255 - i);
        xArray128[i] = 32.0 * i;
    }
    ASSERT_EQ(TestDragSlide(pPara1, SLIDEVideoTHD_A, {20, 50}), 0);
    ExpectCurves(GRAPHVideoMaster, adcbufA, 128, 256);
    ASSERT_EQ(TestDragSlide(pPara1, SLIDEVideoTHD_A, {33}), 0);  // truncated: 84.48
    ExpectCurves(GRAPHVideoMaster, adcbufA, 84, 256);
    EXPECT_EQ(thdArrayA[127], 84);
    EXPECT_EQ(parameter.videothdA, 50);  // the slide changes the line, not the record

    ADCMAX = 1024;
    for (int percent : {0, 100}) {
        ASSERT_EQ(TestDragSlide(pPara2, SLIDEVideoTHD_B, {10, percent}), 0);
        ExpectCurves(GRAPHVideoSlave, adcbufB, static_cast<uint16_t>(percent * 1024 / 100), 1024);
    }
}

TEST_F(VideoCurves, PanelRefreshDrawsBothGraphsFromTheRecord) {
    parameter.videothdA = 25;
    parameter.videothdB = 75;
    SetPanelValues();
    ExpectCurves(GRAPHVideoMaster, adcbufA, 64, 256);
    ExpectCurves(GRAPHVideoSlave, adcbufB, 192, 256);
}

TEST(VideoLevel, NoSixteenBitOverflowOnTheWay) { EXPECT_EQ(VideoThresholdLevel(255, 1024), 2611); }

}  // namespace
