#include "engine/graph.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/cvi.h"

namespace {

// About 30 frames a second: smooth to the eye, and a loop that plots
// thousands of times a second costs no more drawing than one that plots 30.
constexpr int kFrameMs = 33;

QColor rgb(int c) { return QColor::fromRgb(QRgb(0xFF000000u | (unsigned(c) & 0xFFFFFFu))); }

QCPScatterStyle scatterFor(int pointStyle, const QColor& c, double size) {
    switch (pointStyle) {
    case VAL_SIMPLE_DOT: return QCPScatterStyle(QCPScatterStyle::ssDot, c, c, 1);
    case VAL_EMPTY_SQUARE: return QCPScatterStyle(QCPScatterStyle::ssSquare, c, size);
    case VAL_SOLID_SQUARE: return QCPScatterStyle(QCPScatterStyle::ssSquare, c, c, size);
    case VAL_EMPTY_CIRCLE: return QCPScatterStyle(QCPScatterStyle::ssCircle, c, size);
    case VAL_SOLID_CIRCLE: return QCPScatterStyle(QCPScatterStyle::ssDisc, c, size);
    case VAL_DOTTED_SOLID_CIRCLE: return QCPScatterStyle(QCPScatterStyle::ssDisc, c, size + 3);
    case VAL_CROSS: return QCPScatterStyle(QCPScatterStyle::ssCross, c, size);
    default: return QCPScatterStyle(QCPScatterStyle::ssNone);
    }
}

Qt::PenStyle penStyleFor(int lineStyle) {
    switch (lineStyle) {
    case VAL_DASH: return Qt::DashLine;
    case VAL_DOT: return Qt::DotLine;
    default: return Qt::SolidLine;
    }
}

// The instrument look shared by graphs and strip charts: white plot area,
// light grid, small fonts so that the narrow bar graphs keep room for data.
void styleLikeAnInstrument(QCustomPlot* p) {
    QFont tick = p->font();
    tick.setPointSizeF(7.5);
    tick.setStyleStrategy(QFont::PreferNoShaping);  // numbers, new at every scroll
    QFont label = p->font();
    label.setPointSizeF(8);
    for (QCPAxis* a : {p->xAxis, p->yAxis, p->yAxis2}) {
        a->setTickLabelFont(tick);
        a->setLabelFont(label);
        a->setBasePen(QPen(QColor(90, 90, 90)));
        a->setTickPen(QPen(QColor(90, 90, 90)));
        a->setSubTickPen(QPen(QColor(140, 140, 140)));
        a->grid()->setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
        a->grid()->setZeroLinePen(Qt::NoPen);
    }
    p->xAxis->grid()->setVisible(true);
    p->yAxis->grid()->setVisible(true);
    p->yAxis2->grid()->setVisible(false);
    p->axisRect()->setAutoMargins(QCP::msAll);
    p->axisRect()->setMinimumMargins(QMargins(2, 2, 2, 2));
    p->setBackground(QBrush(QColor(236, 236, 236)));
    p->axisRect()->setBackground(QBrush(Qt::white));
    // A 2 px pen on noisy data is otherwise hundreds of times slower.
    p->setPlottingHint(QCP::phFastPolylines, true);
    p->setNoAntialiasingOnDrag(true);
    p->setInteractions(QCP::Interactions());
    // No legend is ever shown; without this every new plot gets a hidden
    // legend entry whose text is measured again at each replot.
    p->setAutoAddPlottableToLegend(false);
    // The plot fills every pixel of its rectangle, so what lies beneath it
    // (the panel, a frame) need not be painted first at every replot.
    p->setAttribute(Qt::WA_OpaquePaintEvent);
}

// Schedules the next frame: at once when the last one is old enough,
// otherwise when a frame's time has passed since it.
void schedule(QTimer& t, const QElapsedTimer& last) {
    if (t.isActive()) return;
    const qint64 since = last.isValid() ? last.elapsed() : kFrameMs;
    t.start(int(std::max<qint64>(0, kFrameMs - since)));
}

bool validRange(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && lo < hi; }

void applyRange(QCPAxis* a, const AxisRange& r) {
    if (validRange(r.min, r.max)) a->setRange(r.min, r.max);
}

}  // namespace

