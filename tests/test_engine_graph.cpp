// Graphs and strip charts through the engine calls the program makes: what
// they keep, what they draw, how often they draw, and how bad calls fail.
#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/testing.h"

namespace {

// A panel put together in code: two graphs, a strip chart and a button.
class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        root->resize(800, 600);
        const std::tuple<QWidget*, const char*, QRect> parts[] = {
            {video, "GRAPHVideoMaster", {0, 0, 400, 250}}, {bar, "GRAPHBarMaster", {0, 260, 400, 80}},
            {strip, "STRIPRaw", {0, 350, 700, 240}}, {new QPushButton(root.get()), "BTNVideo", {410, 0, 80, 30}}};
        for (auto [w, name, geometry] : parts) {
            w->setObjectName(name);
            w->setGeometry(geometry);
        }
        panel = engine::adoptPanel(root.get(), 0, MAINPANEL);
        root->show();
        TestRunEvents(50);  // first layout and the initial frame
        ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, 7), 0);  // as the live loop sets it
        ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_POINTS_PER_SCREEN, 101), 0);
    }
    void TearDown() override { engine::forgetPanel(panel); }
    int plotLine(const double* x, const double* y, int n) {
        return PlotXY(panel, GRAPHVideoMaster, x, y, n, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    }
    const GraphData& graph() { return *TestGraph(panel, GRAPHVideoMaster); }
    const StripData& stripData() { return *TestStrip(panel, STRIPRaw); }
    // What a graph draws under its cursor overlay, and the overlay's visible parts, after a frame.
    static std::vector<QCPAbstractPlottable*> drawn(CviGraph* g) {
        g->flush();
        std::vector<QCPAbstractPlottable*> out;
        for (int i = 0; i < g->plottableCount(); ++i)
            if (g->plottable(i)->layer()->name() != "overlay") out.push_back(g->plottable(i));
        return out;
    }
    static int visibleOverlayParts(CviGraph* g) {
        g->flush();
        int n = 0;
        for (QCPLayerable* l : g->layer("overlay")->children())
            n += (qobject_cast<QCPItemStraightLine*>(l) || qobject_cast<QCPGraph*>(l)) && l->visible();
        return n;
    }

    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    CviGraph* video = new CviGraph(root.get());
    CviGraph* bar = new CviGraph(root.get());
    CviStripChart* strip = new CviStripChart(root.get());
    int panel = 0;
};

std::vector<double> ramp(int n, double from = 0, double step = 1) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(from + i * step);
    return v;
}

TEST_F(GraphTest, PlotsAreKeptAndDrawnWithTheirStylesInOrder) {
    const std::vector<double> x = ramp(128, 1, 32), thd(128, 128.5);
    std::vector<uint16_t> adc(128, 7);
    adc[5] = 65535;
    const double xBack[] = {0, 10, 5, 20}, yBack[] = {1, 2, 3, 4};
    ASSERT_GT(PlotXY(panel, GRAPHVideoMaster, x.data(), adc.data(), 128, VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, 1, VAL_RED), 0);
    ASSERT_GT(PlotXY(panel, GRAPHVideoMaster, x.data(), thd.data(), 128, VAL_THIN_LINE, VAL_EMPTY_SQUARE, VAL_DASH, 3,
                     VAL_DK_GREEN), 0);
    ASSERT_GT(plotLine(xBack, yBack, 4), 0);
    // Corners in either order make the same rectangle.
    ASSERT_GT(PlotRectangle(panel, GRAPHVideoMaster, 1040, 0.25, 1000, 1.0, VAL_BLUE, VAL_LT_GRAY), 0);
    // Fat line with the fast polyline hint, the dashed one showing every third point, and
    // points out of order drawn in their order rather than sorted.
    const auto curves = drawn(video);
    ASSERT_EQ(curves.size(), 3u);
    EXPECT_TRUE(video->plottingHints().testFlag(QCP::phFastPolylines));
    auto *fat = qobject_cast<QCPGraph*>(curves[0]), *dashed = qobject_cast<QCPGraph*>(curves[1]);
    auto* back = qobject_cast<QCPCurve*>(curves[2]);
    ASSERT_TRUE(fat && dashed && back);
    EXPECT_EQ(std::tuple(fat->pen().width(), fat->pen().color(), fat->data()->at(5)->value),
              std::tuple(2, QColor(Qt::red), 65535.0));
    EXPECT_EQ(std::pair(dashed->pen().style(), dashed->scatterSkip()), std::pair(Qt::DashLine, 2));
    EXPECT_EQ(std::pair(back->data()->at(1)->key, back->data()->at(2)->key), std::pair(10.0, 5.0));
    auto* rect = qobject_cast<QCPItemRect*>(video->item(2));  // after the two cursor lines
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(std::tuple(rect->topLeft->coords(), rect->bottomRight->coords(), rect->pen().color(), rect->brush().color()),
              std::tuple(QPointF(1000, 1.0), QPointF(1040, 0.25), QColor(Qt::blue), QColor(0xE0E0E0)));
}

