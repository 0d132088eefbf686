// Graphs and strip charts through the engine calls the program makes: what
// they keep, what they draw, how often they draw, and how bad calls fail.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/testing.h"
#include "engine/testing_graph.h"

namespace {

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::make_unique<QWidget>();
        root->resize(800, 600);
        video = add<CviGraph>("GRAPHVideoMaster", QRect(0, 0, 400, 250));
        bar = add<CviGraph>("GRAPHBarMaster", QRect(0, 260, 400, 80));
        strip = add<CviStripChart>("STRIPRaw", QRect(0, 350, 700, 240));
        add<QPushButton>("BTNVideo", QRect(410, 0, 80, 30));
        panel = engine::adoptPanel(root.get(), 0, MAINPANEL);
        ASSERT_GT(panel, 0);
        root->show();
        TestRunEvents(50);  // first layout and the initial frame
    }
    void TearDown() override {
        engine::forgetPanel(panel);
        root.reset();
    }
    template <class W>
    W* add(const char* name, QRect geometry) {
        auto* w = new W(root.get());
        w->setObjectName(name);
        w->setGeometry(geometry);
        return w;
    }

    // A thin solid line on the video graph, as most of these cases need.
    int plotLine(const double* x, const double* y, int n) {
        return PlotXY(panel, GRAPHVideoMaster, x, y, n, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    }
    const GraphData& graph(int ctrl = GRAPHVideoMaster) { return *TestGraph(panel, ctrl); }
    const StripData& stripData() { return *TestStrip(panel, STRIPRaw); }
    // The curves drawn under the cursor overlay, after a frame.
    static std::vector<QCPGraph*> drawnCurves(CviGraph* g) {
        g->flush();
        std::vector<QCPGraph*> out;
        for (int i = 0; i < g->plottableCount(); ++i)
            if (g->plottable(i)->layer()->name() != "overlay") out.push_back(qobject_cast<QCPGraph*>(g->plottable(i)));
        return out;
    }
    // Visible cursor parts (line and marker) on the overlay layer after a frame.
    static int visibleOverlayParts(CviGraph* g) {
        g->flush();
        int n = 0;
        for (QCPLayerable* l : g->layer("overlay")->children())
            if (qobject_cast<QCPItemStraightLine*>(l) || qobject_cast<QCPGraph*>(l))
                n += l->visible() ? 1 : 0;
        return n;
    }

    std::unique_ptr<QWidget> root;
    CviGraph* video = nullptr;
    CviGraph* bar = nullptr;
    CviStripChart* strip = nullptr;
    int panel = 0;
};

std::tuple<int, int, int, int, int> style(const GraphPlot& p) {
    return {p.plotStyle, p.pointStyle, p.lineStyle, p.pointFrequency, p.color};
}

std::vector<double> ramp(int n, double from = 0, double step = 1) {
    std::vector<double> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[std::size_t(i)] = from + i * step;
    return v;
}