// ---------------------------------------------------------------------------
// CviPlot
// ---------------------------------------------------------------------------
CviPlot::CviPlot(QWidget* parent) : QCustomPlot(parent) {
    // Every full replot redraws the first picture (a layer replot redraws
    // only its own, later one); before it, so an immediate repaint inside
    // the replot cannot show the old one.
    connect(this, &QCustomPlot::beforeReplot, this, [this] { baseValid_ = false; });
}

void CviPlot::paintEvent(QPaintEvent* e) {
    const double dpr = devicePixelRatioF();
    // A new pixel ratio (QCustomPlot replots for it) or a background that
    // lets the panel show through: QCustomPlot's own way.
    if (mPaintBuffers.isEmpty() || !qFuzzyCompare(bufferDevicePixelRatio(), dpr) || !mBackgroundBrush.isOpaque()) {
        QCustomPlot::paintEvent(e);
        return;
    }
    const QSize pixels = mPaintBuffers.first()->size() * dpr;
    if (!baseValid_ || base_.size() != pixels) {
        base_ = QPixmap(pixels);  // without alpha: drawn as a plain copy
        base_.setDevicePixelRatio(dpr);
        QCPPainter composer(&base_);
        composer.fillRect(QRect(QPoint(0, 0), mPaintBuffers.first()->size()), mBackgroundBrush);
        drawBackground(&composer);
        mPaintBuffers.first()->draw(&composer);
        baseValid_ = true;
    }
    QCPPainter painter(this);
    if (!painter.isActive()) return;
    painter.drawPixmap(0, 0, base_);
    for (qsizetype i = 1; i < mPaintBuffers.size(); ++i) mPaintBuffers[i]->draw(&painter);
}

// ---------------------------------------------------------------------------
// CviGraph
// ---------------------------------------------------------------------------
CviGraph::CviGraph(QWidget* parent) : CviPlot(parent) {
    styleLikeAnInstrument(this);
    yAxis2->setVisible(false);
    // The plots get a picture of their own: new data on fixed axes redraws
    // only that, not the background, grid, axes and their texts.
    layer(QStringLiteral("main"))->setMode(QCPLayer::lmBuffered);
    for (int i = 0; i < 2; ++i) {
        auto* line = new QCPItemStraightLine(this);
        line->setLayer(QStringLiteral("overlay"));
        line->setClipToAxisRect(true);
        line->setVisible(false);
        auto* mark = new QCPGraph(xAxis, yAxis);
        mark->setLayer(QStringLiteral("overlay"));
        mark->setLineStyle(QCPGraph::lsNone);
        mark->setVisible(false);
        cursorItems_[i] = {line, mark};
    }
    repaint_.setSingleShot(true);
    repaint_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire early
    connect(&repaint_, &QTimer::timeout, this, &CviGraph::render);
    markDirty(Dirty::All);
}

void CviGraph::setXMin(double v) { data_.xAxis.min = v; markDirty(Dirty::Axes); }
void CviGraph::setXMax(double v) { data_.xAxis.max = v; markDirty(Dirty::Axes); }
void CviGraph::setYMin(double v) { data_.yAxis.min = v; markDirty(Dirty::Axes); }
void CviGraph::setYMax(double v) { data_.yAxis.max = v; markDirty(Dirty::Axes); }
void CviGraph::setY2Min(double v) { data_.y2Axis.min = v; markDirty(Dirty::Axes); }
void CviGraph::setY2Max(double v) { data_.y2Axis.max = v; markDirty(Dirty::Axes); }
void CviGraph::setXName(const QString& s) { xName_ = s; markDirty(Dirty::Axes); }
void CviGraph::setYName(const QString& s) { yName_ = s; markDirty(Dirty::Axes); }
void CviGraph::setRightAxisVisible(bool on) { rightAxisVisible_ = on; markDirty(Dirty::Axes); }

int CviGraph::takeHandle() {
    // Handles stay unique among the live plots even after the counter wraps.
    for (;;) {
        if (data_.nextHandle <= 0 || data_.nextHandle == INT_MAX) data_.nextHandle = 1;
        const int h = data_.nextHandle++;
        if (!data_.plot(h)) return h;
    }
}