// Handles are never reused; the cursors are moved, coloured, hidden with no point.
TEST_F(GraphTest, PlotsAreDeletedAndCursorsStay) {
    const std::vector<double> x = ramp(10), y = ramp(10, 5);
    const std::vector<int> h = {plotLine(x.data(), y.data(), 10), plotLine(x.data(), y.data(), 10),
                                PlotRectangle(panel, GRAPHVideoMaster, 1, 0, 2, 1, VAL_GREEN, VAL_GREEN)};
    const int p = panel, G = GRAPHVideoMaster, B = GRAPHBarMaster, now = VAL_IMMEDIATE_DRAW;
    EXPECT_CALLS(TEST_CALL(DeleteGraphPlot(p, G, h[0], now), 0), TEST_CALL(DeleteGraphPlot(p, G, h[0], now), UIEBadValue),
                 TEST_CALL(!graph().plot(h[0]) && graph().plot(h[1]) && graph().plots.size() == 2, true),
                 TEST_CALL(DeleteGraphPlot(p, G, VAL_ALL_PLOTS, now), 0),
                 TEST_CALL(graph().plots.size() + drawn(video).size(), 0),
                 TEST_CALL(video->itemCount(), 2));  // only the cursor lines
    const int fresh = plotLine(x.data(), y.data(), 10);
    for (int old : h) EXPECT_NE(fresh, old);
    EXPECT_CALLS(TEST_CALL(visibleOverlayParts(bar), 0),  // never placed: not drawn
                 TEST_CALL(SetGraphCursor(p, B, 1, 1024, 0.75), 0), TEST_CALL(SetGraphCursor(p, B, 2, 10, 0.75), 0),
                 TEST_CALL(SetCursorAttribute(p, B, 2, ATTR_CURSOR_POINT_STYLE, VAL_DOTTED_SOLID_CIRCLE), 0),
                 TEST_CALL(SetCursorAttribute(p, B, 1, ATTR_CURSOR_COLOR, VAL_BLUE), 0), TEST_CALL(visibleOverlayParts(bar), 4),
                 TEST_CALL(SetCursorAttribute(p, B, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT), 0),
                 TEST_CALL(DeleteGraphPlot(p, B, VAL_ALL_PLOTS, now), 0), TEST_CALL(visibleOverlayParts(bar), 2));
    auto* line = qobject_cast<QCPItemStraightLine*>(bar->item(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(std::pair(line->point1->coords().x(), line->pen().color()), std::pair(1024.0, QColor(Qt::blue)));
}

// A loop deletes and plots again on fixed axes: the plots' layer is redrawn
// alone, and the screen follows, in the order plotted.
TEST_F(GraphTest, PlotsRedrawnOnFixedAxesShowOnScreenInTheirOrder) {
    const int p = panel, B = GRAPHBarMaster;
    ASSERT_EQ(SetAxisScalingMode(p, B, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 4096), 0);
    ASSERT_EQ(SetAxisScalingMode(p, B, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 1), 0);
    const auto colourAt = [&](double x, double y = 0.63) {
        bar->flush();
        const QImage shown = bar->grab().toImage();
        return QColor(shown.pixel(int(bar->xAxis->coordToPixel(x)), int(bar->yAxis->coordToPixel(y))));
    };
    const double across[] = {0, 4096}, level[] = {0.63, 0.63};
    for (auto [at, lineFirst] : {std::pair(1100.0, false), {2900.0, false}, {2900.0, true}}) {
        DeleteGraphPlot(p, B, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);
        if (lineFirst) PlotXY(p, B, across, level, 2, VAL_FAT_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
        PlotRectangle(p, B, at - 60, 0.25, at + 60, 1.0, VAL_RED, VAL_RED);
        if (!lineFirst) PlotXY(p, B, across, level, 2, VAL_FAT_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
        EXPECT_EQ(std::tuple(colourAt(at), colourAt(4000 - at), colourAt(4000 - at + 100)),
                  std::tuple(QColor(lineFirst ? Qt::red : Qt::blue), QColor(Qt::blue), QColor(Qt::blue))) << at;
        EXPECT_EQ(colourAt(4000 - at, 0.8), QColor(Qt::white)) << "no rectangle left behind at " << 4000 - at;
    }
}

// New axis ranges redraw everything: the grid beneath the plots moves too.
TEST_F(GraphTest, GridFollowsNewAxisRangesOnScreen) {
    ASSERT_EQ(SetAxisScalingMode(panel, GRAPHBarMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 1), 0);
    int column = -1;
    const auto dotsAt = [&](double xMax) {
        EXPECT_EQ(SetAxisScalingMode(panel, GRAPHBarMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, xMax), 0);
        bar->flush();
        if (column < 0) column = int(bar->xAxis->coordToPixel(1000));
        const QImage shown = bar->grab().toImage();
        int dots = 0;
        for (double y = 0.23; y < 0.38; y += 0.005)  // between the horizontal grid lines at 0.2 and 0.4
            dots += QColor(shown.pixel(column, int(bar->yAxis->coordToPixel(y)))) != Qt::white;
        return dots;
    };
    EXPECT_GT(dotsAt(4000), 3) << "the grid line at 1000";
    EXPECT_EQ(dotsAt(5000), 0) << "1250 there now, between grid lines";
}

TEST_F(GraphTest, AxisRangesAreKeptAndApplied) {
    for (auto [axis, lo, hi] : {std::tuple{VAL_RIGHT_YAXIS, 0, 1024}, {VAL_LEFT_YAXIS, 0, 256}, {VAL_BOTTOM_XAXIS, 1, 4096}})
        ASSERT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, axis, VAL_MANUAL, lo, hi), 0);
    video->flush();
    EXPECT_EQ(std::tuple(video->xAxis->range(), video->yAxis->range(), video->yAxis2->range()),
              std::tuple(QCPRange(1, 4096), QCPRange(0, 256), QCPRange(0, 1024)));
    // Autoscale follows the plots.
    const double x[] = {10, 20, 30}, y[] = {-5, 50, 7};
    plotLine(x, y, 3);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0), 0);
    video->flush();
    EXPECT_EQ(std::pair(video->xAxis->range(), video->yAxis->range()), std::pair(QCPRange(1, 4096), QCPRange(-5, 50)));
    // The resource file's properties set the same ranges and the labels.
    for (auto [name, value] : {std::pair<const char*, QVariant>{"xMax", 2048.0}, {"yName", "Volt"}, {"rightAxisVisible", true}})
        bar->setProperty(name, value);
    bar->flush();
    EXPECT_EQ(std::tuple(bar->xAxis->range().upper, bar->yAxis->label(), bar->yAxis2->visible()),
              std::tuple(2048.0, QString("Volt"), true));
}

