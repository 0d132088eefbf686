// Data curves. Both graphs share one place; drawing on one hides the other.
#include "plot/datacurves.h"

#include "engine/cvi.h"
#include "params/modes.h"
#include "params/vars.h"

namespace {

constexpr int kScans = 256;

void Curve(int graph, const double* x, const uint16_t* y, int plotStyle, int pointStyle, int lineStyle,
           int colour) {
    PlotXY(pHandle, graph, x, y, kScans, plotStyle, pointStyle, lineStyle, 1, colour);
}

void ShowOnly(int graph, double yMax) {
    const int other = graph == GRAPHDataRaw ? GRAPHDataNorm : GRAPHDataRaw;
    SetAxisScalingMode(pHandle, graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, yMax);
    SetCtrlAttribute(pHandle, other, ATTR_VISIBLE, 0);
    SetCtrlAttribute(pHandle, graph, ATTR_VISIBLE, 1);
    DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
}

}  // namespace

void PlotDATACurveRAW(const uint16_t* master, const uint16_t* slave, const double* x) {
    ShowOnly(GRAPHDataRaw, ccdvirtpixel);
    Curve(GRAPHDataRaw, x, master, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, VAL_DK_GREEN);
    Curve(GRAPHDataRaw, x, slave, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, VAL_BLUE);
}

void PlotDATACurveNORM(const uint16_t* evaluated, const double* x) {
    ShowOnly(GRAPHDataNorm, WideRangeMode(parameter.evalmode) ? 2.0 * ccdvirtpixel : ccdvirtpixel);
    // The limits first, so the measurement lies on top of them.
    Curve(GRAPHDataNorm, x, upTHD, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, VAL_DK_GREEN);
    Curve(GRAPHDataNorm, x, refTHD, VAL_THIN_LINE, VAL_EMPTY_SQUARE, VAL_DASH, VAL_BLACK);
    Curve(GRAPHDataNorm, x, loTHD, VAL_FAT_LINE, VAL_EMPTY_SQUARE, VAL_SOLID, VAL_DK_GREEN);
    Curve(GRAPHDataNorm, x, evaluated, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, VAL_RED);
}