int CviGraph::addCurve(std::vector<double> x, std::vector<double> y, int plotStyle,
                       int pointStyle, int lineStyle, int pointFrequency, int color) {
    GraphPlot p;
    p.handle = takeHandle();
    p.kind = GraphPlot::Kind::Curve;
    p.x = std::move(x);
    p.y = std::move(y);
    p.plotStyle = plotStyle;
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    p.pointFrequency = pointFrequency;
    p.color = color;
    data_.plots.push_back(std::move(p));
    markDirty(Dirty::Plots);
    return data_.plots.back().handle;
}

int CviGraph::addRectangle(double x1, double y1, double x2, double y2, int frameColor,
                           int fillColor) {
    GraphPlot p;
    p.handle = takeHandle();
    p.kind = GraphPlot::Kind::Rectangle;
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    p.frameColor = frameColor;
    p.fillColor = fillColor;
    data_.plots.push_back(std::move(p));
    markDirty(Dirty::Plots);
    return data_.plots.back().handle;
}

bool CviGraph::deletePlot(int handle) {
    auto it = std::find_if(data_.plots.begin(), data_.plots.end(),
                           [&](const GraphPlot& p) { return p.handle == handle; });
    if (it == data_.plots.end()) return false;
    data_.plots.erase(it);
    markDirty(Dirty::Plots);
    return true;
}

void CviGraph::deleteAllPlots() {
    if (data_.plots.empty()) return;
    data_.plots.clear();
    markDirty(Dirty::Plots);
}

bool CviGraph::setAxisRange(int axis, double min, double max, bool autoscale) {
    AxisRange* r = axis == VAL_BOTTOM_XAXIS ? &data_.xAxis
                   : axis == VAL_LEFT_YAXIS ? &data_.yAxis
                   : axis == VAL_RIGHT_YAXIS ? &data_.y2Axis
                                             : nullptr;
    if (!r) return false;
    if (autoscale) {
        r->autoscale = true;
    } else {
        if (!validRange(min, max)) return false;
        if (!r->autoscale && r->min == min && r->max == max) return true;  // set on every frame
        *r = AxisRange{min, max, false};
    }
    markDirty(Dirty::Axes);
    return true;
}

bool CviGraph::setCursor(int cursor, double x, double y) {
    if (cursor < 1 || cursor > 2) return false;
    GraphCursor& c = data_.cursors[cursor - 1];
    c.x = x;
    c.y = y;
    c.placed = true;
    markDirty(Dirty::Cursors);
    return true;
}

bool CviGraph::setCursorPointStyle(int cursor, int style) {
    if (cursor < 1 || cursor > 2) return false;
    data_.cursors[cursor - 1].pointStyle = style;
    markDirty(Dirty::Cursors);
    return true;
}

bool CviGraph::setCursorColor(int cursor, int color) {
    if (cursor < 1 || cursor > 2) return false;
    data_.cursors[cursor - 1].color = color;
    markDirty(Dirty::Cursors);
    return true;
}

void CviGraph::markDirty(unsigned what) {
    dirty_ |= what;
    schedule(repaint_, lastFrame_);
}

void CviGraph::flush() {
    repaint_.stop();
    render();
}

void CviGraph::showEvent(QShowEvent* e) {
    QCustomPlot::showEvent(e);
    // Changes made while hidden were kept, not drawn.
    if (dirty_) schedule(repaint_, lastFrame_);
}

void CviGraph::render() {
    if (!dirty_ || !isVisible()) return;  // hidden graphs draw when shown
    const unsigned what = dirty_;
    dirty_ = 0;
    lastFrame_.start();
    ++replots_;
    if (what & Dirty::Plots) rebuildPlots();
    // Autoscaled axes follow the plots.
    const bool autoscaled = data_.xAxis.autoscale || data_.yAxis.autoscale || data_.y2Axis.autoscale;
    const bool axesMove = (what & Dirty::Axes) || ((what & Dirty::Plots) && autoscaled);
    if (axesMove) applyAxes();
    updateCursors();
    if (axesMove) {
        replot(rpQueuedRefresh);
        return;
    }
    // The axes stand: redraw only the layers that changed.
    if (what & Dirty::Plots) layer(QStringLiteral("main"))->replot();
    if (what & Dirty::Cursors) layer(QStringLiteral("overlay"))->replot();
}