// Once per frame, with or without events between the calls.
TEST_F(GraphTest, ManyCallsDrawOnceAndHiddenGraphsWait) {
    const std::vector<double> x = ramp(16);
    std::vector<double> y = x;
    TestRunEvents(60);
    const int before = TestGraphRepaints(panel, GRAPHVideoMaster);
    for (int i = 0; i < 500; ++i) {
        y[0] = i;
        DeleteGraphPlot(panel, GRAPHVideoMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        plotLine(x.data(), y.data(), 16);
        SetGraphCursor(panel, GRAPHVideoMaster, 1, i, i);
    }
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), before);  // nothing drawn inside calls
    TestRunEvents(120);
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), before + 1);
    auto* shown = qobject_cast<QCPGraph*>(drawn(video).at(0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->data()->at(0)->value, 499.0) << "the frame shows the last data";
    video->hide();
    const int hidden = TestGraphRepaints(panel, GRAPHVideoMaster);
    for (int i = 0; i < 50; ++i, TestRunEvents(2)) plotLine(x.data(), y.data(), 16);
    TestRunEvents(60);
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), hidden);
    video->show();
    TestRunEvents(120);
    EXPECT_EQ(std::pair(TestGraphRepaints(panel, GRAPHVideoMaster), video->plottableCount() - 2), std::pair(hidden + 1, 51));
}