TEST_F(GraphTest, CurvesKeepTheirPointsStylesAndOrder) {
    const std::vector<double> x = ramp(128, 1, 32);
    std::vector<uint16_t> adc(128);
    for (int i = 0; i < 128; ++i) adc[std::size_t(i)] = uint16_t(i * 511);  // up to 64897
    adc[5] = 65535;
    const std::vector<double> thd(128, 128.5);

    const int h1 = PlotXY(panel, GRAPHVideoMaster, x.data(), adc.data(), 128, VAL_FAT_LINE,
                          VAL_SIMPLE_DOT, VAL_SOLID, 1, VAL_RED);
    const int h2 = PlotXY(panel, GRAPHVideoMaster, x.data(), thd.data(), 128, VAL_THIN_LINE,
                          VAL_EMPTY_SQUARE, VAL_DASH, 3, VAL_DK_GREEN);
    ASSERT_GT(h1, 0);
    ASSERT_GT(h2, 0);
    EXPECT_NE(h1, h2);

    const GraphData& d = graph();
    ASSERT_EQ(d.plots.size(), 2u);
    const GraphPlot& video1 = d.plots[0];  // drawn first, so the threshold lies on top
    EXPECT_EQ(video1.handle, h1);
    EXPECT_EQ(video1.x, x);
    EXPECT_EQ(std::pair(video1.y[5], video1.y[127]), std::pair(65535.0, 127.0 * 511));
    EXPECT_EQ(style(video1), std::tuple(VAL_FAT_LINE, VAL_SIMPLE_DOT, VAL_SOLID, 1, int(VAL_RED)));
    ASSERT_NE(d.plot(h2), nullptr);
    EXPECT_EQ(d.plot(h2)->y, thd);
    EXPECT_EQ(style(*d.plot(h2)), std::tuple(VAL_THIN_LINE, VAL_EMPTY_SQUARE, VAL_DASH, 3, int(VAL_DK_GREEN)));

    // The drawing follows the data: fat red line with the fast polyline hint, then the dashed one.
    const std::vector<QCPGraph*> curves = drawnCurves(video);
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_TRUE(video->plottingHints().testFlag(QCP::phFastPolylines));
    EXPECT_EQ(curves[0]->data()->size(), 128);
    EXPECT_EQ(std::pair(curves[0]->pen().width(), curves[0]->pen().color()), std::pair(2, QColor(Qt::red)));
    EXPECT_EQ(curves[0]->data()->at(5)->value, 65535.0);
    EXPECT_EQ(std::pair(curves[1]->pen().style(), curves[1]->scatterSkip()), std::pair(Qt::DashLine, 2));
}

TEST_F(GraphTest, PointsOutOfOrderAreDrawnInTheirOrder) {
    const double x[] = {0, 10, 5, 20};
    const double y[] = {1, 2, 3, 4};
    ASSERT_GT(plotLine(x, y, 4), 0);
    video->flush();
    QCPCurve* curve = nullptr;
    for (int i = 0; i < video->plottableCount(); ++i)
        if (auto* c = qobject_cast<QCPCurve*>(video->plottable(i))) curve = c;
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->data()->size(), 4);
    EXPECT_EQ(curve->data()->at(1)->key, 10.0);
    EXPECT_EQ(curve->data()->at(2)->key, 5.0);
}

TEST_F(GraphTest, DeletingPlotsByHandleAndAll) {
    const std::vector<double> x = ramp(10), y = ramp(10, 5);
    std::vector<int> h;
    for (int i = 0; i < 4; ++i)
        h.push_back(plotLine(x.data(), y.data(), 10));
    h.push_back(PlotRectangle(panel, GRAPHVideoMaster, 1, 0, 2, 1, VAL_GREEN, VAL_GREEN));

    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHVideoMaster, h[1], VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHVideoMaster, h[1], VAL_IMMEDIATE_DRAW), UIEBadValue);
    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHVideoMaster, 0, VAL_DELAYED_DRAW), UIEBadValue);
    std::vector<int> left;
    for (const GraphPlot& p : graph().plots) left.push_back(p.handle);
    EXPECT_EQ(left, (std::vector<int>{h[0], h[2], h[3], h[4]}));

    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHVideoMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_TRUE(graph().plots.empty());
    video->flush();
    EXPECT_EQ(video->plottableCount(), 2);  // only the cursor markers remain
    EXPECT_EQ(video->itemCount(), 2);       // and the cursor lines

    // A handle is never handed out twice, so a stale one cannot hit a new plot.
    const int fresh = plotLine(x.data(), y.data(), 10);
    for (int old : h) EXPECT_NE(fresh, old);
    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHVideoMaster, h[0], VAL_IMMEDIATE_DRAW), UIEBadValue);
    EXPECT_EQ(graph().plots.size(), 1u);
}