CviGraph::Shape CviGraph::shapeOf(const GraphPlot& p) {
    if (p.kind == GraphPlot::Kind::Rectangle) return Shape::Rectangle;
    // A graph plottable is much faster than a curve, but it sorts by x;
    // points given out of order are drawn in their order instead.
    const std::size_t n = std::min(p.x.size(), p.y.size());
    return std::is_sorted(p.x.begin(), p.x.begin() + std::ptrdiff_t(n)) ? Shape::Graph : Shape::Curve;
}

void CviGraph::rebuildPlots() {
    // The same shapes in the same order (the usual case: a loop deletes and
    // plots again what it plotted before) are refilled in place, so that
    // the drawing order stays and the plots' layer can be redrawn alone.
    std::vector<Shape> shapes;
    for (const GraphPlot& p : data_.plots) shapes.push_back(shapeOf(p));
    if (shapes != shapes_) {
        for (QCPAbstractPlottable* p : plottables_) removePlottable(p);
        for (QCPAbstractItem* i : items_) removeItem(i);
        plottables_.clear();
        items_.clear();
        for (Shape sh : shapes) {
            if (sh == Shape::Rectangle) items_.push_back(new QCPItemRect(this));
            else if (sh == Shape::Graph) plottables_.push_back(new QCPGraph(xAxis, yAxis));
            else plottables_.push_back(new QCPCurve(xAxis, yAxis));
        }
        shapes_ = std::move(shapes);
    }
    std::size_t nextItem = 0, nextPlottable = 0;
    for (const GraphPlot& p : data_.plots) {
        if (p.kind == GraphPlot::Kind::Rectangle) {
            auto* r = static_cast<QCPItemRect*>(items_[nextItem++]);
            r->topLeft->setCoords(std::min(p.x1, p.x2), std::max(p.y1, p.y2));
            r->bottomRight->setCoords(std::max(p.x1, p.x2), std::min(p.y1, p.y2));
            r->setPen(QPen(rgb(p.frameColor)));
            r->setBrush(QBrush(rgb(p.fillColor)));
            continue;
        }
        const QColor c = rgb(p.color);
        QPen pen(c, p.plotStyle == VAL_FAT_LINE ? 2 : 1, penStyleFor(p.lineStyle));
        const QCPScatterStyle scatter = scatterFor(p.pointStyle, c, 6);
        const int n = int(std::min(p.x.size(), p.y.size()));
        QCPAbstractPlottable* plottable = plottables_[nextPlottable++];
        if (auto* g = qobject_cast<QCPGraph*>(plottable)) {
            QVector<QCPGraphData> d(n);
            for (int i = 0; i < n; ++i) d[i] = QCPGraphData(p.x[i], p.y[i]);
            g->data()->set(d, true);
            g->setScatterStyle(scatter);
            g->setScatterSkip(std::max(0, p.pointFrequency - 1));
        } else {
            auto* cv = static_cast<QCPCurve*>(plottable);
            QVector<QCPCurveData> d(n);
            for (int i = 0; i < n; ++i) d[i] = QCPCurveData(i, p.x[i], p.y[i]);
            cv->data()->set(d, true);
            cv->setScatterStyle(scatter);
            cv->setScatterSkip(std::max(0, p.pointFrequency - 1));
        }
        plottable->setPen(pen);
    }
}

void CviGraph::applyAxes() {
    xAxis->setLabel(xName_);
    yAxis->setLabel(yName_);
    yAxis2->setVisible(rightAxisVisible_);
    const std::pair<QCPAxis*, const AxisRange*> axes[] = {
        {xAxis, &data_.xAxis}, {yAxis, &data_.yAxis}, {yAxis2, &data_.y2Axis}};
    for (auto [a, r] : axes) {
        if (!r->autoscale) {
            applyRange(a, *r);
            continue;
        }
        bool any = false;
        QCPRange total;
        for (QCPAbstractPlottable* p : plottables_) {
            bool found = false;
            const QCPRange pr = a == xAxis ? p->getKeyRange(found) : p->getValueRange(found);
            if (!found) continue;
            total = any ? QCPRange(std::min(total.lower, pr.lower), std::max(total.upper, pr.upper))
                        : pr;
            any = true;
        }
        if (any) {
            if (total.lower == total.upper) total = QCPRange(total.lower - 1, total.upper + 1);
            a->setRange(total);
        }
    }
}

