// The live strip chart.
#include "plot/stripchart.h"

#include <cstdint>

#include "engine/cvi.h"
#include "params/live.h"
#include "params/modes.h"
#include "params/vars.h"
#include "plot/arrays.h"
#include "plot/bargraph.h"

namespace {

static_assert(STRIP_VALUES == sizeof arrayNORM / sizeof arrayNORM[0]);

// One more point than samples: each call appends the whole history, so the
// screen holds exactly the latest 100 samples as one moving window.
constexpr int kPointsPerScreen = STRIP_SAMPLES + 1;

// Trace colours in trace order: set point, value, extra value, upper and
// lower limit, MASTER and SLAVE position.
constexpr int kTraceColour[STRIP_TRACES] = {VAL_BLACK,    VAL_RED,      VAL_RED,  VAL_DK_GREEN,
                                            VAL_DK_GREEN, VAL_DK_GREEN, VAL_BLUE};

uint16_t ExtraValue() {
    switch (parameter.anamode) {
        case ANA_MAX:
        case ANA_MAX_3: return live.anaMax;
        case ANA_MIN:
        case ANA_MIN_4:
            // The sensor reports "no minimum yet" as the top of the range.
            return live.anaMin == static_cast<uint16_t>(YAXISMAX - 1) ? uint16_t{1} : live.anaMin;
        default: return live.Mvalue;
    }
}

struct Window {
    int32_t low, high;
};

Window ZoomWindow() {
    const int32_t t = tVal, up = tolup, lo = tollo, m = live.Mvalue;
    Window w;
    if (lo < 20 || up < 20) {
        w = {t - 20, t + 20};
        if (m > w.high) w.high = m + 40;
        if (m < w.low) w.low = m - 40;
    } else {
        w = {t - 2 * lo, t + 2 * up};
        if (m > w.high) w.high = m + 100;
        if (m < w.low) w.low = m - 100;
    }
    return w;
}

}  // namespace

void PlotRAWGraph() {
    const uint16_t extra = ExtraValue();
    SetLiveSetPointAndBand();
    Shift(arrayNORM, STRIP_VALUES, -STRIP_TRACES, arrayNORM);

    LiveLimits lim = LiveToleranceLimits();
    Window zoom = ZoomWindow();
    const int32_t top = int32_t{YAXISMAX} - 1;
    if (lim.upper > top) lim.upper = static_cast<uint16_t>(top);
    if (lim.lower == 0) lim.lower = 1;
    if (zoom.high > top) zoom.high = top;
    if (zoom.low < 1) zoom.low = 1;

    double* newest = arrayNORM + STRIP_VALUES - STRIP_TRACES;
    const uint16_t sample[STRIP_TRACES] = {tVal, live.Mvalue, extra, lim.upper, lim.lower, live.Aval, live.Bval};
    for (int i = 0; i < STRIP_TRACES; ++i) newest[i] = sample[i];

    int evaluated = 0;
    GetCtrlVal(pHandle, SWITCHRawEval, &evaluated);
    for (int trace = 1; trace <= STRIP_TRACES; ++trace) {
        const bool positionTrace = trace >= 6;
        SetTraceAttribute(pHandle, STRIPRaw, trace, ATTR_TRACE_VISIBLE,
                          evaluated ? !positionTrace : positionTrace);
    }
    if (!evaluated) {
        SetAxisScalingMode(pHandle, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);
    } else {
        int zoomed = 0;
        GetCtrlVal(pHandle, TOGBTN_Zoom, &zoomed);
        if (zoomed)
            SetAxisScalingMode(pHandle, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, zoom.low, zoom.high);
        else
            SetAxisScalingMode(pHandle, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, YAXISMAX);
    }

    SetCtrlAttribute(pHandle, STRIPRaw, ATTR_POINTS_PER_SCREEN, kPointsPerScreen);
    for (int trace = 1; trace <= STRIP_TRACES; ++trace)
        SetTraceAttribute(pHandle, STRIPRaw, trace, ATTR_TRACE_COLOR, kTraceColour[trace - 1]);
    SetCtrlAttribute(pHandle, STRIPRaw, ATTR_NUM_TRACES, STRIP_TRACES);

    PlotStripChart(pHandle, STRIPRaw, arrayNORM, STRIP_VALUES, 0, 0);
}