TEST_F(GraphTest, StripWindowHoldsTheNewestPointsAndStaysBounded) {
    // Each call as the live loop makes it: a 100-sample history of 7 values,
    // each value encoding (sample number, trace).
    std::vector<double> v(700);
    for (int call = 0; call < 2000; ++call) {
        for (int s = 0; s < 100; ++s)
            for (int t = 0; t < 7; ++t) v[std::size_t(s * 7 + t)] = (call - 99 + s) * 10 + t;
        ASSERT_EQ(PlotStripChart(panel, STRIPRaw, v.data(), 700, 0, 0), 0);
        // The live loop sets these on every frame; that must not clear the chart.
        SetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, 7);
        SetCtrlAttribute(panel, STRIPRaw, ATTR_POINTS_PER_SCREEN, 101);
    }
    EXPECT_EQ(stripData().pointsPlotted, 2000LL * 100);
    for (const StripTrace& tr : stripData().traces) EXPECT_LE(tr.ring.capacity(), 101u);
    // The last call's 100 samples after the newest of the call before: drawn
    // with the newest sample at the right.
    EXPECT_EQ(stripData().traces[3].values()[0], 19983.0);
    strip->flush();
    ASSERT_EQ(std::pair(strip->graphCount(), strip->graph(6)->data()->size()), std::pair(7, 101));
    const auto newest = strip->graph(6)->data()->constEnd() - 1;
    EXPECT_EQ(std::pair(newest->value, strip->xAxis->range().upper), std::pair(1999 * 10 + 6.0, newest->key));

    // A smaller screen keeps the newest values; a new trace count starts afresh.
    ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_POINTS_PER_SCREEN, 10), 0);
    EXPECT_EQ(stripData().traces[2].values().front(), 1990 * 10 + 2);
    ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, 3), 0);
    ASSERT_EQ(stripData().traces.size(), 3u);
    for (const StripTrace& t : stripData().traces) EXPECT_EQ(t.size(), 0u);
    for (auto [attribute, value] : {std::pair{ATTR_NUM_TRACES, 0}, {ATTR_POINTS_PER_SCREEN, -1}, {ATTR_WIDTH, 5}})
        EXPECT_FALSE(strip->setIntAttribute(attribute, value)) << attribute;
    int traces = 0;
    EXPECT_EQ(std::pair(GetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, &traces), traces), std::pair(0, 3));
}