void CviGraph::updateCursors() {
    for (int i = 0; i < 2; ++i) {
        const GraphCursor& c = data_.cursors[i];
        auto [line, mark] = cursorItems_[i];
        const bool shown = c.placed && c.pointStyle != VAL_NO_POINT;
        line->setVisible(shown);
        mark->setVisible(shown);
        if (!shown) continue;
        const QColor col = rgb(c.color);
        line->setPen(QPen(col, 1));
        line->point1->setCoords(c.x, 0);
        line->point2->setCoords(c.x, 1);
        mark->setScatterStyle(scatterFor(c.pointStyle, col, 9));
        mark->data()->set(QVector<QCPGraphData>{QCPGraphData(c.x, c.y)}, true);
    }
}

// ---------------------------------------------------------------------------
// CviStripChart
// ---------------------------------------------------------------------------
namespace {
constexpr int kMaxPointsPerScreen = 100000;
constexpr int kMaxTraces = 64;
const int kDefaultTraceColors[] = {VAL_RED, VAL_DK_GREEN, VAL_BLUE, VAL_BLACK,
                                   0xFF00FF, 0x00A0A0, 0x808000, VAL_GRAY};
}  // namespace

CviStripChart::CviStripChart(QWidget* parent) : CviPlot(parent) {
    styleLikeAnInstrument(this);
    yAxis2->setVisible(false);
    // The time axis scrolls with every sample. Its grid, the traces and the
    // axis itself, in that order, get a picture of their own, redrawn alone
    // while the value axis, its name and the layout stand.
    QCPLayer* scroll = layer(QStringLiteral("main"));
    scroll->setMode(QCPLayer::lmBuffered);
    xAxis->grid()->setLayer(scroll);
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);  // unused here
    setNumTraces(1);
    repaint_.setSingleShot(true);
    repaint_.setTimerType(Qt::PreciseTimer);
    connect(&repaint_, &QTimer::timeout, this, &CviStripChart::render);
    markDirty(Redraw::Traces);
}

void CviStripChart::setYMin(double v) { data_.yAxis.min = v; markDirty(Redraw::Axes); }
void CviStripChart::setYMax(double v) { data_.yAxis.max = v; markDirty(Redraw::Axes); }
void CviStripChart::setYName(const QString& s) { yName_ = s; markDirty(Redraw::Axes); }

bool CviStripChart::setYRange(double min, double max) {
    if (!validRange(min, max)) return false;
    if (data_.yAxis.min == min && data_.yAxis.max == max) return true;  // set on every frame
    data_.yAxis = AxisRange{min, max, false};
    markDirty(Redraw::Axes);
    return true;
}

void CviStripChart::setPointsPerScreen(int n) {
    n = std::clamp(n, 1, kMaxPointsPerScreen);
    if (n == data_.pointsPerScreen) return;  // the program sets it on every frame
    // Keep the newest values that still fit on the screen.
    for (StripTrace& t : data_.traces) {
        std::vector<double> v = t.values();
        if (v.size() > std::size_t(n)) v.erase(v.begin(), v.end() - n);
        t.ring = std::move(v);
        t.ring.reserve(std::size_t(n));
        t.head = 0;
    }
    data_.pointsPerScreen = n;
    markDirty(Redraw::Axes);
}

void CviStripChart::setNumTraces(int n) {
    n = std::clamp(n, 1, kMaxTraces);
    if (n == numTraces()) return;  // the program sets it on every frame
    // Traces must stay in step; a new count starts a new chart.
    data_.traces.assign(std::size_t(n), StripTrace{});
    for (int i = 0; i < n; ++i) {
        data_.traces[std::size_t(i)].color = kDefaultTraceColors[i % std::size(kDefaultTraceColors)];
        data_.traces[std::size_t(i)].ring.reserve(std::size_t(data_.pointsPerScreen));
    }
    data_.pointsPlotted = 0;
    markDirty(Redraw::Traces);
}

bool CviStripChart::setIntAttribute(int attr, int value) {
    switch (attr) {
    case ATTR_POINTS_PER_SCREEN:
        if (value < 1 || value > kMaxPointsPerScreen) return false;
        setPointsPerScreen(value);
        return true;
    case ATTR_NUM_TRACES:
        if (value < 1 || value > kMaxTraces) return false;
        setNumTraces(value);
        return true;
    default:
        return false;
    }
}