TEST_F(GraphTest, RectanglesKeepCornersAndColours) {
    // A peak rectangle and the tolerance window under it, as the live bar graph draws them.
    ASSERT_GT(PlotRectangle(panel, GRAPHBarMaster, 1040, 0.25, 1000, 1.0, VAL_BLUE, VAL_LT_GRAY), 0);
    const int window = PlotRectangle(panel, GRAPHBarMaster, 412, 0.0, 612, 0.35, VAL_GREEN, VAL_GREEN);
    ASSERT_GT(window, 0);
    const GraphData& d = graph(GRAPHBarMaster);
    ASSERT_EQ(d.plots.size(), 2u);
    const GraphPlot& r = d.plots[0];
    EXPECT_EQ(r.kind, GraphPlot::Kind::Rectangle);
    EXPECT_EQ(std::tuple(r.x1, r.y1, r.x2, r.y2), std::tuple(1040.0, 0.25, 1000.0, 1.0));
    EXPECT_EQ(std::tuple(r.frameColor, r.fillColor), std::tuple(int(VAL_BLUE), int(VAL_LT_GRAY)));
    EXPECT_EQ(d.plots[1].handle, window);

    bar->flush();
    ASSERT_EQ(bar->itemCount(), 2 + 2);
    QCPItemRect* drawn = nullptr;
    for (int i = 0; i < bar->itemCount() && !drawn; ++i) drawn = qobject_cast<QCPItemRect*>(bar->item(i));
    ASSERT_NE(drawn, nullptr);
    // Corners given in either order make the same rectangle.
    EXPECT_EQ(drawn->topLeft->coords(), QPointF(1000, 1.0));
    EXPECT_EQ(drawn->bottomRight->coords(), QPointF(1040, 0.25));
    EXPECT_EQ(drawn->brush().color(), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(drawn->pen().color(), QColor(Qt::blue));
}

TEST_F(GraphTest, CursorsMoveAndHideWithNoPoint) {
    const GraphData& d = graph(GRAPHBarMaster);
    EXPECT_FALSE(d.cursors[0].placed);
    EXPECT_EQ(visibleOverlayParts(bar), 0);  // never placed: not drawn

    EXPECT_EQ(SetGraphCursor(panel, GRAPHBarMaster, 1, 1024, 0.75), 0);
    EXPECT_EQ(SetGraphCursor(panel, GRAPHBarMaster, 2, 10, 0.75), 0);
    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE,
                                 VAL_DOTTED_SOLID_CIRCLE), 0);
    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 1, ATTR_CURSOR_COLOR, VAL_BLUE), 0);
    EXPECT_EQ(std::tuple(d.cursors[0].x, d.cursors[0].y, d.cursors[0].color),
              std::tuple(1024.0, 0.75, int(VAL_BLUE)));
    EXPECT_EQ(std::tuple(d.cursors[1].x, d.cursors[1].pointStyle),
              std::tuple(10.0, int(VAL_DOTTED_SOLID_CIRCLE)));
    EXPECT_EQ(visibleOverlayParts(bar), 4);

    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT), 0);
    EXPECT_EQ(visibleOverlayParts(bar), 2);
    // Deleting plots leaves the cursors alone.
    EXPECT_EQ(DeleteGraphPlot(panel, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(visibleOverlayParts(bar), 2);
    EXPECT_EQ(d.cursors[0].x, 1024);

    // Cursors are numbered 1 and 2; styles and attributes are checked.
    EXPECT_EQ(SetGraphCursor(panel, GRAPHBarMaster, 0, 1, 1), UIEBadValue);
    EXPECT_EQ(SetGraphCursor(panel, GRAPHBarMaster, 3, 1, 1), UIEBadValue);
    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 1, ATTR_CURSOR_POINT_STYLE, 99), UIEBadValue);
    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 3, ATTR_CURSOR_COLOR, 0), UIEBadValue);
    EXPECT_EQ(SetCursorAttribute(panel, GRAPHBarMaster, 1, ATTR_TRACE_COLOR, 0), UIEBadAttr);
    EXPECT_EQ(d.cursors[0].pointStyle, GraphCursor{}.pointStyle);
}

