// What a graph or strip chart shows, kept apart from the widget so that the
// engine calls can change it cheaply and tests can read it without Qt.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "engine/cvi.h"

// One plot of a graph: an XY curve or a rectangle.
struct GraphPlot {
    enum class Kind { Curve, Rectangle };
    int handle = 0;
    Kind kind = Kind::Curve;
    // Curve.
    std::vector<double> x, y;
    int plotStyle = VAL_THIN_LINE;
    int pointStyle = VAL_NO_POINT;
    int lineStyle = VAL_SOLID;
    int pointFrequency = 1;
    int color = 0;
    // Rectangle.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int frameColor = 0;
    int fillColor = 0;
};

struct GraphCursor {
    double x = 0, y = 0;
    bool placed = false;     // drawn only once the program has set it
    int pointStyle = VAL_EMPTY_CIRCLE;  // VAL_NO_POINT hides the cursor
    int color = 0x000000;
};

struct AxisRange {
    double min = 0, max = 0;
    bool autoscale = false;  // range follows the plots; min/max then unused
};

struct GraphData {
    std::vector<GraphPlot> plots;      // in drawing order
    std::array<GraphCursor, 2> cursors;  // cursor numbers 1 and 2
    AxisRange xAxis{0, 100}, yAxis{0, 100}, y2Axis{0, 100};
    int nextHandle = 1;

    const GraphPlot* plot(int handle) const {
        for (const auto& p : plots)
            if (p.handle == handle) return &p;
        return nullptr;
    }
};

// A strip chart: each trace keeps at most pointsPerScreen values in a ring,
// so memory and drawing cost stay flat however long the chart runs.
struct StripTrace {
    std::vector<double> ring;  // capacity pointsPerScreen
    std::size_t head = 0;      // index of the oldest value once the ring is full
    bool visible = true;
    int color = 0;

    std::size_t size() const { return ring.size(); }
    // i-th value in time order, 0 = oldest still on screen.
    double at(std::size_t i) const { return ring[(head + i) % ring.size()]; }
    std::vector<double> values() const {
        std::vector<double> v;
        v.reserve(ring.size());
        for (std::size_t i = 0; i < ring.size(); ++i) v.push_back(at(i));
        return v;
    }
};

struct StripData {
    int pointsPerScreen = 100;
    std::vector<StripTrace> traces;  // trace n is traces[n - 1]
    AxisRange yAxis{0, 100};
    long long pointsPlotted = 0;     // per trace, since the trace count was set
};