bool CviStripChart::getIntAttribute(int attr, int* value) const {
    if (!value) return false;
    switch (attr) {
    case ATTR_POINTS_PER_SCREEN: *value = pointsPerScreen(); return true;
    case ATTR_NUM_TRACES: *value = numTraces(); return true;
    default: return false;
    }
}

bool CviStripChart::append(const double* values, int numPoints, int start, int skip) {
    const int traces = numTraces();
    if (!values || numPoints < 0 || start < 0 || skip < 0 || numPoints % traces != 0) return false;
    const std::size_t cap = std::size_t(data_.pointsPerScreen);
    const std::size_t stride = std::size_t(skip) + 1;
    // Only the last screenful can still be seen: older samples would be
    // pushed off by this same call, so they are not stored at all.
    const long long samples = numPoints / traces;
    const long long firstSample = std::max<long long>(0, samples - (long long)cap);
    std::size_t idx = std::size_t(start) + std::size_t(firstSample) * traces * stride;
    for (long long s = firstSample; s < samples; ++s) {
        for (StripTrace& t : data_.traces) {
            const double v = values[idx];
            idx += stride;
            if (t.ring.size() < cap) {
                t.ring.push_back(v);
            } else {
                t.ring[t.head] = v;
                t.head = (t.head + 1) % cap;
            }
        }
    }
    data_.pointsPlotted += samples;
    if (samples > 0) markDirty(Redraw::Data);
    return true;
}

bool CviStripChart::setTraceVisible(int trace, bool on) {
    if (trace < 1 || trace > numTraces()) return false;
    bool& v = data_.traces[std::size_t(trace - 1)].visible;
    if (v != on) {
        v = on;
        markDirty(Redraw::Data);
    }
    return true;
}

bool CviStripChart::setTraceColor(int trace, int color) {
    if (trace < 1 || trace > numTraces()) return false;
    int& c = data_.traces[std::size_t(trace - 1)].color;
    if (c != color) {
        c = color;
        markDirty(Redraw::Data);
    }
    return true;
}

void CviStripChart::markDirty(Redraw what) {
    pending_ = std::max(pending_.value_or(Redraw::Data), what);
    schedule(repaint_, lastFrame_);
}

void CviStripChart::flush() {
    repaint_.stop();
    render();
}

void CviStripChart::showEvent(QShowEvent* e) {
    QCustomPlot::showEvent(e);
    if (pending_) schedule(repaint_, lastFrame_);
}

void CviStripChart::render() {
    if (!pending_ || !isVisible()) return;
    const Redraw what = *pending_;
    pending_.reset();
    lastFrame_.start();
    ++replots_;
    if (what == Redraw::Traces) {
        clearGraphs();
        for (int i = 0; i < numTraces(); ++i) addGraph(xAxis, yAxis);
        xAxis->setLayer(layer(QStringLiteral("main")));  // back on top of the new traces
    }
    // The x axis counts samples since the chart started, so it scrolls with
    // the data: the newest sample sits at the right once the screen is full.
    const long long total = data_.pointsPlotted;
    const long long pps = data_.pointsPerScreen;
    const long long first = std::max<long long>(0, total - pps);
    for (int i = 0; i < numTraces(); ++i) {
        const StripTrace& t = data_.traces[std::size_t(i)];
        QCPGraph* g = graph(i);
        const std::size_t n = t.size();
        QVector<QCPGraphData> d(static_cast<qsizetype>(n));
        const long long key0 = total - (long long)n;
        for (std::size_t k = 0; k < n; ++k)
            d[qsizetype(k)] = QCPGraphData(double(key0 + (long long)k), t.at(k));
        g->data()->set(d, true);
        g->setPen(QPen(rgb(t.color), 1));
        g->setVisible(t.visible);
    }
    xAxis->setRange(double(first), double(first + pps - 1 > first ? first + pps - 1 : first + 1));
    if (what != Redraw::Data) {
        applyRange(yAxis, data_.yAxis);
        yAxis->setLabel(yName_);
        replot(rpQueuedRefresh);
        return;
    }
    // Only the time axis moved: new ticks for it, then its own picture.
    axisRect()->update(QCPLayoutElement::upPreparation);
    layer(QStringLiteral("main"))->replot();
}
