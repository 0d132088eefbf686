// The live bar graphs.
#include "plot/bargraph.h"

#include "engine/cvi.h"
#include "params/vars.h"
#include "plot/tolwindow.h"

namespace {

// Everything on the bars is drawn between these heights.
constexpr double kBarBottom = 0.25;
constexpr double kBarTop = 1.0;
constexpr double kCursorHeight = 0.75;

uint16_t ClampedCursor(uint16_t position) {
    uint16_t c = position < 1 ? uint16_t{1} : position;
    if (c > ccdvirtpixel) c = ccdvirtpixel;
    return c;
}

void ShowIndicators() {
    SetCtrlVal(pHandle, NUMBval, Bval);
    SetCtrlVal(pHandle, NUMAval, Aval);
    SetCtrlVal(pHandle, NUMMvalue, Mvalue);
    SetCtrlVal(pPara1, NUMTeachA, parameter.teachA);
    SetCtrlVal(pPara2, NUMTeachB, parameter.teachB);
    SetCtrlVal(pHandle, NUMAnaMax, anaMax);
    SetCtrlVal(pHandle, NUMAnaMin, anaMin);
}

void ShowToleranceState() {
    const LiveLimits lim = LiveToleranceLimits();
    const bool inside = lim.lower <= Mvalue && Mvalue <= lim.upper;
    const int colour = inside ? VAL_DK_GREEN : VAL_RED;
    SetCtrlAttribute(pHandle, NUMMeasMM, ATTR_TEXT_BGCOLOR, colour);
    SetCtrlAttribute(pHandle, NUMMvalue, ATTR_TEXT_BGCOLOR, colour);
}

void PeakRectangle(int graph, uint16_t position, uint16_t width) {
    // Signed: a peak at the start of the line reaches below 0.
    const int32_t h = width / 2;
    const int32_t centre = position;
    PlotRectangle(pHandle, graph, centre - h, kBarBottom, centre + h, kBarTop, VAL_RED, VAL_RED);
}

// Modes 3 and 4 show how far Mvalue lies from the line length: above it on
// the MASTER bar, below it on the SLAVE bar.
void DifferenceMarker() {
    const int32_t cvp = ccdvirtpixel;
    if (Mvalue > cvp) {
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE,
                           VAL_DOTTED_SOLID_CIRCLE);
        // Stored back: the strip chart that follows plots the clamped value.
        if (Mvalue > 2 * cvp - 1) Mvalue = static_cast<uint16_t>(2 * cvp);
        SetGraphCursor(pHandle, GRAPHBarMaster, 2, Mvalue - cvp, kCursorHeight);
    } else if (Mvalue < cvp) {
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE,
                           VAL_DOTTED_SOLID_CIRCLE);
        SetGraphCursor(pHandle, GRAPHBarSlave, 2, cvp - Mvalue, kCursorHeight);
    } else {
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
    }
}

}  // namespace

void SetLiveSetPointAndBand() {
    ParameterRecord& r = parameter;
    switch (r.evalmode) {
        case 0: tVal = r.teachB; break;
        case 1: tVal = r.teachA; break;
        case 2:
            tVal = static_cast<uint16_t>(2 * ccdvirtpixel - (r.teachA + r.teachB));
            // The band of the combined value must not be empty; the record
            // itself is raised, so that the next send carries 1.
            if (r.toleranceUP == 0) r.toleranceUP = 1;
            if (r.toleranceLO == 0) r.toleranceLO = 1;
            break;
        case 3:
        case 4: tVal = ccdvirtpixel; break;
        default: break;  // tVal keeps its previous value
    }
    if (r.hwmode == 0 || r.hwmode == 2) {
        tolup = r.toleranceUP;
        tollo = r.toleranceLO;
    } else {
        // The band comes from the sensor's potentiometer.
        tolup = tollo = poti;
    }
}

LiveLimits LiveToleranceLimits() {
    return {static_cast<uint16_t>(tVal + tolup), static_cast<uint16_t>(tVal - tollo)};
}

void PlotVIDEOBarGraph() {
    ShowIndicators();
    SetLiveSetPointAndBand();
    ShowToleranceState();
    SetCtrlVal(pHandle, NUMMeasMM, umValue / 1000.0);
    const double scale = parameter.scaleA;
    SetCtrlVal(pHandle, NUMTolUpMM, scale * tolup / 1024000.0);
    SetCtrlVal(pHandle, NUMTolLoMM, scale * tollo / 1024000.0);

    curposA = ClampedCursor(Aval);
    curposB = ClampedCursor(Bval);

    for (int graph : {GRAPHBarMaster, GRAPHBarSlave})
        SetAxisScalingMode(pHandle, graph, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);
    for (int graph : {GRAPHBarMaster, GRAPHBarSlave})
        DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);

    SetGraphCursor(pHandle, GRAPHBarMaster, 1, curposA, kCursorHeight);
    SetGraphCursor(pHandle, GRAPHBarSlave, 1, curposB, kCursorHeight);
    SetGraphCursor(pHandle, GRAPHBarMaster, 2, curposA, kCursorHeight);
    SetGraphCursor(pHandle, GRAPHBarSlave, 2, curposB, kCursorHeight);

    // Around the unclamped positions: a line off the CCD shows as a peak
    // half outside the bar.
    PeakRectangle(GRAPHBarMaster, Aval, peakwA);
    PeakRectangle(GRAPHBarSlave, Bval, peakwB);

    if (parameter.evalmode == 3 || parameter.evalmode == 4) DifferenceMarker();

    PlotTOLWindow(parameter.evalmode, curposA, curposB);
}