TEST_F(GraphTest, AxisRangesAreKeptAndApplied) {
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_RIGHT_YAXIS, VAL_MANUAL, 0, 1024), 0);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 256), 0);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1, 4096), 0);
    const GraphData& d = graph();
    EXPECT_EQ(std::tuple(d.xAxis.min, d.xAxis.max, d.yAxis.max, d.y2Axis.max),
              std::tuple(1.0, 4096.0, 256.0, 1024.0));

    // Empty or reversed ranges and unknown axes or modes change nothing.
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 5, 5), UIEBadValue);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 9, 1), UIEBadValue);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, 7, VAL_MANUAL, 0, 1), UIEBadValue);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, 5, 0, 1), UIEBadValue);
    EXPECT_EQ(std::tuple(d.yAxis.min, d.yAxis.max), std::tuple(0.0, 256.0));

    video->flush();
    EXPECT_EQ(video->xAxis->range(), QCPRange(1, 4096));
    EXPECT_EQ(video->yAxis->range(), QCPRange(0, 256));
    EXPECT_EQ(video->yAxis2->range(), QCPRange(0, 1024));

    // Autoscale follows the plots.
    const double x[] = {10, 20, 30};
    const double y[] = {-5, 50, 7};
    plotLine(x, y, 3);
    EXPECT_EQ(SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0), 0);
    video->flush();
    EXPECT_EQ(video->yAxis->range(), QCPRange(-5, 50));
    EXPECT_EQ(video->xAxis->range(), QCPRange(1, 4096));

    // The resource file's properties set the same ranges and the labels.
    bar->setProperty("xMax", 2048.0);
    bar->setProperty("yName", QString("Volt"));
    bar->setProperty("rightAxisVisible", true);
    EXPECT_EQ(graph(GRAPHBarMaster).xAxis.max, 2048);
    bar->flush();
    EXPECT_EQ(bar->yAxis->label(), "Volt");
    EXPECT_TRUE(bar->yAxis2->visible());
}

class StripTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        // What SetCtrlAttribute forwards for a strip chart.
        ASSERT_TRUE(strip->setIntAttribute(ATTR_NUM_TRACES, 7));
        ASSERT_TRUE(strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, 101));
    }
    // One call as the live loop makes it: a 100-sample history of 7 values,
    // each value encoding (sample number, trace).
    void plotHistory(int newest) {
        std::vector<double> v(700);
        for (int s = 0; s < 100; ++s)
            for (int t = 0; t < 7; ++t) v[std::size_t(s * 7 + t)] = (newest - 99 + s) * 10 + t;
        ASSERT_EQ(PlotStripChart(panel, STRIPRaw, v.data(), 700, 0, 0), 0);
    }
};

TEST_F(StripTest, WindowHoldsTheNewestPointsAndStaysBounded) {
    for (int call = 0; call < 2000; ++call) {
        plotHistory(call);
        // The live loop sets these on every frame; that must not clear the chart.
        strip->setIntAttribute(ATTR_NUM_TRACES, 7);
        strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, 101);
    }
    const StripData& d = stripData();
    ASSERT_EQ(d.traces.size(), 7u);
    EXPECT_EQ(d.pointsPlotted, 2000LL * 100);
    for (int t = 0; t < 7; ++t) {
        const StripTrace& tr = d.traces[std::size_t(t)];
        EXPECT_EQ(tr.size(), 101u);
        EXPECT_LE(tr.ring.capacity(), 101u);
        // The last call's 100 samples, after the newest sample of the call before.
        const std::vector<double> v = tr.values();
        EXPECT_EQ(v.front(), 1998 * 10 + t) << "trace " << t + 1;
        for (int i = 1; i < 101; ++i) EXPECT_EQ(v[std::size_t(i)], (1900 + i - 1) * 10 + t);
    }

    // What is drawn is that window, the newest sample at the right.
    strip->flush();
    ASSERT_EQ(strip->graphCount(), 7);
    ASSERT_EQ(strip->graph(6)->data()->size(), 101);
    const auto newest = strip->graph(6)->data()->constEnd() - 1;
    EXPECT_EQ(newest->value, 1999 * 10 + 6);
    EXPECT_EQ(strip->xAxis->range().upper, newest->key);
}

