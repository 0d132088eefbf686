// Graph and strip-chart calls: look the widget up, check the arguments, and
// hand the change to the widget, which draws it with its next frame.
#include <vector>

#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"

namespace {

// The widget of that kind, or the error code the caller returns.
template <class W>
W* find(int panel, int control, int* err) {
    if (!engine::panelWidget(panel)) {
        *err = UIEBadPanel;
        return nullptr;
    }
    auto* w = qobject_cast<W*>(engine::controlWidget(panel, control));
    *err = w ? UIEErrorOK : UIEBadCtrl;
    return w;
}

bool validCurveStyle(int plotStyle, int pointStyle, int lineStyle, int pointFrequency) {
    return (plotStyle == VAL_THIN_LINE || plotStyle == VAL_FAT_LINE) &&
           pointStyle >= VAL_NO_POINT && pointStyle <= VAL_CROSS &&
           lineStyle >= VAL_SOLID && lineStyle <= VAL_DOT && pointFrequency >= 1;
}

template <class Y>
int plotCurve(int panel, int control, const double* x, const Y* y, int numPoints, int plotStyle,
              int pointStyle, int lineStyle, int pointFrequency, int color) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    if (!g) return err;
    if (numPoints < 0 || (numPoints > 0 && (!x || !y)) ||
        !validCurveStyle(plotStyle, pointStyle, lineStyle, pointFrequency))
        return UIEBadValue;
    std::vector<double> xs(x, x + numPoints);
    std::vector<double> ys(y, y + numPoints);  // 16-bit samples widen exactly
    return g->addCurve(std::move(xs), std::move(ys), plotStyle, pointStyle, lineStyle,
                       pointFrequency, color);
}

}  // namespace

int PlotXY(int panel, int control, const double* x, const double* y, int numPoints,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color) {
    return plotCurve(panel, control, x, y, numPoints, plotStyle, pointStyle, lineStyle,
                     pointFrequency, color);
}

int PlotXY(int panel, int control, const double* x, const uint16_t* y, int numPoints,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color) {
    return plotCurve(panel, control, x, y, numPoints, plotStyle, pointStyle, lineStyle,
                     pointFrequency, color);
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2,
                  int frameColor, int fillColor) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    if (!g) return err;
    return g->addRectangle(x1, y1, x2, y2, frameColor, fillColor);
}

// Drawing is always coalesced into the graph's next frame (at most a frame's
// time away), so VAL_IMMEDIATE_DRAW and VAL_DELAYED_DRAW look the same.
int DeleteGraphPlot(int panel, int control, int plotHandle, int /*refresh*/) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    if (!g) return err;
    if (plotHandle == VAL_ALL_PLOTS) {
        g->deleteAllPlots();
        return UIEErrorOK;
    }
    return g->deletePlot(plotHandle) ? UIEErrorOK : UIEBadValue;
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    CviStripChart* s = g || err == UIEBadPanel ? nullptr : find<CviStripChart>(panel, control, &err);
    if (!g && !s) return err;
    if (mode != VAL_MANUAL && mode != VAL_AUTOSCALE) return UIEBadValue;
    if (g) return g->setAxisRange(axis, min, max, mode == VAL_AUTOSCALE) ? UIEErrorOK : UIEBadValue;
    // A strip chart scrolls its own time axis; only its value axis is set.
    if (axis != VAL_LEFT_YAXIS || mode != VAL_MANUAL) return UIEBadValue;
    return s->setYRange(min, max) ? UIEErrorOK : UIEBadValue;
}

int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    if (!g) return err;
    return g->setCursor(cursorNumber, x, y) ? UIEErrorOK : UIEBadValue;
}

int SetCursorAttribute(int panel, int control, int cursorNumber, int attribute, int value) {
    int err;
    CviGraph* g = find<CviGraph>(panel, control, &err);
    if (!g) return err;
    switch (attribute) {
    case ATTR_CURSOR_POINT_STYLE:
        if (value < VAL_NO_POINT || value > VAL_CROSS) return UIEBadValue;
        return g->setCursorPointStyle(cursorNumber, value) ? UIEErrorOK : UIEBadValue;
    case ATTR_CURSOR_COLOR:
        return g->setCursorColor(cursorNumber, value) ? UIEErrorOK : UIEBadValue;
    default:
        return UIEBadAttr;
    }
}

int PlotStripChart(int panel, int control, const double* values, int numPoints, int start,
                   int skip) {
    int err;
    CviStripChart* s = find<CviStripChart>(panel, control, &err);
    if (!s) return err;
    return s->append(values, numPoints, start, skip) ? UIEErrorOK : UIEBadValue;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, int value) {
    int err;
    CviStripChart* s = find<CviStripChart>(panel, control, &err);
    if (!s) return err;
    switch (attribute) {
    case ATTR_TRACE_VISIBLE:
        return s->setTraceVisible(trace, value != 0) ? UIEErrorOK : UIEBadValue;
    case ATTR_TRACE_COLOR:
        return s->setTraceColor(trace, value) ? UIEErrorOK : UIEBadValue;
    default:
        return UIEBadAttr;
    }
}