// On fixed value axes each new sample redraws only the scrolling part: on
// screen the trace follows the samples, and the time axis's ticks stay
// within its range.
TEST_F(GraphTest, StripScrollsOnScreen) {
    ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, 1), 0);
    ASSERT_EQ(SetAxisScalingMode(panel, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 4096), 0);
    for (int sample = 0; sample < 300; ++sample) {
        const double level = sample < 280 ? 1000 : 3000;
        ASSERT_EQ(PlotStripChart(panel, STRIPRaw, &level, 1, 0, 0), 0);
        strip->flush();
    }
    const QVector<double> ticks = strip->xAxis->tickVector();
    EXPECT_TRUE(!ticks.isEmpty() && ticks.front() >= 199 && ticks.back() <= 299) << ticks.size();
    const QImage shown = strip->grab().toImage();
    // Red where the trace runs (its antialiased edge lighter), white elsewhere.
    const auto at = [&](double key, double value) {
        const QColor c(shown.pixel(int(strip->xAxis->coordToPixel(key)), int(strip->yAxis->coordToPixel(value))));
        return c == QColor(Qt::white) ? 'w' : c.red() == 255 && c.green() < 200 && c.green() == c.blue() ? 'r' : '?';
    };
    EXPECT_EQ((std::array<char, 3>{at(270, 1000), at(290, 3000), at(290, 1000)}), (std::array<char, 3>{'r', 'r', 'w'}));
}

// Values are interleaved by trace; start and skip pick them: from index 1,
// skipping 1 between values, (1,3) (5,7). Three values are no whole number
// of samples for two traces. Traces are hidden and coloured one by one.
TEST_F(GraphTest, StripInterleavedValuesTraceAttributesAndValueAxis) {
    for (int t = 1; t <= 5; ++t) EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, t, ATTR_TRACE_VISIBLE, 0), 0);
    EXPECT_CALLS(TEST_CALL(SetTraceAttribute(panel, STRIPRaw, 7, ATTR_TRACE_COLOR, VAL_BLUE), 0),
                 TEST_CALL(SetAxisScalingMode(panel, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 980, 1140), 0));
    strip->flush();
    EXPECT_EQ(std::tuple(strip->graph(0)->visible(), strip->graph(4)->visible(), strip->graph(5)->visible()),
              std::tuple(false, false, true));
    EXPECT_EQ(std::pair(strip->graph(6)->pen().color(), strip->yAxis->range()),
              std::pair(QColor(Qt::blue), QCPRange(980, 1140)));

    ASSERT_EQ(SetCtrlAttribute(panel, STRIPRaw, ATTR_NUM_TRACES, 2), 0);
    const double v[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(PlotStripChart(panel, STRIPRaw, v, 4, 1, 1), 0);
    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, v, 3, 1, 1), UIEBadValue);
    EXPECT_EQ(std::tuple(stripData().traces[0].values(), stripData().traces[1].values(), stripData().pointsPlotted),
              std::tuple(std::vector<double>{1, 5}, std::vector<double>{3, 7}, 2LL));
    strip->flush();
    EXPECT_EQ(std::pair(strip->graph(0)->data()->size(), strip->xAxis->range().lower), std::pair(2, 0.0));
}