TEST_F(StripTest, InterleavingWithStartSkipAndLongCalls) {
    ASSERT_TRUE(strip->setIntAttribute(ATTR_NUM_TRACES, 2));
    // Taken: 3 values from index 1, skipping 1 between them -> 1, 3, 5 ... but
    // two traces need whole samples, so four values: (1,3) (5,7).
    const double v[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, v, 3, 1, 1), UIEBadValue);
    EXPECT_EQ(stripData().pointsPlotted, 0);
    ASSERT_EQ(PlotStripChart(panel, STRIPRaw, v, 4, 1, 1), 0);
    EXPECT_EQ(stripData().traces[0].values(), (std::vector<double>{1, 5}));
    EXPECT_EQ(stripData().traces[1].values(), (std::vector<double>{3, 7}));
    strip->flush();
    EXPECT_EQ(strip->graph(0)->data()->size(), 2);
    EXPECT_EQ(strip->xAxis->range().lower, 0);  // not yet scrolling

    // One call longer than the screen: only its newest screenful stays, and
    // the stride still picks the right values.
    ASSERT_TRUE(strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, 10));
    std::vector<double> many(2 * 3 * 1000);  // 1000 samples of 2 traces, one value skipped each time
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = double(i);
    ASSERT_EQ(PlotStripChart(panel, STRIPRaw, many.data(), 2000, 0, 2), 0);
    const std::vector<double> t1 = stripData().traces[0].values();
    const std::vector<double> t2 = stripData().traces[1].values();
    ASSERT_EQ(t1.size(), 10u);
    EXPECT_EQ(std::tuple(t1.front(), t1.back(), t2.back()), std::tuple(3.0 * 1980, 3.0 * 1998, 3.0 * 1999));
    EXPECT_EQ(stripData().pointsPlotted, 2 + 1000);

    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, v, -2, 0, 0), UIEBadValue);
    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, v, 2, -1, 0), UIEBadValue);
    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, nullptr, 2, 0, 0), UIEBadValue);
    EXPECT_EQ(stripData().pointsPlotted, 1002);
}

TEST_F(StripTest, ChangingTheScreenKeepsNewestAndNewTraceCountRestarts) {
    plotHistory(99);
    ASSERT_TRUE(strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, 10));
    const std::vector<double> v = stripData().traces[2].values();
    ASSERT_EQ(v.size(), 10u);
    EXPECT_EQ(std::pair(v.front(), v.back()), std::pair(90 * 10 + 2.0, 99 * 10 + 2.0));

    ASSERT_TRUE(strip->setIntAttribute(ATTR_NUM_TRACES, 3));
    EXPECT_EQ(stripData().traces.size(), 3u);
    for (const StripTrace& t : stripData().traces) EXPECT_EQ(t.size(), 0u);
    int n = 0;
    EXPECT_TRUE(strip->getIntAttribute(ATTR_NUM_TRACES, &n) && n == 3);
    EXPECT_FALSE(strip->setIntAttribute(ATTR_NUM_TRACES, 0));
    EXPECT_FALSE(strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, -1));
    EXPECT_FALSE(strip->setIntAttribute(ATTR_WIDTH, 5));
    EXPECT_EQ(strip->numTraces(), 3);
}

