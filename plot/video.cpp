// Video curves.
#include "plot/video.h"

#include "engine/cvi.h"
#include "params/thresholds.h"
#include "params/vars.h"

namespace {

constexpr int kVideoPoints = 128;

void PlotCurves(int graph, const uint16_t* video, const uint16_t* threshold, const double* x) {
    DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    PlotXY(pHandle, graph, x, video, kVideoPoints, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, 1,
           VAL_RED);
    PlotXY(pHandle, graph, x, threshold, kVideoPoints, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, 1,
           VAL_DK_GREEN);
}

void SlideMoved(int panel, int control, uint16_t* thdArray) {
    unsigned short percent = 0;
    GetCtrlVal(panel, control, &percent);
    const uint16_t level = VideoThresholdLevel(percent, ADCMAX);
    for (int i = 0; i < MAXPOINT; ++i) thdArray[i] = level;
}

}  // namespace

void PlotVIDEOCurveA(const uint16_t* video, const uint16_t* threshold, const double* x) {
    SetAxisScalingMode(pHandle, GRAPHVideoMaster, VAL_RIGHT_YAXIS, VAL_MANUAL, 0.0, ADCMAX);
    SetAxisScalingMode(pHandle, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, ADCMAX);
    PlotCurves(GRAPHVideoMaster, video, threshold, x);
}

void PlotVIDEOCurveB(const uint16_t* video, const uint16_t* threshold, const double* x) {
    SetAxisScalingMode(pHandle, GRAPHVideoSlave, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, ADCMAX);
    SetAxisScalingMode(pHandle, GRAPHVideoSlave, VAL_RIGHT_YAXIS, VAL_MANUAL, 0.0, ADCMAX);
    PlotCurves(GRAPHVideoSlave, video, threshold, x);
}

int CC_SLIDEVideoTHD_A(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_VAL_CHANGED) return 0;
    SlideMoved(panel, control, thdArrayA);
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);
    return 0;
}

int CC_SLIDEVideoTHD_B(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_VAL_CHANGED) return 0;
    SlideMoved(panel, control, thdArrayB);
    PlotVIDEOCurveB(adcbufB, thdArrayB, xArray128);
    return 0;
}