// They fail before anything is kept or changed.
TEST_F(GraphTest, BadHandlesKindsAndArgumentsFail) {
    const double x[] = {1, 2}, y[] = {3, 4}, v[] = {1, 2, 3, 4, 5, 6, 7};
    const uint16_t y16[] = {3, 4}, *none16 = nullptr;
    const int p = panel, bad = panel + 1000, G = GRAPHVideoMaster, B = GRAPHBarMaster, S = STRIPRaw;
    const int LEFT = VAL_LEFT_YAXIS, MAN = VAL_MANUAL, BP = UIEBadPanel, BC = UIEBadCtrl, BV = UIEBadValue;
    ASSERT_EQ(SetAxisScalingMode(p, G, LEFT, MAN, 0, 256), 0);
    EXPECT_CALLS(
        TEST_CALL(PlotXY(bad, G, x, y16, 2, 0, 0, 0, 1, 0), BP), TEST_CALL(PlotStripChart(bad, S, v, 1, 0, 0), BP),
        TEST_CALL(SetAxisScalingMode(bad, B, VAL_BOTTOM_XAXIS, MAN, 0, 1), BP),
        // Not a graph, or the other kind of chart.
        TEST_CALL(PlotXY(p, S, x, y, 2, 0, 0, 0, 1, 0), BC), TEST_CALL(PlotStripChart(p, G, v, 1, 0, 0), BC),
        TEST_CALL(SetAxisScalingMode(p, BTNVideo, LEFT, MAN, 0, 1), BC),
        // Counts, arrays, styles, starts and skips.
        TEST_CALL(PlotXY(p, G, x, y, -1, 0, 0, 0, 1, 0), BV), TEST_CALL(PlotXY(p, G, nullptr, y, 2, 0, 0, 0, 1, 0), BV),
        TEST_CALL(PlotXY(p, G, x, none16, 2, 0, 0, 0, 1, 0), BV), TEST_CALL(PlotXY(p, G, x, y, 2, 5, 0, 0, 1, 0), BV),
        TEST_CALL(PlotXY(p, G, x, y, 2, 0, 42, 0, 1, 0), BV), TEST_CALL(PlotXY(p, G, x, y, 2, 0, 0, 3, 1, 0), BV),
        TEST_CALL(PlotXY(p, G, x, y, 2, 0, 0, 0, 0, 0), BV), TEST_CALL(PlotStripChart(p, S, v, -7, 0, 0), BV),
        TEST_CALL(PlotStripChart(p, S, v, 7, -1, 0), BV), TEST_CALL(PlotStripChart(p, S, v, 7, 0, -1), BV),
        TEST_CALL(PlotStripChart(p, S, nullptr, 7, 0, 0), BV),
        // Empty or reversed ranges, unknown axes or modes; a strip chart has only its value axis.
        TEST_CALL(SetAxisScalingMode(p, G, LEFT, MAN, 5, 5), BV),
        TEST_CALL(SetAxisScalingMode(p, S, LEFT, MAN, 10, 0), BV),
        TEST_CALL(SetAxisScalingMode(p, G, 7, MAN, 0, 1), BV), TEST_CALL(SetAxisScalingMode(p, G, LEFT, 5, 0, 1), BV),
        TEST_CALL(SetAxisScalingMode(p, S, VAL_BOTTOM_XAXIS, MAN, 0, 10), BV),
        // Cursors are numbered 1 and 2, traces 1 to the count.
        TEST_CALL(SetGraphCursor(p, B, 0, 1, 1), BV), TEST_CALL(SetGraphCursor(p, B, 3, 1, 1), BV),
        TEST_CALL(SetCursorAttribute(p, B, 1, ATTR_CURSOR_POINT_STYLE, 99), BV),
        TEST_CALL(SetCursorAttribute(p, B, 3, ATTR_CURSOR_POINT_STYLE, VAL_CROSS), BV),
        TEST_CALL(SetCursorAttribute(p, B, 3, ATTR_CURSOR_COLOR, 0), BV),
        TEST_CALL(SetCursorAttribute(p, B, 1, ATTR_TRACE_COLOR, 0), UIEBadAttr),
        TEST_CALL(SetTraceAttribute(p, S, 0, ATTR_TRACE_VISIBLE, 1), BV),
        TEST_CALL(SetTraceAttribute(p, S, 8, ATTR_TRACE_COLOR, 1), BV),
        TEST_CALL(SetTraceAttribute(p, S, 1, ATTR_CURSOR_COLOR, 1), UIEBadAttr));
    video->flush();
    EXPECT_EQ(std::tuple(graph().plots.size(), stripData().pointsPlotted, video->yAxis->range()),
              std::tuple(0u, 0LL, QCPRange(0, 256)));
    EXPECT_GT(PlotXY(p, G, nullptr, y, 0, 0, 0, 0, 1, 0), 0);  // an empty plot is a plot
    // A control whose widget is gone fails instead of crashing.
    delete strip;
    EXPECT_EQ(PlotStripChart(p, S, v, 7, 0, 0), UIEBadCtrl);
}

}  // namespace