TEST_F(StripTest, TraceAttributesAndValueAxis) {
    for (int t = 1; t <= 5; ++t) EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, t, ATTR_TRACE_VISIBLE, 0), 0);
    EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, 7, ATTR_TRACE_COLOR, VAL_BLUE), 0);
    EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, 0, ATTR_TRACE_VISIBLE, 1), UIEBadValue);
    EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, 8, ATTR_TRACE_VISIBLE, 1), UIEBadValue);
    EXPECT_EQ(SetTraceAttribute(panel, STRIPRaw, 1, ATTR_CURSOR_COLOR, 1), UIEBadAttr);
    const StripData& d = stripData();
    EXPECT_EQ(std::tuple(d.traces[0].visible, d.traces[4].visible, d.traces[5].visible), std::tuple(false, false, true));
    EXPECT_EQ(d.traces[6].color, VAL_BLUE);

    EXPECT_EQ(SetAxisScalingMode(panel, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 980, 1140), 0);
    EXPECT_EQ(SetAxisScalingMode(panel, STRIPRaw, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 10), UIEBadValue);
    EXPECT_EQ(SetAxisScalingMode(panel, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 10, 0), UIEBadValue);
    EXPECT_EQ(std::tuple(d.yAxis.min, d.yAxis.max), std::tuple(980.0, 1140.0));

    strip->flush();
    EXPECT_EQ(std::pair(strip->graph(0)->visible(), strip->graph(6)->visible()), std::pair(false, true));
    EXPECT_EQ(strip->graph(6)->pen().color(), QColor(Qt::blue));
    EXPECT_EQ(strip->yAxis->range(), QCPRange(980, 1140));
}

TEST_F(GraphTest, ManyCallsAreDrawnAtAFrameRateNotPerCall) {
    const std::vector<double> x = ramp(128, 1, 32);
    std::vector<uint16_t> y(128, 100);
    const int before = TestGraphRepaints(panel, GRAPHVideoMaster);
    const double t0 = Timer();
    for (int call = 0; call < 1000; ++call) {
        y[std::size_t(call % 128)] = uint16_t(call);
        DeleteGraphPlot(panel, GRAPHVideoMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        PlotXY(panel, GRAPHVideoMaster, x.data(), y.data(), 128, VAL_FAT_LINE, VAL_SIMPLE_DOT,
               VAL_SOLID, 1, VAL_RED);
        ProcessSystemEvents();
    }
    TestRunEvents(100);  // the last change reaches the screen
    const double elapsed = Timer() - t0;
    const int replots = TestGraphRepaints(panel, GRAPHVideoMaster) - before;
    EXPECT_GE(replots, 1);
    // At most one frame per 33 ms of however long this took, plus the edges.
    EXPECT_LE(replots, int(elapsed / 0.033) + 2) << "1000 calls in " << elapsed << " s";
    const std::vector<QCPGraph*> drawn = drawnCurves(video);
    ASSERT_EQ(drawn.size(), 1u);
    ASSERT_NE(drawn[0], nullptr);
    EXPECT_EQ(drawn[0]->data()->at(999 % 128)->value, 999.0) << "the last frame shows the last data";
}

TEST_F(GraphTest, CallsWithoutEventsAreCoalescedAndHiddenGraphsWait) {
    const std::vector<double> x = ramp(16), y = ramp(16);
    TestRunEvents(60);
    const int before = TestGraphRepaints(panel, GRAPHVideoMaster);
    for (int i = 0; i < 500; ++i) {
        DeleteGraphPlot(panel, GRAPHVideoMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        plotLine(x.data(), y.data(), 16);
        SetGraphCursor(panel, GRAPHVideoMaster, 1, i, i);
    }
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), before);  // nothing drawn inside calls
    TestRunEvents(120);
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), before + 1);

    // A hidden graph keeps its data and draws once when shown again.
    video->hide();
    const int hidden = TestGraphRepaints(panel, GRAPHVideoMaster);
    for (int i = 0; i < 50; ++i) {
        plotLine(x.data(), y.data(), 16);
        TestRunEvents(2);
    }
    EXPECT_EQ(video->plottableCount() - 2, 1);  // still the frame drawn before hiding
    TestRunEvents(60);
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), hidden);
    video->show();
    TestRunEvents(120);
    EXPECT_EQ(TestGraphRepaints(panel, GRAPHVideoMaster), hidden + 1);
    EXPECT_EQ(video->plottableCount() - 2, 51);
}

