// The live bar graphs.
#include "plot/bargraph.h"

#include "engine/cvi.h"
#include "params/live.h"
#include "params/modes.h"
#include "params/units.h"
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
    SetCtrlVal(pHandle, NUMBval, live.Bval);
    SetCtrlVal(pHandle, NUMAval, live.Aval);
    SetCtrlVal(pHandle, NUMMvalue, live.Mvalue);
    SetCtrlVal(pPara1, NUMTeachA, parameter.teachA);
    SetCtrlVal(pPara2, NUMTeachB, parameter.teachB);
    SetCtrlVal(pHandle, NUMAnaMax, live.anaMax);
    SetCtrlVal(pHandle, NUMAnaMin, live.anaMin);
}

void ShowToleranceState() {
    const LiveLimits lim = LiveToleranceLimits();
    const bool inside = lim.lower <= live.Mvalue && live.Mvalue <= lim.upper;
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
    if (live.Mvalue > cvp) {
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE,
                           VAL_DOTTED_SOLID_CIRCLE);
        // Stored back: the strip chart that follows plots the clamped value.
        if (live.Mvalue > 2 * cvp - 1) live.Mvalue = static_cast<uint16_t>(2 * cvp);
        SetGraphCursor(pHandle, GRAPHBarMaster, 2, live.Mvalue - cvp, kCursorHeight);
    } else if (live.Mvalue < cvp) {
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE,
                           VAL_DOTTED_SOLID_CIRCLE);
        SetGraphCursor(pHandle, GRAPHBarSlave, 2, cvp - live.Mvalue, kCursorHeight);
    } else {
        SetCursorAttribute(pHandle, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
    }
}

}  // namespace

void SetLiveSetPointAndBand() {
    ParameterRecord& r = parameter;
    // Kept to 16 bits; a mode outside 0..4 leaves tVal as it was.
    int32_t setPoint = tVal;
    SetPointForMode(r.evalmode, r.teachA, r.teachB, ccdvirtpixel, &setPoint);
    tVal = static_cast<uint16_t>(setPoint);
    if (r.evalmode == EVAL_COMBINED) {
        // The band of the combined value must not be empty; the record
        // itself is raised, so that the next send carries 1.
        if (r.toleranceUP == 0) r.toleranceUP = 1;
        if (r.toleranceLO == 0) r.toleranceLO = 1;
    }
    if (BandFromEditors(r.hwmode)) {
        tolup = r.toleranceUP;
        tollo = r.toleranceLO;
    } else {
        tolup = tollo = live.poti;  // set on the sensor's potentiometer
    }
}

LiveLimits LiveToleranceLimits() {
    // Computed wide: in 16 bits a band below 0 would wrap to the top and no
    // value would ever be in tolerance.
    const auto clamped = [](int32_t v) { return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v); };
    return {clamped(int32_t{tVal} + tolup), clamped(int32_t{tVal} - tollo)};
}

void PlotVIDEOBarGraph() {
    ShowIndicators();
    SetLiveSetPointAndBand();
    ShowToleranceState();
    SetCtrlVal(pHandle, NUMMeasMM, live.umValue / 1000.0);
    // The MASTER scale in every evaluation mode.
    SetCtrlVal(pHandle, NUMTolUpMM, ToleranceMM(parameter.scaleA, tolup));
    SetCtrlVal(pHandle, NUMTolLoMM, ToleranceMM(parameter.scaleA, tollo));

    curposA = ClampedCursor(live.Aval);
    curposB = ClampedCursor(live.Bval);

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
    PeakRectangle(GRAPHBarMaster, live.Aval, live.peakwA);
    PeakRectangle(GRAPHBarSlave, live.Bval, live.peakwB);

    if (parameter.evalmode == EVAL_DEVIATION || parameter.evalmode == EVAL_DEVIATION_TEACH)
        DifferenceMarker();

    PlotTOLWindow(parameter.evalmode, curposA, curposB);
}
