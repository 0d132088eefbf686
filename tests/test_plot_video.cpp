// Video curves and their threshold slides.
#include <gtest/gtest.h>

#include "plot/video.h"
#include "support/program_fixture.h"

namespace {

class VideoCurves : public ProgramTest {};

void ExpectCurves(int graph, const uint16_t* video, uint16_t level, double adcFull) {
    const GraphData* g = TestGraph(pHandle, graph);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->plots.size(), 2u);  // the old curves are gone
    const GraphPlot& signal = g->plots[0];
    const GraphPlot& threshold = g->plots[1];
    for (const GraphPlot* p : {&signal, &threshold}) {
        EXPECT_EQ(p->kind, GraphPlot::Kind::Curve);
        EXPECT_EQ(p->plotStyle, VAL_FAT_LINE);
        EXPECT_EQ(p->pointStyle, VAL_SIMPLE_DOT);
        EXPECT_EQ(p->lineStyle, VAL_SOLID);
        ASSERT_EQ(p->x.size(), 128u);
        ASSERT_EQ(p->y.size(), 128u);
        for (int i = 0; i < 128; ++i) ASSERT_EQ(p->x[i], xArray128[i]);
    }
    EXPECT_EQ(signal.color, 0xFF0000);
    EXPECT_EQ(threshold.color, 0x008000);
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(signal.y[i], video[i]) << i;
        ASSERT_EQ(threshold.y[i], level) << i;
    }
    EXPECT_EQ(g->yAxis.min, 0.0);
    EXPECT_EQ(g->yAxis.max, adcFull);
    EXPECT_EQ(g->y2Axis.max, adcFull);
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
    ASSERT_EQ(TestDragSlide(pPara1, SLIDEVideoTHD_A, {33}), 0);
    ExpectCurves(GRAPHVideoMaster, adcbufA, 84, 256);
    EXPECT_EQ(thdArrayA[127], 84);
    // The slide changes the line, not the record.
    EXPECT_EQ(parameter.videothdA, 50);

    ADCMAX = 1024;
    ASSERT_EQ(TestDragSlide(pPara2, SLIDEVideoTHD_B, {10, 50}), 0);
    ExpectCurves(GRAPHVideoSlave, adcbufB, 512, 1024);
    ASSERT_EQ(TestDragSlide(pPara2, SLIDEVideoTHD_B, {0}), 0);
    ExpectCurves(GRAPHVideoSlave, adcbufB, 0, 1024);
    ASSERT_EQ(TestDragSlide(pPara2, SLIDEVideoTHD_B, {100}), 0);
    ExpectCurves(GRAPHVideoSlave, adcbufB, 1024, 1024);
}

TEST_F(VideoCurves, PanelRefreshDrawsBothGraphsFromTheRecord) {
    parameter.videothdA = 25;
    parameter.videothdB = 75;
    SetPanelValues();
    ExpectCurves(GRAPHVideoMaster, adcbufA, 64, 256);
    ExpectCurves(GRAPHVideoSlave, adcbufB, 192, 256);
}

TEST(VideoLevel, TruncatesTowardZero) {
    EXPECT_EQ(VideoThresholdLevel(50, 256), 128);
    EXPECT_EQ(VideoThresholdLevel(33, 256), 84);
    EXPECT_EQ(VideoThresholdLevel(50, 1024), 512);
    EXPECT_EQ(VideoThresholdLevel(255, 1024), 2611);  // no 16-bit overflow on the way
}

}  // namespace