TEST_F(GraphTest, BadHandlesKindsAndArgumentsFail) {
    const double x[] = {1, 2}, y[] = {3, 4};
    const uint16_t y16[] = {3, 4}, *none16 = nullptr;
    const double v[] = {1, 2, 3, 4, 5, 6, 7};
    // Curves, axes and strip charts each have their own look-up.
    const int bad = panel + 1000;
    EXPECT_EQ(PlotXY(bad, GRAPHVideoMaster, x, y16, 2, 0, 0, 0, 1, 0), UIEBadPanel);
    EXPECT_EQ(SetAxisScalingMode(bad, GRAPHBarMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 1), UIEBadPanel);
    EXPECT_EQ(PlotStripChart(bad, STRIPRaw, v, 1, 0, 0), UIEBadPanel);

    // Not on this panel, not a graph, or the other kind of chart.
    EXPECT_EQ(PlotXY(panel, GRAPHVideoSlave, x, y, 2, 0, 0, 0, 1, 0), UIEBadCtrl);
    EXPECT_EQ(PlotXY(panel, BTNVideo, x, y, 2, 0, 0, 0, 1, 0), UIEBadCtrl);
    EXPECT_EQ(PlotXY(panel, STRIPRaw, x, y, 2, 0, 0, 0, 1, 0), UIEBadCtrl);
    EXPECT_EQ(PlotStripChart(panel, GRAPHVideoMaster, v, 1, 0, 0), UIEBadCtrl);
    EXPECT_EQ(SetAxisScalingMode(panel, BTNVideo, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 1), UIEBadCtrl);

    // Counts, arrays and styles are checked before anything is kept.
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, y, -1, 0, 0, 0, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, nullptr, y, 2, 0, 0, 0, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, none16, 2, 0, 0, 0, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, y, 2, 5, 0, 0, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, y, 2, 0, 42, 0, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, y, 2, 0, 0, 3, 1, 0), UIEBadValue);
    EXPECT_EQ(PlotXY(panel, GRAPHVideoMaster, x, y, 2, 0, 0, 0, 0, 0), UIEBadValue);
    EXPECT_TRUE(graph().plots.empty());
    EXPECT_GT(PlotXY(panel, GRAPHVideoMaster, nullptr, y, 0, 0, 0, 0, 1, 0), 0);  // an empty plot is a plot

    // A control whose widget is gone fails instead of crashing.
    delete strip;
    strip = nullptr;
    EXPECT_EQ(PlotStripChart(panel, STRIPRaw, v, 7, 0, 0), UIEBadCtrl);
    EXPECT_EQ(TestStrip(panel, STRIPRaw), nullptr);
}

// The resource file's ranges and chart settings arrive; attribute calls reach the strip chart.
TEST(GraphResource, MainPanelGraphsTakeTheirProperties) {
    const int p = LoadPanel(0, "K-VOR-QX-MS-ScopeV305.uir", MAINPANEL);
    ASSERT_GT(p, 0);
    const GraphData* barData = TestGraph(p, GRAPHBarSlave);
    ASSERT_NE(barData, nullptr);
    EXPECT_EQ(std::pair(barData->xAxis.max, barData->yAxis.max), std::pair(4096.0, 1.0));
    const StripData* chart = TestStrip(p, STRIPRaw);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(std::pair(chart->pointsPerScreen, chart->traces.size()), std::pair(101, std::size_t(7)));

    EXPECT_EQ(SetCtrlAttribute(p, STRIPRaw, ATTR_POINTS_PER_SCREEN, 50), 0);
    int n = 0;
    EXPECT_TRUE(GetCtrlAttribute(p, STRIPRaw, ATTR_POINTS_PER_SCREEN, &n) == 0 && n == 50);
    EXPECT_EQ(SetCtrlAttribute(p, GRAPHBarSlave, ATTR_NUM_TRACES, 2), UIEBadAttr);
    EXPECT_EQ(DiscardPanel(p), 0);
}

}  // namespace
